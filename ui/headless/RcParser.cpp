#include "ui/headless/RcParser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/ProcessInfo.h"
#include "ui/headless/RcConstants.h"
#include "ui/headless/RcLexer.h"
#include "ui/headless/RcPreprocessor.h"

namespace ui::headless {
namespace rc {
namespace {

constexpr std::uint32_t kWsPopup = 0x80000000, kWsChild = 0x40000000, kWsVisible = style::Visible;
constexpr std::uint32_t kWsCaption = 0x00C00000, kWsBorder = 0x00800000, kWsSysmenu = 0x00080000;
constexpr std::uint32_t kWsGroup = style::Group, kWsTabstop = style::TabStop, kDsSetfont = 0x40;
constexpr std::uint32_t kSsLeft = 0, kSsCenter = 1, kSsRight = 2, kSsIcon = 3;
constexpr std::uint32_t kEsLeft = 0, kLbsNotify = 1, kCbsSimple = 1, kSbsHorz = 0;
constexpr std::uint32_t kMftSeparator = 0x800, kMftRightjustify = 0x4000;

// Statement, class, style without a style expression, style a style expression modifies.
struct ControlKind {
  std::string_view keyword;
  std::string_view className;
  std::uint32_t defaultStyle;
  std::uint32_t baseStyle;
  bool hasText;
};

constexpr ControlKind kControlKinds[] = {
    {"LTEXT", "STATIC", kSsLeft | kWsGroup, kSsLeft, true},
    {"RTEXT", "STATIC", kSsRight | kWsGroup, kSsRight, true},
    {"CTEXT", "STATIC", kSsCenter | kWsGroup, kSsCenter, true},
    {"PUSHBUTTON", "BUTTON", style::PushButton | kWsTabstop, style::PushButton | kWsTabstop, true},
    {"DEFPUSHBUTTON", "BUTTON", style::DefPushButton | kWsTabstop, style::DefPushButton | kWsTabstop, true},
    {"GROUPBOX", "BUTTON", style::GroupBox, style::GroupBox, true},
    {"AUTORADIOBUTTON", "BUTTON", style::AutoRadioButton | kWsTabstop, style::AutoRadioButton, true},
    {"RADIOBUTTON", "BUTTON", style::RadioButton | kWsTabstop, style::RadioButton, true},
    {"AUTOCHECKBOX", "BUTTON", style::AutoCheckBox | kWsTabstop, style::AutoCheckBox, true},
    {"CHECKBOX", "BUTTON", style::CheckBox | kWsTabstop, style::CheckBox | kWsTabstop, true},
    {"STATE3", "BUTTON", 0x5 | kWsTabstop, 0x5, true},
    {"AUTO3STATE", "BUTTON", 0x6 | kWsTabstop, 0x6, true},
    {"PUSHBOX", "BUTTON", 0xA | kWsTabstop, 0xA, true},
    {"COMBOBOX", "COMBOBOX", kCbsSimple | kWsTabstop, 0, false},
    {"LISTBOX", "LISTBOX", kLbsNotify | kWsBorder, kLbsNotify | kWsBorder, false},
    {"EDITTEXT", "EDIT", kEsLeft | kWsBorder | kWsTabstop, kEsLeft | kWsBorder | kWsTabstop, false},
    {"SCROLLBAR", "SCROLLBAR", kSbsHorz, 0, false},
};

constexpr std::string_view kMemoryOptions[] = {"DISCARDABLE", "PRELOAD", "LOADONCALL", "MOVEABLE", "FIXED",
                                               "PURE",        "IMPURE",  "SHARED",     "NONSHARED", "NONDISCARDABLE"};

// Resource types read only by the Windows build.
constexpr std::string_view kSkippedTypes[] = {
    "ICON",    "BITMAP",      "CURSOR",     "FONT",       "HTML",     "RCDATA",  "MESSAGETABLE",     "VERSIONINFO",
    "DESIGNINFO", "TEXTINCLUDE", "ACCELERATORS", "DLGINIT", "TOOLBAR", "DLGINCLUDE", "AFX_DIALOG_LAYOUT", "MANIFEST",
    "PLUGPLAY", "VXD", "ANICURSOR", "ANIICON"};

// Statements that begin a resource: a block skip must not run past one of them.
constexpr std::string_view kResourceKeywords[] = {"DIALOG", "DIALOGEX", "MENU", "MENUEX", "STRINGTABLE", "LANGUAGE"};

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::string_view (&list)[N]) {
  return std::any_of(std::begin(list), std::end(list), [&](std::string_view k) { return platform::EqualNoCase(k, word); });
}

bool IsMenuFlag(const Token& t) {
  static constexpr std::string_view kFlags[] = {"CHECKED", "GRAYED", "HELP", "INACTIVE", "MENUBARBREAK", "MENUBREAK"};
  return t.kind == TokenKind::Identifier && IsOneOf(t.text, kFlags);
}

std::string LangText(LangId lang) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(lang));
  return buf;
}

class Parser {
public:
  explicit Parser(std::string_view script)
      : lex_(script, 1, [this](std::string_view directive, int line) { pre_.Directive(directive, line); }),
        pre_(lex_, nesting_) {}

  ResourceSet Run() {
    while (lex_.Peek().kind != TokenKind::End) Statement();
    return std::move(out_);
  }

private:
  std::int64_t Expr() { return pre_.Expr(lex_); }
  int Int() { return static_cast<int>(Expr()); }
  std::uint32_t StyleExpr(std::uint32_t base) { return pre_.StyleExpr(lex_, base); }

  // ---- small pieces -------------------------------------------------------------------

  void Expect(char c, const char* what) {
    const Token& t = lex_.Peek();
    if (!t.IsPunct(c)) lex_.Fail(t.line, std::string("expected '") + c + "' " + what + ", found " + t.Describe());
    lex_.Next();
  }

  void ExpectBegin(const char* what) {
    Token t = lex_.Next();
    if (!t.IsBegin()) lex_.Fail(t.line, std::string("expected BEGIN of ") + what + ", found " + t.Describe());
  }

  // Adjacent literals are one text.
  std::string Strings(const char* what) {
    Token t = lex_.Next();
    if (t.kind != TokenKind::String) lex_.Fail(t.line, std::string("expected the text of ") + what + ", found " + t.Describe());
    std::string text = std::move(t.text);
    while (lex_.Peek().kind == TokenKind::String) text += lex_.Next().text;
    return text;
  }

  // A control's text, or the resource an ICON or bitmap control shows: a name or "#id".
  std::string ControlText() {
    if (lex_.Peek().kind == TokenKind::String) return Strings("a control");
    return "#" + std::to_string(Expr());
  }

  int ResourceId(const Token& name, const char* what) {
    if (name.kind == TokenKind::Number) return static_cast<int>(name.number);
    if (pre_.IsResolvable(name)) return static_cast<int>(pre_.Resolve(name));
    lex_.Fail(name.line, std::string(what) + " name " + name.Describe() + " is not a defined id");
  }

  LangId Language() {
    std::int64_t primary = Expr();
    Expect(',', "between language and sublanguage");
    std::int64_t sub = Expr();
    return static_cast<LangId>((sub << 10) | primary);
  }

  void SkipMemoryOptions() {
    while (lex_.Peek().kind == TokenKind::Identifier && IsOneOf(lex_.Peek().text, kMemoryOptions)) lex_.Next();
  }

  // Options after a resource type: memory flags and the per-resource LANGUAGE.
  void ResourceOptions(LangId& lang) {
    for (;;) {
      SkipMemoryOptions();
      const Token& t = lex_.Peek();
      if (t.IsKeyword("LANGUAGE")) {
        lex_.Next();
        lang = Language();
      } else if (t.IsKeyword("CHARACTERISTICS") || t.IsKeyword("VERSION")) {
        lex_.Next();
        Expr();
      } else {
        return;
      }
    }
  }

  void SkipBlock(int line) {
    for (int depth = 1; depth > 0;) {
      Token t = lex_.Next();
      if (t.kind == TokenKind::End) lex_.Fail(line, "missing END of the block opened here");
      if (t.IsBegin()) ++depth;
      if (t.IsEnd()) --depth;
    }
  }

  // ---- statements ---------------------------------------------------------------------

  void Statement() {
    Token t = lex_.Next();
    if (t.IsKeyword("LANGUAGE")) {
      lang_ = Language();
    } else if (t.IsKeyword("STRINGTABLE")) {
      StringTable();
    } else if (t.IsKeyword("VERSION") || t.IsKeyword("CHARACTERISTICS")) {
      Expr();
    } else if (t.kind == TokenKind::Punct) {
      lex_.Fail(t.line, "unexpected " + t.Describe());
    } else {
      Token type = lex_.Next();
      if (type.IsKeyword("DIALOG") || type.IsKeyword("DIALOGEX")) {
        Dialog(ResourceId(t, "dialog"), type.IsKeyword("DIALOGEX"));
      } else if (type.IsKeyword("MENU") || type.IsKeyword("MENUEX")) {
        Menu(ResourceId(t, "menu"), type.IsKeyword("MENUEX"));
      } else if ((type.kind == TokenKind::Identifier && IsOneOf(type.text, kSkippedTypes)) ||
                 type.kind == TokenKind::Number || type.kind == TokenKind::String || pre_.IsResolvable(type)) {
        SkipResource(type);
      } else if (type.kind == TokenKind::End) {
        lex_.Fail(t.line, "resource " + t.Describe() + " without a type");
      } else {
        lex_.Fail(type.line, "unknown resource type " + type.Describe());
      }
    }
  }

  // A resource the headless kit does not use: either a file name on the type's line
  // (ICON "x.ico", 24 "x.manifest") or a block (VERSIONINFO, TEXTINCLUDE, ACCELERATORS).
  void SkipResource(const Token& type) {
    for (;;) {
      if (!lex_.LineHasMore()) break;
      std::string_view word = lex_.RawWord();
      if (!word.empty() && IsOneOf(word, kMemoryOptions)) {
        lex_.SkipRaw(word.size());
        continue;
      }
      if (platform::EqualNoCase(word, "BEGIN") || lex_.RawStartsWith('{')) break;
      lex_.SkipLine();
      return;
    }
    for (;;) {
      Token t = lex_.Next();
      if (t.IsBegin()) return SkipBlock(t.line);
      if (t.kind == TokenKind::End || (t.kind == TokenKind::Identifier && IsOneOf(t.text, kResourceKeywords)))
        lex_.Fail(t.line, "expected the file or the BEGIN of the " + type.text + " resource, found " + t.Describe());
    }
  }

  void StringTable() {
    LangId lang = lang_;
    ResourceOptions(lang);
    ExpectBegin("STRINGTABLE");
    for (;;) {
      const Token& t = lex_.Peek();
      if (t.kind == TokenKind::End) lex_.Fail(t.line, "missing END of STRINGTABLE");
      if (t.IsEnd()) break;
      int line = t.line;
      int id = Int();
      lex_.Accept(',');
      std::string text = Strings(("string " + std::to_string(id)).c_str());
      for (const auto& s : out_.strings)
        if (s.id == id && s.lang == lang)
          lex_.Fail(line, "string " + std::to_string(id) + " defined twice for language " + LangText(lang));
      out_.strings.push_back(StringEntry{id, lang, std::move(text)});
    }
    lex_.Next();
  }

  void Dialog(int id, bool ex) {
    int line = lex_.Peek().line;
    DialogTemplate d;
    d.id = id;
    d.lang = lang_;
    d.style = kWsPopup | kWsBorder | kWsSysmenu;
    SkipMemoryOptions();
    Position(d.x, d.y, d.cx, d.cy);
    if (ex && lex_.Accept(',')) Expr();  // help id
    std::uint32_t implied = 0;          // what CAPTION and FONT add, kept by a later STYLE
    for (;;) {
      Token t = lex_.Next();
      if (t.IsBegin()) break;
      if (t.IsKeyword("STYLE")) {
        d.style = StyleExpr(implied);
      } else if (t.IsKeyword("EXSTYLE")) {
        Expr();
      } else if (t.IsKeyword("CAPTION")) {
        d.caption = Strings("CAPTION");
        d.style |= kWsCaption;
        implied |= kWsCaption;
      } else if (t.IsKeyword("MENU")) {
        d.menuId = ResourceId(lex_.Next(), "menu");
      } else if (t.IsKeyword("FONT")) {
        Expr();
        Expect(',', "after the font size");
        Strings("FONT");
        for (int i = 0; i < 3 && lex_.Accept(','); ++i) Expr();
        d.style |= kDsSetfont;
        implied |= kDsSetfont;
      } else if (t.IsKeyword("CLASS")) {
        lex_.Next();
      } else if (t.IsKeyword("LANGUAGE")) {
        d.lang = Language();
      } else if (t.IsKeyword("CHARACTERISTICS") || t.IsKeyword("VERSION")) {
        Expr();
      } else {
        lex_.Fail(t.line, "unknown dialog statement " + t.Describe());
      }
    }
    for (;;) {
      const Token& t = lex_.Peek();
      if (t.kind == TokenKind::End) lex_.Fail(line, "missing END of dialog " + std::to_string(id));
      if (t.IsEnd()) break;
      d.controls.push_back(Control());
    }
    lex_.Next();
    for (const auto& other : out_.dialogs)
      if (other.id == d.id && other.lang == d.lang)
        lex_.Fail(line, "dialog " + std::to_string(id) + " defined twice for language " + LangText(d.lang));
    out_.dialogs.push_back(std::move(d));
  }

  void Position(ControlTemplate& c) { Position(c.x, c.y, c.cx, c.cy); }

  void Position(int& x, int& y, int& cx, int& cy) {
    x = Int();
    Expect(',', "after x");
    y = Int();
    Expect(',', "after y");
    cx = Int();
    Expect(',', "after width");
    cy = Int();
  }

  // [, exstyle [, help id]] and optional control data, after the style.
  void ControlTail(ControlTemplate& c) {
    if (lex_.Accept(',')) {
      c.exStyle = static_cast<std::uint32_t>(Expr());
      if (lex_.Accept(',')) Expr();
    }
    if (lex_.Peek().IsBegin()) SkipBlock(lex_.Next().line);
  }

  ControlTemplate Control() {
    Token t = lex_.Next();
    ControlTemplate c;
    if (t.IsKeyword("CONTROL")) {
      c.text = ControlText();
      Expect(',', "after the control text");
      c.id = Int();
      Expect(',', "after the control id");
      c.className = ClassName();
      Expect(',', "after the class");
      c.style = StyleExpr(kWsChild | kWsVisible);
      Expect(',', "after the style");
      Position(c);
      ControlTail(c);
      return c;
    }
    if (t.IsKeyword("ICON")) {
      c.className = "STATIC";
      c.text = ControlText();
      Expect(',', "after the icon");
      c.id = Int();
      Expect(',', "after the control id");
      c.x = Int();
      Expect(',', "after x");
      c.y = Int();
      c.style = kSsIcon | kWsChild | kWsVisible;
      if (lex_.Accept(',')) {
        c.cx = Int();
        Expect(',', "after width");
        c.cy = Int();
        if (lex_.Accept(',')) c.style = StyleExpr(kSsIcon | kWsChild | kWsVisible);
      }
      ControlTail(c);
      return c;
    }
    const ControlKind* kind = nullptr;
    for (const auto& k : kControlKinds)
      if (t.IsKeyword(k.keyword)) kind = &k;
    if (!kind) lex_.Fail(t.line, "unknown control statement " + t.Describe());
    c.className = std::string(kind->className);
    if (kind->hasText) {
      c.text = ControlText();
      Expect(',', "after the control text");
    }
    c.id = Int();
    Expect(',', "after the control id");
    Position(c);
    if (lex_.Accept(',')) {
      c.style = StyleExpr(kind->baseStyle | kWsChild | kWsVisible);
      ControlTail(c);
    } else {
      c.style = kind->defaultStyle | kWsChild | kWsVisible;
      if (lex_.Peek().IsBegin()) SkipBlock(lex_.Next().line);
    }
    return c;
  }

  std::string ClassName() {
    Token t = lex_.Next();
    if (t.kind == TokenKind::String) return std::string(NormalizeClassName(t.text));
    if (t.kind == TokenKind::Identifier) {
      if (auto name = ClassNameFromIdentifier(t.text)) return std::string(*name);
      if (pre_.IsResolvable(t))
        if (auto name = ClassNameFromOrdinal(pre_.Resolve(t))) return std::string(*name);
    }
    if (t.kind == TokenKind::Number)
      if (auto name = ClassNameFromOrdinal(t.number)) return std::string(*name);
    lex_.Fail(t.line, "unknown window class " + t.Describe());
  }

  void Menu(int id, bool ex) {
    int line = lex_.Peek().line;
    MenuTemplate m;
    m.id = id;
    m.lang = lang_;
    ResourceOptions(m.lang);
    ExpectBegin("MENU");
    MenuItems(m.items, ex, line);
    for (const auto& other : out_.menus)
      if (other.id == m.id && other.lang == m.lang)
        lex_.Fail(line, "menu " + std::to_string(id) + " defined twice for language " + LangText(m.lang));
    out_.menus.push_back(std::move(m));
  }

  // Flags of a MENU item, with or without commas: only HELP matters here.
  bool MenuFlags() {
    bool help = false;
    for (;;) {
      if (lex_.Peek().IsPunct(',')) {
        lex_.Next();
        if (!IsMenuFlag(lex_.Peek())) lex_.Fail(lex_.Peek().line, "expected a menu option, found " + lex_.Peek().Describe());
      }
      if (!IsMenuFlag(lex_.Peek())) return help;
      help |= lex_.Next().IsKeyword("HELP");
    }
  }

  void MenuItems(std::vector<MenuItem>& items, bool ex, int line) {
    for (;;) {
      Token t = lex_.Next();
      if (t.IsEnd()) return;
      if (t.kind == TokenKind::End) lex_.Fail(line, "missing END of the menu block opened here");
      MenuItem item;
      if (t.IsKeyword("MENUITEM")) {
        if (lex_.Peek().IsKeyword("SEPARATOR")) {
          lex_.Next();
        } else {
          item.text = Strings("MENUITEM");
          if (!ex) {
            Expect(',', "before the command id");
            item.command = Int();
            item.rightJustify = MenuFlags();
          } else if (lex_.Accept(',')) {
            item.command = Int();
            if (lex_.Accept(',')) {
              auto type = static_cast<std::uint32_t>(Expr());
              item.rightJustify = (type & kMftRightjustify) != 0;
              if (type & kMftSeparator) item = MenuItem{};
              if (lex_.Accept(',')) Expr();  // state
            }
          }
        }
      } else if (t.IsKeyword("POPUP")) {
        item.popup = true;
        item.text = Strings("POPUP");
        if (!ex) {
          item.rightJustify = MenuFlags();
        } else if (lex_.Accept(',')) {
          Expr();  // id
          if (lex_.Accept(',')) {
            item.rightJustify = (static_cast<std::uint32_t>(Expr()) & kMftRightjustify) != 0;
            for (int i = 0; i < 2 && lex_.Accept(','); ++i) Expr();  // state, help id
          }
        }
        int popupLine = lex_.Peek().line;
        ExpectBegin("POPUP");
        const Nesting::Level level(nesting_, lex_, popupLine);
        MenuItems(item.items, ex, popupLine);
      } else {
        lex_.Fail(t.line, "unknown menu statement " + t.Describe());
      }
      items.push_back(std::move(item));
    }
  }

  Nesting nesting_;
  Lexer lex_;
  Preprocessor pre_;
  ResourceSet out_;
  LangId lang_ = platform::lang::EnglishUs;
};

}  // namespace
}  // namespace rc

ResourceSet ParseResourceScript(std::string_view script) { return rc::Parser(script).Run(); }

}  // namespace ui::headless
