// The stored record every particle class ends with: which rows each version carries, what is written
// back, the opacity that follows the stored transparency, and old records' pictures turned into links
// when the render object is made.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/iof_reader.h"
#include "particle_fixture.h"
#include "render/particle_sprite_prop.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace particle_test {
namespace {

// A concrete description that keeps the base class's render object.
class PlainSprites : public DS_ParticleSystemCtrl {
 public:
  PlainSprites() = default;
  DS_ParticleSystemCtrl* Clone() const override { return new PlainSprites(*this); }

 private:
  PlainSprites(const PlainSprites&) = default;
};

struct Rows {
  uint32_t viewSpeed = 80;  // the speed of the placed-element record
  uint32_t count = 7, speed = 30, size = 24, transparency = 40;
  int32_t blend = 1;
  uint32_t color = 0x00336699u;
  float alphaRate = 0.75f, alphaMin = 0.125f, alphaMax = 0.875f, sizeMin = 0.5f, sizeMax = 2.5f;
  std::vector<docbuild::Record> legacyPictures;
  docbuild::Record legacyMask;
  std::u16string image = u"sprites/leaf.png", mask = u"sprites/leaf_mask.png";
  int64_t imageStamp = 11, maskStamp = -3;
  uint32_t reservedCount = 4;
  float reservedValue = 6.5f;
  uint32_t frames = 3;
  float frameRate = 12.0f;
  uint8_t strip = 1;
  std::vector<float> legacyTimes;
  int32_t imageMode = 1, vflip = 1, hflip = -2, refill = 5;
};

// The "DS_ViewObjCtrl" record, version 2.
void ViewPart(docbuild::DocumentBuilder& doc, uint32_t speed) {
  doc.Header(u"DS_ViewObjCtrl", 2).I32(10).I32(90).I32(20).I32(80).I32(0).I32(0);
  doc.F32(0.125f).F32(0.875f).F32(0.25f).F32(0.75f).U8(0).U32(speed);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"leaves");
}

// The record as each version stores it.
void SpriteRecord(docbuild::DocumentBuilder& doc, uint32_t version, const Rows& r) {
  doc.Header(u"DS_BaseSpriteProp", version);
  ViewPart(doc, r.viewSpeed);
  doc.U32(r.count);
  if (version <= 2) doc.U32(r.speed);
  doc.U32(r.size).U32(r.transparency).I32(r.blend).U32(r.color);
  doc.F32(r.alphaRate).F32(r.alphaMin).F32(r.alphaMax).F32(r.sizeMin).F32(r.sizeMax);
  if (version == 1) {
    doc.U32(uint32_t(r.legacyPictures.size()));
    for (const docbuild::Record& record : r.legacyPictures) doc.Resource(record);
    doc.Resource(r.legacyMask);
  } else {
    doc.Link(r.image, r.imageStamp).Link(r.mask, r.maskStamp);
  }
  doc.U32(r.reservedCount).F32(r.reservedValue).U32(r.frames).F32(r.frameRate).U8(r.strip);
  if (version == 1) {
    doc.FloatVector(r.legacyTimes);
    return;
  }
  if (version >= 4) doc.I32(r.imageMode);
  if (version >= 5) doc.I32(r.vflip).I32(r.hflip);
  if (version >= 6) doc.I32(r.refill);
}

// Reads the record with ReadBase and checks that the stream stops exactly at its end (before a
// marker that follows, unless the record is the whole input).
bool ReadRecord(const docbuild::Bytes& bytes, DS_BaseSpriteProp* d, bool* atEnd, bool marker = true) {
  docbuild::DocumentBuilder tail;
  tail.Raw(bytes);
  if (marker) tail.U32(0xC0FFEE);
  ResourceBuffer buffer(tail.Document().data(), tail.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  const bool read = d->ReadBase(&stream);
  DWORD next = 0;
  stream->ReadULong(&next);
  *atEnd = !stream->Failed() && next == 0xC0FFEEu;
  return read;
}

docbuild::Bytes Record(uint32_t version, const Rows& rows) {
  docbuild::DocumentBuilder doc;
  SpriteRecord(doc, version, rows);
  return doc.Document();
}

// Each version: the rows it stores are taken, those it lacks keep their defaults; the speed comes
// from the sprite rows in versions 1 and 2 and from the placed-element part afterwards.
TEST(SpriteDescriptionRecordTest, ReadsTheRowsOfEachVersion) {
  struct Case {
    uint32_t version;
    UINT speed;
    bool links;
    INT imageMode, vflip, hflip, refill;
  };
  const Case cases[] = {
      {1, 30, false, 0, 0, 0, 0}, {2, 30, true, 0, 0, 0, 0},  {3, 80, true, 0, 0, 0, 0},
      {4, 80, true, 1, 0, 0, 0},  {5, 80, true, 1, 1, -2, 0}, {6, 80, true, 1, 1, -2, 5},
  };
  const Rows rows;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version);
    PlainSprites d;
    bool atEnd = false;
    EXPECT_TRUE(ReadRecord(Record(c.version, rows), &d, &atEnd));
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(d.name, u"leaves");
    EXPECT_FLOAT_EQ(d.right, 0.875f);
    EXPECT_EQ(d.speed.value, c.speed);
    EXPECT_EQ(d.count.value, 7u);
    EXPECT_EQ(d.size.value, 24u);
    EXPECT_EQ(d.transparency.value, 40u);
    EXPECT_EQ(d.blendMode.value, 1);
    EXPECT_EQ(d.color.value, 0x00336699u);
    EXPECT_FLOAT_EQ(d.alphaRate, 0.75f);
    EXPECT_FLOAT_EQ(d.alphaMinimum, 0.125f);
    EXPECT_FLOAT_EQ(d.alphaMaximum, 0.875f);
    EXPECT_FLOAT_EQ(d.sizeFactorMinimum, 0.5f);
    EXPECT_FLOAT_EQ(d.sizeFactorMaximum, 2.5f);
    EXPECT_EQ(d.imageLink.path, c.links ? u"sprites/leaf.png" : u"");
    EXPECT_EQ(d.imageLink.stamp, c.links ? 11 : 0);
    EXPECT_EQ(d.maskLink.path, c.links ? u"sprites/leaf_mask.png" : u"");
    EXPECT_EQ(d.maskLink.stamp, c.links ? -3 : 0);
    EXPECT_EQ(d.reservedCount, 4u);
    EXPECT_FLOAT_EQ(d.reservedValue, 6.5f);
    EXPECT_EQ(d.frameCount, 3u);
    EXPECT_FLOAT_EQ(d.frameRate, 12.0f);
    EXPECT_TRUE(d.stripAnimation);
    EXPECT_EQ(d.imageMode, c.imageMode);
    EXPECT_EQ(d.verticalFlip.value, c.vflip);
    EXPECT_EQ(d.horizontalFlip.value, c.hflip);
    EXPECT_EQ(d.refillOnImageChange.value, c.refill);
  }
}

// Whatever version was read, the save writes version 6: the speed row's value goes into the
// placed-element part, the legacy rows are never written, and missing rows are written as defaults.
TEST(SpriteDescriptionRecordTest, SavesVersionSixWhateverWasRead) {
  Rows newer;
  Rows older = newer;  // what a record before version 4 leaves at the defaults
  older.imageMode = older.vflip = older.hflip = older.refill = 0;
  Rows v5 = newer;
  v5.refill = 0;
  Rows v2 = older;
  v2.viewSpeed = 30;
  Rows v1 = v2;  // unresolved: no links yet
  v1.image = v1.mask = u"";
  v1.imageStamp = v1.maskStamp = 0;
  Rows legacy;
  legacy.legacyPictures = {docbuild::Embedded(u"old.png", docbuild::Bytes{1, 2, 3})};
  legacy.legacyTimes = {1.0f};
  struct Case {
    uint32_t version;
    const Rows* read;
    const Rows* expected;
  };
  const Case cases[] = {
      {6, &newer, &newer}, {5, &newer, &v5}, {3, &newer, &older}, {2, &newer, &v2}, {1, &legacy, &v1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version);
    PlainSprites d;
    bool atEnd = false;
    ReadRecord(Record(c.version, *c.read), &d, &atEnd);
    ASSERT_TRUE(atEnd);
    docbuild::BuilderStream out;
    DS_IOF_Virtual* stream = &out;
    EXPECT_TRUE(d.Save(&stream));
    EXPECT_EQ(out.Written(), Record(6, *c.expected));
  }
}

// The stored transparency is set and notified: the maximum opacity follows, and the other observers
// hear of a change (and only of a change).
TEST(SpriteDescriptionRecordTest, TransparencyDerivesTheMaximumOpacity) {
  struct Counter : MediaControlT<MediaParamT<UINT>> {
    void OnChange(MediaControl*) override { ++calls; }
    int calls = 0;
  };
  struct Case {
    uint32_t stored;
    unsigned char opacity;
    int notified;
  };
  // 50: 255 - 127.5 truncated; 101: 255 - 257.55 = -2.55, truncated to -2, kept as its low byte.
  const Case cases[] = {{50, 127, 1}, {0, 255, 0}, {100, 0, 1}, {40, 153, 1}, {101, 254, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Rows rows;
    rows.transparency = c.stored;
    PlainSprites d;
    Counter counter;
    counter.Attach(&d.transparency);
    bool atEnd = false;
    ReadRecord(Record(6, rows), &d, &atEnd);
    EXPECT_EQ(d.transparency.derived, c.opacity);
    EXPECT_EQ(counter.calls, c.notified);
    counter.Attach(nullptr);
  }
}

TEST(SpriteDescriptionRecordTest, NextFrameWrapsAtTheFrameCount) {
  struct Case {
    UINT frames, current, next;
  };
  const Case cases[] = {{3, 2, 0}, {3, 0, 1}, {1, 0, 0}, {0, 0, 0}, {0, 5, 0}, {4, 7, 0}};
  for (const Case& c : cases) {
    PlainSprites d;
    d.frameCount = c.frames;
    EXPECT_EQ(d.NextFrame(c.current), c.next) << c.frames << " frames, current " << c.current;
  }
}

// A record that ends early, or whose legacy picture count is beyond what the document holds, fails
// the read and leaves nothing half-built behind.
TEST(SpriteDescriptionRecordTest, BrokenRecordsFailTheRead) {
  const docbuild::Bytes whole = Record(6, Rows{});
  for (size_t cut : {size_t{3}, whole.size() / 2, whole.size() - 1}) {
    SCOPED_TRACE(cut);
    PlainSprites d;
    bool atEnd = true;
    EXPECT_FALSE(ReadRecord(docbuild::Truncated(whole, cut), &d, &atEnd, false));
  }
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_BaseSpriteProp", 1);
  ViewPart(doc, 50);
  doc.U32(1).U32(50).U32(8).U32(0).I32(0).U32(0).F32(0).F32(0).F32(1).F32(1).F32(1);
  doc.U32(0xFFFFFFFFu);  // a picture count no document can hold
  PlainSprites d;
  bool atEnd = true;
  EXPECT_FALSE(ReadRecord(doc.Document(), &d, &atEnd, false));
  EXPECT_TRUE(d.legacyPictures.empty());
}

class SpriteDescriptionLinksTest : public ParticleSceneTest {
 protected:
  static docbuild::Record Picture(const char16_t* name, uint32_t rgb) {
    return docbuild::Embedded(name, doc_res_test::Png(2, 4, rgb));
  }
  // A version-1 description with two legacy pictures and the given mask.
  static std::unique_ptr<PlainSprites> Legacy(const docbuild::Record& mask) {
    Rows rows;
    rows.legacyPictures = {Picture(u"C:\\art\\drop0.png", 0xFF0000), Picture(u"C:\\art\\drop1.png", 0x00FF00)};
    rows.legacyMask = mask;
    rows.legacyTimes = {0.5f, 0.25f};
    auto d = std::make_unique<PlainSprites>();
    bool atEnd = false;
    ReadRecord(Record(1, rows), d.get(), &atEnd);
    EXPECT_TRUE(atEnd);
    return d;
  }
};

// A clone carries the legacy records along with every other field.
TEST_F(SpriteDescriptionLinksTest, CloneCopiesTheLegacyRecords) {
  auto d = Legacy(docbuild::LibraryCopy(12, u"vaultkit.dll", doc_res_test::Png(2, 2, 0x808080)));
  std::unique_ptr<DS_ParticleSystemCtrl> clone(d->Clone());
  ASSERT_EQ(clone->legacyPictures.size(), 2u);
  EXPECT_EQ(clone->legacyPictures[1].name, u"C:\\art\\drop1.png");
  EXPECT_EQ(clone->legacyPictures[1].Size(), d->legacyPictures[1].Size());
  EXPECT_EQ(clone->legacyFrameTimes, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_EQ(clone->legacyMask.id, 12);
  EXPECT_EQ(clone->reservedCount, 4u);
  EXPECT_FLOAT_EQ(clone->reservedValue, 6.5f);
  EXPECT_EQ(clone->transparency.derived, 153);
}

// The legacy pictures become one sequence with their frame times; a mask record with resource id 0
// is no mask. The object is made from the resolved description.
TEST_F(SpriteDescriptionLinksTest, CreateObjectTurnsLegacyPicturesIntoLinks) {
  auto d = Legacy(docbuild::Record{});
  std::unique_ptr<DS_ABObj> object(d->CreateObject());
  auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(object.get());
  ASSERT_NE(sprites, nullptr);
  EXPECT_EQ(d->imageLink.path, u"C:\\art\\drop0.png");
  TextureSet& set = *manager_->GetTextureSet(d->imageLink);
  ASSERT_EQ(set.textures.size(), 2u);
  EXPECT_EQ(set.frameTimes, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_FLOAT_EQ(set.aspect, 2.0f);
  ASSERT_EQ(sprites->textures.size(), 2u);
  EXPECT_EQ(sprites->textures[1].Get(), set.textures[1].Get());
  EXPECT_TRUE(d->maskLink.path.empty());
  EXPECT_FALSE(sprites->maskTexture);
  EXPECT_TRUE(d->legacyPictures.empty());
  EXPECT_TRUE(d->legacyFrameTimes.empty());
  EXPECT_EQ(sprites->description->imageLink.path, u"C:\\art\\drop0.png");
  EXPECT_TRUE(sprites->description->legacyPictures.empty());

  // A second object finds the links made: nothing is added again.
  const LONGLONG stamp = d->imageLink.stamp;
  std::unique_ptr<DS_ABObj> again(d->CreateObject());
  EXPECT_EQ(d->imageLink.stamp, stamp);
}

TEST_F(SpriteDescriptionLinksTest, LegacyMaskThatNamesAResourceBecomesTheMaskLink) {
  auto d = Legacy(docbuild::LibraryCopy(12, u"vaultkit.dll", doc_res_test::Png(2, 2, 0x808080)));
  std::unique_ptr<DS_ABObj> object(d->CreateObject());
  EXPECT_EQ(d->maskLink.path, u"vaultkit.dll");
  EXPECT_EQ(d->maskLink.stamp, 12);
  auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(object.get());
  ASSERT_NE(sprites, nullptr);
  EXPECT_TRUE(sprites->maskTexture);
}

// A description with an image path keeps its links, legacy records or not; one with neither keeps
// an empty link and its object draws without a picture.
TEST_F(SpriteDescriptionLinksTest, LinksAreLeftAloneWithAPathOrWithNothingToBuildFrom) {
  auto withPath = Legacy(docbuild::LibraryCopy(12, u"vaultkit.dll", doc_res_test::Png(2, 2, 0x808080)));
  withPath->imageLink = Image(u"wide.png");
  std::unique_ptr<DS_ABObj> first(withPath->CreateObject());
  EXPECT_EQ(withPath->imageLink.path, u"wide.png");
  EXPECT_TRUE(withPath->maskLink.path.empty());
  EXPECT_EQ(withPath->legacyPictures.size(), 2u);

  PlainSprites empty;
  empty.count = 2;
  std::unique_ptr<DS_ABObj> second(empty.CreateObject());
  auto* sprites = dynamic_cast<DS_SpriteArrayObj*>(second.get());
  ASSERT_NE(sprites, nullptr);
  EXPECT_TRUE(empty.imageLink.path.empty());
  RecordingLayer layer(log_);
  sprites->Render(layer);
  EXPECT_EQ(layer.spriteTexture, nullptr);
}

}  // namespace
}  // namespace particle_test
