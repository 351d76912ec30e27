#include "engine/DriverFileCopy.h"

namespace winerr = platform::winerr;

bool IsPlainFileName(std::string_view name) {
  return name.find_first_of("\\/:") == std::string_view::npos && name.find("..") == std::string_view::npos;
}

std::string SystemDirectory(platform::FileSystem& files, std::size_t bufferChars, platform::DWORD* error) {
  std::string directory;
  platform::DWORD code = files.GetSystemDirectoryA(directory);
  if (code == winerr::Success && directory.size() >= bufferChars) code = winerr::InsufficientBuffer;
  if (code == winerr::Success && directory.empty()) code = winerr::PathNotFound;
  if (error) *error = code;
  return code == winerr::Success ? directory : std::string();
}

std::string KernelDriverPath(const std::string& systemDirectory, const std::string& name) {
  return systemDirectory + "\\drivers\\" + name;
}

platform::DWORD CopyOverTarget(platform::FileSystem& files, const std::string& sourceDir, const std::string& targetDir,
                               const std::string& name) {
  if (!IsPlainFileName(name)) return winerr::InvalidName;
  const std::string target = targetDir + "\\" + name;
  (void)files.SetFileAttributesA(target, platform::fileattr::Normal);  // the copy reports what matters
  return files.CopyFileA(sourceDir + "\\" + name, target, false);
}
