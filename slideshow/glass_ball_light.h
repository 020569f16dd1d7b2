// The glass-ball layer: a 2D light layer that shows its slide as if seen through a glass sphere
// standing in front of a background. The slide (picture and objects) is drawn into the layer's
// render-target pair; the post render then draws on the back buffer a background (a vertical colour
// gradient or a picture of its own), a square quad in a small perspective scene whose generated bump
// map refracts the slide texture through fixed-function bump environment mapping, optional highlight
// images, the background again outside the disc through a circular mask, an optional stand image,
// and black bars where the background picture does not reach. Behind the glass the slide can scroll
// sideways or sway back and forth.
#pragma once
#include <d3dx9math.h>

#include <cstdint>

#include "document/media_color.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "slideshow/light_2d.h"

// The scroll clock that every glass-ball layer of the process shares, so that scrolling and swaying
// carry over from slide to slide.
struct GlassBallScrollClock {
  float phase = 0.0f;
  float lastTime = 0.0f;
  bool started = false;  // lastTime is set by the first frame move that scrolls
};
GlassBallScrollClock& SharedGlassBallScroll();

// The texels of the generated textures.
namespace glass_ball {
inline constexpr int kBumpSize = 256;
inline constexpr int kMaskSize = 1024;
inline constexpr int kGradientSize = 256;

// The sphere bump map at column c, row r: U in the low 16 bits, V in the high 16 bits, both signed.
uint32_t BumpTexel(int c, int r);
// The mask's alpha at (x, y): opaque outside the disc of radius 508 about the centre.
uint8_t MaskTexel(int x, int y);
// Row i of the gradient as A8R8G8B8 with alpha 0, from colours stored as 0x00BBGGRR.
uint32_t GradientTexel(DWORD top, DWORD bottom, int row);
}  // namespace glass_ball

class DS_GlassBallLight : public DS_2D_Light {
 public:
  // Vertex of the sphere and stand quads: position and two coordinate pairs (the second generated).
  struct SphereVertex {
    float x, y, z, u0, v0, u1, v1;
    static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX2;
  };

  DS_GlassBallLight();
  ~DS_GlassBallLight() override;

  bool Save(DS_IOF_Virtual** stream) override;

  void BeginTarget(RenderTargetPair& pair, int targetMode) override;
  void EndTarget() override;
  void CreateDeviceResources() override;
  void RestoreDeviceResources() override;
  void ReleaseDeviceResources() override;
  void PostRender() override;
  // The picture is always drawn, whatever the caller asks: the glass shows it.
  void Render(bool clearOnly) override;
  void AdvanceFrame(float t) override;
  void Resize(int width, int height) override;
  void SetPicturePosition(int newMode) override;
  bool HasPostEffect() const override { return true; }

  // Texture generators; each returns E_FAIL, leaving its texture empty, when it cannot be made.
  HRESULT CreateSphereBumpMap();
  HRESULT CreateSphereMask();
  HRESULT CreateGradientTexture();
  // Camera distance, sphere scale and sway amplitude from the sizes and the current scales.
  void UpdateSphereMetrics();
  // World, view and projection of the sphere scene and the stage-1 texture matrix that projects the
  // slide (refraction) or the background (otherwise) onto the sphere quad.
  void SetSphereTransforms(bool refraction);
  void UseGradientBackground();
  void SelectBackground();
  void LoadBackgroundPicture();

  DS_ImageFileLink highlightLink;
  DS_ImageFileLink secondHighlightLink;
  DS_ImageFileLink standLink;
  DS_ImageFileLink backgroundLink;
  UINTSclaleTo<float> scrollSpeed;  // 1 + 0.02 x stored value
  MediaParamTB<POINT> spherePosition;
  MediaParamT<unsigned int> sphereSize{100};
  MediaParamT<unsigned int> magnification{0};
  MediaParamT<int> highlightSwitch{1};
  MediaParamT<int> secondHighlightSwitch{1};
  MediaParamT<int> standSwitch{0};
  MediaParamT<int> backgroundPictureSwitch{0};
  MediaParamT<int> scrollMode{3};  // 0 none, 1 left, 2 right, 3 sway
  MediaColor topColor{0};  // 0x00BBGGRR
  MediaColor bottomColor{0};

  ComHolder<IDirect3DTexture9> bumpMap;
  ComHolder<IDirect3DTexture9> sphereMask;
  ComHolder<IDirect3DTexture9> gradient;
  ComHolder<IDirect3DTexture9> highlight;
  ComHolder<IDirect3DTexture9> secondHighlight;
  ComHolder<IDirect3DTexture9> stand;
  TextureEntry backgroundPicture;
  ComHolder<IDirect3DTexture9> backgroundTexture;  // the gradient or the background picture's texture

  DS_SimpleMesh<DX_V::PWC> bars[4];
  TexturedQuad<DX_V::PWCT> backgroundQuad;
  TexturedQuad<DX_V::PWCT> scrollQuads[2];
  ComHolder<IDirect3DVertexBuffer9> sphereQuad;
  ComHolder<IDirect3DVertexBuffer9> standQuad;

  float cameraDistance = -600.0f;
  float sphereScale = 1.0f;
  float swayAmplitude = 0.0f;
  float ox = 0.0f, oy = 0.0f;
  float sx = 1.0f, sy = 1.0f;
  float rx = 1.0f, ry = 1.0f;
  float sway = 0.0f;  // -1 to 1
  int effectiveMode = kFit;
  int savedMode = kFit;
  bool insideTarget = false;
  int savedWidth = 0, savedHeight = 0;
  D3DXMATRIX textureMatrix;  // stage 1; only its first two columns are used

 private:
  // The size SetSphereTransforms and the post render measure in: the saved size inside a target,
  // the back buffer's otherwise.
  void MeasureSize(float& width, float& height) const;
  void SetBackgroundTexture(IDirect3DTexture9* texture);
  void PlaceScrollQuads();
  void DrawSphereQuad(IDirect3DVertexBuffer9* buffer);
};

// The "DS_GlassBallLight" record, version 1: the four links, the settings, then a whole
// "DS_2D_Light" record as the base part.
void WriteGlassBallLightRecord(DS_IOF_Virtual** stream, DS_GlassBallLight& light);
void WriteGlassBallLightFields(DS_IOF_Virtual** stream, DS_GlassBallLight& light);
void ReadGlassBallLightFields(DS_IOF_Virtual** stream, DS_GlassBallLight& light);
template <>
void IOF_ReadFields<DS_GlassBallLight>(DS_IOF_Virtual** stream, DWORD version, DS_GlassBallLight& light);
