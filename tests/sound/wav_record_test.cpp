#include <gtest/gtest.h>

#include <memory>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "sound/wav_constructor.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {

docbuild::Bytes Record(uint32_t ctrlVersion) {
  docbuild::DocumentBuilder doc;
  doc.Header(u"DS_WAV_Constructor", 1).Link(u"C:\\sounds\\owl.wav", 0x1122334455667788);
  doc.Header(u"DS_Sound_Ctrl", ctrlVersion).U32(35).U32(80).I32(-2).U32(4).U32(9);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"owl");
  return doc.Document();
}

std::unique_ptr<DS_WAV_Constructor> Read(const docbuild::Bytes& bytes, bool* failed) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
  *failed = stream->Failed();
  auto* sound = dynamic_cast<DS_WAV_Constructor*>(object.get());
  if (sound) object.release();
  return std::unique_ptr<DS_WAV_Constructor>(sound);
}

// Either version of the "DS_Sound_Ctrl" level holds the same five fields.
TEST(WavRecord, BothControllerVersionsReadTheSameFields) {
  for (uint32_t version : {1u, 2u}) {
    SCOPED_TRACE(version);
    bool failed = true;
    auto sound = Read(Record(version), &failed);
    ASSERT_NE(sound, nullptr);
    EXPECT_FALSE(failed);
    EXPECT_EQ(sound->file.path, u"C:\\sounds\\owl.wav");
    EXPECT_EQ(sound->file.stamp, 0x1122334455667788);
    EXPECT_EQ(sound->volume.value, 35u);
    EXPECT_EQ(sound->balance.value, 80u);
    EXPECT_EQ(sound->mode.value, -2);
    EXPECT_EQ(sound->minimumInterval.value, 4u);
    EXPECT_EQ(sound->maximumInterval.value, 9u);
    EXPECT_EQ(sound->name, u"owl");
    EXPECT_EQ(sound->buffer, nullptr);
  }
}

// A record cut anywhere fails the stream and never crashes.
TEST(WavRecord, TruncatedRecordFailsTheStream) {
  const docbuild::Bytes whole = Record(2);
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    bool failed = false;
    Read(docbuild::Truncated(whole, length), &failed);
    EXPECT_TRUE(failed);
  }
}

// The defaults of a new description.
TEST(WavRecord, Defaults) {
  DS_WAV_Constructor sound;
  EXPECT_EQ(sound.volume.value, 100u);
  EXPECT_EQ(sound.balance.value, 50u);
  EXPECT_EQ(sound.mode.value, 0);
  EXPECT_EQ(sound.minimumInterval.value, 0u);
  EXPECT_EQ(sound.maximumInterval.value, 5u);
  EXPECT_TRUE(sound.file.path.empty());
  EXPECT_EQ(sound.nextTrigger, 0.0f);
}

}  // namespace
