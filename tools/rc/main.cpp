#include <iostream>

#include "tools/rc/command.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: " << argv[0] << " SCRIPT.rc OUTPUT.cpp [DEPFILE]\n";
    return 2;
  }
  std::optional<std::filesystem::path> depfile;
  if (argc == 4) depfile = argv[3];
  return rc::RunCompiler(argv[1], argv[2], depfile, std::cerr);
}
