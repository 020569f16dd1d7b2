#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "slideshow/light_2d.h"
#include "tests/support/document_builder.h"
#include "tests/support/write_log.h"

namespace {

using docbuild::WriteLog;

struct ReadResult {
  std::unique_ptr<DS_2D_Light> light;
  bool failed = false;
  DWORD next = 0;  // the value stored after the record: the stream must stand right there
};

ReadResult ReadLight(const docbuild::Bytes& bytes) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ReadResult result;
  result.light.reset(ReadLightByClassName(&stream));
  stream->ReadULong(&result.next);
  result.failed = stream->Failed();
  return result;
}

}  // namespace

// A layer is always stored in the newest form: its picture link, then a whole camera record.
TEST(Light2DRecordTest, SavesVersionThreeWithAWholeCameraRecord) {
  DS_2D_Light light;
  light.pictureLink.path = u"pictures/lake.jpg";
  light.pictureLink.stamp = 77;
  light.camera.enabled = 1;
  light.camera.zoom.SetAndNotify(150);
  light.camera.speed.SetAndNotify(75);
  light.camera.borderPicture.path = u"frame.png";
  light.camera.borderPicture.stamp = -3;
  WriteLog log;
  DS_IOF_Virtual* stream = &log;
  EXPECT_TRUE(light.Save(&stream));
  const std::vector<std::string> expected = {
      "string DS_2D_Light", "ulong 3",  "string pictures/lake.jpg", "int64 77", "string DSM_Camera", "ulong 2",
      "int 1",              "uint 150", "uint 75",                  "string frame.png", "int64 -3"};
  EXPECT_EQ(log.entries, expected);
}

// Version 1 holds neither picture nor camera, version 2 the picture, version 3 both; the camera
// record has its border picture from its own version 2.
TEST(Light2DRecordTest, ReadsEachVersionsFields) {
  struct Case {
    uint32_t version, cameraVersion;
    std::u16string path;
    int64_t stamp;
    int enabled;
    UINT zoom, speed;
    std::u16string borderPath;
    int64_t borderStamp;
  };
  const Case cases[] = {
      {1, 0, u"vaultkit.dll", 5, 0, 120, 50, u"vaultkit.dll", 6},
      {2, 0, u"pictures/lake.jpg", 77, 0, 120, 50, u"vaultkit.dll", 6},
      {3, 1, u"pictures/lake.jpg", 77, 1, 150, 100, u"vaultkit.dll", 6},
      {3, 2, u"pictures/lake.jpg", 77, 1, 150, 100, u"frame.png", -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << " camera " << c.cameraVersion);
    docbuild::DocumentBuilder doc;
    doc.Header(u"DS_2D_Light", c.version);
    if (c.version >= 2) doc.Link(c.path, c.stamp);
    if (c.version >= 3) {
      doc.Header(u"DSM_Camera", c.cameraVersion).I32(c.enabled).U32(c.zoom).U32(c.speed);
      if (c.cameraVersion >= 2) doc.Link(c.borderPath, c.borderStamp);
    }
    doc.U32(0xC0FFEE);
    const ReadResult read = ReadLight(doc.Document());
    ASSERT_TRUE(read.light);
    EXPECT_FALSE(read.failed);
    EXPECT_EQ(read.next, 0xC0FFEEu);
    const DS_2D_Light& light = *read.light;
    EXPECT_EQ(light.pictureLink.path, c.path);
    EXPECT_EQ(light.pictureLink.stamp, c.stamp);
    EXPECT_EQ(light.camera.enabled.value, c.enabled);
    EXPECT_EQ(light.camera.zoom.value, c.zoom);
    EXPECT_FLOAT_EQ(light.camera.zoom.derived, 0.01f * float(c.zoom));
    EXPECT_EQ(light.camera.speed.value, c.speed);
    EXPECT_FLOAT_EQ(light.camera.speed.derived, 0.02f * float(c.speed));
    EXPECT_EQ(light.camera.mode.value, 0);
    EXPECT_EQ(light.camera.borderPicture.path, c.borderPath);
    EXPECT_EQ(light.camera.borderPicture.stamp, c.borderStamp);
  }
}

// A record cut anywhere fails the stream and still gives a layer (or none) without crashing.
TEST(Light2DRecordTest, TruncatedRecordFailsTheStream) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_2D_Light", 3).Link(u"a.jpg", 1).Header(u"DSM_Camera", 2).I32(1).U32(130).U32(60).Link(u"b.png", 2);
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
