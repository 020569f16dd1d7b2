// The whole application with its real hooks, run in-process on the simulated machine: after every
// device's frame a test can look at that device's back buffer and at its monitor scene.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include <windows.h>

#include "host/moire_screensaver.h"
#include "tests/host/host_fixture.h"

class SceneProbe : public CMoireScreensaver {
 public:
  static constexpr UINT_PTR kTurnTimer = 0x5CE7;

  using CD3DScreensaver::m_deviceCount;
  using CD3DScreensaver::m_devices;
  using CD3DScreensaver::m_errorCode;
  using CD3DScreensaver::m_errorMode;
  using CD3DScreensaver::m_errorText;
  using CD3DScreensaver::m_mainWindow;
  using CMoireScreensaver::m_monitorScenes;

  // After the application's frame on a device: the device's own frame number (1, 2, ...).
  std::function<void(SceneProbe&, UINT device, int frame)> afterRender;
  // Right after a device is selected, before anything is done with it.
  std::function<void(SceneProbe&, UINT device)> afterSelect;
  // Ends the run when it returns true; asked on every loop turn, in the error mode too.
  std::function<bool(SceneProbe&)> stopWhen;
  int maxTurns = 300;
  // Once a monitor's scene has started, its slide show moves on every frame but nothing is drawn:
  // for long runs that only listen, since what is heard does not depend on the pictures.
  bool drawScenes = true;
  bool stoppedBySafety = false;
  std::vector<int> frames = std::vector<int>(kMaxMonitors, 0);
  UINT current = 0;
  int releases = 0;
  int restores = 0;

  void OnSelectDevice(UINT index) override {
    current = index;
    CMoireScreensaver::OnSelectDevice(index);
    if (afterSelect) afterSelect(*this, index);
  }

  HRESULT Render() override {
    const HRESULT result =
        drawScenes || !Scene(current).started ? CMoireScreensaver::Render() : Scene(current).AdvanceFrame(m_sceneTime);
    ++frames[current];
    if (afterRender) afterRender(*this, current, frames[current]);
    return result;
  }

  HRESULT ReleaseDeviceResources() override {
    ++releases;
    return CMoireScreensaver::ReleaseDeviceResources();
  }
  HRESULT RestoreDeviceResources() override {
    ++restores;
    return CMoireScreensaver::RestoreDeviceResources();
  }

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kTurnTimer) {
      if (stopWhen && stopWhen(*this)) {
        PostQuitMessage(0);
      } else if (++turns_ >= maxTurns) {
        stoppedBySafety = true;
        PostQuitMessage(0);
      }
      return 0;
    }
    return CMoireScreensaver::HandleMessage(window, message, wParam, lParam);
  }

  void Start(const std::u16string& commandLine) {
    win32::SetCommandLine(commandLine);
    Create(nullptr);
    if (m_mainWindow) SetTimer(m_mainWindow, kTurnTimer, 30, nullptr);
    Run();
  }

  MonitorScene& Scene(UINT device) { return m_monitorScenes[device]; }
  IDirect3DDevice9* Device(UINT device) const { return m_devices[device].device; }

  // A pixel of the device's back buffer (X8R8G8B8, alpha dropped); 0xDEADBEEF when it cannot be read.
  uint32_t BackBufferPixel(UINT device, int x, int y) const {
    IDirect3DSurface9* back = nullptr;
    uint32_t pixel = 0xDEADBEEF;
    if (Device(device) && SUCCEEDED(Device(device)->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
      D3DLOCKED_RECT locked = {};
      if (SUCCEEDED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        const BYTE* row = static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch;
        pixel = reinterpret_cast<const uint32_t*>(row)[x] & 0x00FFFFFFu;
        back->UnlockRect();
      }
      back->Release();
    }
    return pixel;
  }

  D3DSURFACE_DESC BackBufferDesc(UINT device) const {
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface9* back = nullptr;
    if (Device(device) && SUCCEEDED(Device(device)->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
      back->GetDesc(&desc);
      back->Release();
    }
    return desc;
  }

 private:
  int turns_ = 0;
};

// Brightness of a pixel as the sum of its three channels (0 to 765).
inline int Brightness(uint32_t pixel) {
  return static_cast<int>((pixel >> 16) & 0xFF) + static_cast<int>((pixel >> 8) & 0xFF) +
         static_cast<int>(pixel & 0xFF);
}
