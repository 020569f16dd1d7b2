#include "platform/d3d9/device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/d3d9/bands.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/formats.h"
#include "platform/d3d9/pipeline.h"
#include "platform/d3d9/resources.h"
#include "platform/d3d9/surface_rows.h"
#include "platform/machine/machine.h"
#include "platform/win32/surface.h"

namespace d3d9 {

namespace {

uint64_t Arg(const void* pointer) { return reinterpret_cast<uintptr_t>(pointer); }

Surface* SurfaceOf(IDirect3DSurface9* surface) { return dynamic_cast<Surface*>(surface); }

bool ResourceCreationFails() { return machine::Current().faults.failResourceCreation; }

// Swaps a bound object, holding a reference on the new one.
template <class T>
void Rebind(T*& slot, T* object) {
  if (object != nullptr) object->AddRef();
  T* old = slot;
  slot = object;
  if (old != nullptr) old->Release();
}

// A swap chain's buffers are no larger than the window surface they are presented into may be.
constexpr UINT kLargestBackBufferSide = win32::kLargestSurfaceSide;

D3DVIEWPORT9 ViewportOf(const Surface& surface) {
  return D3DVIEWPORT9{0, 0, surface.width(), surface.height(), 0.f, 1.f};
}

// Depth values of rows [top, bottom), columns [left, right) of a depth surface become `value`.
void FillDepth(Surface& depth, LONG left, LONG top, LONG right, LONG bottom, float value) {
  ForEachRowBand(top, bottom, right - left, [&](int begin, int end) {
    for (int y = begin; y < end; ++y) {
      float* row = depth.depth() + static_cast<size_t>(y) * depth.width();
      FillRow(row + left, static_cast<size_t>(right - left), value);
    }
  });
}

// Writes the clear the depth surface holds back, before anything reads or partly overwrites it.
void FinishWaitingClear(Surface& depth) {
  if (!depth.waitingClear()) return;
  const float value = *depth.waitingClear();
  depth.waitingClear().reset();
  FillDepth(depth, 0, 0, static_cast<LONG>(depth.width()), static_cast<LONG>(depth.height()), value);
}

}  // namespace

Device::Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, DWORD, const D3DPRESENT_PARAMETERS& parameters)
    : d3d_(d3d), adapter_(adapter), type_(type), parameters_(parameters) {
  d3d_->AddRef();
}

HRESULT Device::CreateSwapChain(D3DPRESENT_PARAMETERS& p) {
  // A window that fills another program's window can show only its own size: the swap chain takes
  // it, whatever size the parameters name (and follows it through a Reset when it changes).
  const bool fillsForeign = win32::FillsForeignWindow(p.hDeviceWindow);
  if (fillsForeign) p.BackBufferWidth = p.BackBufferHeight = 0;
  if ((p.Windowed || fillsForeign) && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
    RECT client{};
    if (!GetClientRect(p.hDeviceWindow, &client)) return D3DERR_INVALIDCALL;
    if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(std::max<LONG>(1, client.right - client.left));
    if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(std::max<LONG>(1, client.bottom - client.top));
  }
  if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) return D3DERR_INVALIDCALL;
  if (p.BackBufferWidth > kLargestBackBufferSide || p.BackBufferHeight > kLargestBackBufferSide) {
    // A window (a manager's, say) far larger than any monitor would cost gigabytes of buffers: it is
    // refused, and the caller's error path takes over. Said once for a size, however often the
    // caller tries again.
    static std::pair<UINT, UINT> said;
    if (said != std::pair(p.BackBufferWidth, p.BackBufferHeight)) {
      std::fprintf(stderr, "copperleaf: a window of %u x %u pixels is larger than the %u x %u the device can draw\n",
                   p.BackBufferWidth, p.BackBufferHeight, kLargestBackBufferSide, kLargestBackBufferSide);
    }
    said = {p.BackBufferWidth, p.BackBufferHeight};
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  parameters_ = p;
  windowSizeChanges_ = win32::FollowedSizeChanges(p.hDeviceWindow);
  backBuffer_ = new (std::nothrow) Surface(this, p.BackBufferWidth, p.BackBufferHeight, p.BackBufferFormat,
                                           D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, false);
  if (backBuffer_ == nullptr) return E_OUTOFMEMORY;
  if (p.EnableAutoDepthStencil) {
    autoDepth_ = new (std::nothrow) Surface(this, p.BackBufferWidth, p.BackBufferHeight, p.AutoDepthStencilFormat,
                                            D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, false);
    if (autoDepth_ == nullptr) return E_OUTOFMEMORY;
  }
  ResetState();
  return S_OK;
}

void Device::ResetState() {
  state_ = DefaultState(autoDepth_ != nullptr);
  Rebind<IDirect3DSurface9>(state_.renderTarget, backBuffer_);
  Rebind<IDirect3DSurface9>(state_.depthStencil, autoDepth_);
  state_.viewport = ViewportOf(*backBuffer_);
}

void Device::UnbindAll() {
  for (auto& texture : state_.textures) Rebind<IDirect3DBaseTexture9>(texture, nullptr);
  Rebind<IDirect3DVertexBuffer9>(state_.stream, nullptr);
  Rebind<IDirect3DIndexBuffer9>(state_.indices, nullptr);
  Rebind<IDirect3DSurface9>(state_.renderTarget, nullptr);
  Rebind<IDirect3DSurface9>(state_.depthStencil, nullptr);
}

void Device::LastRelease() {
  if (released_) return;
  released_ = true;
  AcquireInternal();  // the teardown below may release the last resource
  UnbindAll();
  program_ = nullptr;
  if (backBuffer_ != nullptr) backBuffer_->Release();
  if (autoDepth_ != nullptr) autoDepth_->Release();
  backBuffer_ = autoDepth_ = nullptr;
  d3d_->Release();
  ReleaseInternal();
}

void Device::ReleaseInternal() {
  if (--internal_ == 0 && released_) delete this;
}

void Device::Record(const char* name, std::initializer_list<uint64_t> args) {
  if (!recorder_.enabled) return;
  recorder_.calls.push_back(RecordedCall{name, std::vector<uint64_t>(args), state_});
}

// The injected loss: from its frame on, the device is lost (or directly waits for a Reset). While it
// is lost the host polls instead of presenting, so each poll counts as a frame. A successful Reset
// ends the fault.
bool Device::Lost() {
  if (!faultsConsumed_) {
    const machine::Faults& f = machine::Current().faults;
    const bool notReset = f.deviceNotResetFromFrame >= 0 && frames_ >= f.deviceNotResetFromFrame;
    const bool lost = f.deviceLostFromFrame >= 0 && frames_ >= f.deviceLostFromFrame;
    if (notReset) {
      status_ = Status::kNotReset;
    } else if (lost && status_ == Status::kOk) {
      status_ = Status::kLost;
    }
  }
  return status_ != Status::kOk;
}

HRESULT Device::TestCooperativeLevel() {
  if (status_ == Status::kLost) ++frames_;
  // The window took another program's new size: the swap chain follows it through a Reset.
  if (status_ == Status::kOk && win32::FollowedSizeChanges(parameters_.hDeviceWindow) != windowSizeChanges_) {
    status_ = Status::kNotReset;
  }
  if (!Lost()) return S_OK;
  return status_ == Status::kLost ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) { return d3d_->GetDeviceCaps(adapter_, type_, caps); }

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* parameters) {
  Record("Reset", {Arg(parameters)});
  if (parameters == nullptr) return D3DERR_INVALIDCALL;
  if (Lost() && status_ == Status::kLost) return D3DERR_DEVICELOST;
  inScene_ = false;
  UnbindAll();
  program_ = nullptr;
  // As Direct3D 9 does, a Reset needs every default-pool resource and every extra reference to the
  // back buffer released first; until then the device waits for a Reset.
  const bool backBufferHeld = backBuffer_->AddRef() > 2;
  backBuffer_->Release();
  if (defaultPool_ > 0 || backBufferHeld) {
    status_ = Status::kNotReset;
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS p = *parameters;
  if (p.hDeviceWindow == nullptr) p.hDeviceWindow = parameters_.hDeviceWindow;
  Surface* oldBack = backBuffer_;
  Surface* oldDepth = autoDepth_;
  backBuffer_ = autoDepth_ = nullptr;
  const HRESULT hr = CreateSwapChain(p);
  oldBack->Release();
  if (oldDepth != nullptr) oldDepth->Release();
  if (FAILED(hr)) {
    status_ = Status::kNotReset;
    return hr;
  }
  *parameters = p;
  status_ = Status::kOk;
  faultsConsumed_ = true;
  return S_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND window, const _RGNDATA*) {
  Record("Present", {Arg(window)});
  ++frames_;
  if (Lost()) return D3DERR_DEVICELOST;
  HWND target = window != nullptr ? window : parameters_.hDeviceWindow;
  win32::Surface* surface = win32::WindowSurface(target);
  if (surface == nullptr || surface->width <= 0 || surface->height <= 0) return S_OK;
  // The back buffer fills the window's client area, scaled by nearest pixel when the sizes differ.
  const Surface& back = *backBuffer_;
  const auto sw = static_cast<UINT>(surface->width);
  const auto sh = static_cast<UINT>(surface->height);
  const bool x8 = back.format() == D3DFMT_X8R8G8B8 || back.format() == D3DFMT_A8R8G8B8;
  const bool sameSize = sw == back.width() && sh == back.height();
  const UINT bytes = BytesPerTexel(back.format());
  std::vector<UINT> columns;
  if (!sameSize) {
    columns.resize(sw);
    for (UINT x = 0; x < sw; ++x) columns[x] = static_cast<UINT>(static_cast<uint64_t>(x) * back.width() / sw);
  }
  ForEachRowBand(0, static_cast<int>(sh), static_cast<int>(sw), [&](int begin, int end) {
    const uint32_t* above = nullptr;  // the row above in the window, when this band wrote it
    UINT aboveSource = 0;
    for (auto y = static_cast<UINT>(begin); y < static_cast<UINT>(end); ++y) {
      const UINT sy = static_cast<UINT>(static_cast<uint64_t>(y) * back.height() / sh);
      const uint8_t* row = back.row(sy);
      uint32_t* out = surface->pixels.data() + static_cast<size_t>(y) * sw;
      if (x8 && sameSize) {
        // One pass over the row: read, make opaque, write.
        CopyRowOpaque(out, reinterpret_cast<const uint32_t*>(row), sw);
        continue;
      }
      // Stretched taller, rows of the window repeat a row of the back buffer: the copy of the row
      // above is cheaper than looking up every pixel again.
      if (above != nullptr && aboveSource == sy) {
        std::memcpy(out, above, size_t{sw} * 4);
        continue;
      }
      above = out;
      aboveSource = sy;
      if (x8) {
        ScaleRowOpaque(out, reinterpret_cast<const uint32_t*>(row), columns.data(), sw);
        continue;
      }
      for (UINT x = 0; x < sw; ++x) {
        const UINT sx = sameSize ? x : columns[x];
        const Color c = DecodeTexel(back.format(), row + static_cast<size_t>(sx) * bytes);
        out[x] = 0xff000000u | (uint32_t{ToByte(c.r)} << 16) | (uint32_t{ToByte(c.g)} << 8) | ToByte(c.b);
      }
    }
  });
  win32::PresentWindow(target);
  return S_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *surface = backBuffer_;
  return S_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE*) {
  Record("CreateTexture", {width, height, levels, usage, static_cast<uint64_t>(format), static_cast<uint64_t>(pool)});
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || !IsTextureFormat(format)) {
    return D3DERR_INVALIDCALL;
  }
  const machine::DeviceType* t = Direct3D::TypeOf(adapter_, type_);
  if (format == D3DFMT_V8U8 && (t == nullptr || !t->v8u8)) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || !IsRenderTargetFormat(format))) {
    return D3DERR_INVALIDCALL;
  }
  if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  const UINT full = Texture::FullChain(width, height);
  if (levels == 0 || levels > full) levels = full;
  if (usage & D3DUSAGE_RENDERTARGET) levels = std::min(levels, 1u);
  if (ResourceCreationFails()) return D3DERR_OUTOFVIDEOMEMORY;
  auto* created = new (std::nothrow) Texture(this, width, height, levels, usage, format, pool);
  if (created == nullptr) return E_OUTOFMEMORY;
  *texture = created;
  return S_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                                   HANDLE*) {
  Record("CreateVertexBuffer", {length, usage, fvf, static_cast<uint64_t>(pool)});
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (fvf != 0 && length < FvfSize(fvf))) return D3DERR_INVALIDCALL;
  if (ResourceCreationFails()) return D3DERR_OUTOFVIDEOMEMORY;
  auto* created = new (std::nothrow) VertexBuffer(this, length, usage, fvf, pool);
  if (created == nullptr) return E_OUTOFMEMORY;
  *buffer = created;
  return S_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE*) {
  Record("CreateIndexBuffer", {length, usage, static_cast<uint64_t>(format), static_cast<uint64_t>(pool)});
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
  if (ResourceCreationFails()) return D3DERR_OUTOFVIDEOMEMORY;
  auto* created = new (std::nothrow) IndexBuffer(this, length, usage, format, pool);
  if (created == nullptr) return E_OUTOFMEMORY;
  *buffer = created;
  return S_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                          IDirect3DSurface9** surface, HANDLE*) {
  Record("CreateDepthStencilSurface", {width, height, static_cast<uint64_t>(format)});
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (width == 0 || height == 0 || width > 16384 || height > 16384 || !IsDepthFormat(format)) {
    return D3DERR_INVALIDCALL;
  }
  if (ResourceCreationFails()) return D3DERR_OUTOFVIDEOMEMORY;
  auto* created =
      new (std::nothrow) Surface(this, width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, true);
  if (created == nullptr) return E_OUTOFMEMORY;
  *surface = created;
  return S_OK;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  Record("SetRenderTarget", {index, Arg(surface)});
  Surface* target = SurfaceOf(surface);
  if (index != 0 || target == nullptr || target->device() != this || !IsRenderTargetFormat(target->format())) {
    return D3DERR_INVALIDCALL;
  }
  Rebind<IDirect3DSurface9>(state_.renderTarget, surface);
  state_.viewport = ViewportOf(*target);
  return S_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (index != 0) return D3DERR_INVALIDCALL;
  if (state_.renderTarget == nullptr) return D3DERR_NOTFOUND;
  state_.renderTarget->AddRef();
  *surface = state_.renderTarget;
  return S_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  Record("SetDepthStencilSurface", {Arg(surface)});
  if (surface != nullptr) {
    Surface* depth = SurfaceOf(surface);
    if (depth == nullptr || depth->device() != this || !IsDepthFormat(depth->format())) return D3DERR_INVALIDCALL;
  }
  Rebind<IDirect3DSurface9>(state_.depthStencil, surface);
  return S_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = state_.depthStencil;
  if (*surface == nullptr) return D3DERR_NOTFOUND;
  (*surface)->AddRef();
  return S_OK;
}

HRESULT Device::BeginScene() {
  Record("BeginScene", {});
  if (inScene_ || machine::Current().faults.beginSceneFails) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return S_OK;
}

HRESULT Device::EndScene() {
  Record("EndScene", {});
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return S_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  Record("Clear", {count, Arg(rects), flags, color, BitsOf(z), stencil});
  if ((count != 0 && rects == nullptr) || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
      flags == 0) {
    return D3DERR_INVALIDCALL;
  }
  Surface* depth = SurfaceOf(state_.depthStencil);
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && depth == nullptr) return D3DERR_INVALIDCALL;
  if (Lost()) return S_OK;
  Surface& target = *SurfaceOf(state_.renderTarget);
  // The viewport, cut by each rectangle, bounds what is cleared.
  const D3DVIEWPORT9& v = state_.viewport;
  const D3DRECT whole{static_cast<LONG>(v.X), static_cast<LONG>(v.Y), static_cast<LONG>(v.X + v.Width),
                      static_cast<LONG>(v.Y + v.Height)};
  const DWORD n = count == 0 ? 1 : count;
  const Color c{static_cast<float>((color >> 16) & 0xff) / 255.f, static_cast<float>((color >> 8) & 0xff) / 255.f,
                static_cast<float>(color & 0xff) / 255.f, static_cast<float>(color >> 24) / 255.f};
  uint8_t encoded[4] = {};
  EncodeTexel(target.format(), c, encoded);
  const UINT bytes = BytesPerTexel(target.format());
  const float depthValue = std::clamp(z, 0.f, 1.f);
  for (DWORD i = 0; i < n; ++i) {
    const D3DRECT& r = count == 0 ? whole : rects[i];
    const LONG x1 = std::max(r.x1, whole.x1);
    const LONG y1 = std::max(r.y1, whole.y1);
    if (flags & D3DCLEAR_TARGET) {
      const LONG x2 = std::min({r.x2, whole.x2, static_cast<LONG>(target.width())});
      const LONG y2 = std::min({r.y2, whole.y2, static_cast<LONG>(target.height())});
      uint32_t pixel = 0;
      std::memcpy(&pixel, encoded, std::min<size_t>(bytes, 4));
      ForEachRowBand(y1, y2, x2 - x1, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
          uint8_t* row = target.row(static_cast<UINT>(y)) + static_cast<size_t>(x1) * bytes;
          if (bytes == 4) {
            FillRow(reinterpret_cast<uint32_t*>(row), static_cast<size_t>(x2 - x1), pixel);
          } else {
            for (LONG x = x1; x < x2; ++x) std::memcpy(row + static_cast<size_t>(x - x1) * bytes, encoded, bytes);
          }
        }
      });
    }
    if (flags & D3DCLEAR_ZBUFFER) {
      const LONG x2 = std::min({r.x2, whole.x2, static_cast<LONG>(depth->width())});
      const LONG y2 = std::min({r.y2, whole.y2, static_cast<LONG>(depth->height())});
      // Only draws read depth, and many frames clear it without drawing with it (2D layers whose
      // device keeps a depth surface): a clear of the whole surface waits for the first draw that
      // tests depth, and a later whole clear replaces it unwritten.
      if (x1 <= 0 && y1 <= 0 && x2 >= static_cast<LONG>(depth->width()) && y2 >= static_cast<LONG>(depth->height())) {
        depth->waitingClear() = depthValue;
      } else if (x1 < x2 && y1 < y2) {
        FinishWaitingClear(*depth);
        FillDepth(*depth, x1, y1, x2, y2, depthValue);
      }
    }
  }
  return S_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  Record("SetTransform", {static_cast<uint64_t>(state), Arg(matrix)});
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  if (state == D3DTS_WORLD) {
    state_.world = *matrix;
  } else if (state == D3DTS_VIEW) {
    state_.view = *matrix;
  } else if (state == D3DTS_PROJECTION) {
    state_.projection = *matrix;
  } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
    state_.texture[state - D3DTS_TEXTURE0] = *matrix;
  } else {
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  if (state == D3DTS_WORLD) {
    *matrix = state_.world;
  } else if (state == D3DTS_VIEW) {
    *matrix = state_.view;
  } else if (state == D3DTS_PROJECTION) {
    *matrix = state_.projection;
  } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
    *matrix = state_.texture[state - D3DTS_TEXTURE0];
  } else {
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  Record("SetViewport", {Arg(viewport)});
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  const Surface& target = *SurfaceOf(state_.renderTarget);
  // Sums in 64 bits: a huge X plus a huge Width must not wrap around to a small edge.
  if (viewport->Width == 0 || viewport->Height == 0 ||
      uint64_t{viewport->X} + viewport->Width > target.width() ||
      uint64_t{viewport->Y} + viewport->Height > target.height()) {
    return D3DERR_INVALIDCALL;
  }
  state_.viewport = *viewport;
  return S_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = state_.viewport;
  return S_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material) {
  Record("SetMaterial", {Arg(material)});
  if (material == nullptr) return D3DERR_INVALIDCALL;
  state_.material = *material;
  return S_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* material) {
  if (material == nullptr) return D3DERR_INVALIDCALL;
  *material = state_.material;
  return S_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* light) {
  Record("SetLight", {index, Arg(light)});
  if (light == nullptr || index >= kLightCount) return D3DERR_INVALIDCALL;
  if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
  state_.lights[index].light = *light;
  return S_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* light) {
  if (light == nullptr || index >= kLightCount) return D3DERR_INVALIDCALL;
  *light = state_.lights[index].light;
  return S_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  Record("LightEnable", {index, static_cast<uint64_t>(enable)});
  if (index >= kLightCount) return D3DERR_INVALIDCALL;
  Light& light = state_.lights[index];
  // A light enabled before it was set is Direct3D's default light: white, shining along +z.
  if (enable && light.light.Type == 0) {
    light.light = D3DLIGHT9{};
    light.light.Type = D3DLIGHT_DIRECTIONAL;
    light.light.Diffuse = {1.f, 1.f, 1.f, 0.f};
    light.light.Direction = {0.f, 0.f, 1.f};
  }
  light.enabled = enable != FALSE;
  return S_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  if (enable == nullptr || index >= kLightCount) return D3DERR_INVALIDCALL;
  *enable = state_.lights[index].enabled ? TRUE : FALSE;
  return S_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  Record("SetRenderState", {static_cast<uint64_t>(state), value});
  if (static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  state_.render[state] = value;
  return S_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (value == nullptr || static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *value = state_.render[state];
  return S_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (texture == nullptr || stage >= kStageCount) return D3DERR_INVALIDCALL;
  *texture = state_.textures[stage];
  if (*texture != nullptr) (*texture)->AddRef();
  return S_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  Record("SetTexture", {stage, Arg(texture)});
  if (stage >= kStageCount) return D3DERR_INVALIDCALL;
  if (texture != nullptr) {
    auto* ours = dynamic_cast<Texture*>(texture);
    if (ours == nullptr || ours->device() != this) return D3DERR_INVALIDCALL;
  }
  Rebind(state_.textures[stage], texture);
  return S_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (value == nullptr || stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.stage[stage][type];
  return S_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  Record("SetTextureStageState", {stage, static_cast<uint64_t>(type), value});
  if (stage >= kStageCount || static_cast<DWORD>(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
  state_.stage[stage][type] = value;
  return S_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (value == nullptr || sampler >= kStageCount || static_cast<DWORD>(type) >= kSamplerStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.sampler[sampler][type];
  return S_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  Record("SetSamplerState", {sampler, static_cast<uint64_t>(type), value});
  if (sampler >= kStageCount || static_cast<DWORD>(type) >= kSamplerStateCount) return D3DERR_INVALIDCALL;
  state_.sampler[sampler][type] = value;
  return S_OK;
}

HRESULT Device::SetFVF(DWORD fvf) {
  Record("SetFVF", {fvf});
  state_.fvf = fvf;
  return S_OK;
}

HRESULT Device::GetFVF(DWORD* fvf) {
  if (fvf == nullptr) return D3DERR_INVALIDCALL;
  *fvf = state_.fvf;
  return S_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader) {
  Record("SetVertexShader", {Arg(shader)});
  return shader == nullptr ? S_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader) {
  if (shader == nullptr) return D3DERR_INVALIDCALL;
  *shader = nullptr;
  return S_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  Record("SetStreamSource", {stream, Arg(buffer), offset, stride});
  if (stream != 0) return D3DERR_INVALIDCALL;
  if (buffer != nullptr) {
    auto* ours = dynamic_cast<VertexBuffer*>(buffer);
    if (ours == nullptr) return D3DERR_INVALIDCALL;
  }
  Rebind(state_.stream, buffer);
  state_.streamOffset = offset;
  state_.streamStride = stride;
  return S_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) {
  if (stream != 0 || buffer == nullptr || offset == nullptr || stride == nullptr) return D3DERR_INVALIDCALL;
  *buffer = state_.stream;
  if (*buffer != nullptr) (*buffer)->AddRef();
  *offset = state_.streamOffset;
  *stride = state_.streamStride;
  return S_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer) {
  Record("SetIndices", {Arg(buffer)});
  if (buffer != nullptr && dynamic_cast<IndexBuffer*>(buffer) == nullptr) return D3DERR_INVALIDCALL;
  Rebind(state_.indices, buffer);
  return S_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer) {
  if (buffer == nullptr) return D3DERR_INVALIDCALL;
  *buffer = state_.indices;
  if (*buffer != nullptr) (*buffer)->AddRef();
  return S_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
  Record("DrawPrimitive", {static_cast<uint64_t>(type), startVertex, count});
  return Draw(type, count, 0, startVertex, false);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT numVertices,
                                     UINT startIndex, UINT count) {
  Record("DrawIndexedPrimitive", {static_cast<uint64_t>(type), static_cast<uint64_t>(static_cast<int64_t>(baseVertex)),
                                  minIndex, numVertices, startIndex, count});
  return Draw(type, count, baseVertex, startIndex, true);
}

// Draws only inside a scene, as Direct3D 9 requires. Every vertex and index the draw would read must
// lie inside its buffer; a draw that would read past one fails instead of reading stray memory.
HRESULT Device::Draw(D3DPRIMITIVETYPE type, UINT count, INT baseVertex, UINT start, bool indexed) {
  if (!inScene_) return D3DERR_INVALIDCALL;
  const UINT vertexCount = VerticesFor(type, count);
  const UINT size = FvfSize(state_.fvf);
  auto* stream = dynamic_cast<VertexBuffer*>(state_.stream);
  if (vertexCount == 0 || size == 0 || stream == nullptr || state_.streamStride < size) return D3DERR_INVALIDCALL;
  const auto& bytes = stream->bytes();
  if (state_.streamOffset > bytes.size()) return D3DERR_INVALIDCALL;
  const size_t available = bytes.size() - state_.streamOffset;
  const size_t vertexSlots = available < size ? 0 : (available - size) / state_.streamStride + 1;

  DrawCall call;
  call.state = &state_;
  call.type = type;
  call.primitives = count;
  call.vertices = bytes.data() + state_.streamOffset;
  call.vertexBytes = available;
  call.stride = state_.streamStride;
  if (indexed) {
    auto* indices = dynamic_cast<IndexBuffer*>(state_.indices);
    if (indices == nullptr) return D3DERR_INVALIDCALL;
    const bool wide = indices->format() == D3DFMT_INDEX32;
    const size_t indexSize = wide ? 4 : 2;
    const auto& ib = indices->bytes();
    if ((static_cast<size_t>(start) + vertexCount) * indexSize > ib.size()) return D3DERR_INVALIDCALL;
    const uint8_t* first = ib.data() + static_cast<size_t>(start) * indexSize;
    int64_t lowest = INT64_MAX;
    int64_t highest = INT64_MIN;
    for (UINT i = 0; i < vertexCount; ++i) {
      uint32_t index;
      if (wide) {
        std::memcpy(&index, first + i * 4, 4);
      } else {
        uint16_t narrow;
        std::memcpy(&narrow, first + i * 2, 2);
        index = narrow;
      }
      lowest = std::min<int64_t>(lowest, int64_t{index} + baseVertex);
      highest = std::max<int64_t>(highest, int64_t{index} + baseVertex);
    }
    if (lowest < 0 || highest >= static_cast<int64_t>(vertexSlots)) return D3DERR_INVALIDCALL;
    call.indices = first;
    call.indices32 = wide;
    call.baseVertex = baseVertex;
  } else {
    if (static_cast<size_t>(start) + vertexCount > vertexSlots) return D3DERR_INVALIDCALL;
    call.first = start;
  }
  if (Lost()) return S_OK;
  call.target = SurfaceOf(state_.renderTarget);
  const bool depthOn = state_.Render(D3DRS_ZENABLE) != D3DZB_FALSE;
  call.depth = depthOn ? SurfaceOf(state_.depthStencil) : nullptr;
  if (call.depth != nullptr) FinishWaitingClear(*call.depth);
  call.program = program_ ? &program_ : nullptr;
  call.vertexStore = &vertexStore_;
  Render(call);
  return S_OK;
}

Recorder* RecorderOf(IDirect3DDevice9* device) {
  auto* ours = dynamic_cast<Device*>(device);
  return ours != nullptr ? &ours->recorder() : nullptr;
}

int LiveDefaultPoolResources(IDirect3DDevice9* device) {
  auto* ours = dynamic_cast<Device*>(device);
  return ours != nullptr ? ours->defaultPoolAlive() : 0;
}

void SetPixelProgram(IDirect3DDevice9* device, PixelProgram program) {
  if (auto* ours = dynamic_cast<Device*>(device)) ours->SetProgram(std::move(program));
}

}  // namespace d3d9
