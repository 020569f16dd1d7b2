// A user's clicks and keys in a dialog: the notifications its procedure gets and the states the
// controls take; Enter, Esc, Tab and Shift+Tab work the dialog itself.
#include <functional>

#include "platform/win32/gdi_paint.h"
#include "tests/win32/dialog_fixture.h"

namespace dialog_test {

// Found by argument-dependent lookup where a failed expectation prints what the dialog told.
std::ostream& operator<<(std::ostream& out, const Told& t) {
  return out << "{" << t.message << ", " << t.id << ", " << static_cast<int>(t.code) << "}";
}

namespace {

using DialogTestInput = DialogTest;

constexpr UINT kCommand = WM_COMMAND, kNotify = WM_NOTIFY, kScroll = WM_VSCROLL;

int FieldHeight(HWND dialog) {
  const auto metrics = win32::gdi::Metrics(win32::controls::FontPixelsOf(dialog));
  return (metrics ? metrics->height : 13) + 8;
}

int ItemHeight(HWND dialog) { return FieldHeight(dialog) - 8; }

// Where the trackbar's thumb centre stands for a position (8 pixels in from each end).
int ThumbY(HWND dialog, int position) {
  const RECT place = Place(dialog, kVolume);
  return 8 + position * (place.bottom - place.top - 16) / 100;
}

int ThumbX(HWND dialog) {
  const RECT place = Place(dialog, kVolume);
  return (place.right - place.left) / 2;
}

struct State {
  bool mute = false, on = true, off = false;
  int combo = 0, tab = 0, volume = 0;
  int focus = kTabs;
  bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& out, const State& s) {
  return out << "mute " << s.mute << " on " << s.on << " off " << s.off << " combo " << s.combo << " tab " << s.tab
             << " volume " << s.volume << " focus " << s.focus;
}

TEST_F(DialogTestInput, ClicksAndKeysGiveTheNotificationsAndStatesOfWindows) {
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
    std::vector<Told> told;
    State state;
  };
  const auto press = [](int id) { return [id](HWND d) { Click(d, id, 5, 5); }; };
  const Case cases[] = {
      {"a click on a check box", press(kMute), {{kCommand, kMute, BN_CLICKED}}, {.mute = true, .focus = kMute}},
      {"a click on a disabled check box",
       [](HWND d) {
         EnableWindow(GetDlgItem(d, kMute), FALSE);
         Click(d, kMute, 5, 5);
       },
       {},
       {}},
      {"pressed, then let go off the button",
       [](HWND d) {
         Mouse(d, WM_LBUTTONDOWN, kMute, 5, 5);
         Mouse(d, WM_MOUSEMOVE, kMute, 5, 500);
         Mouse(d, WM_LBUTTONUP, kMute, 5, 500);
       },
       {},
       {.focus = kMute}},
      {"a click on the other radio button", press(kOff), {{kCommand, kOff, BN_CLICKED}},
       {.on = false, .off = true, .focus = kOff}},
      {"a click on a group box goes nowhere", [](HWND d) { Click(d, kGroup, 60, 2); }, {}, {}},
      {"Down on a focused radio button checks the next",
       [](HWND d) {
         SetFocus(GetDlgItem(d, kOn));
         Key(d, VK_DOWN);
       },
       {{kCommand, kOff, BN_CLICKED}},
       {.on = false, .off = true, .focus = kOff}},
      {"Space on a focused check box",
       [](HWND d) {
         SetFocus(GetDlgItem(d, kMute));
         Key(d, VK_SPACE);
       },
       {{kCommand, kMute, BN_CLICKED}},
       {.mute = true, .focus = kMute}},
      {"Tab goes to the next tab stop", [](HWND d) { Key(d, VK_TAB); }, {}, {.focus = kMute}},
      {"Tab skips a disabled control",
       [](HWND d) {
         EnableWindow(GetDlgItem(d, kMute), FALSE);
         Key(d, VK_TAB);
       },
       {},
       {.focus = kOn}},
      {"Shift+Tab goes round backwards",
       [](HWND d) {
         SendMessageW(d, WM_KEYDOWN, VK_SHIFT, 1);
         Key(d, VK_TAB);
         SendMessageW(d, WM_KEYUP, VK_SHIFT, 1);
       },
       {},
       {.focus = IDCANCEL}},
      {"Esc is Cancel", [](HWND d) { Key(d, VK_ESCAPE); }, {{kCommand, IDCANCEL, BN_CLICKED}}, {}},
      {"Enter presses the default button", [](HWND d) { Key(d, VK_RETURN); }, {{kCommand, IDOK, BN_CLICKED}}, {}},
      {"Enter presses the focused push button",
       [](HWND d) {
         SetFocus(GetDlgItem(d, IDCANCEL));
         Key(d, VK_RETURN);
       },
       {{kCommand, IDCANCEL, BN_CLICKED}},
       {.focus = IDCANCEL}},
      {"a combo item picked from the open list",
       [](HWND d) {
         Click(d, kCombo, 10, 5);
         Click(d, kCombo, 10, FieldHeight(d) + 2 * ItemHeight(d) + 3);
       },
       {{kCommand, kCombo, CBN_SELCHANGE}},
       {.combo = 2, .focus = kCombo}},
      {"a click beside the open list closes it unchanged",
       [](HWND d) {
         Click(d, kCombo, 10, 5);
         Click(d, kMute, 5, 5);
       },
       {},
       {.focus = kCombo}},
      {"Down, Down and Enter in the open list",
       [](HWND d) {
         Click(d, kCombo, 10, 5);
         Key(d, VK_DOWN);
         Key(d, VK_DOWN);
         Key(d, VK_RETURN);
       },
       {{kCommand, kCombo, CBN_SELCHANGE}},
       {.combo = 2, .focus = kCombo}},
      {"Esc in the open list closes only the list",
       [](HWND d) {
         Click(d, kCombo, 10, 5);
         Key(d, VK_DOWN);
         Key(d, VK_ESCAPE);
       },
       {},
       {.focus = kCombo}},
      {"Down on a closed focused combo box",
       [](HWND d) {
         SetFocus(GetDlgItem(d, kCombo));
         Key(d, VK_DOWN);
       },
       {{kCommand, kCombo, CBN_SELCHANGE}},
       {.combo = 1, .focus = kCombo}},
      {"Up on the first item stays there",
       [](HWND d) {
         SetFocus(GetDlgItem(d, kCombo));
         Key(d, VK_UP);
       },
       {},
       {.focus = kCombo}},
      {"the thumb dragged to the middle",
       [](HWND d) {
         Mouse(d, WM_LBUTTONDOWN, kVolume, ThumbX(d), ThumbY(d, 0));
         Mouse(d, WM_MOUSEMOVE, kVolume, ThumbX(d), ThumbY(d, 50));
         Mouse(d, WM_LBUTTONUP, kVolume, ThumbX(d), ThumbY(d, 50));
       },
       {{kScroll, kVolume, TB_THUMBTRACK}, {kScroll, kVolume, TB_THUMBPOSITION}, {kScroll, kVolume, TB_ENDTRACK}},
       {.volume = 50, .focus = kVolume}},
      {"the thumb dragged past the end stops there",
       [](HWND d) {
         Mouse(d, WM_LBUTTONDOWN, kVolume, ThumbX(d), ThumbY(d, 0));
         Mouse(d, WM_MOUSEMOVE, kVolume, ThumbX(d) + 40, 2000);
         Mouse(d, WM_LBUTTONUP, kVolume, ThumbX(d) + 40, 2000);
       },
       {{kScroll, kVolume, TB_THUMBTRACK}, {kScroll, kVolume, TB_THUMBPOSITION}, {kScroll, kVolume, TB_ENDTRACK}},
       {.volume = 100, .focus = kVolume}},
      {"a click on the channel below the thumb moves a page",
       [](HWND d) { Click(d, kVolume, ThumbX(d), ThumbY(d, 80)); },
       {{kScroll, kVolume, TB_PAGEDOWN}, {kScroll, kVolume, TB_ENDTRACK}},
       {.volume = 20, .focus = kVolume}},
      {"Down and Up keys on the trackbar",
       [](HWND d) {
         SetFocus(GetDlgItem(d, kVolume));
         Key(d, VK_DOWN);
         Key(d, VK_DOWN);
         Key(d, VK_UP);
       },
       {{kScroll, kVolume, TB_LINEDOWN},
        {kScroll, kVolume, TB_ENDTRACK},
        {kScroll, kVolume, TB_LINEDOWN},
        {kScroll, kVolume, TB_ENDTRACK},
        {kScroll, kVolume, TB_LINEUP},
        {kScroll, kVolume, TB_ENDTRACK}},
       {.volume = 1, .focus = kVolume}},
      {"a click on the second tab",
       [](HWND d) { Click(d, kTabs, 50, 5); },
       {{kNotify, kTabs, TCN_SELCHANGING}, {kNotify, kTabs, TCN_SELCHANGE}},
       {.tab = 1}},
      {"a click on the selected tab tells nothing", [](HWND d) { Click(d, kTabs, 8, 5); }, {}, {}},
      {"a click on the tab page goes through to nothing", [](HWND d) { Click(d, kTabs, 50, 40); }, {}, {}},
      {"Right on the focused tabs", [](HWND d) { Key(d, VK_RIGHT); },
       {{kNotify, kTabs, TCN_SELCHANGING}, {kNotify, kTabs, TCN_SELCHANGE}},
       {.tab = 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    told.clear();
    State state;
    Run([&](HWND dialog) {
      c.act(dialog);
      state.mute = IsDlgButtonChecked(dialog, kMute) == BST_CHECKED;
      state.on = IsDlgButtonChecked(dialog, kOn) == BST_CHECKED;
      state.off = IsDlgButtonChecked(dialog, kOff) == BST_CHECKED;
      state.combo = static_cast<int>(SendDlgItemMessageW(dialog, kCombo, CB_GETCURSEL, 0, 0));
      state.tab = static_cast<int>(SendDlgItemMessageW(dialog, kTabs, TCM_GETCURSEL, 0, 0));
      state.volume = static_cast<int>(SendDlgItemMessageW(dialog, kVolume, TBM_GETPOS, 0, 0));
      state.focus = Focused(dialog);
      EndDialog(dialog, 3);
    });
    EXPECT_EQ(told, c.told);
    EXPECT_EQ(state, c.state);
  }
}

// The dialog over its owner: the owner takes no clicks or keys until it closes, then has its
// keyboard focus back where it was.
TEST_F(DialogTestInput, AnOwnerTakesNoInputWhileItsDialogIsOpen) {
  int mutedInOwner = -1;
  int focusAfter = 0;
  bool nested = false;
  Run([&](HWND owner) {
    SetFocus(GetDlgItem(owner, IDCANCEL));
    win32::SetDialogHook([&](HWND dialog, WORD) {
      nested = true;
      Click(owner, kMute, 5, 5);
      Key(owner, VK_ESCAPE);
      mutedInOwner = IsDlgButtonChecked(owner, kMute);
      EndDialog(dialog, IDOK);
    });
    DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), owner, RecordingProcedure, 0);
    focusAfter = Focused(owner);
    EndDialog(owner, 3);
  });
  EXPECT_TRUE(nested);
  EXPECT_EQ(mutedInOwner, BST_UNCHECKED);
  EXPECT_EQ(focusAfter, IDCANCEL);
  EXPECT_TRUE(told.empty());
}

}  // namespace
}  // namespace dialog_test
