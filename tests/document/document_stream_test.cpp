// The document reader: the primitive encodings, and what it does with input that does not fit.
#include <gtest/gtest.h>

#include <cstring>

#include "document/iof_reader.h"
#include "document/resource_record.h"
#include "document/stream_reads.h"
#include "tests/support/document_builder.h"

using docbuild::DocumentBuilder;
using docbuild::LengthForm;

namespace {

// A reader over an exact-size copy of a built document.
struct Reading {
  explicit Reading(const DocumentBuilder& doc) : bytes(doc.Document()), buffer(bytes.Data(), bytes.Size()) {}
  size_t Consumed() const { return static_cast<size_t>(buffer.cursor - bytes.Data()); }

  docbuild::ExactBuffer bytes;
  ResourceBuffer buffer;
  DS_IOF_R<ResourceBuffer> reader{&buffer};
  DS_IOF_Virtual* stream = &reader;
};

struct StringCase {
  const char* label;
  DocumentBuilder doc;
  std::u16string expected;
  size_t consumed;
};

std::u16string Units(size_t count) {
  std::u16string text;
  for (size_t i = 0; i < count; ++i) text += static_cast<char16_t>(u'a' + i % 26);
  return text;
}

TEST(DocumentStream, StringEncodings) {
  const std::u16string u254 = Units(254), u255 = Units(255), u70000 = Units(70000);
  StringCase cases[] = {
      {"L = 0 keeps the target", DocumentBuilder().StringHead(0, LengthForm::kByte), u"Arial", 4},
      {"L = FF, M = 0 keeps the target", DocumentBuilder().StringHead(0, LengthForm::kWord), u"Arial", 6},
      {"32-bit zero keeps the target", DocumentBuilder().StringHead(0, LengthForm::kDword), u"Arial", 10},
      {"254 units in the one-byte form", DocumentBuilder().String(u254), u254, 4 + 508},
      {"255 units need M", DocumentBuilder().String(u255), u255, 6 + 510},
      {"non-canonical FF 03 00", DocumentBuilder().String(u"abc", LengthForm::kWord), u"abc", 6 + 6},
      {"32-bit form", DocumentBuilder().String(u"xy", LengthForm::kDword), u"xy", 10 + 4},
      {"beyond 65534 units", DocumentBuilder().String(u70000), u70000, 10 + 140000},
      {"U+0000 at unit 3 cuts the value", DocumentBuilder().String(std::u16string(u"ab\0de", 5)), u"ab", 4 + 10},
      {"code units above 0x7F", DocumentBuilder().String(u"\u00e9\u4e2d"), u"\u00e9\u4e2d", 4 + 4},
  };
  for (StringCase& c : cases) {
    SCOPED_TRACE(c.label);
    Reading r(c.doc.U8(0x5A));
    ds_string target = u"Arial";
    r.stream->ReadString(&target);
    EXPECT_EQ(target, c.expected);
    EXPECT_EQ(r.Consumed(), c.consumed);
    BYTE next = 0;
    r.stream->ReadByte(&next);
    EXPECT_EQ(next, 0x5A);
    EXPECT_FALSE(r.stream->Failed());
  }
}

TEST(DocumentStream, FixedSizePrimitives) {
  DocumentBuilder doc;
  doc.Raw({6, 0, 0, 0, 0, 0, 0, 0}).I64(-2).I32(-7).U32(0xFFFFFFFF).U32(42).F32(1.5f).Point(-3, 9);
  doc.U8(0xAB).U8(2).U8(0);
  Reading r(doc);
  LONGLONG stamp = 0, negative = 0;
  INT i = 0;
  DWORD ulong = 0;
  UINT uint = 0;
  float f = 0;
  POINT point{};
  BYTE byte = 0;
  bool flag = false, cleared = true;
  r.stream->ReadInt64(&stamp);
  r.stream->ReadInt64(&negative);
  r.stream->ReadInt(&i);
  r.stream->ReadULong(&ulong);
  r.stream->ReadUInt(&uint);
  r.stream->ReadFloat(&f);
  r.stream->ReadPoint(&point);
  r.stream->ReadByte(&byte);
  r.stream->ReadBool(&flag);
  r.stream->ReadBool(&cleared);
  EXPECT_EQ(stamp, 6);
  EXPECT_EQ(negative, -2);
  EXPECT_EQ(i, -7);
  EXPECT_EQ(ulong, 0xFFFFFFFFu);
  EXPECT_EQ(uint, 42u);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(point.x, -3);
  EXPECT_EQ(point.y, 9);
  EXPECT_EQ(byte, 0xAB);
  // A stored 2 is a true flag and a valid bool.
  BYTE stored;
  std::memcpy(&stored, &flag, 1);
  EXPECT_EQ(stored, 1);
  EXPECT_FALSE(cleared);
  EXPECT_EQ(r.Consumed(), r.bytes.Size());
  EXPECT_FALSE(r.stream->Failed());
}

TEST(DocumentStream, HeaderOfTheResourceManagerTakesFortyBytes) {
  Reading r(DocumentBuilder().Header(u"DS_DocResManager", 3));
  ds_string name;
  DWORD version = 0;
  r.stream->ReadString(&name);
  r.stream->ReadULong(&version);
  EXPECT_EQ(name, u"DS_DocResManager");
  EXPECT_EQ(version, 3u);
  EXPECT_EQ(r.Consumed(), 40u);
}

TEST(DocumentStream, EmptyBlobTakesEightBytesAndDropsAnOldBlock) {
  Reading r(DocumentBuilder().Blob({}, u"").U8(0x11));
  ResourceRecord record;
  record.SetBytes(3, "abc");
  record.id = 7;
  record.library = u"lib.dll";
  r.stream->ReadBlob(&record);
  EXPECT_EQ(r.Consumed(), 8u);
  EXPECT_EQ(record.Bytes(), nullptr);
  EXPECT_EQ(record.Size(), 0u);
  EXPECT_EQ(record.id, 7);  // a blob leaves id and library alone
  EXPECT_EQ(record.library, u"lib.dll");
}

TEST(DocumentStream, ResourceRecordFieldOrder) {
  Reading r(DocumentBuilder().Resource({63, u"vaultkit.dll", {1, 2, 3}, u"fx.bin"}).Blob({9, 8}, u"b"));
  ResourceRecord record;
  record.SetBytes(5, "stale");
  r.stream->ReadResourceRecord(&record);
  EXPECT_EQ(record.id, 63);
  EXPECT_EQ(record.library, u"vaultkit.dll");
  ASSERT_EQ(record.Size(), 3u);
  EXPECT_EQ(std::memcmp(record.Bytes(), "\1\2\3", 3), 0);
  EXPECT_EQ(record.name, u"fx.bin");

  ResourceRecord blob;
  r.stream->ReadBlob(&blob);
  ASSERT_EQ(blob.Size(), 2u);
  EXPECT_EQ(blob.Bytes()[0], 9);
  EXPECT_EQ(blob.name, u"b");
  EXPECT_EQ(r.Consumed(), r.bytes.Size());
}

TEST(DocumentStream, FloatVectorAppends) {
  Reading r(DocumentBuilder().FloatVector({0.5f, 2.0f}));
  std::vector<float> times{9.0f};
  ReadFloatVector(&r.stream, &times);
  EXPECT_EQ(times, (std::vector<float>{9.0f, 0.5f, 2.0f}));
  EXPECT_FALSE(r.stream->Failed());
}

// Input that runs past the end: the stream fails, the target keeps its value, and nothing is
// allocated for the length or count that does not fit.
struct HostileCase {
  const char* label;
  DocumentBuilder doc;
};

TEST(DocumentStream, StringsPastTheEndFail) {
  HostileCase cases[] = {
      {"2^32 - 1 units", DocumentBuilder().StringHead(0xFFFFFFFF, LengthForm::kDword).U16(u'a')},
      {"one unit short", DocumentBuilder().StringHead(3).U16(u'a').U16(u'b')},
      {"cut inside its length field", DocumentBuilder().U8(0xFF).U16(0xFFFE).U8(0xFF).U8(0x10)},
  };
  for (HostileCase& c : cases) {
    SCOPED_TRACE(c.label);
    Reading r(c.doc);
    ds_string text = u"keep";
    r.stream->ReadString(&text);
    EXPECT_TRUE(r.stream->Failed());
    EXPECT_EQ(text, u"keep");
  }
}

TEST(DocumentStream, BlobsAndRecordsPastTheEndFail) {
  HostileCase cases[] = {
      {"blob larger than the document", DocumentBuilder().U32(0xFFFFFFF0).U32(0)},
      {"blob without its name", DocumentBuilder().U32(2).U8(1).U8(2)},
      {"record whose size runs past the end", DocumentBuilder().I32(5).String(u"lib").U32(100).U8(1)},
  };
  for (HostileCase& c : cases) {
    SCOPED_TRACE(c.label);
    for (bool asRecord : {false, true}) {
      Reading r(c.doc);
      ResourceRecord target;
      target.name = u"keep";
      target.SetBytes(1, "k");
      if (asRecord)
        r.stream->ReadResourceRecord(&target);
      else
        r.stream->ReadBlob(&target);
      EXPECT_TRUE(r.stream->Failed());
      EXPECT_EQ(target.name, u"keep");
      EXPECT_EQ(target.Size(), 1u);
      EXPECT_EQ(target.id, 0);
    }
  }
}

TEST(DocumentStream, FloatVectorWithACountPastTheEndFails) {
  Reading r(DocumentBuilder().U32(0x40000000).F32(1.0f));
  std::vector<float> values{3.0f};
  ReadFloatVector(&r.stream, &values);
  EXPECT_TRUE(r.stream->Failed());
  EXPECT_EQ(values, std::vector<float>{3.0f});
}

TEST(DocumentStream, CountMustFitItsEntries) {
  Reading r(DocumentBuilder().U32(3).U32(0).U32(0).U32(0).U32(2));
  EXPECT_EQ(ReadCount(&r.stream, 4), 3u);
  for (int i = 0; i < 3; ++i) {
    DWORD entry;
    r.stream->ReadULong(&entry);
  }
  EXPECT_EQ(ReadCount(&r.stream, 4), 0u);  // the remaining 4 bytes cannot hold 2 x 4
  EXPECT_TRUE(r.stream->Failed());
}

TEST(DocumentStream, FailureIsSticky) {
  Reading r(DocumentBuilder().U8(1).U32(77));
  DWORD value = 5;
  r.stream->ReadULong(&value);  // only 5 bytes: the first read takes 4 of them
  EXPECT_FALSE(r.stream->Failed());
  r.stream->ReadULong(&value);
  EXPECT_TRUE(r.stream->Failed());
  BYTE byte = 9;
  r.stream->ReadByte(&byte);  // one byte is left, but a failed stream reads nothing more
  EXPECT_EQ(byte, 9);
  ResourceBuffer none;
  DS_IOF_R<ResourceBuffer> empty(&none);
  INT i = 4;
  empty.ReadInt(&i);
  EXPECT_EQ(i, 4);
  EXPECT_TRUE(empty.Failed());
}

TEST(DocumentStream, WritesDoNothing) {
  Reading r(DocumentBuilder().U32(1));
  const DWORD value = 3;
  const ds_string text = u"x";
  r.stream->WriteULong(&value);
  r.stream->WriteString(&text);
  EXPECT_EQ(r.Consumed(), 0u);
}

TEST(ResourceRecordTest, CopiesOwnTheirBytes) {
  ResourceRecord original = ResourceRecord::ConstructForLibrary(20, u"vaultkit.dll");
  EXPECT_TRUE(original.name.empty());
  EXPECT_EQ(original.Bytes(), nullptr);
  original.SetBytes(2, "hi");
  ResourceRecord copy(original);
  original.SetBytes(1, "x");
  ASSERT_EQ(copy.Size(), 2u);
  EXPECT_EQ(std::memcmp(copy.Bytes(), "hi", 2), 0);
  EXPECT_EQ(copy.id, 20);

  copy.SetName(u"");  // equal name: nothing changes
  EXPECT_EQ(copy.Size(), 2u);
  copy.SetName(u"C:\\tmp\\song.mp3");  // a new name refers to another file
  EXPECT_EQ(copy.Bytes(), nullptr);
  EXPECT_EQ(copy.Size(), 0u);
}

TEST(ResourceRecordTest, FileNameOfPath) {
  EXPECT_EQ(FileNameOfPath(u"C:\\music\\song.mp3"), u"song.mp3");
  EXPECT_EQ(FileNameOfPath(u"song.mp3"), u"song.mp3");
  EXPECT_EQ(FileNameOfPath(u"C:\\music\\"), u"");
}

}  // namespace
