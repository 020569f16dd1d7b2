#include "render/sprite_array_obj.h"

#include "document/doc_res_manager.h"
#include "render/simple_mesh.h"
#include "render/ab_render.h"
#include "render/sprite_array_draw.h"

DS_SpriteArrayObj::DS_SpriteArrayObj(std::unique_ptr<DS_BaseSpriteProp> clone) {
  description = clone.get();
  controller = std::move(clone);
  DS_BaseSpriteProp& d = *description;
  if (g_DocResManager) {
    const TextureSet* set = d.imageMode == 1 ? g_DocResManager->LoadPackageTextures(d.imageLink)
                                             : g_DocResManager->GetTextureSet(d.imageLink);
    if (set) {
      textures = set->textures;
      durations = set->frameTimes;
      width = set->width;
      height = set->height;
      aspect = set->aspect;
    }
  }
  BindCount();
  if (g_DocResManager && !d.maskLink.path.empty()) {
    const TextureSet* mask = g_DocResManager->GetTextureSet(d.maskLink);
    // A mask whose picture could not be made leaves the sprites unmasked.
    if (mask && !mask->textures.empty()) maskTexture = mask->textures.front();
  }
}

DS_SpriteArrayObj::~DS_SpriteArrayObj() {
  maskTexture.Release();
  // The count observer leaves the count property as the description dies; the geometry follows.
  controller.reset();
  description = nullptr;
}

void DS_SpriteArrayObj::Render(DS_ABRender& layer) {
  SpriteArrayDraw draw;
  draw.geometry = this;
  draw.texture = CurrentTexture();
  draw.mask.Attach(GetMaskTexture());
  draw.blendMode = description->blendMode.value;
  layer.DrawSpriteArray(draw);
}

void DS_SpriteArrayObj::DrawSelection(DS_ABRender& layer, int selected) {
  QuadCorners corners;
  description->GetScreenQuad(&corners);
  DS_SimpleMesh<DX_V::PC> quad;
  quad.BuildQuad(0x88000000u, corners);
  layer.DrawSelection(quad, staticObject, selected != 0);
}

void DS_SpriteArrayObj::Update(float time) {
  ParticleGeomArray::Update(time);
  DS_BaseSpriteProp& d = *description;
  const bool advanced = Advance(d.animationTime);
  if (d.refillOnImageChange.value == 0 || advanced) FillVertices();
}

void DS_SpriteArrayObj::SyncLayout() { description->SyncPixelRect(); }

bool DS_SpriteArrayObj::HitTest(const POINT& point, int) {
  return description->HitTest(static_cast<float>(point.x), static_cast<float>(point.y));
}

IDirect3DTexture9* DS_SpriteArrayObj::GetMaskTexture() const {
  if (maskTexture) maskTexture->AddRef();
  return maskTexture.Get();
}
