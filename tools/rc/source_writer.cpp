#include "tools/rc/source_writer.h"

#include <cstdio>

namespace rc {
namespace {

void AppendHex(std::string& out, unsigned value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%02x,", value);
  out += text;
}

// A name becomes an array of UTF-16 units, which keeps any character exact without escapes.
std::string KeyExpression(const Key& key, std::string& arrays, int& counter) {
  if (key.id) return "win32::ResourceName(WORD{" + std::to_string(key.id) + "})";
  const std::string array = "kName" + std::to_string(counter++);
  arrays += "constexpr char16_t " + array + "[] = {";
  for (char16_t c : key.text) AppendHex(arrays, c);
  arrays += "};\n";
  return "win32::ResourceName(std::u16string_view(" + array + ", " + std::to_string(key.text.size()) + "))";
}

}  // namespace

std::string WriteSource(const std::vector<CompiledResource>& resources, const std::string& scriptName, ModuleKind kind) {
  std::string out = "// Made from " + scriptName +
                    " by the resource compiler when the module is built; edit the script, not this file.\n"
                    "#include \"platform/win32/resource_table.h\"\n\nnamespace {\n\n";
  std::string table = "constexpr win32::Resource kResources[] = {\n";
  int names = 0;
  for (size_t i = 0; i < resources.size(); ++i) {
    const CompiledResource& resource = resources[i];
    std::string data = "{}";
    if (!resource.data.empty()) {
      // Aligned so that the strings of a string block can be handed out as WCHAR pointers.
      const std::string array = "kData" + std::to_string(i);
      out += "alignas(4) constexpr BYTE " + array + "[] = {";
      for (size_t b = 0; b < resource.data.size(); ++b) {
        if (b % 16 == 0) out += "\n   ";
        out += ' ';
        AppendHex(out, resource.data[b]);
      }
      out += "\n};\n";
      data = array;
    }
    const std::string type = KeyExpression(resource.type, out, names);
    const std::string name = KeyExpression(resource.name, out, names);
    table += "    {" + type + ", " + name + ", " + data + "},\n";
  }
  table += "};\n";
  out += "\n" + table;
  if (kind == ModuleKind::Executable) {
    out += "\nconst win32::ExecutableResources kRegistration(kResources);\n\n}  // namespace\n";
    return out;
  }
  out += "\n}  // namespace\n\n"
         "extern \"C\" __attribute__((visibility(\"default\"))) const win32::Resource* CopperleafModuleResources(\n"
         "    size_t* count) {\n"
         "  *count = sizeof kResources / sizeof kResources[0];\n"
         "  return kResources;\n"
         "}\n";
  return out;
}

}  // namespace rc
