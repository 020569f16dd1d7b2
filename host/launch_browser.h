// Opening a web address in the default browser: the command registered for http, with the address.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

// The command line that opens `address` with the registered command: the address takes the place
// of the command's "%1" placeholder (in its quotes when it has them), or follows the command after
// one blank when there is none. Null when the result would not fit a command buffer of 260
// characters: a cut command must not run.
std::optional<std::u16string> BrowserCommand(std::u16string_view registered, std::u16string_view address);

// Starts the registered browser with the address; false when no browser is registered or it
// cannot be started.
bool LaunchBrowser(const WCHAR* address);
