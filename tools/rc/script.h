// The resource script: the subset of the .rc language the system needs.
//
//   STRINGTABLE BEGIN id "text" ... END     strings (id 0 to 65535; the comma after the id is optional)
//   name ICON "file.ico"                     an icon
//   name RCDATA "file"                       a file as RT_RCDATA
//   name TYPE "file"                         a file under a custom type (a name such as DDS, or a number)
//   name DIALOGEX x, y, cx, cy ... BEGIN ... END   a dialog template (tools/rc/dialog_script.h)
//
// A name is a number from 1 to 65535 or a word; BEGIN/END may be written { and }; files are found
// beside the script, else in the further folders the build names (files it makes itself). Every further statement kind is one more entry in the table of script.cpp.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/rc/compiled_resource.h"

namespace rc {

struct Compilation {
  std::vector<CompiledResource> resources;   // in script order, the string blocks last by block id
  std::vector<std::filesystem::path> files;  // every file the script named, for the build's dependencies
};

// Throws CompileError at the line of the first fault; a script that defines nothing is a fault too.
Compilation CompileScript(std::string_view script, const std::filesystem::path& folder,
                          const std::vector<std::filesystem::path>& searchFolders = {});

}  // namespace rc
