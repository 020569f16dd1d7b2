// An .ico file as the resource compiler stores it: each image becomes an RT_ICON resource of its
// own, and the icon's name names an RT_GROUP_ICON directory that lists the images by their ids.
#pragma once
#include <cstdint>
#include <vector>

namespace rc {

struct IconImage {
  uint8_t width = 0;
  uint8_t height = 0;
  uint8_t colorCount = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  std::vector<uint8_t> bytes;
};

// The images of an .ico file; throws std::runtime_error with the reason when it is not a well-formed one.
std::vector<IconImage> ReadIconFile(const std::vector<uint8_t>& file);

// The group directory listing the images, whose RT_ICON ids are firstId, firstId + 1, ...
std::vector<uint8_t> GroupIconDirectory(const std::vector<IconImage>& images, uint16_t firstId);

}  // namespace rc
