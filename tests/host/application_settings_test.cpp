// The application's registry reads: a 4-byte value is taken whatever its type; anything else, or
// nothing, leaves the caller's default.
#include "host/application_settings.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/wide_text.h"
#include "tests/host/host_fixture.h"

namespace {

using ApplicationSettingsTest = HostTest;

TEST_F(ApplicationSettingsTest, OnlyAFourByteValueReplacesTheDefault) {
  struct Case {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;  // empty: the value is not written
    DWORD expected;
  };
  const Case cases[] = {
      {"absent", REG_DWORD, {}, 77},
      {"a DWORD", REG_DWORD, {0x2A, 0, 0, 0}, 42},
      {"four bytes of another type", REG_BINARY, {1, 0, 0, 0}, 1},
      {"too long", REG_BINARY, {5, 0, 0, 0, 9, 9, 9, 9}, 77},
      {"too short", REG_BINARY, {5, 0}, 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CopyWide(g_SettingsKeyPath, UniqueKeyPath().c_str());
    if (!c.data.empty()) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, g_SettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      RegSetValueExW(key, kSoundVolumeValue, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
      RegCloseKey(key);
    }
    DWORD value = 77;
    ReadSettingDword(&value, kSoundVolumeValue);
    EXPECT_EQ(value, c.expected);
  }
}

}  // namespace
