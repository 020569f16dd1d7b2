#include "platform/dshow/media_file.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/machine/text.h"

namespace dshow {

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;

// Kilobits per second by [MPEG-1 ? 0 : 1][layer 1..3 - 1][index].
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
// Hertz by [version: 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1][index].
constexpr int kSampleRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

struct Frame {
  size_t bytes = 0;
  int samples = 0;
  int rate = 0;
};

// The frame whose header starts at `at`, or none (bytes 0).
Frame ReadFrameHeader(const std::vector<BYTE>& data, size_t at) {
  Frame frame;
  if (data.size() - at < 4) return frame;
  const BYTE* h = data.data() + at;
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return frame;
  const int version = (h[1] >> 3) & 3;
  const int layerBits = (h[1] >> 1) & 3;
  const int bitrateIndex = h[2] >> 4;
  const int rateIndex = (h[2] >> 2) & 3;
  if (version == 1 || layerBits == 0 || rateIndex == 3) return frame;
  const int layer = 4 - layerBits;
  const bool mpeg1 = version == 3;
  const int kbps = kBitrates[mpeg1 ? 0 : 1][layer - 1][bitrateIndex];
  if (kbps == 0) return frame;  // free format and the forbidden index are not timed
  const int rate = kSampleRates[version][rateIndex];
  const int padding = (h[2] >> 1) & 1;
  const int bitrate = kbps * 1000;
  if (layer == 1) {
    frame.bytes = static_cast<size_t>((12 * bitrate / rate + padding) * 4);
    frame.samples = 384;
  } else if (layer == 2 || mpeg1) {
    frame.bytes = static_cast<size_t>(144 * bitrate / rate + padding);
    frame.samples = 1152;
  } else {
    frame.bytes = static_cast<size_t>(72 * bitrate / rate + padding);
    frame.samples = 576;
  }
  frame.rate = rate;
  return frame;
}

// The length of a leading ID3v2 tag (its sizes are 7 bits a byte), 0 when there is none.
size_t TagLength(const std::vector<BYTE>& data) {
  if (data.size() < 10 || data[0] != 'I' || data[1] != 'D' || data[2] != '3') return 0;
  size_t size = 0;
  for (int i = 6; i < 10; ++i) {
    if (data[i] & 0x80) return 0;
    size = size << 7 | data[i];
  }
  const bool footer = (data[5] & 0x10) != 0;
  return 10 + size + (footer ? 10 : 0);
}

MediaInfo ProbeMpegAudio(const std::vector<BYTE>& data) {
  MediaInfo info;
  double seconds = 0;
  int frames = 0;
  size_t at = TagLength(data);
  while (at < data.size()) {
    const Frame frame = ReadFrameHeader(data, at);
    if (frame.bytes == 0) {
      // Junk between frames: look for the next header byte by byte.
      ++at;
      continue;
    }
    // A last frame cut short still plays what it holds.
    seconds += static_cast<double>(frame.samples) / frame.rate *
               std::min<double>(1.0, static_cast<double>(data.size() - at) / static_cast<double>(frame.bytes));
    ++frames;
    at += frame.bytes;
  }
  // One stray sync pattern in other data is not a stream.
  if (frames < 2) return info;
  info.kind = MediaKind::MpegAudio;
  info.duration = static_cast<REFERENCE_TIME>(seconds * kUnitsPerSecond);
  return info;
}

MediaInfo ProbeWave(const std::vector<BYTE>& data) {
  MediaInfo info;
  if (data.size() > 0x7FFFFFFF) return info;
  MMIOINFO io{};
  io.fccIOProc = FOURCC_MEM;
  io.pchBuffer = reinterpret_cast<char*>(const_cast<BYTE*>(data.data()));
  io.cchBuffer = static_cast<LONG>(data.size());
  HMMIO file = mmioOpenW(nullptr, &io, MMIO_READ);
  if (file == nullptr) return info;
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  MMCKINFO chunk{};
  WAVEFORMATEX format{};
  bool ok = mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR;
  if (ok) {
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ok = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR &&
         mmioRead(file, reinterpret_cast<char*>(&format), 16) == 16 && format.nAvgBytesPerSec != 0;
  }
  if (ok) {
    mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET);
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ok = mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR;
  }
  mmioClose(file, 0);
  if (!ok) return info;
  // A data chunk declared longer than the file plays what is there.
  const uint64_t bytes = std::min<uint64_t>(chunk.cksize, data.size() - chunk.dwDataOffset);
  info.kind = MediaKind::Wave;
  info.duration = static_cast<REFERENCE_TIME>(bytes * kUnitsPerSecond / format.nAvgBytesPerSec);
  return info;
}

}  // namespace

MediaInfo ProbeMedia(const std::vector<BYTE>& bytes) {
  const MediaInfo wave = ProbeWave(bytes);
  if (wave.kind != MediaKind::Unknown) return wave;
  return ProbeMpegAudio(bytes);
}

bool ReadWholeFile(const std::u16string& path, std::vector<BYTE>* bytes) {
  std::ifstream in(machine::Utf8FromWide(path), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace dshow
