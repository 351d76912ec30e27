#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CaseFolding.h"

namespace ui::headless::rc {

enum class TokenKind { End, Identifier, Number, String, Punct };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;  // identifier or punctuation spelling; a string's decoded text (Windows-1252)
  std::int64_t number = 0;
  int line = 0;

  bool IsPunct(char c) const { return kind == TokenKind::Punct && text.size() == 1 && text[0] == c; }
  // Resource-script keywords are case-insensitive.
  bool IsKeyword(std::string_view keyword) const;
  bool IsBegin() const { return IsKeyword("BEGIN") || IsPunct('{'); }
  bool IsEnd() const { return IsKeyword("END") || IsPunct('}'); }
  std::string Describe() const;  // for error messages
};

// Tokens of a resource script. Preprocessor lines (# at the start of a line) are handed to
// the directive handler whole, continuation lines joined, and never become tokens.
class Lexer {
public:
  using DirectiveHandler = std::function<void(std::string_view directive, int line)>;

  explicit Lexer(std::string_view text, int firstLine = 1, DirectiveHandler onDirective = {});

  const Token& Peek();
  Token Next();
  // Consumes the next token if it is the punctuation c.
  bool Accept(char c);

  // Raw access for resource statements that name a file, which need not be a token
  // (res\app.ico). Valid only with nothing peeked.
  bool LineHasMore();                // anything but blanks or a comment left on this line
  std::string_view RawWord();        // identifier characters at the current position (not consumed)
  bool RawStartsWith(char c);
  void SkipRaw(std::size_t count);
  void SkipLine();

  [[noreturn]] void Fail(int line, const std::string& message) const;

private:
  void SkipSpace();
  Token Lex();
  void LexString(Token& token);
  void Directive();
  std::string LineText(int line) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  int firstLine_;
  int line_;
  bool atLineStart_ = true;
  DirectiveHandler onDirective_;
  std::optional<Token> peeked_;
};

}  // namespace ui::headless::rc
