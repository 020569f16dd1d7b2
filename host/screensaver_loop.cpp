// The main loop, the frame loop over the devices, device loss and reset, and the saver windows'
// message handling.
#include <cstdio>

#include "host/screensaver.h"
#include "host/wide_text.h"
#include "sound/audio_player.h"

namespace {

constexpr UINT_PTR kPreviewTimer = 1;
constexpr UINT kPreviewDelayMs = 500;
constexpr DWORD kIdleSleepMs = 30;
constexpr UINT kMovesBeforeInterrupt = 5;

}  // namespace

HRESULT CD3DScreensaver::MainLoop() {
  m_stopwatch.Start();
  m_lastFrameRateUpdate = m_stopwatch.Now();
  // A window closed while the run was starting (the preview's, when its parent went away or the
  // program was asked to end) ends the run as asked: no scene or device is made for it, and its
  // absence is no device failure.
  if (!m_errorMode && IsWindow(m_mainWindow)) {
    InitSceneOnce();
    Init3D();
  }
  if (m_mode == ScreensaverMode::FullScreen) {
    BOOL scratch = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, &scratch, 0);
  }

  MSG msg = {};
  msg.message = WM_NULL;
  while (msg.message != WM_QUIT) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      // Leaves the processor to other programs between frames.
      Sleep(kIdleSleepMs);
      if (m_errorMode)
        MoveErrorBox();
      else
        RenderFrame();
    }
  }
  // However the quit message came, the devices are given up and the system must not go on thinking
  // a screensaver runs (the input that ends a run has done both already).
  if (m_deviceCount > 0) Release3D();
  if (m_mode == ScreensaverMode::FullScreen) {
    BOOL scratch = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
  }
  return S_OK;
}

void CD3DScreensaver::RenderFrame() {
  m_sceneTime = (float)m_stopwatch.SinceStart();
  m_elapsedTime = (float)m_stopwatch.SincePrevious();

  AdvanceFrame();
  UpdateFrameRateText();

  for (UINT i = 0; i < m_deviceCount; ++i) {
    SelectDevice(i);
    MonitorDevice& device = m_devices[i];
    if (!device.device) continue;

    HRESULT level = device.device->TestCooperativeLevel();
    // A lost device ends the whole frame: nothing is rendered or presented on any device.
    if (level == D3DERR_DEVICELOST) return;
    if (level == D3DERR_DEVICENOTRESET) {
      if (m_windowed && device.adapterIndex < m_adapterCount)
        m_direct3D->GetAdapterDisplayMode(device.adapterIndex, &m_adapters[device.adapterIndex]->desktopMode);
      if (device.objectsRestored) {
        ReleaseDeviceResources();
        device.objectsRestored = FALSE;
      }
      if (FAILED(device.device->Reset(&device.presentParams))) {
        m_errorMode = TRUE;  // the code stored earlier, if any, stays the one shown
      } else if (FAILED(RestoreDeviceResources())) {
        m_errorMode = TRUE;
      } else {
        device.objectsRestored = TRUE;
      }
    }
    Render();
  }

  for (UINT i = 0; i < m_deviceCount; ++i) {
    SelectDevice(i);
    if (m_currentDevice) m_currentDevice->Present(nullptr, nullptr, nullptr, nullptr);
  }
}

void CD3DScreensaver::SelectDevice(UINT index) {
  MonitorDevice& device = m_devices[index];
  m_currentDevice = device.device;
  if (!m_windowed && device.monitorIndex < m_monitorCount)
    m_renderRect = m_monitors[device.monitorIndex].screenRect;
  if (m_currentDevice) {
    IDirect3DSurface9* backBuffer = nullptr;
    if (SUCCEEDED(m_currentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer) {
      backBuffer->GetDesc(&m_backBufferDesc);
      backBuffer->Release();
    }
  }
  CopyWide(m_deviceStats, device.deviceStats);
  CopyWide(m_frameStats, device.frameStats);
  OnSelectDevice(index);
}

void CD3DScreensaver::Release3D() {
  for (UINT i = 0; i < m_deviceCount; ++i) {
    SelectDevice(i);
    MonitorDevice& device = m_devices[i];
    if (device.objectsRestored) {
      ReleaseDeviceResources();
      device.objectsRestored = FALSE;
    }
    if (device.objectsInitialised) {
      DestroyDeviceResources();
      device.objectsInitialised = FALSE;
    }
    if (m_currentDevice) m_currentDevice->Release();
    m_currentDevice = nullptr;
    device.device = nullptr;
  }
  m_deviceCount = 0;
  if (m_direct3D) {
    m_direct3D->Release();
    m_direct3D = nullptr;
  }
}

void CD3DScreensaver::Interrupt() {
  if (m_mode != ScreensaverMode::TestWindow && m_mode != ScreensaverMode::FullScreen) return;
  if (m_mode == ScreensaverMode::FullScreen) {
    BOOL scratch = FALSE;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
  }
  Release3D();
  CleanupAtExit();
  PostQuitMessage(0);
}

void CD3DScreensaver::Shutdown() {
  Release3D();
  CleanupAtExit();
  PostQuitMessage(0);
}

LRESULT CD3DScreensaver::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool fullScreen = m_mode == ScreensaverMode::FullScreen;
  switch (message) {
    case WM_DESTROY:
      if (m_mode == ScreensaverMode::Preview || m_mode == ScreensaverMode::TestWindow) Shutdown();
      break;

    case WM_PAINT: {
      PAINTSTRUCT paint = {};
      HDC dc = BeginPaint(window, &paint);
      if (m_errorMode || m_mode != ScreensaverMode::Preview) {
        PaintSaverWindow(window, dc);
      } else {
        RECT client = {};
        GetClientRect(window, &client);
        FillRect(dc, &client, (HBRUSH)GetStockObject(BLACK_BRUSH));
      }
      EndPaint(window, &paint);
      return 0;
    }

    case WM_ACTIVATEAPP:
      if (wParam) break;
      if (m_mode != ScreensaverMode::TestWindow) Interrupt();
      break;

    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (m_mode != ScreensaverMode::TestWindow) Interrupt();
      break;

    case WM_SETCURSOR:
      if (fullScreen) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;

    case WM_ERASEBKGND:
      return TRUE;

    case WM_SYSCOMMAND:
      if (fullScreen) {
        // The low four bits of the command are the system's own.
        switch (wParam & 0xFFF0) {
          case SC_NEXTWINDOW:
          case SC_PREVWINDOW:
          case SC_CLOSE:
          case SC_SCREENSAVE:
            return 0;
        }
      }
      break;

    case WM_TIMER:
      m_waitingForPreview = FALSE;
      KillTimer(window, kPreviewTimer);
      break;

    case WM_MOUSEMOVE:
      if (m_mode != ScreensaverMode::TestWindow) {
        INT x = (SHORT)LOWORD(lParam);
        INT y = (SHORT)HIWORD(lParam);
        if (x != m_lastMouseX || y != m_lastMouseY) {
          ++m_mouseMoveCount;
          m_lastMouseX = x;
          m_lastMouseY = y;
          if (m_mouseMoveCount > kMovesBeforeInterrupt) Interrupt();
        }
      }
      break;

    case WM_POWERBROADCAST:
      if (wParam == PBT_APMSUSPEND) Interrupt();
      break;

    case WM_USER:
      SetTimer(window, kPreviewTimer, kPreviewDelayMs, nullptr);
      break;

    case WM_APP:
      OnGraphEvent(AudioPlayer::GetEvent());
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void CD3DScreensaver::UpdateDeviceText() {
  for (UINT i = 0; i < m_deviceCount; ++i) {
    MonitorDevice& device = m_devices[i];
    WCHAR* text = device.deviceStats;
    const size_t capacity = sizeof(device.deviceStats) / sizeof(WCHAR);
    const DWORD flags = device.behaviorFlags;
    const bool hardware = (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) != 0;
    const bool pure = (flags & D3DCREATE_PUREDEVICE) != 0;
    const bool mixed = (flags & D3DCREATE_MIXED_VERTEXPROCESSING) != 0;

    const WCHAR* name = device.deviceType == D3DDEVTYPE_HAL ? u"HAL" : device.deviceType == D3DDEVTYPE_REF ? u"REF" : u"SW";
    CopyWide(text, capacity, name);
    if (device.deviceType == D3DDEVTYPE_HAL) {
      AppendWide(text, capacity, hardware && pure ? u" (pure hw vp)" : hardware ? u" (hw vp)" : mixed ? u" (mixed vp)" : u" (sw vp)");
    } else {
      AppendWide(text, capacity,
                 hardware && pure ? u" (simulated pure hw vp)"
                 : hardware       ? u" (simulated hw vp)"
                 : mixed          ? u" (simulated mixed vp)"
                                  : u" (sw vp)");
    }
    if (device.deviceType == D3DDEVTYPE_HAL && device.adapterIndex < m_adapterCount) {
      AppendWide(text, capacity, u": ");
      AppendNarrow(text, capacity, m_adapters[device.adapterIndex]->identifier.Description);
    }
  }
}

void CD3DScreensaver::UpdateFrameRateText() {
  ++m_frameCount;
  const LONGLONG now = m_stopwatch.Now();
  const double seconds = (double)(now - m_lastFrameRateUpdate) / (double)m_stopwatch.Frequency();
  if (seconds <= 1.0) return;
  m_framesPerSecond = (float)(m_frameCount / seconds);
  m_lastFrameRateUpdate = now;
  m_frameCount = 0;

  for (UINT i = 0; i < m_deviceCount; ++i) {
    MonitorDevice& device = m_devices[i];
    if (device.adapterIndex >= m_adapterCount) continue;
    const D3DDISPLAYMODE& mode = m_adapters[device.adapterIndex]->desktopMode;
    char text[96];
    int n = std::snprintf(text, sizeof(text), "%.02f fps (%dx%dx%d)", m_framesPerSecond, (int)mode.Width,
                          (int)mode.Height, mode.Format == D3DFMT_X8R8G8B8 ? 32 : 16);
    if (m_useDepthBuffer && n > 0 && (size_t)n < sizeof(text)) {
      const char* depth = "";
      switch (device.presentParams.AutoDepthStencilFormat) {
        case D3DFMT_D32: depth = " (D32)"; break;
        case D3DFMT_D15S1: depth = " (D15S1)"; break;
        case D3DFMT_D24S8: depth = " (D24S8)"; break;
        case D3DFMT_D24X8: depth = " (D24X8)"; break;
        case D3DFMT_D24X4S4: depth = " (D24X4S4)"; break;
        case D3DFMT_D16: depth = " (D16)"; break;
        default: break;
      }
      std::snprintf(text + n, sizeof(text) - n, "%s", depth);
    }
    device.frameStats[0] = 0;
    AppendNarrow(device.frameStats, text);
  }
}
