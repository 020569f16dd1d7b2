// The extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items) as the resource
// compiler writes it, read back with every length checked.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <windows.h>

namespace win32 {

struct DialogItemTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  DWORD id = 0;
  std::u16string className;  // predefined classes by name ("Button", "Static", "ComboBox", ...)
  std::u16string text;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  std::u16string caption;
  WORD pointSize = 0;  // the font's size with DS_SETFONT, 0 without
  std::vector<DialogItemTemplate> items;
};

// Null for anything but a well-formed extended template (the classic DLGTEMPLATE is not read).
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> bytes);

}  // namespace win32
