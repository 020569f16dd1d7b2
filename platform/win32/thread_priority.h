// Thread priorities through the Linux scheduler. The executable turns them on; in-process tests
// leave them off, so that a test that plays the screensaver keeps the test's own priority.
#pragma once

namespace win32 {

// From now on a thread lowered to idle priority runs under SCHED_IDLE (nice 19 where that policy is
// refused), and so does every thread it makes afterwards: the drawing and sound threads made after
// the screensaver lowered itself leave the processor to every other program.
void UseSchedulerPriorities();

}  // namespace win32
