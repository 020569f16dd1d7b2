// The render context of a slide: the render objects hand their geometry to it, and it places the
// geometry in picture space through the 2D view and draws it with a fixed set of device states.
// The 2D light layer implements it.
#pragma once
#include <d3dx9effect.h>

#include "document/iof_item.h"
#include "document/com_holder.h"
#include "render/indexed_mesh.h"
#include "document/render_target_pair.h"
#include "render/simple_mesh.h"
#include "render/textured_quad.h"
#include "document/vertex_formats.h"
#include "render/sprite_array_draw.h"

class MeshPart;

class DS_ABRender : public DS_IOF_Item {
 public:
  // Prepares the view for drawing into an offscreen target of the pair's size; binds no surface (the
  // caller does, with RenderTargetPair::BeginRender).
  virtual void BeginTarget(RenderTargetPair& pair, int mode) = 0;
  // Returns to the size, mode and space that the matching BeginTarget replaced.
  virtual void EndTarget() = 0;

  // Editing aid: an element's selection frame with its four corner handles.
  virtual void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) = 0;
  // Through every pass of an effect whose technique and parameters the caller has set.
  virtual void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>& grid, ID3DXEffect* effect) = 0;
  virtual void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>& quad, ID3DXEffect* effect) = 0;
  virtual void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>& sprites, ID3DXEffect* effect) = 0;
  // A textured mesh at each of its instance frames.
  virtual void DrawMeshFrame(MeshPart& part) = 0;
  virtual void DrawSpriteArray(const SpriteArrayDraw& sprites) = 0;
  // A textured mesh at each child frame of its own frame, both faces.
  virtual void Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) = 0;
  // Editing aid of constant size on the target.
  virtual void DrawPulsingQuad(TexturedQuad<DX_V::PT>& quad, const D3DXMATRIX* parent, bool pulse) = 0;

  // A texture of what the layer has drawn so far, or its picture.
  virtual ComHolder<IDirect3DTexture9>& GetBackground() = 0;
  // The picture's quad: its texture over (0, 0)-(W, H) in picture pixels.
  virtual TexturedQuad<DX_V::PT>& GetScreenQuad() = 0;
  virtual UINT GetWidth() const = 0;
  virtual UINT GetHeight() const = 0;
};
