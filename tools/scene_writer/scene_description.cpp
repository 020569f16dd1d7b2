#include "scene_description.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

namespace scene_writer {

namespace {

using Json = nlohmann::json;

void Unsigned(const Json& object, const char* key, uint32_t& field) {
  if (!object.contains(key)) return;
  const auto& value = object.at(key);
  if (!value.is_number_unsigned() || value.get<uint64_t>() > UINT32_MAX)
    throw std::runtime_error(std::string(key) + " must be a whole number from 0 to 4294967295");
  field = value.get<uint32_t>();
}

void Signed(const Json& object, const char* key, int32_t& field) {
  if (!object.contains(key)) return;
  const auto& value = object.at(key);
  if (!value.is_number_integer() || value.get<int64_t>() < INT32_MIN || value.get<int64_t>() > INT32_MAX)
    throw std::runtime_error(std::string(key) + " must be a whole number");
  field = value.get<int32_t>();
}

void Float(const Json& object, const char* key, float& field) {
  if (!object.contains(key)) return;
  if (!object.at(key).is_number()) throw std::runtime_error(std::string(key) + " must be a number");
  field = object.at(key).get<float>();
}

void Text(const Json& object, const char* key, std::string& field) { field = object.value(key, field); }

// "#RRGGBB" as the stored 0x00BBGGRR.
void Colour(const Json& object, const char* key, StoredColor& field) {
  if (!object.contains(key)) return;
  const std::string text = object.at(key).get<std::string>();
  if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
    throw std::runtime_error(std::string(key) + " must be a colour #RRGGBB, not " + text);
  const uint32_t rgb = static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
  field = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

MatrixCodeDescription ParseMatrixCode(const Json& j) {
  MatrixCodeDescription d;
  Unsigned(j, "cellSize", d.cellSize);
  Unsigned(j, "density", d.density);
  Unsigned(j, "flickerCount", d.flickerCount);
  Signed(j, "sparkle", d.sparkle);
  Signed(j, "displayMode", d.displayMode);
  Signed(j, "columnStyle", d.columnStyle);
  Colour(j, "normalColor", d.normalColor);
  Colour(j, "brightColor", d.brightColor);
  Unsigned(j, "brightness", d.brightness);
  return d;
}

GlassBallDescription ParseGlassBall(const Json& j) {
  GlassBallDescription d;
  Unsigned(j, "scrollSpeed", d.scrollSpeed);
  Signed(j, "x", d.x);
  Signed(j, "y", d.y);
  Unsigned(j, "size", d.size);
  Unsigned(j, "magnification", d.magnification);
  Signed(j, "highlight", d.highlight);
  Signed(j, "secondHighlight", d.secondHighlight);
  Signed(j, "stand", d.stand);
  Signed(j, "scrollMode", d.scrollMode);
  Colour(j, "topColor", d.topColor);
  Colour(j, "bottomColor", d.bottomColor);
  return d;
}

LakeDescription ParseLake(const Json& j) {
  LakeDescription d;
  d.bump = j.at("bump").get<std::string>();
  Unsigned(j, "bumpTiling", d.bumpTiling);
  Unsigned(j, "waveSpeed", d.waveSpeed);
  Unsigned(j, "lakeHeight", d.lakeHeight);
  Unsigned(j, "sizeValue", d.sizeValue);
  Unsigned(j, "tintAlpha", d.tintAlpha);
  Unsigned(j, "horizonFactor", d.horizonFactor);
  Unsigned(j, "amplitude", d.amplitude);
  Unsigned(j, "bandHeight", d.bandHeight);
  Signed(j, "reflectionSize", d.reflectionSize);
  Colour(j, "lakeColor", d.lakeColor);
  return d;
}

WaterRingDescription ParseWaterRing(const Json& j) {
  WaterRingDescription d;
  Unsigned(j, "velocity", d.velocity);
  Unsigned(j, "stretch", d.stretch);
  Unsigned(j, "density", d.density);
  Unsigned(j, "strength", d.strength);
  Unsigned(j, "damping", d.damping);
  Unsigned(j, "depth", d.depth);
  Unsigned(j, "dropRate", d.dropRate);
  Unsigned(j, "specularLevel", d.specularLevel);
  Unsigned(j, "specularPower", d.specularPower);
  Signed(j, "mode", d.mode);
  return d;
}

ObjectDescription ParseObject(const Json& j) {
  ObjectDescription o;
  const std::string kind = j.at("kind").get<std::string>();
  if (kind == "text") {
    o.kind = ObjectDescription::Kind::kText;
    TextDescription& t = o.text;
    t.text = j.at("text").get<std::string>();
    t.effect = j.at("effect").get<std::string>();
    Float(j, "x", t.x);
    Float(j, "y", t.y);
    Unsigned(j, "width", t.width);
    Unsigned(j, "height", t.height);
    Signed(j, "horizontal", t.horizontal);
    Signed(j, "vertical", t.vertical);
    Signed(j, "fontHeight", t.fontHeight);
    Unsigned(j, "fontWeight", t.fontWeight);
    Signed(j, "italic", t.italic);
    Text(j, "face", t.face);
    Unsigned(j, "fadeIn", t.fadeIn);
    Unsigned(j, "hold", t.hold);
    Unsigned(j, "fadeOut", t.fadeOut);
    Unsigned(j, "delay", t.delay);
    Colour(j, "color", t.color);
  } else if (kind == "fire") {
    o.kind = ObjectDescription::Kind::kFire;
    FireDescription& f = o.fire;
    const auto& corners = j.at("corners");
    if (!corners.is_array() || corners.size() != 4) throw std::runtime_error("a fire has four corners");
    for (size_t i = 0; i < 4; ++i) f.corners[i] = corners.at(i).get<std::array<float, 2>>();
    Colour(j, "colorA", f.colorA);
    Colour(j, "colorB", f.colorB);
    Unsigned(j, "density", f.density);
    Unsigned(j, "brightness", f.brightness);
    Unsigned(j, "textureRepeat", f.textureRepeat);
    Unsigned(j, "speed", f.speed);
  } else {
    throw std::runtime_error("no object kind " + kind);
  }
  return o;
}

void ParseLayer(const Json& j, SlideDescription& s) {
  const std::string kind = j.at("kind").get<std::string>();
  if (kind == "matrixCode") {
    s.layer = LayerKind::kMatrixCode;
    s.matrixCode = ParseMatrixCode(j);
  } else if (kind == "glassBall") {
    s.layer = LayerKind::kGlassBall;
    s.glassBall = ParseGlassBall(j);
  } else if (kind == "lake") {
    s.layer = LayerKind::kLake;
    s.lake = ParseLake(j);
  } else if (kind == "waterRing") {
    s.layer = LayerKind::kWaterRing;
    s.waterRing = ParseWaterRing(j);
  } else {
    throw std::runtime_error("no layer kind " + kind);
  }
}

}  // namespace

SceneDescription ParseSceneDescription(const std::string& text) {
  SceneDescription scene;
  try {
    const auto json = Json::parse(text);
    scene.header = json.value("header", scene.header);
    if (json.contains("library")) {
      for (const auto& entry : json.at("library")) {
        LibraryDescription l;
        Signed(entry, "id", l.id);
        Text(entry, "picture", l.picture);
        Text(entry, "effect", l.effect);
        if (l.picture.empty() == l.effect.empty())
          throw std::runtime_error("library resource " + std::to_string(l.id) + " needs a picture or an effect");
        scene.library.push_back(std::move(l));
      }
    }
    if (json.contains("effects")) scene.effects = json.at("effects").get<std::vector<std::string>>();
    for (const auto& slide : json.at("slides")) {
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
      if (slide.contains("layer")) ParseLayer(slide.at("layer"), s);
      if (slide.contains("objects"))
        for (const auto& object : slide.at("objects")) s.objects.push_back(ParseObject(object));
      scene.slides.push_back(std::move(s));
    }
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error(std::string("scene description: ") + e.what());
  }
  return scene;
}

}  // namespace scene_writer
