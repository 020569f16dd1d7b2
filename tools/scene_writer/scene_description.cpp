#include "scene_description.h"

#include <stdexcept>

namespace scene_writer {

namespace {

using Json = nlohmann::json;

void Unsigned(const Json& j, const char* key, uint32_t& target) {
  if (j.contains(key)) target = j.at(key).get<uint32_t>();
}

std::vector<Json> List(const Json& j, const char* key) {
  if (!j.contains(key)) return {};
  const Json& list = j.at(key);
  if (!list.is_array()) throw std::runtime_error(std::string(key) + " is a list");
  return std::vector<Json>(list.begin(), list.end());
}

}  // namespace

SceneDescription ParseSceneDescription(const std::string& text) {
  SceneDescription scene;
  try {
    const auto json = Json::parse(text);
    scene.header = json.value("header", scene.header);
    for (const auto& id : List(json, "carried")) scene.carried.push_back(id.get<int64_t>());
    for (const auto& entry : List(json, "music"))
      scene.music.push_back({entry.value("title", ""), entry.at("file").get<std::string>()});
    for (const auto& slide : List(json, "slides")) {
      SlideDescription s;
      s.name = slide.value("name", "");
      s.picture = slide.at("picture").get<std::string>();
      Unsigned(slide, "fadeIn", s.fadeIn);
      Unsigned(slide, "show", s.show);
      Unsigned(slide, "fadeOut", s.fadeOut);
      if (slide.contains("camera")) {
        const auto& camera = slide.at("camera");
        s.camera.enabled = camera.value("enabled", false);
        Unsigned(camera, "zoom", s.camera.zoom);
        Unsigned(camera, "speed", s.camera.speed);
      }
      if (slide.contains("layer")) s.layer = slide.at("layer");
      s.objects = List(slide, "objects");
      s.sounds = List(slide, "sounds");
      scene.slides.push_back(std::move(s));
    }
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(std::string("scene description: ") + e.what());
  }
  return scene;
}

}  // namespace scene_writer
