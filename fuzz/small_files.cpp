#include "fuzz/small_files.h"

#include <algorithm>
#include <cstring>

namespace seeds {

namespace {

using docbuild::Bytes;

constexpr uint32_t kDdsSide = 8;       // texels on each side of a small DDS picture, at most
constexpr uint32_t kWaveFrames = 256;  // frames of a small WAVE sound, at most

bool StartsWith(const Bytes& bytes, std::initializer_list<uint8_t> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

uint32_t Get32(const Bytes& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | bytes[offset + i];
  return value;
}

void Set32(Bytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put32(Bytes& bytes, uint32_t value) {
  bytes.resize(bytes.size() + 4);
  Set32(bytes, bytes.size() - 4, value);
}

// The texels of the top level's top left corner, for every level the small picture keeps. Only
// uncompressed pictures are made smaller; others stay as they are.
Bytes SmallDds(const Bytes& file) {
  constexpr size_t kHeader = 128, kHeight = 12, kWidth = 16, kPitch = 20, kLevels = 28, kFourCc = 84, kBits = 88;
  if (file.size() < kHeader || Get32(file, kFourCc) != 0) return file;
  const uint32_t height = Get32(file, kHeight), width = Get32(file, kWidth), bytesPerTexel = Get32(file, kBits) / 8;
  if (width == 0 || height == 0 || bytesPerTexel == 0 || file.size() < kHeader + uint64_t{width} * height * bytesPerTexel)
    return file;
  const uint32_t smallWidth = std::min(width, kDdsSide), smallHeight = std::min(height, kDdsSide);
  uint32_t levels = 1;
  while (levels < Get32(file, kLevels) && (smallWidth >> levels | smallHeight >> levels) != 0) ++levels;
  Bytes small(file.begin(), file.begin() + kHeader);
  Set32(small, kHeight, smallHeight);
  Set32(small, kWidth, smallWidth);
  Set32(small, kPitch, smallWidth * bytesPerTexel);
  Set32(small, kLevels, Get32(file, kLevels) == 0 ? 0 : levels);
  for (uint32_t level = 0; level < levels; ++level) {
    const uint32_t w = std::max(1u, smallWidth >> level), h = std::max(1u, smallHeight >> level);
    for (uint32_t y = 0; y < h; ++y) {
      const auto row = file.begin() + static_cast<std::ptrdiff_t>(kHeader + uint64_t{y} * width * bytesPerTexel);
      small.insert(small.end(), row, row + static_cast<std::ptrdiff_t>(w * bytesPerTexel));
    }
  }
  return small;
}

// The format chunk as it is and the first frames of the data chunk.
Bytes SmallWave(const Bytes& file) {
  Bytes format, data;
  uint32_t blockAlign = 1;
  for (size_t at = 12; at + 8 <= file.size();) {
    const uint32_t size = Get32(file, at + 4);
    const size_t body = at + 8, held = std::min<size_t>(size, file.size() - body);
    if (std::memcmp(&file[at], "fmt ", 4) == 0 && held >= 16) {
      format.assign(file.begin() + static_cast<std::ptrdiff_t>(body), file.begin() + static_cast<std::ptrdiff_t>(body + held));
      blockAlign = std::max<uint32_t>(1, format[12] | format[13] << 8);
    } else if (std::memcmp(&file[at], "data", 4) == 0) {
      const size_t kept = std::min<size_t>(held - held % blockAlign, size_t{kWaveFrames} * blockAlign);
      data.assign(file.begin() + static_cast<std::ptrdiff_t>(body), file.begin() + static_cast<std::ptrdiff_t>(body + kept));
    }
    at = body + size + (size & 1);
  }
  if (format.empty() || data.empty()) return file;
  Bytes small = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  Put32(small, static_cast<uint32_t>(format.size()));
  small.insert(small.end(), format.begin(), format.end());
  if (format.size() & 1) small.push_back(0);
  small.insert(small.end(), {'d', 'a', 't', 'a'});
  Put32(small, static_cast<uint32_t>(data.size()));
  small.insert(small.end(), data.begin(), data.end());
  Set32(small, 4, static_cast<uint32_t>(small.size() - 8));
  return small;
}

}  // namespace

Bytes SmallFile(const Bytes& file, const SmallPictures& pictures) {
  if (StartsWith(file, {0xFF, 0xD8, 0xFF})) return pictures.jpeg;
  if (StartsWith(file, {0x89, 'P', 'N', 'G'})) return pictures.png;
  if (StartsWith(file, {'D', 'D', 'S', ' '})) return SmallDds(file);
  if (StartsWith(file, {'R', 'I', 'F', 'F'}) && file.size() >= 12 && std::memcmp(&file[8], "WAVE", 4) == 0)
    return SmallWave(file);
  return file;
}

}  // namespace seeds
