// Which string of the display-settings dialogs describes an adapter: the help text of the Help
// button and the rendering text of the page.
#pragma once
#include "host/screensaver.h"

// 2200 to 2209 by the adapter's flags; 2206 for a monitor without an HMONITOR or without an adapter.
UINT DisplayHelpTextId(const AdapterEntry* adapter, bool hasMonitor);
// 2210 hardware, 2211 software, 2212 neither (or no adapter).
UINT RenderingTextId(const AdapterEntry* adapter);
