// The program must start where the setup libraries or "Netapi32.dll" are missing: it loads them when
// it needs them, so none may be among the DLLs its import table names.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TestLibraries.h"

namespace {

// The DLL names in the import directory of the PE file at `path`; an empty list with a failure
// when the file is not a PE image this test can read.
std::vector<std::string> ImportedDlls(const std::string& path) {
  const std::string image = test_libraries::ReadFile(path);
  std::vector<std::string> names;
  auto at = [&](std::size_t offset, std::size_t size) -> const char* {
    return offset <= image.size() && size <= image.size() - offset ? image.data() + offset : nullptr;
  };
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
  if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) {
    ADD_FAILURE() << path << " is not a program";
    return names;
  }
  const auto ntOffset = static_cast<std::size_t>(dos->e_lfanew);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(at(ntOffset, sizeof(IMAGE_NT_HEADERS)));
  if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
    ADD_FAILURE() << path << " is not a PE image of this test's kind";
    return names;
  }
  const std::size_t sectionsOffset =
      ntOffset + offsetof(IMAGE_NT_HEADERS, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader;
  const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
      at(sectionsOffset, nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
  // The file offset of a relative virtual address, through the section that holds it.
  auto fileOffset = [&](DWORD rva) -> std::size_t {
    for (WORD i = 0; sections != nullptr && i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return image.size();
  };

  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (std::size_t offset = fileOffset(imports.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
    if (entry == nullptr) {
      ADD_FAILURE() << path << ": the import directory runs past the file";
      break;
    }
    if (entry->Name == 0) break;
    const std::size_t nameOffset = fileOffset(entry->Name);
    const char* name = at(nameOffset, 1);
    if (name == nullptr) {
      ADD_FAILURE() << path << ": an import names no DLL";
      break;
    }
    names.emplace_back(name, strnlen(name, image.size() - nameOffset));
  }
  return names;
}

bool ImportsDll(const std::vector<std::string>& imports, const std::string& dll) {
  for (const std::string& name : imports)
    if (lstrcmpiA(name.c_str(), dll.c_str()) == 0) return true;
  return false;
}

// This test program links the same backends as the installer; KVX_INSTALLER_EXE names the
// installer itself when the build hands it over.
std::vector<std::string> ProgramsToCheck() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::vector<std::string> programs{self};
  if (const char* installer = std::getenv("KVX_INSTALLER_EXE"); installer != nullptr && *installer != '\0')
    programs.emplace_back(installer);
  return programs;
}

TEST(ImportTable, NamesNeitherSetupLibrary) {
  for (const std::string& program : ProgramsToCheck()) {
    const std::vector<std::string> imports = ImportedDlls(program);
    // The reading itself is checked by a DLL every program imports.
    EXPECT_TRUE(ImportsDll(imports, "KERNEL32.dll")) << program;
    for (const char* loadedAtRunTime : {"newdev.dll", "SETUPAPI.dll", "NETAPI32.dll"})
      EXPECT_FALSE(ImportsDll(imports, loadedAtRunTime)) << program << " imports " << loadedAtRunTime;
  }
}

}  // namespace
