#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "slideshow/matrix_code_light.h"
#include "tests/support/document_builder.h"
#include "tests/support/write_log.h"

namespace {

using docbuild::WriteLog;

// The base part every matrix-code record ends with.
void BasePart(docbuild::DocumentBuilder& doc) {
  doc.Header(u"DS_2D_Light", 3).Link(u"pictures/city.jpg", 9);
  doc.Header(u"DSM_Camera", 2).I32(1).U32(130).U32(60).Link(u"frame.png", 4);
}

struct Fields {
  uint32_t cell, density, flicker;
  int32_t sparkle, displayMode, style;
  uint32_t normal, bright, brightness;
};

void MatrixFields(docbuild::DocumentBuilder& doc, const Fields& f) {
  doc.U32(f.cell).U32(f.density).U32(f.flicker).I32(f.sparkle).I32(f.displayMode).I32(f.style);
  doc.U32(f.normal).U32(f.bright).U32(f.brightness);
}

}  // namespace

// Version 1 has no glyph link (the default strip stays); version 2 has one. The base part follows.
TEST(MatrixCodeRecordTest, ReadsEachVersionThroughTheLightRegistry) {
  struct Case {
    uint32_t version;
    Fields fields;
    std::u16string glyphPath;
    int64_t glyphStamp;
    float opacity;
  };
  const Case cases[] = {
      {1, {8, 35, 12, 1, 1, 0, 0x0000FF00u, 0x00FFFFFFu, 40}, u"vaultkit.dll", 40, 0.6f},
      {2, {24, 95, 0, 0, 0, 1, 0x00112233u, 0x00445566u, 0}, u"glyphs/katakana.png", -7, 1.0f},
      {2, {0, 0, 4000000000u, -1, 5, 9, 0xFFFFFFFFu, 0u, 250}, u"glyphs/latin.png", 3, -1.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " cell " << c.fields.cell);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_MatrixCodeLight", c.version);
    MatrixFields(doc, c.fields);
    if (c.version >= 2) doc.Link(c.glyphPath, c.glyphStamp);
    BasePart(doc);
    doc.U32(0xC0FFEE);

    ResourceBuffer buffer(doc.Document().data(), doc.Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    std::unique_ptr<DS_2D_Light> read(ReadLightByClassName(&stream));
    DWORD next = 0;
    stream->ReadULong(&next);
    EXPECT_FALSE(stream->Failed());
    EXPECT_EQ(next, 0xC0FFEEu);
    auto* light = dynamic_cast<DS_MatrixCodeLight*>(read.get());
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->cellSize.value, c.fields.cell);
    EXPECT_EQ(light->density.value, c.fields.density);
    EXPECT_EQ(light->flickerCount.value, c.fields.flicker);
    EXPECT_EQ(light->sparkle.value, c.fields.sparkle);
    EXPECT_EQ(light->displayMode.value, c.fields.displayMode);
    EXPECT_EQ(light->columnStyle.value, c.fields.style);
    EXPECT_EQ(light->normalColor.value, c.fields.normal);
    EXPECT_EQ(light->brightColor.value, c.fields.bright);
    EXPECT_EQ(light->brightness.value, c.fields.brightness);
    EXPECT_NEAR(light->brightness.derived, c.opacity, 1e-5f);
    EXPECT_EQ(light->glyphLink.path, c.glyphPath);
    EXPECT_EQ(light->glyphLink.stamp, c.glyphStamp);
    EXPECT_EQ(light->pictureLink.path, u"pictures/city.jpg");
    EXPECT_EQ(light->pictureLink.stamp, 9);
    EXPECT_EQ(light->camera.zoom.value, 130u);
    EXPECT_EQ(light->camera.borderPicture.path, u"frame.png");
  }
}

TEST(MatrixCodeRecordTest, DefaultsOfANewLayer) {
  DS_MatrixCodeLight light;
  EXPECT_EQ(light.cellSize.value, 16u);
  EXPECT_EQ(light.density.value, 20u);
  EXPECT_EQ(light.flickerCount.value, 50u);
  EXPECT_EQ(light.sparkle.value, 0);
  EXPECT_EQ(light.displayMode.value, 0);
  EXPECT_EQ(light.columnStyle.value, 2);
  EXPECT_EQ(light.normalColor.value, 0u);
  EXPECT_EQ(light.brightColor.value, 0u);
  EXPECT_EQ(light.brightness.value, 0u);
  EXPECT_FLOAT_EQ(light.brightness.derived, 1.0f);
  EXPECT_EQ(light.glyphLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.glyphLink.stamp, 40);
  EXPECT_EQ(light.glyphBatch.ChunkCount(), 1u);
  EXPECT_EQ(light.glyphBatch.QuadCount(), 0u);
  EXPECT_EQ(light.scan.grid, nullptr);
  EXPECT_EQ(light.luminanceMap, nullptr);
}

TEST(MatrixCodeRecordTest, SavesVersionTwoWithTheBaseRecord) {
  DS_MatrixCodeLight light;
  light.cellSize = 12u;
  light.density = 33u;
  light.flickerCount = 7u;
  light.sparkle = 1;
  light.displayMode = 1;
  light.columnStyle = 0;
  light.normalColor = 0x0000FF00u;
  light.brightColor = 0x00FFFFFFu;
  light.brightness = 25u;
  light.glyphLink.path = u"glyphs.png";
  light.glyphLink.stamp = 5;
  light.pictureLink.path = u"city.jpg";
  light.pictureLink.stamp = 6;
  WriteLog log;
  DS_IOF_Virtual* stream = &log;
  EXPECT_TRUE(light.Save(&stream));
  const std::vector<std::string> expected = {
      "string DS_MatrixCodeLight", "ulong 2",      "uint 12",          "uint 33",       "uint 7",
      "int 1",                     "int 1",        "int 0",            "ulong 65280",   "ulong 16777215",
      "uint 25",                   "string glyphs.png", "int64 5",     "string DS_2D_Light", "ulong 3",
      "string city.jpg",           "int64 6",      "string DSM_Camera", "ulong 2",      "int 0",
      "uint 120",                  "uint 50",      "string vaultkit.dll", "int64 6"};
  EXPECT_EQ(log.entries, expected);
}

// A record cut anywhere fails the stream and never reads past the bytes it has.
TEST(MatrixCodeRecordTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_MatrixCodeLight", 2);
  MatrixFields(doc, {16, 20, 50, 0, 1, 2, 0x00FF00u, 0xFFFFFFu, 10});
  doc.Link(u"glyphs.png", 1);
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
