#include "particle_fixture.h"

#include <cstring>

#include "document/iof_reader.h"
#include "document/device.h"
#include "tests/render/image_files.h"
#include "tests/support/document_builder.h"

namespace particle_test {

const char kGlowEffect[] =
    "copperleaf-effect 1\n"
    "parameter float4 BlendColor 1 1 1 1\n"
    "parameter texture Texture1\n"
    "parameter texture Texture2\n"
    "technique Blend_Max\npass P0\nprogram textured\nsampler 0 Texture1\n"
    "technique Blend_Screen\npass P0\nprogram textured\nsampler 0 Texture1\n"
    "technique Blend_Normal\npass P0\nprogram textured\nsampler 0 Texture1\n"
    "technique Common\npass P0\nprogram textured\nsampler 0 Texture1\n";

void TestSprites::InitParticle(Particle& p) {
  const size_t index = log_->initialised.size();
  log_->initialised.push_back(&p);
  log_->stateAtInit.push_back(p);
  if (place) place(p, index);
}

DS_ABObj* TestSprites::CreateObject() {
  return new DS_SpriteArrayObj(std::unique_ptr<DS_BaseSpriteProp>(Clone()));
}

DS_ABObj* TestFX::CreateObject() {
  return new DS_FXObj(std::unique_ptr<DS_BaseFXCtrl>(static_cast<DS_BaseFXCtrl*>(Clone())));
}

void RecordingLayer::DrawSelection(DS_SimpleMesh<DX_V::PC>& quad, int selected, bool steady) {
  Event("DrawSelection");
  selectionColors.clear();
  if (DX_V::PC* v = quad.LockVertices()) {
    for (UINT i = 0; i < quad.vertexCount; ++i) selectionColors.push_back(v[i].color);
    quad.UnlockVertices();
  }
  selectionSelected = selected;
  selectionSteady = steady;
}

void RecordingLayer::DrawSpriteArray(const SpriteArrayDraw& sprites) {
  Event("DrawSpriteArray");
  spriteTexture = sprites.texture;
  spriteMask = sprites.mask.Get();
  spriteBlendMode = sprites.blendMode;
  spriteGeometry = sprites.geometry;
}

void ParticleSceneTest::SetUp() {
  DeviceTest::SetUp();
  g_Device = device_.Get();
  using docbuild::Embedded;
  using doc_res_test::Png;
  const doc_res_test::Bytes split =
      test_images::Png(16, 16, [](int x, int) { return x < 8 ? 0xFF0000u : 0x0000FFu; });
  const doc_res_test::Bytes effect(kGlowEffect, kGlowEffect + std::strlen(kGlowEffect));
  docbuild::DocumentBuilder doc;
  doc.DocResManager(
      3,
      {{u"wide.png", 1, {Embedded(u"wide.png", Png(8, 4, 0xFFFFFF))}},
       {u"tall.png", 1, {Embedded(u"tall.png", Png(4, 8, 0xFFFFFF))}},
       {u"anim.png", 1,
        {Embedded(u"a0.png", Png(2, 2, 0xFF0000)), Embedded(u"a1.png", Png(2, 2, 0x00FF00)),
         Embedded(u"a2.png", Png(2, 2, 0x0000FF))}},
       {u"two.png", 1, {Embedded(u"t0.png", Png(2, 2, 0xFF0000)), Embedded(u"t1.png", Png(2, 2, 0x00FF00))}},
       {u"mask.png", 1, {Embedded(u"mask.png", Png(2, 2, 0x808080))}},
       {u"split.png", 1, {Embedded(u"split.png", split)}}},
      {{u"anim.png", 1, {1.0f, 1.0f, 1.0f}}, {u"two.png", 1, {1.0f, 1.0f, 1.0f}}},
      {{u"glow.fx", 1, {Embedded(u"glow.fx", effect)}}}, {});
  bytes_ = doc.Document();
  ResourceBuffer buffer(bytes_.data(), bytes_.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string name;
  DWORD version = 0;
  stream->ReadString(&name);
  stream->ReadULong(&version);
  manager_ = std::make_unique<DS_DocResManager>();
  SetCurrentDocResManager(manager_.get());
  ASSERT_TRUE(manager_->ReadTables(&stream, version));
}

void ParticleSceneTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_Device = nullptr;
  DeviceTest::TearDown();
}

std::vector<DX_V::PCT> ParticleSceneTest::Vertices(ParticleGeomArray& geometry) {
  std::vector<DX_V::PCT> out;
  if (DX_V::PCT* v = geometry.LockVertices()) {
    out.assign(v, v + geometry.vertexCount);
    geometry.UnlockVertices();
  }
  return out;
}

}  // namespace particle_test
