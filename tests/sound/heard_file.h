// The WAVE file the sound sink wrote: 44.1 kHz stereo 16-bit frames, read back for tests.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct HeardFile {
  std::vector<int16_t> left;
  std::vector<int16_t> right;
  bool wellFormed = false;

  explicit HeardFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 44) return;
    auto at32 = [&](size_t i) { return uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24; };
    const uint32_t data = at32(40);
    wellFormed = std::string(bytes.begin(), bytes.begin() + 4) == "RIFF" && at32(4) == bytes.size() - 8 &&
                 at32(24) == 44100 && bytes[22] == 2 && bytes[34] == 16 && data == bytes.size() - 44;
    for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
      left.push_back(static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8));
      right.push_back(static_cast<int16_t>(bytes[i + 2] | bytes[i + 3] << 8));
    }
  }
  // Whether every frame in [from, to) of `channel` is `value` (within one step of rounding).
  static bool All(const std::vector<int16_t>& channel, size_t from, size_t to, int value) {
    if (to > channel.size() || from > to) return false;
    for (size_t i = from; i < to; ++i)
      if (channel[i] < value - 1 || channel[i] > value + 1) return false;
    return true;
  }
};
