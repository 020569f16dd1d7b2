#include "objects/static_text.h"

#include <objbase.h>

#include <algorithm>

#include "document/doc_res_manager.h"
#include "document/device.h"
#include "render/particle.h"
#include "render/ab_render.h"
#include "slideshow/view_2d.h"

DS_StaticTextConstructor::DS_StaticTextConstructor() {
  color.SetAndNotify(255u);
  CoCreateGuid(&identity);
}

DS_StaticTextConstructor::DS_StaticTextConstructor(const DS_StaticTextConstructor& other)
    : DS_StatBaseFXCtrl(other),
      verticalAlignment(other.verticalAlignment),
      horizontalAlignment(other.horizontalAlignment),
      text(other.text),
      font(other.font),
      fadeIn(other.fadeIn),
      fadeOut(other.fadeOut),
      hold(other.hold),
      delay(other.delay),
      fontObject(other.fontObject),
      textTarget(other.textTarget),
      drawFormat(other.drawFormat),
      timeline(other.timeline),
      alpha(other.alpha),
      identity(other.identity) {}

DS_ParticleSystemCtrl* DS_StaticTextConstructor::Clone() const { return new DS_StaticTextConstructor(*this); }

void DS_StaticTextConstructor::Restart() { timeline = 0.0f; }

void DS_StaticTextConstructor::UpdateParticle(Particle& p) {
  p.position = position.value;
  p.halfWidth = static_cast<float>(width.value) * 0.5f;
  p.halfHeight = static_cast<float>(height.value) * 0.5f;
  // Every particle of the element is updated each frame; only the first one seen moves the loop on,
  // so that a count above 1 does not make the text fade faster.
  if (!timelineParticle_) timelineParticle_ = &p;
  if (&p == timelineParticle_) AdvanceTimeline();
  Particle::ApplyColor(*this, p);
}

void DS_StaticTextConstructor::AdvanceTimeline() {
  timeline += realStep * 1000.0f;
  const float dl = static_cast<float>(delay.value);
  const float fi = static_cast<float>(fadeIn.value);
  const float ho = static_cast<float>(hold.value);
  const float fo = static_cast<float>(fadeOut.value);
  // A phase of length 0 is never entered, so none of the divisions below can be by zero.
  if (timeline < dl)
    alpha = 0.0f;
  else if (timeline < dl + fi)
    alpha = (timeline - dl) / fi;
  else if (timeline < dl + fi + ho)
    alpha = 1.0f;
  else if (timeline < dl + fi + ho + fo)
    alpha = 1.0f - (timeline - dl - fi - ho) / fo;
  else
    timeline = 0.0f;  // the alpha stays until the next step
}

DWORD DS_StaticTextConstructor::DrawFormatFor(INT horizontal, INT vertical) {
  DWORD format = horizontal == 1 ? DT_CENTER : horizontal == 2 ? DT_RIGHT : DT_LEFT;
  if (vertical == 1)
    format |= DT_VCENTER;
  else if (vertical == 2)
    format |= DT_BOTTOM;
  return format;
}

BYTE DS_StaticTextConstructor::AlphaByte(float alpha) {
  if (alpha >= 1.0f) return 255;
  if (!(alpha > 0.0f)) return 0;  // not a number counts as transparent
  return static_cast<BYTE>(alpha * 255.0f + 0.5f);
}

void DS_StaticTextConstructor::LoadResources() {
  DS_StatBaseFXCtrl::LoadResources();
  // A box beyond the picture shows nothing more, yet a huge one (16384 or 4294967295 pixels a side)
  // would ask for a target that cannot be made and a quad that covers the whole slide.
  const auto side = [](int picture) { return picture > 0 ? static_cast<UINT>(picture) : kMaxBoxSide; };
  width.value = std::min(width.value, side(g_LayerView.pictureWidth));
  height.value = std::min(height.value, side(g_LayerView.pictureHeight));
  drawn_.valid = false;
  textTarget = g_DocResManager ? g_DocResManager->GetTextTarget(identity) : nullptr;
  if (textTarget) textTarget->Create(width.value, height.value);
  LoadFont();
  drawFormat = DrawFormatFor(horizontalAlignment.value, verticalAlignment.value);
}

void DS_StaticTextConstructor::ReleaseDeviceResources() {
  if (ID3DXEffect* fx = effect.Get()) fx->SetTexture("Texture1", nullptr);
  drawn_.valid = false;
}

void DS_StaticTextConstructor::LoadFont() {
  // The manager adds a reference for the caller; that one is kept. A negative height (the glyphs'
  // own height) is held the same way as a positive one.
  FontMediaParam held = font;
  held.height = std::clamp(font.height, -kMaxFontHeight, kMaxFontHeight);
  fontObject.Attach(g_DocResManager ? g_DocResManager->CreateFont(identity, held) : nullptr);
  drawn_.valid = false;
}

void DS_StaticTextConstructor::SetEffectParameters(DS_ABRender* layer) {
  if (!textTarget || !textTarget->Current()) return;
  // Without an effect or a layer there is nothing to draw the text for.
  ID3DXEffect* fx = effect.Get();
  if (!fx || !layer) return;
  const D3DCOLOR textColor = static_cast<D3DCOLOR>(AlphaByte(alpha)) << 24 | 0xFFFFFFu;
  const bool unchanged = drawn_.valid && drawn_.color == textColor && drawn_.format == drawFormat &&
                         drawn_.width == width.value && drawn_.height == height.value &&
                         drawn_.font == fontObject.Get() && drawn_.target == textTarget->Current() &&
                         drawn_.text == text.value;
  if (!unchanged) {
    fx->SetTechnique("Common");
    fx->SetTexture("Texture1", nullptr);  // the target must not be read while it is drawn into

    textTarget->BeginRender();
    layer->BeginTarget(*textTarget, 3);
    if (g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0);
    RECT rect;
    SetRect(&rect, 0, 0, static_cast<INT>(width.value), static_cast<INT>(height.value));
    // A font that could not be made leaves the target clear.
    if (fontObject) fontObject->DrawTextW(nullptr, text.value.c_str(), -1, &rect, drawFormat, textColor);
    textTarget->EndRender();
    layer->EndTarget();
    drawn_ = {true, text.value, textColor, drawFormat, width.value, height.value, fontObject.Get(),
              textTarget->Current()};
  }

  fx->SetTechnique("Common");
  fx->SetTexture("Texture1", textTarget->Current());
}
