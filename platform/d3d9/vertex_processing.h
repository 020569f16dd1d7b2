// Fixed-function vertex processing: a vertex of the bound FVF read from the stream, transformed by
// world x view x projection (row vectors), lit in camera space, given the texture coordinates of each
// stage (generated and transformed as the stage says). Pre-transformed (XYZRHW) vertices keep their
// screen position and colours.
#pragma once
#include <cstdint>

#include <d3d9.h>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/raster.h"

namespace d3d9 {

// A vertex in clip space (x, y, z, w) with the attributes of raster.h. For a pre-transformed vertex the
// position is already in pixels: x, y, z and w = 1 / rhw.
struct ClipVertex {
  float pos[4] = {0.f, 0.f, 0.f, 1.f};
  float attr[kMaxAttributes] = {};
};

class VertexProcessor {
 public:
  // `stages` is the number of stages whose coordinates the pixel stage reads.
  VertexProcessor(const DeviceState& state, int stages);

  bool pretransformed() const { return pretransformed_; }
  bool hasPointSize() const { return (fvf_ & D3DFVF_PSIZE) != 0; }
  // Reads the point size of a vertex whose FVF carries one.
  float PointSize(const uint8_t* vertex) const;
  ClipVertex Process(const uint8_t* vertex) const;

 private:
  struct Vec3 {
    float x, y, z;
  };
  struct DirectionalLight {
    Vec3 toLight;  // camera space, unit length
    D3DCOLORVALUE diffuse, specular, ambient;
  };

  void Shade(const Vec3& position, const Vec3& normal, const Color& vertexDiffuse, const Color& vertexSpecular,
             float* attr) const;
  void TexCoords(const uint8_t* sets, const Vec3& position, const Vec3& normal, float* attr) const;

  const DeviceState& state_;
  DWORD fvf_;
  int stages_;
  bool pretransformed_;
  bool lighting_;
  bool specularOn_;
  bool localViewer_;
  bool normalize_;
  bool colorVertex_;
  // Byte offsets of the FVF's parts; -1 when absent.
  int normalAt_ = -1;
  int sizeAt_ = -1;
  int diffuseAt_ = -1;
  int specularAt_ = -1;
  int texAt_ = 0;
  int texSets_ = 0;
  D3DMATRIX worldView_;
  D3DMATRIX worldViewProjection_;
  float normalMatrix_[3][3];  // inverse transpose of world x view
  Color ambient_;
  DirectionalLight lights_[kLightCount];
  int lightCount_ = 0;
};

}  // namespace d3d9
