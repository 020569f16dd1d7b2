// Host tests that listen: the process's mix goes to a WAVE file in a folder of the test's own, and
// Heard() closes it and reads it back.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/audio/mixer.h"
#include "sound/audio_player.h"
#include "tests/host/scene_probe.h"
#include "tests/sound/heard_file.h"

class SoundFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    char pattern[] = "/tmp/copperleaf-heard-XXXXXX";
    folder_ = mkdtemp(pattern);
    audio::Mixer::Instance().UseFileSink(folder_ + "/heard.wav");
  }
  void TearDown() override {
    AudioPlayer::Release();
    audio::Mixer::Instance().CloseOutput();
    std::filesystem::remove_all(folder_);
    HostTest::TearDown();
  }
  HeardFile Heard() {
    audio::Mixer::Instance().CloseOutput();
    HeardFile heard(folder_ + "/heard.wav");
    EXPECT_TRUE(heard.wellFormed);
    return heard;
  }

  std::string folder_;
};
