// Streams over global memory blocks.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>

#include <objbase.h>
#include <windows.h>

namespace {

class HGlobalStream final : public IStream {
 public:
  HGlobalStream(HGLOBAL block, bool deleteOnRelease) : block_(block), deleteOnRelease_(deleteOnRelease) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IStream || riid == IID_IUnknown) {
      AddRef();
      *object = static_cast<IStream*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    if (!buffer && count) return E_POINTER;
    const SIZE_T size = GlobalSize(block_);
    const SIZE_T available = position_ < size ? size - position_ : 0;
    const ULONG copied = static_cast<ULONG>(std::min<SIZE_T>(count, available));
    if (copied) {
      const auto* bytes = static_cast<const BYTE*>(GlobalLock(block_));
      if (!bytes) return E_OUTOFMEMORY;
      std::memcpy(buffer, bytes + position_, copied);
      GlobalUnlock(block_);
      position_ += copied;
    }
    if (read) *read = copied;
    return copied == count ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
    LONGLONG base = 0;
    if (origin == STREAM_SEEK_CUR) {
      base = static_cast<LONGLONG>(position_);
    } else if (origin == STREAM_SEEK_END) {
      base = static_cast<LONGLONG>(GlobalSize(block_));
    } else if (origin != STREAM_SEEK_SET) {
      return STG_E_INVALIDFUNCTION;
    }
    if (move.QuadPart < -base || move.QuadPart > std::numeric_limits<LONGLONG>::max() - base)
      return STG_E_INVALIDFUNCTION;
    position_ = static_cast<ULONGLONG>(base + move.QuadPart);
    if (position) position->QuadPart = position_;
    return S_OK;
  }

 private:
  ~HGlobalStream() override {
    if (deleteOnRelease_) GlobalFree(block_);
  }

  HGLOBAL block_;
  bool deleteOnRelease_;
  ULONGLONG position_ = 0;
  std::atomic<ULONG> references_{1};
};

}  // namespace

HRESULT WINAPI CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  if (!block) {
    block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!block) return E_OUTOFMEMORY;
  } else if (!GlobalLock(block)) {
    return E_INVALIDARG;  // not a block GlobalAlloc gave
  } else {
    GlobalUnlock(block);
  }
  auto* made = new (std::nothrow) HGlobalStream(block, deleteOnRelease != FALSE);
  if (!made) return E_OUTOFMEMORY;
  *stream = made;
  return S_OK;
}
