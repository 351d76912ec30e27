/* A stand-in for a library or driver that this project does not build: it loads and does nothing.
 * Built with KVX_PORT_MONITOR it is also a port monitor that the spooler can load and register
 * (it has no ports of its own and takes every port added to it), so an installation gets past the
 * monitor's registration on Windows. */
#include <windows.h>

#ifdef KVX_PORT_MONITOR
static BOOL WINAPI AddPortEx(HANDLE monitor, LPWSTR name, DWORD level, LPBYTE port, LPWSTR monitorName) {
  (void)monitor; (void)name; (void)level; (void)port; (void)monitorName;
  return TRUE;
}
static void WINAPI Shutdown(HANDLE monitor) { (void)monitor; }

/* MONITOR2: its size, then the functions from EnumPorts on; AddPortEx is the tenth, Shutdown the 18th. */
static struct {
  DWORD cbSize;
  FARPROC functions[22];
} monitor;

__declspec(dllexport) void* WINAPI InitializePrintMonitor2(void* init, HANDLE* handle) {
  (void)init;
  *handle = (HANDLE)&monitor;
  monitor.cbSize = sizeof monitor;
  monitor.functions[9] = (FARPROC)(void (*)(void))AddPortEx;
  monitor.functions[17] = (FARPROC)(void (*)(void))Shutdown;
  return &monitor;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance; (void)reason; (void)reserved;
  return TRUE;
}
