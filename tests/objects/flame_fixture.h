// Flame layers on a 256 x 256 software device, with a current resource manager over a document that
// carries everything a flame layer asks for, and the frame steps a slide takes with its layer.
//
// The document: the picture "field.png" (64 x 32 blue, so the fitted picture covers rows 64 to 192),
// "frame.png" (dark grey, for the borders), "lift.png" (a bump map of full green: the scene is read
// further down), and from "vaultkit.dll": the pattern 7 and noise 8 (white: the flames are solid
// yellow, ColorK1 + ColorK2 of the flame effect), the bump map 62 (mid grey: no shift), the flame
// effect 92 and the distortion effect 63. "broken.fx" is no effect.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "objects/flame_light.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace flame_test {

inline constexpr uint32_t kBlue = 0x0000FF;
inline constexpr uint32_t kYellow = 0xFFFF00;
inline constexpr uint32_t kFrameGrey = 0x202020;

// Both techniques place their geometry by "WorldViewProj", as the flame effect's vertex stage does.
extern const char kFlameEffect[];
extern const char kDistortionEffect[];

class FlameSceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static DS_ImageFileLink Image(const char16_t* path) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  // A layer showing "field.png" with the grey borders, its camera still.
  static std::unique_ptr<DS_FlameLight> MakeLayer();
  // As a slide starts its layer: device resources, the first tiny size, then the back buffer's size
  // and the activation.
  void Start(DS_2D_Light& light);
  // One frame as a slide draws it: frame move, the layer target when the layer has a post effect, the
  // layer, its post render.
  void Frame(DS_2D_Light& light, float time);
  // The back buffer as 0x00RRGGBB, row-major, 256 wide.
  std::vector<uint32_t> ReadBackBuffer();

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

inline uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) { return pixels.at(size_t(y) * 256 + x); }

}  // namespace flame_test
