// Builds scene documents byte by byte for tests, independently of the system's own reading and saving
// code (a mistake made the same way in both would cancel out in a round trip).
//
//   docbuild::DocumentBuilder doc;
//   doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(0).U32(0);
//   doc.DocResManager(3, {{u"a.jpg", 1, {docbuild::Embedded(u"a.jpg", jpegBytes)}}}, {}, {}, {});
//   ResourceBuffer buffer(doc.Document().data(), doc.Size());
//
// Encodings: everything little-endian without padding; a string is FF FE FF, a length L (u8), M (u16)
// when L is 0xFF, N (u32) when M is 0xFFFF, then the UTF-16 code units; a blob is a u32 size, the
// bytes and a name string; a resource record an i32 id, a library string and a blob; a link a path
// string and an i64 stamp; an object header a class-name string and a u32 version.
//
// For malformed documents: StringHead writes a string's marker and a length with no text after it,
// Truncated and Corrupted change a finished document, and ExactBuffer copies one into a heap block of
// exactly its size so that AddressSanitizer reports any read past its end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace docbuild {

using Bytes = std::vector<uint8_t>;

// Which length field a string uses. kShortest picks the smallest form that holds the length; the
// others force a form (a non-canonical one too: kWord with length 3 gives FF 03 00).
enum class LengthForm { kShortest, kByte, kWord, kDword };

struct Record {
  int32_t id = 0;
  std::u16string library;
  Bytes bytes;
  std::u16string name;
};

// A file embedded by the authoring tool: id 0, no library, named by its original path.
Record Embedded(std::u16string name, Bytes bytes);
// A copy of resource `id` of `library`, without a name.
Record LibraryCopy(int32_t id, std::u16string library, Bytes bytes);

// An entry of the image-file or other-file table.
struct FileEntry {
  std::u16string path;
  int64_t stamp = 0;
  std::vector<Record> records;
};

struct FrameTimeEntry {
  std::u16string path;
  int64_t stamp = 0;
  std::vector<float> times;
};

struct GuidBlobEntry {
  std::u16string guidText;  // normally the 38-character brace form; anything else tests bad input
  std::u16string name;
  uint8_t flag = 1;
  Bytes blob;
  std::u16string blobName;
};

class DocumentBuilder {
 public:
  DocumentBuilder& U8(uint8_t value);
  DocumentBuilder& U16(uint16_t value);
  DocumentBuilder& U32(uint32_t value);
  DocumentBuilder& I32(int32_t value);
  DocumentBuilder& F32(float value);
  DocumentBuilder& I64(int64_t value);
  // A point: signed 32-bit x, then y.
  DocumentBuilder& Point(int32_t x, int32_t y);
  DocumentBuilder& Raw(const Bytes& bytes);

  DocumentBuilder& String(std::u16string_view text, LengthForm form = LengthForm::kShortest);
  // Only the marker and the length field: the code units (if any) are up to the caller.
  DocumentBuilder& StringHead(uint32_t length, LengthForm form = LengthForm::kShortest);
  DocumentBuilder& Header(std::u16string_view className, uint32_t version);
  DocumentBuilder& Blob(const Bytes& bytes, std::u16string_view name = u"");
  DocumentBuilder& Resource(const Record& record);
  // A GUID as its upper-case brace text, Data1 first (as a number), then Data2, Data3 and the 8 bytes.
  DocumentBuilder& GuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t (&data4)[8]);
  DocumentBuilder& Link(std::u16string_view path, int64_t stamp);
  DocumentBuilder& FloatVector(const std::vector<float>& values);

  // The resource manager's tables.
  DocumentBuilder& FileTable(const std::vector<FileEntry>& entries);
  DocumentBuilder& FrameTimeTable(const std::vector<FrameTimeEntry>& entries);
  DocumentBuilder& GuidBlobTable(const std::vector<GuidBlobEntry>& entries);
  // Header "DS_DocResManager" with `version`, then the tables that version stores (others unless
  // version 1, GUID blobs unless version 1 or 2).
  DocumentBuilder& DocResManager(uint32_t version, const std::vector<FileEntry>& images,
                                 const std::vector<FrameTimeEntry>& frameTimes,
                                 const std::vector<FileEntry>& others,
                                 const std::vector<GuidBlobEntry>& guidBlobs);

  const Bytes& Document() const { return bytes_; }
  size_t Size() const { return bytes_.size(); }

 private:
  Bytes bytes_;
};

// The smallest complete document: header "KVT v 4.0.0", "DS_SlideShow_Light" 1, no slides, no audio
// files, a version-1 manager with empty tables.
Bytes MinimalDocument();

// The first `length` bytes.
Bytes Truncated(const Bytes& document, size_t length);
// The byte at `offset` replaced by `value`.
Bytes Corrupted(Bytes document, size_t offset, uint8_t value);

class ExactBuffer {
 public:
  explicit ExactBuffer(const Bytes& bytes);
  const uint8_t* Data() const { return data_.get(); }
  size_t Size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_;
};

}  // namespace docbuild
