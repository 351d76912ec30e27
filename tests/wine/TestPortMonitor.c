/* A port monitor that the spooler can load and register: it has no ports of its own,
 * accepts every AddPortEx but for the port "Kvx_Refused", so a test can tell that the call
 * reached it, and every DeletePort. The two monitor interfaces agree on the positions of the functions
 * used here; they differ in the monitor handle that comes first in the newer one. */
#include <windows.h>

static BOOL Accept(LPBYTE port) {
  /* Level 1 and 2 records both start with the port name. */
  const PORT_INFO_1W* info = (const PORT_INFO_1W*)port;
  if (info && info->pName && lstrcmpW(info->pName, L"Kvx_Refused") == 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  return TRUE;
}
static BOOL WINAPI AcceptPort2(HANDLE monitor, LPWSTR name, DWORD level, LPBYTE port, LPWSTR monitorName) {
  (void)monitor; (void)name; (void)level; (void)monitorName;
  return Accept(port);
}
static BOOL WINAPI AcceptPort(LPWSTR name, DWORD level, LPBYTE port, LPWSTR monitorName) {
  (void)name; (void)level; (void)monitorName;
  return Accept(port);
}
static BOOL WINAPI ForgetPort2(HANDLE monitor, LPWSTR name, HWND window, LPWSTR port) {
  (void)monitor; (void)name; (void)window; (void)port;
  return TRUE;
}
static BOOL WINAPI ForgetPort(LPWSTR name, HWND window, LPWSTR port) {
  (void)name; (void)window; (void)port;
  return TRUE;
}
static void WINAPI Shutdown(HANDLE monitor) { (void)monitor; }

/* cbSize, then the functions from EnumPorts on: AddPortEx is the tenth, DeletePort the twelfth,
 * Shutdown the 18th. */
typedef struct {
  DWORD cbSize;
  FARPROC functions[22];
} MonitorTable;

/* Casts go through void (*)(void), the generic function pointer type, as the table holds any entry. */
static MonitorTable monitor2, monitorEx;

__declspec(dllexport) MonitorTable* WINAPI InitializePrintMonitor2(void* init, HANDLE* monitor) {
  (void)init;
  *monitor = (HANDLE)&monitor2;
  monitor2.cbSize = sizeof monitor2;
  monitor2.functions[9] = (FARPROC)(void (*)(void))AcceptPort2;
  monitor2.functions[11] = (FARPROC)(void (*)(void))ForgetPort2;
  monitor2.functions[17] = (FARPROC)(void (*)(void))Shutdown;
  return &monitor2;
}

/* MONITOREX: the size of the 17 functions that follow it. */
__declspec(dllexport) MonitorTable* WINAPI InitializePrintMonitor(LPWSTR registryRoot) {
  (void)registryRoot;
  monitorEx.cbSize = 17 * sizeof(FARPROC);
  monitorEx.functions[9] = (FARPROC)(void (*)(void))AcceptPort;
  monitorEx.functions[11] = (FARPROC)(void (*)(void))ForgetPort;
  return &monitorEx;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance; (void)reason; (void)reserved;
  return TRUE;
}
