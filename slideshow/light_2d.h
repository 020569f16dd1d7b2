// The 2D light layer of a slide: shows the slide's picture through the 2D view, moved by its camera,
// and is the render context every render object of the slide draws into. It owns a render-target
// pair into which the whole layer is drawn when an object needs the background or a subclass has a
// post effect. The base of the layer family; subclasses override its virtual operations.
#pragma once
#include "document/class_registry.h"
#include "document/fun_light_ctrl.h"
#include "document/image_file_link.h"
#include "document/media_control_list.h"
#include "document/render_target_pair.h"
#include "document/texture_entry.h"
#include "render/ab_render.h"
#include "slideshow/camera.h"
#include "slideshow/view_2d.h"

class DS_2D_Light : public DS_ABRender {
 public:
  DS_2D_Light();
  ~DS_2D_Light() override;
  DS_2D_Light(const DS_2D_Light&) = delete;
  DS_2D_Light& operator=(const DS_2D_Light&) = delete;

  bool Save(DS_IOF_Virtual** stream) override;

  void BeginTarget(RenderTargetPair& pair, int mode) override;
  void EndTarget() override;
  void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) override;
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>& grid, ID3DXEffect* effect) override;
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>& quad, ID3DXEffect* effect) override;
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>& sprites, ID3DXEffect* effect) override;
  void DrawMeshFrame(MeshPart& part) override;
  void DrawSpriteArray(const SpriteArrayDraw& sprites) override;
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>& mesh) override;
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>& quad, const D3DXMATRIX* parent, bool pulse) override;
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return picture.width; }
  UINT GetHeight() const override { return picture.height; }

  // Once per slide at scene start: screen quad, picture, borders, handle textures.
  virtual void CreateDeviceResources();
  // Device state the layers draw with, the resource manager's reset, and the layer target.
  virtual void RestoreDeviceResources();
  virtual void ReleaseDeviceResources();
  // The border quads (after the post effect, in layers that have one).
  virtual void PostRender();
  // Clears the target and, unless clearOnly, draws the picture.
  virtual void Render(bool clearOnly);
  virtual void AdvanceFrame(float t);
  virtual void Resize(int width, int height);
  virtual void SetPicturePosition(int newMode);
  virtual bool IsCameraRunning() const { return camera.mode.value == 1; }
  // A screen-space colour quad blended over the target by its vertex alpha.
  virtual void DrawFadeQuad(DS_SimpleMesh<DX_V::PWC>& overlay);
  // From here on the layer draws into its own target, the picture stretched over it, no camera.
  virtual void BeginLayerTarget();
  // Back to the saved target and mode; clear: the back buffer is then cleared to opaque black.
  virtual RenderTargetPair& EndLayerTarget(bool clear);
  virtual bool HasPostEffect() const { return false; }
  virtual void OnImageChanged();

  // Mode := running and the walk back to the centre; whether it was running already.
  bool StartCamera();
  void LoadPicture();
  void CreateScreenQuad();
  void BindImageLink();

  DS_ImageFileLink pictureLink;
  DSM_Camera camera;
  TexturedQuad<DX_V::PT> screenQuad;
  TextureEntry picture;
  ComHolder<IDirect3DTexture9> background;
  ComHolder<IDirect3DTexture9> handleTextures[5];
  int mode = kFit;
  RenderTargetPair layerTarget;
  MediaControlList controls;
  int targetWidth = 0, targetHeight = 0;

 protected:
  // Applies the picture on the current target size and records what was applied, so that the layer
  // can put the shared view back to its own state before it draws.
  void ApplyView(int viewMode, bool targetSpace);
  // The picture, the view state of the last ApplyView, g_LayerView and the camera matrix, as this
  // layer last set them.
  void ReapplyView();
  void SetLayerViewForTarget();

  BorderQuads borders;

 private:
  int appliedMode_ = kFit;
  bool appliedTargetSpace_ = false;
};

// Reads the base part of a layer record, rows 1 and 2 included (subclasses).
void Read2DLightRecord(DS_IOF_Virtual** stream, DS_2D_Light& light);
// The fields after the header, by version: picture link from 2, camera from 3.
void Read2DLightFields(DS_IOF_Virtual** stream, DWORD version, DS_2D_Light& light);
void Write2DLightRecord(DS_IOF_Virtual** stream, DS_2D_Light& light);
// The reading step of the light registry's "DS_2D_Light" reader.
template <>
void IOF_ReadFields<DS_2D_Light>(DS_IOF_Virtual** stream, DWORD version, DS_2D_Light& light);
