// SIGTERM ends every mode the way closing its window does: devices given up, the settings kept.
#include <signal.h>

#include <ostream>
#include <string>

#include "host/application_settings.h"
#include "host/wide_text.h"
#include "platform/win32/termination.h"
#include "tests/host/host_fixture.h"

namespace {

struct EndCase {
  const char* name;
  std::u16string line;  // "<parent>" stands for the number of a preview parent window
  int monitors;
};

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class HostTerminationTest : public HostTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(HostTerminationTest, SignalEndsTheRunReleasingDevicesAndKeepingTheSettings) {
  const EndCase& c = GetParam();
  machine::Install(MachineWithMonitors(c.monitors));
  // The application's own key, which its constructor names.
  const std::u16string keyPath = UniqueKeyPath();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD volume = 42;
  RegSetValueExW(key, kSoundVolumeValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&volume), sizeof(volume));
  RegCloseKey(key);

  std::u16string line = c.line;
  if (const size_t at = line.find(u"<parent>"); at != std::u16string::npos) {
    line.replace(at, 8, PreviewParent(200, 150));
  }
  HostProbe saver;
  UINT devicesWhenSignalled = 0;
  saver.onTurn = [&](HostProbe& s, int turn) {
    if (turn != 3) return;
    devicesWhenSignalled = s.m_deviceCount;
    raise(SIGTERM);
  };
  win32::HandleTerminationSignals();
  saver.Start(line);

  EXPECT_FALSE(saver.stoppedBySafety);
  EXPECT_EQ(saver.turns, 3);
  EXPECT_EQ(devicesWhenSignalled, static_cast<UINT>(c.monitors));
  EXPECT_EQ(saver.m_deviceCount, 0u);
  for (int i = 0; i < c.monitors; ++i) {
    const std::string released = "release " + std::to_string(i);
    EXPECT_NE(std::find(saver.deviceEvents.begin(), saver.deviceEvents.end(), released), saver.deviceEvents.end())
        << released;
  }
  EXPECT_FALSE(win32::ScreenSaverRunning());
  EXPECT_FALSE(saver.m_errorMode);
  EXPECT_TRUE(boxes.empty());
  CopyWide(g_SettingsKeyPath, keyPath.c_str());
  DWORD read = 0;
  ReadSettingDword(&read, kSoundVolumeValue);
  EXPECT_EQ(read, volume);
}

INSTANTIATE_TEST_SUITE_P(Modes, HostTerminationTest,
                         ::testing::Values(EndCase{"FullScreen", u"copperleaf /s", 1},
                                           EndCase{"FullScreenOnTwoMonitors", u"copperleaf /s", 2},
                                           EndCase{"TestWindow", u"copperleaf /t", 1},
                                           EndCase{"Preview", u"copperleaf /p <parent>", 1}),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

}  // namespace
