// A headless window system on virtual time, and a window class whose procedure records every
// message and lets a case answer some of them.
#pragma once
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/windowing.h"

struct SeenMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class WindowTest : public ::testing::Test {
 protected:
  static constexpr const WCHAR* kClass = u"RecordingWindow";

  void SetUp() override {
    unsetenv("DISPLAY");
    win32::ResetWindowing();
    machine::clock::UseVirtual();
    machine::Install(machine::DefaultMachine());
    seen().clear();
    handler() = nullptr;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Record;
    windowClass.lpszClassName = kClass;
    ASSERT_NE(RegisterClassW(&windowClass), 0);
  }

  void TearDown() override {
    win32::ResetWindowing();
    machine::clock::UseReal();
    handler() = nullptr;
  }

  static HWND Make(DWORD style, RECT rect, HWND parent = nullptr, DWORD exStyle = 0, LPVOID param = nullptr) {
    return CreateWindowExW(exStyle, kClass, u"test", style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, nullptr, nullptr, param);
  }

  // The messages seen so far of one kind, in order.
  static std::vector<SeenMessage> Seen(UINT message) {
    std::vector<SeenMessage> out;
    for (const auto& entry : seen()) {
      if (entry.message == message) out.push_back(entry);
    }
    return out;
  }

  static std::vector<SeenMessage>& seen() {
    static std::vector<SeenMessage> messages;
    return messages;
  }

  // Answers a message instead of DefWindowProcW when it returns a value.
  static std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>& handler() {
    static std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> answer;
    return answer;
  }

 private:
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen().push_back({window, message, wParam, lParam});
    if (handler()) {
      if (auto result = handler()(window, message, wParam, lParam)) return *result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};
