// A line or block of text on a slide that waits, fades in, stays, fades out and starts over. Every
// frame the text is drawn with a font into a render target of the element's size, and that target
// is the texture the element's effect draws the element's quad with.
#pragma once
#include <d3dx9core.h>

#include <windows.h>

#include "document/class_registry.h"
#include "document/ds_string.h"
#include "document/font_media_param.h"
#include "document/iof_virtual.h"
#include "document/media_param_t.h"
#include "objects/stat_base_fx_ctrl.h"
#include "document/com_holder.h"
#include "document/render_target_pair.h"

class DS_StaticTextConstructor : public DS_StatBaseFXCtrl {
 public:
  // Red sprite colour (255, told to its observers) and a new identity from CoCreateGuid.
  DS_StaticTextConstructor();
  ~DS_StaticTextConstructor() override = default;

  // The record "DS_StaticTextConstructor", version 1, then the static effect level.
  bool Save(DS_IOF_Virtual** stream) override;
  // When the slide becomes current the loop starts again.
  void Restart() override;
  // Places the particle on the element's quad and runs the fade loop; the fade alpha is the text's,
  // the particle keeps its own.
  void UpdateParticle(Particle& p) override;
  DS_ParticleSystemCtrl* Clone() const override;
  // The text box held within the layer's picture, then the effect, the text target (sized width x
  // height), the font and the draw format.
  void LoadResources() override;
  // Draws the text into the target (unless the target already holds this very text, colour and
  // box), then lets the effect's "Common" technique read the target as "Texture1". Nothing without a
  // target texture.
  void SetEffectParameters(DS_ABRender* layer) override;

  // The tallest font a text is drawn with, in pixels: one line of it fills most of any picture the
  // slides show, and it bounds the time the glyphs take to make (a stored height of 20000 costs a
  // minute per drawing, 2147483647 never finishes).
  static constexpr INT kMaxFontHeight = 1024;
  // The largest text box without a picture to hold it in: the largest picture a slide shows.
  static constexpr UINT kMaxBoxSide = 8192;

  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Values go straight into the properties; the version changes nothing. False once the stream
  // has failed.
  bool ReadFields(DS_IOF_Virtual** stream, DWORD version);
  // A new font for this identity, replacing the one held.
  void LoadFont();
  // The effect lets go of the text target, which the resource manager releases for the reset; the
  // target made again after it holds no text yet.
  void ReleaseDeviceResources() override;
  void RestoreDeviceResources() override { drawn_.valid = false; }

  // DT_ flags: horizontal 1 centre, 2 right, otherwise left; vertical 1 centre, 2 bottom, otherwise top.
  static DWORD DrawFormatFor(INT horizontal, INT vertical);
  // The fade alpha as the byte the text is drawn with: 255 from 1 up, 0 from 0 down, else rounded.
  static BYTE AlphaByte(float alpha);

  MediaParamT<INT> verticalAlignment{0};    // 0 top, 1 centre, 2 bottom
  MediaParamT<INT> horizontalAlignment{0};  // 0 left, 1 centre, 2 right
  MediaParamT<ds_string> text;
  FontMediaParam font;
  MediaParamT<UINT> fadeIn{0};   // milliseconds
  MediaParamT<UINT> fadeOut{0};  // milliseconds
  MediaParamT<UINT> hold{0};     // milliseconds at full alpha
  MediaParamT<UINT> delay{0};    // milliseconds before the fade-in
  ComHolder<ID3DXFont> fontObject;
  RenderTargetPair* textTarget = nullptr;  // owned by the resource manager
  DWORD drawFormat = 0;
  float timeline = 0.0f;  // milliseconds since the loop started
  float alpha = 1.0f;     // fade alpha of the text
  GUID identity{};        // key of the text target and the font in the resource manager

 protected:
  // Every property, the font (one more reference), the target, draw format, timeline, alpha and the
  // identity, so that a clone uses the same target and font slots.
  DS_StaticTextConstructor(const DS_StaticTextConstructor& other);

 private:
  // One step of the fade loop with this frame's real step.
  void AdvanceTimeline();

  // The particle whose update advances the loop: with several particles the loop still runs once
  // per frame. Compared only, never read; a copy chooses its own.
  const Particle* timelineParticle_ = nullptr;

  // What the text target holds: drawing a long text again every frame would cost the frame.
  struct DrawnText {
    bool valid = false;
    ds_string text;
    D3DCOLOR color = 0;
    DWORD format = 0;
    UINT width = 0, height = 0;
    const ID3DXFont* font = nullptr;
    const IDirect3DTexture9* target = nullptr;
  };
  DrawnText drawn_;
};

template <>
void IOF_ReadFields<DS_StaticTextConstructor>(DS_IOF_Virtual** stream, DWORD version,
                                              DS_StaticTextConstructor& text);
