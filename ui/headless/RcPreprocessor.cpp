#include "ui/headless/RcPreprocessor.h"

#include <algorithm>
#include <cctype>

#include "ui/headless/RcConstants.h"

namespace ui::headless::rc {
namespace {

// Bounds that keep a hostile script from exhausting the stack or the processor: far above what a
// hand-written script reaches (the program's own nests a few levels and expands a few hundred names).
constexpr int kMaxNesting = 200;
constexpr long kMaxExpansions = 100000;  // #define names expanded in the whole script

void CheckOverflow(const Lexer& lx, int line, bool overflow) {
  if (overflow) lx.Fail(line, "arithmetic overflow");
}

}  // namespace

Nesting::Level::Level(Nesting& nesting, const Lexer& lx, int line) : nesting_(nesting) {
  if (++nesting_.depth_ > kMaxNesting) {
    --nesting_.depth_;
    lx.Fail(line, "nested more than " + std::to_string(kMaxNesting) + " levels deep");
  }
}

void Preprocessor::Directive(std::string_view text, int line) {
  Lexer d(text.substr(1), line);
  Token word = d.Next();
  if (word.kind != TokenKind::Identifier) {
    if (word.kind == TokenKind::End) return;  // a lone '#'
    script_.Fail(line, "bad preprocessor line");
  }
  static constexpr std::string_view kIgnored[] = {"include", "pragma", "if", "ifdef", "ifndef", "elif", "else", "endif"};
  if (std::find(std::begin(kIgnored), std::end(kIgnored), word.text) != std::end(kIgnored)) return;
  if (word.text == "undef") {
    defines_.erase(d.Next().text);
    return;
  }
  if (word.text != "define") script_.Fail(line, "unsupported preprocessor directive #" + word.text);
  // The body starts right after the name; a '(' glued to the name makes a function-like
  // macro, which dialog scripts never use as a value.
  std::size_t at = text.find(word.text) + word.text.size();
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  std::size_t nameEnd = at;
  while (nameEnd < text.size() && (std::isalnum(static_cast<unsigned char>(text[nameEnd])) || text[nameEnd] == '_'))
    ++nameEnd;
  std::string name(text.substr(at, nameEnd - at));
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) script_.Fail(line, "#define without a name");
  if (nameEnd < text.size() && text[nameEnd] == '(') return;
  defines_[name] = Define{std::string(text.substr(nameEnd)), line};
}

std::int64_t Preprocessor::Resolve(const Token& name) {
  if (auto it = defines_.find(name.text); it != defines_.end()) {
    if (depth_ > 32) script_.Fail(name.line, "#define " + name.text + " refers to itself");
    if (++expansions_ > kMaxExpansions)
      script_.Fail(name.line, "#define names expanded more than " + std::to_string(kMaxExpansions) + " times");
    const Nesting::Level level(nesting_, script_, name.line);
    Lexer body(it->second.body, it->second.line);
    if (body.Peek().kind == TokenKind::End) script_.Fail(name.line, "'" + name.text + "' is defined without a value");
    ++depth_;
    std::int64_t value = Expr(body);
    --depth_;
    if (body.Peek().kind != TokenKind::End) body.Fail(it->second.line, "#define " + name.text + " is not a number");
    return value;
  }
  if (auto value = WindowsConstant(name.text)) return *value;
  script_.Fail(name.line, "unknown name '" + name.text + "'");
}

bool Preprocessor::IsResolvable(const Token& t) const {
  return t.kind == TokenKind::Identifier && (defines_.count(t.text) != 0 || WindowsConstant(t.text).has_value());
}

std::int64_t Preprocessor::Primary(Lexer& lx) {
  Token t = lx.Next();
  if (t.kind == TokenKind::Number) return t.number;
  if (t.kind == TokenKind::Identifier) return Resolve(t);
  if (t.IsPunct('(')) {
    const Nesting::Level level(nesting_, lx, t.line);
    std::int64_t v = Expr(lx);
    if (!lx.Accept(')')) lx.Fail(t.line, "missing ')'");
    return v;
  }
  lx.Fail(t.line, "expected a number, found " + t.Describe());
}

std::int64_t Preprocessor::Unary(Lexer& lx) {
  const Token t = lx.Peek();
  if (!t.IsPunct('-') && !t.IsPunct('+') && !t.IsPunct('~') && !t.IsPunct('!')) return Primary(lx);
  lx.Next();
  const Nesting::Level level(nesting_, lx, t.line);
  const std::int64_t v = Unary(lx);
  if (t.IsPunct('-')) {
    CheckOverflow(lx, t.line, v == INT64_MIN);
    return -v;
  }
  if (t.IsPunct('~')) return ~v;
  if (t.IsPunct('!')) return !v;
  return v;
}

std::int64_t Preprocessor::Multiplicative(Lexer& lx) {
  std::int64_t v = Unary(lx);
  for (;;) {
    const Token& t = lx.Peek();
    if (!t.IsPunct('*') && !t.IsPunct('/') && !t.IsPunct('%')) return v;
    Token op = lx.Next();
    std::int64_t r = Unary(lx);
    if (op.text == "*") {
      CheckOverflow(lx, op.line, __builtin_mul_overflow(v, r, &v));
      continue;
    }
    if (r == 0) lx.Fail(op.line, "division by zero");
    CheckOverflow(lx, op.line, v == INT64_MIN && r == -1);
    v = op.text == "/" ? v / r : v % r;
  }
}

std::int64_t Preprocessor::Additive(Lexer& lx) {
  std::int64_t v = Multiplicative(lx);
  for (;;) {
    const int line = lx.Peek().line;
    if (lx.Accept('+')) {
      const std::int64_t r = Multiplicative(lx);
      CheckOverflow(lx, line, __builtin_add_overflow(v, r, &v));
    } else if (lx.Accept('-')) {
      const std::int64_t r = Multiplicative(lx);
      CheckOverflow(lx, line, __builtin_sub_overflow(v, r, &v));
    } else {
      return v;
    }
  }
}

std::int64_t Preprocessor::BitAnd(Lexer& lx) {
  std::int64_t v = Additive(lx);
  while (lx.Accept('&')) v &= Additive(lx);
  return v;
}

std::int64_t Preprocessor::BitXor(Lexer& lx) {
  std::int64_t v = BitAnd(lx);
  while (lx.Accept('^')) v ^= BitAnd(lx);
  return v;
}

std::int64_t Preprocessor::Expr(Lexer& lx) {
  std::int64_t v = BitXor(lx);
  while (lx.Accept('|')) v |= BitXor(lx);
  return v;
}

std::uint32_t Preprocessor::StyleExpr(Lexer& lx, std::uint32_t base) {
  std::uint32_t style = base;
  do {
    bool clear = false;
    if (lx.Peek().IsKeyword("NOT")) {
      lx.Next();
      clear = true;
    }
    auto bits = static_cast<std::uint32_t>(BitXor(lx));
    style = clear ? style & ~bits : style | bits;
  } while (lx.Accept('|'));
  return style;
}

}  // namespace ui::headless::rc
