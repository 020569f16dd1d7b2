// Runs the screensaver in-process on a simulated machine and virtual time, with the framework's
// records open to the test and a script that acts at chosen frames or loop turns.
#pragma once
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "host/moire_screensaver.h"
#include "platform/machine/clock.h"
#include "platform/machine/machine.h"
#include "platform/win32/command_line.h"
#include "platform/win32/message_box.h"
#include "platform/win32/system_parameters.h"
#include "platform/win32/windowing.h"

// The application with its records in view. A run stops by itself after `maxTurns` loop turns.
class HostProbe : public CMoireScreensaver {
 public:
  static constexpr UINT_PTR kTurnTimer = 0x7E57;

  using CD3DScreensaver::m_adapterCount;
  using CD3DScreensaver::m_adapters;
  using CD3DScreensaver::m_clientRect;
  using CD3DScreensaver::m_deviceCount;
  using CD3DScreensaver::m_devices;
  using CD3DScreensaver::m_errorCode;
  using CD3DScreensaver::m_errorMode;
  using CD3DScreensaver::m_errorText;
  using CD3DScreensaver::m_mainWindow;
  using CD3DScreensaver::m_mode;
  using CD3DScreensaver::m_monitorCount;
  using CD3DScreensaver::m_monitors;
  using CD3DScreensaver::m_mouseMoveCount;
  using CD3DScreensaver::m_parentWindow;
  using CD3DScreensaver::m_registryKeyPath;
  using CD3DScreensaver::m_useDepthBuffer;
  using CD3DScreensaver::m_windowTitle;

  // Called on every frame with the frame number (1, 2, ...) and the device index being rendered.
  std::function<void(HostProbe&, int frame, UINT device)> onRender;
  // Called on every loop turn (every 30 ms of virtual time), in the error mode too.
  std::function<void(HostProbe&, int turn)> onTurn;
  // "release i" and "restore i" for every release and restore of device i's objects, in order.
  std::vector<std::string> deviceEvents;
  // Stands in for the settings the application reads at start-up.
  std::function<void(HostProbe&)> onLoadSettings;
  int maxTurns = 400;
  int turns = 0;
  int frames = 0;
  std::vector<int> renders = std::vector<int>(kMaxMonitors, 0);
  bool stoppedBySafety = false;

  UINT currentIndex = 0;

  void OnSelectDevice(UINT index) override {
    currentIndex = index;
    CMoireScreensaver::OnSelectDevice(index);
  }

  void LoadSettings() override {
    CMoireScreensaver::LoadSettings();
    if (onLoadSettings) onLoadSettings(*this);
  }

  HRESULT Render() override {
    if (currentIndex == 0) ++frames;
    ++renders[currentIndex];
    if (onRender) onRender(*this, frames, currentIndex);
    return S_OK;
  }

  HRESULT ReleaseDeviceResources() override {
    deviceEvents.push_back("release " + std::to_string(currentIndex));
    return S_OK;
  }
  HRESULT RestoreDeviceResources() override {
    deviceEvents.push_back("restore " + std::to_string(currentIndex));
    return S_OK;
  }

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kTurnTimer) {
      ++turns;
      if (onTurn) onTurn(*this, turns);
      if (turns >= maxTurns) {
        stoppedBySafety = true;
        PostQuitMessage(0);
      }
      return 0;
    }
    return CMoireScreensaver::HandleMessage(window, message, wParam, lParam);
  }

  // Create from the command line, start the turn timer, then Run.
  void Start(const std::u16string& commandLine) {
    win32::SetCommandLine(commandLine);
    Create(nullptr);
    if (m_mainWindow) SetTimer(m_mainWindow, kTurnTimer, 30, nullptr);
    Run();
  }

  HWND Window(UINT monitor) const { return m_monitors[monitor].saverWindow; }
};

// A fresh window system, virtual time, an empty settings folder and a record of message boxes.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");
    static std::string configHome = [] {
      char pattern[] = "/tmp/copperleaf-host-XXXXXX";
      const char* made = mkdtemp(pattern);
      return std::string(made ? made : "/tmp");
    }();
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    win32::ResetWindowing();
    machine::clock::UseVirtual();
    machine::Install(machine::DefaultMachine());
    boxes.clear();
    win32::SetMessageBoxHook([this](const win32::MessageBoxShown& box) {
      boxes.push_back(box);
      return IDOK;
    });
  }

  void TearDown() override {
    win32::SetMessageBoxHook(nullptr);
    win32::ResetWindowing();
    machine::clock::UseReal();
  }

  // A unique settings key for this test, so that no test sees another's values.
  static std::u16string UniqueKeyPath() {
    static int serial = 0;
    std::string name = "Software\\CopperleafHostTest\\" +
                       std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                       std::to_string(++serial) + "\\";
    return std::u16string(name.begin(), name.end());
  }

  // A window of the given client size standing in for the display settings window; its number
  // as the command line gives it.
  static std::u16string PreviewParent(int width, int height, HWND* made = nullptr) {
    WNDCLASSW plain = {};
    plain.lpfnWndProc = DefWindowProcW;
    plain.lpszClassName = u"DisplayProperties";
    RegisterClassW(&plain);
    HWND parent = CreateWindowExW(0, u"DisplayProperties", u"parent", WS_POPUP | WS_VISIBLE, 100, 100, width, height,
                                  nullptr, nullptr, nullptr, nullptr);
    if (made) *made = parent;
    const std::string number = std::to_string((INT_PTR)parent);
    return std::u16string(number.begin(), number.end());
  }

  std::vector<win32::MessageBoxShown> boxes;
};

// Machine descriptions.
machine::Display MakeDisplay(int index, int width, int height, int x = 0, int y = 0);
machine::Adapter MakeAdapter(int display, std::vector<std::pair<uint32_t, uint32_t>> modes);
// `count` monitors side by side, each with its own adapter of the usual modes.
machine::Machine MachineWithMonitors(int count, int width = 1024, int height = 768);
