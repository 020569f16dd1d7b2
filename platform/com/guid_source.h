// Where CoCreateGuid takes its GUIDs from: random version-4 GUIDs, unless a test installs its own
// source to make them predictable.
#pragma once
#include <functional>

#include <guiddef.h>

namespace com {

using GuidSource = std::function<GUID()>;

// An empty source restores the random one.
void SetGuidSource(GuidSource source);

}  // namespace com
