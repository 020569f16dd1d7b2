#include "screen_brush_fixture.h"

#include <cstring>

#include "document/device.h"
#include "tests/support/effect_files.h"

namespace brush_test {

void BrushBaseLevel(docbuild::DocumentBuilder& doc, int64_t effectId, uint32_t speed) {
  static constexpr uint8_t kData4[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  doc.Header(u"DS_FX_Constructor", 2).U32(speed).I32(0);
  doc.GuidText(0x5C4EE4B0, 0x0123, 0x4567, kData4).String(u"").U8(1);
  doc.Link(u"vaultkit.dll", effectId).U32(50);
  doc.Header(u"DS_ABObj_Constructor", 1).String(u"screen");
}

void ScreenBrushTest::SetUp() {
  // The base fixture's device, with a document of this fixture's own.
  doc_res_test::DeviceTest::SetUp();
  g_Device = device_.Get();
  using docbuild::Embedded;
  using docbuild::EffectFile;
  using docbuild::LibraryCopy;
  using doc_res_test::Png;
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3,
                    {{u"tile.png", 1, {Embedded(u"tile.png", Png(64, 32, 0xFF0000))}},
                     {u"red.png", 1, {Embedded(u"red.png", Png(4, 4, 0xFF0000))}},
                     {u"frames.png",
                      1,
                      {Embedded(u"f0.png", Png(4, 4, 0xFF0000)), Embedded(u"f1.png", Png(4, 4, 0x00FF00)),
                       Embedded(u"f2.png", Png(4, 4, 0x0000FF))}}},
                    {{u"frames.png", 1, {0.5f, 0.5f, 0.5f}}},
                    {{u"vaultkit.dll", 75, {LibraryCopy(75, u"vaultkit.dll", EffectFile("background_copy.fx"))}},
                     {u"vaultkit.dll", 76, {LibraryCopy(76, u"vaultkit.dll", EffectFile("light.fx"))}},
                     {u"vaultkit.dll", 77, {LibraryCopy(77, u"vaultkit.dll", EffectFile("waves.fx"))}},
                     {u"vaultkit.dll", 78, {LibraryCopy(78, u"vaultkit.dll", EffectFile("pattern.fx"))}}},
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

ComHolder<IDirect3DTexture9> ScreenBrushTest::MakePicture(UINT w, UINT h,
                                                          const std::function<uint32_t(UINT, UINT)>& pixel) {
  ComHolder<IDirect3DTexture9> texture;
  if (FAILED(device_->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Out(), nullptr)))
    return texture;
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return texture;
  for (UINT y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < w; ++x) row[x] = 0xFF000000u | (pixel(x, y) & 0x00FFFFFFu);
  }
  texture->UnlockRect(0);
  return texture;
}

std::vector<uint32_t> ScreenBrushTest::Draw(DS_FX_Constructor& brush, DrawingLayer& layer, uint32_t clear) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | clear, 1.0f, 0);
  device_->BeginScene();
  brush.Apply(layer);
  device_->EndScene();
  return ReadBackBuffer();
}

}  // namespace brush_test
