// What the resource compiler makes of a script: resources as the executable's table holds them.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace rc {

// The numbers of the standard resource types, as Windows defines them.
constexpr uint16_t kTypeIcon = 3;
constexpr uint16_t kTypeString = 6;
constexpr uint16_t kTypeRcData = 10;
constexpr uint16_t kTypeGroupIcon = 14;

// A type or name: an id from 1 to 65535, or (id 0) a string name.
struct Key {
  uint16_t id = 0;
  std::u16string text;
};

struct CompiledResource {
  Key type;
  Key name;
  std::vector<uint8_t> data;
};

// A fault in a script, at a line of it (or of the file it names).
class CompileError : public std::runtime_error {
 public:
  CompileError(int line, const std::string& message) : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

}  // namespace rc
