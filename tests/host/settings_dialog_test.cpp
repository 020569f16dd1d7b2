// Configure mode end to end: "/c" opens the settings dialog, whose buttons open the display and
// sound dialogs and the browser; what reaches the registry on OK and on Cancel; the banner.
#include <gtest/gtest.h>
#include <png.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "host/launch_browser.h"
#include "platform/machine/text.h"
#include "platform/win32/process.h"
#include "platform/win32/module.h"
#include "platform/win32/registry.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/surface.h"
#include "tests/host/settings_fixture.h"

namespace {

using SettingsDialogTest = SettingsTest;

// Runs "/c" with the hook; the template ids of the dialogs that opened, in order.
std::vector<WORD> RunConfigure(SettingsProbe& saver, std::function<void(HWND, WORD)> act) {
  std::vector<WORD> opened;
  win32::SetDialogHook([&](HWND dialog, WORD id) {
    opened.push_back(id);
    act(dialog, id);
  });
  saver.Run();
  return opened;
}

TEST_F(SettingsDialogTest, TheSoundDialogShowsTheStoredVolumeUpsideDownAndWritesItOnOk) {
  struct Case {
    const char* what;
    std::optional<DWORD> volume, mute, balance;  // stored before the dialog opens
    int shownPosition;
    bool shownMute;
    int movedTo;  // -1: left where it is
    bool tickMute;
    DWORD writtenVolume, writtenMute, writtenBalance;
  };
  // The balance has no control: the stored one is written back as it was, the centre when none is.
  const Case cases[] = {
      {"nothing stored", {}, {}, {}, 0, false, -1, false, 100, 0, 50},
      {"moved to 30", {}, {}, 20u, 0, false, 30, false, 70, 0, 20},
      {"stored 40, muted", 40u, 1u, 100u, 60, true, -1, false, 40, 1, 100},
      {"unmuted by a click", 40u, 1u, 0u, 60, true, -1, true, 40, 0, 0},
      {"a volume beyond the scale shows as full", 500u, 9u, 75u, 0, true, -1, false, 100, 1, 75},
      {"dragged past the bottom", {}, {}, {}, 0, false, 150, true, 0, 1, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    keyPath = UniqueKeyPath();
    if (c.volume) StoreDword(u"", kSoundVolumeValue, *c.volume);
    if (c.mute) StoreDword(u"", kMuteSoundValue, *c.mute);
    if (c.balance) StoreDword(u"", kSoundBalanceValue, *c.balance);
    SettingsProbe& saver = Make(MachineWithMonitors(1));
    int shown = 0;
    const auto opened = RunConfigure(saver, [&](HWND dialog, WORD id) {
      if (id == 106) {
        win32::ClickControl(dialog, 1007);
        win32::ClickControl(dialog, IDOK);
        return;
      }
      ++shown;
      EXPECT_EQ(SendDlgItemMessageW(dialog, 1021, TBM_GETPOS, 0, 0), c.shownPosition);
      EXPECT_EQ(Checked(dialog, 1022), c.shownMute);
      if (c.movedTo >= 0) win32::MoveTrackbar(dialog, 1021, c.movedTo);
      if (c.tickMute) win32::ClickControl(dialog, 1022);
      win32::ClickControl(dialog, IDOK);
    });
    EXPECT_EQ(opened, (std::vector<WORD>{106, 2214}));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(StoredDword(u"", kSoundVolumeValue), c.writtenVolume);
    EXPECT_EQ(StoredDword(u"", kSoundBalanceValue), c.writtenBalance);
    EXPECT_EQ(StoredDword(u"", kMuteSoundValue), c.writtenMute);
  }
}

// The sound dialog keeps the last values it read: opened a second time in one run where the
// registry holds none of them (a new settings key), it shows and writes back those of the first
// opening rather than the defaults.
TEST_F(SettingsDialogTest, TheSoundDialogKeepsTheLastValuesReadForTheNextOpening) {
  StoreDword(u"", kSoundVolumeValue, 30);
  StoreDword(u"", kMuteSoundValue, 1);
  StoreDword(u"", kSoundBalanceValue, 20);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  int openings = 0;
  RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id == 106) {
      win32::ClickControl(dialog, 1007);
      keyPath = UniqueKeyPath();
      CopyWide(g_SettingsKeyPath, keyPath.c_str());
      win32::ClickControl(dialog, 1007);
      win32::ClickControl(dialog, IDCANCEL);
      return;
    }
    SCOPED_TRACE(++openings);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 1021, TBM_GETPOS, 0, 0), 70);
    EXPECT_TRUE(Checked(dialog, 1022));
    win32::ClickControl(dialog, openings == 1 ? IDCANCEL : IDOK);
  });
  EXPECT_EQ(openings, 2);
  EXPECT_EQ(StoredDword(u"", kSoundVolumeValue), 30u);
  EXPECT_EQ(StoredDword(u"", kSoundBalanceValue), 20u);
  EXPECT_EQ(StoredDword(u"", kMuteSoundValue), 1u);
}

TEST_F(SettingsDialogTest, CancellingTheSoundDialogWritesNothing) {
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id == 106) {
      win32::ClickControl(dialog, 1007);
      win32::ClickControl(dialog, IDCANCEL);
    } else {
      win32::MoveTrackbar(dialog, 1021, 30);
      win32::ClickControl(dialog, IDCANCEL);
    }
  });
  EXPECT_FALSE(Stored(u"", kSoundVolumeValue));
  EXPECT_FALSE(Stored(u"", kSoundBalanceValue));
  EXPECT_FALSE(Stored(u"", kMuteSoundValue));
}

TEST_F(SettingsDialogTest, OkWritesThePicturePositionAndTheDisplaySettings) {
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id != 106) return;
    WCHAR caption[64];
    GetWindowTextW(dialog, caption, 64);
    EXPECT_EQ(std::u16string(caption), u"Copperleaf Screensaver");
    EXPECT_EQ(ComboItems(dialog, 1023), (std::vector<std::u16string>{u"Stretch", u"Fit", u"Fill"}));
    EXPECT_EQ(ComboSelection(dialog, 1023), GetPicturePosition());
    // Nothing is written while the dialog is open.
    EXPECT_FALSE(Stored(u"Screen 1", u"Width"));
    win32::ChooseComboItem(dialog, 1023, 1);
    win32::ClickControl(dialog, IDOK);
  });
  EXPECT_EQ(StoredDword(u"", kPicturePositionValue), 1u);
  EXPECT_EQ(GetPicturePosition(), 1);
  EXPECT_EQ(StoredDword(u"", u"AllScreensSame"), 0u);
  EXPECT_EQ(StoredDword(u"Screen 1", u"Width"), 0u);
  EXPECT_TRUE(Stored(u"Screen 1", u"Adapter ID"));
}

TEST_F(SettingsDialogTest, CancelWritesNothingAndUndoesTheDisplaySettingsDialog) {
  // Monitor 1's mode was chosen on another card: opening and cancelling must not lose it.
  Store(u"Screen 1", u"Adapter ID", REG_BINARY, std::vector<BYTE>(16, 0x77));
  StoreDword(u"Screen 1", u"Width", 1280);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  ASSERT_EQ(saver.Adapter(0).chosenWidth, 0u);
  const auto opened = RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id == 106) {
      win32::ChooseComboItem(dialog, 1023, 0);
      win32::ClickControl(dialog, 1006);
      EXPECT_EQ(saver.Adapter(0).chosenWidth, 800u);  // the display dialog's OK kept it
      win32::ClickControl(dialog, IDCANCEL);
    } else {
      win32::ChooseComboItem(dialog, 2011, 2);  // 800 by 600
      win32::ClickControl(dialog, IDOK);
    }
  });
  EXPECT_EQ(opened, (std::vector<WORD>{106, 200}));
  EXPECT_FALSE(Stored(u"", kPicturePositionValue));
  EXPECT_FALSE(Stored(u"", u"AllScreensSame"));
  EXPECT_EQ(StoredDword(u"Screen 1", u"Width"), 1280u);
  EXPECT_EQ(Stored(u"Screen 1", u"Adapter ID")->bytes, std::vector<BYTE>(16, 0x77));
}

TEST_F(SettingsDialogTest, CancelReadsTheStoredDisplaySettingsAgain) {
  StoreDword(u"Screen 1", u"Width", 1024);
  StoreDword(u"Screen 1", u"Height", 768);
  StoreDword(u"Screen 1", u"Format", D3DFMT_X8R8G8B8);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  UINT afterCancel = 0;
  RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id == 106) {
      win32::ClickControl(dialog, 1006);
      win32::ClickControl(dialog, IDCANCEL);
      afterCancel = saver.Adapter(0).chosenWidth;
    } else {
      win32::ChooseComboItem(dialog, 2011, 1);  // 640 by 480
      win32::ClickControl(dialog, IDOK);
    }
  });
  EXPECT_EQ(afterCancel, 1024u);
  EXPECT_EQ(StoredDword(u"Screen 1", u"Width"), 1024u);
}

TEST_F(SettingsDialogTest, AHostilePicturePositionIsNeitherShownNorKept) {
  // The cached position may have been read by an earlier test; a refused one never replaces it.
  const int before = GetPicturePosition();
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  SetPicturePosition(7);
  SetPicturePosition(-1);
  EXPECT_EQ(GetPicturePosition(), before);
  EXPECT_FALSE(Stored(u"", kPicturePositionValue));
  RunConfigure(saver, [&](HWND dialog, WORD id) {
    if (id != 106) return;
    SendDlgItemMessageW(dialog, 1023, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // nothing selected
    win32::ClickControl(dialog, IDOK);
  });
  EXPECT_EQ(GetPicturePosition(), before);
  EXPECT_FALSE(Stored(u"", kPicturePositionValue));
}

TEST_F(SettingsDialogTest, TheCatalogueButtonStartsTheRegisteredBrowser) {
  HKEY command = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &command, nullptr),
            ERROR_SUCCESS);
  const std::u16string registered = u"\"/usr/bin/no-such-browser\" \"%1\"";
  RegSetValueExW(command, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(registered.c_str()),
                 static_cast<DWORD>((registered.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(command);
  win32::ClearStartedProcesses();
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  RunConfigure(saver, [&](HWND dialog, WORD) {
    win32::ClickControl(dialog, 1017);
    win32::ClickControl(dialog, IDCANCEL);
  });
  const auto started = win32::StartedProcesses();
  ASSERT_EQ(started.size(), 1u);
  const std::u16string line = started[0].commandLine;
  EXPECT_EQ(line.rfind(u"\"/usr/bin/no-such-browser\" \"http://", 0), 0u) << machine::Utf8FromWide(line);
  EXPECT_EQ(line.substr(line.size() - 16), u"/Vistacraft.php\"");
}

TEST_F(SettingsDialogTest, WithoutARegisteredBrowserTheDesktopsOpenerIsAsked) {
  // A registry of its own, without the http command, and a path without the opener on it.
  char pattern[] = "/tmp/copperleaf-nobrowser-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string previous = std::getenv("XDG_CONFIG_HOME");
  const char* path = std::getenv("PATH");
  const std::string previousPath = path != nullptr ? path : "";
  setenv("XDG_CONFIG_HOME", pattern, 1);
  setenv("PATH", pattern, 1);
  win32::RestartRegistry();
  win32::ClearStartedProcesses();
  EXPECT_FALSE(LaunchBrowser(u"http://example.invalid/"));
  const auto started = win32::StartedProcesses();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].commandLine, u"xdg-open \"http://example.invalid/\"");
  EXPECT_FALSE(started[0].started);
  setenv("PATH", previousPath.c_str(), 1);
  setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  win32::RestartRegistry();
}

TEST(BrowserCommand, TheAddressTakesThePlaceholdersPlaceOrFollowsTheCommand) {
  const std::u16string address = u"http://host/page.php";
  struct Case {
    const char* what;
    std::u16string registered;
    std::optional<std::u16string> command;
  };
  const Case cases[] = {
      {"quoted placeholder", u"\"C:\\Browser\\run.exe\" -url \"%1\"",
       u"\"C:\\Browser\\run.exe\" -url \"http://host/page.php\""},
      {"no placeholder", u"C:\\Browser\\run.exe", u"C:\\Browser\\run.exe http://host/page.php"},
      {"a 1 in the program path stays", u"C:\\Browser1\\run.exe \"%1\"", u"C:\\Browser1\\run.exe \"http://host/page.php\""},
      {"another percent stays as text", u"%ProgramFiles%\\run.exe %s \"%1\"",
       u"%ProgramFiles%\\run.exe %s \"http://host/page.php\""},
      {"an unquoted placeholder is replaced too", u"run.exe %1", u"run.exe http://host/page.php"},
      {"259 characters fit", std::u16string(238, u'x'), std::u16string(238, u'x') + u" " + address},
      {"260 do not", std::u16string(239, u'x'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(BrowserCommand(c.registered, address), c.command);
  }
}

// The banner as the resource holds it, decoded here with libpng itself.
std::vector<uint32_t> DecodeBanner(UINT* width, UINT* height) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(120), u"DDS");
  const void* bytes = LockResource(LoadResource(nullptr, found));
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, SizeofResource(nullptr, found))) return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(size_t{image.width} * image.height);
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  *width = image.width;
  *height = image.height;
  return pixels;
}

TEST_F(SettingsDialogTest, TheBannerIsPaintedAtItsOwnSizeTwelvePixelsIn) {
  UINT width = 0, height = 0;
  const std::vector<uint32_t> banner = DecodeBanner(&width, &height);
  ASSERT_GT(width, 0u);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  std::vector<uint32_t> surface;
  int surfaceWidth = 0;
  RunConfigure(saver, [&](HWND dialog, WORD) {
    UpdateWindow(dialog);  // paints it now
    const win32::Surface* painted = win32::WindowSurface(dialog);
    ASSERT_NE(painted, nullptr);
    ASSERT_GE(painted->width, static_cast<int>(width + 24));
    surface = painted->pixels;
    surfaceWidth = painted->width;
    win32::ClickControl(dialog, IDCANCEL);
  });
  ASSERT_FALSE(surface.empty());
  auto at = [&](UINT x, UINT y) { return surface[size_t{y} * surfaceWidth + x] & 0xFFFFFF; };
  auto bannerAt = [&](UINT x, UINT y) { return banner[size_t{y} * width + x] & 0xFFFFFF; };
  for (UINT y : {0u, height / 2, height - 1})
    for (UINT x : {0u, width / 3, width - 1}) EXPECT_EQ(at(12 + x, 12 + y), bannerAt(x, y)) << x << "," << y;
  // Around the banner the dialog shows its face.
  EXPECT_EQ(at(11, 11), 0xC0C0C0u);
  EXPECT_EQ(at(12 + width, 12 + height), 0xC0C0C0u);
}

TEST_F(SettingsDialogTest, ABrokenOrCutBannerLeavesTheDialogWithoutPicture) {
  const win32::ResourceTable own = *win32::ModuleResources(nullptr);
  const win32::Resource* banner = nullptr;
  for (const win32::Resource& entry : own)
    if (entry.type.text == u"DDS" && entry.name.id == 120) banner = &entry;
  ASSERT_NE(banner, nullptr);
  const std::vector<BYTE> notPng{'n', 'o', 't', ' ', 'p', 'n', 'g'};
  const std::vector<BYTE> cut(banner->data.begin(), banner->data.begin() + banner->data.size() / 2);
  for (const std::vector<BYTE>* bytes : {&notPng, &cut}) {
    std::vector<win32::Resource> table(own.begin(), own.end());
    for (win32::Resource& entry : table)
      if (&entry - table.data() == banner - own.data()) entry.data = *bytes;
    win32::SetModuleResources(nullptr, table);
    SettingsProbe& saver = Make(MachineWithMonitors(1));
    uint32_t corner = 0;
    const auto opened = RunConfigure(saver, [&](HWND dialog, WORD) {
      UpdateWindow(dialog);
      corner = win32::WindowSurface(dialog)->pixels[12 * win32::WindowSurface(dialog)->width + 12];
      win32::ClickControl(dialog, IDOK);
    });
    win32::SetModuleResources(nullptr, own);
    EXPECT_EQ(opened, (std::vector<WORD>{106}));
    EXPECT_EQ(corner & 0xFFFFFF, 0xC0C0C0u);  // the face, with no picture over it
  }
}

}  // namespace
