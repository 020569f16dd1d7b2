#include "tests/support/document_builder.h"

#include <cstring>
#include <algorithm>
#include <stdexcept>

namespace docbuild {

Record Embedded(std::u16string name, Bytes bytes) { return {0, u"", std::move(bytes), std::move(name)}; }

Record LibraryCopy(int32_t id, std::u16string library, Bytes bytes) {
  return {id, std::move(library), std::move(bytes), u""};
}

DocumentBuilder& DocumentBuilder::U8(uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

DocumentBuilder& DocumentBuilder::U16(uint16_t value) {
  for (int i = 0; i < 2; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
  return *this;
}

DocumentBuilder& DocumentBuilder::U32(uint32_t value) {
  for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
  return *this;
}

DocumentBuilder& DocumentBuilder::I32(int32_t value) { return U32(static_cast<uint32_t>(value)); }

DocumentBuilder& DocumentBuilder::F32(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return U32(bits);
}

DocumentBuilder& DocumentBuilder::I64(int64_t value) {
  const auto bits = static_cast<uint64_t>(value);
  return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
}

DocumentBuilder& DocumentBuilder::Point(int32_t x, int32_t y) { return I32(x).I32(y); }

DocumentBuilder& DocumentBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

DocumentBuilder& DocumentBuilder::StringHead(uint32_t length, LengthForm form) {
  if (form == LengthForm::kShortest)
    form = length < 0xFF ? LengthForm::kByte : length < 0xFFFF ? LengthForm::kWord : LengthForm::kDword;
  U8(0xFF).U16(0xFFFE);
  switch (form) {
    case LengthForm::kByte:
      if (length >= 0xFF) throw std::invalid_argument("length does not fit the one-byte form");
      return U8(static_cast<uint8_t>(length));
    case LengthForm::kWord:
      if (length >= 0xFFFF) throw std::invalid_argument("length does not fit the 16-bit form");
      return U8(0xFF).U16(static_cast<uint16_t>(length));
    default:
      return U8(0xFF).U16(0xFFFF).U32(length);
  }
}

DocumentBuilder& DocumentBuilder::String(std::u16string_view text, LengthForm form) {
  StringHead(static_cast<uint32_t>(text.size()), form);
  for (char16_t unit : text) U16(unit);
  return *this;
}

DocumentBuilder& DocumentBuilder::Header(std::u16string_view className, uint32_t version) {
  return String(className).U32(version);
}

DocumentBuilder& DocumentBuilder::Blob(const Bytes& bytes, std::u16string_view name) {
  return U32(static_cast<uint32_t>(bytes.size())).Raw(bytes).String(name);
}

DocumentBuilder& DocumentBuilder::Resource(const Record& record) {
  return I32(record.id).String(record.library).Blob(record.bytes, record.name);
}

DocumentBuilder& DocumentBuilder::GuidText(uint32_t data1, uint16_t data2, uint16_t data3,
                                           const uint8_t (&data4)[8]) {
  static const char kHex[] = "0123456789ABCDEF";
  std::u16string text = u"{";
  auto hex = [&](uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += static_cast<char16_t>(kHex[(value >> shift) & 0xF]);
  };
  hex(data1, 8);
  text += u'-';
  hex(data2, 4);
  text += u'-';
  hex(data3, 4);
  text += u'-';
  hex(data4[0], 2);
  hex(data4[1], 2);
  text += u'-';
  for (int i = 2; i < 8; ++i) hex(data4[i], 2);
  text += u'}';
  return String(text);
}

DocumentBuilder& DocumentBuilder::Link(std::u16string_view path, int64_t stamp) { return String(path).I64(stamp); }

DocumentBuilder& DocumentBuilder::FloatVector(const std::vector<float>& values) {
  U32(static_cast<uint32_t>(values.size()));
  for (float value : values) F32(value);
  return *this;
}

DocumentBuilder& DocumentBuilder::FileTable(const std::vector<FileEntry>& entries) {
  U32(static_cast<uint32_t>(entries.size()));
  for (const FileEntry& entry : entries) {
    Link(entry.path, entry.stamp).U32(static_cast<uint32_t>(entry.records.size()));
    for (const Record& record : entry.records) Resource(record);
  }
  return *this;
}

DocumentBuilder& DocumentBuilder::FrameTimeTable(const std::vector<FrameTimeEntry>& entries) {
  U32(static_cast<uint32_t>(entries.size()));
  for (const FrameTimeEntry& entry : entries) Link(entry.path, entry.stamp).FloatVector(entry.times);
  return *this;
}

DocumentBuilder& DocumentBuilder::GuidBlobTable(const std::vector<GuidBlobEntry>& entries) {
  U32(static_cast<uint32_t>(entries.size()));
  for (const GuidBlobEntry& entry : entries)
    String(entry.guidText).String(entry.name).U8(entry.flag).Blob(entry.blob, entry.blobName);
  return *this;
}

DocumentBuilder& DocumentBuilder::DocResManager(uint32_t version, const std::vector<FileEntry>& images,
                                                const std::vector<FrameTimeEntry>& frameTimes,
                                                const std::vector<FileEntry>& others,
                                                const std::vector<GuidBlobEntry>& guidBlobs) {
  Header(u"DS_DocResManager", version).FileTable(images).FrameTimeTable(frameTimes);
  if (version != 1) FileTable(others);
  if (version != 1 && version != 2) GuidBlobTable(guidBlobs);
  return *this;
}

Bytes MinimalDocument() {
  DocumentBuilder doc;
  doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(0).U32(0);
  doc.DocResManager(1, {}, {}, {}, {});
  return doc.Document();
}

Bytes Truncated(const Bytes& document, size_t length) {
  return Bytes(document.begin(), document.begin() + static_cast<std::ptrdiff_t>(std::min(length, document.size())));
}

Bytes Corrupted(Bytes document, size_t offset, uint8_t value) {
  document.at(offset) = value;
  return document;
}

ExactBuffer::ExactBuffer(const Bytes& bytes)
    : data_(std::make_unique_for_overwrite<uint8_t[]>(bytes.size())), size_(bytes.size()) {
  if (size_) std::memcpy(data_.get(), bytes.data(), size_);
}

}  // namespace docbuild
