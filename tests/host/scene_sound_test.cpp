// The sound settings on the running scene: the primary buffer's volume follows "SoundVolume" and
// "MuteSound" from the scene start on, and again after a device reset, whose release turns it up.
#include <gtest/gtest.h>

#include "platform/dsound/sound_sink.h"
#include "tests/host/sound_file_test.h"

namespace {

using SceneSoundTest = HostTest;

TEST_F(SceneSoundTest, ThePrimaryVolumeFollowsTheSettingsBeforeAndAfterAReset) {
  struct Case {
    DWORD volume;
    DWORD mute;
    LONG expected;
  };
  const Case cases[] = {{100, 0, 0}, {40, 0, -3000}, {100, 1, -10000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "volume " << c.volume << " mute " << c.mute);
    machine::Machine m = machine::DefaultMachine();
    m.faults.deviceNotResetFromFrame = 40;
    machine::Install(m);
    SceneProbe saver;
    StoreSetting(kSoundVolumeValue, c.volume);
    StoreSetting(kMuteSoundValue, c.mute);
    int releasesBefore = 0;
    LONG beforeReset = 1;
    LONG afterReset = 1;
    saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
      if (frame == 30) {
        releasesBefore = s.releases;
        beforeReset = dsound::Primary().volume;
      }
      if (frame > 30 && s.releases > releasesBefore && afterReset == 1) afterReset = dsound::Primary().volume;
    };
    saver.stopWhen = [](SceneProbe& s) { return s.frames[0] >= 60; };
    saver.Start(u"s /t");

    ASSERT_FALSE(saver.stoppedBySafety);
    ASSERT_TRUE(dsound::Primary().exists);
    EXPECT_EQ(beforeReset, c.expected);
    EXPECT_EQ(afterReset, c.expected);
  }
}

}  // namespace
