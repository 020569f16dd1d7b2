// D3DX effects. The stand-in's effects are made from its own effect text (see
// platform/d3dx9/effect_file.h); parameters and techniques are addressed by name.
#pragma once
#include <d3d9.h>

#include "d3dx9core.h"
#include "d3dx9math.h"

typedef LPCSTR D3DXHANDLE;

typedef struct _D3DXMACRO {
  LPCSTR Name;
  LPCSTR Definition;
} D3DXMACRO, *LPD3DXMACRO;

interface ID3DXInclude;
typedef ID3DXInclude* LPD3DXINCLUDE;
interface ID3DXEffectPool;
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

interface ID3DXEffect : public IUnknown {
  STDMETHOD(SetFloat)(D3DXHANDLE parameter, FLOAT value) PURE;
  STDMETHOD(SetFloatArray)(D3DXHANDLE parameter, const FLOAT* values, UINT count) PURE;
  STDMETHOD(SetMatrix)(D3DXHANDLE parameter, const D3DXMATRIX* matrix) PURE;
  STDMETHOD(SetTexture)(D3DXHANDLE parameter, LPDIRECT3DBASETEXTURE9 texture) PURE;
  STDMETHOD(SetTechnique)(D3DXHANDLE technique) PURE;
  STDMETHOD(Begin)(UINT* passes, DWORD flags) PURE;
  STDMETHOD(BeginPass)(UINT pass) PURE;
  STDMETHOD(CommitChanges)() PURE;
  STDMETHOD(EndPass)() PURE;
  STDMETHOD(End)() PURE;
  STDMETHOD(OnLostDevice)() PURE;
  STDMETHOD(OnResetDevice)() PURE;
};
typedef ID3DXEffect* LPD3DXEFFECT;

HRESULT WINAPI D3DXCreateEffect(LPDIRECT3DDEVICE9 device, LPCVOID data, UINT size, const D3DXMACRO* defines,
                                LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect,
                                LPD3DXBUFFER* errors);
