// The colour the pixel pipeline computes with: four floats, 0..1 for colour channels, signed for
// the bump formats.
#pragma once

namespace d3d9 {

struct Color {
  float r = 0.f;
  float g = 0.f;
  float b = 0.f;
  float a = 0.f;
};

}  // namespace d3d9
