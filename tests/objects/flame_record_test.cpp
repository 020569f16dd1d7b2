// The flame layer's stored record: defaults of a new layer, both versions read through the light
// registry, and what a save writes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "objects/flame_light.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

constexpr uint8_t kData4[8] = {2, 7, 1, 8, 2, 8, 1, 8};

struct LayerFields {
  int32_t fire = 0;
  int32_t distortion = 1;
  uint32_t height = 40;
  uint32_t fireSpeed = 75;  // version 1 only
  std::u16string bumpPath = u"heat/bump.png";
  int64_t bumpStamp = 3;
  std::u16string effectPath = u"heat/distort.fx";
  int64_t effectStamp = -2;
  uint32_t speed = 200, strength = 10, bumpScale = 100;
};

// A fire record of version 2 with its own colours, pictures and speed.
void FireRecord(docbuild::DocumentBuilder& doc) {
  doc.Header(u"DS_FireFX", 2);
  for (float v : {0.f, 10.f, 0.f, 0.f, 0.f, 0.f, 10.f, 10.f, 0.f, 10.f, 0.f, 0.f}) doc.F32(v);
  doc.U32(0x00112233).U32(0x00445566).I32(4);
  doc.Link(u"flames/pattern.png", 11).Link(u"flames/noise.png", 12).I32(5);
  doc.U32(120).U32(30).U32(300);
  doc.Header(u"DS_FX_Constructor", 2).U32(150).I32(0);
  doc.GuidText(0x31415926, 0x5358, 0x9793, kData4).String(u"").U8(1);
  doc.Link(u"flames/fire.fx", 13).U32(50);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"");
}

void BasePart(docbuild::DocumentBuilder& doc) {
  doc.Header(u"DS_2D_Light", 3).Link(u"pictures/hearth.jpg", 9);
  doc.Header(u"DSM_Camera", 2).I32(1).U32(130).U32(60).Link(u"frame.png", 4);
}

docbuild::Bytes FlameRecord(uint32_t version, const LayerFields& f = {}) {
  const bool current = version >= 2;
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_FlameLight", version).I32(f.fire).I32(f.distortion).U32(f.height);
  if (!current) doc.U32(f.fireSpeed);
  doc.Link(f.bumpPath, f.bumpStamp).Link(f.effectPath, f.effectStamp);
  doc.U32(f.speed).U32(f.strength).U32(f.bumpScale);
  if (current)
    FireRecord(doc);
  else
    doc.Link(u"old/a.png", 1).Link(u"old/b.png", 2);
  BasePart(doc);
  doc.U32(0xC0FFEE);
  return doc.Document();
}

// Reads through the light registry and checks that the record ended where the sentinel starts.
std::unique_ptr<DS_FlameLight> ReadRegistered(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_2D_Light> read(ReadLightByClassName(&stream));
  DWORD sentinel = 0;
  stream->ReadULong(&sentinel);
  EXPECT_FALSE(stream->Failed());
  EXPECT_EQ(sentinel, 0xC0FFEEu);
  return std::unique_ptr<DS_FlameLight>(dynamic_cast<DS_FlameLight*>(read.release()));
}

TEST(FlameRecordTest, NewLayerDefaults) {
  DS_FlameLight light;
  EXPECT_EQ(light.fireSwitch.value, 1);
  EXPECT_EQ(light.distortionSwitch.value, 1);
  EXPECT_TRUE(light.HasPostEffect());
  EXPECT_EQ(light.fireHeight.value, 0u);
  EXPECT_EQ(light.fire.patternLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.fire.patternLink.stamp, 7);
  EXPECT_EQ(light.fire.noiseLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.fire.noiseLink.stamp, 8);
  EXPECT_EQ(light.fire.effectLink.stamp, 92);
  EXPECT_EQ(light.distortion.bumpLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.distortion.bumpLink.stamp, 62);
  EXPECT_EQ(light.distortion.effectLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.distortion.effectLink.stamp, 63);
  EXPECT_EQ(light.distortion.speed.value, 50u);
  EXPECT_FLOAT_EQ(light.distortion.speed.derived, 0.05f);
  EXPECT_EQ(light.distortion.strength.value, 25u);
  EXPECT_FLOAT_EQ(light.distortion.strength.derived, 0.05f);
  EXPECT_EQ(light.distortion.bumpScale.value, 88u);
  EXPECT_FLOAT_EQ(light.distortion.bumpScale.derived, 0.208f);
  EXPECT_EQ(light.distortion.aspect, 1.0f);
  EXPECT_EQ(light.fireQuad.vertexBuffer.Get(), nullptr);
  EXPECT_EQ(light.fireQuad.primitiveType, D3DPT_TRIANGLESTRIP);
}

TEST(FlameRecordTest, Version2TakesTheStoredFireBrush) {
  auto light = ReadRegistered(FlameRecord(2));
  ASSERT_TRUE(light);
  EXPECT_EQ(light->fireSwitch.value, 0);
  EXPECT_EQ(light->distortionSwitch.value, 1);
  EXPECT_EQ(light->fireHeight.value, 40u);
  EXPECT_EQ(light->distortion.bumpLink.path, u"heat/bump.png");
  EXPECT_EQ(light->distortion.bumpLink.stamp, 3);
  EXPECT_EQ(light->distortion.effectLink.path, u"heat/distort.fx");
  EXPECT_EQ(light->distortion.effectLink.stamp, -2);
  // The values that feed derived values are told: their derived values follow.
  EXPECT_FLOAT_EQ(light->distortion.speed.derived, 0.2f);
  EXPECT_FLOAT_EQ(light->distortion.strength.derived, 0.02f);
  EXPECT_FLOAT_EQ(light->distortion.bumpScale.derived, 0.1f);
  // Every field of the stored brush, its pictures and effect link included.
  EXPECT_EQ(light->fire.colorA.value, 0x00112233u);
  EXPECT_EQ(light->fire.colorB.value, 0x00445566u);
  EXPECT_EQ(light->fire.patternLink.path, u"flames/pattern.png");
  EXPECT_EQ(light->fire.noiseLink.stamp, 12);
  EXPECT_EQ(light->fire.effectLink.path, u"flames/fire.fx");
  EXPECT_FLOAT_EQ(light->fire.speed.derived, 3.0f);
  EXPECT_FLOAT_EQ(light->fire.textureRepeat.derived, 3.0f);
  EXPECT_FLOAT_EQ(light->fire.quad.corners[2].value.x, 10.0f);
  EXPECT_EQ(light->fire.identity.guid.Data1, 0x31415926u);
  EXPECT_EQ(light->pictureLink.path, u"pictures/hearth.jpg");
  EXPECT_EQ(light->camera.zoom.value, 130u);
  EXPECT_EQ(light->camera.borderPicture.path, u"frame.png");
}

// Below 2 a record is read as version 1: the fire brush keeps its defaults and the layer's own
// pictures apart from its speed, and the two old links are skipped. Above 2 it is read as version 2.
TEST(FlameRecordTest, VersionsBelowTwoAreReadAsVersionOne) {
  for (uint32_t version : {0u, 1u}) {
    SCOPED_TRACE(testing::Message() << "version " << version);
    auto light = ReadRegistered(FlameRecord(version));
    ASSERT_TRUE(light);
    EXPECT_EQ(light->fire.speed.value, 75u);
    EXPECT_FLOAT_EQ(light->fire.speed.derived, 1.5f);
    EXPECT_EQ(light->fire.patternLink.stamp, 7);
    EXPECT_EQ(light->fire.noiseLink.stamp, 8);
    EXPECT_EQ(light->fire.colorA.value, 0x00FFFFu);
    EXPECT_EQ(light->fire.effectLink.stamp, 92);
    EXPECT_EQ(light->fireHeight.value, 40u);
    EXPECT_EQ(light->distortion.effectLink.path, u"heat/distort.fx");
    EXPECT_FLOAT_EQ(light->distortion.bumpScale.derived, 0.1f);
    EXPECT_EQ(light->pictureLink.path, u"pictures/hearth.jpg");
  }
  auto later = ReadRegistered(FlameRecord(9));
  ASSERT_TRUE(later);
  EXPECT_EQ(later->fire.colorA.value, 0x00112233u);
}

TEST(FlameRecordTest, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = FlameRecord(2);
  for (size_t length : {size_t(30), size_t(90), whole.size() - 5}) {
    SCOPED_TRACE(testing::Message() << "length " << length);
    const docbuild::Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
    docbuild::ExactBuffer exact(cut);
    ResourceBuffer buffer(exact.Data(), exact.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_2D_Light> read(ReadLightByClassName(&stream));
    EXPECT_TRUE(stream->Failed());
  }
}

// A save writes version 2, byte for byte as a hand-built record of the same values.
TEST(FlameRecordTest, SaveWritesVersionTwo) {
  auto light = ReadRegistered(FlameRecord(2));
  ASSERT_TRUE(light);
  docbuild::BuilderStream out;
  DS_IOF_Virtual* stream = &out;
  ASSERT_TRUE(light->Save(&stream));
  docbuild::Bytes expected = FlameRecord(2);
  expected.resize(expected.size() - 4);  // without the sentinel
  EXPECT_EQ(out.doc.Document(), expected);
}

}  // namespace
