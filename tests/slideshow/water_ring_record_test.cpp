#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "slideshow/water_ring_light.h"
#include "tests/support/document_builder.h"
#include "tests/support/write_log.h"

namespace {

using docbuild::WriteLog;

void BasePart(docbuild::DocumentBuilder& doc) {
  doc.Header(u"DS_2D_Light", 3).Link(u"pictures/pond.jpg", 12);
  doc.Header(u"DSM_Camera", 2).I32(1).U32(110).U32(40).Link(u"frame.png", 4);
}

std::unique_ptr<DS_2D_Light> ReadLight(const docbuild::Bytes& bytes, uint32_t* after) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_2D_Light> light(ReadLightByClassName(&stream));
  DWORD next = 0;
  stream->ReadULong(&next);
  EXPECT_FALSE(stream->Failed());
  *after = next;
  return light;
}

}  // namespace

TEST(WaterRingRecordTest, DefaultsOfANewLayer) {
  DS_WaterRingLight light;
  EXPECT_EQ(light.waterMode.value, 0);
  EXPECT_FALSE(light.HasPostEffect());
  EXPECT_EQ(light.velocityValue.value, 0u);
  EXPECT_EQ(light.stretchValue.value, 0u);
  EXPECT_EQ(light.densityValue.value, 0u);
  EXPECT_EQ(light.strengthValue.value, 50u);
  EXPECT_EQ(light.dampingValue.value, 50u);
  EXPECT_EQ(light.depthValue.value, 20u);
  EXPECT_FLOAT_EQ(light.dropRate.derived, 0.5f);
  EXPECT_FLOAT_EQ(light.specularLevel.derived, 0.9f);
  EXPECT_FLOAT_EQ(light.specularPower.derived, 40.0f);
  ASSERT_NE(light.grid, nullptr);
  EXPECT_EQ(light.grid->cells.size(), 0u);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(light.world, identity);
  EXPECT_EQ(light.projection, identity);
}

TEST(WaterRingRecordTest, ReadsEachVersionThroughTheLightRegistry) {
  struct Case {
    uint32_t version;
    uint32_t values[6];  // velocity, stretch, density, strength, damping, depth
    uint32_t rate, level, power;
    int32_t mode;
    float dropsPerSecond, specular, shininess;
  };
  const Case cases[] = {
      // Version 1 carries only the mode: everything else keeps its default.
      {1, {0, 0, 0, 50, 50, 20}, 30, 90, 50, 1, 0.5f, 0.9f, 40.0f},
      {2, {10, 25, 50, 80, 99, 35}, 120, 40, 100, 0, 2.0f, 0.4f, 80.0f},
      {2, {4000000000u, 0, 0, 0, 0, 0}, 0, 0, 0, -3, 0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " rate " << c.rate);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_WaterRingLight", c.version);
    if (c.version >= 2) {
      for (uint32_t value : c.values) doc.U32(value);
      doc.U32(c.rate).U32(c.level).U32(c.power);
    }
    doc.I32(c.mode);
    BasePart(doc);
    doc.U32(0xC0FFEE);

    uint32_t after = 0;
    std::unique_ptr<DS_2D_Light> read = ReadLight(doc.Document(), &after);
    EXPECT_EQ(after, 0xC0FFEEu);
    auto* light = dynamic_cast<DS_WaterRingLight*>(read.get());
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->velocityValue.value, c.values[0]);
    EXPECT_EQ(light->stretchValue.value, c.values[1]);
    EXPECT_EQ(light->densityValue.value, c.values[2]);
    EXPECT_EQ(light->strengthValue.value, c.values[3]);
    EXPECT_EQ(light->dampingValue.value, c.values[4]);
    EXPECT_EQ(light->depthValue.value, c.values[5]);
    EXPECT_EQ(light->waterMode.value, c.mode);
    EXPECT_EQ(light->HasPostEffect(), c.mode == 1);
    // The scaled values were told, so their derived values follow what was read.
    EXPECT_FLOAT_EQ(light->dropRate.derived, c.dropsPerSecond);
    EXPECT_FLOAT_EQ(light->specularLevel.derived, c.specular);
    EXPECT_FLOAT_EQ(light->specularPower.derived, c.shininess);
    EXPECT_EQ(light->pictureLink.path, u"pictures/pond.jpg");
    EXPECT_EQ(light->camera.zoom.value, 110u);
  }
}

TEST(WaterRingRecordTest, SavesVersionTwoWithTheBaseRecord) {
  DS_WaterRingLight light;
  light.velocityValue = 1u;
  light.stretchValue = 2u;
  light.densityValue = 3u;
  light.strengthValue = 4u;
  light.dampingValue = 5u;
  light.depthValue = 6u;
  light.dropRate = 7u;
  light.specularLevel = 8u;
  light.specularPower = 9u;
  light.waterMode = 1;
  light.pictureLink.path = u"pond.jpg";
  light.pictureLink.stamp = 6;
  WriteLog log;
  DS_IOF_Virtual* stream = &log;
  EXPECT_TRUE(light.Save(&stream));
  const std::vector<std::string> expected = {
      "string DS_WaterRingLight", "ulong 2", "uint 1", "uint 2", "uint 3", "uint 4", "uint 5", "uint 6", "uint 7",
      "uint 8", "uint 9", "int 1", "string DS_2D_Light", "ulong 3", "string pond.jpg", "int64 6", "string DSM_Camera",
      "ulong 2", "int 0", "uint 120", "uint 50", "string vaultkit.dll", "int64 6"};
  EXPECT_EQ(log.entries, expected);
}

TEST(WaterRingRecordTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_WaterRingLight", 2);
  for (uint32_t value : {0u, 0u, 0u, 50u, 50u, 20u, 30u, 90u, 50u}) doc.U32(value);
  doc.I32(1);
  BasePart(doc);
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
