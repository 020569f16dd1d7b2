// What a dialog shows: every control drawn where its template puts it, in each of its states.
#include <functional>

#include "platform/win32/gdi_paint.h"
#include "tests/win32/dialog_fixture.h"

namespace dialog_test {
namespace {

constexpr uint32_t kFace = 0xC0C0C0, kWhite = 0xFFFFFF, kBlack = 0x000000, kShadow = 0x808080, kLight = 0xDFDFDF,
                   kNavy = 0x000080;

struct Sizes {
  int text;   // height of a line of the dialog font
  int field;  // height of a combo box field
};

Sizes SizesOf(HWND dialog) {
  const auto metrics = win32::gdi::Metrics(win32::controls::FontPixelsOf(dialog));
  const int text = metrics ? metrics->height : 13;
  return {text, text + 8};
}

using DialogTestDrawing = DialogTest;

TEST_F(DialogTestDrawing, EachControlShowsItsStateAtItsPlace) {
  struct Case {
    const char* what;
    std::function<void(HWND)> act;  // brings the state about
    int id;
    std::function<POINT(LONG width, LONG height, const Sizes&)> at;  // in the control
    uint32_t expected;
  };
  auto boxMiddle = [](LONG, LONG h, const Sizes&) { return POINT{6, (h - 13) / 2 + 6}; };
  auto radioMiddle = [](LONG, LONG h, const Sizes&) { return POINT{5, (h - 12) / 2 + 5}; };
  auto corner = [](LONG, LONG, const Sizes&) { return POINT{0, 0}; };
  auto thumbAt = [](int position, int offset) {
    return [=](LONG w, LONG h, const Sizes&) { return POINT{w / 2, 8 + position * (h - 16) / 100 + offset}; };
  };
  auto nothing = [](HWND) {};
  const Case cases[] = {
      {"check box unchecked: white box", nothing, kMute, boxMiddle, kWhite},
      {"check box checked: the tick", [](HWND d) { CheckDlgButton(d, kMute, BST_CHECKED); }, kMute, boxMiddle, kBlack},
      {"check box disabled: the box on the face", [](HWND d) { EnableWindow(GetDlgItem(d, kMute), FALSE); }, kMute,
       [](LONG, LONG h, const Sizes&) { return POINT{4, (h - 13) / 2 + 3}; }, kFace},
      {"check box disabled and checked: a grey tick",
       [](HWND d) {
         CheckDlgButton(d, kMute, BST_CHECKED);
         EnableWindow(GetDlgItem(d, kMute), FALSE);
       },
       kMute, boxMiddle, kShadow},
      {"radio checked: the dot", nothing, kOn, radioMiddle, kBlack},
      {"radio unchecked: white", nothing, kOff, radioMiddle, kWhite},
      {"radio checked by CheckRadioButton", [](HWND d) { CheckRadioButton(d, kOn, kOff, kOff); }, kOff, radioMiddle, kBlack},
      {"radio unchecked by its group", [](HWND d) { CheckRadioButton(d, kOn, kOff, kOff); }, kOn, radioMiddle, kWhite},
      {"group box: shadow line of the etch", nothing, kGroup, [](LONG, LONG h, const Sizes&) { return POINT{0, h / 2}; }, kShadow},
      {"group box: highlight line of the etch", nothing, kGroup, [](LONG, LONG h, const Sizes&) { return POINT{1, h / 2}; }, kWhite},
      {"default push button: black frame", nothing, IDOK, corner, kBlack},
      {"push button: raised", nothing, IDCANCEL, corner, kWhite},
      {"push button held down: flat shadow", [](HWND d) { Mouse(d, WM_LBUTTONDOWN, IDCANCEL, 10, 5); }, IDCANCEL,
       [](LONG, LONG, const Sizes&) { return POINT{1, 1}; }, kShadow},
      {"held down, let go outside: raised again",
       [](HWND d) {
         Mouse(d, WM_LBUTTONDOWN, IDCANCEL, 10, 5);
         Mouse(d, WM_MOUSEMOVE, IDCANCEL, -30, 5);
       },
       IDCANCEL, [](LONG, LONG, const Sizes&) { return POINT{1, 1}; }, kWhite},
      {"focused push button takes the default frame", [](HWND d) { SetFocus(GetDlgItem(d, IDCANCEL)); }, IDCANCEL, corner, kBlack},
      {"and the default button loses it", [](HWND d) { SetFocus(GetDlgItem(d, IDCANCEL)); }, IDOK, corner, kWhite},
      {"focused push button: dotted focus rectangle", [](HWND d) { SetFocus(GetDlgItem(d, IDCANCEL)); }, IDCANCEL,
       [](LONG, LONG, const Sizes&) { return POINT{4, 4}; }, kBlack},
      {"trackbar at 0: thumb at the top", nothing, kVolume, thumbAt(0, 0), kFace},
      {"trackbar at 0: channel below it", nothing, kVolume, thumbAt(0, 20), kLight},
      {"trackbar at 37", [](HWND d) { SendDlgItemMessageW(d, kVolume, TBM_SETPOS, TRUE, 37); }, kVolume, thumbAt(37, 0), kFace},
      {"trackbar at 37: channel above it", [](HWND d) { SendDlgItemMessageW(d, kVolume, TBM_SETPOS, TRUE, 37); }, kVolume,
       thumbAt(37, -20), kLight},
      {"trackbar at 100: thumb at the bottom", [](HWND d) { SendDlgItemMessageW(d, kVolume, TBM_SETPOS, TRUE, 100); }, kVolume,
       thumbAt(100, 0), kFace},
      {"combo closed: the face below its field", nothing, kCombo,
       [](LONG w, LONG, const Sizes& s) { return POINT{w - 5, s.field + 4}; }, kFace},
      {"combo closed, unfocused: white field", nothing, kCombo,
       [](LONG w, LONG, const Sizes& s) { return POINT{w - 24, s.field / 2}; }, kWhite},
      {"combo focused: selected text highlighted", [](HWND d) { SetFocus(GetDlgItem(d, kCombo)); }, kCombo,
       [](LONG w, LONG, const Sizes& s) { return POINT{w - 24, s.field / 2}; }, kNavy},
      {"combo open: the selected item highlighted", [](HWND d) { Click(d, kCombo, 10, 5); }, kCombo,
       [](LONG w, LONG, const Sizes& s) { return POINT{w - 5, s.field + 3}; }, kNavy},
      {"combo open: the next item white", [](HWND d) { Click(d, kCombo, 10, 5); }, kCombo,
       [](LONG w, LONG, const Sizes& s) { return POINT{w - 5, s.field + s.text + 3}; }, kWhite},
      {"first tab selected: raised to the top", nothing, kTabs, [](LONG, LONG, const Sizes&) { return POINT{4, 0}; }, kWhite},
      {"second tab chosen: the first tab lies lower", [](HWND d) { win32::ChooseTab(d, kTabs, 1); }, kTabs,
       [](LONG, LONG, const Sizes&) { return POINT{4, 0}; }, kFace},
      {"second tab chosen: the first tab's top", [](HWND d) { win32::ChooseTab(d, kTabs, 1); }, kTabs,
       [](LONG, LONG, const Sizes&) { return POINT{4, 2}; }, kWhite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint32_t seen = 0xDEADBEEF;
    Run([&](HWND dialog) {
      c.act(dialog);
      const win32::Surface picture = Picture(dialog);
      const RECT place = Place(dialog, c.id);
      const POINT at = c.at(place.right - place.left, place.bottom - place.top, SizesOf(dialog));
      seen = Pixel(picture, place, at.x, at.y);
      EndDialog(dialog, IDCANCEL);
    });
    EXPECT_EQ(seen, c.expected);
  }
}

// Texts: black when enabled; grey with a white relief, and no black at all, when disabled.
TEST_F(DialogTestDrawing, DisabledControlsShowGreyText) {
  for (int id : {int{kLabel}, IDCANCEL, int{kMute}}) {
    for (bool enabled : {true, false}) {
      SCOPED_TRACE(testing::Message() << "control " << id << (enabled ? " enabled" : " disabled"));
      int black = 0, grey = 0;
      Run([&](HWND dialog) {
        EnableWindow(GetDlgItem(dialog, id), enabled);
        const win32::Surface picture = Picture(dialog);
        const RECT place = Place(dialog, id);
        // The text's part of the control: right of a check box, inside a button's edges.
        const int left = id == kMute ? 17 : 3;
        for (int y = 3; y < place.bottom - place.top - 3; ++y)
          for (int x = left; x < place.right - place.left - 3; ++x) {
            const uint32_t pixel = Pixel(picture, place, x, y);
            black += pixel == kBlack;
            grey += pixel == kShadow;
          }
        EndDialog(dialog, IDCANCEL);
      });
      if (enabled) {
        EXPECT_GT(black, 5);
      } else {
        EXPECT_EQ(black, 0);
        EXPECT_GT(grey, 5);
      }
    }
  }
}

TEST_F(DialogTestDrawing, TheFocusIsADottedFrameAroundACheckBoxText) {
  for (bool focused : {false, true}) {
    SCOPED_TRACE(focused ? "focused" : "not focused");
    int dots = 0;
    Run([&](HWND dialog) {
      if (focused) SetFocus(GetDlgItem(dialog, kMute));
      const win32::Surface picture = Picture(dialog);
      const RECT place = Place(dialog, kMute);
      // The column just left of the text (which starts 4 pixels right of the 13-pixel box).
      for (int y = 0; y < place.bottom - place.top; ++y) dots += Pixel(picture, place, 16, y) == kBlack;
      EndDialog(dialog, IDCANCEL);
    });
    if (focused) {
      EXPECT_GE(dots, 3);
    } else {
      EXPECT_EQ(dots, 0);
    }
  }
}

// A hidden control is not drawn, and an open list covers what lies below its combo box.
TEST_F(DialogTestDrawing, TheOpenListCoversTheControlsBelowTheComboBox) {
  Run([&](HWND dialog) {
    const Sizes sizes = SizesOf(dialog);
    const RECT combo = Place(dialog, kCombo);
    const win32::Surface closed = Picture(dialog);
    Click(dialog, kCombo, 10, 5);
    const win32::Surface open = Picture(dialog);
    ASSERT_TRUE(win32::controls::ComboListOpen(GetDlgItem(dialog, kCombo)));
    // Three items under the field, each a line high, framed in black.
    const int listBottom = sizes.field + 3 * sizes.text + 2;
    EXPECT_EQ(Pixel(open, combo, 0, listBottom - 1), kBlack);
    EXPECT_EQ(Pixel(closed, combo, 0, listBottom - 1), kFace);
    EXPECT_EQ(Pixel(open, combo, 0, listBottom + 1), kFace);
    EndDialog(dialog, IDCANCEL);
  });
}

// A list longer than there is room for stops at the dialog's bottom edge and scrolls to keep the
// highlighted item in view.
TEST_F(DialogTestDrawing, ALongListStaysInsideTheDialogAndScrollsToItsHighlight) {
  Run([&](HWND dialog) {
    HWND combo = GetDlgItem(dialog, kCombo);
    for (int i = 0; i < 30; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Mode"));
    RECT place = Place(dialog, kCombo);
    // Made far taller than the dialog, as a template may make it.
    SetWindowPos(combo, nullptr, place.left, place.top, place.right - place.left, 5000, 0);
    place = Place(dialog, kCombo);
    RECT client{};
    GetClientRect(dialog, &client);
    const Sizes sizes = SizesOf(dialog);
    const int rows = static_cast<int>(client.bottom - place.top - sizes.field - 2) / sizes.text;
    Click(dialog, kCombo, 10, 5);
    for (int i = 0; i < rows + 3; ++i) Key(dialog, VK_DOWN);
    const win32::Surface picture = Picture(dialog);
    const int listBottom = sizes.field + rows * sizes.text + 2;
    EXPECT_LE(place.top + listBottom, client.bottom);
    EXPECT_EQ(Pixel(picture, place, 0, listBottom - 1), kBlack);  // the list's frame
    // The highlight (item rows + 3) is the last row shown.
    EXPECT_EQ(Pixel(picture, place, place.right - place.left - 5, sizes.field + (rows - 1) * sizes.text + 3), kNavy);
    Key(dialog, VK_RETURN);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), rows + 3);
    EndDialog(dialog, IDCANCEL);
  });
}

}  // namespace
}  // namespace dialog_test
