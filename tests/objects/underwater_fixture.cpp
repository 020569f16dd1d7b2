#include "underwater_fixture.h"

#include <cmath>
#include <cstring>

#include "document/iof_reader.h"
#include "document/device.h"
#include "slideshow/view_2d.h"
#include "tests/support/back_buffer_pixels.h"
#include "tests/support/document_builder.h"
#include "tests/support/effect_files.h"

namespace underwater_test {


void UnderwaterSceneTest::SetUp() {
  DeviceTest::SetUp();
  g_Device = device_.Get();
  g_View2D = InitView2D();
  g_TargetSizeStack.clear();
  docbuild::DocumentBuilder doc;
  const doc_res_test::Bytes effect = docbuild::EffectFile("underwater.fx");
  doc.DocResManager(3, {{u"sea.png", 1, {docbuild::Embedded(u"sea.png", doc_res_test::Png(4, 4, 0x0000FF))}}}, {},
                    {{u"vaultkit.dll", 88, {docbuild::LibraryCopy(88, u"vaultkit.dll", effect)}}}, {});
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

void UnderwaterSceneTest::TearDown() {
  g_TargetSizeStack.clear();
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_Device = nullptr;
  DeviceTest::TearDown();
}

ComHolder<IDirect3DTexture9> UnderwaterSceneTest::Paint(UINT width, UINT height,
                                                        const std::function<uint32_t(int, int)>& paint) {
  ComHolder<IDirect3DTexture9> texture;
  if (FAILED(device_->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr)))
    return texture;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return ComHolder<IDirect3DTexture9>();
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < width; ++x) row[x] = paint(int(x), int(y));
  }
  texture->UnlockRect(0);
  return texture;
}

ComHolder<IDirect3DTexture9> UnderwaterSceneTest::Gradient() {
  return Paint(256, 256, [](int x, int y) { return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8; });
}

std::vector<uint32_t> UnderwaterSceneTest::ReadBackBuffer() { return BackBufferPixels(device_.Get()); }

Texel WobbledTexel(int px, int py, float fx, float fy, float amplitude, float time) {
  const float u = float(px) / 256.0f;
  const float v = float(py) / 256.0f;
  const float su = u + amplitude * std::sin(fy * v + time);
  const float sv = v + amplitude * std::sin(fx * u + time);
  auto wrap = [](float c) { return (int(std::floor(c * 256.0f)) % 256 + 256) % 256; };
  return {wrap(su), wrap(sv)};
}

}  // namespace underwater_test
