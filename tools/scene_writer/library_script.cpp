#include "library_script.h"

#include <regex>
#include <sstream>
#include <stdexcept>

namespace scene_writer {

std::map<int64_t, std::string> ParseLibraryScript(const std::string& script) {
  static const std::regex entry(R"re(^\s*(\d+)\s+(DDS|RCDATA)\s+"([^"]+)")re");
  std::map<int64_t, std::string> files;
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_search(line, match, entry)) continue;
    const int64_t id = std::stoll(match[1].str());
    if (!files.emplace(id, match[3].str()).second)
      throw std::runtime_error("library resource " + std::to_string(id) + " is given twice");
  }
  return files;
}

}  // namespace scene_writer
