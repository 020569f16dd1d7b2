// Which file holds each resource of the resource library, read from the library's own resource
// script (lines "ID DDS "file"" and "ID RCDATA "file""), so that the document's copies are the
// library's very files.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace scene_writer {

// Throws std::runtime_error when an id is given twice.
std::map<int64_t, std::string> ParseLibraryScript(const std::string& script);

}  // namespace scene_writer
