// D3DX core: the buffer object that D3DX functions return blocks of bytes in.
#pragma once
#include "unknwn.h"

interface ID3DXBuffer : public IUnknown {
  STDMETHOD_(LPVOID, GetBufferPointer)() PURE;
  STDMETHOD_(DWORD, GetBufferSize)() PURE;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// Fonts: text drawn into the device's current render target.
#include <d3d9.h>

interface ID3DXSprite;
typedef ID3DXSprite* LPD3DXSPRITE;

interface ID3DXFont : public IUnknown {
  // Draws `text` (`count` code units, -1: up to its terminating zero) in `rect` aligned by the DT_
  // flags, in `color`; returns the height of the text drawn.
  STDMETHOD_(INT, DrawTextW)(LPD3DXSPRITE sprite, LPCWSTR text, INT count, LPRECT rect, DWORD format,
                             D3DCOLOR color) PURE;
  STDMETHOD(OnLostDevice)() PURE;
  STDMETHOD(OnResetDevice)() PURE;
};
typedef ID3DXFont* LPD3DXFONT;

HRESULT WINAPI D3DXCreateFontW(LPDIRECT3DDEVICE9 device, INT height, UINT width, UINT weight, UINT mipLevels,
                               BOOL italic, DWORD charSet, DWORD outputPrecision, DWORD quality,
                               DWORD pitchAndFamily, LPCWSTR faceName, LPD3DXFONT* font);
