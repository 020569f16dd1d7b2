// The lake layer: a 2D light layer that turns the lower part of the slide's picture into a lake. The
// strip of picture just above the horizon is mirrored into the part below it, wobbled by bump
// environment mapping with a slowly turning bump matrix, and tinted with a lake colour that fades
// towards the horizon. The bump texture comes from the scene document, under the layer's own GUID.
#pragma once
#include <windows.h>

#include "document/ds_string.h"
#include "document/media_color.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "render/quad_corners.h"
#include "render/simple_mesh.h"
#include "render/textured_quad.h"
#include "slideshow/light_2d.h"

// A lake vertex: position, then the bump texture's coordinates and the reflection's.
struct LakeVertex {
  float x, y, z;
  float bumpU, bumpV;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX2;
};
static_assert(sizeof(LakeVertex) == 28 && LakeVertex::FVF == 0x202);

class FakeLake2D : public DS_2D_Light {
 public:
  static constexpr UINT kLakeVertexCount = 6;

  FakeLake2D();
  ~FakeLake2D() override;

  bool Save(DS_IOF_Virtual** stream) override;
  // The base layer's resources, the lake mesh, the tint quads, the reflection and the bump texture.
  void CreateDeviceResources() override;
  // The states the lake is drawn with, and the layer target.
  void RestoreDeviceResources() override;
  // The picture, the mirrored lake over its lower part, then the tint.
  void Render(bool clearOnly) override;
  // The camera, then the wave clock and the bump matrix.
  void AdvanceFrame(float t) override;
  // A new reflection and new lake geometry for the new picture.
  void OnImageChanged() override;

  // The picture's rectangle (standard corner layout) mirrored by fraction x: the rectangle keeps its
  // lower edge and starts at the horizon x of its height above it; texture v runs from the
  // horizon's own row up to the row as far above the horizon as the lower edge is below it.
  static void MirrorLowerPart(QuadCorners& quad, float x);
  // The lake's fraction of the picture height, never below 0 whatever the stored height.
  float HeldLakeHeight() const;

  void CreateLakeMesh();
  void UpdateLakeGeometry();
  void WriteLakeMesh(const QuadCorners& lake);
  void PlaceTintQuads(const QuadCorners& lake);
  void SetBumpCoordinates(float tiling);
  void SetTintAlphas();
  void SetLakeStages();

  UINTSclaleTo<float> bumpTiling;     // bump coordinates run from 0.01 to this across the lake
  MediaSpeedParam waveSpeed;          // clock of the bump rotation
  UINTSclaleTo<float> lakeHeight;     // fraction of the picture height the lake covers
  UINTSclaleTo<float> sizeValue;      // kept with the record only
  UINTSclaleTo<float> tintAlpha;      // opacity of the lake colour at the lake's lower edge
  UINTSclaleTo<float> horizonFactor;  // opacity at the horizon = tint alpha x (1 - factor)
  MediaParamT<unsigned int> amplitude{25};  // kept with the record only
  MediaParamT<unsigned int> bandHeight{7};  // picture pixels of the fading band above the horizon
  MediaParamT<int> reflectionSize{1};       // the reflection is (128 << this) pixels square
  MediaColor lakeColor{0x408000u};          // 0x00BBGGRR
  GUID bumpGuid{};
  ds_string text;           // kept with the record only
  bool storedFlag = true;   // kept with the record only

  TexturedQuad<DX_V::PT> reflection;  // only its texture is used
  DS_SimpleMesh<DX_V::PC> tintQuad;
  DS_SimpleMesh<DX_V::PC> bandQuad;
  DS_SimpleMesh<LakeVertex> lakeMesh;
  LakeVertex lakeVertices[kLakeVertexCount] = {};  // what the write-only buffer holds
  float bumpMatrix[4] = {0.04f, 0.0f, 0.0f, 0.04f};  // m00, m01, m10, m11
  ComHolder<IDirect3DTexture9> bumpTexture;
  // Set until the device resources have taken the bump texture from the resource manager.
  bool bumpPending = true;

 private:
  void UploadLakeMesh();
};

// The "FakeLake2D" record, version 2, with its base part.
void WriteFakeLake2DRecord(DS_IOF_Virtual** stream, FakeLake2D& lake);
void WriteFakeLake2DFields(DS_IOF_Virtual** stream, FakeLake2D& lake);
void ReadFakeLake2DFields(DS_IOF_Virtual** stream, DWORD version, FakeLake2D& lake);
template <>
void IOF_ReadFields<FakeLake2D>(DS_IOF_Virtual** stream, DWORD version, FakeLake2D& lake);
