// UTF-8 and UTF-16 conversions for the stand-in's boundaries: machine descriptions, file names,
// standard error. Malformed input never fails: each bad sequence becomes U+FFFD.
#pragma once
#include <string>
#include <string_view>

namespace machine {

std::u16string WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::u16string_view text);

}  // namespace machine
