// The resource library whose resources the classes link by default and the document carries copies of.
#pragma once
#include <string_view>

namespace scene_writer {

inline constexpr std::string_view kLibrary = "vaultkit.dll";

}  // namespace scene_writer
