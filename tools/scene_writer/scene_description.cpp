#include "scene_description.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

namespace scene_writer {

namespace {

uint32_t Seconds(const nlohmann::json& slide, const char* key, uint32_t fallback) {
  if (!slide.contains(key)) return fallback;
  const auto& value = slide.at(key);
  if (!value.is_number_unsigned()) throw std::runtime_error(std::string(key) + " must be whole seconds");
  return value.get<uint32_t>();
}

}  // namespace

SceneDescription ParseSceneDescription(const std::string& text) {
  SceneDescription scene;
  try {
    const auto json = nlohmann::json::parse(text);
    scene.header = json.value("header", scene.header);
    for (const auto& slide : json.at("slides")) {
      SlideDescription s;
      s.name = slide.value("name", "");
      s.picture = slide.at("picture").get<std::string>();
      s.fadeIn = Seconds(slide, "fadeIn", s.fadeIn);
      s.show = Seconds(slide, "show", s.show);
      s.fadeOut = Seconds(slide, "fadeOut", s.fadeOut);
      if (slide.contains("camera")) {
        const auto& camera = slide.at("camera");
        s.camera.enabled = camera.value("enabled", false);
        s.camera.zoom = camera.value("zoom", s.camera.zoom);
        s.camera.speed = camera.value("speed", s.camera.speed);
      }
      scene.slides.push_back(std::move(s));
    }
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(std::string("scene description: ") + e.what());
  }
  return scene;
}

}  // namespace scene_writer
