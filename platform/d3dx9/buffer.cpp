#include "buffer.h"

#include <cstring>
#include <new>

#include "com_object.h"

namespace d3dx9 {
namespace {

class Buffer final : public ComObject<ID3DXBuffer> {
 public:
  explicit Buffer(DWORD size) : bytes_(size) {}
  LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD STDMETHODCALLTYPE GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace

ID3DXBuffer* NewBuffer(const void* bytes, DWORD size) {
  Buffer* buffer = nullptr;
  try {
    buffer = new Buffer(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (bytes && size) std::memcpy(buffer->GetBufferPointer(), bytes, size);
  return buffer;
}

}  // namespace d3dx9
