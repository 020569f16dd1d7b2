// A device that cannot make or write any texture for good: after the frames the application gives
// it to recover, the error mode shows the device's failure instead of black frames for ever.
#include <gtest/gtest.h>

#include <string>

#include "platform/machine/machine.h"
#include "tests/host/scene_probe.h"

namespace {

using SceneResourceFailureTest = HostTest;

TEST_F(SceneResourceFailureTest, ResourcesThatFailForGoodEndInTheErrorModeWithTheirCode) {
  struct Case {
    const char* what;
    bool creation, locks;
    HRESULT code;
    const char16_t* text;
  };
  const Case cases[] = {
      {"creation fails", true, false, D3DERR_OUTOFVIDEOMEMORY, u"Not enough video memory."},
      {"locks fail", false, true, D3DERR_INVALIDCALL, u"There was an unspecified problem with this screen saver."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine::Machine faulty = machine::DefaultMachine();
    faulty.faults.failResourceCreation = c.creation;
    faulty.faults.failLocks = c.locks;
    machine::Install(faulty);
    SceneProbe saver;
    saver.stopWhen = [](SceneProbe& s) { return s.m_errorText[0] != 0 || s.frames[0] >= 20; };
    saver.Start(u"s /t");

    EXPECT_FALSE(saver.stoppedBySafety);
    EXPECT_TRUE(saver.m_errorMode);
    EXPECT_EQ(saver.m_errorCode, c.code);
    EXPECT_EQ(std::u16string(saver.m_errorText), c.text);
    // The splash, the start, then two more tries.
    EXPECT_EQ(saver.frames[0], 4);
  }
  machine::Install(machine::DefaultMachine());
}

// A device that makes its resources draws on without a message.
TEST_F(SceneResourceFailureTest, AWorkingDeviceIsNeverTakenForAFailingOne) {
  SceneProbe saver;
  saver.stopWhen = [](SceneProbe& s) { return s.m_errorMode || s.frames[0] >= 10; };
  saver.Start(u"s /t");
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_EQ(saver.frames[0], 10);
}

}  // namespace
