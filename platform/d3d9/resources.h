// The device's resources: surfaces (standalone or a level of a texture), textures, vertex and index
// buffers. Each keeps its bytes in memory; a lock hands out a pointer into them.
#pragma once
#include <memory>
#include <optional>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/com_object.h"

namespace d3d9 {

class Device;
class Texture;

// The tie of a resource to its device: keeps the device object alive (without adding to the
// references its callers see) and counts the default-pool resources that a Reset refuses to outlive.
class DeviceLink {
 public:
  DeviceLink(Device* device, D3DPOOL pool, bool counted);
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;
  HRESULT GetDevice(IDirect3DDevice9** device) const;
  Device* device() const { return device_; }

 private:
  Device* device_;
  bool counted_;
};

class Surface final : public ComObject<IDirect3DSurface9> {
 public:
  // A standalone surface (back buffer, depth surface); `counted` puts it among the default-pool
  // resources that must be released before a Reset.
  Surface(Device* device, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool, bool counted);
  // Level `level` of a texture: its references are the texture's.
  Surface(Texture* container, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool);

  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect() override;

  UINT width() const { return width_; }
  UINT height() const { return height_; }
  D3DFORMAT format() const { return format_; }
  UINT pitch() const { return pitch_; }
  uint8_t* row(UINT y) { return bytes_.data() + static_cast<size_t>(y) * pitch_; }
  const uint8_t* row(UINT y) const { return bytes_.data() + static_cast<size_t>(y) * pitch_; }
  // Depth values (0..1) of a depth surface, row-major.
  float* depth() { return depth_.data(); }
  // The value of a clear of the whole depth surface that the device holds back until a draw tests
  // depth, so that a frame that clears depth and never tests it writes none of it; empty when no
  // clear waits. The depth values above do not yet show it.
  std::optional<float>& waitingClear() { return waitingClear_; }
  Device* device() const;

 private:
  std::unique_ptr<DeviceLink> link_;  // standalone surfaces only
  Texture* container_ = nullptr;
  UINT width_;
  UINT height_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  UINT pitch_ = 0;
  std::vector<uint8_t> bytes_;
  std::vector<float> depth_;
  std::optional<float> waitingClear_;
  bool locked_ = false;
};

class Texture final : public ComObject<IDirect3DTexture9> {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~Texture() override;

  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override { return link_.GetDevice(device); }
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD STDMETHODCALLTYPE GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT STDMETHODCALLTYPE LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE UnlockRect(UINT level) override;

  Surface& level(UINT index) { return *levels_[index]; }
  Device* device() const { return link_.device(); }

  // Number of levels of a full chain down to 1 x 1.
  static UINT FullChain(UINT width, UINT height);

 private:
  DeviceLink link_;
  std::vector<Surface*> levels_;
};

class VertexBuffer final : public ComObject<IDirect3DVertexBuffer9> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override { return link_.GetDevice(device); }
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Unlock() override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  DeviceLink link_;
  D3DVERTEXBUFFER_DESC desc_;
  std::vector<uint8_t> bytes_;
  int locks_ = 0;
};

class IndexBuffer final : public ComObject<IDirect3DIndexBuffer9> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** device) override { return link_.GetDevice(device); }
  D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT STDMETHODCALLTYPE Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Unlock() override;
  HRESULT STDMETHODCALLTYPE GetDesc(D3DINDEXBUFFER_DESC* desc) override;
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  D3DFORMAT format() const { return desc_.Format; }

 private:
  DeviceLink link_;
  D3DINDEXBUFFER_DESC desc_;
  std::vector<uint8_t> bytes_;
  int locks_ = 0;
};

}  // namespace d3d9
