// The keys the desktop itself answers with under the classes root where the registry file holds
// none of its own: the command that opens http addresses is the desktop's opener.
#pragma once
#include "platform/win32/registry_store.h"

namespace win32::registry {

// The classes root as the desktop provides it; never written to the file.
const Key& DesktopClasses();

}  // namespace win32::registry
