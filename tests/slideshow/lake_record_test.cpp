#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "platform/com/guid_source.h"
#include "slideshow/lake_light.h"
#include "tests/support/document_builder.h"

namespace {

constexpr uint8_t kTail[8] = {0x8A, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD};
const GUID kStoredGuid = {0x1234ABCDu, 0x5678, 0x9ABC, {0x8A, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}};

void BasePart(docbuild::DocumentBuilder& doc) {
  doc.Header(u"DS_2D_Light", 3).Link(u"pictures/shore.jpg", 12);
  doc.Header(u"DSM_Camera", 2).I32(1).U32(110).U32(40).Link(u"frame.png", 4);
}

struct Tuning {
  uint32_t tiling, speed, height, size, tint, horizon, amplitude, band;
  int32_t reflection;
  uint32_t color;
};

void TuningFields(docbuild::DocumentBuilder& doc, const Tuning& t) {
  doc.U32(t.tiling).U32(t.speed).U32(t.height).U32(t.size).U32(t.tint).U32(t.horizon).U32(t.amplitude).U32(t.band);
  doc.I32(t.reflection).U32(t.color);
}

// Everything after the tuning values: GUID, text, flag and the base part.
void TailFields(docbuild::DocumentBuilder& doc, std::u16string_view text, uint8_t flag) {
  doc.GuidText(0x1234ABCDu, 0x5678, 0x9ABC, kTail).String(text).U8(flag);
  BasePart(doc);
}

std::unique_ptr<DS_2D_Light> ReadLight(const docbuild::DocumentBuilder& doc, DWORD* after) {
  ResourceBuffer buffer(doc.Document().data(), doc.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_2D_Light> light(ReadLightByClassName(&stream));
  stream->ReadULong(after);
  EXPECT_FALSE(stream->Failed());
  return light;
}

// Puts every written value into a document builder, so that what the layer saves can be compared
// with a document built by hand; reads nothing.
class BuilderWriter final : public DS_IOF_Virtual {
 public:
  void WriteResourceRecord(const ResourceRecord*) override { ADD_FAILURE() << "no resource record expected"; }
  void WriteBlob(const ResourceRecord*) override { ADD_FAILURE() << "no blob expected"; }
  void WriteString(const ds_string* value) override { doc.String(*value); }
  void WriteInt64(const LONGLONG* value) override { doc.I64(*value); }
  void WriteFloat(const float* value) override { doc.F32(*value); }
  void WritePoint(const POINT* value) override { doc.Point(value->x, value->y); }
  void WriteULong(const DWORD* value) override { doc.U32(*value); }
  void WriteUInt(const UINT* value) override { doc.U32(*value); }
  void WriteByte(const BYTE* value) override { doc.U8(*value); }
  void WriteBool(const bool* value) override { doc.U8(*value ? 1 : 0); }
  void WriteInt(const INT* value) override { doc.I32(*value); }
  void ReadResourceRecord(ResourceRecord*) override {}
  void ReadBlob(ResourceRecord*) override {}
  void ReadString(ds_string*) override {}
  void ReadInt64(LONGLONG*) override {}
  void ReadFloat(float*) override {}
  void ReadPoint(POINT*) override {}
  void ReadULong(DWORD*) override {}
  void ReadUInt(UINT*) override {}
  void ReadByte(BYTE*) override {}
  void ReadBool(bool*) override {}
  void ReadInt(INT*) override {}
  bool Failed() const override { return false; }
  void Fail() override {}
  bool Holds(uint64_t) const override { return false; }

  docbuild::DocumentBuilder doc;
};

}  // namespace

TEST(LakeRecordTest, DefaultsOfANewLayer) {
  FakeLake2D lake;
  EXPECT_EQ(lake.bumpTiling.value, 100u);
  EXPECT_FLOAT_EQ(lake.bumpTiling.derived, 1.0f);
  EXPECT_EQ(lake.waveSpeed.value, 50u);
  EXPECT_FLOAT_EQ(lake.waveSpeed.derived, 1.0f);
  EXPECT_EQ(lake.lakeHeight.value, 25u);
  EXPECT_FLOAT_EQ(lake.lakeHeight.derived, 0.375f);
  EXPECT_EQ(lake.sizeValue.value, 100u);
  EXPECT_EQ(lake.tintAlpha.value, 31u);
  EXPECT_FLOAT_EQ(lake.tintAlpha.derived, 0.248f);
  EXPECT_EQ(lake.horizonFactor.value, 58u);
  EXPECT_FLOAT_EQ(lake.horizonFactor.derived, 0.58f);
  EXPECT_EQ(lake.amplitude.value, 25u);
  EXPECT_EQ(lake.bandHeight.value, 7u);
  EXPECT_EQ(lake.reflectionSize.value, 1);
  EXPECT_EQ(lake.lakeColor.value, 0x408000u);
  EXPECT_TRUE(lake.text.empty());
  EXPECT_TRUE(lake.storedFlag);
  EXPECT_TRUE(lake.bumpPending);
  EXPECT_FALSE(lake.bumpTexture);
}

// Each new layer asks for a GUID of its own for its bump texture.
TEST(LakeRecordTest, EachLayerTakesAFreshGuid) {
  uint32_t next = 40;
  com::SetGuidSource([&next] { return GUID{next++, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}; });
  FakeLake2D first, second;
  com::SetGuidSource(nullptr);
  EXPECT_EQ(first.bumpGuid, (GUID{40, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}));
  EXPECT_EQ(second.bumpGuid, (GUID{41, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}}));
}

// Version 2 carries the tuning values, whose derived values follow; version 1 keeps every default
// and still reads GUID, text, flag and the base part.
TEST(LakeRecordTest, ReadsEachVersionThroughTheLightRegistry) {
  struct Case {
    uint32_t version;
    Tuning tuning;  // what a version-2 record stores; for version 1, the defaults expected
    std::u16string text;
    uint8_t flag;
    float tiling, speed, height, tint, horizon;
  };
  const Case cases[] = {
      {2, {250, 100, 0, 40, 125, 100, 60, 12, 2, 0x00112233u}, u"evening", 0, 2.5f, 2.0f, 0.5f, 1.0f, 1.0f},
      {2, {0, 0, 100, 0, 0, 0, 0, 0, -3, 0xFFFFFFFFu}, u"", 1, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
      // A flag byte other than 0 or 1 still means set.
      {2, {100, 50, 300, 100, 31, 58, 25, 7, 9, 0}, u"far", 7, 1.0f, 1.0f, -1.0f, 0.248f, 0.58f},
      {1, {100, 50, 25, 100, 31, 58, 25, 7, 1, 0x408000u}, u"old lake", 1, 1.0f, 1.0f, 0.375f, 0.248f, 0.58f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " height " << c.tuning.height);
    docbuild::DocumentBuilder doc;
    doc.Header(u"FakeLake2D", c.version);
    if (c.version >= 2) TuningFields(doc, c.tuning);
    TailFields(doc, c.text, c.flag);
    doc.U32(0xC0FFEE);

    DWORD after = 0;
    std::unique_ptr<DS_2D_Light> read = ReadLight(doc, &after);
    EXPECT_EQ(after, 0xC0FFEEu);
    auto* lake = dynamic_cast<FakeLake2D*>(read.get());
    ASSERT_NE(lake, nullptr);
    EXPECT_EQ(lake->bumpTiling.value, c.tuning.tiling);
    EXPECT_EQ(lake->waveSpeed.value, c.tuning.speed);
    EXPECT_EQ(lake->lakeHeight.value, c.tuning.height);
    EXPECT_EQ(lake->sizeValue.value, c.tuning.size);
    EXPECT_EQ(lake->tintAlpha.value, c.tuning.tint);
    EXPECT_EQ(lake->horizonFactor.value, c.tuning.horizon);
    EXPECT_EQ(lake->amplitude.value, c.tuning.amplitude);
    EXPECT_EQ(lake->bandHeight.value, c.tuning.band);
    EXPECT_EQ(lake->reflectionSize.value, c.tuning.reflection);
    EXPECT_EQ(lake->lakeColor.value, c.tuning.color);
    EXPECT_NEAR(lake->bumpTiling.derived, c.tiling, 1e-6f);
    EXPECT_NEAR(lake->waveSpeed.derived, c.speed, 1e-6f);
    EXPECT_NEAR(lake->lakeHeight.derived, c.height, 1e-6f);
    EXPECT_NEAR(lake->tintAlpha.derived, c.tint, 1e-6f);
    EXPECT_NEAR(lake->horizonFactor.derived, c.horizon, 1e-6f);
    EXPECT_EQ(lake->bumpGuid, kStoredGuid);
    EXPECT_EQ(lake->text, c.text);
    EXPECT_EQ(lake->storedFlag, c.flag != 0);
    EXPECT_EQ(lake->pictureLink.path, u"pictures/shore.jpg");
    EXPECT_EQ(lake->pictureLink.stamp, 12);
    EXPECT_EQ(lake->camera.zoom.value, 110u);
    EXPECT_EQ(lake->camera.borderPicture.path, u"frame.png");
  }
}

// A GUID text that does not convert gives the null GUID; the rest of the record still reads.
TEST(LakeRecordTest, UnreadableGuidTextGivesTheNullGuid) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"FakeLake2D", 1).String(u"{not a guid}").String(u"x").U8(1);
  BasePart(doc);
  doc.U32(0xC0FFEE);
  DWORD after = 0;
  std::unique_ptr<DS_2D_Light> read = ReadLight(doc, &after);
  auto* lake = dynamic_cast<FakeLake2D*>(read.get());
  ASSERT_NE(lake, nullptr);
  EXPECT_EQ(lake->bumpGuid, GUID_NULL);
  EXPECT_EQ(lake->text, u"x");
  EXPECT_EQ(after, 0xC0FFEEu);
}

// A record cut anywhere fails the stream and never reads past the bytes it has.
TEST(LakeRecordTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"FakeLake2D", 2);
  TuningFields(doc, {100, 50, 25, 100, 31, 58, 25, 7, 1, 0x408000u});
  TailFields(doc, u"lake", 1);
  const docbuild::Bytes whole = doc.Document();
  for (size_t length = 0; length < whole.size(); ++length) {
    const docbuild::ExactBuffer exact(docbuild::Truncated(whole, length));
    ResourceBuffer buffer(exact.Data(), exact.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_2D_Light> light(ReadLightByClassName(&stream));
    DWORD after = 0;
    stream->ReadULong(&after);
    EXPECT_TRUE(stream->Failed()) << length;
  }
}

// What the layer saves is version 2, byte for byte the document an author's tool would write, and
// it reads back as the same layer.
TEST(LakeRecordTest, SavesVersionTwoAndReadsItBack) {
  FakeLake2D lake;
  lake.bumpTiling = 300u;
  lake.waveSpeed = 20u;
  lake.lakeHeight = 10u;
  lake.sizeValue = 55u;
  lake.tintAlpha = 90u;
  lake.horizonFactor = 5u;
  lake.amplitude = 3u;
  lake.bandHeight = 0u;
  lake.reflectionSize = -1;
  lake.lakeColor = 0x00CC8844u;
  lake.bumpGuid = kStoredGuid;
  lake.text = u"dusk";
  lake.storedFlag = false;
  lake.pictureLink.path = u"pictures/shore.jpg";
  lake.pictureLink.stamp = 12;
  lake.camera.enabled = 1;
  lake.camera.zoom = 110u;
  lake.camera.speed = 40u;
  lake.camera.borderPicture.path = u"frame.png";
  lake.camera.borderPicture.stamp = 4;

  BuilderWriter writer;
  DS_IOF_Virtual* stream = &writer;
  EXPECT_TRUE(lake.Save(&stream));

  docbuild::DocumentBuilder expected;
  expected.Header(u"FakeLake2D", 2);
  TuningFields(expected, {300, 20, 10, 55, 90, 5, 3, 0, -1, 0x00CC8844u});
  TailFields(expected, u"dusk", 0);
  EXPECT_EQ(writer.doc.Document(), expected.Document());

  DWORD after = 0;
  writer.doc.U32(7);
  std::unique_ptr<DS_2D_Light> read = ReadLight(writer.doc, &after);
  auto* back = dynamic_cast<FakeLake2D*>(read.get());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->lakeHeight.value, 10u);
  EXPECT_NEAR(back->lakeHeight.derived, 0.45f, 1e-6f);
  EXPECT_EQ(back->reflectionSize.value, -1);
  EXPECT_EQ(back->bumpGuid, kStoredGuid);
  EXPECT_EQ(after, 7u);
}
