// The file-status query of the C runtime with 64-bit times and 32-bit sizes, on wide paths.
// (Linux's own <sys/stat.h> defines st_mtime and its siblings as macros, so a file that includes both
// must undefine them before this header.)
#pragma once
#include "minwindef.h"

typedef uint32_t _dev_t;
typedef uint16_t _ino_t;
typedef int32_t _off_t;
typedef int64_t __time64_t;

struct _stat64i32 {
  _dev_t st_dev;
  _ino_t st_ino;
  uint16_t st_mode;
  int16_t st_nlink;
  int16_t st_uid;
  int16_t st_gid;
  _dev_t st_rdev;
  _off_t st_size;
  __time64_t st_atime;  // seconds since 1970-01-01 00:00 UTC
  __time64_t st_mtime;
  __time64_t st_ctime;
};

// 0 and *buffer filled, or -1 when the file cannot be examined. The path names a file of this
// machine as it stands (UTF-16, taken as UTF-8 on Linux; a backslash is not a separator here); a path
// with a lone surrogate names no file.
int _wstat64i32(const WCHAR* path, struct _stat64i32* buffer);
