#include <sys/stat.h>
#undef st_atime
#undef st_mtime
#undef st_ctime

#include <wstat.h>

#include <string>

namespace {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Path(const WCHAR* path) {
  std::string out;
  for (size_t i = 0; path[i]; ++i) {
    uint32_t c = path[i];
    if (c >= 0xD800 && c < 0xDC00 && path[i + 1] >= 0xDC00 && path[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

int _wstat64i32(const WCHAR* path, struct _stat64i32* buffer) {
  if (!path || !buffer) return -1;
  struct stat st;
  if (stat(Utf8Path(path).c_str(), &st) != 0) return -1;
  buffer->st_dev = static_cast<_dev_t>(st.st_dev);
  buffer->st_ino = static_cast<_ino_t>(st.st_ino);
  buffer->st_mode = static_cast<uint16_t>(st.st_mode);
  buffer->st_nlink = static_cast<int16_t>(st.st_nlink);
  buffer->st_uid = 0;
  buffer->st_gid = 0;
  buffer->st_rdev = static_cast<_dev_t>(st.st_rdev);
  buffer->st_size = static_cast<_off_t>(st.st_size);
  buffer->st_atime = st.st_atim.tv_sec;
  buffer->st_mtime = st.st_mtim.tv_sec;
  buffer->st_ctime = st.st_ctim.tv_sec;
  return 0;
}
