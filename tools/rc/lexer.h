// The tokens of a resource script: numbers, quoted strings, names, commas and block brackets, with
// C and C++ comments between them. Every token knows its line, for the messages.
#pragma once
#include <string>
#include <string_view>

#include "tools/rc/compiled_resource.h"

namespace rc {

struct Token {
  // BEGIN and END (in any case) come as kOpen and kClose, like the brackets { and }; kPipe is the
  // '|' that joins style flags.
  enum Kind { kEndOfScript, kNumber, kString, kName, kComma, kOpen, kClose, kPipe } kind = kEndOfScript;
  int line = 1;
  uint32_t number = 0;   // kNumber
  std::u16string text;   // kString: the decoded text; kName: the name as written
};

class Lexer {
 public:
  explicit Lexer(std::string_view script) : text_(script) {}
  // The next token; throws CompileError on text that is no token.
  Token Next();

 private:
  void SkipSpaceAndComments();
  Token ReadString(int line);
  char Peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace rc
