// Sound effects: a device, its primary buffer and secondary buffers of PCM samples with volume, pan
// and frequency. The stand-in has no audible output: buffers play on the machine's clock and mix
// into a sink that nothing hears (see platform/dsound/sound_sink.h).
#pragma once
#include "minwindef.h"
#include "mmsystem.h"
#include "unknwn.h"
#include "winerror.h"

// {C50A7E93-F395-4834-9EF6-7FA99DE50966}
inline constexpr IID IID_IDirectSound8 = {0xC50A7E93, 0xF395, 0x4834, {0x9E, 0xF6, 0x7F, 0xA9, 0x9D, 0xE5, 0x09, 0x66}};
// {279AFA85-4981-11CE-A521-0020AF0BE560}
inline constexpr IID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
// {6825A449-7524-4D82-920F-50E36AB3AB1E}
inline constexpr IID IID_IDirectSoundBuffer8 = {0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};

#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_STICKYFOCUS 0x00004000

#define DSBPLAY_LOOPING 0x00000001

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_LOOPING 0x00000004

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0
#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000
#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 200000

#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF

#define DS_OK S_OK
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_CONTROLUNAVAIL ((HRESULT)0x8878001E)
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_UNINITIALIZED ((HRESULT)0x887800AA)

// dwSize is 36 where pointers take four bytes; the stand-in accepts that and its own size.
typedef struct _DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

interface IDirectSoundBuffer : public IUnknown {
  STDMETHOD(GetCurrentPosition)(LPDWORD playCursor, LPDWORD writeCursor) PURE;
  // The format, copied up to `size` bytes; `written` gets the bytes the whole format takes.
  STDMETHOD(GetFormat)(LPWAVEFORMATEX format, DWORD size, LPDWORD written) PURE;
  STDMETHOD(GetVolume)(LPLONG volume) PURE;
  STDMETHOD(GetPan)(LPLONG pan) PURE;
  STDMETHOD(GetFrequency)(LPDWORD frequency) PURE;
  STDMETHOD(GetStatus)(LPDWORD status) PURE;
  STDMETHOD(Lock)(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2, LPDWORD bytes2,
                  DWORD flags) PURE;
  STDMETHOD(Play)(DWORD reserved, DWORD priority, DWORD flags) PURE;
  STDMETHOD(SetCurrentPosition)(DWORD position) PURE;
  STDMETHOD(SetVolume)(LONG volume) PURE;
  STDMETHOD(SetPan)(LONG pan) PURE;
  STDMETHOD(SetFrequency)(DWORD frequency) PURE;
  STDMETHOD(Stop)() PURE;
  STDMETHOD(Unlock)(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) PURE;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

// The same buffer; the system only asks for it and releases it.
interface IDirectSoundBuffer8 : public IDirectSoundBuffer {};
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;

interface IDirectSound8 : public IUnknown {
  STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) PURE;
  STDMETHOD(SetCooperativeLevel)(HWND window, DWORD level) PURE;
};
typedef IDirectSound8* LPDIRECTSOUND8;

// Only the default device (null) exists; DSERR_NODRIVER when the machine has no sound device.
HRESULT WINAPI DirectSoundCreate8(const GUID* device, LPDIRECTSOUND8* sound, LPUNKNOWN outer);
