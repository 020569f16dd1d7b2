// The 2D view: picture pixels (x from 0 to W, y from 0 at the top to H) to positions on the current
// render target. It fits the picture's aspect into the target with letterbox bars, applies the
// picture-position setting (Stretch, Fit, Fill) as a scaling about the picture centre and the
// pan-and-zoom camera, and supplies the view and orthographic projection.
//
// There is one view for every layer of every monitor, so the layer that is about to draw re-applies
// its picture and target first. The border quads are device objects: each layer owns its own set on
// its own device and hands it to the view (UseBorders) whenever it applies its picture.
#pragma once
#include <d3dx9math.h>

#include <array>
#include <vector>

#include "document/image_file_link.h"
#include "render/layer_view.h"
#include "render/quad_corners.h"
#include "document/texture_entry.h"
#include "render/textured_quad.h"

// Picture-position modes.
inline constexpr int kStretch = 0;
inline constexpr int kFit = 1;
inline constexpr int kFill = 2;
inline constexpr int kLayerTarget = 3;  // stretched over a layer's own target, without the camera

// Left, right, top and bottom: 500 picture pixels beyond each edge, so that nothing drawn outside the
// picture shows.
using BorderQuads = std::array<TexturedQuad<DX_V::PT>, 4>;

class View2D {
 public:
  // Recomputes everything for a picture on a target of width x height pixels. targetSpace: the size
  // is that of an offscreen target, so the fitted rectangle stays in that target's pixels instead of
  // being measured in back-buffer pixels.
  void Apply(const TextureEntry& picture, int width, int height, int mode, bool targetSpace);

  // Device world := local x camera x picture position x fit (without the camera in mode 3).
  void SetWorld(const D3DXMATRIX& local) const;
  // The same product, then x view x projection (for effect parameters).
  void GetWorldViewProjection(D3DXMATRIX* out, const D3DXMATRIX& local) const;
  // fit x view x projection; in mode 3 picture position x fit x view x projection.
  void GetViewProjection(D3DXMATRIX* out) const;

  // Scales the picture by `zoom` about a fixed point that runs from the left (top) edge at pan -1
  // through the centre at 0 to the right (bottom) edge at +1.
  void SetCamera(float zoom, float panX, float panY);
  // Translation(tx, ty) x Scaling(sx, sy).
  void SetPicturePositionMatrix(float tx, float ty, float sx, float sy);
  // Device world := standard world, view and projection.
  void SetTransforms() const;

  // The border quads that Apply positions and DrawBorders draws; null: none.
  void UseBorders(BorderQuads* borders) { borders_ = borders; }
  BorderQuads* Borders() const { return borders_; }
  // Buffers for the current border quads and the first picture of the link as their texture.
  void SetBorderTextures(const DS_ImageFileLink& link);
  // Draws the current border quads through SetWorld, with whatever states the layer left.
  void DrawBorders() const;

  D3DXMATRIX fit;
  D3DXMATRIX picturePosition;
  D3DXMATRIX standardWorld;
  D3DXMATRIX view;
  D3DXMATRIX projection;
  float inverseScaleX = 1.0f, inverseScaleY = 1.0f;
  float offsetX = 0.0f, offsetY = 0.0f;
  D3DXMATRIX camera;
  int mode = kFit;
  UINT pictureWidth = 0, pictureHeight = 0;
  float ratioX = 1.0f, ratioY = 1.0f;
  float picturePixelsPerTargetPixel = 1.0f;  // r: the fit matrix scales by 1 / r

 private:
  D3DXMATRIX World(const D3DXMATRIX& local) const;
  void PlaceBorders() const;

  BorderQuads* borders_ = nullptr;
};

// The state of the view before any layer applies a picture: identity matrices, the fixed view
// matrix, a zero projection, mode 1, no picture.
View2D InitView2D();
extern View2D g_View2D;

// What a render object's own target replaced, restored when it ends: size, view mode and whether the
// size was that of an offscreen target. Pairs nest; the last entry is the innermost.
struct TargetState {
  int width = 0;
  int height = 0;
  int mode = kFit;
  bool targetSpace = false;
};
extern std::vector<TargetState> g_TargetSizeStack;
