// The temporary folder of a run: a private folder (mode 0700) made on first use under $TMPDIR (else
// /tmp); where that cannot be written (read-only, full, or its path too long for the callers'
// MAX_PATH buffers), under $XDG_RUNTIME_DIR, then under the user's cache folder ($XDG_CACHE_HOME,
// else ~/.cache), with one line on standard error when none can be. It is private so that files the program writes there cannot collide with a user's files or be redirected
// by links planted in a shared folder, and two runs never share one. It goes when the process ends
// (the normal exit path, which a termination signal also takes), once the files written into it have
// been removed by their writers; a file it did not make is never touched.
//
// A run that cannot take that path (killed, or crashed) leaves its folder behind. So the folder
// carries its owner: a file "owner" holding the run's pid, locked for as long as the run lives.
// When a run makes its folder, it removes the folders of this user's runs that are gone (their
// owner file no longer locked). A folder without an owner file is left alone: it may be one that
// a run is making this moment.
#pragma once

namespace win32 {

// Removes the run's folder now, when it holds nothing but its owner file; the next GetTempPathW
// makes a new one under the $TMPDIR of that moment (tests use it to start as a new run would).
void ForgetRunTempFolder();

// Removes the run's folder with everything its writers put there, for a process that ends at once
// without its exit path. Gives up, leaving the folder to the next run, when the folder's lock
// cannot be had within half a second.
void DiscardRunTempFolder();

}  // namespace win32
