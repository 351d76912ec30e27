#pragma once
// Private-profile cases that the simulated machine and the real Windows functions
// (under Wine) must answer alike. Each runner writes `content` to a file of its own
// (or none when `content` is absent), makes the call with a buffer of `bufferSize`
// bytes pre-filled with 0x7F, and compares the return value and the first
// `expected.size()` bytes of the buffer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cases {

struct ProfileCase {
  std::string name;
  std::optional<std::string> content;
  bool sectionCall = false;  // GetPrivateProfileSectionA, else GetPrivateProfileStringA
  std::string section;
  std::string key;
  std::string defaultValue;
  std::size_t bufferSize = 100;
  std::uint32_t expectedReturn = 0;
  std::string expected;  // bytes, including the terminating NULs that must be there
};

inline std::string Bytes(const char* text, std::size_t n) { return std::string(text, n); }

inline std::vector<ProfileCase> ProfileCases() {
  const std::string catalog =
      "[Supported.Printers]\r\nRQ-7200 TH\r\n  VT5000  \r\nOstrel = RQ-7200 TH\r\n"
      "Lindor=RQ-7200 TH,VT5200\r\n\r\n[KvxDrivers.2K.FILES]\r\ndriver=KorvexVT5K.dll\r\n";
  return {
      {"StringBasic", "[Sec]\nKey=Value\n", false, "Sec", "Key", "", 100, 5, Bytes("Value", 6)},
      {"StringNamesIgnoreCase", "[SeCtIoN]\nMyKey =  some value  \n", false, "section", "MYKEY", "", 100, 10,
       Bytes("some value", 11)},
      {"StringMissingKeyGivesDefault", "[Sec]\nKey=Value\n", false, "Sec", "Other", "dflt", 100, 4,
       Bytes("dflt", 5)},
      {"StringMissingSectionGivesDefault", "[Sec]\nKey=Value\n", false, "Nope", "Key", "x", 100, 1, Bytes("x", 2)},
      {"StringMissingFileGivesDefault", std::nullopt, false, "Sec", "Key", "KorvexMon.dll", 100, 13,
       Bytes("KorvexMon.dll", 14)},
      {"StringCutToBuffer", "[Sec]\nKey=0123456789\n", false, "Sec", "Key", "", 5, 4, Bytes("0123", 5)},
      {"StringCutTo99", "[Sec]\nKey=" + std::string(120, 'v') + "\n", false, "Sec", "Key", "", 100, 99,
       std::string(99, 'v') + std::string(1, '\0')},
      {"StringTextAfterFirstEquals", "[Sec]\nKey=a=b\n", false, "Sec", "Key", "", 100, 3, Bytes("a=b", 4)},
      {"StringEmptyValue", "[Sec]\nKey=\n", false, "Sec", "Key", "dflt", 100, 0, Bytes("", 1)},
      {"StringNoFinalLineEnd", "[Sec]\nKey=last", false, "Sec", "Key", "", 100, 4, Bytes("last", 5)},
      {"StringCrLf", "[Sec]\r\nKey=v\r\n", false, "Sec", "Key", "", 100, 1, Bytes("v", 2)},
      {"StringFirstOfRepeatedKeys", "[Sec]\nKey=1\nkey=2\n", false, "Sec", "Key", "", 100, 1, Bytes("1", 2)},
      {"StringQuotesRemoved", "[Sec]\nKey=\"quoted value\"\n", false, "Sec", "Key", "", 100, 12,
       Bytes("quoted value", 13)},
      {"StringDefaultTrailingBlanksDropped", "[Sec]\n", false, "Sec", "Key", "dflt   ", 100, 4, Bytes("dflt", 5)},
      {"StringBufferOfOne", "[Sec]\nKey=Value\n", false, "Sec", "Key", "", 1, 0, Bytes("", 1)},
      {"StringModelKeyInCatalog", catalog, false, "kvxdrivers.2k.files", "DRIVER", "", 100, 14,
       Bytes("KorvexVT5K.dll", 15)},
      {"SectionBasic", "[S]\nalpha = 1\nbravo=22\n[T]\nx=y\n", true, "S", "", "", 100, 17,
       Bytes("alpha=1\0bravo=22\0", 18)},
      {"SectionPlainLinesTrimmed", catalog, true, "supported.printers", "", "", 1024, 61,
       Bytes("RQ-7200 TH\0VT5000\0Ostrel=RQ-7200 TH\0Lindor=RQ-7200 TH,VT5200\0", 62)},
      {"SectionMissing", "[S]\nk=v\n", true, "Other", "", "", 100, 0, Bytes("\0", 2)},
      {"SectionMissingFile", std::nullopt, true, "S", "", "", 100, 0, Bytes("\0", 2)},
      {"SectionEmptyFile", "", true, "S", "", "", 100, 0, Bytes("\0", 2)},
      {"SectionBlankLinesSkipped", "[S]\n\nk=v\n\n", true, "S", "", "", 100, 4, Bytes("k=v\0", 5)},
      {"SectionCutToBuffer", "[S]\nalpha=1\nbravo=22\n", true, "S", "", "", 16, 14, Bytes("alpha=1\0bravo=", 15)},
  };
}

}  // namespace cases
