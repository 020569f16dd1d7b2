// Meshes from .x data into a MeshEntry: positions, recomputed normals and one texture coordinate
// (DX_V::PNT), optimised, with 16-bit indices and a bounding sphere, in managed buffers of the
// entry's own. No D3DX object outlives a call. On any failure the entry is left without buffers and
// with zero counts, and its owner draws nothing.
#pragma once
#include <windows.h>

#include "document/mesh_entry.h"

// `stride` is the vertex size the caller draws with; only the size of DX_V::PNT (32) is served.
void LoadMeshFromMemory(MeshEntry& entry, const void* data, UINT size, UINT stride);
void LoadMeshFromFile(MeshEntry& entry, LPCWSTR path, UINT stride);
// The "DDS" resource `id` of a module (null: the executable).
void LoadModuleResourceMesh(MeshEntry& entry, HMODULE module, int id, UINT stride);
