// The device object: it makes the buffers and keeps the cooperative level.
#include <memory>
#include <optional>

#include "platform/dsound/device_state.h"
#include "platform/dsound/sound_buffer.h"
#include "platform/dsound/sound_sink.h"

namespace dsound {

namespace {

// The description's size where pointers take four bytes.
constexpr DWORD kPackedDescriptionSize = 36;

bool g_available = true;
DeviceState* g_lastDevice = nullptr;

// The layout a caller's format describes; an extensible one is read as far as its cbSize says.
std::optional<audio::PcmFormat> ReadFormat(const WAVEFORMATEX& format) {
  return audio::ReadWaveFormat(format, sizeof(WAVEFORMATEX) + format.cbSize);
}

class DirectSound final : public d3d9::ComObject<IDirectSound8> {
 public:
  DirectSound() : state_(std::make_shared<DeviceState>()) { g_lastDevice = state_.get(); }
  ~DirectSound() override {
    if (g_lastDevice == state_.get()) g_lastDevice = nullptr;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDirectSound8) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDirectSound8*>(this);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                                              LPUNKNOWN outer) override {
    if (buffer == nullptr) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (description == nullptr || outer != nullptr) return DSERR_INVALIDPARAM;
    if (description->dwSize != kPackedDescriptionSize && description->dwSize != sizeof(DSBUFFERDESC))
      return DSERR_INVALIDPARAM;
    if (!state_->cooperative) return DSERR_UNINITIALIZED;
    const DWORD flags = description->dwFlags;
    if (flags & DSBCAPS_PRIMARYBUFFER) {
      if (description->dwBufferBytes != 0 || description->lpwfxFormat != nullptr) return DSERR_INVALIDPARAM;
      // The device has one primary buffer; asking again gives it again.
      if (state_->primary != nullptr) {
        state_->primary->AddRef();
        *buffer = state_->primary;
        return DS_OK;
      }
      auto* primary = new SoundBuffer(state_, flags, 0, nullptr, audio::PcmFormat{});
      state_->primary = primary;
      *buffer = primary;
      return DS_OK;
    }
    if (description->lpwfxFormat == nullptr) return DSERR_INVALIDPARAM;
    const std::optional<audio::PcmFormat> pcm = ReadFormat(*description->lpwfxFormat);
    if (!pcm) return DSERR_BADFORMAT;
    if (description->dwBufferBytes < DSBSIZE_MIN || description->dwBufferBytes > DSBSIZE_MAX)
      return DSERR_INVALIDPARAM;
    // A buffer holds whole frames.
    if (description->dwBufferBytes % pcm->blockAlign != 0) return DSERR_INVALIDPARAM;
    *buffer = new SoundBuffer(state_, flags, description->dwBufferBytes, description->lpwfxFormat, *pcm);
    return DS_OK;
  }

  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
    if (window == nullptr || (level != DSSCL_NORMAL && level != DSSCL_PRIORITY)) return DSERR_INVALIDPARAM;
    state_->cooperative = true;
    return DS_OK;
  }

 private:
  std::shared_ptr<DeviceState> state_;
};

}  // namespace

// Never destroyed: buffers held by other static objects may go after everything else.
std::mutex& BufferListLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

std::vector<SoundBuffer*>& BufferList() {
  static auto* list = new std::vector<SoundBuffer*>;
  return *list;
}

void SetDeviceAvailable(bool available) { g_available = available; }

PrimaryState Primary() {
  PrimaryState state;
  if (g_lastDevice == nullptr || g_lastDevice->primary == nullptr) return state;
  state.exists = true;
  state.playing = g_lastDevice->primary->Playing();
  state.volume = g_lastDevice->primary->Volume();
  return state;
}

}  // namespace dsound

HRESULT WINAPI DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* sound, LPUNKNOWN outer) {
  if (sound == nullptr) return DSERR_INVALIDPARAM;
  *sound = nullptr;
  if (outer != nullptr) return DSERR_INVALIDPARAM;
  if (!dsound::g_available || (device != nullptr && *device != GUID_NULL)) return DSERR_NODRIVER;
  *sound = new dsound::DirectSound();
  return DS_OK;
}
