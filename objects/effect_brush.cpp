#include "objects/effect_brush.h"

#include <memory>

#include "document/doc_res_manager.h"
#include "document/stream_reads.h"
#include "objects/brush_obj.h"
#include "document/texture_loaders.h"
#include "render/ab_render.h"

namespace {
const ds_string kClassName = u"DS_FX_Constructor";
constexpr DWORD kVersion = 2;
// The size of the mask copy the document keeps.
constexpr UINT kMaskSize = 512;
}  // namespace

DS_FX_Constructor::DS_FX_Constructor() {
  zoom.scale = 0.02f;
  zoom = 50u;
}

DS_ABObj* DS_FX_Constructor::CreateObject() { return new DS_BrushObj(std::unique_ptr<DS_FX_Constructor>(Clone())); }

void DS_FX_Constructor::RenewIdentity() {
  mask.Release();
  identity = GuidIdentity::New();
}

void DS_FX_Constructor::Load(MaskHolder* maskHolder) {
  // The manager adds a reference for the caller; that one is kept.
  effect.Attach(g_DocResManager ? g_DocResManager->GetEffect(effectLink) : nullptr);
  SetMask(maskHolder);
}

void DS_FX_Constructor::SetMask(MaskHolder* holder) {
  if (holder == &mask) return;
  mask.Release();
  if (holder) mask.Set(holder->Get());
}

void DS_FX_Constructor::Assign(const DS_FX_Constructor& source) {
  if (&source == this) return;
  placed = source.placed;
  name = source.name;
  speed.step = source.speed.step;
  speed.accumulated = source.speed.accumulated;
  speed.last = source.speed.last;
  speed = static_cast<const UINTSclaleTo<float>&>(source.speed);
  mainFX.value = source.mainFX.value;
  effectLink = source.effectLink;
  zoom = source.zoom;
  identity = source.identity;
  mask = source.mask;
  effect = source.effect;
}

void DS_FX_Constructor::DrawBrush(DS_ABRender& layer) {
  if (!effect) return;
  const double w = layer.GetWidth();
  const double h = layer.GetHeight();
  // A layer without a picture has no aspect; it is taken as square rather than infinite.
  const float aspect = h > 0.0 ? static_cast<float>(w / h) : 1.0f;
  const float z = zoom.derived;
  const float scale[2] = {aspect / z, 1.0f / z};
  effect->SetTechnique(mainFX.value != 0 ? "MainFX" : "Main");
  effect->SetFloatArray("Scale", scale, 2);
  effect->SetTexture("Mask", mask.Get());
  effect->SetTexture("Background", layer.GetBackground().Get());
  layer.DrawQuadWithEffect(layer.GetScreenQuad(), effect.Get());
}

bool DS_FX_Constructor::Save(DS_IOF_Virtual** stream) { return SaveBase(stream); }

bool DS_FX_Constructor::ReadBase(DS_IOF_Virtual** stream) {
  ds_string className;  // known from its place: read and ignored
  DWORD version = 0;
  (*stream)->ReadString(&className);
  (*stream)->ReadULong(&version);
  ReadFields(stream, version);
  return !(*stream)->Failed();
}

void DS_FX_Constructor::ReadFields(DS_IOF_Virtual** stream, DWORD version) {
  DS_IOF_Virtual* in = *stream;
  // The speed and the zoom feed derived values, so they are set and their observers told.
  UINT speedValue = speed.value;
  in->ReadUInt(&speedValue);
  speed.SetAndNotify(speedValue);
  in->ReadInt(&mainFX.value);
  ReadGuid(stream, &identity.guid);
  in->ReadString(&identity.name);
  in->ReadByte(&identity.flag);
  ReadFileLink(stream, &effectLink);
  if (version > 1) {
    UINT zoomValue = zoom.value;
    in->ReadUInt(&zoomValue);
    zoom.SetAndNotify(zoomValue);
  }
  DS_ABObj_Constructor::ReadBase(stream);
}

bool DS_FX_Constructor::SaveBase(DS_IOF_Virtual** stream) {
  DS_IOF_Virtual* out = *stream;
  out->WriteString(&kClassName);
  out->WriteULong(&kVersion);
  // The document keeps a copy of the mask under the brush's identity.
  if (g_DocResManager) {
    TextureHolder copy;
    CopyTextureToNew(mask.Get(), copy, D3DFMT_UNKNOWN, kMaskSize, kMaskSize);
    g_DocResManager->GuidTexture(identity.guid) = std::move(copy);
  }
  out->WriteUInt(&speed.value);
  out->WriteInt(&mainFX.value);
  WriteGuid(stream, identity.guid);
  out->WriteString(&identity.name);
  out->WriteByte(&identity.flag);
  WriteFileLink(stream, effectLink);
  out->WriteUInt(&zoom.value);
  return DS_ABObj_Constructor::SaveBase(stream);
}
