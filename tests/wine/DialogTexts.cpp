// Every dialog template of the installer and of the plug-in, made into a real dialog in English and in
// Brazilian Portuguese from the built files: each text fits its control in the dialog's font, and a
// translation keeps the controls, their styles and places, changing a width at most. Each Portuguese
// dialog is kept as a picture in the folder KVX_DIALOG_SHOTS names, for a person to look at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/ui/win32/LiveTemplate.h"
#include "tests/wine/WindowPicture.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kPortuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
const auto kDialogType = MAKEINTRESOURCEW(5);  // RT_DIALOG

struct ResourceFile {
  const char* name;
  const char* path;  // Wine path, forward slashes
};
const ResourceFile kFiles[] = {{"installer", KVX_INSTALLER_EXE}, {"plugin", KVX_PLUGIN_DLL}};

// The file's resources, loaded once; null (and a failure) when it cannot be read.
HMODULE Resources(const ResourceFile& file) {
  static std::map<const ResourceFile*, HMODULE> loaded;
  if (const auto found = loaded.find(&file); found != loaded.end()) return found->second;
  std::wstring path;
  for (const char* c = file.path; *c != '\0'; ++c) path += static_cast<wchar_t>(*c == '/' ? '\\' : *c);
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) ADD_FAILURE() << "cannot read " << file.path << ": error " << GetLastError();
  return loaded[&file] = module;
}

// Template id -> the languages it is written in.
using Templates = std::map<int, std::vector<LANGID>>;

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR name, WORD language, LONG_PTR templates) {
  (*reinterpret_cast<Templates*>(templates))[static_cast<int>(reinterpret_cast<ULONG_PTR>(name))].push_back(language);
  return TRUE;
}

BOOL CALLBACK AddTemplate(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR templates) {
  if (IS_INTRESOURCE(name)) EnumResourceLanguagesW(module, type, name, AddLanguage, templates);
  return TRUE;
}

Templates DialogTemplates(HMODULE module) {
  Templates templates;
  EnumResourceNamesW(module, kDialogType, AddTemplate, reinterpret_cast<LONG_PTR>(&templates));
  return templates;
}

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                            bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                                            nullptr)));
  return bytes;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

LONG StyleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

// The thread's language: resources loaded by name (a dialog's menu, for one) come in it.
struct InLanguage {
  explicit InLanguage(LANGID language) {
    SetThreadUILanguage(language);
    SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
  }
};

// A template made into a shown dialog, in its language as the program would show it. A page template
// (a child window) shows in its host, sized to it.
class LiveDialog : private InLanguage, public kvxtest::LiveTemplate {
public:
  LiveDialog(HMODULE module, int id, LANGID language) : InLanguage(language), LiveTemplate(module, id, language) {
    if (hwnd() == nullptr) return;
    if ((StyleOf(hwnd()) & WS_CHILD) != 0) {
      RECT r{};
      GetWindowRect(hwnd(), &r);
      SetWindowPos(host(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    ShowWindow(hwnd(), SW_SHOWNA);
    UpdateWindow(hwnd());
  }
};

std::string Name(const ResourceFile& file, int id, LANGID language) {
  return std::string(file.name) + " dialog " + std::to_string(id) + (language == kPortuguese ? " (pt)" : " (en)");
}

// The controls as a translation must keep them: id, class, style, and place less the width.
std::vector<std::string> Layout(const LiveDialog& dialog) {
  RECT client{};
  GetClientRect(dialog.hwnd(), &client);
  std::vector<std::string> layout{"client " + std::to_string(client.right) + "x" + std::to_string(client.bottom)};
  for (HWND control : dialog.children()) {
    const RECT r = dialog.rectOf(control);
    layout.push_back(std::to_string(GetDlgCtrlID(control)) + " " + Utf8(ClassOf(control)) + " style " +
                     std::to_string(StyleOf(control)) + " at " + std::to_string(r.left) + "," +
                     std::to_string(r.top) + " height " + std::to_string(r.bottom - r.top));
  }
  return layout;
}

TEST(DialogTemplates, EachIsInBothLanguagesWithTheSameControlsInTheSamePlaces) {
  for (const ResourceFile& file : kFiles) {
    HMODULE module = Resources(file);
    ASSERT_NE(module, nullptr);
    const Templates templates = DialogTemplates(module);
    EXPECT_FALSE(templates.empty()) << file.name;
    for (const auto& [id, languages] : templates) {
      EXPECT_EQ(languages, (std::vector<LANGID>{kEnglish, kPortuguese})) << Name(file, id, kEnglish);
      const LiveDialog english(module, id, kEnglish), portuguese(module, id, kPortuguese);
      if (english.hwnd() == nullptr || portuguese.hwnd() == nullptr) continue;
      EXPECT_EQ(Layout(english), Layout(portuguese)) << Name(file, id, kPortuguese);
    }
  }
}

// How much wider than its text a control must be: a push button's frame, the box of a check box or
// radio button, the inset of a group box's title; 0 for a static text. -1: the control shows no text.
int Padding(HWND control) {
  const std::wstring name = ClassOf(control);
  const LONG style = StyleOf(control);
  if (_wcsicmp(name.c_str(), L"Static") == 0) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
      case SS_SIMPLE:
      case SS_LEFTNOWORDWRAP:
        return 0;
      default:
        return -1;  // pictures, frames
    }
  }
  if (_wcsicmp(name.c_str(), L"Button") != 0) return -1;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return 8;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return GetSystemMetrics(SM_CXMENUCHECK) + 6;
    case BS_GROUPBOX:
      return 16;
    default:
      return -1;
  }
}

// "" when the control's text fits it, else what it needs and has. A static text that has room for two
// lines or more wraps: its words must fit its width and its lines its height.
std::string Misfit(HWND control) {
  const int padding = Padding(control);
  const std::wstring text = TextOf(control);
  if (padding < 0 || text.empty()) return {};
  RECT client{};
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const bool isStatic = _wcsicmp(ClassOf(control).c_str(), L"Static") == 0;
  const LONG type = StyleOf(control) & SS_TYPEMASK;
  const bool wraps = isStatic && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP && client.bottom >= 2 * metrics.tmHeight;
  UINT format = DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
  if (isStatic && (StyleOf(control) & SS_NOPREFIX) != 0) format |= DT_NOPREFIX;
  RECT need{0, 0, wraps ? client.right : 0, 0};
  DrawTextW(dc, text.c_str(), -1, &need, format);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  const bool fits = need.right + padding <= client.right && (!isStatic || need.bottom <= client.bottom);
  if (fits) return {};
  return "needs " + std::to_string(need.right + padding) + "x" + std::to_string(need.bottom) + " px, has " +
         std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

TEST(DialogTemplates, EveryTextFitsItsControl) {
  const char* shots = std::getenv("KVX_DIALOG_SHOTS");
  for (const ResourceFile& file : kFiles) {
    HMODULE module = Resources(file);
    ASSERT_NE(module, nullptr);
    for (const auto& [id, languages] : DialogTemplates(module)) {
      for (const LANGID language : languages) {
        const LiveDialog dialog(module, id, language);
        ASSERT_NE(dialog.hwnd(), nullptr) << Name(file, id, language) << ": error " << GetLastError();
        for (HWND control : dialog.children()) {
          const std::string misfit = Misfit(control);
          EXPECT_EQ(misfit, "") << Name(file, id, language) << " control " << GetDlgCtrlID(control) << " \""
                                << Utf8(TextOf(control)) << "\"";
        }
        if (shots == nullptr || language != kPortuguese) continue;
        const std::string picture = std::string(shots) + "\\" + file.name + "-" + std::to_string(id) + "-pt.bmp";
        EXPECT_TRUE(SaveWindowPicture(dialog.hwnd(), picture, 200)) << picture;
      }
    }
  }
}

}  // namespace
