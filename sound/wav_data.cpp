#include "sound/wav_data.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kPcmFormatBytes = 16;  // a PCM format chunk holds no cbSize
constexpr WORD kExtensibleExtra = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
// The fields after the first of every sample-type GUID of the extensible format; the first is the
// plain format tag.
constexpr GUID kSubtypeBase = {0, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The plain tag a format chunk stands for: PCM or IEEE float, also when said with the extensible
// format; 0 for anything else.
WORD PlainTag(const WAVEFORMATEXTENSIBLE& format, DWORD chunkBytes) {
  const WORD tag = format.Format.wFormatTag;
  if (tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT) return tag;
  if (tag != WAVE_FORMAT_EXTENSIBLE || format.Format.cbSize < kExtensibleExtra ||
      chunkBytes < sizeof(WAVEFORMATEXTENSIBLE))
    return 0;
  const GUID& sub = format.SubFormat;
  if (sub.Data2 != kSubtypeBase.Data2 || sub.Data3 != kSubtypeBase.Data3 ||
      std::memcmp(sub.Data4, kSubtypeBase.Data4, sizeof sub.Data4) != 0)
    return 0;
  return sub.Data1 == WAVE_FORMAT_PCM || sub.Data1 == WAVE_FORMAT_IEEE_FLOAT ? static_cast<WORD>(sub.Data1) : 0;
}

struct MemoryFile {
  HMMIO handle = nullptr;
  ~MemoryFile() {
    if (handle) mmioClose(handle, 0);
  }
};

bool DescendIntoWave(HMMIO file, MMCKINFO* riff, FOURCC id, MMCKINFO* chunk) {
  mmioSeek(file, 0, SEEK_SET);
  riff->fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(file, riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return false;
  chunk->ckid = id;
  return mmioDescend(file, chunk, riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
}

}  // namespace

bool ParseWav(const BYTE* bytes, DWORD size, WavData* wav) {
  if (!bytes || size == 0 || size > 0x7FFFFFFFu) return false;
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = reinterpret_cast<char*>(const_cast<BYTE*>(bytes));
  info.cchBuffer = static_cast<LONG>(size);
  MemoryFile file;
  file.handle = mmioOpenW(nullptr, &info, MMIO_READ);
  if (!file.handle) return false;

  MMCKINFO riff{};
  MMCKINFO chunk{};
  if (!DescendIntoWave(file.handle, &riff, mmioFOURCC('f', 'm', 't', ' '), &chunk)) return false;
  WAVEFORMATEXTENSIBLE extended{};
  if (chunk.cksize < kPcmFormatBytes) return false;
  // As far as the chunk goes and the largest format reaches; a 16-byte chunk has no cbSize.
  const LONG wanted = static_cast<LONG>(std::min<DWORD>(chunk.cksize, sizeof extended));
  if (mmioRead(file.handle, reinterpret_cast<char*>(&extended), wanted) != wanted) return false;
  if (chunk.cksize < sizeof(WAVEFORMATEX)) extended.Format.cbSize = 0;
  // The buffer takes the plain format the extensible one stands for, with no extra bytes.
  const WORD tag = PlainTag(extended, chunk.cksize);
  if (tag == 0) return false;
  WAVEFORMATEX format = extended.Format;
  format.wFormatTag = tag;
  format.cbSize = 0;

  if (!DescendIntoWave(file.handle, &riff, mmioFOURCC('d', 'a', 't', 'a'), &chunk)) return false;
  const DWORD available = size - chunk.dwDataOffset;
  std::vector<BYTE> samples(std::min(chunk.cksize, available));
  const LONG read = mmioRead(file.handle, reinterpret_cast<char*>(samples.data()), static_cast<LONG>(samples.size()));
  if (read <= 0) return false;
  samples.resize(static_cast<size_t>(read));
  wav->format = format;
  wav->samples = std::move(samples);
  return true;
}
