// GUIDs in documents: their brace text, converted both ways, and fresh GUIDs from a source tests set.
#include <gtest/gtest.h>

#include <objbase.h>

#include "document/iof_reader.h"
#include "document/stream_reads.h"
#include "platform/com/guid_source.h"
#include "tests/support/document_builder.h"

namespace {

const GUID kSample{0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};

GUID Read(const docbuild::DocumentBuilder& doc, bool* failed = nullptr) {
  docbuild::ExactBuffer bytes(doc.Document());
  ResourceBuffer buffer(bytes.Data(), bytes.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  GUID guid{0xDEAD, 1, 2, {3}};
  ReadGuid(&stream, &guid);
  if (failed) *failed = stream->Failed();
  return guid;
}

TEST(GuidText, ReadsTheBraceForm) {
  const uint8_t data4[8] = {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9};
  EXPECT_EQ(Read(docbuild::DocumentBuilder().GuidText(0x0A1B2C3D, 0x4E5F, 0x6071, data4)), kSample);
  EXPECT_EQ(Read(docbuild::DocumentBuilder().String(u"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}")), kSample);
}

TEST(GuidText, TextThatDoesNotConvertGivesTheNullGuid) {
  const char16_t* texts[] = {
      u"",
      u"{",
      u"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
      u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
      u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}x",
      u"{0A1B2C3D-4E5F-6071-8293_A4B5C6D7E8F9}",
      u"{0A1B2C3G-4E5F-6071-8293-A4B5C6D7E8F9}",
  };
  for (const char16_t* text : texts) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(text)));
    GUID guid = kSample;
    EXPECT_EQ(CLSIDFromString(text, &guid), CO_E_CLASSSTRING);
    EXPECT_EQ(guid, GUID_NULL);
  }
  // Through the stream too the target becomes the null GUID, not left at its old value; the stream
  // itself is sound.
  bool failed = true;
  EXPECT_EQ(Read(docbuild::DocumentBuilder().String(u"not a guid"), &failed), GUID_NULL);
  EXPECT_FALSE(failed);
}

TEST(GuidText, StringFromGuid2WritesUpperCaseWithTerminator) {
  WCHAR buffer[39];
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 39), 39);
  EXPECT_EQ(std::u16string(buffer), u"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
  EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);
  GUID back;
  EXPECT_EQ(CLSIDFromString(buffer, &back), S_OK);
  EXPECT_EQ(back, kSample);
}

TEST(GuidText, CoCreateGuidTakesTheInstalledSource) {
  DWORD next = 1;
  com::SetGuidSource([&next] { return GUID{next++, 0, 0, {}}; });
  GUID a, b;
  CoCreateGuid(&a);
  CoCreateGuid(&b);
  EXPECT_EQ(a.Data1, 1u);
  EXPECT_EQ(b.Data1, 2u);
  com::SetGuidSource({});
  CoCreateGuid(&a);
  CoCreateGuid(&b);
  EXPECT_NE(a, b);
  EXPECT_EQ(a.Data3 >> 12, 4);  // a random GUID of version 4
}

}  // namespace
