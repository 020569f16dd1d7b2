#include "tools/rc/command.h"

#include <fstream>
#include <iterator>

#include "tools/rc/script.h"
#include "tools/rc/source_writer.h"

namespace rc {
namespace {

// Written beside the target and renamed over it, so that an interrupted build never leaves half a file.
bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) std::filesystem::remove(temporary, ec);
  return !ec;
}

// The file name as make reads it in a dependency list.
std::string Escaped(const std::filesystem::path& path) {
  std::string out;
  for (char c : path.string()) {
    if (c == ' ' || c == '#' || c == '\\') out += '\\';
    if (c == '$') out += '$';
    out += c;
  }
  return out;
}

}  // namespace

int RunCompiler(const std::filesystem::path& script, const std::filesystem::path& output,
                const std::optional<std::filesystem::path>& depfile, std::ostream& errors,
                const std::vector<std::filesystem::path>& searchFolders, ModuleKind kind) {
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    errors << script.string() << ": error: cannot read the script\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Compilation compiled;
  try {
    compiled = CompileScript(text, script.parent_path(), searchFolders);
  } catch (const CompileError& e) {
    errors << script.string() << ":" << e.line() << ": error: " << e.what() << "\n";
    return 1;
  }
  if (depfile) {
    std::string rule = Escaped(output) + ":";
    for (const auto& file : compiled.files) rule += " \\\n  " + Escaped(file);
    if (!WriteFile(*depfile, rule + "\n")) {
      errors << depfile->string() << ": error: cannot write the dependency file\n";
      return 1;
    }
  }
  if (!WriteFile(output, WriteSource(compiled.resources, script.filename().string(), kind))) {
    errors << output.string() << ": error: cannot write the generated source\n";
    return 1;
  }
  return 0;
}

}  // namespace rc
