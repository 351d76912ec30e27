#pragma once
// What a resource script computes before its statements mean anything: the preprocessor lines,
// the value of every number it writes, and how deep its parse may nest.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "ui/headless/RcLexer.h"

namespace ui::headless::rc {

// How deep a parse may recurse (parentheses, unary operators, names inside #defines, menu popups),
// so that a hostile script cannot exhaust the stack.
class Nesting {
public:
  // One more level for the guard's lifetime: a parse error naming the line when too deep.
  class Level {
  public:
    Level(Nesting& nesting, const Lexer& lx, int line);
    ~Level() { --nesting_.depth_; }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

  private:
    Nesting& nesting_;
  };

private:
  int depth_ = 0;
};

// The script's preprocessor lines and the numbers its statements write: #define names, the
// Windows constants, and the C arithmetic over them (64-bit; an overflow is an error).
class Preprocessor {
public:
  // script: the whole script's lexer, whose lines the errors of names and directives quote.
  Preprocessor(const Lexer& script, Nesting& nesting) : script_(script), nesting_(nesting) {}

  // A preprocessor line as the lexer hands it over, '#' included. #define and #undef count;
  // #include, #pragma and the conditionals are ignored.
  void Directive(std::string_view text, int line);

  // | ^ & + - * / % and unary - + ~ ! with C's precedence, parentheses, numbers and names.
  std::int64_t Expr(Lexer& lx);
  // term { '|' term } where a term preceded by NOT clears its bits from what came before.
  std::uint32_t StyleExpr(Lexer& lx, std::uint32_t base);
  // A #define name or a Windows constant; anything else is an error.
  std::int64_t Resolve(const Token& name);
  bool IsResolvable(const Token& t) const;

private:
  struct Define {
    std::string body;
    int line = 0;
  };

  std::int64_t Primary(Lexer& lx);
  std::int64_t Unary(Lexer& lx);
  std::int64_t Multiplicative(Lexer& lx);
  std::int64_t Additive(Lexer& lx);
  std::int64_t BitAnd(Lexer& lx);
  std::int64_t BitXor(Lexer& lx);

  const Lexer& script_;
  Nesting& nesting_;
  std::map<std::string, Define, std::less<>> defines_;
  int depth_ = 0;
  long expansions_ = 0;
};

}  // namespace ui::headless::rc
