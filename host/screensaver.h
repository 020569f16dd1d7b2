// The screensaver framework: modes, saver windows, Direct3D devices per monitor, the main loop and the
// error display. The application derives from it and fills the hooks.
#pragma once
#include <windows.h>
#include <d3d9.h>

#include "host/error_codes.h"
#include "host/stopwatch.h"

enum class ScreensaverMode : int32_t {
  Configure = 0,
  Preview = 1,
  FullScreen = 2,
  TestWindow = 3,
  ChangePassword = 4,
  NoAction = 5,
};

constexpr UINT kMaxMonitors = 9;
constexpr UINT kMaxAdapters = 9;
constexpr UINT kMaxDeviceTypes = 3;
constexpr UINT kMaxCollectedModes = 100;
constexpr UINT kMaxModesPerType = 150;
constexpr UINT kNoMode = 0xffff;

// The moving message box of the error mode, in the saver window's client pixels.
struct ErrorBox {
  float x, y, width, height;  // width 0: not placed yet
  float xSpeed, ySpeed;       // pixels per second
};

struct MonitorEntry {
  WCHAR adapterDescription[128];
  WCHAR monitorDescription[128];
  HMONITOR monitor;  // null when the display device is not on the desktop
  RECT screenRect;   // virtual-screen coordinates
  INT adapterIndex;  // -1 when no Direct3D adapter shows on this monitor
  HWND saverWindow;
  ErrorBox errorBox;
};

struct DisplayModeEntry {
  UINT width;
  UINT height;
  D3DFORMAT format;
  DWORD behaviorFlags;
  D3DFORMAT depthStencilFormat;
};

struct DeviceTypeEntry {
  D3DDEVTYPE deviceType;
  D3DCAPS9 caps;
  const WCHAR* name;
  BOOL windowedCapable;
  UINT modeCount;
  DisplayModeEntry modes[kMaxModesPerType];
  UINT currentMode;
};

struct AdapterEntry {
  INT monitorIndex;
  D3DADAPTER_IDENTIFIER9 identifier;
  D3DDISPLAYMODE desktopMode;
  UINT deviceTypeCount;
  DeviceTypeEntry deviceTypes[kMaxDeviceTypes];
  BOOL hasHal;
  BOOL halUsable;
  BOOL hasSoftware;
  BOOL softwareUsable;
  UINT chosenWidth;
  UINT chosenHeight;
  D3DFORMAT chosenFormat;
  BOOL leaveBlack;
  BOOL disableHardware;
  UINT currentDeviceType;
  HWND deviceWindow;
};

// The order of the full-screen mode lists: width, then height ascending, then format value descending.
int CompareDisplayModes(const DisplayModeEntry& a, const DisplayModeEntry& b);

struct MonitorDevice {
  UINT adapterIndex;
  UINT monitorIndex;
  D3DDEVTYPE deviceType;
  DWORD behaviorFlags;
  IDirect3DDevice9* device;
  D3DPRESENT_PARAMETERS presentParams;
  BOOL objectsInitialised;
  BOOL objectsRestored;
  WCHAR deviceStats[90];
  WCHAR frameStats[40];
};

class CD3DScreensaver;
extern CD3DScreensaver* g_Screensaver;

class CD3DScreensaver {
 public:
  CD3DScreensaver();
  virtual ~CD3DScreensaver() = default;
  CD3DScreensaver(const CD3DScreensaver&) = delete;
  CD3DScreensaver& operator=(const CD3DScreensaver&) = delete;

  virtual HRESULT Create(HINSTANCE instance);
  virtual HRESULT Run();
  virtual void RunSettingsDialog() {}
  virtual void LoadSettings() {}
  virtual void PaintSaverWindow(HWND window, HDC dc);
  virtual LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual INT_PTR SoundDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
  virtual void UpdateDeviceText();
  virtual void UpdateFrameRateText();
  virtual BOOL GetErrorText(HRESULT code, WCHAR* buffer, UINT length);
  virtual void OnSelectDevice(UINT) {}
  virtual HRESULT PrepareEnumeration() { return S_OK; }
  virtual HRESULT AcceptDevice(const D3DCAPS9*, DWORD, D3DFORMAT) { return S_OK; }
  virtual HRESULT AcceptMode(IDirect3DDevice9*) { return S_OK; }
  virtual HRESULT InitSceneOnce() { return S_OK; }
  virtual HRESULT CreateDeviceResources() { return S_OK; }
  virtual HRESULT RestoreDeviceResources() { return S_OK; }
  virtual HRESULT AdvanceFrame() { return S_OK; }
  virtual HRESULT Render() { return S_OK; }
  virtual HRESULT ReleaseDeviceResources() { return S_OK; }
  virtual HRESULT DestroyDeviceResources() { return S_OK; }
  virtual HRESULT CleanupAtExit() { return S_OK; }
  virtual void OnGraphEvent(LONG) {}

  ScreensaverMode ParseCommandLine(const WCHAR* commandLine);
  void FindMonitors();
  HRESULT CreateSaverWindows();
  void RunPasswordChange();
  static LRESULT CALLBACK WindowProcStub(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HRESULT MainLoop();
  void RenderFrame();
  void SelectDevice(UINT index);
  void Release3D();
  void Interrupt();
  void Shutdown();

  HRESULT EnumerateAdapters();
  bool ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, D3DFORMAT* depthFormat);
  HRESULT Init3D();
  INT FindBestAdapter();
  HRESULT CreateFullscreenDevice(MonitorDevice& device);
  bool StepDownMode(DeviceTypeEntry& type);
  HRESULT CreateWindowedDevice(MonitorDevice& device);
  HRESULT TryWindowedFormat(UINT adapter, D3DFORMAT format, DWORD* behaviorFlags, D3DFORMAT* depthFormat);

  HRESULT ShowErrorMessage(HRESULT code);
  void MoveErrorBox();

  // The display settings per monitor: the registry values under the open settings key, and the
  // dialog that edits them (200 for one adapter, 201 with a tab per monitor).
  void ReadDisplaySettings(HKEY key);
  void WriteDisplaySettings(HKEY key);
  void DoDisplaySettingsDialog(HWND parent);
  static INT_PTR CALLBACK DisplaySettingsDialogStub(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR DisplaySettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void FillAdapterPage(HWND dialog);

 protected:
  // Failures never stop the host: they are recorded here and shown by the error display.
  void EnterErrorMode(HRESULT code) {
    m_errorMode = TRUE;
    m_errorCode = code;
  }

  ScreensaverMode m_mode = ScreensaverMode::Configure;
  BOOL m_reverseOrder = 0;
  HWND m_mainWindow = nullptr;
  HWND m_parentWindow = nullptr;
  HINSTANCE m_instance = nullptr;
  BOOL m_waitingForPreview = 0;
  UINT m_mouseMoveCount = 0;
  BOOL m_windowed = 0;
  BOOL m_errorMode = 0;
  HRESULT m_errorCode = 0;
  WCHAR m_errorText[400] = {};
  MonitorEntry m_monitors[kMaxMonitors] = {};
  UINT m_monitorCount = 0;
  MonitorDevice m_devices[kMaxMonitors] = {};
  UINT m_deviceCount = 0;
  AdapterEntry* m_adapters[kMaxAdapters] = {};
  UINT m_adapterCount = 0;
  IDirect3D9* m_direct3D = nullptr;
  IDirect3DDevice9* m_currentDevice = nullptr;
  RECT m_clientRect = {};
  RECT m_renderRect = {};
  D3DSURFACE_DESC m_backBufferDesc = {};
  WCHAR m_windowTitle[200] = {};
  BOOL m_allowReferenceDevice = 0;
  BOOL m_useDepthBuffer = 0;
  BOOL m_multithreaded = 0;
  WCHAR m_registryKeyPath[200] = {};
  UINT m_minDepthBits = 16;
  UINT m_minStencilBits = 0;
  D3DSWAPEFFECT m_fullscreenSwapEffect = D3DSWAPEFFECT_DISCARD;
  D3DSWAPEFFECT m_windowedSwapEffect = D3DSWAPEFFECT_COPY;
  float m_sceneTime = 0;
  float m_elapsedTime = 0;
  float m_framesPerSecond = 0;
  WCHAR m_deviceStats[90] = {};
  WCHAR m_frameStats[40] = {};

 private:
  bool ChooseBehavior(const D3DCAPS9& caps, D3DFORMAT format, DWORD* behaviorFlags);
  DeviceTypeEntry* FullscreenDeviceType(AdapterEntry& adapter);
  void SaveSteppedDownMode(AdapterEntry& adapter, const DisplayModeEntry& mode);
  RECT ErrorArea(const MonitorEntry& monitor);
  // The adapter of the monitor the dialog shows (its selected tab), or null.
  UINT SelectedMonitor(HWND dialog, UINT tabMessage);
  AdapterEntry* AdapterOfMonitor(UINT monitor);
  UINT SaverEntryCount() const;

  Stopwatch m_stopwatch;
  INT m_lastMouseX = -1;
  INT m_lastMouseY = -1;
  UINT m_frameCount = 0;
  LONGLONG m_lastFrameRateUpdate = 0;
  bool m_errorTurnStarted = false;
  DWORD m_lastErrorTurn = 0;
};
