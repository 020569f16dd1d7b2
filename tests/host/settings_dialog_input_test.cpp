// The settings dialogs worked as a user works them, by mouse and keys: what they show and what
// reaches the registry on OK and on Cancel.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "platform/win32/gdi_paint.h"
#include "tests/host/settings_fixture.h"
#include "tests/support/dialog_user.h"

namespace {

using namespace dialog_user;
using SettingsDialogInputTest = SettingsTest;

constexpr uint32_t kFace = 0xC0C0C0, kWhite = 0xFFFFFF, kBlack = 0x000000;

// The volume trackbar of the sound dialog: where its thumb's centre stands for a position.
POINT Thumb(HWND dialog, int position) {
  const RECT place = Place(dialog, 1021);
  return {(place.right - place.left) / 2, 8 + position * (place.bottom - place.top - 16) / 100};
}

TEST_F(SettingsDialogInputTest, TheSoundDialogShowsTheStoredValuesAndWritesTheUsersOnlyOnOk) {
  struct Case {
    const char* what;
    bool confirm;  // Enter (OK) or Esc (Cancel) in the sound dialog
    std::optional<DWORD> volume, mute;
  };
  const Case cases[] = {
      {"OK writes the dragged volume and the toggled mute", true, 80u, 0u},
      {"Cancel writes nothing", false, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    keyPath = UniqueKeyPath();
    StoreDword(u"", kSoundVolumeValue, 40);
    StoreDword(u"", kMuteSoundValue, 1);
    SettingsProbe& saver = Make(MachineWithMonitors(1));
    uint32_t thumbShown = 0, tickShown = 0;
    std::vector<WORD> opened;
    win32::SetDialogHook([&](HWND dialog, WORD id) {
      opened.push_back(id);
      if (id == 106) {
        Click(dialog, 1007, 20, 5);  // "Sound Settings..."
        Key(dialog, VK_ESCAPE);      // the settings dialog's Cancel
        return;
      }
      // Drawn as its owner is: the thumb at position 60 (volume 40), the mute box ticked.
      const win32::Surface picture = Picture(dialog);
      const POINT thumb = Thumb(dialog, 60);
      thumbShown = Pixel(picture, Place(dialog, 1021), thumb.x, thumb.y);
      const RECT mute = Place(dialog, 1022);
      tickShown = Pixel(picture, mute, 6, (mute.bottom - mute.top - 13) / 2 + 6);
      // The thumb dragged up to position 20 (volume 80); Tab to the mute box and Space.
      const POINT from = Thumb(dialog, 60), to = Thumb(dialog, 20);
      Mouse(dialog, WM_LBUTTONDOWN, 1021, from.x, from.y);
      Mouse(dialog, WM_MOUSEMOVE, 1021, to.x, to.y);
      Mouse(dialog, WM_LBUTTONUP, 1021, to.x, to.y);
      Key(dialog, VK_TAB);
      Key(dialog, VK_SPACE);
      Key(dialog, c.confirm ? VK_RETURN : VK_ESCAPE);
    });
    saver.Run();
    EXPECT_EQ(opened, (std::vector<WORD>{106, 2214}));
    EXPECT_EQ(thumbShown, kFace);
    EXPECT_EQ(tickShown, kBlack);
    EXPECT_EQ(StoredDword(u"", kSoundVolumeValue), c.volume ? *c.volume : 40u);
    EXPECT_EQ(StoredDword(u"", kMuteSoundValue), c.mute ? *c.mute : 1u);
    EXPECT_EQ(StoredDword(u"", kSoundBalanceValue).has_value(), c.confirm);
  }
}

// The display settings of two monitors: each tab's page shows its own monitor, and a page's
// controls grey out as its monitor is left black.
TEST_F(SettingsDialogInputTest, EachTabPageShowsItsOwnMonitor) {
  SettingsProbe& saver = Make(MachineWithMonitors(2));
  std::vector<uint32_t> name1, name2, nameAgain;
  uint32_t modeFieldBefore = 0, modeFieldAfter = 0;
  win32::SetDialogHook([&](HWND dialog, WORD) {
    auto region = [&](int id) {
      const win32::Surface picture = Picture(dialog);
      const RECT place = Place(dialog, id);
      std::vector<uint32_t> pixels;
      for (int y = 0; y < place.bottom - place.top; ++y)
        for (int x = 0; x < place.right - place.left; ++x) pixels.push_back(Pixel(picture, place, x, y));
      return pixels;
    };
    auto modeField = [&] {
      const RECT place = Place(dialog, 2011);
      return Pixel(Picture(dialog), place, place.right - place.left - 24, 6);
    };
    name1 = region(2002);
    // The second tab lies right of the first: a click on its title.
    Click(dialog, 2000, 80, 8);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 2000, TCM_GETCURSEL, 0, 0), 1);
    name2 = region(2002);
    modeFieldBefore = modeField();
    Click(dialog, 2008, 5, 5);  // "Display nothing on this monitor"
    modeFieldAfter = modeField();
    SendMessageW(dialog, WM_KEYDOWN, VK_SHIFT, 1);
    for (int i = 0; i < 20 && Focused(dialog) != 2000; ++i) Key(dialog, VK_TAB);
    SendMessageW(dialog, WM_KEYUP, VK_SHIFT, 1);
    EXPECT_EQ(Focused(dialog), 2000);
    Key(dialog, VK_LEFT);  // back to the first tab by keyboard
    nameAgain = region(2002);
    Key(dialog, VK_ESCAPE);
  });
  saver.DoDisplaySettingsDialog(nullptr);
  EXPECT_NE(name1, name2);
  EXPECT_EQ(name1, nameAgain);
  EXPECT_EQ(modeFieldBefore, kWhite);
  EXPECT_EQ(modeFieldAfter, kFace);
  EXPECT_FALSE(saver.Adapter(1).leaveBlack) << "Cancel put the second monitor back";
}

}  // namespace
