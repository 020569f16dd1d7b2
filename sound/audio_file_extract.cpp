// Music entries are played from files: an entry's bytes are written to the temporary folder unless
// its stored path already names a file.
#include <shlwapi.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/machine/text.h"
#include "slideshow/audio_file.h"

namespace {

// Names tried for one entry before it keeps its bytes unwritten.
constexpr int kMaxCopies = 64;

// The files this process wrote, by path, with a fingerprint of their bytes. The same bytes again
// (the next monitor scene) play from the file already written; a second entry of the same file name
// but other bytes gets a name of its own instead of overwriting the first. The files go when the
// process ends, before the run's temporary folder does.
struct WrittenFiles {
  std::map<std::u16string, uint64_t> files;
  ~WrittenFiles() {
    for (const auto& file : files) std::remove(machine::Utf8FromWide(file.first).c_str());
  }
};

WrittenFiles& Written() {
  static WrittenFiles written;
  return written;
}

uint64_t Fingerprint(const BYTE* bytes, DWORD size) {
  uint64_t hash = 14695981039346656037ull;
  for (DWORD i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash ^ size;
}

// The last part of a stored path, split at either slash. A name that would not stay inside the
// temporary folder gives nothing.
std::u16string SafeFileName(const ds_string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  std::u16string name = slash == ds_string::npos ? std::u16string(path) : std::u16string(path.substr(slash + 1));
  if (name == u"." || name == u"..") return {};
  return name;
}

// Writes a new file only: an existing file, or a link, at that name is left alone.
bool WriteWholeFile(const std::u16string& path, const BYTE* bytes, DWORD size) {
  const std::string name = machine::Utf8FromWide(path);
  std::FILE* file = std::fopen(name.c_str(), "wbx");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  std::remove(name.c_str());
  return false;
}

}  // namespace

void DS_AudioFile::ExtractToTemp() {
  if (file.Size() == 0 || file.Bytes() == nullptr) return;
  // A folder at the stored path is no file to play: the bytes are still needed.
  if (PathFileExistsW(file.name.c_str()) && !PathIsDirectoryW(file.name.c_str())) {
    file.SetBytes(0, nullptr);
    return;
  }
  const std::u16string name = SafeFileName(file.name);
  if (name.empty()) return;  // the bytes stay; the entry plays from nowhere, but nothing is lost
  WCHAR folder[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return;

  const uint64_t fingerprint = Fingerprint(file.Bytes(), file.Size());
  WrittenFiles& written = Written();
  for (int copy = 1; copy <= kMaxCopies; ++copy) {
    const std::u16string prefix = copy == 1 ? u"" : machine::WideFromUtf8(std::to_string(copy)) + u"-";
    const std::u16string target = std::u16string(folder, length) + prefix + name;
    const auto known = written.files.find(target);
    if (known != written.files.end()) {
      if (known->second != fingerprint) continue;
      if (!PathFileExistsW(target.c_str())) written.files.erase(known);
    }
    // Only a file written whole (or written so before) replaces the entry's bytes.
    if (written.files.count(target) == 0) {
      if (!WriteWholeFile(target, file.Bytes(), file.Size())) continue;
      written.files[target] = fingerprint;
    }
    file.SetName(target);
    file.SetBytes(0, nullptr);
    return;
  }
}
