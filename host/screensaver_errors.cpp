// The error mode: failure codes and their messages, the message box, and the box that drifts across
// the saver windows.
#include <algorithm>
#include <mmsystem.h>

#include "host/screensaver.h"
#include "sound/audio_player.h"

namespace {

struct ErrorMessage {
  HRESULT code;
  UINT stringId;
};

constexpr UINT kUnspecifiedMessage = 2100;

const ErrorMessage kErrorMessages[] = {
    {E_FAIL, 2100},
    {kErrNoDirect3D, 2101},
    {kErrInitFailed, 2102},
    {kErrCreateDeviceFailed, 2103},
    {kErrNoCompatibleDevices, 2104},
    {kErrNoDeviceType, 2105},
    {kErrHalNotCompatible, 2106},
    {kErrNoWindowedHal, 2107},
    {kErrMediaNotFound, 2108},
    {kErrResetFailed, 2109},
    {E_OUTOFMEMORY, 2110},
    {D3DERR_OUTOFVIDEOMEMORY, 2111},
    {kErrNoPreview, 2112},
};

constexpr float kBoxWidth = 300;
constexpr float kBoxHeight = 150;
// A stalled turn must not throw the box out of its area.
constexpr double kMaxErrorStep = 0.25;

RECT Truncated(const ErrorBox& box) {
  return RECT{(LONG)box.x, (LONG)box.y, (LONG)(box.x + box.width), (LONG)(box.y + box.height)};
}

}  // namespace

BOOL CD3DScreensaver::GetErrorText(HRESULT code, WCHAR* buffer, UINT length) {
  UINT id = kUnspecifiedMessage;
  for (const ErrorMessage& row : kErrorMessages) {
    if (row.code == code) {
      id = row.stringId;
      break;
    }
  }
  if (length > 0) buffer[0] = 0;
  LoadStringW(GetModuleHandleW(nullptr), id, buffer, (int)length);
  return id != kUnspecifiedMessage;
}

HRESULT CD3DScreensaver::ShowErrorMessage(HRESULT code) {
  WCHAR text[512] = {};
  GetErrorText(code, text, 512);
  MessageBoxW(m_mainWindow, text, m_windowTitle, MB_ICONERROR);
  return code;
}

UINT CD3DScreensaver::SaverEntryCount() const {
  // The one window of the preview and the test window lives in the first entry, even on a machine
  // whose display devices gave no entry at all.
  return std::max(m_monitorCount, 1u);
}

RECT CD3DScreensaver::ErrorArea(const MonitorEntry& monitor) {
  if (m_mode != ScreensaverMode::FullScreen) return m_clientRect;
  POINT topLeft = {monitor.screenRect.left, monitor.screenRect.top};
  POINT bottomRight = {monitor.screenRect.right, monitor.screenRect.bottom};
  ScreenToClient(monitor.saverWindow, &topLeft);
  ScreenToClient(monitor.saverWindow, &bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CD3DScreensaver::MoveErrorBox() {
  if (m_deviceCount > 0 || m_direct3D) {
    Release3D();
    // The music plays on through a successful reset only: under the error box it stops for good.
    AudioPlayer::Stop();
    AudioPlayer::Release();
  }

  const DWORD now = timeGetTime();
  if (!m_errorTurnStarted) {
    m_errorTurnStarted = true;
    m_lastErrorTurn = now;
  }
  // Unsigned, so that the wrap of the millisecond clock gives a small step.
  const double dt = std::min((double)(DWORD)(now - m_lastErrorTurn) / 1000.0, kMaxErrorStep);
  m_lastErrorTurn = now;

  if (!m_errorText[0]) GetErrorText(m_errorCode, m_errorText, 400);

  for (UINT i = 0; i < SaverEntryCount(); ++i) {
    MonitorEntry& monitor = m_monitors[i];
    if (!monitor.saverWindow) continue;
    const RECT area = ErrorArea(monitor);
    ErrorBox& box = monitor.errorBox;

    if (box.width == 0) {
      if (m_mode == ScreensaverMode::Preview) {
        box = ErrorBox{0, 0, (float)(area.right - area.left), (float)(area.bottom - area.top), 0, 0};
        InvalidateRect(monitor.saverWindow, nullptr, FALSE);
        UpdateWindow(monitor.saverWindow);
      } else {
        box.width = kBoxWidth;
        box.height = kBoxHeight;
        box.x = (float)(area.left + area.right - kBoxWidth) * 0.5f;
        box.y = (float)(area.top + area.bottom - kBoxHeight) * 0.5f;
        box.xSpeed = (float)(area.right - area.left) / 10;
        box.ySpeed = (float)(area.bottom - area.top) / 20;
      }
      continue;
    }
    if (m_mode == ScreensaverMode::Preview) continue;

    const RECT before = Truncated(box);
    const float step = (float)dt;
    if ((box.x + box.xSpeed * step + box.width > area.right && box.xSpeed > 0) ||
        (box.x + box.xSpeed * step < area.left && box.xSpeed < 0))
      box.xSpeed = -box.xSpeed;
    if ((box.y + box.ySpeed * step + box.height > area.bottom && box.ySpeed > 0) ||
        (box.y + box.ySpeed * step < area.top && box.ySpeed < 0))
      box.ySpeed = -box.ySpeed;
    box.x += box.xSpeed * step;
    box.y += box.ySpeed * step;

    const RECT after = Truncated(box);
    if (after.left != before.left || after.top != before.top) {
      InvalidateRect(monitor.saverWindow, &before, FALSE);
      InvalidateRect(monitor.saverWindow, &after, FALSE);
      UpdateWindow(monitor.saverWindow);
    }
  }
}

void CD3DScreensaver::PaintSaverWindow(HWND window, HDC dc) {
  // The entry is the one of this window: in the preview and the test window that is the first
  // entry, whichever monitor the window is on.
  MonitorEntry* monitor = nullptr;
  for (UINT i = 0; i < SaverEntryCount() && !monitor; ++i)
    if (m_monitors[i].saverWindow == window) monitor = &m_monitors[i];
  if (!monitor) return;

  const ErrorBox& box = monitor->errorBox;
  if (box.width > 0) {
    RECT rect = Truncated(box);
    FillRect(dc, &rect, (HBRUSH)(COLOR_WINDOW + 1));
    FrameRect(dc, &rect, (HBRUSH)GetStockObject(BLACK_BRUSH));
    RECT measured = rect;
    const int height = DrawTextW(dc, m_errorText, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT centred = rect;
    centred.top = (rect.top + rect.bottom - height) / 2;
    DrawTextW(dc, m_errorText, -1, &centred, DT_WORDBREAK | DT_CENTER);
    ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  }

  RECT background = {};
  if (m_mode == ScreensaverMode::FullScreen)
    background = ErrorArea(*monitor);
  else
    GetClientRect(window, &background);
  FillRect(dc, &background, (HBRUSH)GetStockObject(BLACK_BRUSH));
}
