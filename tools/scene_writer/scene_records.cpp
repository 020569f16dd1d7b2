#include "scene_records.h"

namespace scene_writer {

namespace {

// The library resources the classes link by default, linked explicitly here.
constexpr int64_t kFirePatternId = 93;
constexpr int64_t kFireNoiseId = 8;
constexpr int64_t kFireEffectId = 92;
constexpr int64_t kHighlightId = 58;
constexpr int64_t kSecondHighlightId = 59;
constexpr int64_t kStandId = 60;
constexpr int64_t kGlyphStripId = 40;

DocumentWriter& Library(DocumentWriter& out, int64_t id) { return out.Link(kLibrary, id); }

void WritePlainLayer(DocumentWriter& out, const SlideDescription& slide, const LinkKey& picture) {
  out.Header("DS_2D_Light", 3).Link(picture.path, picture.stamp);
  // An empty border link: the border quads around a fitted picture stay black.
  out.Header("DSM_Camera", 2).I32(slide.camera.enabled ? 1 : 0).U32(slide.camera.zoom).U32(slide.camera.speed).Link("", 0);
}

void WriteMatrixCode(DocumentWriter& out, const MatrixCodeDescription& m) {
  out.Header("DS_MatrixCodeLight", 2).U32(m.cellSize).U32(m.density).U32(m.flickerCount);
  out.I32(m.sparkle).I32(m.displayMode).I32(m.columnStyle).U32(m.normalColor).U32(m.brightColor).U32(m.brightness);
  Library(out, kGlyphStripId);
}

void WriteGlassBall(DocumentWriter& out, const GlassBallDescription& g, const LinkKey& picture) {
  out.Header("DS_GlassBallLight", 1);
  Library(out, kHighlightId);
  Library(out, kSecondHighlightId);
  Library(out, kStandId);
  // The background picture is off (the gradient shows); the link names the slide's own picture so
  // that it resolves to something the document holds.
  out.Link(picture.path, picture.stamp);
  out.U32(g.scrollSpeed).I32(g.x).I32(g.y).U32(g.size).U32(g.magnification);
  out.I32(g.highlight).I32(g.secondHighlight).I32(g.stand).I32(0).I32(g.scrollMode);
  out.U32(g.topColor).U32(g.bottomColor);
}

void WriteLake(DocumentWriter& out, const LakeDescription& l, const std::string& bumpGuid) {
  out.Header("FakeLake2D", 2).U32(l.bumpTiling).U32(l.waveSpeed).U32(l.lakeHeight).U32(l.sizeValue);
  out.U32(l.tintAlpha).U32(l.horizonFactor).U32(l.amplitude).U32(l.bandHeight).I32(l.reflectionSize);
  out.U32(l.lakeColor).String(bumpGuid).String("").U8(1);
}

void WriteWaterRing(DocumentWriter& out, const WaterRingDescription& w) {
  out.Header("DS_WaterRingLight", 2).U32(w.velocity).U32(w.stretch).U32(w.density).U32(w.strength);
  out.U32(w.damping).U32(w.depth).U32(w.dropRate).U32(w.specularLevel).U32(w.specularPower).I32(w.mode);
}

void WriteText(DocumentWriter& out, const TextDescription& t, const LinkKey& effect) {
  out.Header("DS_StaticTextConstructor", 1).I32(t.vertical).I32(t.horizontal).String(t.text);
  out.I32(t.fontHeight).U32(t.fontWeight).I32(t.italic).String(t.face);
  out.U32(t.fadeIn).U32(t.fadeOut).U32(t.hold).U32(t.delay);
  out.Header("DS_StatBaseFXCtrl", 2).F32(t.x).F32(t.y).F32(0.0f).U32(t.height).U32(t.width);
  out.Header("DS_BaseFXCtrl", 1);
  out.Header("DS_FXParticleSystemCtrl", 1).Link(effect.path, effect.stamp);
  out.Header("DS_BaseSpriteProp", 6);
  // The placed element: an empty pixel rectangle over the whole picture, normal speed.
  out.Header("DS_ViewObjCtrl", 2);
  for (int i = 0; i < 6; ++i) out.I32(0);
  out.F32(0.0f).F32(1.0f).F32(0.0f).F32(1.0f).U8(0).U32(50);
  out.Header("DS_ABObj_Constructor", 1).String("caption");
  // One opaque sprite of the text's colour; no pictures of its own, no strip animation.
  out.U32(1).U32(0).U32(0).I32(0).U32(t.color);
  out.F32(0.0f).F32(1.0f).F32(1.0f).F32(1.0f).F32(1.0f);
  out.Link("", 0).Link("", 0);
  out.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  out.I32(0).I32(0).I32(0).I32(0);
}

void WriteFire(DocumentWriter& out, const FireDescription& f, const std::string& guid) {
  out.Header("DS_FireFX", 2);
  for (const auto& corner : f.corners) out.F32(corner[0]).F32(corner[1]).F32(0.0f);
  out.U32(f.colorA).U32(f.colorB).I32(0);
  Library(out, kFirePatternId);
  Library(out, kFireNoiseId);
  out.I32(0).U32(f.density).U32(f.brightness).U32(f.textureRepeat);
  // The brush base: clock, drawn without the background, identity (no mask is kept under it), the
  // effect and the zoom.
  out.Header("DS_FX_Constructor", 2).U32(f.speed).I32(0).String(guid).String("fire").U8(1);
  Library(out, kFireEffectId).U32(50);
  out.Header("DS_ABObj_Constructor", 1).String("fire");
}

}  // namespace

void WriteLayer(DocumentWriter& out, const SlideDescription& slide, const LinkKey& picture, const std::string& bumpGuid) {
  switch (slide.layer) {
    case LayerKind::kPlain:
      break;
    case LayerKind::kMatrixCode:
      WriteMatrixCode(out, slide.matrixCode);
      break;
    case LayerKind::kGlassBall:
      WriteGlassBall(out, slide.glassBall, picture);
      break;
    case LayerKind::kLake:
      WriteLake(out, slide.lake, bumpGuid);
      break;
    case LayerKind::kWaterRing:
      WriteWaterRing(out, slide.waterRing);
      break;
  }
  WritePlainLayer(out, slide, picture);
}

void WriteObject(DocumentWriter& out, const ObjectDescription& object, const LinkKey& effect, const std::string& guid) {
  if (object.kind == ObjectDescription::Kind::kText)
    WriteText(out, object.text, effect);
  else
    WriteFire(out, object.fire, guid);
}

}  // namespace scene_writer
