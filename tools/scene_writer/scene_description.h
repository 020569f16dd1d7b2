// The sample scene as the resource folder describes it (a JSON file): its slides with their
// pictures, durations, cameras, layers and objects, and the library resources the document carries
// in place of the absent resource library.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace scene_writer {

// Colours are written "#RRGGBB" in the description and kept here as the document stores them,
// 0x00BBGGRR.
using StoredColor = uint32_t;

struct CameraDescription {
  bool enabled = false;
  uint32_t zoom = 120;  // hundredths: 120 magnifies by 1.2
  uint32_t speed = 50;  // fiftieths of the normal clock rate
};

// Falling columns of glyphs over the picture (or, in display mode 1, over black, lit by the picture).
struct MatrixCodeDescription {
  uint32_t cellSize = 16;  // picture pixels
  uint32_t density = 40;   // column start rate, 1 to 100
  uint32_t flickerCount = 60;
  int32_t sparkle = 1;
  int32_t displayMode = 0;
  int32_t columnStyle = 2;  // 0 scrolling, 1 falling heads, 2 either
  StoredColor normalColor = 0x40D040;
  StoredColor brightColor = 0xE0FFE0;
  uint32_t brightness = 10;  // opacity 1 - 0.01 x value
};

// The slide seen through a glass ball in front of a gradient.
struct GlassBallDescription {
  uint32_t scrollSpeed = 10;  // 1 + 0.02 x value
  int32_t x = 0, y = 0;       // sphere offset from the centre
  uint32_t size = 100;        // percent
  uint32_t magnification = 20;
  int32_t highlight = 1, secondHighlight = 1, stand = 1;
  int32_t scrollMode = 3;  // 0 none, 1 left, 2 right, 3 sway
  StoredColor topColor = 0x201008;
  StoredColor bottomColor = 0x406080;
};

// The lower part of the picture turned into a lake reflecting the part above.
struct LakeDescription {
  std::string bump;            // the bump picture, carried under the layer's GUID
  uint32_t bumpTiling = 300;   // hundredths: bump repeats across the lake
  uint32_t waveSpeed = 50;
  uint32_t lakeHeight = 25;    // lake covers 0.5 - 0.005 x value of the picture
  uint32_t sizeValue = 100;
  uint32_t tintAlpha = 31;     // 0.008 x value at the lower edge
  uint32_t horizonFactor = 58;
  uint32_t amplitude = 25;
  uint32_t bandHeight = 7;
  int32_t reflectionSize = 1;  // 128 << value pixels square
  StoredColor lakeColor = 0x408000;
};

// Drops falling on water over the picture.
struct WaterRingDescription {
  uint32_t velocity = 0, stretch = 0, density = 0, strength = 50, damping = 50, depth = 20;
  uint32_t dropRate = 30;  // sixtieths of a drop per second
  uint32_t specularLevel = 90, specularPower = 50;
  int32_t mode = 0;
};

enum class LayerKind { kPlain, kMatrixCode, kGlassBall, kLake, kWaterRing };

struct TextDescription {
  std::string text;
  std::string effect;  // an effect file of the description
  float x = 0, y = 0;  // centre in picture pixels
  uint32_t width = 256, height = 64;
  int32_t horizontal = 1, vertical = 1;  // 0 left/top, 1 centre, 2 right/bottom
  int32_t fontHeight = 40;
  uint32_t fontWeight = 700;
  int32_t italic = 0;
  std::string face = "Sans";
  uint32_t fadeIn = 1000, hold = 3000, fadeOut = 1000, delay = 500;  // milliseconds
  StoredColor color = 0xFFFFFF;
};

struct FireDescription {
  // Top left, bottom left, top right, bottom right, in picture pixels: the flames rise from the
  // bottom edge.
  std::array<std::array<float, 2>, 4> corners{};
  StoredColor colorA = 0x60E0FF;  // the flames' core
  StoredColor colorB = 0x0020D0;  // their edges
  uint32_t density = 100, brightness = 15, textureRepeat = 100;
  uint32_t speed = 50;  // fiftieths of a clock unit per second
};

struct ObjectDescription {
  enum class Kind { kText, kFire } kind = Kind::kText;
  TextDescription text;
  FireDescription fire;
};

struct SlideDescription {
  std::string name;
  std::string picture;  // a file of the picture folder
  uint32_t fadeIn = 1;  // seconds
  uint32_t show = 10;
  uint32_t fadeOut = 1;
  CameraDescription camera;
  LayerKind layer = LayerKind::kPlain;
  MatrixCodeDescription matrixCode;
  GlassBallDescription glassBall;
  LakeDescription lake;
  WaterRingDescription waterRing;
  std::vector<ObjectDescription> objects;
};

// A copy of resource `id` of the absent library: a picture of the picture folder (image table) or an
// effect file of the description (other-files table).
struct LibraryDescription {
  int32_t id = 0;
  std::string picture;
  std::string effect;
};

struct SceneDescription {
  std::string header = "KVT v 4.0.0";
  std::vector<LibraryDescription> library;
  std::vector<std::string> effects;  // effect files embedded under their own names
  std::vector<SlideDescription> slides;
};

// Throws std::runtime_error naming what is wrong with the description.
SceneDescription ParseSceneDescription(const std::string& json);

}  // namespace scene_writer
