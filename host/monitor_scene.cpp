#include "host/monitor_scene.h"

#include <algorithm>

#include "host/application_settings.h"
#include "document/com_holder.h"
#include "document/device.h"
#include "slideshow/scene_loader.h"
#include "sound/audio_player.h"
#include "sound/sound_device.h"

namespace {

constexpr int kSplashResource = 5;
constexpr LONG kEventComplete = 1;  // EC_COMPLETE
constexpr LONG kSilence = -10000;
constexpr DWORD kFullVolume = 100;

// Hundredths of a decibel: 100 is full volume (0), 0 is -5000.
LONG PrimaryVolume(DWORD volume, DWORD mute) {
  if (mute != 0) return kSilence;
  return static_cast<LONG>(std::min(volume, kFullVolume)) * 50 - 5000;
}

// The primary buffer's volume from "SoundVolume" and "MuteSound".
void ApplyStoredPrimaryVolume() {
  DWORD volume = kFullVolume;
  DWORD mute = 0;
  ReadSettingDword(&volume, kSoundVolumeValue);
  ReadSettingDword(&mute, kMuteSoundValue);
  SoundDevice::SetPrimaryVolume(PrimaryVolume(volume, mute));
}

// While a scene makes effects that another scene plays, they get no buffer.
class EffectsElsewhere {
 public:
  explicit EffectsElsewhere(bool elsewhere) { SoundDevice::effectsElsewhere = elsewhere; }
  ~EffectsElsewhere() { SoundDevice::effectsElsewhere = false; }
  EffectsElsewhere(const EffectsElsewhere&) = delete;
  EffectsElsewhere& operator=(const EffectsElsewhere&) = delete;
};

}  // namespace

void MonitorScene::ShowSplash() {
  if (!splashLoaded) {
    splashQuad.LoadResourceQuad(kSplashResource);
    splashQuad.SetAlpha(255, 1.0f);
    splashLoaded = true;
  }
  if (!g_Device || FAILED(g_Device->BeginScene())) return;
  g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0);
  g_Device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  g_Device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  splashQuad.PrepareDraw();
  g_Device->DrawPrimitive(splashQuad.primitiveType, 0, splashQuad.primitiveCount);
  g_Device->EndScene();
  splashShown = true;
}

HRESULT MonitorScene::Start(bool playSound) {
  started = true;
  try {
    sceneRoot = LoadSceneDocument();
  } catch (DWORD code) {
    return static_cast<HRESULT>(code);
  } catch (...) {
    // A document that reads yet cannot be held (an allocation or a length it asks for) is as
    // unusable as one that does not read.
    return static_cast<HRESULT>(kSceneMediaError);
  }
  resourceManager.reset(g_DocResManager);
  // The looping effects start as they are made: a muted or lowered setting holds from their first
  // sample on.
  ApplyStoredPrimaryVolume();
  try {
    const EffectsElsewhere elsewhere(!playSound);
    for (const auto& slide : sceneRoot->slides)
      if (slide.Get()) slide->CreateRenderObjects();
    for (const auto& audio : sceneRoot->audioFiles)
      if (audio.Get()) audio->ExtractToTemp();
    sceneRoot->SetPicturePosition(GetPicturePosition());
    resourceFailures = FAILED(ProbeResources()) ? 1 : 0;
  } catch (...) {
    // Whatever the objects made so far goes with the scene; the manager, which they hold from,
    // goes last.
    sceneRoot.reset();
    SetCurrentDocResManager(nullptr);
    resourceManager.reset();
    return static_cast<HRESULT>(kSceneMediaError);
  }
  if (playSound) StartPlaylist();
  ApplyStoredPrimaryVolume();
  return S_OK;
}

HRESULT MonitorScene::AdvanceFrame(float time) {
  if (!sceneRoot) return S_OK;
  try {
    sceneRoot->AdvanceFrame(time);
  } catch (...) {
    return static_cast<HRESULT>(kSceneMediaError);
  }
  return S_OK;
}

HRESULT MonitorScene::ProbeResources() {
  if (!g_Device) return S_OK;
  ComHolder<IDirect3DTexture9> texture;
  HRESULT result = g_Device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr);
  if (FAILED(result)) return result;
  if (!texture) return E_FAIL;
  D3DLOCKED_RECT locked = {};
  result = texture->LockRect(0, &locked, nullptr, 0);
  if (FAILED(result)) return result;
  texture->UnlockRect(0);
  return S_OK;
}

HRESULT MonitorScene::Render() {
  if (sceneRoot && resourceFailures > 0) {
    const HRESULT probed = ProbeResources();
    if (SUCCEEDED(probed))
      resourceFailures = 0;
    else if (++resourceFailures >= kResourceTries)
      return probed;
  }
  if (!sceneRoot || !g_Device || FAILED(g_Device->BeginScene())) return S_OK;
  HRESULT result = S_OK;
  try {
    sceneRoot->Render();
  } catch (...) {
    result = static_cast<HRESULT>(kSceneMediaError);
  }
  g_Device->EndScene();
  return result;
}

void MonitorScene::StartPlaylist() {
  playlist = sceneRoot ? &sceneRoot->audioFiles : nullptr;
  playlistPosition = 0;
  AdvancePlaylist();
}

void MonitorScene::OnGraphEvent(LONG code) {
  if (code == kEventComplete && sceneRoot) AdvancePlaylist();
}

void MonitorScene::AdvancePlaylist() {
  if (!playlist) return;
  const size_t count = playlist->size();
  if (playlistPosition >= count) {
    // A single file repeats from its beginning; several cycle.
    if (count == 1) {
      AudioPlayer::Rewind();
      return;
    }
    playlistPosition = 0;
  }
  if (playlistPosition >= count) return;
  // The volume goes first, so that a muted or lowered setting holds from the file's first sample.
  ReadSettingDword(&g_SoundVolume, kSoundVolumeValue);
  ReadSettingDword(&g_SoundBalance, kSoundBalanceValue);
  ReadSettingDword(&g_MuteSound, kMuteSoundValue);
  AudioPlayer::ApplyVolume(g_MuteSound != 0);
  if (const DS_AudioFile* entry = (*playlist)[playlistPosition].Get()) AudioPlayer::Play(entry->file.name.c_str());
  ++playlistPosition;
}

void MonitorScene::ReleaseDeviceResources() {
  if (!sceneRoot) return;
  sceneRoot->ReleaseDeviceResources();
  if (resourceManager) resourceManager->OnLostDevice();
}

void MonitorScene::RestoreDeviceResources() {
  if (!sceneRoot) return;
  // The manager's effects, fonts and text targets come back once per device reset, whatever the
  // current slide's layer (a slide may have none, and the flame layer leaves the manager alone).
  if (resourceManager) resourceManager->OnResetDevice();
  sceneRoot->RestoreDeviceResources();
  resourceFailures = FAILED(ProbeResources()) ? 1 : 0;
  // The release before the reset turned the primary buffer up to full; a muted or quieter setting
  // holds again for the rest of the run.
  ApplyStoredPrimaryVolume();
}
