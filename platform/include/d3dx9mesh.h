// D3DX meshes: triangle meshes loaded from text .x files, with cloning, normals, optimisation and
// bounding spheres.
#pragma once
#include <d3d9.h>

#include "d3dx9core.h"
#include "d3dx9math.h"

#define D3DXMESH_32BIT 0x001
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220

#define D3DXMESHOPT_COMPACT 0x01000000
#define D3DXMESHOPT_ATTRSORT 0x02000000
#define D3DXMESHOPT_VERTEXCACHE 0x04000000

typedef struct _D3DXMATERIAL {
  D3DMATERIAL9 MatD3D;
  LPSTR pTextureFilename;
} D3DXMATERIAL, *LPD3DXMATERIAL;

interface ID3DXMesh;
typedef ID3DXMesh* LPD3DXMESH;

interface ID3DXBaseMesh : public IUnknown {
  STDMETHOD_(DWORD, GetNumFaces)() PURE;
  STDMETHOD_(DWORD, GetNumVertices)() PURE;
  STDMETHOD_(DWORD, GetFVF)() PURE;
  STDMETHOD(CloneMeshFVF)(DWORD Options, DWORD FVF, LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXMESH* ppCloneMesh) PURE;
  STDMETHOD(GetVertexBuffer)(LPDIRECT3DVERTEXBUFFER9* ppVB) PURE;
  STDMETHOD(GetIndexBuffer)(LPDIRECT3DINDEXBUFFER9* ppIB) PURE;
  STDMETHOD(LockVertexBuffer)(DWORD Flags, LPVOID* ppData) PURE;
  STDMETHOD(UnlockVertexBuffer)() PURE;
  STDMETHOD(LockIndexBuffer)(DWORD Flags, LPVOID* ppData) PURE;
  STDMETHOD(UnlockIndexBuffer)() PURE;
};
typedef ID3DXBaseMesh* LPD3DXBASEMESH;

interface ID3DXMesh : public ID3DXBaseMesh {
  // Face order after D3DXMESHOPT_VERTEXCACHE is the optimiser's own; callers must not rely on it.
  STDMETHOD(OptimizeInplace)(DWORD Flags, const DWORD* pAdjacencyIn, DWORD* pAdjacencyOut, DWORD* pFaceRemap,
                             LPD3DXBUFFER* ppVertexRemap) PURE;
};

// Text .x files ("xof 0303txt 0032"). The adjacency buffer holds three DWORDs per face (0xFFFFFFFF for
// an open edge); the materials buffer holds one D3DXMATERIAL per material.
HRESULT WINAPI D3DXLoadMeshFromXInMemory(LPCVOID Memory, DWORD SizeOfMemory, DWORD Options,
                                         LPDIRECT3DDEVICE9 pD3DDevice, LPD3DXBUFFER* ppAdjacency,
                                         LPD3DXBUFFER* ppMaterials, LPD3DXBUFFER* ppEffectInstances,
                                         DWORD* pNumMaterials, LPD3DXMESH* ppMesh);
HRESULT WINAPI D3DXLoadMeshFromXW(LPCWSTR pFilename, DWORD Options, LPDIRECT3DDEVICE9 pD3DDevice,
                                  LPD3DXBUFFER* ppAdjacency, LPD3DXBUFFER* ppMaterials,
                                  LPD3DXBUFFER* ppEffectInstances, DWORD* pNumMaterials, LPD3DXMESH* ppMesh);

HRESULT WINAPI D3DXComputeNormals(LPD3DXBASEMESH pMesh, const DWORD* pAdjacency);
HRESULT WINAPI D3DXComputeBoundingSphere(const D3DXVECTOR3* pFirstPosition, DWORD NumVertices, DWORD dwStride,
                                         D3DXVECTOR3* pCenter, FLOAT* pRadius);
UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF);
