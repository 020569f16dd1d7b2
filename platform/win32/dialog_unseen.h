// A modal dialog that no one can see or answer (no display, no test driving it) is closed as by its
// close box. The program's entry point asks afterwards whether that happened: such a run did not do
// what was asked of it.
#pragma once

namespace win32 {

bool DialogClosedUnseen();

}  // namespace win32
