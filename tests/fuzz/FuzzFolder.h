#pragma once
// A scratch machine folder (drive_c/Windows made) for a fuzz target's whole run, removed at exit.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzztest {

struct FuzzFolder {
  explicit FuzzFolder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("kvx-fuzz-" + name + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = std::filesystem::canonical(pattern);
    std::filesystem::create_directories(path / "drive_c" / "Windows");
  }
  ~FuzzFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;
  std::filesystem::path path;
};

}  // namespace fuzztest
