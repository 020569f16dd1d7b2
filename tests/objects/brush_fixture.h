// Effect brushes on a software device, with a resource manager whose document carries the tests'
// effects and pictures, and a layer that records what it is asked to draw and draws it in picture
// pixels (the back buffer is the picture: 1:1, no view).
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/doc_res_manager.h"
#include "objects/effect_brush.h"
#include "platform/d3dx9/effect.h"
#include "render/ab_render.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace brush_test {

// A brush of the tests' own: its Apply is the shared drawing step alone.
class TestBrush : public DS_FX_Constructor {
 public:
  TestBrush() = default;
  void Apply(DS_ABRender& layer) override { DrawBrush(layer); }
  DS_FX_Constructor* Clone() const override { return new TestBrush(*this); }

 protected:
  TestBrush(const TestBrush&) = default;
};

class DrawingLayer : public DS_ABRender {
 public:
  DrawingLayer(UINT width, UINT height);
  bool Save(DS_IOF_Virtual**) override { return true; }
  void BeginTarget(RenderTargetPair&, int) override {}
  void EndTarget() override {}
  void DrawSelection(DS_SimpleMesh<DX_V::PC>&, int, bool) override { events.push_back("DrawSelection"); }
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>& grid, ID3DXEffect* effect) override;
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>& quad, ID3DXEffect* effect) override;
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>&, ID3DXEffect*) override {}
  void DrawMeshFrame(MeshPart&) override {}
  void DrawSpriteArray(const SpriteArrayDraw&) override {}
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>&) override {}
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>&, const D3DXMATRIX*, bool) override {}
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return width; }
  UINT GetHeight() const override { return height; }

  UINT width;
  UINT height;
  ComHolder<IDirect3DTexture9> background;
  TexturedQuad<DX_V::PT> screenQuad;
  std::vector<std::string> events;
  const DS_IndexedMesh<DX_V::PT>* grid = nullptr;  // the last grid drawn

 private:
  void SetPixelSpace() const;
};

// One Set call of an effect, textures as the object they name.
struct SetCall {
  std::string what;  // "SetFloatArray Scale"
  IDirect3DBaseTexture9* texture = nullptr;
  std::vector<float> values;
};
// The Set calls after the first `skip` recorded calls of the effect.
std::vector<SetCall> SetCalls(ID3DXEffect* effect, size_t skip = 0);
size_t CallCount(ID3DXEffect* effect);
// The last Set call of that method and name; a default call when there is none.
SetCall LastSet(ID3DXEffect* effect, const std::string& what);

// The stand-in's effect for the base brush: "Main" and "MainFX" draw "Background".
extern const char kBrushEffect[];
// The fire effect: "Main" and "AsEffect" draw flames, alpha-blended.
extern const char kFireEffect[];

// A 256 x 256 device published as g_Device and a current resource manager over a document with:
//   images "white.png" (4 x 4 white), "gray.png" (4 x 4 mid grey), "red.png" (4 x 4 red),
//          "green.png" (8 x 8 green)
//   other files "brush.fx" (kBrushEffect) and resource 92 of "vaultkit.dll" (kFireEffect)
//   one GUID texture, a 2 x 2 blue picture, under kMaskGuid.
class BrushSceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static DS_ImageFileLink Image(const char16_t* path) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  static DS_HLSLEffectFile Effect(const char16_t* path) {
    return DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  IDirect3DTexture9* TextureOf(const char16_t* path) {
    return manager_->GetTextureSet(Image(path))->textures.at(0).Get();
  }
  // The back buffer as 0x00RRGGBB, row-major, 256 wide.
  std::vector<uint32_t> ReadBackBuffer();

  static const GUID kMaskGuid;
  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

}  // namespace brush_test
