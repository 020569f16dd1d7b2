#include "sound/wav_data.h"

#include <algorithm>

namespace {

constexpr DWORD kPcmFormatBytes = 16;  // a PCM format chunk holds no cbSize

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
  WAVEFORMATEX format{};
  if (chunk.cksize < kPcmFormatBytes) return false;
  const LONG wanted = static_cast<LONG>(std::min<DWORD>(chunk.cksize, kPcmFormatBytes));
  if (mmioRead(file.handle, reinterpret_cast<char*>(&format), wanted) != wanted) return false;
  if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
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
