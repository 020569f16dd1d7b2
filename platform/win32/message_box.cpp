// Message boxes: on a display, a dialog of the stand-in's own (its text wrapped, the buttons of the
// box's type in a row below), run modally over its owner as any dialog.
#include "platform/win32/message_box.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

#include "platform/machine/text.h"
#include "platform/win32/controls.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/gdi_paint.h"
#include "platform/win32/process.h"
#include "platform/win32/window_manager.h"
#include "platform/win32/x11_display.h"

namespace {

struct Hook {
  std::mutex mutex;
  std::function<int(const win32::MessageBoxShown&)> answer;
};

Hook& GetHook() {
  static Hook hook;
  return hook;
}

struct ButtonKind {
  int id;
  const char16_t* text;
};

// The buttons of each type, left to right.
std::vector<ButtonKind> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
    case MB_CANCELTRYCONTINUE: return {{IDCANCEL, u"Cancel"}, {IDTRYAGAIN, u"&Try Again"}, {IDCONTINUE, u"&Continue"}};
    default: return {{IDOK, u"OK"}};
  }
}

// The box's geometry in dialog units: margins, buttons and the widest text before it wraps.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 4;
constexpr int kTextWidest = 240;
constexpr int kTextNarrowest = 80;
constexpr WORD kPointSize = 8;

INT_PTR CALLBACK BoxProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // The keyboard starts on the default button.
    SetFocus(GetDlgItem(dialog, static_cast<int>(lParam)));
    return FALSE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  int id = LOWORD(wParam);
  // Esc and the close box are Cancel; a box without Cancel ends on them only when it has OK alone.
  if (id == IDCANCEL && GetDlgItem(dialog, IDCANCEL) == nullptr) {
    if (GetDlgItem(dialog, IDOK) == nullptr) return TRUE;
    id = IDOK;
  }
  if (GetDlgItem(dialog, id) == nullptr) return FALSE;
  EndDialog(dialog, id);
  return TRUE;
}

int ShowBox(const win32::MessageBoxShown& box) {
  using win32::DialogItemTemplate;
  win32::DialogTemplate dialog;
  dialog.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.caption = box.caption;
  dialog.pointSize = kPointSize;
  const win32::DialogLayout layout = win32::LayoutOf(dialog);

  // The text wrapped at the widest a box takes, then measured.
  RECT text{0, 0, layout.Across(kTextWidest), 0};
  win32::DeviceContext measure{};
  win32::gdi::DrawText(measure, box.text, text, DT_CALCRECT | DT_WORDBREAK, 0, layout.fontPixels);
  const std::vector<ButtonKind> buttons = ButtonsOf(box.type);
  const int count = static_cast<int>(buttons.size());
  const int row = count * kButtonWidth + (count - 1) * kButtonGap;
  const int textWidth = std::max(kTextNarrowest, layout.UnitsAcross(text.right - text.left));
  const int textHeight = layout.UnitsDown(std::max<LONG>(text.bottom - text.top, 1));
  const int inner = std::max(textWidth, row);
  dialog.cx = static_cast<SHORT>(inner + 2 * kMargin);
  dialog.cy = static_cast<SHORT>(kMargin + textHeight + kMargin + kButtonHeight + kMargin);

  DialogItemTemplate label;
  label.style = WS_VISIBLE | SS_LEFT;
  label.x = kMargin;
  label.y = kMargin;
  label.cx = static_cast<SHORT>(inner);
  label.cy = static_cast<SHORT>(textHeight);
  label.id = static_cast<DWORD>(-1);
  label.className = win32::controls::kStaticClass;
  label.text = box.text;
  dialog.items.push_back(label);

  const size_t chosen = ((box.type & MB_DEFMASK) >> 8) < buttons.size() ? (box.type & MB_DEFMASK) >> 8 : 0;
  int x = kMargin + (inner - row) / 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    DialogItemTemplate button;
    button.style = WS_VISIBLE | WS_TABSTOP | (i == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    button.x = static_cast<SHORT>(x);
    button.y = static_cast<SHORT>(kMargin + textHeight + kMargin);
    button.cx = kButtonWidth;
    button.cy = kButtonHeight;
    button.id = static_cast<DWORD>(buttons[i].id);
    button.className = win32::controls::kButtonClass;
    button.text = buttons[i].text;
    dialog.items.push_back(button);
    x += kButtonWidth + kButtonGap;
  }
  HWND window = win32::controls::CreateDialogFromTemplate(nullptr, dialog, box.owner, BoxProcedure);
  if (window == nullptr) return 0;
  const INT_PTR result = win32::controls::RunModalDialog(window, box.owner, buttons[chosen].id, 0);
  return result > 0 ? static_cast<int>(result) : buttons[chosen].id;
}

// Whether the program was started inside a screen-saver manager's window: full screen in a window
// it gave, or the preview. The manager's screen is no place for windows of the program's own, and
// no one could answer a box there; its boxes go to standard error only.
bool InManagersWindow() {
  {
    win32::detail::State& state = win32::detail::GetState();
    std::lock_guard lock(state.mutex);
    if (state.windowGiven) return true;
  }
  const std::vector<std::u16string> arguments = win32::SplitCommandLine(GetCommandLineW());
  if (arguments.size() < 2 || arguments[1].size() < 2) return false;
  const std::u16string& mode = arguments[1];
  return (mode[0] == u'/' || mode[0] == u'-') && (mode[1] == u'p' || mode[1] == u'P');
}

}  // namespace

namespace win32 {

void SetMessageBoxHook(std::function<int(const MessageBoxShown&)> hook) {
  std::lock_guard lock(GetHook().mutex);
  GetHook().answer = std::move(hook);
}

}  // namespace win32

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  const win32::MessageBoxShown box{owner, text != nullptr ? text : u"", caption != nullptr ? caption : u"Error", type};
  std::fprintf(stderr, "[%s] %s\n", machine::Utf8FromWide(box.caption).c_str(), machine::Utf8FromWide(box.text).c_str());
  std::function<int(const win32::MessageBoxShown&)> answer;
  {
    std::lock_guard lock(GetHook().mutex);
    answer = GetHook().answer;
  }
  if (answer) return answer(box);
  return win32::x11::Available() && !InManagersWindow() ? ShowBox(box) : IDOK;
}
