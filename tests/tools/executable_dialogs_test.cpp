// The executable's dialog templates: the controls the host's dialog procedures address, with the
// texts the user reads and the hidden texts the procedures take their formats from.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "platform/win32/dialog_template.h"

namespace {

std::map<DWORD, win32::DialogItemTemplate> Controls(WORD id, std::u16string* caption = nullptr) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), RT_DIALOG);
  std::map<DWORD, win32::DialogItemTemplate> controls;
  if (!found) return controls;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
  auto parsed = win32::ParseDialogTemplate({bytes, SizeofResource(self, found)});
  if (!parsed) return controls;
  if (caption) *caption = parsed->caption;
  for (const auto& item : parsed->items)
    if (item.id != 0xFFFFFFFF) controls[item.id] = item;
  return controls;
}

struct Expected {
  DWORD id;
  const char16_t* className;
  const char16_t* text;  // null: not checked (a text the procedure fills in)
  bool visible = true;
};

void ExpectControls(WORD dialog, const char16_t* caption, std::initializer_list<Expected> expected, size_t count) {
  SCOPED_TRACE(dialog);
  std::u16string shown;
  const auto controls = Controls(dialog, &shown);
  EXPECT_EQ(shown, caption);
  EXPECT_EQ(controls.size(), count);
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.id);
    auto it = controls.find(e.id);
    ASSERT_NE(it, controls.end());
    EXPECT_EQ(it->second.className, e.className);
    if (e.text) {
      EXPECT_EQ(it->second.text, e.text);
    }
    EXPECT_EQ((it->second.style & WS_VISIBLE) != 0, e.visible);
  }
}

TEST(ExecutableDialogs, TheSettingsAndSoundDialogsHoldTheirControls) {
  ExpectControls(106, u"Settings",
                 {{1, u"Button", u"OK"},
                  {2, u"Button", u"Cancel"},
                  {1006, u"Button", u"&Display Settings..."},
                  {1007, u"Button", u"&Sound Settings..."},
                  {1017, u"Button", u"Get More Screensavers"},
                  {1023, u"ComboBox", u""}},
                 6);
  ExpectControls(2214, u"Sound Settings",
                 {{1, u"Button", u"OK"}, {2, u"Button", u"Cancel"}, {1021, u"msctls_trackbar32", u""},
                  {1022, u"Button", u"Mute"}},
                 4);
  EXPECT_EQ(Controls(106)[1023].style & 0xF, DWORD{CBS_DROPDOWNLIST});
}

TEST(ExecutableDialogs, TheDisplaySettingsDialogsHoldTheirControlsAndFormats) {
  const Expected shared[] = {
      {2002, u"Static", nullptr},
      {2003, u"Static", nullptr},
      {2004, u"Button", u"&Help"},
      {2010, u"Static", u"Display &mode for this video adapter:"},
      {2011, u"ComboBox", u""},
      {2012, u"Static", u"Automatic", false},
      {2013, u"Static",
       u"Note: The Automatic display mode finds a mode that works well with your current screen saver settings and "
       u"video adapter."},
      {2016, u"Static", u"%d by %d, %d bit color", false},
  };
  ExpectControls(200, u"Display Settings",
                 {shared[0], shared[1], shared[2], shared[3], shared[4], shared[5], shared[6], shared[7],
                  {2005, u"Button", u"&Disable hardware 3D rendering"},
                  {2009, u"Button", u"Display Mode"}},
                 12);
  ExpectControls(201, u"Display Settings",
                 {shared[0], shared[1], shared[2], shared[3], shared[4], shared[5], shared[6], shared[7],
                  {2000, u"SysTabControl32", u""},
                  {2001, u"Static", u"Monitor %d", false},
                  {2005, u"Button", u"&Disable hardware 3D rendering on this monitor"},
                  {2006, u"Button", u"Monitor usage"},
                  {2007, u"Button", u"Display &screen saver on this monitor"},
                  {2008, u"Button", u"Display &nothing on this monitor"},
                  {2009, u"Button", u"Display mode"},
                  {2014, u"Button", u"Dual Monitor Settings"},
                  {2015, u"Button", u"Show &images in reverse order"}},
                 19);
}

}  // namespace
