#include "class_fields.h"

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "objects/array_3d_in_2d.h"
#include "objects/background_copy.h"
#include "objects/bird_constructor.h"
#include "objects/butterfly_constructor.h"
#include "objects/clock_constructor.h"
#include "objects/discharge_constructor.h"
#include "objects/discharge_fx_constructor.h"
#include "objects/expand_fx.h"
#include "objects/explosion.h"
#include "objects/fire_brush.h"
#include "objects/fish_constructor.h"
#include "objects/flame_light.h"
#include "objects/flow_constructor.h"
#include "objects/flower_constructor.h"
#include "objects/fog_constructor.h"
#include "objects/ghost_constructor.h"
#include "objects/god_ray_constructor.h"
#include "objects/grass_constructor.h"
#include "objects/light_fx.h"
#include "objects/lightning_constructor.h"
#include "objects/move_fx.h"
#include "objects/pattern_brush.h"
#include "objects/radial_wave_fx.h"
#include "objects/rain_constructor.h"
#include "objects/rotation_fx.h"
#include "objects/sparkle_constructor.h"
#include "objects/stat_obj_constructor.h"
#include "objects/static_text.h"
#include "objects/underwater_brush.h"
#include "objects/underwater_light.h"
#include "objects/water_brush.h"
#include "objects/waves_fx.h"
#include <objbase.h>

#include "slideshow/glass_ball_light.h"
#include "slideshow/lake_light.h"
#include "slideshow/matrix_code_light.h"
#include "slideshow/water_ring_light.h"
#include "sound/wav_constructor.h"

namespace scene_writer {

namespace {

ds_string Wide(const std::string& text) { return ds_string(text.begin(), text.end()); }

// The members of one description: each setter takes its key, and what no setter took is an error,
// so a misspelt member never goes unnoticed.
class Fields {
 public:
  Fields(const Json& json, Assets& assets) : json_(json), assets_(assets) {
    if (!json.is_object()) throw std::runtime_error("a description is a JSON object");
  }

  template <class T>
  Fields& operator()(const char* key, T& target) {
    if (json_.contains(key)) {
      taken_.insert(key);
      try {
        Assign(json_.at(key), target);
      } catch (const std::exception& e) {
        throw std::runtime_error(std::string(key) + ": " + e.what());
      }
    }
    return *this;
  }
  bool Has(const char* key) const { return json_.contains(key); }
  const Json& At(const char* key) {
    taken_.insert(key);
    return json_.at(key);
  }
  Assets& assets() { return assets_; }

  void Finish(const std::string& className) const {
    for (const auto& [key, value] : json_.items())
      if (key != "class" && !taken_.contains(key)) throw std::runtime_error(className + " has no member " + key);
  }

 private:
  void Assign(const Json& j, float& v) { v = j.get<float>(); }
  void Assign(const Json& j, UINT& v) { v = j.get<UINT>(); }
  void Assign(const Json& j, INT& v) { v = j.get<INT>(); }
  void Assign(const Json& j, bool& v) { v = j.get<bool>(); }
  void Assign(const Json& j, ds_string& v) { v = Wide(j.get<std::string>()); }
  void Assign(const Json& j, D3DXVECTOR3& v) {
    const auto xyz = j.get<std::vector<float>>();
    if (xyz.size() < 2 || xyz.size() > 3) throw std::runtime_error("a point is [x, y] or [x, y, z]");
    v.x = xyz[0];
    v.y = xyz[1];
    v.z = xyz.size() == 3 ? xyz[2] : 0.0f;
  }
  void Assign(const Json& j, POINT& v) {
    const auto xy = j.get<std::array<INT, 2>>();
    v.x = xy[0];
    v.y = xy[1];
  }
  // "#RRGGBB", stored as 0x00BBGGRR.
  void Assign(const Json& j, MediaColor& v) {
    const std::string text = j.get<std::string>();
    if (text.size() != 7 || text[0] != '#') throw std::runtime_error("a colour is #RRGGBB");
    const uint32_t rgb = static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
    v.value = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  template <class T>
  void Assign(const Json& j, MediaParamTB<T>& v) {
    Assign(j, v.value);
  }
  // A file of the description, embedded; {"library": id} for a resource of the library;
  // {"frames": [files], "frameTime": seconds} for a sequence of pictures; "" for none.
  void Assign(const Json& j, DS_FileLink3& link) {
    if (j.is_object() && j.contains("frames")) {
      link = assets_.Sequence(j.at("frames").get<std::vector<std::string>>(), j.at("frameTime").get<float>());
    } else if (j.is_object()) {
      link = DS_FileLink3::ConstructFromResource(j.at("library").get<INT>(), Wide(std::string(kLibrary)));
    } else if (j.get<std::string>().empty()) {
      link = DS_FileLink3();
    } else {
      link = assets_.Link(j.get<std::string>());
    }
  }
  // Edges [left, right, top, bottom] and optionally the two further values.
  void Assign(const Json& j, MediaRectangle& r) {
    const auto v = j.get<std::vector<INT>>();
    if (v.size() != 4 && v.size() != 6) throw std::runtime_error("a rectangle is [left, right, top, bottom(, x, y)]");
    r.left.value = v[0];
    r.right.value = v[1];
    r.top.value = v[2];
    r.bottom.value = v[3];
    if (v.size() == 6) {
      r.centreX.value = v[4];
      r.centreY.value = v[5];
    }
  }
  // Corners top left, bottom left, top right, bottom right.
  void Assign(const Json& j, MediaQuad& q) {
    if (!j.is_array() || j.size() != 4) throw std::runtime_error("a quad has four corners");
    for (size_t i = 0; i < 4; ++i) Assign(j.at(i), q.corners[i].value);
  }
  void Assign(const Json& j, DS_BoundControl& edge) {
    Fields f(j, assets_);
    f("mode", edge.mode)("fadeOutTime", edge.fadeOutTime)("fadeInTime", edge.fadeInTime);
    f("minimumLife", edge.minimumLife)("maximumLife", edge.maximumLife);
    f.Finish("DS_BoundControl");
  }

  const Json& json_;
  Assets& assets_;
  std::set<std::string> taken_;
};

void Constructor(Fields& f, DS_ABObj_Constructor& o) { f("name", o.name); }

// "place": the element's rectangle as fractions of the picture, [left, right, top, bottom].
void View(Fields& f, DS_ViewObjCtrl& o) {
  if (f.Has("place")) {
    const auto v = f.At("place").get<std::vector<float>>();
    if (v.size() != 4) throw std::runtime_error("place is [left, right, top, bottom]");
    o.left = v[0];
    o.right = v[1];
    o.top = v[2];
    o.bottom = v[3];
  }
  f("speed", o.speed);
  Constructor(f, o);
}

void Sprites(Fields& f, DS_BaseSpriteProp& o) {
  f("count", o.count)("size", o.size)("transparency", o.transparency)("blendMode", o.blendMode)("color", o.color);
  f("alphaRate", o.alphaRate)("alphaMinimum", o.alphaMinimum)("alphaMaximum", o.alphaMaximum);
  f("sizeFactorMinimum", o.sizeFactorMinimum)("sizeFactorMaximum", o.sizeFactorMaximum);
  f("image", o.imageLink)("mask", o.maskLink)("frameCount", o.frameCount)("frameRate", o.frameRate);
  f("stripAnimation", o.stripAnimation)("imageMode", o.imageMode);
  f("verticalFlip", o.verticalFlip)("horizontalFlip", o.horizontalFlip);
  View(f, o);
}

void Fish(Fields& f, DS_FishConstructor& o) {
  f("maxHorizontalSpeed", o.maxHorizontalSpeed)("maxVerticalSpeed", o.maxVerticalSpeed);
  Sprites(f, o);
}

void Flow(Fields& f, DS_FlowConstructor& o) {
  f("angle", o.angle)("wobbleAmplitude", o.wobbleAmplitude)("wobbleRate", o.wobbleRate)("flowSpeed", o.speed);
  f("orientation", o.orientation)("topEdge", o.topEdge)("bottomEdge", o.bottomEdge)("leftEdge", o.leftEdge);
  f("rightEdge", o.rightEdge);
  Sprites(f, o);
}

void StatObj(Fields& f, DS_StatObjConstructor& o) {
  f("rectangle", o.rectangle)("rotation", o.rotation);
  Sprites(f, o);
}

void Effect(Fields& f, DS_FXParticleSystemCtrl& o) {
  f("effect", o.effectLink);
  Sprites(f, o);
}

void StatBase(Fields& f, DS_StatBaseFXCtrl& o) {
  f("position", o.position)("height", o.height)("width", o.width);
  Effect(f, o);
}

// "mask": a picture whose red says where the brush works; the document carries it in its GUID table
// under the brush's identity, where the brush finds its mask.
void Brush(Fields& f, DS_FX_Constructor& o) {
  f("speed", o.speed)("mainFX", o.mainFX)("effect", o.effectLink)("zoom", o.zoom)("identityName", o.identity.name);
  if (f.Has("mask")) {
    const std::string guid = f.assets().GuidPicture(f.At("mask").get<std::string>());
    CLSIDFromString(Wide(guid).c_str(), &o.identity.guid);
  }
  Constructor(f, o);
}

void Central(Fields& f, DS_CentralBased& o) {
  f("centre", o.centre);
  Brush(f, o);
}

void Direction(Fields& f, DS_DirectionBased& o) {
  f("amplitude", o.amplitude)("angle", o.angle);
  Brush(f, o);
}

void Fire(Fields& f, DS_FireFX& o) {
  f("quad", o.quad)("colorA", o.colorA)("colorB", o.colorB)("pattern", o.patternLink)("noise", o.noiseLink);
  f("density", o.density)("brightness", o.brightness)("textureRepeat", o.textureRepeat);
  Brush(f, o);
}

void Object3D(Fields& f, DS_3D_Obj_Ctrl& o) {
  f("instanceCount", o.instanceCount)("size", o.size)("image", o.imageLink)("mesh", o.meshLink);
  View(f, o);
}

void Layer(Fields& f, DS_2D_Light& o) {
  f("picture", o.pictureLink)("cameraEnabled", o.camera.enabled)("cameraZoom", o.camera.zoom);
  f("cameraSpeed", o.camera.speed)("border", o.camera.borderPicture);
}

// An embedded record of its own (the 3D-in-2D array carries its mesh and picture inside its record).
ResourceRecord OwnRecord(Assets& assets, const std::string& file) {
  ResourceRecord record;
  const Bytes bytes = assets.Read(file);
  record.SetBytes(static_cast<DWORD>(bytes.size()), bytes.data());
  record.name = Wide(file);
  return record;
}

template <class C>
using Build = std::function<void(Fields&, C&)>;

// A new object of class Made with its defaults, then the description's members.
template <class Base, class Made>
std::unique_ptr<Base> MakeWith(Fields& f, const Build<Made>& build) {
  auto made = std::make_unique<Made>();
  build(f, *made);
  return made;
}

using ObjectMaker = std::function<std::unique_ptr<DS_ABObj_Constructor>(Fields&)>;

template <class Made>
ObjectMaker Object(Build<Made> build) {
  return [build](Fields& f) { return MakeWith<DS_ABObj_Constructor, Made>(f, build); };
}

const std::map<std::string, ObjectMaker>& ObjectMakers() {
  static const std::map<std::string, ObjectMaker> makers = {
      {"DS_FishConstructor", Object<DS_FishConstructor>(Fish)},
      {"DS_BirdConstructor", Object<DS_BirdConstructor>([](Fields& f, DS_BirdConstructor& o) { Fish(f, o); })},
      {"DS_GhostConstructor", Object<DS_GhostConstructor>([](Fields& f, DS_GhostConstructor& o) { Fish(f, o); })},
      {"DS_FogConstructor", Object<DS_FogConstructor>([](Fields& f, DS_FogConstructor& o) {
         f("maxHorizontalSpeed", o.maxHorizontalSpeed)("maxVerticalSpeed", o.maxVerticalSpeed);
         Sprites(f, o);
       })},
      {"DS_GodRayConstructor", Object<DS_GodRayConstructor>([](Fields& f, DS_GodRayConstructor& o) {
         f("angle", o.angle);
         Sprites(f, o);
       })},
      {"DS_SparkleConstructor", Object<DS_SparkleConstructor>([](Fields& f, DS_SparkleConstructor& o) { Sprites(f, o); })},
      {"DS_FlowConstructor", Object<DS_FlowConstructor>(Flow)},
      {"DS_RainConstructor", Object<DS_RainConstructor>([](Fields& f, DS_RainConstructor& o) { Flow(f, o); })},
      {"DS_LightingConstructor", Object<DS_LightingConstructor>([](Fields& f, DS_LightingConstructor& o) { Sprites(f, o); })},
      {"DS_GrassConstructor", Object<DS_GrassConstructor>([](Fields& f, DS_GrassConstructor& o) {
         f("amplitude", o.amplitude);
         Sprites(f, o);
       })},
      {"DS_StatObjConstructor", Object<DS_StatObjConstructor>(StatObj)},
      {"DS_FlowerConstructor", Object<DS_FlowerConstructor>([](Fields& f, DS_FlowerConstructor& o) {
         f("sway", o.sway);
         StatObj(f, o);
       })},
      {"DS_DischargeConstructor", Object<DS_DischargeConstructor>([](Fields& f, DS_DischargeConstructor& o) { StatObj(f, o); })},
      {"DS_DischargeFXConstructor", Object<DS_DischargeFXConstructor>([](Fields& f, DS_DischargeFXConstructor& o) {
         f("startPoint", o.startPoint)("endPoint", o.endPoint)("jitter", o.jitter)("textureStyle", o.textureStyle);
         f("flickerInterval", o.flickerInterval)("morphRate", o.morphRate);
         f("glowColor", o.glowColor)("glowIntensity", o.glowIntensity);
         Effect(f, o);
       })},
      {"DS_StaticTextConstructor", Object<DS_StaticTextConstructor>([](Fields& f, DS_StaticTextConstructor& o) {
         f("verticalAlignment", o.verticalAlignment)("horizontalAlignment", o.horizontalAlignment)("text", o.text);
         f("fontHeight", o.font.height)("fontWeight", o.font.weight)("italic", o.font.italic)("face", o.font.faceName);
         f("fadeIn", o.fadeIn)("fadeOut", o.fadeOut)("hold", o.hold)("delay", o.delay);
         StatBase(f, o);
       })},
      {"DS_ExplosionConstructor", Object<DS_ExplosionConstructor>([](Fields& f, DS_ExplosionConstructor& o) {
         f("noiseScale1", o.noiseScale1)("noiseScale2", o.noiseScale2)("noiseScale3", o.noiseScale3);
         f("noiseDirection", o.noiseDirection)("noiseSpeed", o.noiseSpeed)("firstPhase", o.firstPhase);
         f("secondPhase", o.secondPhase)("thirdPhase", o.thirdPhase)("delay", o.delay)("pause", o.pause);
         f("seed", o.seed)("randomShifts", o.randomShifts)("secondColor", o.secondColor);
         StatBase(f, o);
       })},
      {"DS_FireFX", Object<DS_FireFX>(Fire)},
      {"DS_BackgroundCopy", Object<DS_BackgroundCopy>([](Fields& f, DS_BackgroundCopy& o) {
         f("rectangle", o.rectangle)("xWrap", o.xWrap)("yWrap", o.yWrap);
         Brush(f, o);
       })},
      {"DS_LightFX", Object<DS_LightFX>([](Fields& f, DS_LightFX& o) {
         f("intensity", o.intensity)("mode", o.mode);
         Brush(f, o);
       })},
      {"DS_WavesFX", Object<DS_WavesFX>([](Fields& f, DS_WavesFX& o) {
         f("amplitude", o.amplitude)("frequency", o.frequency)("angle", o.angle)("reverse", o.reverse);
         Brush(f, o);
       })},
      {"DS_PatternBrush", Object<DS_PatternBrush>([](Fields& f, DS_PatternBrush& o) {
         f("pattern", o.patternLink)("flipX", o.flipX)("flipY", o.flipY)("angle", o.angle);
         f("patternScale", o.patternScale)("offsetX", o.offsetX)("offsetY", o.offsetY);
         Brush(f, o);
       })},
      {"DS_PatternBrushC", Object<DS_PatternBrushC>([](Fields& f, DS_PatternBrushC& o) {
         f("pattern", o.patternLink)("flipX", o.flipX)("flipY", o.flipY)("angle", o.angle);
         f("patternScale", o.patternScale)("offsetX", o.offsetX)("offsetY", o.offsetY);
         Brush(f, o);
       })},
      {"DS_WaterFX", Object<DS_WaterFX>([](Fields& f, DS_WaterFX& o) {
         f("shape", o.shape)("bumpRotationScale", o.bumpRotationScale)("wave1Scale", o.wave1Scale);
         f("wave2Scale", o.wave2Scale)("angle", o.angle)("shadows", o.shadows)("halfVectorHeight", o.halfVectorHeight);
         f("color", o.color)("bump", o.bumpLink);
         Brush(f, o);
       })},
      {"DS_MoveFX", Object<DS_MoveFX>([](Fields& f, DS_MoveFX& o) {
         f("mode", o.mode);
         Direction(f, o);
       })},
      {"DS_ExpandFX", Object<DS_ExpandFX>([](Fields& f, DS_ExpandFX& o) {
         f("outer", o.outer)("inner", o.inner)("sine", o.sine);
         Central(f, o);
       })},
      {"DS_RadialWaveFX", Object<DS_RadialWaveFX>([](Fields& f, DS_RadialWaveFX& o) {
         f("amplitude", o.amplitude)("frequency", o.frequency)("ringScale", o.ringScale)("outward", o.outward);
         Central(f, o);
       })},
      {"DS_RotationFX", Object<DS_RotationFX>([](Fields& f, DS_RotationFX& o) {
         f("aspect", o.aspect)("angle", o.angle)("reverse", o.reverse);
         Central(f, o);
       })},
      {"DS_ButterflyConstructor", Object<DS_ButterflyConstructor>([](Fields& f, DS_ButterflyConstructor& o) {
         f("bodyImage", o.bodyImageLink)("bodyMesh", o.bodyMeshLink)("wingScale", o.wingScale);
         Object3D(f, o);
       })},
      {"DS_ClockConstructor", Object<DS_ClockConstructor>([](Fields& f, DS_ClockConstructor& o) {
         f("rectangle", o.rectangle)("handsImage", o.handsImageLink);
         Object3D(f, o);
       })},
      {"DS_3D_in_2D_array_Constructor", Object<DS_3D_in_2D_array_Constructor>([](Fields& f, DS_3D_in_2D_array_Constructor& o) {
         if (f.Has("mesh")) o.meshRecord = OwnRecord(f.assets(), f.At("mesh").get<std::string>());
         if (f.Has("image")) o.imageRecord = OwnRecord(f.assets(), f.At("image").get<std::string>());
         f("itemCount", o.itemCount)("itemSize", o.drift.itemSize)("driftSpeed", o.drift.speed)("sway", o.drift.sway);
         f("swayRenewal", o.drift.swayRenewal)("tumbleSpeed", o.drift.tumbleSpeed);
         if (f.Has("direction")) o.drift.direction.SetAngle(f.At("direction").get<UINT>());
         Constructor(f, o);
       })},
      {"DS_WAV_Constructor", Object<DS_WAV_Constructor>([](Fields& f, DS_WAV_Constructor& o) {
         f("file", o.file)("volume", o.volume)("balance", o.balance)("mode", o.mode);
         f("minimumInterval", o.minimumInterval)("maximumInterval", o.maximumInterval);
         Constructor(f, o);
       })},
  };
  return makers;
}

using LayerMaker = std::function<std::unique_ptr<DS_2D_Light>(Fields&)>;

template <class Made>
LayerMaker LayerOf(Build<Made> build) {
  return [build](Fields& f) { return MakeWith<DS_2D_Light, Made>(f, build); };
}

const std::map<std::string, LayerMaker>& LayerMakers() {
  static const std::map<std::string, LayerMaker> makers = {
      {"DS_2D_Light", LayerOf<DS_2D_Light>(Layer)},
      {"DS_MatrixCodeLight", LayerOf<DS_MatrixCodeLight>([](Fields& f, DS_MatrixCodeLight& o) {
         f("cellSize", o.cellSize)("density", o.density)("flickerCount", o.flickerCount)("sparkle", o.sparkle);
         f("displayMode", o.displayMode)("columnStyle", o.columnStyle)("normalColor", o.normalColor);
         f("brightColor", o.brightColor)("brightness", o.brightness)("glyphs", o.glyphLink);
         Layer(f, o);
       })},
      {"DS_GlassBallLight", LayerOf<DS_GlassBallLight>([](Fields& f, DS_GlassBallLight& o) {
         f("highlight", o.highlightLink)("secondHighlight", o.secondHighlightLink)("stand", o.standLink);
         f("background", o.backgroundLink)("scrollSpeed", o.scrollSpeed)("spherePosition", o.spherePosition);
         f("sphereSize", o.sphereSize)("magnification", o.magnification)("highlightSwitch", o.highlightSwitch);
         f("secondHighlightSwitch", o.secondHighlightSwitch)("standSwitch", o.standSwitch);
         f("backgroundPictureSwitch", o.backgroundPictureSwitch)("scrollMode", o.scrollMode);
         f("topColor", o.topColor)("bottomColor", o.bottomColor);
         Layer(f, o);
       })},
      {"FakeLake2D", LayerOf<FakeLake2D>([](Fields& f, FakeLake2D& o) {
         f("bumpTiling", o.bumpTiling)("waveSpeed", o.waveSpeed)("lakeHeight", o.lakeHeight)("sizeValue", o.sizeValue);
         f("tintAlpha", o.tintAlpha)("horizonFactor", o.horizonFactor)("amplitude", o.amplitude);
         f("bandHeight", o.bandHeight)("reflectionSize", o.reflectionSize)("lakeColor", o.lakeColor);
         if (f.Has("bump")) {
           const std::string guid = f.assets().GuidPicture(f.At("bump").get<std::string>());
           CLSIDFromString(Wide(guid).c_str(), &o.bumpGuid);
         }
         Layer(f, o);
       })},
      {"DS_WaterRingLight", LayerOf<DS_WaterRingLight>([](Fields& f, DS_WaterRingLight& o) {
         f("waterMode", o.waterMode)("velocity", o.velocityValue)("stretch", o.stretchValue)("density", o.densityValue);
         f("strength", o.strengthValue)("damping", o.dampingValue)("depth", o.depthValue)("dropRate", o.dropRate);
         f("specularLevel", o.specularLevel)("specularPower", o.specularPower);
         Layer(f, o);
       })},
      {"DS_FlameLight", LayerOf<DS_FlameLight>([](Fields& f, DS_FlameLight& o) {
         f("bump", o.distortion.bumpLink)("distortionEffect", o.distortion.effectLink)("flameSpeed", o.distortion.speed);
         f("strength", o.distortion.strength);
         f("bumpScale", o.distortion.bumpScale)("fireSwitch", o.fireSwitch)("distortionSwitch", o.distortionSwitch);
         f("fireHeight", o.fireHeight);
         if (f.Has("fire")) {
           Fields fire(f.At("fire"), f.assets());
           Fire(fire, o.fire);
           fire.Finish("DS_FireFX");
         }
         Layer(f, o);
       })},
      {"FakeUndervater", LayerOf<FakeUndervater>([](Fields& f, FakeUndervater& o) {
         if (f.Has("brush")) {
           Fields brush(f.At("brush"), f.assets());
           brush("amplitude", o.brush.amplitude)("frequency", o.brush.frequency);
           Brush(brush, o.brush);
           brush.Finish("DS_UnderwaterFX");
         }
         Layer(f, o);
       })},
  };
  return makers;
}

}  // namespace

std::unique_ptr<DS_2D_Light> MakeLayer(const Json& description, Assets& assets) {
  const std::string className = description.value("class", "DS_2D_Light");
  auto found = LayerMakers().find(className);
  if (found == LayerMakers().end()) throw std::runtime_error("no layer class " + className);
  Fields fields(description, assets);
  auto layer = found->second(fields);
  fields.Finish(className);
  return layer;
}

std::unique_ptr<DS_ABObj_Constructor> MakeObject(const Json& description, Assets& assets) {
  const std::string className = description.value("class", "");
  auto found = ObjectMakers().find(className);
  if (found == ObjectMakers().end()) throw std::runtime_error("no object class " + className);
  Fields fields(description, assets);
  auto object = found->second(fields);
  fields.Finish(className);
  return object;
}

}  // namespace scene_writer
