#include "platform/win32/program_icon.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <span>

#include <windows.h>

#include "platform/win32/module.h"

namespace win32 {

namespace {

constexpr size_t kDirectoryHeader = 6;
constexpr size_t kDirectoryEntry = 14;
constexpr size_t kBitmapHeader = 40;

uint32_t Read(std::span<const BYTE> bytes, size_t at, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

std::optional<std::span<const BYTE>> Find(const ResourceTable& table, WORD type, WORD id) {
  for (const Resource& entry : table) {
    if (entry.type.id == type && (id == 0 || entry.name.id == id)) return entry.data;
  }
  return std::nullopt;
}

// The RT_ICON id of the group's largest image (a width byte of 0 stands for 256).
WORD LargestImage(std::span<const BYTE> group) {
  if (group.size() < kDirectoryHeader) return 0;
  const size_t count = Read(group, 4, 2);
  WORD best = 0;
  uint32_t bestWidth = 0;
  for (size_t i = 0; i < count && kDirectoryHeader + (i + 1) * kDirectoryEntry <= group.size(); ++i) {
    const size_t at = kDirectoryHeader + i * kDirectoryEntry;
    const uint32_t width = group[at] == 0 ? 256 : group[at];
    if (width > bestWidth) {
      bestWidth = width;
      best = static_cast<WORD>(Read(group, at + 12, 2));
    }
  }
  return best;
}

// A 32-bit bottom-up device-independent bitmap whose height counts its colour and mask halves.
std::vector<uint32_t> Decode(std::span<const BYTE> image) {
  if (image.size() < kBitmapHeader || Read(image, 0, 4) < kBitmapHeader) return {};
  const auto width = static_cast<int32_t>(Read(image, 4, 4));
  const auto height = static_cast<int32_t>(Read(image, 8, 4)) / 2;
  if (width <= 0 || width > 256 || height <= 0 || height > 256 || Read(image, 14, 2) != 32 || Read(image, 16, 4) != 0)
    return {};
  const size_t pixels = Read(image, 0, 4);
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (image.size() < pixels || image.size() - pixels < count * 4) return {};
  std::vector<uint32_t> icon{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
  icon.resize(2 + count);
  bool anyAlpha = false;
  for (int32_t row = 0; row < height; ++row) {
    for (int32_t column = 0; column < width; ++column) {
      const size_t from = pixels + (static_cast<size_t>(height - 1 - row) * width + column) * 4;
      const uint32_t pixel = Read(image, from, 4);
      anyAlpha = anyAlpha || (pixel >> 24) != 0;
      icon[2 + static_cast<size_t>(row) * width + column] = pixel;
    }
  }
  // An image that keeps no alpha is opaque.
  if (!anyAlpha) {
    for (size_t i = 2; i < icon.size(); ++i) icon[i] |= 0xFF000000u;
  }
  return icon;
}

}  // namespace

std::vector<uint32_t> ProgramIcon() {
  const std::optional<ResourceTable> table = ModuleResources(nullptr);
  if (!table) return {};
  const auto group = Find(*table, LOWORD(RT_GROUP_ICON), 0);
  if (!group) return {};
  const WORD id = LargestImage(*group);
  if (id == 0) return {};
  const auto image = Find(*table, LOWORD(RT_ICON), id);
  return image ? Decode(*image) : std::vector<uint32_t>{};
}

}  // namespace win32
