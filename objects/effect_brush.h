// The base of the full-screen effect brushes. A brush owns a compiled effect taken from the document
// resource manager, a clock, an optional mask and a zoom; each frame it advances its clock, and when
// drawn it sets its effect's parameters by name and has the layer draw through the effect.
#pragma once
#include <d3d9.h>
#include <d3dx9effect.h>

#include "document/file_link.h"
#include "document/media_param_t.h"
#include "document/scaled_params.h"
#include "objects/guid_identity.h"
#include "render/ab_obj_constructor.h"
#include "document/com_holder.h"

class DS_ABRender;

using MaskHolder = ComHolder<IDirect3DTexture9>;

class DS_FX_Constructor : public DS_ABObj_Constructor {
 public:
  // The defaults; the identity gets a new GUID.
  DS_FX_Constructor();
  ~DS_FX_Constructor() override = default;

  // Writes the "DS_FX_Constructor" record; members write their own record first.
  bool Save(DS_IOF_Virtual** stream) override;
  // A brush render object around a clone.
  DS_ABObj* CreateObject() override;
  // Forgets the mask and takes a new GUID, an empty name and flag 1.
  void RenewIdentity() override;

  // The effect of the link from g_DocResManager, then the mask of the holder (null: no mask).
  virtual void Load(MaskHolder* maskHolder);
  virtual void DrawSelection(DS_ABRender&) {}
  MaskHolder* GetMask() { return &mask; }
  // Advances the clock to the scene time.
  virtual void Update(float time) { speed.Update(time); }
  // Sets the member's parameters and draws.
  virtual void Apply(DS_ABRender& layer) = 0;
  // Takes the holder's texture, with a reference of its own; the brush's own holder changes nothing.
  virtual void SetMask(MaskHolder* holder);
  virtual DS_FX_Constructor* Clone() const = 0;

  // Copies every field of the source into this brush; the clock and zoom values notify.
  void Assign(const DS_FX_Constructor& source);
  // The last step of every member's Apply that draws the layer's screen quad: "Scale", "Mask",
  // "Background" and the technique, then the quad once per pass. A brush without effect draws nothing.
  void DrawBrush(DS_ABRender& layer);

  // The record after the member's fields: header, then ReadFields of its version.
  bool ReadBase(DS_IOF_Virtual** stream);
  void ReadFields(DS_IOF_Virtual** stream, DWORD version);
  bool SaveBase(DS_IOF_Virtual** stream);

  MediaSpeedParam speed;
  MediaParamT<int> mainFX;
  DS_HLSLEffectFile effectLink;
  UINTSclaleTo<float> zoom;
  GuidIdentity identity = GuidIdentity::New();
  // Declared last so that the effect goes first, then the mask.
  MaskHolder mask;
  ComHolder<ID3DXEffect> effect;

 protected:
  // Every field, the interfaces with one reference more each.
  DS_FX_Constructor(const DS_FX_Constructor& other) = default;
};
