#include "tests/objects/particle_class_fixture.h"

#include "document/iof_reader.h"
#include "render/random.h"
#include "slideshow/view_2d.h"

namespace particle_class_test {

void ParticleClassTest::SetUp() {
  g_LayerView = LayerView{};
  g_LayerView.pictureWidth = 1000;
  g_LayerView.pictureHeight = 500;
  SRand(1);
}

void ParticleClassTest::TearDown() { g_LayerView = LayerView{}; }

Particle ParticleClassTest::Spawn(DS_BaseSpriteProp& d) {
  Particle p;
  Particle::InitGeometry(p, d);
  Particle::InitState(p, d);
  d.InitParticle(p);
  return p;
}

void ParticleClassTest::Frame(DS_BaseSpriteProp& d, Particle& p, float seconds) {
  d.TimeStep(d.lastTime + seconds);
  d.UpdateParticle(p);
}

void SpriteRecord(docbuild::DocumentBuilder& doc, const SpriteRows& r) {
  doc.Header(u"DS_BaseSpriteProp", 6);
  doc.Header(u"DS_ViewObjCtrl", 2);
  for (int i = 0; i < 6; ++i) doc.I32(0);
  doc.F32(r.left).F32(r.right).F32(r.top).F32(r.bottom).U8(0).U32(r.speed);
  doc.Header(u"DS_ABObj_Constructor", 1).String(r.name);
  doc.U32(r.count).U32(r.size).U32(r.transparency).I32(0).U32(r.color);
  doc.F32(r.alphaRate).F32(r.alphaMin).F32(r.alphaMax).F32(r.sizeMin).F32(r.sizeMax);
  doc.Link(u"", 0).Link(u"", 0);
  doc.U32(1).F32(0.0f).U32(1).F32(0.0f).U8(0);
  doc.I32(0).I32(0).I32(0).I32(0);
}

std::unique_ptr<DS_ABObj_Constructor> ReadObject(const docbuild::Bytes& bytes, bool* consumedAll) {
  ResourceBuffer buffer(bytes.data(), bytes.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  std::unique_ptr<DS_ABObj_Constructor> object(ReadConstructorByClassName(&stream));
  *consumedAll = !stream->Failed() && !stream->Holds(1);
  return object;
}

}  // namespace particle_class_test
