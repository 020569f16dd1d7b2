// From the entry point to the main loop: the command line, the monitors, the saver windows, the
// preview start-up wait and the dispatch of the run by mode.
#include <cstdint>

#include "host/screensaver.h"
#include "host/wide_text.h"
#include "sound/audio_player.h"

CD3DScreensaver* g_Screensaver = nullptr;

namespace {

const WCHAR kWindowClass[] = u"D3DSaverWndClass";
constexpr WORD kIconId = 101;

}  // namespace

CD3DScreensaver::CD3DScreensaver() {
  CopyWide(m_windowTitle, u"Screen Saver");
  for (MonitorEntry& monitor : m_monitors) monitor.adapterIndex = -1;
  g_Screensaver = this;
}

HRESULT CD3DScreensaver::Create(HINSTANCE instance) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
  m_instance = instance;
  m_mode = ParseCommandLine(GetCommandLineW());
  FindMonitors();

  if (m_mode == ScreensaverMode::Preview || m_mode == ScreensaverMode::FullScreen ||
      m_mode == ScreensaverMode::TestWindow) {
    HRESULT hr = CreateSaverWindows();
    if (FAILED(hr)) EnterErrorMode(hr);
  }

  // The preview waits about half a second before it touches Direct3D: the display settings window
  // that hosts it is still being built.
  if (m_mode == ScreensaverMode::Preview && m_mainWindow) {
    m_waitingForPreview = TRUE;
    PostMessageW(m_mainWindow, WM_USER, 0, 0);
    MSG msg = {};
    while (m_waitingForPreview) {
      BOOL got = GetMessageW(&msg, m_mainWindow, 0, 0);
      if (got == 0) {
        // The quit message was taken here; the main loop must still see it.
        PostQuitMessage(0);
        break;
      }
      if (got < 0) break;  // the window is gone: no timer can end the wait any more
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    m_waitingForPreview = FALSE;
  }

  m_direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!m_direct3D) {
    EnterErrorMode(kErrNoDirect3D);
    return S_OK;
  }
  HRESULT hr = PrepareEnumeration();
  if (FAILED(hr)) {
    EnterErrorMode(hr);
    return S_OK;
  }
  hr = EnumerateAdapters();
  if (FAILED(hr)) {
    EnterErrorMode(hr);
    return S_OK;
  }
  bool anyUsable = false;
  for (UINT a = 0; a < m_adapterCount; ++a)
    if (m_adapters[a]->halUsable || m_adapters[a]->softwareUsable) anyUsable = true;
  if (!anyUsable) {
    EnterErrorMode(kErrNoCompatibleDevices);
    return S_OK;
  }

  LoadSettings();
  if (m_mode == ScreensaverMode::FullScreen || m_mode == ScreensaverMode::TestWindow)
    AudioPlayer::Init(m_mainWindow);  // without a player the scene simply has no music
  return S_OK;
}

ScreensaverMode CD3DScreensaver::ParseCommandLine(const WCHAR* commandLine) {
  m_parentWindow = nullptr;
  const WCHAR* p = commandLine ? commandLine : u"";

  // Skip the program name; step past its closing quote or blank only when there is one.
  if (*p == u'"') {
    ++p;
    while (*p && *p != u'"') ++p;
    if (*p == u'"') ++p;
  } else {
    while (*p && *p != u' ') ++p;
    if (*p == u' ') ++p;
  }

  while (*p && *p != u'/' && *p != u'-') ++p;
  if (!*p) return ScreensaverMode::Configure;
  ++p;

  ScreensaverMode mode;
  bool readsParent = false;
  switch (*p) {
    case u'c':
    case u'C':
      mode = ScreensaverMode::Configure;
      readsParent = true;
      break;
    case u'p':
    case u'P':
      mode = ScreensaverMode::Preview;
      readsParent = true;
      break;
    case u'a':
    case u'A':
      mode = ScreensaverMode::ChangePassword;
      readsParent = true;
      break;
    case u't':
    case u'T':
      mode = ScreensaverMode::TestWindow;
      break;
    case u'r':
    case u'R':
      mode = ScreensaverMode::NoAction;
      break;
    default:  // any other character, the end of the line after a lone switch character included
      return ScreensaverMode::FullScreen;
  }

  if (readsParent) {
    ++p;
    while (*p && !(*p >= u'0' && *p <= u'9')) ++p;
    if (*p) {
      // A number too large for a 32-bit handle names no window: the parent stays null.
      int64_t value = 0;
      for (; *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + (*p - u'0');
        if (value > INT32_MAX) return mode;
      }
      m_parentWindow = (HWND)(INT_PTR)value;
    }
  }
  return mode;
}

void CD3DScreensaver::FindMonitors() {
  for (DWORD index = 0; m_monitorCount < kMaxMonitors; ++index) {
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof(device);
    if (!EnumDisplayDevicesW(nullptr, index, &device, 0)) break;
    if (device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;

    MonitorEntry& entry = m_monitors[m_monitorCount];
    entry = MonitorEntry{};
    entry.adapterIndex = -1;
    CopyWide(entry.adapterDescription, device.DeviceString);

    DISPLAY_DEVICEW monitor = {};
    monitor.cb = sizeof(monitor);
    if (EnumDisplayDevicesW(device.DeviceName, 0, &monitor, 0))
      CopyWide(entry.monitorDescription, monitor.DeviceString);

    if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) {
      DEVMODEW mode = {};
      mode.dmSize = sizeof(mode);
      if (EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
        bool primary = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        LONG left = primary ? 0 : mode.dmPosition.x;
        LONG top = primary ? 0 : mode.dmPosition.y;
        entry.screenRect = {left, top, left + (LONG)mode.dmPelsWidth, top + (LONG)mode.dmPelsHeight};
        entry.monitor = MonitorFromRect(&entry.screenRect, MONITOR_DEFAULTTONULL);
      }
    }
    ++m_monitorCount;
  }
}

HRESULT CD3DScreensaver::CreateSaverWindows() {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProcStub;
  windowClass.hInstance = m_instance;
  windowClass.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(kIconId));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);

  switch (m_mode) {
    case ScreensaverMode::Preview: {
      RECT rect = {};
      GetClientRect(m_parentWindow, &rect);
      const DWORD style = WS_CHILD | WS_VISIBLE;
      AdjustWindowRect(&rect, style, FALSE);
      m_mainWindow = CreateWindowExW(0, kWindowClass, m_windowTitle, style, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top, m_parentWindow,
                                     nullptr, m_instance, this);
      break;
    }
    case ScreensaverMode::FullScreen:
      m_mainWindow = nullptr;
      for (UINT i = 0; i < m_monitorCount; ++i) {
        MonitorEntry& monitor = m_monitors[i];
        if (!monitor.monitor) continue;
        const RECT& r = monitor.screenRect;
        HWND window = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, m_windowTitle, WS_POPUP | WS_VISIBLE,
                                      r.left, r.top, r.right - r.left, r.bottom - r.top, m_mainWindow,
                                      nullptr, m_instance, nullptr);
        if (!window) return E_FAIL;
        if (!m_mainWindow) m_mainWindow = window;
        monitor.saverWindow = window;
      }
      return m_mainWindow ? S_OK : E_FAIL;
    case ScreensaverMode::TestWindow: {
      RECT rect = {50, 50, 650, 450};
      const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
      AdjustWindowRect(&rect, style, FALSE);
      m_mainWindow = CreateWindowExW(0, kWindowClass, m_windowTitle, style, rect.left, rect.top,
                                     rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                     m_instance, nullptr);
      break;
    }
    default:
      return E_FAIL;
  }

  if (!m_mainWindow) return E_FAIL;
  m_monitors[0].saverWindow = m_mainWindow;
  GetClientRect(m_mainWindow, &m_clientRect);
  m_renderRect = m_clientRect;
  return S_OK;
}

HRESULT CD3DScreensaver::Run() {
  // A run that could not start, or that ended in the error mode, says so to its caller: the process
  // then ends with a failure that a screen-saver manager or a shell can see.
  const auto failure = [this] { return FAILED(m_errorCode) ? m_errorCode : E_FAIL; };
  HRESULT result = S_OK;
  switch (m_mode) {
    case ScreensaverMode::Configure:
      if (m_errorMode) {
        ShowErrorMessage(m_errorCode);
        result = failure();
      } else {
        RunSettingsDialog();
      }
      break;
    case ScreensaverMode::Preview:
    case ScreensaverMode::FullScreen:
    case ScreensaverMode::TestWindow:
      if (!m_mainWindow) {
        // Nothing could show the error box or end the run: say it once and stop.
        ShowErrorMessage(m_errorMode ? m_errorCode : E_FAIL);
        result = failure();
      } else {
        HRESULT hr = MainLoop();
        if (FAILED(hr)) ShowErrorMessage(hr);
        result = FAILED(hr) ? hr : m_errorMode ? failure() : S_OK;
      }
      break;
    case ScreensaverMode::ChangePassword:
      RunPasswordChange();
      break;
    case ScreensaverMode::NoAction:
      break;
  }

  for (UINT a = 0; a < kMaxAdapters; ++a) {
    delete m_adapters[a];
    m_adapters[a] = nullptr;
  }
  m_adapterCount = 0;
  if (m_direct3D) {
    m_direct3D->Release();
    m_direct3D = nullptr;
  }
  return result;
}

void CD3DScreensaver::RunPasswordChange() {
  HMODULE library = LoadLibraryW(u"MPR.DLL");
  if (!library) return;
  typedef DWORD(WINAPI * ChangePassword)(LPCSTR, HWND, DWORD, LPVOID);
  // The export is looked up by name; its real signature is the one above.
  auto change = reinterpret_cast<ChangePassword>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", m_parentWindow, 0, nullptr);
  FreeLibrary(library);
}

LRESULT CALLBACK CD3DScreensaver::WindowProcStub(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (g_Screensaver) return g_Screensaver->HandleMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
  } catch (...) {
    return 1;
  }
}
