// A document cut at every offset, or with one byte corrupted, is never read outside its bytes and a
// cut one always ends with the stream failed. Run under AddressSanitizer this checks the bounds.
#include <gtest/gtest.h>

#include <string_view>

#include "document/class_registry.h"
#include "document/file_link.h"
#include "document/iof_reader.h"
#include "document/media_quad.h"
#include "document/media_rectangle.h"
#include "document/resource_record.h"
#include "document/stream_reads.h"
#include "tests/support/document_builder.h"

namespace {

using docbuild::LengthForm;

// A registered class of the sample: a link and a count.
class SampleReader final : public IOF_Virtual_Reader {
 public:
  DS_ABObj_Constructor* Create(DS_IOF_Virtual** stream, DWORD) const override {
    DS_FileLink3 link;
    ReadFileLink(stream, &link);
    DWORD count = 0;
    (*stream)->ReadULong(&count);
    return nullptr;
  }
};
const SampleReader g_SampleReader;
const bool g_SampleRegistered = RegisterReader(GetConstructorRegistry(), u"SweepSample", g_SampleReader);

// Where the sample keeps its counts and sizes (each a u32 whose top byte is at offset + 3).
struct CountOffsets {
  size_t entries = 0, recordSize = 0, floats = 0, blobSize = 0;
  size_t classNameText = 0, classNameBytes = 0;  // the code units of the registered class's name
};

docbuild::Bytes SampleDocument(CountOffsets* offsets = nullptr) {
  CountOffsets at;
  docbuild::DocumentBuilder doc;
  doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1);
  doc.String(u"word form", LengthForm::kWord).String(u"dword form", LengthForm::kDword);
  at.classNameText = doc.Size() + 4;
  at.classNameBytes = 2 * std::u16string_view(u"SweepSample").size();
  doc.Header(u"SweepSample", 1).Link(u"vaultkit.dll", 63).U32(2);
  at.entries = doc.Size();
  doc.U32(2);  // two entries of a table
  for (int i = 0; i < 2; ++i) {
    doc.Link(u"C:\\photos\\a.jpg", i + 1).U32(1).I32(0).String(u"");
    if (i == 0) at.recordSize = doc.Size();
    doc.Blob({1, 2, 3, 4}, u"C:\\photos\\a.jpg");
    if (i == 0) at.floats = doc.Size();
    doc.FloatVector({0.5f, 1.5f});
  }
  const uint8_t data4[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  doc.GuidText(0x12345678, 0x9ABC, 0xDEF0, data4).U8(1);
  at.blobSize = doc.Size();
  doc.Blob({9, 9, 9}, u"blob");
  doc.I32(1).I32(2).I32(3).I32(4).I32(5).I32(6);
  for (int i = 0; i < 12; ++i) doc.F32(static_cast<float>(i));
  doc.I64(-9).F32(2.5f).Point(-1, 7).U8(2);
  if (offsets) *offsets = at;
  return doc.Document();
}

struct Sample {
  ds_string header, className, word, dword;
  DWORD version = 0;
  std::vector<ResourceRecord> records;
  std::vector<float> times;
  GUID guid{};
  bool flag = false;
  ResourceRecord blob;
  MediaRectangle rectangle;
  MediaQuad quad;
  LONGLONG stamp = 0;
  float f = 0;
  POINT point{};
  BYTE byte = 0;
};

void ReadSample(DS_IOF_Virtual** stream, Sample* s) {
  (*stream)->ReadString(&s->header);
  (*stream)->ReadString(&s->className);
  (*stream)->ReadULong(&s->version);
  (*stream)->ReadString(&s->word);
  (*stream)->ReadString(&s->dword);
  ReadConstructorByClassName(stream);
  const DWORD entries = ReadCount(stream, 16);
  for (DWORD i = 0; i < entries && !(*stream)->Failed(); ++i) {
    DS_FileLink3 key;
    ReadFileLink(stream, &key);
    const DWORD records = ReadCount(stream, 12);
    for (DWORD j = 0; j < records; ++j) {
      ResourceRecord record;
      (*stream)->ReadResourceRecord(&record);
      s->records.push_back(std::move(record));
    }
    ReadFloatVector(stream, &s->times);
  }
  ReadGuid(stream, &s->guid);
  (*stream)->ReadBool(&s->flag);
  (*stream)->ReadBlob(&s->blob);
  ReadMediaRectangle(stream, &s->rectangle);
  ReadMediaQuad(stream, &s->quad);
  (*stream)->ReadInt64(&s->stamp);
  (*stream)->ReadFloat(&s->f);
  (*stream)->ReadPoint(&s->point);
  (*stream)->ReadByte(&s->byte);
}

struct Outcome {
  bool failed;
  bool consumedAll;
};

Outcome Read(const docbuild::Bytes& document, Sample* sample) {
  docbuild::ExactBuffer bytes(document);
  ResourceBuffer buffer(bytes.Data(), bytes.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ReadSample(&stream, sample);
  return {stream->Failed(), buffer.cursor == bytes.Data() + bytes.Size()};
}

TEST(TruncationSweep, TheWholeDocumentReads) {
  ASSERT_TRUE(g_SampleRegistered);
  Sample s;
  const Outcome outcome = Read(SampleDocument(), &s);
  EXPECT_FALSE(outcome.failed);
  EXPECT_TRUE(outcome.consumedAll);
  EXPECT_EQ(s.header, u"KVT v 4.0.0");
  EXPECT_EQ(s.dword, u"dword form");
  ASSERT_EQ(s.records.size(), 2u);
  EXPECT_EQ(s.records[1].Size(), 4u);
  EXPECT_EQ(s.times.size(), 4u);
  EXPECT_EQ(s.guid.Data1, 0x12345678u);
  EXPECT_EQ(s.blob.name, u"blob");
  EXPECT_EQ(s.rectangle.centreY.value, 6);
  EXPECT_EQ(s.quad.corners[3].value.z, 11.0f);
  EXPECT_EQ(s.stamp, -9);
  EXPECT_EQ(s.point.y, 7);
  EXPECT_EQ(s.byte, 2);
}

TEST(TruncationSweep, EveryCutFails) {
  const docbuild::Bytes document = SampleDocument();
  for (size_t length = 0; length < document.size(); ++length) {
    Sample s;
    ASSERT_TRUE(Read(docbuild::Truncated(document, length), &s).failed) << "cut at " << length;
  }
}

TEST(TruncationSweep, CorruptBytesStayInBounds) {
  CountOffsets at;
  const docbuild::Bytes document = SampleDocument(&at);
  // Any byte may be corrupt: a value (a float, a character) reads as something else, a length or a
  // count reads as another one; AddressSanitizer checks that nothing outside the document is read.
  for (size_t offset = 0; offset < document.size(); ++offset) {
    for (uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
      Sample s;
      Read(docbuild::Corrupted(document, offset, value), &s);
    }
  }
  // A corrupt class name names no registered class: the read stops there.
  for (size_t offset = at.classNameText; offset < at.classNameText + at.classNameBytes; ++offset) {
    Sample s;
    EXPECT_TRUE(Read(docbuild::Corrupted(document, offset, 0x01), &s).failed) << "offset " << offset;
    EXPECT_TRUE(s.records.empty());
  }
  // A count or size made huge fails, with nothing allocated for it.
  for (size_t countAt : {at.entries, at.recordSize, at.floats, at.blobSize}) {
    Sample s;
    EXPECT_TRUE(Read(docbuild::Corrupted(document, countAt + 3, 0xFF), &s).failed) << "offset " << countAt;
  }
}

}  // namespace
