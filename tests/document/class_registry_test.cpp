// Class registries: names to readers, and what a read does with a name no registry holds.
#include <gtest/gtest.h>

#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "tests/support/document_builder.h"

namespace {

struct Call {
  const char* reader;
  DWORD version;
  DWORD field;
};
std::vector<Call> g_calls;

// Stands in for a registered class: reads one field and records the version it was handed.
template <class Base, class Result>
class ProbeReader final : public Base {
 public:
  explicit ProbeReader(const char* label) : label_(label) {}
  Result* Create(DS_IOF_Virtual** stream, DWORD version) const override {
    DWORD field = 0;
    (*stream)->ReadULong(&field);
    g_calls.push_back({label_, version, field});
    return nullptr;
  }

 private:
  const char* label_;
};

const ProbeReader<IOF_Virtual_ReaderII<DS_2D_Light>, DS_2D_Light> g_FlameProbe("flame light");
const ProbeReader<IOF_Virtual_ReaderII<DS_SlideContainer>, DS_SlideContainer> g_SlideProbe("slide");
const ProbeReader<IOF_Virtual_Reader, DS_ABObj_Constructor> g_FireProbe("fire brush");
const bool g_registered = RegisterReader(GetLightRegistry(), u"DS_FlameLight", g_FlameProbe) &&
                          RegisterReader(GetSlideRegistry(), u"DS_SlideContainer", g_SlideProbe) &&
                          RegisterReader(GetConstructorRegistry(), u"DS_FireFX", g_FireProbe);

struct Reading {
  explicit Reading(const docbuild::Bytes& doc) : bytes(doc), buffer(bytes.Data(), bytes.Size()) {}
  explicit Reading(const docbuild::DocumentBuilder& doc) : Reading(doc.Document()) {}
  docbuild::ExactBuffer bytes;
  ResourceBuffer buffer;
  DS_IOF_R<ResourceBuffer> reader{&buffer};
  DS_IOF_Virtual* stream = &reader;
};

enum class Registry { kLight, kSlide, kConstructor };

void ReadThrough(Registry registry, DS_IOF_Virtual** stream) {
  switch (registry) {
    case Registry::kLight: ReadLightByClassName(stream); break;
    case Registry::kSlide: ReadSlideByClassName(stream); break;
    case Registry::kConstructor: ReadConstructorByClassName(stream); break;
  }
}

struct LookupCase {
  const char16_t* name;
  Registry registry;
  const char* expectedReader;  // null: not found, the stream fails
};

TEST(ClassRegistry, LooksNamesUpInOneRegistryExactly) {
  ASSERT_TRUE(g_registered);
  const LookupCase cases[] = {
      {u"DS_FlameLight", Registry::kLight, "flame light"},
      {u"DS_FlameLight", Registry::kConstructor, nullptr},
      {u"ds_flamelight", Registry::kLight, nullptr},
      {u"DS_SlideContainer", Registry::kSlide, "slide"},
      {u"DS_FireFX", Registry::kConstructor, "fire brush"},
      {u"DS_FireFX", Registry::kSlide, nullptr},
      {u"", Registry::kConstructor, nullptr},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(c.name)));
    g_calls.clear();
    // The object's field, then a trailing value that a read out of step would take.
    Reading r(docbuild::DocumentBuilder().Header(c.name, 2).U32(77).U32(5));
    ReadThrough(c.registry, &r.stream);
    if (c.expectedReader) {
      ASSERT_EQ(g_calls.size(), 1u);
      EXPECT_STREQ(g_calls[0].reader, c.expectedReader);
      EXPECT_EQ(g_calls[0].version, 2u);
      EXPECT_EQ(g_calls[0].field, 77u);
      EXPECT_FALSE(r.stream->Failed());
    } else {
      EXPECT_TRUE(g_calls.empty());
      EXPECT_TRUE(r.stream->Failed());
      DWORD next = 0;
      r.stream->ReadULong(&next);
      EXPECT_EQ(next, 0u);  // nothing more is read after an unknown class
    }
  }
}

TEST(ClassRegistry, TheStoredVersionReachesTheReader) {
  g_calls.clear();
  Reading r(docbuild::DocumentBuilder().Header(u"DS_SlideContainer", 1).U32(0).Header(u"DS_SlideContainer", 2).U32(0));
  ReadSlideByClassName(&r.stream);
  ReadSlideByClassName(&r.stream);
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].version, 1u);
  EXPECT_EQ(g_calls[1].version, 2u);
}

TEST(ClassRegistry, ReaderRegisteredTwiceHasOneEntry) {
  const ProbeReader<IOF_Virtual_Reader, DS_ABObj_Constructor> probe("twice");
  ConstructorRegistry registry;
  RegisterReader(registry, u"DS_WavesFX", probe);
  RegisterReader(registry, u"DS_WavesFX", probe);
  RegisterReader(registry, u"DS_LightFX", probe);
  ASSERT_EQ(registry.size(), 1u);
  EXPECT_EQ(registry.begin()->second, &probe);
}

TEST(ClassRegistry, AHeaderCutShortReadsNoObject) {
  g_calls.clear();
  Reading r(docbuild::Truncated(docbuild::DocumentBuilder().Header(u"DS_FireFX", 1).Document(), 20));
  EXPECT_EQ(ReadConstructorByClassName(&r.stream), nullptr);
  EXPECT_TRUE(g_calls.empty());
  EXPECT_TRUE(r.stream->Failed());
}

}  // namespace
