// Direct3D 9: the adapters of the machine and the software device that renders the system's frames.
// Interfaces are abstract classes over IUnknown; the stand-in implements them in platform/d3d9/.
#pragma once
#include "windows.h"
#include "unknwn.h"
#include "d3d9types.h"
#include "d3d9caps.h"

#define D3D_SDK_VERSION 32
#define D3DADAPTER_DEFAULT 0

#define D3DCREATE_MULTITHREADED 0x00000004L
#define D3DCREATE_PUREDEVICE 0x00000010L
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)

interface IDirect3D9;
interface IDirect3DDevice9;
interface IDirect3DResource9;
interface IDirect3DBaseTexture9;
interface IDirect3DTexture9;
interface IDirect3DSurface9;
interface IDirect3DVertexBuffer9;
interface IDirect3DIndexBuffer9;
interface IDirect3DVertexShader9;

typedef IDirect3D9 *LPDIRECT3D9, *PDIRECT3D9;
typedef IDirect3DDevice9 *LPDIRECT3DDEVICE9, *PDIRECT3DDEVICE9;
typedef IDirect3DResource9 *LPDIRECT3DRESOURCE9;
typedef IDirect3DBaseTexture9 *LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9 *LPDIRECT3DTEXTURE9, *PDIRECT3DTEXTURE9;
typedef IDirect3DSurface9 *LPDIRECT3DSURFACE9, *PDIRECT3DSURFACE9;
typedef IDirect3DVertexBuffer9 *LPDIRECT3DVERTEXBUFFER9, *PDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9 *LPDIRECT3DINDEXBUFFER9, *PDIRECT3DINDEXBUFFER9;

// The device never dereferences the dirty region of Present; it is declared for the signature.
struct _RGNDATA;

interface IDirect3D9 : public IUnknown {
  STDMETHOD_(UINT, GetAdapterCount)() PURE;
  STDMETHOD(GetAdapterIdentifier)(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) PURE;
  STDMETHOD_(UINT, GetAdapterModeCount)(UINT Adapter, D3DFORMAT Format) PURE;
  STDMETHOD(EnumAdapterModes)(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) PURE;
  STDMETHOD(GetAdapterDisplayMode)(UINT Adapter, D3DDISPLAYMODE* pMode) PURE;
  STDMETHOD(CheckDeviceType)(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                             D3DFORMAT BackBufferFormat, BOOL bWindowed) PURE;
  STDMETHOD(CheckDeviceFormat)(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                               D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) PURE;
  STDMETHOD(CheckDepthStencilMatch)(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                    D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) PURE;
  STDMETHOD(GetDeviceCaps)(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) PURE;
  STDMETHOD_(HMONITOR, GetAdapterMonitor)(UINT Adapter) PURE;
  STDMETHOD(CreateDevice)(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                          D3DPRESENT_PARAMETERS* pPresentationParameters,
                          IDirect3DDevice9** ppReturnedDeviceInterface) PURE;
};

interface IDirect3DResource9 : public IUnknown {
  STDMETHOD(GetDevice)(IDirect3DDevice9** ppDevice) PURE;
  STDMETHOD_(D3DRESOURCETYPE, GetType)() PURE;
};

interface IDirect3DSurface9 : public IDirect3DResource9 {
  STDMETHOD(GetDesc)(D3DSURFACE_DESC* pDesc) PURE;
  STDMETHOD(LockRect)(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) PURE;
  STDMETHOD(UnlockRect)() PURE;
};

interface IDirect3DBaseTexture9 : public IDirect3DResource9 {
  STDMETHOD_(DWORD, GetLevelCount)() PURE;
};

interface IDirect3DTexture9 : public IDirect3DBaseTexture9 {
  STDMETHOD(GetLevelDesc)(UINT Level, D3DSURFACE_DESC* pDesc) PURE;
  STDMETHOD(GetSurfaceLevel)(UINT Level, IDirect3DSurface9** ppSurfaceLevel) PURE;
  STDMETHOD(LockRect)(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) PURE;
  STDMETHOD(UnlockRect)(UINT Level) PURE;
};

interface IDirect3DVertexBuffer9 : public IDirect3DResource9 {
  STDMETHOD(Lock)(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) PURE;
  STDMETHOD(Unlock)() PURE;
  STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* pDesc) PURE;
};

interface IDirect3DIndexBuffer9 : public IDirect3DResource9 {
  STDMETHOD(Lock)(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) PURE;
  STDMETHOD(Unlock)() PURE;
  STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* pDesc) PURE;
};

// Programmable vertex processing is not offered: SetVertexShader takes only NULL.
interface IDirect3DVertexShader9 : public IUnknown {};

interface IDirect3DDevice9 : public IUnknown {
  STDMETHOD(TestCooperativeLevel)() PURE;
  STDMETHOD(GetDeviceCaps)(D3DCAPS9* pCaps) PURE;
  STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* pPresentationParameters) PURE;
  STDMETHOD(Present)(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                     const _RGNDATA* pDirtyRegion) PURE;
  STDMETHOD(GetBackBuffer)(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                           IDirect3DSurface9** ppBackBuffer) PURE;
  STDMETHOD(CreateTexture)(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                           IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) PURE;
  STDMETHOD(CreateVertexBuffer)(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) PURE;
  STDMETHOD(CreateIndexBuffer)(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                               IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) PURE;
  STDMETHOD(CreateDepthStencilSurface)(UINT Width, UINT Height, D3DFORMAT Format,
                                       D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                       BOOL Discard, IDirect3DSurface9** ppSurface,
                                       HANDLE* pSharedHandle) PURE;
  STDMETHOD(SetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) PURE;
  STDMETHOD(GetRenderTarget)(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) PURE;
  STDMETHOD(SetDepthStencilSurface)(IDirect3DSurface9* pNewZStencil) PURE;
  STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface9** ppZStencilSurface) PURE;
  STDMETHOD(BeginScene)() PURE;
  STDMETHOD(EndScene)() PURE;
  STDMETHOD(Clear)(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                   DWORD Stencil) PURE;
  STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) PURE;
  STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) PURE;
  STDMETHOD(SetViewport)(const D3DVIEWPORT9* pViewport) PURE;
  STDMETHOD(GetViewport)(D3DVIEWPORT9* pViewport) PURE;
  STDMETHOD(SetMaterial)(const D3DMATERIAL9* pMaterial) PURE;
  STDMETHOD(GetMaterial)(D3DMATERIAL9* pMaterial) PURE;
  STDMETHOD(SetLight)(DWORD Index, const D3DLIGHT9* pLight) PURE;
  STDMETHOD(GetLight)(DWORD Index, D3DLIGHT9* pLight) PURE;
  STDMETHOD(LightEnable)(DWORD Index, BOOL Enable) PURE;
  STDMETHOD(GetLightEnable)(DWORD Index, BOOL* pEnable) PURE;
  STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE State, DWORD Value) PURE;
  STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE State, DWORD* pValue) PURE;
  STDMETHOD(GetTexture)(DWORD Stage, IDirect3DBaseTexture9** ppTexture) PURE;
  STDMETHOD(SetTexture)(DWORD Stage, IDirect3DBaseTexture9* pTexture) PURE;
  STDMETHOD(GetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) PURE;
  STDMETHOD(SetTextureStageState)(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) PURE;
  STDMETHOD(GetSamplerState)(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) PURE;
  STDMETHOD(SetSamplerState)(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) PURE;
  STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) PURE;
  STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                  UINT NumVertices, UINT startIndex, UINT primCount) PURE;
  STDMETHOD(SetFVF)(DWORD FVF) PURE;
  STDMETHOD(GetFVF)(DWORD* pFVF) PURE;
  STDMETHOD(SetVertexShader)(IDirect3DVertexShader9* pShader) PURE;
  STDMETHOD(GetVertexShader)(IDirect3DVertexShader9** ppShader) PURE;
  STDMETHOD(SetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                             UINT Stride) PURE;
  STDMETHOD(GetStreamSource)(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                             UINT* pStride) PURE;
  STDMETHOD(SetIndices)(IDirect3DIndexBuffer9* pIndexData) PURE;
  STDMETHOD(GetIndices)(IDirect3DIndexBuffer9** ppIndexData) PURE;
};

// Null when the machine has no Direct3D, or for an SDK version other than D3D_SDK_VERSION.
IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion);
