#include "document_writer.h"

#include <bit>
#include <stdexcept>

namespace scene_writer {

void DocumentWriter::Little(uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

DocumentWriter& DocumentWriter::U8(uint8_t value) {
  Little(value, 1);
  return *this;
}

DocumentWriter& DocumentWriter::F32(float value) {
  Little(std::bit_cast<uint32_t>(value), 4);
  return *this;
}

DocumentWriter& DocumentWriter::U32(uint32_t value) {
  Little(value, 4);
  return *this;
}

DocumentWriter& DocumentWriter::I32(int32_t value) {
  Little(static_cast<uint32_t>(value), 4);
  return *this;
}

DocumentWriter& DocumentWriter::I64(int64_t value) {
  Little(static_cast<uint64_t>(value), 8);
  return *this;
}

DocumentWriter& DocumentWriter::String(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) throw std::runtime_error("not ASCII: " + std::string(text));
  }
  bytes_.insert(bytes_.end(), {0xFF, 0xFE, 0xFF});
  const size_t length = text.size();
  if (length < 0xFF) {
    Little(length, 1);
  } else if (length < 0xFFFF) {
    Little(0xFF, 1);
    Little(length, 2);
  } else {
    Little(0xFF, 1);
    Little(0xFFFF, 2);
    Little(length, 4);
  }
  for (char c : text) Little(static_cast<unsigned char>(c), 2);
  return *this;
}

DocumentWriter& DocumentWriter::Header(std::string_view className, uint32_t version) {
  return String(className).U32(version);
}

DocumentWriter& DocumentWriter::Link(std::string_view path, int64_t stamp) { return String(path).I64(stamp); }

DocumentWriter& DocumentWriter::Blob(const Bytes& bytes, std::string_view name) {
  U32(static_cast<uint32_t>(bytes.size()));
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return String(name);
}

DocumentWriter& DocumentWriter::Record(int32_t id, std::string_view library, const Bytes& bytes,
                                       std::string_view name) {
  return I32(id).String(library).Blob(bytes, name);
}

}  // namespace scene_writer
