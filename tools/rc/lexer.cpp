#include "tools/rc/lexer.h"

#include <cstring>

namespace rc {
namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsUpper(std::string_view word, const char* keyword) {
  if (word.size() != std::strlen(keyword)) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != keyword[i]) return false;
  }
  return true;
}

}  // namespace

void Lexer::SkipSpaceAndComments() {
  for (;;) {
    char c = Peek();
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos_;
    } else if (c == '/' && Peek(1) == '/') {
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    } else if (c == '/' && Peek(1) == '*') {
      int start = line_;
      pos_ += 2;
      while (pos_ < text_.size() && !(text_[pos_] == '*' && Peek(1) == '/')) {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
      }
      if (pos_ >= text_.size()) throw CompileError(start, "comment without its closing */");
      pos_ += 2;
    } else {
      return;
    }
  }
}

Token Lexer::Next() {
  SkipSpaceAndComments();
  Token token;
  token.line = line_;
  if (pos_ >= text_.size()) return token;
  char c = text_[pos_];
  if (c == '"' || (c == 'L' && Peek(1) == '"')) {
    pos_ += c == 'L' ? 2 : 1;
    return ReadString(token.line);
  }
  if (c == ',') {
    ++pos_;
    token.kind = Token::kComma;
    return token;
  }
  if (c == '|') {
    ++pos_;
    token.kind = Token::kPipe;
    return token;
  }
  if (c == '{' || c == '}') {
    ++pos_;
    token.kind = c == '{' ? Token::kOpen : Token::kClose;
    return token;
  }
  if (IsDigit(c)) {
    size_t start = pos_;
    uint64_t value = 0;
    bool hex = c == '0' && (Peek(1) == 'x' || Peek(1) == 'X');
    if (hex) {
      pos_ += 2;
      if (HexValue(Peek()) < 0) throw CompileError(line_, "a hexadecimal number without digits");
      while (HexValue(Peek()) >= 0 && value <= 0xFFFFFFFFu) value = value * 16 + HexValue(text_[pos_++]);
    } else {
      while (IsDigit(Peek()) && value <= 0xFFFFFFFFu) value = value * 10 + (text_[pos_++] - '0');
    }
    if (value > 0xFFFFFFFFu || IsNameChar(Peek()))
      throw CompileError(line_, "a number that is not a 32-bit unsigned number: " +
                                    std::string(text_.substr(start, pos_ - start + 1)));
    token.kind = Token::kNumber;
    token.number = static_cast<uint32_t>(value);
    return token;
  }
  if (IsNameStart(c)) {
    size_t start = pos_;
    while (IsNameChar(Peek())) ++pos_;
    std::string_view word = text_.substr(start, pos_ - start);
    if (EqualsUpper(word, "BEGIN")) {
      token.kind = Token::kOpen;
    } else if (EqualsUpper(word, "END")) {
      token.kind = Token::kClose;
    } else {
      token.kind = Token::kName;
      token.text.assign(word.begin(), word.end());
    }
    return token;
  }
  if (c == '#') throw CompileError(line_, "preprocessor lines are not supported");
  throw CompileError(line_, std::string("unexpected character '") + c + "'");
}

Token Lexer::ReadString(int line) {
  Token token;
  token.kind = Token::kString;
  token.line = line;
  for (;;) {
    if (pos_ >= text_.size() || text_[pos_] == '\n') throw CompileError(line, "a string without its closing quote");
    unsigned char c = static_cast<unsigned char>(text_[pos_]);
    if (c == '"') {
      if (Peek(1) == '"') {  // "" stands for one quote
        token.text += u'"';
        pos_ += 2;
        continue;
      }
      ++pos_;
      return token;
    }
    if (c == '\\') {
      char e = Peek(1);
      pos_ += 2;
      switch (e) {
        case 'n': token.text += u'\n'; break;
        case 't': token.text += u'\t'; break;
        case 'r': token.text += u'\r'; break;
        case '\\': token.text += u'\\'; break;
        case '"': token.text += u'"'; break;
        case 'x': {
          uint32_t value = 0;
          int digits = 0;
          while (digits < 4 && HexValue(Peek()) >= 0) {
            value = value * 16 + HexValue(text_[pos_++]);
            ++digits;
          }
          if (digits == 0) throw CompileError(line_, "\\x without hexadecimal digits");
          token.text += static_cast<char16_t>(value);
          break;
        }
        default:
          throw CompileError(line_, std::string("unknown escape \\") + (e ? std::string(1, e) : std::string()));
      }
      continue;
    }
    // One UTF-8 sequence becomes one or two UTF-16 units.
    int length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || pos_ + length > text_.size()) throw CompileError(line_, "text that is not UTF-8");
    char32_t code = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text_[pos_ + k]);
      if ((next & 0xC0) != 0x80) throw CompileError(line_, "text that is not UTF-8");
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      throw CompileError(line_, "text that is not UTF-8");
    if (code >= 0x10000) {
      token.text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      token.text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      token.text += static_cast<char16_t>(code);
    }
    pos_ += length;
  }
}

}  // namespace rc
