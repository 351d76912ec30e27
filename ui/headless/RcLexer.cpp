#include "ui/headless/RcLexer.h"

#include <cassert>
#include <stdexcept>

#include "platform/Windows1252.h"

namespace ui::headless::rc {
namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr std::string_view kPunctuation = ",|()+-~&{}!*/%^<>=?:";

}  // namespace

bool Token::IsKeyword(std::string_view keyword) const {
  return kind == TokenKind::Identifier && platform::EqualNoCase(text, keyword);
}

std::string Token::Describe() const {
  switch (kind) {
    case TokenKind::End: return "end of script";
    case TokenKind::String: return "string \"" + text + "\"";
    default: return "'" + text + "'";
  }
}

Lexer::Lexer(std::string_view text, int firstLine, DirectiveHandler onDirective)
    : text_(text), firstLine_(firstLine), line_(firstLine), onDirective_(std::move(onDirective)) {}

const Token& Lexer::Peek() {
  if (!peeked_) peeked_ = Lex();
  return *peeked_;
}

Token Lexer::Next() {
  if (peeked_) {
    Token t = std::move(*peeked_);
    peeked_.reset();
    return t;
  }
  return Lex();
}

bool Lexer::Accept(char c) {
  if (!Peek().IsPunct(c)) return false;
  Next();
  return true;
}

void Lexer::SkipSpace() {
  while (pos_ < text_.size()) {
    char c = text_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
      atLineStart_ = true;
    } else if (IsBlank(c)) {
      ++pos_;
    } else if (text_.compare(pos_, 3, "\xEF\xBB\xBF") == 0) {
      pos_ += 3;  // the byte-order mark of a UTF-8 file, wherever the build joined one in
    } else if (text_.compare(pos_, 2, "//") == 0) {
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    } else if (text_.compare(pos_, 2, "/*") == 0) {
      int startLine = line_;
      std::size_t end = text_.find("*/", pos_ + 2);
      if (end == std::string_view::npos) Fail(startLine, "unterminated comment");
      for (std::size_t i = pos_; i < end; ++i)
        if (text_[i] == '\n') ++line_;
      pos_ = end + 2;
    } else if (c == '#' && atLineStart_) {
      Directive();
    } else {
      return;
    }
  }
}

void Lexer::Directive() {
  int line = line_;
  std::string directive;
  while (pos_ < text_.size() && text_[pos_] != '\n') {
    if (text_[pos_] == '\\' && (text_.compare(pos_, 2, "\\\n") == 0 || text_.compare(pos_, 3, "\\\r\n") == 0)) {
      pos_ = text_.find('\n', pos_) + 1;
      ++line_;
      directive += ' ';
      continue;
    }
    directive += text_[pos_++];
  }
  if (onDirective_) onDirective_(directive, line);
}

Token Lexer::Lex() {
  SkipSpace();
  Token t;
  t.line = line_;
  if (pos_ >= text_.size()) return t;
  atLineStart_ = false;
  char c = text_[pos_];
  if ((c == 'L' || c == 'l') && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
    ++pos_;
    LexString(t);
  } else if (c == '"') {
    LexString(t);
  } else if (IsIdentStart(c)) {
    std::size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
    t.kind = TokenKind::Identifier;
    t.text = std::string(text_.substr(start, pos_ - start));
  } else if (IsDigit(c)) {
    std::size_t start = pos_;
    std::uint64_t value = 0;
    bool hex = text_.compare(pos_, 2, "0x") == 0 || text_.compare(pos_, 2, "0X") == 0;
    if (hex) {
      pos_ += 2;
      if (pos_ >= text_.size() || !IsHexDigit(text_[pos_])) Fail(line_, "bad hexadecimal number");
      for (; pos_ < text_.size() && IsHexDigit(text_[pos_]); ++pos_) value = value * 16 + HexValue(text_[pos_]);
    } else {
      for (; pos_ < text_.size() && IsDigit(text_[pos_]); ++pos_) value = value * 10 + (text_[pos_] - '0');
    }
    if (pos_ - start > 18) Fail(line_, "number too long");
    while (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l' || text_[pos_] == 'U' || text_[pos_] == 'u'))
      ++pos_;
    if (pos_ < text_.size() && IsIdentChar(text_[pos_]))
      Fail(line_, "bad number '" + std::string(text_.substr(start, pos_ - start + 1)) + "'");
    t.kind = TokenKind::Number;
    t.number = static_cast<std::int64_t>(value);
    t.text = std::string(text_.substr(start, pos_ - start));
  } else if (kPunctuation.find(c) != std::string_view::npos) {
    ++pos_;
    t.kind = TokenKind::Punct;
    t.text = std::string(1, c);
  } else {
    Fail(line_, std::string("unexpected character '") + c + "'");
  }
  return t;
}

void Lexer::LexString(Token& t) {
  t.kind = TokenKind::String;
  ++pos_;  // opening quote
  for (;;) {
    if (pos_ >= text_.size() || text_[pos_] == '\n') Fail(t.line, "unterminated string");
    char c = text_[pos_++];
    if (c == '"') {
      if (pos_ < text_.size() && text_[pos_] == '"') {  // "" is a quote inside the string
        t.text += '"';
        ++pos_;
        continue;
      }
      // The script is UTF-8; the system's text is Windows-1252, as LoadStringA gives it.
      t.text = platform::Utf8ToAnsiLossy(t.text);
      return;
    }
    if (c != '\\') {
      t.text += c;
      continue;
    }
    if (pos_ >= text_.size()) Fail(t.line, "unterminated string");
    char e = text_[pos_++];
    switch (e) {
      case 'n': t.text += '\n'; break;
      case 't': t.text += '\t'; break;
      case 'r': t.text += '\r'; break;
      case 'a': t.text += '\a'; break;
      case 'b': t.text += '\b'; break;
      case 'f': t.text += '\f'; break;
      case 'v': t.text += '\v'; break;
      case '\\': case '"': case '\'': case '?': t.text += e; break;
      case 'x': case 'X': {
        unsigned code = 0;
        int digits = 0;
        for (; digits < 4 && pos_ < text_.size() && IsHexDigit(text_[pos_]); ++digits)
          code = code * 16 + HexValue(text_[pos_++]);
        if (digits == 0) Fail(t.line, "\\x without hexadecimal digits");
        AppendUtf8(t.text, code);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned code = e - '0';
          for (int digits = 1; digits < 3 && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '7'; ++digits)
            code = code * 8 + (text_[pos_++] - '0');
          AppendUtf8(t.text, code);
        } else {
          // Unknown escapes stay as written, as the resource compilers keep them.
          t.text += '\\';
          t.text += e;
        }
    }
  }
}

bool Lexer::LineHasMore() {
  assert(!peeked_);
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  if (pos_ >= text_.size() || text_[pos_] == '\n') return false;
  if (text_.compare(pos_, 2, "//") == 0) return false;
  return true;
}

std::string_view Lexer::RawWord() {
  assert(!peeked_);
  std::size_t end = pos_;
  if (end < text_.size() && IsIdentStart(text_[end]))
    while (end < text_.size() && IsIdentChar(text_[end])) ++end;
  return text_.substr(pos_, end - pos_);
}

bool Lexer::RawStartsWith(char c) { return pos_ < text_.size() && text_[pos_] == c; }

void Lexer::SkipRaw(std::size_t count) {
  assert(!peeked_);
  pos_ = std::min(text_.size(), pos_ + count);
}

void Lexer::SkipLine() {
  assert(!peeked_);
  while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
}

std::string Lexer::LineText(int line) const {
  std::size_t start = 0;
  for (int l = firstLine_; l < line && start != std::string_view::npos; ++l) {
    start = text_.find('\n', start);
    if (start != std::string_view::npos) ++start;
  }
  if (start == std::string_view::npos || start >= text_.size()) return {};
  std::size_t end = text_.find('\n', start);
  std::string_view s = text_.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  while (!s.empty() && (IsBlank(s.front()))) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()))) s.remove_suffix(1);
  if (s.size() > 120) s = s.substr(0, 120);
  return std::string(s);
}

void Lexer::Fail(int line, const std::string& message) const {
  std::string text = "resource script line " + std::to_string(line) + ": " + message;
  std::string source = LineText(line);
  if (!source.empty()) text += " [" + source + "]";
  throw std::runtime_error(text);
}

}  // namespace ui::headless::rc
