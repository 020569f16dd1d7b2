// The dialogs on a desktop of 96 and of 192 pixels per inch (the desktop's Xft.dpi setting on an
// Xvfb of the test's own): twice the size on the second, and every static text whole on both.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/machine/text.h"
#include "platform/win32/controls.h"
#include "platform/win32/dialog_look.h"
#include "platform/win32/dialog_picture.h"
#include "platform/win32/gdi_paint.h"
#include "tests/host/settings_fixture.h"
#include "tests/support/xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

struct Shown {
  win32::Surface picture;
  int fontPixels = 0;
};

class DialogDpiTest : public SettingsTest {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>("1024x768x24"); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    SettingsTest::SetUp();
    if (server_->display().empty()) GTEST_SKIP() << "Xvfb is not available";
    setenv("DISPLAY", server_->display().c_str(), 1);
  }
  void TearDown() override {
    SettingsTest::TearDown();
    unsetenv("DISPLAY");
  }

  // The desktop's setting, as a desktop's resource loader puts it on the root window; the program
  // reads it when it connects.
  static void SetDesktopDpi(int dpi) {
    ::Display* display = XOpenDisplay(server_->display().c_str());
    ASSERT_NE(display, nullptr);
    const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources.data()), static_cast<int>(resources.size()));
    XCloseDisplay(display);
    win32::ResetWindowing();
  }

  // Opens the settings dialog and from it the display settings on a machine of `monitors`; gives
  // each dialog as it showed, by template.
  std::map<WORD, Shown> ShowDialogs(int monitors) {
    std::map<WORD, Shown> shown;
    SettingsProbe& saver = Make(MachineWithMonitors(monitors));
    win32::SetDialogHook([&](HWND dialog, WORD id) {
      UpdateWindow(dialog);
      shown[id] = {win32::DialogPicture(dialog), win32::controls::FontPixelsOf(dialog)};
      ExpectStaticTextsWhole(dialog, id, shown[id]);
      if (id == 106) win32::ClickControl(dialog, 1006);
      win32::ClickControl(dialog, IDCANCEL);
    });
    saver.Run();
    return shown;
  }

  // Every static text shows whole: wrapped at its control's width, in its dialog's font, it takes
  // no more than the control's height, and its ink reaches as far across as its widest line.
  static void ExpectStaticTextsWhole(HWND dialog, WORD id, const Shown& shown) {
    for (HWND child : win32::controls::ChildrenOf(dialog)) {
      if (win32::controls::ProcedureOf(child) != win32::controls::StaticProcedure ||
          !(win32::controls::StyleOf(child) & WS_VISIBLE))
        continue;
      const std::u16string text = win32::look::WithoutPrefixes(win32::controls::TextOf(child));
      if (text.empty()) continue;
      const RECT place = win32::controls::RectOf(child);
      RECT needed{0, 0, place.right - place.left, 0};
      win32::DeviceContext measure{};
      win32::gdi::DrawText(measure, text, needed, DT_CALCRECT | DT_WORDBREAK, 0, shown.fontPixels);
      const std::string name = std::to_string(id) + " \"" + machine::Utf8FromWide(text) + "\"";
      EXPECT_LE(needed.bottom, place.bottom - place.top) << name << " is cut off below";
      int inkRight = 0;
      for (LONG y = place.top; y < place.bottom; ++y)
        for (LONG x = place.left; x < place.right; ++x)
          if ((shown.picture.pixels[static_cast<size_t>(y) * shown.picture.width + x] & 0xFF) < 0x60)
            inkRight = std::max<int>(inkRight, x - place.left + 1);
      EXPECT_GE(inkRight, needed.right - 2) << name << " is not drawn whole";
    }
  }

  static inline std::unique_ptr<XvfbServer> server_;
};

TEST_F(DialogDpiTest, At192DpiTheDialogsAreTwiceTheSizeAndTheirTextsWhole) {
  std::map<int, std::map<WORD, Shown>> byDpi;
  for (int dpi : {96, 192}) {
    SetDesktopDpi(dpi);
    byDpi[dpi] = ShowDialogs(1);
    // Two monitors: the display settings with a tab per monitor.
    const std::map<WORD, Shown> tabbed = ShowDialogs(2);
    if (tabbed.count(201)) byDpi[dpi][201] = tabbed.at(201);
  }
  for (WORD id : {106, 200, 201}) {
    ASSERT_TRUE(byDpi[96].count(id) && byDpi[192].count(id)) << "dialog " << id << " did not open";
    const win32::Surface& small = byDpi[96][id].picture;
    const win32::Surface& large = byDpi[192][id].picture;
    // Twice, within what rounding the font to whole pixels makes of it.
    EXPECT_NEAR(large.width, 2.0 * small.width, 0.06 * small.width) << "dialog " << id;
    EXPECT_NEAR(large.height, 2.0 * small.height, 0.06 * small.height) << "dialog " << id;
  }
}

}  // namespace
