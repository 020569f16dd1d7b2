// Every stored particle class, read from each shorter prefix of a complete record: the read stops
// with the stream failed, never reads past the end and never crashes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/objects/particle_class_fixture.h"

namespace particle_class_test {
namespace {

struct Stored {
  const char16_t* name;
  std::function<void(docbuild::DocumentBuilder&)> fields;  // everything after the outer header
};

void FlowFields(docbuild::DocumentBuilder& doc) {
  doc.U32(30).U32(5).U32(2).F32(80.0f).I32(2);
  for (int i = 0; i < 4; ++i) doc.Header(u"DS_BoundControl", 1).I32(i % 3).U32(100).U32(200).U32(10).U32(20);
  SpriteRecord(doc, SpriteRows{});
}

void FishFields(docbuild::DocumentBuilder& doc) {
  doc.F32(60.0f).F32(30.0f);
  SpriteRecord(doc, SpriteRows{});
}

TEST_F(ParticleClassTest, EveryPrefixOfARecordFailsCleanly) {
  const Stored classes[] = {
      {u"DS_FlowConstructor", FlowFields},
      {u"DS_RainConstructor", [](docbuild::DocumentBuilder& d) { d.Header(u"DS_FlowConstructor", 4), FlowFields(d); }},
      {u"DS_GodRayConstructor", [](docbuild::DocumentBuilder& d) { d.U32(80), SpriteRecord(d, SpriteRows{}); }},
      {u"DS_SparkleConstructor", [](docbuild::DocumentBuilder& d) { SpriteRecord(d, SpriteRows{}); }},
      {u"DS_FogConstructor", FishFields},
      {u"DS_FishConstructor", FishFields},
      {u"DS_BirdConstructor", [](docbuild::DocumentBuilder& d) { d.Header(u"DS_FishConstructor", 1), FishFields(d); }},
      {u"DS_GhostConstructor", [](docbuild::DocumentBuilder& d) { d.Header(u"DS_FishConstructor", 1), FishFields(d); }},
  };
  for (const Stored& c : classes) {
    docbuild::DocumentBuilder doc;
    doc.Header(c.name, c.name == std::u16string_view(u"DS_FlowConstructor") ? 4 : 1);
    c.fields(doc);
    const docbuild::Bytes& whole = doc.Document();
    bool consumedAll = false;
    ASSERT_NE(ReadObject(whole, &consumedAll), nullptr);
    ASSERT_TRUE(consumedAll);
    for (size_t length = 0; length < whole.size(); ++length) {
      ReadObject(docbuild::Truncated(whole, length), &consumedAll);
      ASSERT_FALSE(consumedAll) << "a prefix of " << length << " bytes read as complete";
    }
  }
}

}  // namespace
}  // namespace particle_class_test
