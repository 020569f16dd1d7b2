#include "byte_stream.h"

#include <stdexcept>

#include "document/resource_record.h"
#include "library.h"

namespace scene_writer {

namespace {

// The scene's texts are ASCII; anything else has no place in a description written by hand.
std::string Narrow(const ds_string& text) {
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) throw std::runtime_error("a stored text is not ASCII");
    narrow.push_back(static_cast<char>(c));
  }
  return narrow;
}

Bytes BytesOf(const ResourceRecord& record) {
  return record.Bytes() ? Bytes(record.Bytes(), record.Bytes() + record.Size()) : Bytes{};
}

}  // namespace

void ByteStream::WriteResourceRecord(const ResourceRecord* value) {
  out_.Record(value->id, Narrow(value->library), BytesOf(*value), Narrow(value->name));
  Written();
}

void ByteStream::WriteBlob(const ResourceRecord* value) {
  out_.Blob(BytesOf(*value), Narrow(value->name));
  Written();
}

void ByteStream::WriteString(const ds_string* value) {
  const std::string text = Narrow(*value);
  out_.String(text);
  const bool library = text == kLibrary;
  Written();
  afterLibrary_ = library;
}

void ByteStream::WriteInt64(const LONGLONG* value) {
  if (afterLibrary_) libraryIds_.insert(*value);
  out_.I64(*value);
  Written();
}

void ByteStream::WriteFloat(const float* value) {
  out_.F32(*value);
  Written();
}

void ByteStream::WritePoint(const POINT* value) {
  out_.I32(value->x).I32(value->y);
  Written();
}

void ByteStream::WriteULong(const DWORD* value) {
  out_.U32(*value);
  Written();
}

void ByteStream::WriteUInt(const UINT* value) {
  out_.U32(*value);
  Written();
}

void ByteStream::WriteByte(const BYTE* value) {
  out_.U8(*value);
  Written();
}

void ByteStream::WriteBool(const bool* value) {
  out_.U8(*value ? 1 : 0);
  Written();
}

void ByteStream::WriteInt(const INT* value) {
  out_.I32(*value);
  Written();
}

}  // namespace scene_writer
