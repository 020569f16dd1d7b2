#include "file_bytes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <filesystem>

#include "platform/win32/resource_names.h"

namespace d3dx9 {

bool ReadWholeFile(LPCWSTR path, std::vector<uint8_t>& out) {
  out.clear();
  if (!path) return false;
  auto utf8 = win32::ToUtf8(std::u16string_view(path));
  if (!utf8 || utf8->empty()) return false;
  std::replace(utf8->begin(), utf8->end(), '\\', '/');
  std::error_code error;
  if (!std::filesystem::is_regular_file(*utf8, error)) return false;
  std::ifstream file(*utf8, std::ios::binary);
  if (!file) return false;
  try {
    out.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
  return !file.bad();
}

}  // namespace d3dx9
