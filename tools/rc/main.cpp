#include <algorithm>
#include <cstring>
#include <iostream>

#include "tools/rc/command.h"

int main(int argc, char** argv) {
  rc::ModuleKind kind = rc::ModuleKind::Executable;
  if (argc >= 2 && std::strcmp(argv[1], "--library") == 0) {
    kind = rc::ModuleKind::Library;
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::cerr << "usage: copperleaf_rc [--library] SCRIPT.rc OUTPUT.cpp [DEPFILE [SEARCH_FOLDER...]]\n";
    return 2;
  }
  std::optional<std::filesystem::path> depfile;
  if (argc >= 4) depfile = argv[3];
  const std::vector<std::filesystem::path> searchFolders(argv + std::min(argc, 4), argv + argc);
  return rc::RunCompiler(argv[1], argv[2], depfile, std::cerr, searchFolders, kind);
}
