#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "slideshow/glass_ball_light.h"
#include "tests/support/document_builder.h"
#include "tests/support/write_log.h"

namespace {

using docbuild::WriteLog;

struct Settings {
  uint32_t speed;
  int32_t x, y;
  uint32_t size, magnification;
  int32_t highlight, secondHighlight, stand, background, scroll;
  uint32_t top, bottom;
};

void GlassFields(docbuild::DocumentBuilder& doc, const Settings& s) {
  doc.Link(u"shine.png", 1).Link(u"shine2.png", -2).Link(u"stand.png", 3).Link(u"room.jpg", 4);
  doc.U32(s.speed).Point(s.x, s.y).U32(s.size).U32(s.magnification);
  doc.I32(s.highlight).I32(s.secondHighlight).I32(s.stand).I32(s.background).I32(s.scroll);
  doc.U32(s.top).U32(s.bottom);
  doc.Header(u"DS_2D_Light", 3).Link(u"slide.jpg", 7);
  doc.Header(u"DSM_Camera", 2).I32(0).U32(110).U32(40).Link(u"frame.png", 8);
}

std::unique_ptr<DS_2D_Light> ReadLight(const docbuild::Bytes& bytes, DWORD* after, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_2D_Light> light(ReadLightByClassName(&stream));
  stream->ReadULong(after);
  *failed = stream->Failed();
  return light;
}

}  // namespace

// The version is ignored: every version reads the same fields, and the base part follows.
TEST(GlassBallRecordTest, ReadsTheFieldsThroughTheLightRegistry) {
  struct Case {
    uint32_t version;
    Settings s;
    float speed;
  };
  const Case cases[] = {
      {1, {0, 0, 0, 100, 0, 1, 1, 0, 0, 3, 0, 0}, 1.0f},
      {7, {50, -120, 45, 250, 30, 0, 1, 1, 1, 1, 0x00FF8000u, 0x00102030u}, 2.0f},
      {0, {4000000000u, INT32_MIN, INT32_MAX, 0, 4000000000u, -1, 2, 5, 1, -7, 0xFFFFFFFFu, 1}, 8.0e7f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " speed " << c.s.speed);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_GlassBallLight", c.version);
    GlassFields(doc, c.s);
    doc.U32(0xC0FFEE);
    DWORD after = 0;
    bool failed = true;
    std::unique_ptr<DS_2D_Light> read = ReadLight(doc.Document(), &after, &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(after, 0xC0FFEEu);
    auto* light = dynamic_cast<DS_GlassBallLight*>(read.get());
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->highlightLink.path, u"shine.png");
    EXPECT_EQ(light->secondHighlightLink.stamp, -2);
    EXPECT_EQ(light->standLink.path, u"stand.png");
    EXPECT_EQ(light->backgroundLink.path, u"room.jpg");
    EXPECT_EQ(light->backgroundLink.stamp, 4);
    EXPECT_EQ(light->scrollSpeed.value, c.s.speed);
    EXPECT_FLOAT_EQ(light->scrollSpeed.derived, c.speed);
    EXPECT_EQ(light->spherePosition.value.x, c.s.x);
    EXPECT_EQ(light->spherePosition.value.y, c.s.y);
    EXPECT_EQ(light->sphereSize.value, c.s.size);
    EXPECT_EQ(light->magnification.value, c.s.magnification);
    EXPECT_EQ(light->highlightSwitch.value, c.s.highlight);
    EXPECT_EQ(light->secondHighlightSwitch.value, c.s.secondHighlight);
    EXPECT_EQ(light->standSwitch.value, c.s.stand);
    EXPECT_EQ(light->backgroundPictureSwitch.value, c.s.background);
    EXPECT_EQ(light->scrollMode.value, c.s.scroll);
    EXPECT_EQ(light->topColor.value, c.s.top);
    EXPECT_EQ(light->bottomColor.value, c.s.bottom);
    EXPECT_EQ(light->pictureLink.path, u"slide.jpg");
    EXPECT_EQ(light->camera.zoom.value, 110u);
    EXPECT_EQ(light->camera.borderPicture.path, u"frame.png");
  }
}

TEST(GlassBallRecordTest, DefaultsOfANewLayer) {
  DS_GlassBallLight light;
  EXPECT_EQ(light.highlightLink.path, u"vaultkit.dll");
  EXPECT_EQ(light.highlightLink.stamp, 58);
  EXPECT_EQ(light.secondHighlightLink.stamp, 59);
  EXPECT_EQ(light.standLink.stamp, 60);
  EXPECT_EQ(light.backgroundLink.stamp, 5);
  EXPECT_EQ(light.scrollSpeed.value, 0u);
  EXPECT_FLOAT_EQ(light.scrollSpeed.derived, 1.0f);
  EXPECT_EQ(light.spherePosition.value.x, 0);
  EXPECT_EQ(light.spherePosition.value.y, 0);
  EXPECT_EQ(light.sphereSize.value, 100u);
  EXPECT_EQ(light.magnification.value, 0u);
  EXPECT_EQ(light.highlightSwitch.value, 1);
  EXPECT_EQ(light.secondHighlightSwitch.value, 1);
  EXPECT_EQ(light.standSwitch.value, 0);
  EXPECT_EQ(light.backgroundPictureSwitch.value, 0);
  EXPECT_EQ(light.scrollMode.value, 3);
  EXPECT_EQ(light.topColor.value, 0u);
  EXPECT_EQ(light.bottomColor.value, 0u);
  EXPECT_FLOAT_EQ(light.cameraDistance, -600.0f);
  EXPECT_TRUE(light.HasPostEffect());
}

TEST(GlassBallRecordTest, SavesVersionOneWithTheBaseRecord) {
  DS_GlassBallLight light;
  light.highlightLink.path = u"a.png";
  light.highlightLink.stamp = 1;
  light.backgroundLink.path = u"room.jpg";
  light.scrollSpeed = 25u;
  light.spherePosition = POINT{-4, 9};
  light.sphereSize = 80u;
  light.magnification = 12u;
  light.standSwitch = 1;
  light.backgroundPictureSwitch = 1;
  light.scrollMode = 2;
  light.topColor = 0x000000FFu;
  light.bottomColor = 0x00FF0000u;
  light.pictureLink.path = u"slide.jpg";
  light.pictureLink.stamp = 6;
  WriteLog log;
  DS_IOF_Virtual* stream = &log;
  EXPECT_TRUE(light.Save(&stream));
  const std::vector<std::string> expected = {
      "string DS_GlassBallLight", "ulong 1",  "string a.png",        "int64 1",        "string vaultkit.dll",
      "int64 59",                 "string vaultkit.dll", "int64 60", "string room.jpg", "int64 5",
      "uint 25",                  "point -4 9", "uint 80",           "uint 12",        "int 1",
      "int 1",                    "int 1",    "int 1",               "int 2",          "ulong 255",
      "ulong 16711680",           "string DS_2D_Light", "ulong 3",   "string slide.jpg", "int64 6",
      "string DSM_Camera",        "ulong 2",  "int 0",               "uint 120",       "uint 50",
      "string vaultkit.dll",      "int64 6"};
  EXPECT_EQ(log.entries, expected);
}

// A record cut anywhere fails the stream and never reads past the bytes it has.
TEST(GlassBallRecordTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_GlassBallLight", 1);
  GlassFields(doc, {0, 1, 2, 100, 0, 1, 1, 0, 0, 3, 0, 0});
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
