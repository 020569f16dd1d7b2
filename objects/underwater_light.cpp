#include "objects/underwater_light.h"

#include "document/device.h"

void FakeUndervater::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  // The layer's brush has no mask: an empty holder, released when it goes.
  MaskHolder none;
  brush.Load(&none);
}

void FakeUndervater::ReleaseDeviceResources() {
  if (brush.effect) brush.effect->SetTexture("Background", nullptr);
  DS_2D_Light::ReleaseDeviceResources();
}

void FakeUndervater::Render(bool) { DS_2D_Light::Render(false); }

void FakeUndervater::AdvanceFrame(float t) {
  DS_2D_Light::AdvanceFrame(t);
  brush.Update(t);
}

void FakeUndervater::PostRender() {
  // The slide drew picture and objects into the layer's target; from here on the back buffer.
  background.Set(EndLayerTarget(false).Current());
  if (brush.effect)
    brush.Apply(*this);
  else
    DrawPlain(background.Get());
  g_View2D.DrawBorders();
}

void FakeUndervater::DrawPlain(IDirect3DTexture9* drawn) {
  // Nothing drawn means nothing to show, rather than an untextured white rectangle.
  if (!g_Device || !drawn || !screenQuad.vertexBuffer) return;
  g_View2D.SetWorld(screenQuad.local);
  screenQuad.PrepareDraw();
  g_Device->SetTexture(0, drawn);
  g_Device->DrawPrimitive(screenQuad.primitiveType, 0, screenQuad.primitiveCount);
}
