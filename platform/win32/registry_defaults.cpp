#include "platform/win32/registry_defaults.h"

#include <string>

namespace win32::registry {
namespace {

Value String(std::u16string_view text) {
  Value value{REG_SZ, {}};
  const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
  value.data.assign(bytes, bytes + text.size() * sizeof(char16_t));
  value.data.insert(value.data.end(), sizeof(char16_t), BYTE{0});  // stored with its terminator
  return value;
}

Key MakeDesktopClasses() {
  Key root;
  root.keys[u"http"].keys[u"shell"].keys[u"open"].keys[u"command"].values[u""] = String(u"xdg-open \"%1\"");
  return root;
}

}  // namespace

const Key& DesktopClasses() {
  static const Key classes = MakeDesktopClasses();
  return classes;
}

}  // namespace win32::registry
