#include <sys/stat.h>
#undef st_atime
#undef st_mtime
#undef st_ctime

#include <wstat.h>

#include <optional>
#include <string>

#include "platform/win32/resource_names.h"

int _wstat64i32(const WCHAR* path, struct _stat64i32* buffer) {
  if (!path || !buffer) return -1;
  const std::optional<std::string> name = win32::ToUtf8(path);
  struct stat st;
  if (!name || stat(name->c_str(), &st) != 0) return -1;
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
