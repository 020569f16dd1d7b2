// The water-ring layer: the slide's picture seen through a rippling water surface on which drops fall
// at regular intervals and spread as rings. The water is a ripple grid seen straight from above by an
// orthographic camera, lit by one directional light for specular glints and textured with the
// picture refracted through the surface. In mode 0 only the picture lies under the water and the
// slide's objects are drawn over it; in mode 1 picture and objects are drawn into the layer's target
// first and the post render shows all of it through the water.
#pragma once
#include <d3dx9math.h>

#include <memory>

#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "slideshow/light_2d.h"
#include "slideshow/ripple_grid.h"

class DS_WaterRingLight : public DS_2D_Light {
 public:
  // The eye's height above the water.
  static constexpr float kEyeHeight = 120.0f;
  // The water is this many units deep (top to bottom of the picture).
  static constexpr float kWaterDepth = 30.0f;

  DS_WaterRingLight();
  ~DS_WaterRingLight() override;

  bool Save(DS_IOF_Virtual** stream) override;

  // Objects are drawn unlit: these switch the water's lighting off around the base services.
  void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) override;
  void DrawMeshFrame(MeshPart& part) override;
  void DrawSpriteArray(const SpriteArrayDraw& sprites) override;
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) override;

  // The base layer's resources, the refraction table, the eye, the tuned grid and the material.
  void CreateDeviceResources() override;
  // Light, material and drawing state; the water starts calm with one drop.
  void RestoreDeviceResources() override;
  void ReleaseDeviceResources() override;
  // Mode 1: the layer's target through the water onto the back buffer; then the borders.
  void PostRender() override;
  // Mode 1: the picture into the layer's target; otherwise the picture through the water.
  void Render(bool clearOnly) override;
  // Camera, drops at the drop rate, and the simulation.
  void AdvanceFrame(float t) override;
  // Fits the water into the target like a picture in Fit mode.
  void Resize(int width, int height) override;
  void SetPicturePosition(int newMode) override;
  // The base fade, then blending off again.
  void DrawFadeQuad(DS_SimpleMesh<DX_V::PWC>& overlay) override;
  bool HasPostEffect() const override { return waterMode.value == 1; }

  // v below 50: 0.9 + 0.0018 v; from 50: 0.99 + 0.00018 (v - 50).
  void SetDampingFromValue(UINT value);
  // A grid as deep as the water and as wide as the picture's proportions demand, with one drop.
  void ConfigureGrid();
  // Black except for the specular glints of the stored level and power.
  void ApplyMaterial();
  // The grid with `texture`, following the 2D view's camera and picture position.
  void DrawRippleMesh(IDirect3DTexture9* texture);

  MediaParamT<int> waterMode{0};
  MediaParamT<unsigned int> velocityValue{0};  // velocity scale 1 + 0.02 v
  MediaParamT<unsigned int> stretchValue{0};   // rows factor 1 + 0.01 v
  MediaParamT<unsigned int> densityValue{0};   // columns 128 (1 + 0.01 v)
  MediaParamT<unsigned int> strengthValue{50};  // drop strength 0.1 + 0.007 v
  MediaParamT<unsigned int> dampingValue{50};
  MediaParamT<unsigned int> depthValue{20};  // refraction depth 0.01 v
  UINTSclaleTo<float> dropRate;              // drops per second
  UINTSclaleTo<float> specularLevel;
  UINTSclaleTo<float> specularPower;

  D3DXVECTOR3 lightDirection{0.5f, -1.0f, 1.0f};
  D3DCOLORVALUE lightColor{1.0f, 1.0f, 1.0f, 1.0f};
  D3DXMATRIX world;
  D3DXMATRIX view;
  D3DXMATRIX cameraMatrix;  // the eye above the water; its translation row is the eye's position
  D3DXMATRIX projection;
  float lastDropTime = 0.0f;
  int lastWidth = 0;
  int lastHeight = 0;
  // Declared last, so that it goes before the properties.
  std::unique_ptr<RippleGrid> grid;
};

// The "DS_WaterRingLight" record, version 2, with its base part.
void WriteWaterRingLightRecord(DS_IOF_Virtual** stream, DS_WaterRingLight& light);
void WriteWaterRingLightFields(DS_IOF_Virtual** stream, DS_WaterRingLight& light);
void ReadWaterRingLightFields(DS_IOF_Virtual** stream, DWORD version, DS_WaterRingLight& light);
template <>
void IOF_ReadFields<DS_WaterRingLight>(DS_IOF_Virtual** stream, DWORD version, DS_WaterRingLight& light);
