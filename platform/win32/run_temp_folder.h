// The temporary folder of a run: a private folder (mode 0700) made on first use under $TMPDIR (else
// /tmp), so that files the program writes there cannot collide with a user's files or be redirected
// by links planted in a shared folder, and two runs never share one. It goes when the process ends
// (the normal exit path, which a termination signal also takes), once the files written into it have
// been removed by their writers; a file it did not make is never touched.
#pragma once

namespace win32 {

// Removes the run's folder now, when empty; the next GetTempPathW makes a new one under the
// $TMPDIR of that moment (tests use it to start as a new run would).
void ForgetRunTempFolder();

}  // namespace win32
