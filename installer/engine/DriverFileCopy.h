#pragma once
// Copies of shipped files into the machine's directories. Catalog names are joined to directories
// with a backslash, so only a bare file name may be: anything else could reach another folder.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

// The chip vendor's USB access library, shipped in the driver folder and in ".\driver\usb".
inline constexpr const char* kUsbAccessLibrary = "SiUSBXp.dll";

// MAX_PATH: a path's characters with its NUL.
inline constexpr std::size_t kMaxPathChars = 260;

// False for a name with "\", "/", ":" or "..".
bool IsPlainFileName(std::string_view name);

// The system directory as a buffer of `bufferChars` (with its NUL) holds it; empty when it cannot
// be read or does not fit, with the reason in `error` when given.
std::string SystemDirectory(platform::FileSystem& files, std::size_t bufferChars, platform::DWORD* error = nullptr);

// Where the system keeps its kernel drivers: "<system directory>\drivers\<name>".
std::string KernelDriverPath(const std::string& systemDirectory, const std::string& name);

// "<targetDir>\<name>" from "<sourceDir>\<name>": clears the target's attributes (ignoring failure)
// and copies over it. The Win32 error; winerr::InvalidName for a name that is not plain.
platform::DWORD CopyOverTarget(platform::FileSystem& files, const std::string& sourceDir, const std::string& targetDir,
                               const std::string& name);
