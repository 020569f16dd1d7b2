#include "slideshow/view_2d.h"

#include "document/doc_res_manager.h"
#include "document/device.h"

View2D g_View2D = InitView2D();
std::vector<TargetState> g_TargetSizeStack;

View2D InitView2D() {
  View2D view;
  D3DXMatrixIdentity(&view.fit);
  D3DXMatrixIdentity(&view.picturePosition);
  D3DXMatrixIdentity(&view.standardWorld);
  D3DXMatrixIdentity(&view.camera);
  view.projection = D3DXMATRIX(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  const D3DXVECTOR3 eye(0.0f, 0.0f, -1.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view.view, &eye, &at, &up);
  return view;
}

void View2D::Apply(const TextureEntry& picture, int width, int height, int newMode, bool targetSpace) {
  mode = newMode;
  pictureWidth = picture.width;
  pictureHeight = picture.height;
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float W = static_cast<float>(picture.width);
  const float H = static_cast<float>(picture.height);

  QuadCorners fitted;
  fitted.FitAspect(picture, w, h);
  const float fittedWidthInTarget = fitted.corners[2].x - fitted.corners[0].x;
  float r = (w == fittedWidthInTarget) ? W / w : H / h;
  // A picture without a size (its texture could not be made) would make the fit infinite.
  if (!(r > 0.0f) || r > 3.0e38f) r = 1.0f;
  picturePixelsPerTargetPixel = r;

  float outWidth = w, outHeight = h;  // (w', h'): the space the fitted rectangle is measured in
  // Without a back buffer to measure in, the rectangle stays in target pixels.
  const D3DSURFACE_DESC desc = GetBackBufferDesc();
  if (!targetSpace && desc.Width && desc.Height) {
    fitted.RescaleToBackBuffer(w, h);
    outWidth = static_cast<float>(desc.Width);
    outHeight = static_cast<float>(desc.Height);
  }
  const float x0 = fitted.corners[1].x;
  const float y0 = fitted.corners[1].y;
  const float fittedWidth = fitted.corners[2].x - fitted.corners[0].x;
  const float fittedHeight = fitted.corners[0].y - fitted.corners[1].y;

  PlaceBorders();
  D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, w, h, 0.0f, -5000.0f, 5000.0f);
  ratioX = outWidth / fittedWidth;
  ratioY = outHeight / fittedHeight;

  D3DXMATRIX scaling, translation;
  D3DXMatrixScaling(&scaling, 1.0f / r, 1.0f / r, 1.0f);
  D3DXMatrixTranslation(&translation, x0 * w / outWidth, y0 * h / outHeight, 0.0f);
  D3DXMatrixMultiply(&fit, &scaling, &translation);
  SetTransforms();

  float sx = 1.0f, sy = 1.0f;
  if (mode == kStretch || mode == kLayerTarget) {
    sx = (2.0f * x0 + fittedWidth) / fittedWidth;
    sy = (2.0f * y0 + fittedHeight) / fittedHeight;
  } else if (mode == kFill) {
    sx = sy = (x0 == 0.0f) ? (2.0f * y0 + fittedHeight) / fittedHeight : (2.0f * x0 + fittedWidth) / fittedWidth;
  }
  // A target of no size leaves nothing to scale by.
  if (!(sx > 0.0f) || sx > 3.0e38f) sx = 1.0f;
  if (!(sy > 0.0f) || sy > 3.0e38f) sy = 1.0f;
  SetPicturePositionMatrix((1.0f - sx) * W / (2.0f * sx), (1.0f - sy) * H / (2.0f * sy), sx, sy);
}

D3DXMATRIX View2D::World(const D3DXMATRIX& local) const {
  D3DXMATRIX product = local;
  if (mode != kLayerTarget) D3DXMatrixMultiply(&product, &product, &camera);
  D3DXMatrixMultiply(&product, &product, &picturePosition);
  D3DXMatrixMultiply(&product, &product, &fit);
  return product;
}

void View2D::SetWorld(const D3DXMATRIX& local) const {
  if (!g_Device) return;
  const D3DXMATRIX world = World(local);
  g_Device->SetTransform(D3DTS_WORLD, &world);
}

void View2D::GetWorldViewProjection(D3DXMATRIX* out, const D3DXMATRIX& local) const {
  D3DXMATRIX product = World(local);
  D3DXMatrixMultiply(&product, &product, &view);
  D3DXMatrixMultiply(out, &product, &projection);
}

void View2D::GetViewProjection(D3DXMATRIX* out) const {
  D3DXMATRIX product = fit;
  if (mode == kLayerTarget) D3DXMatrixMultiply(&product, &picturePosition, &fit);
  D3DXMatrixMultiply(&product, &product, &view);
  D3DXMatrixMultiply(out, &product, &projection);
}

void View2D::SetCamera(float zoom, float panX, float panY) {
  // A zoom of 0 (or a broken value) has no fixed point; the picture is then shown unzoomed.
  if (!(zoom > 0.0f) || zoom > 3.0e38f) zoom = 1.0f;
  const float W = static_cast<float>(pictureWidth);
  const float H = static_cast<float>(pictureHeight);
  D3DXMATRIX translation, scaling;
  D3DXMatrixTranslation(&translation, (panX + 1.0f) * (1.0f - zoom) * W / (2.0f * zoom),
                        (panY + 1.0f) * (1.0f - zoom) * H / (2.0f * zoom), 0.0f);
  D3DXMatrixScaling(&scaling, zoom, zoom, 1.0f);
  D3DXMatrixMultiply(&camera, &translation, &scaling);
}

void View2D::SetPicturePositionMatrix(float tx, float ty, float sx, float sy) {
  inverseScaleX = 1.0f / sx;
  inverseScaleY = 1.0f / sy;
  offsetX = tx;
  offsetY = ty;
  D3DXMATRIX translation, scaling;
  D3DXMatrixTranslation(&translation, tx, ty, 0.0f);
  D3DXMatrixScaling(&scaling, sx, sy, 1.0f);
  D3DXMatrixMultiply(&picturePosition, &translation, &scaling);
}

void View2D::SetTransforms() const {
  if (!g_Device) return;
  g_Device->SetTransform(D3DTS_WORLD, &standardWorld);
  g_Device->SetTransform(D3DTS_VIEW, &view);
  g_Device->SetTransform(D3DTS_PROJECTION, &projection);
}

void View2D::PlaceBorders() const {
  if (!borders_) return;
  const float W = static_cast<float>(pictureWidth);
  const float H = static_cast<float>(pictureHeight);
  const float edges[4][4] = {// x0, x1, y0, y1
                             {-500.0f, 0.0f, 0.0f, H},
                             {W, W + 500.0f, 0.0f, H},
                             {-500.0f, W + 500.0f, -500.0f, 0.0f},
                             {-500.0f, W + 500.0f, H, H + 500.0f}};
  for (int i = 0; i < 4; ++i) {
    const float x0 = edges[i][0], x1 = edges[i][1], y0 = edges[i][2], y1 = edges[i][3];
    const float positions[12] = {x0, y1, 0, x0, y0, 0, x1, y1, 0, x1, y0, 0};
    (*borders_)[i].SetPositions(positions);
  }
}

void View2D::SetBorderTextures(const DS_ImageFileLink& link) {
  if (!borders_) return;
  const TextureSet* set = g_DocResManager ? g_DocResManager->GetTextureSet(link) : nullptr;
  for (TexturedQuad<DX_V::PT>& quad : *borders_) {
    const float vertices[20] = {0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
    quad.SetVertices(vertices);
    if (set && !set->textures.empty())
      quad.texture = set->textures.front();
    else
      quad.texture.Release();
  }
}

void View2D::DrawBorders() const {
  if (!borders_ || !g_Device) return;
  SetTransforms();
  SetWorld((*borders_)[0].local);
  for (TexturedQuad<DX_V::PT>& quad : *borders_) {
    // Without its picture a border would cover the bars in the device's untextured white.
    if (!quad.texture || !quad.vertexBuffer) continue;
    quad.PrepareDraw();
    g_Device->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  }
}

