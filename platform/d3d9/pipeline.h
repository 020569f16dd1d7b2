// The fixed-function pipeline: vertices through transform, lighting and texture-coordinate
// generation, triangles clipped and set up, then rasterized in bands of rows on the machine's cores.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include <d3d9.h>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/pixel_program.h"

namespace d3d9 {

class Surface;
struct ClipVertex;

struct DrawCall {
  const DeviceState* state = nullptr;
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  UINT primitives = 0;
  // The stream from the bound offset on; vertex i starts at i * stride.
  const uint8_t* vertices = nullptr;
  size_t vertexBytes = 0;
  UINT stride = 0;
  // 16- or 32-bit indices from the start index on, or null for a plain draw that starts at `first`.
  const void* indices = nullptr;
  bool indices32 = false;
  INT baseVertex = 0;
  UINT first = 0;
  Surface* target = nullptr;
  Surface* depth = nullptr;  // null: no depth test
  const PixelProgram* program = nullptr;  // null or empty: the texture stages
  // Where the draw keeps its processed vertices, kept from draw to draw so that a mesh of tens of
  // thousands of vertices is not allocated and cleared every frame; null: the draw keeps its own.
  std::vector<ClipVertex>* vertexStore = nullptr;
};

// Vertices a draw of `primitives` primitives of `type` reads, or 0 for a type the device cannot draw.
UINT VerticesFor(D3DPRIMITIVETYPE type, UINT primitives);

// Bytes of one vertex of an FVF, or 0 for an FVF the device cannot read.
UINT FvfSize(DWORD fvf);

void Render(const DrawCall& call);

}  // namespace d3d9
