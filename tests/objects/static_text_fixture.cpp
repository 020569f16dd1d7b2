#include "tests/objects/static_text_fixture.h"

#include <cstring>

#include "document/iof_reader.h"
#include "document/device.h"

namespace static_text_test {

const char kTextEffect[] =
    "copperleaf-effect 1\n"
    "parameter texture Texture1\n"
    "technique Common\npass P0\nprogram textured\nsampler 0 Texture1\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n";

void TextSceneTest::SetUp() {
  DeviceTest::SetUp();
  g_Device = device_.Get();
  const doc_res_test::Bytes effect(kTextEffect, kTextEffect + std::strlen(kTextEffect));
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3, {}, {}, {{u"text.fx", 1, {docbuild::Embedded(u"text.fx", effect)}}}, {});
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

void TextSceneTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_Device = nullptr;
  DeviceTest::TearDown();
}

std::unique_ptr<DS_StaticTextConstructor> TextSceneTest::MakeText(const ds_string& text, UINT width, UINT height) {
  auto d = std::make_unique<DS_StaticTextConstructor>();
  d->effectLink = EffectLink();
  d->text = text;
  d->width = width;
  d->height = height;
  return d;
}

std::vector<uint32_t> TextSceneTest::TargetPixels(const DS_StaticTextConstructor& d, UINT* width, UINT* height) {
  *width = *height = 0;
  if (!d.textTarget) return {};
  return doc_res_test::ReadTexture(d.textTarget->Current(), width, height);
}

docbuild::Bytes TextRecord(const StoredText& s) {
  docbuild::DocumentBuilder b;
  b.Header(u"DS_StaticTextConstructor", 1).I32(s.vertical).I32(s.horizontal).String(s.text);
  b.I32(s.fontHeight).U32(s.fontWeight).I32(s.italic).String(s.face);
  b.U32(s.fadeIn).U32(s.fadeOut).U32(s.hold).U32(s.delay);
  b.Header(u"DS_StatBaseFXCtrl", s.statVersion).F32(s.x).F32(s.y).F32(s.z);
  if (s.statVersion >= 2) b.U32(s.height).U32(s.width);
  b.Header(u"DS_BaseFXCtrl", 1);
  b.Header(u"DS_FXParticleSystemCtrl", 1).Link(s.effectPath, s.effectStamp);
  b.Header(u"DS_BaseSpriteProp", 6);
  // The placed element: pixel rectangle, fractions, view flag, speed, then the constructor's name.
  b.Header(u"DS_ViewObjCtrl", 2);
  for (int32_t edge : {0, 0, 0, 0, 0, 0}) b.I32(edge);
  for (float fraction : {0.0f, 1.0f, 0.0f, 1.0f}) b.F32(fraction);
  b.U8(0).U32(uint32_t(s.speed));
  b.Header(u"DS_ABObj_Constructor", 1).String(s.name);
  b.U32(s.count).U32(s.size).U32(s.transparency).I32(s.blend).U32(s.colour);
  for (float value : {0.0f, 0.0f, 1.0f, 1.0f, 1.0f}) b.F32(value);
  b.Link(u"", 0).Link(u"", 0);
  b.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  b.I32(0).I32(0).I32(0).I32(0);
  return b.Document();
}

}  // namespace static_text_test
