// The picture of the settings dialog: the own resource "DDS" 120, a PNG, at its own size with its
// top-left corner at the client pixel (12, 12).
#pragma once
#include <windows.h>

// Draws it into the dialog through GDI+; a missing or undecodable picture draws nothing.
void PaintSettingsBanner(HINSTANCE instance, HWND dialog);
