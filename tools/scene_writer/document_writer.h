// The byte encodings of a scene document, for writing the sample scene at build time: little-endian
// without padding; a string is FF FE FF, a length (u8, then u16 when the u8 is 0xFF, then u32 when
// the u16 is 0xFFFF) and the UTF-16 code units; a float its IEEE single bits; an object header is a
// class-name string and a u32 version; a file link a path string and an i64 stamp; a resource record
// an i32 id, a library string and a blob: a u32 size, the bytes and a name string.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace scene_writer {

using Bytes = std::vector<uint8_t>;

class DocumentWriter {
 public:
  DocumentWriter& U8(uint8_t value);
  DocumentWriter& U32(uint32_t value);
  DocumentWriter& I32(int32_t value);
  DocumentWriter& I64(int64_t value);
  DocumentWriter& F32(float value);
  // ASCII text only: the scene description holds names and paths, nothing that needs more.
  DocumentWriter& String(std::string_view text);
  DocumentWriter& Header(std::string_view className, uint32_t version);
  DocumentWriter& Link(std::string_view path, int64_t stamp);
  DocumentWriter& Blob(const Bytes& bytes, std::string_view name);
  DocumentWriter& Record(int32_t id, std::string_view library, const Bytes& bytes, std::string_view name);

  const Bytes& bytes() const { return bytes_; }

 private:
  void Little(uint64_t value, int count);
  Bytes bytes_;
};

}  // namespace scene_writer
