// Host tests that listen: the process's mix goes to a WAVE file in a folder of the test's own, and
// Heard() closes it and reads it back. The sound settings they play under are stored as the
// screensaver reads them.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/application_settings.h"
#include "platform/audio/mixer.h"
#include "platform/machine/clock.h"
#include "sound/audio_player.h"
#include "tests/host/scene_probe.h"
#include "tests/sound/heard_file.h"

class SoundFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    char pattern[] = "/tmp/copperleaf-heard-XXXXXX";
    folder_ = mkdtemp(pattern);
    HearFromNow();
  }
  void TearDown() override {
    AudioPlayer::Release();
    audio::Mixer::Instance().CloseOutput();
    std::filesystem::remove_all(folder_);
    HostTest::TearDown();
  }
  // A new sound file, whose first frame is the clock's present time.
  void HearFromNow() {
    audio::Mixer::Instance().UseFileSink(folder_ + "/heard.wav");
    fileStart_ = machine::clock::Now();
  }
  // The sound file's frame at a clock time (nanoseconds).
  size_t FrameAt(int64_t clock) const { return static_cast<size_t>((clock - fileStart_) * 441 / 10'000'000); }

  HeardFile Heard() {
    audio::Mixer::Instance().CloseOutput();
    HeardFile heard(folder_ + "/heard.wav");
    EXPECT_TRUE(heard.wellFormed);
    return heard;
  }

  std::string folder_;
  int64_t fileStart_ = 0;
};

// A DWORD value under the settings key that the screensaver made last names.
inline void StoreSetting(const WCHAR* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, g_SettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}
