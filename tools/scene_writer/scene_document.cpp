#include "scene_document.h"

#include <memory>
#include <set>
#include <stdexcept>

#include "byte_stream.h"
#include "class_fields.h"
#include "objects/effect_brush.h"
#include "objects/flame_light.h"
#include "objects/static_text.h"
#include "objects/underwater_light.h"
#include "slideshow/glass_ball_light.h"

namespace scene_writer {

namespace {

// Identities of the brushes and texts: fixed, so that the document is the same on every build.
GUID Identity(uint32_t serial) {
  GUID guid{};
  guid.Data1 = 0x5CE7E100u + serial;
  guid.Data2 = 0xC0DE;
  guid.Data3 = 0x4000;
  guid.Data4[0] = 0x80;
  return guid;
}

void Save(DS_IOF_Item& item, ByteStream& stream) {
  DS_IOF_Virtual* base = &stream;
  item.Save(&base);
}

std::unique_ptr<DS_2D_Light> SlideLayer(const SlideDescription& slide, Assets& assets, uint32_t& serial) {
  nlohmann::json layer = slide.layer;
  auto made = MakeLayer(layer, assets);
  if (!layer.contains("picture")) made->pictureLink = assets.Link(slide.picture);
  made->camera.enabled.value = slide.camera.enabled ? 1 : 0;
  made->camera.zoom.value = slide.camera.zoom;
  made->camera.speed.value = slide.camera.speed;
  // Without a border picture the quads around a fitted picture stay black.
  if (!layer.contains("border")) made->camera.borderPicture = DS_ImageFileLink();
  // The glass ball's background picture is off; its link names the slide's own picture so that it
  // resolves to something the document holds.
  if (auto* ball = dynamic_cast<DS_GlassBallLight*>(made.get()); ball && !layer.contains("background"))
    ball->backgroundLink = made->pictureLink;
  // The brushes the flame and underwater layers embed have identities of their own.
  if (auto* flames = dynamic_cast<DS_FlameLight*>(made.get())) flames->fire.identity.guid = Identity(++serial);
  if (auto* underwater = dynamic_cast<FakeUndervater*>(made.get())) underwater->brush.identity.guid = Identity(++serial);
  return made;
}

void WriteObjects(const std::vector<nlohmann::json>& list, Assets& assets, ByteStream& stream, DocumentWriter& out,
                  uint32_t& serial) {
  out.U32(static_cast<uint32_t>(list.size()));
  for (const auto& description : list) {
    auto object = MakeObject(description, assets);
    // A masked brush keeps the identity its mask is carried under.
    if (auto* brush = dynamic_cast<DS_FX_Constructor*>(object.get()); brush && !description.contains("mask"))
      brush->identity.guid = Identity(++serial);
    if (auto* text = dynamic_cast<DS_StaticTextConstructor*>(object.get())) text->identity = Identity(++serial);
    Save(*object, stream);
  }
}

}  // namespace

SceneDocument WriteSceneDocument(const SceneDescription& scene, Assets& assets) {
  DocumentWriter out;
  ByteStream stream(out);
  out.String(scene.header);
  out.Header("DS_SlideShow_Light", 1).U32(static_cast<uint32_t>(scene.slides.size()));
  uint32_t serial = 0;
  for (const auto& slide : scene.slides) {
    try {
      out.Header("DS_SlideContainer", 2).U32(slide.fadeIn).U32(slide.fadeOut).U32(slide.show).I32(0).String(slide.name);
      auto layer = SlideLayer(slide, assets, serial);
      Save(*layer, stream);
      WriteObjects(slide.objects, assets, stream, out, serial);
      WriteObjects(slide.sounds, assets, stream, out, serial);
    } catch (const std::exception& e) {
      throw std::runtime_error("slide \"" + slide.name + "\": " + e.what());
    }
  }
  out.U32(static_cast<uint32_t>(scene.music.size()));
  for (const auto& music : scene.music) {
    // The player writes the file under this name to the temporary folder.
    out.Header("DS_AudioFile", 1).String(music.title).Blob(assets.Read(music.file), music.file);
  }
  if (stream.Failed()) throw std::runtime_error("a save operation tried to read");
  std::set<int64_t> libraryIds = stream.LibraryIds();
  libraryIds.insert(scene.carried.begin(), scene.carried.end());
  assets.WriteTables(out, libraryIds);
  return {out.bytes(), assets.Uncarried(libraryIds)};
}

}  // namespace scene_writer
