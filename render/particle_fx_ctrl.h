// Particle layers drawn through an effect of the scene instead of the layer's fixed-function sprite
// drawing: the effect base, the glow branch (drawn in three passes by DS_GlowingObj) and the branch
// whose description sets the effect's parameters each frame (drawn by DS_FXObj).
#pragma once
#include <d3d9.h>
#include <d3dx9effect.h>

#include "document/file_link.h"
#include "document/media_color.h"
#include "document/scaled_params.h"
#include "document/com_holder.h"
#include "render/particle_sprite_prop.h"

class DS_ABRender;

class DS_FXParticleSystemCtrl : public DS_ParticleSystemCtrl {
 public:
  DS_FXParticleSystemCtrl() = default;
  // Writes the "DS_FXParticleSystemCtrl" record; always true.
  bool Save(DS_IOF_Virtual** stream) override;
  // The effect of the link from the current resource manager, replacing the one held before.
  virtual void LoadResources();

  // "DS_FXParticleSystemCtrl" version 1: the header, the effect link, then the "DS_BaseSpriteProp"
  // record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // Reads the header (its version changes nothing), the effect link and the sprite record. False once
  // the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);

  DS_HLSLEffectFile effectLink;
  ComHolder<ID3DXEffect> effect;  // null until loaded, or when the effect cannot be made

 protected:
  // The copy shares the loaded effect (one more reference).
  DS_FXParticleSystemCtrl(const DS_FXParticleSystemCtrl& other) = default;
};

class DS_GlowEffectCtrl : public DS_FXParticleSystemCtrl {
 public:
  DS_GlowEffectCtrl();
  // Writes the "DS_GlowEffectCtrl" record; always true.
  bool Save(DS_IOF_Virtual** stream) override;
  // A glow object around a clone of this description.
  DS_ABObj* CreateObject() override;
  // The effect, then the glow picture (first picture of the mask link) and the sprite picture
  // (first picture of the image link).
  void LoadResources() override;
  // Once per frame before the particles move; nothing here.
  virtual void PreUpdate() {}

  // "DS_GlowEffectCtrl" version 1: the header, glow colour, stored glow intensity, then the
  // "DS_FXParticleSystemCtrl" record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  // The colour goes straight into its value; the intensity is set and notified, so that the derived
  // intensity follows. False once the stream has failed.
  bool ReadBase(DS_IOF_Virtual** stream);

  MediaColor glowColor{0u};                // 0x00BBGGRR
  UINTSclaleTo<float> glowIntensity;       // stored percent, derived 0..1
  ComHolder<IDirect3DTexture9> glowTexture;
  ComHolder<IDirect3DTexture9> spriteTexture;

 protected:
  DS_GlowEffectCtrl(const DS_GlowEffectCtrl& other) = default;
};

class DS_BaseFXCtrl : public DS_FXParticleSystemCtrl {
 public:
  DS_BaseFXCtrl() = default;
  // Sets the effect's parameters for this frame's drawing into the layer.
  virtual void SetEffectParameters(DS_ABRender* layer) = 0;
  // Before a device reset: the effect lets go of the default-pool textures it was given. After it
  // (and whenever the slide becomes current) the default-pool objects are new.
  virtual void ReleaseDeviceResources() {}
  virtual void RestoreDeviceResources() {}

  // "DS_BaseFXCtrl" version 1: the header (no fields of its own), then the "DS_FXParticleSystemCtrl"
  // record.
  bool SaveBase(DS_IOF_Virtual** stream) const;
  bool ReadBase(DS_IOF_Virtual** stream);

 protected:
  DS_BaseFXCtrl(const DS_BaseFXCtrl& other) = default;
};
