// Work that keeps the desktop's normal priority when the program has lowered itself to idle: the
// thread that feeds the sound server. Where the screensaver was meant to run, mixing is done by the
// system's sound service, outside the program and at its own priority; here the program mixes for
// itself, and a thread started by an idle thread is idle too, with no way back for an ordinary user.
// A starved mixer is heard as dropouts on a busy machine, so that thread is started from a thread
// kept at normal priority for the purpose.
#pragma once
#include <functional>

namespace machine {

// The names of the thread kept at normal priority and of the sound output's thread it starts, as
// the system shows them.
inline constexpr char kNormalPriorityThreadName[] = "sound starter";
inline constexpr char kSoundOutputThreadName[] = "sound output";

// Starts the thread that keeps normal priority. Called once, before the program lowers itself;
// calling it again changes nothing.
void KeepNormalPriority();

// Runs `work` on that thread and waits for it: the threads it starts have that thread's priority.
// Without that thread (in-process tests) `work` runs on the calling thread.
void AtNormalPriority(const std::function<void()>& work);

}  // namespace machine
