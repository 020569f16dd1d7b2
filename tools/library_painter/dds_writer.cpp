#include "dds_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace library_painter {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The 128 bytes before the texels: magic, header, pixel format, caps.
std::vector<uint8_t> Header(int width, int height, int levels, bool bump) {
  std::vector<uint8_t> out = {'D', 'D', 'S', ' '};
  const uint32_t caps = 0x1000u | (levels > 1 ? 0x400008u : 0u);  // texture, mip map, complex
  const uint32_t flags = 0x1007u | 0x8u | (levels > 1 ? 0x20000u : 0u);  // caps, height, width, pitch, format
  const int bytes = bump ? 2 : 4;
  Put32(out, 124);
  Put32(out, flags);
  Put32(out, static_cast<uint32_t>(height));
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(width * bytes));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(levels));
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  Put32(out, 32);
  if (bump) {
    Put32(out, 0x80000u);  // signed du/dv
    Put32(out, 0);
    Put32(out, 16);
    Put32(out, 0x00FF);
    Put32(out, 0xFF00);
    Put32(out, 0);
    Put32(out, 0);
  } else {
    Put32(out, 0x41u);  // RGB with alpha
    Put32(out, 0);
    Put32(out, 32);
    Put32(out, 0x00FF0000u);
    Put32(out, 0x0000FF00u);
    Put32(out, 0x000000FFu);
    Put32(out, 0xFF000000u);
  }
  Put32(out, caps);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  return out;
}

uint8_t Unsigned(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }
uint8_t Signed(float v) {
  return static_cast<uint8_t>(static_cast<int8_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 127.0f)));
}

bool Write(const std::string& path, const Canvas& canvas, int levels, bool bump) {
  std::vector<uint8_t> out = Header(canvas.width, canvas.height, levels, bump);
  Canvas level = canvas;
  for (int i = 0; i < levels; ++i) {
    for (const Rgba& t : level.texels) {
      if (bump) {
        out.push_back(Signed(t.r));
        out.push_back(Signed(t.g));
      } else {
        out.insert(out.end(), {Unsigned(t.b), Unsigned(t.g), Unsigned(t.r), Unsigned(t.a)});
      }
    }
    level = HalfSize(level);
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file.flush());
}

}  // namespace

Canvas HalfSize(const Canvas& canvas) {
  Canvas half(std::max(1, canvas.width / 2), std::max(1, canvas.height / 2));
  for (int y = 0; y < half.height; ++y)
    for (int x = 0; x < half.width; ++x) {
      Rgba sum{0, 0, 0, 0};
      int n = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const int sx = std::min(canvas.width - 1, 2 * x + dx), sy = std::min(canvas.height - 1, 2 * y + dy);
          const Rgba& t = canvas.At(sx, sy);
          sum.r += t.r, sum.g += t.g, sum.b += t.b, sum.a += t.a, ++n;
        }
      half.At(x, y) = {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
    }
  return half;
}

bool WriteColorDds(const std::string& path, const Canvas& canvas, int levels) {
  return Write(path, canvas, levels, false);
}

bool WriteBumpDds(const std::string& path, const Canvas& canvas, int levels) {
  return Write(path, canvas, levels, true);
}

}  // namespace library_painter
