// Paints the pictures of the resource library at build time, so that the repository holds their
// recipes rather than their bytes (its meshes are mesh_maker's, the ones the sample scene shows):
//   library_painter KIND OUT
// KIND: border, bolt, plain_bolt, glow, fire_gradient, clock_face, clock_hands (colour DDS files),
// heat_bump, water_bump (signed V8U8 DDS files with their mip levels).
#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "pictures.h"

using namespace library_painter;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: library_painter KIND OUT\n");
    return 2;
  }
  const std::string path = argv[2];
  const std::map<std::string, std::function<bool()>> kinds = {
      {"border", [&] { return WriteColorDds(path, PaintBorder(64), 1); }},
      {"bolt", [&] { return WriteColorDds(path, PaintBolt(128, 32, true), 1); }},
      {"plain_bolt", [&] { return WriteColorDds(path, PaintBolt(128, 32, false), 1); }},
      {"glow", [&] { return WriteColorDds(path, PaintGlow(64), 1); }},
      {"fire_gradient", [&] { return WriteColorDds(path, PaintFireGradient(128), 1); }},
      {"clock_face", [&] { return WriteColorDds(path, PaintClockFace(512), 1); }},
      {"clock_hands", [&] { return WriteColorDds(path, PaintClockHands(16), 1); }},
      {"heat_bump", [&] { return WriteBumpDds(path, PaintHeatBump(128), 8); }},
      {"water_bump", [&] { return WriteBumpDds(path, PaintWaterBump(128), 8); }},
  };
  auto kind = kinds.find(argv[1]);
  if (kind == kinds.end()) {
    std::fprintf(stderr, "library_painter: no kind named %s\n", argv[1]);
    return 2;
  }
  if (!kind->second()) {
    std::fprintf(stderr, "library_painter: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
