// DIALOGEX statements of the resource script, compiled into the extended dialog template Windows
// reads (DLGTEMPLATEEX followed by one DLGITEMTEMPLATEEX per control, each item on a 4-byte boundary):
//
//   name DIALOGEX x, y, width, height
//   STYLE flags | ...          (default WS_POPUP | WS_BORDER | WS_SYSMENU)
//   EXSTYLE flags              CAPTION "text" (adds WS_CAPTION)     FONT size, "face" (adds DS_SETFONT)
//   BEGIN
//     PUSHBUTTON "text", id, x, y, width, height [, style [, exstyle]]   (also DEFPUSHBUTTON,
//         CHECKBOX, AUTOCHECKBOX, RADIOBUTTON, AUTORADIOBUTTON, GROUPBOX, LTEXT, CTEXT, RTEXT)
//     COMBOBOX id, x, y, width, height [, style [, exstyle]]
//     CONTROL "text", id, "class", style, x, y, width, height [, exstyle]
//   END
//
// Flags are numbers or the names of window, dialog and control styles, joined by '|'; NOT before a
// flag takes it out of the statement's default (NOT WS_VISIBLE makes a hidden control). A style
// given to a control is added to that control kind's default, as the Windows compiler does.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/rc/lexer.h"

namespace rc {

constexpr uint16_t kTypeDialog = 5;

// Reads from `token` (the first token after the keyword DIALOGEX) to the END of the control list,
// leaving `token` on the token after it; throws CompileError on a fault.
std::vector<uint8_t> CompileDialog(Lexer& lexer, Token& token);

}  // namespace rc
