#include "platform/win32/module_file.h"

#include <dlfcn.h>
#include <elf.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <string>

namespace win32 {
namespace {

// Names from documents reach here, so only a plain file name is accepted: anything that could walk
// out of the executable's folder is refused before the file system is asked.
std::optional<std::string> PlainFileName(std::u16string_view fileName) {
  if (fileName.empty() || fileName == u"." || fileName == u"..") return std::nullopt;
  std::string name;
  for (char16_t c : fileName) {
    // Module names are ASCII; anything else (and any separator or control character) is refused.
    if (c < 0x20 || c >= 0x7F || c == u'/' || c == u'\\' || c == u':') return std::nullopt;
    name += static_cast<char>(c);
  }
  return name;
}

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Library file names are matched without case, as on Windows: the exact name first, then any file of
// the folder that differs only in case.
std::optional<std::filesystem::path> FileInFolder(const std::filesystem::path& folder, const std::string& name) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(folder / name, ec)) return folder / name;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (SameNoCase(entry.path().filename().string(), name) && entry.is_regular_file(ec)) return entry.path();
  return std::nullopt;
}

// The loader maps a library's segments straight from the file, and touching a part of a mapping
// that lies past the end of a cut-short file kills the process. So the file is checked first: a
// shared object of this machine's kind whose headers and segments all lie inside the file.
bool WholeSharedObject(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  Elf64_Ehdr header{};
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) return false;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
      header.e_type != ET_DYN || header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0)
    return false;
  auto inside = [size](uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; };
  if (!inside(header.e_phoff, uint64_t{header.e_phnum} * sizeof(Elf64_Phdr))) return false;
  if (header.e_shnum != 0 && !inside(header.e_shoff, uint64_t{header.e_shnum} * header.e_shentsize)) return false;
  in.seekg(static_cast<std::streamoff>(header.e_phoff));
  for (int i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment{};
    if (!in.read(reinterpret_cast<char*>(&segment), sizeof segment)) return false;
    if (!inside(segment.p_offset, segment.p_filesz)) return false;
  }
  return true;
}

}  // namespace

std::filesystem::path ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) return {};
  buffer.resize(static_cast<size_t>(length));
  return std::filesystem::path(buffer).parent_path();
}

std::optional<ResourceTable> LoadModuleFile(std::u16string_view fileName) {
  const std::filesystem::path folder = ExecutableFolder();
  if (folder.empty()) return std::nullopt;
  return LoadModuleFile(folder, fileName);
}

std::optional<ResourceTable> LoadModuleFile(const std::filesystem::path& folder, std::u16string_view fileName) {
  const std::optional<std::string> name = PlainFileName(fileName);
  if (!name) return std::nullopt;
  const std::optional<std::filesystem::path> path = FileInFolder(folder, *name);
  if (!path) return std::nullopt;
  if (!WholeSharedObject(*path)) return std::nullopt;
  void* library = dlopen(path->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) return std::nullopt;
  auto resources = reinterpret_cast<ModuleResourcesFunction>(dlsym(library, kModuleResourcesSymbol));
  if (!resources) {
    dlclose(library);
    return std::nullopt;
  }
  size_t count = 0;
  const Resource* table = resources(&count);
  if (!table && count != 0) {
    dlclose(library);
    return std::nullopt;
  }
  // The table points into the library, which therefore stays loaded for the life of the process.
  return ResourceTable(table, count);
}

}  // namespace win32
