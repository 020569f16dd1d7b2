#include "host/moire_screensaver.h"

#include <commctrl.h>

#include "document/doc_res_manager.h"
#include "host/application_settings.h"
#include "host/wide_text.h"
#include "document/device.h"
#include "sound/audio_player.h"
#include "sound/sound_device.h"

CMoireScreensaver* g_MoireScreensaver = nullptr;

namespace {

const WCHAR kSettingsKeyPath[] = u"Software\\Quillmoor\\Vistacraft Maker\\Screensaver\\";
constexpr UINT kTitleString = 1000;

}  // namespace

CMoireScreensaver::CMoireScreensaver() {
  g_MoireScreensaver = this;
  InitCommonControls();
  CopyWide(m_registryKeyPath, kSettingsKeyPath);
  CopyWide(g_SettingsKeyPath, kSettingsKeyPath);
  WCHAR title[200] = {};
  if (LoadStringW(GetModuleHandleW(nullptr), kTitleString, title, 200) > 0) CopyWide(m_windowTitle, title);
  m_useDepthBuffer = TRUE;
}

void CMoireScreensaver::OnSelectDevice(UINT index) {
  m_currentMonitorScene = &m_monitorScenes[index];
  g_Device = m_currentDevice;
  // A monitor whose scene has not started leaves the current manager (and its store) as it is.
  if (m_currentMonitorScene->resourceManager) SetCurrentDocResManager(m_currentMonitorScene->resourceManager.get());
}

HRESULT CMoireScreensaver::AcceptDevice(const D3DCAPS9* caps, DWORD, D3DFORMAT format) {
  if (!caps || !(caps->TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP)) return E_FAIL;
  if (!m_direct3D || FAILED(m_direct3D->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, format, 0,
                                                          D3DRTYPE_TEXTURE, D3DFMT_V8U8)))
    return E_FAIL;
  return S_OK;
}

HRESULT CMoireScreensaver::RestoreDeviceResources() {
  try {
    SoundDevice::Init(m_mainWindow);
  } catch (...) {
    EnterErrorMode(kErrMediaNotFound);
  }
  if (m_currentMonitorScene) m_currentMonitorScene->RestoreDeviceResources();
  return S_OK;
}

HRESULT CMoireScreensaver::Render() {
  if (!m_currentMonitorScene) return S_OK;
  MonitorScene& scene = *m_currentMonitorScene;
  if (scene.started) {
    HRESULT result = scene.AdvanceFrame(m_sceneTime);
    if (SUCCEEDED(result)) result = scene.Render();
    if (FAILED(result)) EnterErrorMode(result);
  } else if (scene.splashShown) {
    const HRESULT loaded = scene.Start(m_soundScene == nullptr);
    if (FAILED(loaded)) EnterErrorMode(loaded);
    else if (!m_soundScene && scene.sceneRoot) m_soundScene = &scene;
  } else {
    scene.ShowSplash();
  }
  return S_OK;
}

HRESULT CMoireScreensaver::ReleaseDeviceResources() {
  // Silence, not full volume (0 in hundredths of a decibel): the effects' buffers play on through
  // the reset, and a muted setting must hold until the restore applies it again.
  SoundDevice::SetPrimaryVolume(DSBVOLUME_MIN);
  SoundDevice::StopPrimary();
  // The music player is no device object: it plays on through a reset (a locked session, a mode
  // switch) and stops only when the run ends or the error box takes over.
  if (m_currentMonitorScene) m_currentMonitorScene->ReleaseDeviceResources();
  return S_OK;
}

HRESULT CMoireScreensaver::CleanupAtExit() {
  AudioPlayer::Stop();
  AudioPlayer::Release();
  // The effects' buffers live until the process ends; the run's end silences them now.
  SoundDevice::SetPrimaryVolume(DSBVOLUME_MIN);
  return S_OK;
}

void CMoireScreensaver::OnGraphEvent(LONG code) {
  if (m_soundScene) m_soundScene->OnGraphEvent(code);
}
