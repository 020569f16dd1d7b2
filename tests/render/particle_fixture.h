// Particle descriptions of the tests' own, a render context that records what it is asked to draw,
// and a device with a resource manager whose document carries the tests' pictures and effect.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_res_manager.h"
#include "render/effect_particle_objs.h"
#include "render/particle_fx_ctrl.h"
#include "render/particle_sprite_prop.h"
#include "render/sprite_array_obj.h"
#include "render/ab_render.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace particle_test {

// What the descriptions and the recording layer saw, shared by a description and its clones.
struct Log {
  std::vector<std::string> events;
  std::vector<const Particle*> initialised;  // in call order
  std::vector<Particle> stateAtInit;         // the particle as InitParticle received it
  std::vector<const Particle*> updated;      // in call order
};

// Places particle i with `place` when it is initialised.
class TestSprites : public DS_ParticleSystemCtrl {
 public:
  explicit TestSprites(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void InitParticle(Particle& p) override;
  void UpdateParticle(Particle& p) override { log_->updated.push_back(&p); }
  DS_ParticleSystemCtrl* Clone() const override { return new TestSprites(*this); }
  DS_ABObj* CreateObject() override;

  std::function<void(Particle&, size_t index)> place;

 private:
  TestSprites(const TestSprites&) = default;
  std::shared_ptr<Log> log_;
};

class TestGlow : public DS_GlowEffectCtrl {
 public:
  explicit TestGlow(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void PreUpdate() override { log_->events.push_back("PreUpdate"); }
  void UpdateParticle(Particle&) override { log_->events.push_back("UpdateParticle"); }
  DS_ParticleSystemCtrl* Clone() const override { return new TestGlow(*this); }

 private:
  TestGlow(const TestGlow&) = default;
  std::shared_ptr<Log> log_;
};

class TestFX : public DS_BaseFXCtrl {
 public:
  explicit TestFX(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  void SetEffectParameters(DS_ABRender*) override { log_->events.push_back("SetEffectParameters"); }
  DS_ParticleSystemCtrl* Clone() const override { return new TestFX(*this); }
  DS_ABObj* CreateObject() override;

 private:
  TestFX(const TestFX&) = default;
  std::shared_ptr<Log> log_;
};

// Records the drawing requests; draws nothing.
class RecordingLayer : public DS_ABRender {
 public:
  explicit RecordingLayer(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  bool Save(DS_IOF_Virtual**) override { return true; }
  void BeginTarget(RenderTargetPair&, int mode) override { Event("BeginTarget " + std::to_string(mode)); }
  void EndTarget() override { Event("EndTarget"); }
  void DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) override;
  void DrawGridWithEffect(DS_IndexedMesh<DX_V::PT>&, ID3DXEffect*) override { Event("DrawGrid"); }
  void DrawQuadWithEffect(DS_SimpleMesh<DX_V::PT>&, ID3DXEffect*) override { Event("DrawQuad"); }
  void DrawSpritesWithEffect(DS_IndexedMesh<DX_V::PCT>&, ID3DXEffect*) override { Event("DrawSprites"); }
  void DrawMeshFrame(MeshPart&) override { Event("DrawMeshFrame"); }
  void DrawSpriteArray(const SpriteArrayDraw& sprites) override;
  void Draw3DInLayer(TexturedMesh<DX_V::PNT>&) override { Event("Draw3DInLayer"); }
  void DrawPulsingQuad(TexturedQuad<DX_V::PT>&, const D3DXMATRIX*, bool) override { Event("DrawPulsingQuad"); }
  ComHolder<IDirect3DTexture9>& GetBackground() override { return background; }
  TexturedQuad<DX_V::PT>& GetScreenQuad() override { return screenQuad; }
  UINT GetWidth() const override { return 256; }
  UINT GetHeight() const override { return 256; }

  // The last sprite drawing request: its texture, mask and blend mode.
  IDirect3DTexture9* spriteTexture = nullptr;
  IDirect3DTexture9* spriteMask = nullptr;
  int spriteBlendMode = -1;
  const DS_IndexedMesh<DX_V::PCT>* spriteGeometry = nullptr;
  // The last selection quad's colours and flags.
  std::vector<D3DCOLOR> selectionColors;
  int selectionSelected = -1;
  bool selectionSteady = false;

  ComHolder<IDirect3DTexture9> background;
  TexturedQuad<DX_V::PT> screenQuad;

 private:
  void Event(const std::string& what) { log_->events.push_back(what); }
  std::shared_ptr<Log> log_;
};

// The stand-in's effect file with the four techniques of the glow drawing.
extern const char kGlowEffect[];

// A 256 x 256 device published as g_Device, and a resource manager (current) over a document with:
//   "wide.png"  one 8 x 4 picture (aspect 0.5)       "tall.png"  one 4 x 8 picture (aspect 2)
//   "anim.png"  three 2 x 2 pictures, times 1, 1, 1  "two.png"   two 2 x 2 pictures, times 1, 1, 1
//   "mask.png"  one 2 x 2 picture                    "glow.fx"   kGlowEffect
//   "split.png" 16 x 16, red left half, blue right half
class ParticleSceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static DS_ImageFileLink Image(const char16_t* path) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  static DS_HLSLEffectFile Effect(const char16_t* path) {
    return DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  TextureSet& SetOf(const char16_t* path) { return *manager_->GetTextureSet(Image(path)); }
  // The vertices of a sprite geometry, read back through a lock.
  static std::vector<DX_V::PCT> Vertices(ParticleGeomArray& geometry);

  std::shared_ptr<Log> log_ = std::make_shared<Log>();
  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

}  // namespace particle_test
