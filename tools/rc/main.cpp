#include <algorithm>
#include <iostream>

#include "tools/rc/command.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: " << argv[0] << " SCRIPT.rc OUTPUT.cpp [DEPFILE [SEARCH_FOLDER...]]\n";
    return 2;
  }
  std::optional<std::filesystem::path> depfile;
  if (argc >= 4) depfile = argv[3];
  const std::vector<std::filesystem::path> searchFolders(argv + std::min(argc, 4), argv + argc);
  return rc::RunCompiler(argv[1], argv[2], depfile, std::cerr, searchFolders);
}
