// The sample scene as the resource folder describes it (a JSON file): the soundtrack, the slides with
// their pictures, durations and cameras, each slide's layer, drawn objects and sounds (each a stored
// class with the members that differ from its defaults), and the library resources that objects load
// by id at run time, which the document carries copies of besides those its records name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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
  nlohmann::json layer = nlohmann::json::object();
  std::vector<nlohmann::json> objects;
  std::vector<nlohmann::json> sounds;
};

struct MusicDescription {
  std::string title;
  std::string file;
};

struct SceneDescription {
  std::string header = "KVT v 4.0.0";
  std::vector<int64_t> carried;
  std::vector<MusicDescription> music;
  std::vector<SlideDescription> slides;
};

// Throws std::runtime_error naming what is wrong with the description.
SceneDescription ParseSceneDescription(const std::string& json);

}  // namespace scene_writer
