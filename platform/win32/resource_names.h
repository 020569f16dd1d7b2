// Names as Windows compares them: resource names and types, module file names, registry keys and
// values all ignore letter case. Also the UTF-8 form in which the stand-in writes names to files.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Upper case of a UTF-16 code unit for the letters of ASCII and Latin-1; every other unit is itself.
char16_t FoldCase(char16_t c);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

struct LessNoCase {
  bool operator()(std::u16string_view a, std::u16string_view b) const;
};

// Null when the text is not well-formed (a lone surrogate, a broken UTF-8 sequence).
std::optional<std::string> ToUtf8(std::u16string_view text);
std::optional<std::u16string> FromUtf8(std::string_view text);

}  // namespace win32
