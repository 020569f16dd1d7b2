// The display settings per monitor: what the registry's "Screen n" subkeys give the adapter records,
// what is written back, and the display-settings dialogs driven as a user would.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "host/display_texts.h"
#include "platform/machine/text.h"
#include "tests/host/settings_fixture.h"

namespace {

using DisplaySettingsTest = SettingsTest;

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
  std::vector<BYTE> out;
  for (int v : values) out.push_back(static_cast<BYTE>(v));
  return out;
}

std::vector<BYTE> Dword(DWORD value) { return Bytes({int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF), int(value >> 24)}); }

// The identifier MakeAdapter gives the adapter of display 0.
std::vector<BYTE> OwnId() { return Bytes({0xA0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5A}); }
std::vector<BYTE> ForeignId() { return Bytes({0xB7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}); }

TEST_F(DisplaySettingsTest, TheStoredAdapterIdDecidesWhetherTheModeAndHardwareSwitchApply) {
  struct Case {
    const char* what;
    std::vector<BYTE> adapterId;  // empty: no "Adapter ID" value
    bool modeRead;
  };
  const Case cases[] = {
      {"no adapter id", {}, true},
      {"this adapter's id", OwnId(), true},
      {"an all-zero id", std::vector<BYTE>(16, 0), true},
      {"another card's id", ForeignId(), false},
      {"an id of the wrong length counts as none", Bytes({0xB7, 1, 2}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    keyPath = UniqueKeyPath();
    if (!c.adapterId.empty()) Store(u"Screen 1", u"Adapter ID", REG_BINARY, c.adapterId);
    StoreDword(u"Screen 1", u"Leave Black", 1);
    StoreDword(u"Screen 1", u"Disable Hardware", 1);
    StoreDword(u"Screen 1", u"Width", 800);
    StoreDword(u"Screen 1", u"Height", 600);
    StoreDword(u"Screen 1", u"Format", D3DFMT_X8R8G8B8);
    AdapterEntry& adapter = Make(MachineWithMonitors(1)).Adapter(0);
    EXPECT_TRUE(adapter.leaveBlack);  // whichever card it was chosen on
    EXPECT_EQ(adapter.disableHardware, c.modeRead);
    EXPECT_EQ(adapter.chosenWidth, c.modeRead ? 800u : 0u);
    EXPECT_EQ(adapter.chosenHeight, c.modeRead ? 600u : 0u);
    EXPECT_EQ(adapter.chosenFormat, c.modeRead ? D3DFMT_X8R8G8B8 : D3DFMT_UNKNOWN);
  }
}

// Reading opens each monitor's subkey as the settings always did (creating it), but a subkey made
// only to read it is not saved: reading the settings writes nothing.
TEST_F(DisplaySettingsTest, AbsentOrMisshapenValuesLeaveTheFieldsAndReadingWritesNoSubkey) {
  Store(u"", u"AllScreensSame", REG_BINARY, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));  // eight bytes: not a flag
  Store(u"Screen 1", u"Width", REG_BINARY, Bytes({0x20, 3}));
  Store(u"Screen 1", u"Leave Black", REG_DWORD, Dword(7));  // any non-zero value is set
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  EXPECT_FALSE(saver.m_reverseOrder);
  EXPECT_TRUE(saver.Adapter(0).leaveBlack);
  EXPECT_EQ(saver.Adapter(0).chosenWidth, 0u);
  EXPECT_FALSE(saver.Adapter(0).disableHardware);

  keyPath = UniqueKeyPath();
  EXPECT_FALSE(KeyExists(u"Screen 1"));
  Make(MachineWithMonitors(2));
  EXPECT_FALSE(KeyExists(u"Screen 1"));
  EXPECT_FALSE(KeyExists(u"Screen 2"));
}

TEST_F(DisplaySettingsTest, WritingStoresEveryMonitorWithAnAdapterUnderItsOwnNumber) {
  // Display 0 has no adapter; display 1's adapter is the only one.
  machine::Machine description = MachineWithMonitors(2);
  description.adapters.erase(description.adapters.begin());
  SettingsProbe& saver = Make(description);
  ASSERT_EQ(saver.m_adapterCount, 1u);
  AdapterEntry& adapter = saver.Adapter(0);
  adapter.leaveBlack = TRUE;
  adapter.chosenWidth = 1024;
  adapter.chosenHeight = 768;
  adapter.chosenFormat = D3DFMT_X8R8G8B8;
  saver.m_reverseOrder = TRUE;
  saver.WriteSettings();

  EXPECT_EQ(StoredDword(u"", u"AllScreensSame"), 1u);
  EXPECT_FALSE(Stored(u"Screen 1", u"Leave Black"));
  EXPECT_EQ(StoredDword(u"Screen 2", u"Leave Black"), 1u);
  EXPECT_EQ(StoredDword(u"Screen 2", u"Disable Hardware"), 0u);
  EXPECT_EQ(StoredDword(u"Screen 2", u"Width"), 1024u);
  EXPECT_EQ(StoredDword(u"Screen 2", u"Height"), 768u);
  EXPECT_EQ(StoredDword(u"Screen 2", u"Format"), DWORD{D3DFMT_X8R8G8B8});
  const auto id = Stored(u"Screen 2", u"Adapter ID");
  ASSERT_TRUE(id);
  EXPECT_EQ(id->type, DWORD{REG_BINARY});
  EXPECT_EQ(id->bytes, Bytes({0xA1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x5A}));
}

TEST_F(DisplaySettingsTest, OneAdapterGetsTheDialogWithoutTabsRadiosOrReverseOrder) {
  StoreDword(u"Screen 1", u"Width", 800);
  StoreDword(u"Screen 1", u"Height", 600);
  StoreDword(u"Screen 1", u"Format", D3DFMT_X8R8G8B8);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  std::vector<WORD> opened;
  win32::SetDialogHook([&](HWND dialog, WORD id) {
    opened.push_back(id);
    for (int absent : {2000, 2006, 2007, 2008, 2014, 2015}) EXPECT_EQ(GetDlgItem(dialog, absent), nullptr) << absent;
    EXPECT_EQ(ItemText(dialog, 2002), u"Adapter 1");
    EXPECT_EQ(ItemText(dialog, 2003), u"The screen saver can use hardware 3D rendering on this monitor.");
    EXPECT_TRUE(Enabled(dialog, 2005));
    EXPECT_FALSE(Checked(dialog, 2005));
    EXPECT_EQ(ComboItems(dialog, 2011),
              (std::vector<std::u16string>{u"Automatic", u"640 by 480, 32 bit color", u"800 by 600, 32 bit color",
                                           u"1024 by 768, 32 bit color"}));
    EXPECT_EQ(ComboSelection(dialog, 2011), 2);  // the stored mode
    EXPECT_EQ(SendDlgItemMessageW(dialog, 2011, CB_GETITEMDATA, 0, 0), -1);

    win32::ChooseComboItem(dialog, 2011, 3);
    EXPECT_EQ(saver.Adapter(0).chosenWidth, 1024u);
    EXPECT_EQ(saver.Adapter(0).chosenHeight, 768u);
    win32::ChooseComboItem(dialog, 2011, 0);
    EXPECT_EQ(saver.Adapter(0).chosenWidth, 0u);
    EXPECT_EQ(saver.Adapter(0).chosenFormat, D3DFMT_UNKNOWN);

    // Switching the hardware off shows software rendering and keeps the box ticked.
    win32::ClickControl(dialog, 2005);
    EXPECT_TRUE(saver.Adapter(0).disableHardware);
    EXPECT_TRUE(Checked(dialog, 2005));
    EXPECT_EQ(ItemText(dialog, 2003), u"The screen saver can use software 3D rendering on this monitor.");
    win32::ClickControl(dialog, IDOK);
  });
  saver.DoDisplaySettingsDialog(nullptr);
  EXPECT_EQ(opened, (std::vector<WORD>{200}));
  EXPECT_TRUE(saver.Adapter(0).disableHardware);  // OK keeps the edits
}

TEST_F(DisplaySettingsTest, AStoredModeTheAdapterLacksShowsAutomaticButStaysChosen) {
  StoreDword(u"Screen 1", u"Width", 1234);
  StoreDword(u"Screen 1", u"Height", 567);
  StoreDword(u"Screen 1", u"Format", D3DFMT_X8R8G8B8);
  SettingsProbe& saver = Make(MachineWithMonitors(1));
  LRESULT selection = -2;
  win32::SetDialogHook([&](HWND dialog, WORD) {
    selection = ComboSelection(dialog, 2011);
    win32::ClickControl(dialog, IDOK);
  });
  saver.DoDisplaySettingsDialog(nullptr);
  EXPECT_EQ(selection, 0);
  EXPECT_EQ(saver.Adapter(0).chosenWidth, 1234u);
}

TEST_F(DisplaySettingsTest, TwoAdaptersGetATabPerMonitorAndCancelRestoresEveryTab) {
  SettingsProbe& saver = Make(MachineWithMonitors(2));
  const AdapterEntry before0 = saver.Adapter(0);
  const AdapterEntry before1 = saver.Adapter(1);
  std::vector<WORD> opened;
  win32::SetDialogHook([&](HWND dialog, WORD id) {
    opened.push_back(id);
    ASSERT_EQ(SendDlgItemMessageW(dialog, 2000, TCM_GETITEMCOUNT, 0, 0), 2);
    for (int tab = 0; tab < 2; ++tab) {
      WCHAR title[32] = {};
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = title;
      item.cchTextMax = 32;
      SendDlgItemMessageW(dialog, 2000, TCM_GETITEMW, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::u16string(title), tab == 0 ? u"Monitor 1" : u"Monitor 2");
    }
    EXPECT_EQ(ItemText(dialog, 2002), u"Adapter 1");
    EXPECT_TRUE(Checked(dialog, 2007));
    // First tab: leave the monitor black, which takes the mode controls away.
    win32::ClickControl(dialog, 2008);
    EXPECT_TRUE(saver.Adapter(0).leaveBlack);
    for (int id : {2009, 2010, 2011, 2013}) EXPECT_FALSE(Enabled(dialog, id)) << id;
    win32::ClickControl(dialog, 2015);
    EXPECT_TRUE(saver.m_reverseOrder);

    // Second tab: its own page, then a mode and the hardware switch.
    win32::ChooseTab(dialog, 2000, 1);
    EXPECT_EQ(ItemText(dialog, 2002), u"Adapter 2");
    EXPECT_TRUE(Checked(dialog, 2007));
    for (int id : {2009, 2010, 2011, 2013}) EXPECT_TRUE(Enabled(dialog, id)) << id;
    win32::ChooseComboItem(dialog, 2011, 1);
    win32::ClickControl(dialog, 2005);
    EXPECT_EQ(saver.Adapter(1).chosenWidth, 640u);
    EXPECT_TRUE(saver.Adapter(1).disableHardware);

    // Back on the first tab its edits show.
    win32::ChooseTab(dialog, 2000, 0);
    EXPECT_TRUE(Checked(dialog, 2008));
    win32::ClickControl(dialog, IDCANCEL);
  });
  saver.DoDisplaySettingsDialog(nullptr);
  EXPECT_EQ(opened, (std::vector<WORD>{201}));
  EXPECT_EQ(saver.Adapter(0).leaveBlack, before0.leaveBlack);
  EXPECT_EQ(saver.Adapter(1).chosenWidth, before1.chosenWidth);
  EXPECT_EQ(saver.Adapter(1).disableHardware, before1.disableHardware);
  EXPECT_FALSE(saver.m_reverseOrder);
}

TEST_F(DisplaySettingsTest, APageShowsWhatTheAdapterCanDo) {
  struct Case {
    const char* what;
    bool halBumpMaps;   // false: the HAL exists but cannot draw the scene
    bool swAvailable;
    bool disableHardware;
    bool leaveBlack;
    const char16_t* rendering;
    bool checkEnabled, checkTicked, radiosEnabled, nothingSelected;
  };
  const Case cases[] = {
      {"usable hardware", true, true, false, false, u"hardware", true, false, true, false},
      {"usable hardware, left black", true, true, false, true, u"hardware", true, false, true, true},
      {"hardware switched off, software usable", true, true, true, false, u"software", true, true, true, false},
      {"hardware switched off, no software", true, false, true, false, u"cannot", true, true, false, true},
      {"unusable hardware, software usable", false, true, false, false, u"software", false, false, true, false},
      {"nothing usable", false, false, false, false, u"cannot", false, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    machine::Machine description = MachineWithMonitors(2);
    description.adapters[0].hal.bumpEnvMap = c.halBumpMaps;
    description.adapters[0].sw.available = c.swAvailable;
    keyPath = UniqueKeyPath();
    StoreDword(u"Screen 1", u"Disable Hardware", c.disableHardware);
    StoreDword(u"Screen 1", u"Leave Black", c.leaveBlack);
    SettingsProbe& saver = Make(description);
    int shown = 0;
    win32::SetDialogHook([&](HWND dialog, WORD) {
      ++shown;
      EXPECT_NE(ItemText(dialog, 2003).find(c.rendering), std::u16string::npos) << machine::Utf8FromWide(ItemText(dialog, 2003));
      EXPECT_EQ(Enabled(dialog, 2005), c.checkEnabled);
      EXPECT_EQ(Checked(dialog, 2005), c.checkTicked);
      for (int id : {2006, 2007, 2008}) EXPECT_EQ(Enabled(dialog, id), c.radiosEnabled) << id;
      EXPECT_EQ(Checked(dialog, 2008), c.nothingSelected);
      EXPECT_EQ(Checked(dialog, 2007), !c.nothingSelected);
      EXPECT_EQ(Enabled(dialog, 2011), !c.nothingSelected);
      win32::ClickControl(dialog, IDCANCEL);
    });
    saver.DoDisplaySettingsDialog(nullptr);
    EXPECT_EQ(shown, 1);
  }
}

TEST_F(DisplaySettingsTest, HelpNamesTheAdapterAndExplainsItsRendering) {
  SettingsProbe& saver = Make(MachineWithMonitors(2));
  win32::SetDialogHook([&](HWND dialog, WORD) {
    win32::ChooseTab(dialog, 2000, 1);
    win32::ClickControl(dialog, 2004);
    win32::ClickControl(dialog, IDOK);
  });
  saver.DoDisplaySettingsDialog(nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Adapter 2");
  EXPECT_EQ(boxes[0].text,
            u"This video adapter supports hardware 3D rendering.  This screen saver can be displayed on this monitor.");
  EXPECT_EQ(boxes[0].type, UINT{MB_ICONINFORMATION});
}

TEST(DisplayTexts, TheHelpTextFollowsTheAdaptersFlags) {
  struct Case {
    bool hasHal, disabled, halUsable, hasSoftware, softwareUsable;
    UINT help;
  };
  const Case cases[] = {
      {true, true, true, false, false, 2209},  {true, true, false, true, false, 2208},
      {true, true, true, true, true, 2207},    {true, false, true, false, false, 2200},
      {true, false, true, true, true, 2200},   {true, false, false, false, false, 2203},
      {true, false, false, true, false, 2202}, {true, false, false, true, true, 2201},
      {false, false, false, false, false, 2206}, {false, true, false, true, false, 2205},
      {false, false, false, true, true, 2204},
  };
  for (const Case& c : cases) {
    AdapterEntry adapter = {};
    adapter.hasHal = c.hasHal;
    adapter.disableHardware = c.disabled;
    adapter.halUsable = c.halUsable;
    adapter.hasSoftware = c.hasSoftware;
    adapter.softwareUsable = c.softwareUsable;
    EXPECT_EQ(DisplayHelpTextId(&adapter, true), c.help) << c.help;
    EXPECT_EQ(DisplayHelpTextId(&adapter, false), 2206u);
  }
  EXPECT_EQ(DisplayHelpTextId(nullptr, true), 2206u);
  EXPECT_EQ(RenderingTextId(nullptr), 2212u);
}

}  // namespace
