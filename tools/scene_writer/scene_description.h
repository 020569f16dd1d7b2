// The sample scene as the resource folder describes it (a JSON file): its slides with their
// pictures, durations and cameras.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace scene_writer {

struct CameraDescription {
  bool enabled = false;
  uint32_t zoom = 120;  // hundredths: 120 magnifies by 1.2
  uint32_t speed = 50;  // fiftieths of the normal clock rate
};

struct SlideDescription {
  std::string name;
  std::string picture;  // a file of the picture folder
  uint32_t fadeIn = 1;  // seconds
  uint32_t show = 10;
  uint32_t fadeOut = 1;
  CameraDescription camera;
};

struct SceneDescription {
  std::string header = "KVT v 4.0.0";
  std::vector<SlideDescription> slides;
};

// Throws std::runtime_error naming what is wrong with the description.
SceneDescription ParseSceneDescription(const std::string& json);

}  // namespace scene_writer
