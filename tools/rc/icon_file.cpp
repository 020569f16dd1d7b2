#include "tools/rc/icon_file.h"

#include <stdexcept>

namespace rc {
namespace {

uint16_t Word(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t Dword(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(Word(b, at)) | static_cast<uint32_t>(Word(b, at + 2)) << 16;
}

void PutWord(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

std::vector<IconImage> ReadIconFile(const std::vector<uint8_t>& file) {
  constexpr size_t kHeader = 6;
  constexpr size_t kEntry = 16;
  if (file.size() < kHeader || Word(file, 0) != 0 || Word(file, 2) != 1)
    throw std::runtime_error("not an icon file (no icon header)");
  const uint16_t count = Word(file, 4);
  if (count == 0) throw std::runtime_error("an icon file without images");
  if (file.size() < kHeader + size_t{count} * kEntry) throw std::runtime_error("an icon file cut short in its directory");
  std::vector<IconImage> images;
  for (uint16_t i = 0; i < count; ++i) {
    const size_t entry = kHeader + size_t{i} * kEntry;
    IconImage image;
    image.width = file[entry];
    image.height = file[entry + 1];
    image.colorCount = file[entry + 2];
    image.planes = Word(file, entry + 4);
    image.bitCount = Word(file, entry + 6);
    const uint64_t size = Dword(file, entry + 8);
    const uint64_t offset = Dword(file, entry + 12);
    if (size == 0 || offset + size > file.size())
      throw std::runtime_error("an icon image that lies outside the file (image " + std::to_string(i + 1) + ")");
    image.bytes.assign(file.begin() + static_cast<std::ptrdiff_t>(offset),
                       file.begin() + static_cast<std::ptrdiff_t>(offset + size));
    images.push_back(std::move(image));
  }
  return images;
}

std::vector<uint8_t> GroupIconDirectory(const std::vector<IconImage>& images, uint16_t firstId) {
  std::vector<uint8_t> out;
  PutWord(out, 0);
  PutWord(out, 1);
  PutWord(out, static_cast<uint16_t>(images.size()));
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& image = images[i];
    out.push_back(image.width);
    out.push_back(image.height);
    out.push_back(image.colorCount);
    out.push_back(0);
    PutWord(out, image.planes);
    PutWord(out, image.bitCount);
    const auto size = static_cast<uint32_t>(image.bytes.size());
    PutWord(out, static_cast<uint16_t>(size));
    PutWord(out, static_cast<uint16_t>(size >> 16));
    PutWord(out, static_cast<uint16_t>(firstId + i));
  }
  return out;
}

}  // namespace rc
