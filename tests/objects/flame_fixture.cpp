#include "flame_fixture.h"

#include <cstring>

#include "document/iof_reader.h"
#include "document/device.h"
#include "slideshow/view_2d.h"
#include "tests/support/back_buffer_pixels.h"
#include "tests/support/document_builder.h"

namespace flame_test {

const char kFlameEffect[] =
    "copperleaf-effect 1\n"
    "parameter matrix WorldViewProj\n"
    "parameter matrix ViewProj\n"
    "parameter texture Noise\n"
    "parameter texture Pattern\n"
    "parameter texture Mask\n"
    "parameter texture Background\n"
    "parameter float2 c11\n"
    "parameter float2 c12\n"
    "parameter float2 c13\n"
    "parameter float3 ColorK1 1 0 0\n"
    "parameter float3 ColorK2 0 1 0\n"
    "parameter float2 bg_scale_factor 1 1\n"
    "parameter float Brightness 0.3\n"
    "parameter float Density 0\n"
    "technique Main\npass P0\nprogram fire_flame\ntransform WorldViewProj\n"
    "sampler 0 Pattern\nsampler 1 Noise\nsampler 2 Mask\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n"
    "technique AsEffect\npass P0\nprogram fire_flame\ntransform WorldViewProj\n"
    "sampler 0 Pattern\nsampler 1 Noise\nsampler 2 Mask\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n";

const char kDistortionEffect[] =
    "copperleaf-effect 1\n"
    "parameter texture SceneTex\n"
    "parameter texture Bumpmap\n"
    "parameter float stenght\n"
    "parameter float2 Offset\n"
    "parameter float2 bump_scale 1 1\n"
    "technique BumpmapDistortLow2\npass P0\nprogram heat_distortion\n"
    "sampler 0 SceneTex\nsampler 1 Bumpmap\nstate AlphaBlendEnable FALSE\n";

void FlameSceneTest::SetUp() {
  DeviceTest::SetUp();
  g_Device = device_.Get();
  g_View2D = InitView2D();
  using docbuild::Embedded;
  using docbuild::LibraryCopy;
  using doc_res_test::Png;
  const std::u16string kit = u"vaultkit.dll";
  auto text = [](const char* s) { return doc_res_test::Bytes(s, s + std::strlen(s)); };
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3,
                    {{u"field.png", 1, {Embedded(u"field.png", Png(64, 32, kBlue))}},
                     {u"frame.png", 1, {Embedded(u"frame.png", Png(4, 4, kFrameGrey))}},
                     {u"lift.png", 1, {Embedded(u"lift.png", Png(4, 4, 0x00FF00))}},
                     {kit, 7, {LibraryCopy(7, kit, Png(4, 4, 0xFFFFFF))}},
                     {kit, 8, {LibraryCopy(8, kit, Png(4, 4, 0xFFFFFF))}},
                     {kit, 62, {LibraryCopy(62, kit, Png(4, 4, 0x808080))}}},
                    {},
                    {{kit, 92, {LibraryCopy(92, kit, text(kFlameEffect))}},
                     {kit, 63, {LibraryCopy(63, kit, text(kDistortionEffect))}},
                     {u"broken.fx", 1, {Embedded(u"broken.fx", text("copperleaf-effect 1\nshader x\n"))}}},
                    {});
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

void FlameSceneTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_View2D = InitView2D();
  g_Device = nullptr;
  DeviceTest::TearDown();
}

std::unique_ptr<DS_FlameLight> FlameSceneTest::MakeLayer() {
  auto light = std::make_unique<DS_FlameLight>();
  light->pictureLink = Image(u"field.png");
  light->camera.borderPicture = Image(u"frame.png");
  return light;
}

void FlameSceneTest::Start(DS_2D_Light& light) {
  light.CreateDeviceResources();
  light.Resize(1, 1);
  light.Resize(256, 256);
  light.RestoreDeviceResources();
}

void FlameSceneTest::Frame(DS_2D_Light& light, float time) {
  light.AdvanceFrame(time);
  device_->BeginScene();
  if (light.HasPostEffect()) light.BeginLayerTarget();
  light.Render(false);
  light.PostRender();
  device_->EndScene();
}

std::vector<uint32_t> FlameSceneTest::ReadBackBuffer() { return BackBufferPixels(device_.Get()); }

}  // namespace flame_test
