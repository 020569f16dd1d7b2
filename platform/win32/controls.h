// What the dialog code and the control classes share: the headless classes, the window records'
// geometry and text, and each control's own state kept beside its window.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

namespace win32::look {
class Canvas;
}

namespace win32::controls {

inline constexpr WCHAR kDialogClass[] = u"#32770";
inline constexpr WCHAR kButtonClass[] = u"Button";
inline constexpr WCHAR kStaticClass[] = u"Static";
inline constexpr WCHAR kComboBoxClass[] = u"ComboBox";

// Registers the dialog class and every control class, headless, unless the window system has them.
void RegisterClasses();

// The procedures of the control classes, each in its own file.
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TrackbarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

DWORD StyleOf(HWND window);
WNDPROC ProcedureOf(HWND window);  // tells a control's class
HWND ParentOf(HWND window);  // null for a top-level window
// The children of a window in the order they were made (the order of a dialog template).
std::vector<HWND> ChildrenOf(HWND parent);
// WM_COMMAND (the control's id, code) from the control to its parent.
void NotifyParent(HWND control, WORD code);
// WM_NOTIFY with a bare header from the control to its parent; gives the parent's answer.
LRESULT NotifyParentHeader(HWND control, UINT code);
RECT RectOf(HWND window);  // a child's rectangle in its parent's client coordinates
std::u16string TextOf(HWND window);
// Draws the control again in its dialog's picture once the queue gets to it.
void Redraw(HWND control);
// The pixel size of the font of the control's dialog (of the dialog itself for a dialog).
int FontPixelsOf(HWND window);

// Each control draws itself onto the canvas in its own coordinates.
void PaintButton(HWND button, look::Canvas& canvas);
void PaintStatic(HWND label, look::Canvas& canvas);
void PaintComboBox(HWND combo, look::Canvas& canvas);
void PaintTabControl(HWND tabs, look::Canvas& canvas);
void PaintTrackbar(HWND trackbar, look::Canvas& canvas);
// An open combo box list, drawn over everything else of the dialog.
bool ComboListOpen(HWND combo);
void PaintComboList(HWND combo, look::Canvas& canvas);
void CloseComboList(HWND combo);
// Whether a click at `point` (the control's coordinates) belongs to the control: group boxes and
// statics let clicks through, a closed combo box takes them on its field only, a tab control on
// its tabs only.
bool TakesClick(HWND control, POINT point);
bool ComboBoxTakesClick(HWND combo, POINT point);
bool TabControlTakesClick(HWND tabs, POINT point);
// Whether the control takes the keyboard when clicked or tabbed to.
bool TakesFocus(HWND control);

// The state of each window of one control class, made on first use and dropped with the window.
template <typename T>
class StateOf {
 public:
  T& operator[](HWND window) {
    std::lock_guard lock(mutex_);
    auto& slot = states_[window];
    if (!slot) slot = std::make_unique<T>();
    return *slot;
  }
  void Drop(HWND window) {
    std::lock_guard lock(mutex_);
    states_.erase(window);
  }
  std::vector<HWND> Windows() {
    std::lock_guard lock(mutex_);
    std::vector<HWND> windows;
    for (const auto& [window, state] : states_) windows.push_back(window);
    return windows;
  }

 private:
  std::mutex mutex_;
  std::map<HWND, std::unique_ptr<T>> states_;
};

}  // namespace win32::controls
