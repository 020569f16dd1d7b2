#include "sound/wav_data.h"

#include <gtest/gtest.h>

#include "tests/sound/sound_files.h"

namespace {

using sound_test::Bytes;
using sound_test::Chunk;
using sound_test::PcmFormat;
using sound_test::Riff;

struct ParseCase {
  const char* name;
  Bytes file;
  bool parses;
  size_t samples;  // bytes of samples when it parses
};

Bytes WithExtensibleTag() {
  Bytes format = PcmFormat(2, 44100, 16);
  format[0] = 0xFE;
  format[1] = 0xFF;
  return format;
}

// The RIFF reader walks chunks by their padded sizes, stays inside the WAVE form, and the parser
// never takes more samples than the file holds.
TEST(WavParse, ChunkLayouts) {
  const Bytes samples(6, 0x11);
  const ParseCase cases[] = {
      {"plain", Riff({Chunk("fmt ", PcmFormat(1, 8000, 16)), Chunk("data", samples)}), true, 6},
      // An odd-sized chunk before the format is followed by its pad byte.
      {"odd chunk first", Riff({Chunk("junk", Bytes(3, 0xAA)), Chunk("fmt ", PcmFormat(1, 8000, 8)), Chunk("data", Bytes(5, 0x80))}), true, 5},
      {"data before format", Riff({Chunk("data", samples), Chunk("fmt ", PcmFormat(1, 8000, 16))}), true, 6},
      // A data chunk that claims more than the file holds gives what is there.
      {"truncated data", Riff({Chunk("fmt ", PcmFormat(1, 8000, 16)), Chunk("data", samples, 4000)}), true, 6},
      {"no data chunk", Riff({Chunk("fmt ", PcmFormat(1, 8000, 16))}), false, 0},
      {"empty data", Riff({Chunk("fmt ", PcmFormat(1, 8000, 16)), Chunk("data", {})}), false, 0},
      {"no format chunk", Riff({Chunk("data", samples)}), false, 0},
      {"short format chunk", Riff({Chunk("fmt ", Bytes(10, 1)), Chunk("data", samples)}), false, 0},
      {"not PCM", Riff({Chunk("fmt ", WithExtensibleTag()), Chunk("data", samples)}), false, 0},
      {"other form", Riff({Chunk("fmt ", PcmFormat(1, 8000, 16)), Chunk("data", samples)}, "AVI "), false, 0},
      {"not RIFF", Bytes(64, 0x42), false, 0},
      {"header only", Bytes{'R', 'I', 'F', 'F'}, false, 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    WavData wav;
    ASSERT_EQ(ParseWav(c.file.data(), DWORD(c.file.size()), &wav), c.parses);
    if (!c.parses) continue;
    EXPECT_EQ(wav.samples.size(), c.samples);
    EXPECT_EQ(wav.format.wFormatTag, WAVE_FORMAT_PCM);
  }
}

// A 16-byte PCM format has no cbSize: the bytes after it belong to the next chunk and must not
// be taken for one.
TEST(WavParse, PcmFormatHasNoExtraBytes) {
  const Bytes file = Riff({Chunk("fmt ", PcmFormat(2, 22050, 16)), Chunk("data", Bytes{1, 2, 3, 4, 5, 6, 7, 8})});
  WavData wav;
  ASSERT_TRUE(ParseWav(file.data(), DWORD(file.size()), &wav));
  EXPECT_EQ(wav.format.nChannels, 2);
  EXPECT_EQ(wav.format.nSamplesPerSec, 22050u);
  EXPECT_EQ(wav.format.nAvgBytesPerSec, 88200u);
  EXPECT_EQ(wav.format.nBlockAlign, 4);
  EXPECT_EQ(wav.format.wBitsPerSample, 16);
  EXPECT_EQ(wav.format.cbSize, 0);
  EXPECT_EQ(wav.samples, (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}));
}

// Float samples and the extensible format are read as the plain format they stand for; other
// sample types are not sound effects.
TEST(WavParse, FloatAndExtensibleFormats) {
  auto extensible = [](uint16_t channels, uint16_t bits, uint32_t subtype) {
    Bytes format = PcmFormat(channels, 48000, bits);
    format[0] = 0xFE;
    format[1] = 0xFF;
    sound_test::Put16(format, 22);
    sound_test::Put16(format, bits);
    sound_test::Put32(format, 3);
    sound_test::Put32(format, subtype);
    const Bytes tail = {0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    format.insert(format.end(), tail.begin(), tail.end());
    return format;
  };
  Bytes floats = PcmFormat(1, 48000, 32);
  floats[0] = 3;
  Bytes compressed = PcmFormat(1, 48000, 16);
  compressed[0] = 2;
  Bytes shortExtensible = extensible(2, 24, 1);
  shortExtensible.resize(30);
  struct Case {
    const char* name;
    Bytes format;
    WORD tag;  // 0: refused
    WORD bits;
  };
  const Case cases[] = {
      {"float", floats, WAVE_FORMAT_IEEE_FLOAT, 32},
      {"extensible 24-bit", extensible(2, 24, 1), WAVE_FORMAT_PCM, 24},
      {"extensible float", extensible(2, 32, 3), WAVE_FORMAT_IEEE_FLOAT, 32},
      {"extensible compressed", extensible(2, 16, 2), 0, 0},
      {"extensible cut short", shortExtensible, 0, 0},
      {"compressed", compressed, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = Riff({Chunk("fmt ", c.format), Chunk("data", Bytes(12, 0x10))});
    WavData wav;
    ASSERT_EQ(ParseWav(file.data(), DWORD(file.size()), &wav), c.tag != 0);
    if (c.tag == 0) continue;
    EXPECT_EQ(wav.format.wFormatTag, c.tag);
    EXPECT_EQ(wav.format.wBitsPerSample, c.bits);
    EXPECT_EQ(wav.format.cbSize, 0);
    EXPECT_EQ(wav.samples.size(), 12u);
  }
}

// The memory file reader itself: seeks are bounded and reads stop at the end.
TEST(WavParse, MemoryFileBounds) {
  char bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  MMIOINFO info{};
  info.fccIOProc = FOURCC_MEM;
  info.pchBuffer = bytes;
  info.cchBuffer = 10;
  HMMIO file = mmioOpenW(nullptr, &info, MMIO_READ);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(mmioSeek(file, 11, SEEK_SET), -1);
  EXPECT_EQ(mmioSeek(file, -1, SEEK_SET), -1);
  EXPECT_EQ(mmioSeek(file, -3, SEEK_END), 7);
  char out[8] = {};
  EXPECT_EQ(mmioRead(file, out, 8), 3);
  EXPECT_EQ(out[0], 7);
  MMCKINFO chunk{};
  EXPECT_EQ(mmioDescend(file, &chunk, nullptr, 0), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioClose(file, 0), MMSYSERR_NOERROR);

  MMIOINFO notMemory{};
  notMemory.fccIOProc = mmioFOURCC('D', 'O', 'S', ' ');
  EXPECT_EQ(mmioOpenW(nullptr, &notMemory, MMIO_READ), nullptr);
  EXPECT_NE(notMemory.wErrorRet, 0u);
}

}  // namespace
