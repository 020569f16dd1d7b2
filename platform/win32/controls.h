// What the dialog code and the control classes share: the headless classes, the window records'
// geometry and text, and each control's own state kept beside its window.
#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <windows.h>

namespace win32::controls {

inline constexpr WCHAR kDialogClass[] = u"#32770";
inline constexpr WCHAR kButtonClass[] = u"Button";
inline constexpr WCHAR kStaticClass[] = u"Static";
inline constexpr WCHAR kComboBoxClass[] = u"ComboBox";

// Registers the dialog class and every control class, headless, unless the window system has them.
void RegisterClasses();

// The procedures of the control classes, each in its own file.
LRESULT CALLBACK ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
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

 private:
  std::mutex mutex_;
  std::map<HWND, std::unique_ptr<T>> states_;
};

}  // namespace win32::controls
