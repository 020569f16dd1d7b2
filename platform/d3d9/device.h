// The software IDirect3DDevice9: life cycle (lost, not reset, Reset, Present), the state it keeps and
// the draw calls, which go through the fixed-function pipeline of pipeline.h.
#pragma once
#include <atomic>

#include <d3d9.h>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_program.h"
#include "platform/d3d9/recorder.h"
#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

class Direct3D;
class Surface;

class Device final : public ComObject<IDirect3DDevice9> {
 public:
  Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, DWORD behavior, const D3DPRESENT_PARAMETERS& parameters);
  // Makes the back buffer and the automatic depth surface; fills in a windowed back buffer's size.
  HRESULT CreateSwapChain(D3DPRESENT_PARAMETERS& parameters);

  HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* caps) override;
  HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT STDMETHODCALLTYPE Present(const RECT* source, const RECT* dest, HWND window, const _RGNDATA* dirty) override;
  HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                          IDirect3DSurface9** surface) override;
  HRESULT STDMETHODCALLTYPE CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                               IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
  HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                              IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
  HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                      D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                                      IDirect3DSurface9** surface, HANDLE* shared) override;
  HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
  HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
  HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9** surface) override;
  HRESULT STDMETHODCALLTYPE BeginScene() override;
  HRESULT STDMETHODCALLTYPE EndScene() override;
  HRESULT STDMETHODCALLTYPE Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                  DWORD stencil) override;
  HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* viewport) override;
  HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* material) override;
  HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* material) override;
  HRESULT STDMETHODCALLTYPE SetLight(DWORD index, const D3DLIGHT9* light) override;
  HRESULT STDMETHODCALLTYPE GetLight(DWORD index, D3DLIGHT9* light) override;
  HRESULT STDMETHODCALLTYPE LightEnable(DWORD index, BOOL enable) override;
  HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT STDMETHODCALLTYPE GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
  HRESULT STDMETHODCALLTYPE SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) override;
  HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                                 UINT numVertices, UINT startIndex, UINT count) override;
  HRESULT STDMETHODCALLTYPE SetFVF(DWORD fvf) override;
  HRESULT STDMETHODCALLTYPE GetFVF(DWORD* fvf) override;
  HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* shader) override;
  HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** shader) override;
  HRESULT STDMETHODCALLTYPE SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                            UINT stride) override;
  HRESULT STDMETHODCALLTYPE GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                            UINT* stride) override;
  HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* buffer) override;
  HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** buffer) override;

  // Resources keep the device object alive without adding to the references its callers count.
  void AcquireInternal() { ++internal_; }
  void ReleaseInternal();
  void CountDefaultPool(int delta) { defaultPool_ += delta; }
  int defaultPoolAlive() const { return defaultPool_; }
  Recorder& recorder() { return recorder_; }
  void SetProgram(PixelProgram program) { program_ = std::move(program); }

 protected:
  void LastRelease() override;

 private:
  ~Device() override = default;
  void Record(const char* name, std::initializer_list<uint64_t> args);
  void ResetState();
  void UnbindAll();
  bool Lost();
  HRESULT Draw(D3DPRIMITIVETYPE type, UINT count, INT baseVertex, UINT startIndex, bool indexed);

  enum class Status { kOk, kLost, kNotReset };

  Direct3D* d3d_;
  UINT adapter_;
  D3DDEVTYPE type_;
  D3DPRESENT_PARAMETERS parameters_;
  Surface* backBuffer_ = nullptr;
  Surface* autoDepth_ = nullptr;
  DeviceState state_;
  std::atomic<int> internal_{0};
  std::atomic<int> defaultPool_{0};
  bool inScene_ = false;
  bool released_ = false;
  Status status_ = Status::kOk;
  int frames_ = 0;
  bool faultsConsumed_ = false;
  uint64_t windowSizeChanges_ = 0;  // of the device window, when the swap chain was made
  Recorder recorder_;
  PixelProgram program_;
  std::vector<ClipVertex> vertexStore_;  // the draws' processed vertices
};

}  // namespace d3d9
