// Shell path tests, answered by the Linux file system.
#include <shlwapi.h>
#include <sys/stat.h>

#include <string>

#include "platform/machine/text.h"

BOOL WINAPI PathFileExistsW(LPCWSTR path) {
  if (path == nullptr || *path == 0) return FALSE;
  const std::string name = machine::Utf8FromWide(path);
  struct stat status {};
  return stat(name.c_str(), &status) == 0 ? TRUE : FALSE;
}

BOOL WINAPI PathIsDirectoryW(LPCWSTR path) {
  if (path == nullptr || *path == 0) return FALSE;
  const std::string name = machine::Utf8FromWide(path);
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? TRUE : FALSE;
}
