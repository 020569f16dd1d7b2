// An explosion drawn through the software device: its quad is centred on its position and sized by
// the loop, drawn with the gradient picture of its image link by the effect's "Main" technique.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "objects/explosion.h"
#include "render/ab_obj.h"
#include "document/device.h"
#include "slideshow/light_2d.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace explosion_test {
namespace {

// "Main": the gradient picture times the vertex colour, blended by its alpha.
const char kExplosionEffect[] =
    "copperleaf-effect 1\n"
    "parameter texture GradientTex\nparameter texture NoiseTex\n"
    "technique Main\npass P0\nprogram textured\nsampler 0 GradientTex\n"
    "state AlphaBlendEnable TRUE\nstate SrcBlend SrcAlpha\nstate DestBlend InvSrcAlpha\n";

class ExplosionPixelsTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    const doc_res_test::Bytes effect(kExplosionEffect, kExplosionEffect + std::strlen(kExplosionEffect));
    docbuild::DocumentBuilder doc;
    doc.DocResManager(3, {{u"grad.bmp", 1, {docbuild::Embedded(u"grad.bmp", doc_res_test::Bmp(4, 4, 0xFFFFFF))}}},
                      {}, {{u"boom.fx", 1, {docbuild::Embedded(u"boom.fx", effect)}}}, {});
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
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  // An opaque black picture of the back buffer's size, so that the layer maps picture pixels 1:1.
  void ShowBlackPicture(DS_2D_Light& light) {
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, black_.Out(), nullptr), S_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(black_->LockRect(0, &locked, nullptr, 0), S_OK);
    for (int y = 0; y < 4; ++y)
      std::fill_n(reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch), 4, 0xFF000000u);
    black_->UnlockRect(0);
    light.CreateScreenQuad();
    light.picture.SetFromInfo(256, 256, black_.Get());
    light.screenQuad.SetTextureEntry(light.picture);
    light.Resize(256, 256);
    light.SetPicturePosition(kFit);
    light.RestoreDeviceResources();
  }

  std::vector<uint32_t> BackBuffer() { return screen_.BackBuffer(); }

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
  ComHolder<IDirect3DTexture9> black_;
};

TEST_F(ExplosionPixelsTest, QuadSizeFollowsTheLoop) {
  struct Case {
    const char* what;
    UINT delay, first;
    int half;  // expected half extent in pixels after one 50 ms frame; 0 nothing drawn
  };
  const Case cases[] = {
      {"all durations 0: full size", 0u, 0u, 50},
      {"inside the delay: hidden", 1000u, 0u, 0},
      {"5% into the first phase: 0.2875 of the size", 0u, 1000u, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DS_2D_Light light;
    ShowBlackPicture(light);
    DS_ExplosionConstructor d;
    d.effectLink = DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"boom.fx", 1));
    d.imageLink = DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"grad.bmp", 1));
    d.size = 100u;
    d.position = D3DXVECTOR3(128.0f, 128.0f, 0.0f);
    d.delay = c.delay;
    d.firstPhase = c.first;
    std::unique_ptr<DS_ABObj> object(d.CreateObject());
    ASSERT_EQ(device_->BeginScene(), S_OK);
    light.Render(false);
    object->Update(0.05f);
    object->Render(light);
    device_->EndScene();
    const std::vector<uint32_t> pixels = BackBuffer();
    ASSERT_EQ(pixels.size(), 256u * 256u);
    int left = 256, right = -1, top = 256, bottom = -1;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        if (pixels[size_t(y) * 256 + size_t(x)] != 0) {
          left = std::min(left, x);
          right = std::max(right, x + 1);
          top = std::min(top, y);
          bottom = std::max(bottom, y + 1);
        }
    if (c.half == 0) {
      EXPECT_LT(right, left) << "something was drawn";
      continue;
    }
    EXPECT_NEAR(left, 128 - c.half, 1);
    EXPECT_NEAR(right, 128 + c.half, 1);
    EXPECT_NEAR(top, 128 - c.half, 1);
    EXPECT_NEAR(bottom, 128 + c.half, 1);
  }
}

}  // namespace
}  // namespace explosion_test
