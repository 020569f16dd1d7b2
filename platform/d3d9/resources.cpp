#include "platform/d3d9/resources.h"

#include <algorithm>

#include "platform/d3d9/device.h"
#include "platform/d3d9/formats.h"
#include "platform/machine/machine.h"

namespace d3d9 {

namespace {

bool LocksFail() { return machine::Current().faults.failLocks; }

// A sub-rectangle must lie inside the surface and not be empty.
bool ValidRect(const RECT& r, UINT width, UINT height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         static_cast<UINT>(r.right) <= width && static_cast<UINT>(r.bottom) <= height;
}

HRESULT LockRange(std::vector<uint8_t>& bytes, UINT offset, UINT size, void** data, int& locks) {
  if (data == nullptr) return D3DERR_INVALIDCALL;
  *data = nullptr;
  if (offset > bytes.size() || (size != 0 && size > bytes.size() - offset)) return D3DERR_INVALIDCALL;
  if (LocksFail()) return D3DERR_INVALIDCALL;
  *data = bytes.data() + offset;
  ++locks;
  return S_OK;
}

}  // namespace

DeviceLink::DeviceLink(Device* device, D3DPOOL pool, bool counted)
    : device_(device), counted_(counted && pool == D3DPOOL_DEFAULT) {
  device_->AcquireInternal();
  if (counted_) device_->CountDefaultPool(+1);
}

DeviceLink::~DeviceLink() {
  if (counted_) device_->CountDefaultPool(-1);
  device_->ReleaseInternal();
}

HRESULT DeviceLink::GetDevice(IDirect3DDevice9** device) const {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *device = device_;
  return S_OK;
}

Surface::Surface(Device* device, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool, bool counted)
    : link_(std::make_unique<DeviceLink>(device, pool, counted)),
      width_(width),
      height_(height),
      format_(format),
      usage_(usage),
      pool_(pool) {
  if (IsDepthFormat(format)) {
    depth_.assign(static_cast<size_t>(width) * height, 1.f);
  } else {
    pitch_ = width * BytesPerTexel(format);
    bytes_.assign(static_cast<size_t>(pitch_) * height, 0);
  }
}

Surface::Surface(Texture* container, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool)
    : container_(container), width_(width), height_(height), format_(format), usage_(usage), pool_(pool) {
  pitch_ = width * BytesPerTexel(format);
  bytes_.assign(static_cast<size_t>(pitch_) * height, 0);
}

ULONG Surface::AddRef() { return container_ != nullptr ? container_->AddRef() : ComObject::AddRef(); }
ULONG Surface::Release() { return container_ != nullptr ? container_->Release() : ComObject::Release(); }

Device* Surface::device() const { return container_ != nullptr ? container_->device() : link_->device(); }

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
  return container_ != nullptr ? container_->GetDevice(device) : link_->GetDevice(device);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = D3DSURFACE_DESC{format_, D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0, width_, height_};
  return S_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (locked == nullptr) return D3DERR_INVALIDCALL;
  *locked = D3DLOCKED_RECT{};
  // Depth surfaces keep their values in the device's own layout and cannot be locked.
  if (!depth_.empty() || locked_ || LocksFail()) return D3DERR_INVALIDCALL;
  RECT whole{0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  const RECT& r = rect != nullptr ? *rect : whole;
  if (!ValidRect(r, width_, height_)) return D3DERR_INVALIDCALL;
  locked->Pitch = static_cast<INT>(pitch_);
  locked->pBits = row(static_cast<UINT>(r.top)) + static_cast<size_t>(r.left) * BytesPerTexel(format_);
  locked_ = true;
  return S_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return S_OK;
}

UINT Texture::FullChain(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : link_(device, pool, true) {
  for (UINT i = 0; i < levels; ++i) {
    levels_.push_back(new Surface(this, width, height, format, usage, pool));
    width = std::max(1u, width / 2);
    height = std::max(1u, height / 2);
  }
}

Texture::~Texture() {
  for (Surface* surface : levels_) delete surface;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[level]->GetDesc(desc);
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  AddRef();
  *surface = levels_[level];
  return S_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= levels_.size()) {
    if (locked != nullptr) *locked = D3DLOCKED_RECT{};
    return D3DERR_INVALIDCALL;
  }
  return levels_[level]->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  return levels_[level]->UnlockRect();
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : link_(device, pool, true),
      desc_{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf},
      bytes_(length, 0) {}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
  return LockRange(bytes_, offset, size, data, locks_);
}

HRESULT VertexBuffer::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return S_OK;
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return S_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : link_(device, pool, true), desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length}, bytes_(length, 0) {}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD) {
  return LockRange(bytes_, offset, size, data, locks_);
}

HRESULT IndexBuffer::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return S_OK;
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return S_OK;
}

}  // namespace d3d9
