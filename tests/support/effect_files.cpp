#include "tests/support/effect_files.h"

#include <fstream>
#include <iterator>
#include <string>

namespace docbuild {

Bytes EffectFile(const char* name) {
  std::ifstream in(std::string(COPPERLEAF_EFFECTS_DIR) + "/" + name, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace docbuild
