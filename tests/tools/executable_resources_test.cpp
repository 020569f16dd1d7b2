// The executable's own table, compiled from resources/copperleaf.rc when it is built.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>

namespace {

std::u16string String(UINT id) {
  WCHAR buffer[512];
  int n = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 512);
  return std::u16string(buffer, n);
}

TEST(ExecutableResources, HoldTheTitleAndTheMessages) {
  EXPECT_EQ(String(1000), u"Copperleaf Screensaver");
  EXPECT_EQ(String(2108), u"Could not load required media.");
  EXPECT_EQ(String(2101), u"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.");
  EXPECT_EQ(String(2112), u"No preview available");
  EXPECT_EQ(String(2212), u"The screen saver cannot be displayed on this monitor.");
  for (UINT id = 2100; id <= 2112; ++id) EXPECT_FALSE(String(id).empty()) << id;
  for (UINT id = 2200; id <= 2212; ++id) EXPECT_FALSE(String(id).empty()) << id;
}

TEST(ExecutableResources, HoldIcon101WithItsImage) {
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(101)), nullptr);
  HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(101), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  ASSERT_GE(SizeofResource(self, group), 20u);
  const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
  DWORD size = 0;
  WORD id = 0;
  std::memcpy(&size, directory + 6 + 8, 4);
  std::memcpy(&id, directory + 6 + 12, 2);
  HRSRC image = FindResourceW(self, MAKEINTRESOURCEW(id), RT_ICON);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(SizeofResource(self, image), size);
}

TEST(ExecutableResources, HoldThePaintedPicturesAsPng) {
  HMODULE self = GetModuleHandleW(nullptr);
  for (WORD id : {5, 120}) {
    HRSRC picture = FindResourceW(self, MAKEINTRESOURCEW(id), u"DDS");
    ASSERT_NE(picture, nullptr) << id;
    ASSERT_GT(SizeofResource(self, picture), 8u) << id;
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, picture)));
    EXPECT_EQ(std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8), 0) << id;
  }
}

}  // namespace
