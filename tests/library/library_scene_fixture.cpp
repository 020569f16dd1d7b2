#include "tests/library/library_scene_fixture.h"

#include "document/iof_reader.h"
#include "platform/machine/machine.h"
#include "document/device.h"
#include "document/texture_entry.h"
#include "slideshow/view_2d.h"
#include "tests/support/back_buffer_pixels.h"

namespace library_test {

namespace {
void Put32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
}  // namespace

Bytes ColourDds(UINT w, UINT h, const std::function<uint32_t(UINT, UINT)>& texel) {
  Bytes out = {'D', 'D', 'S', ' '};
  const uint32_t header[31] = {124, 0x100F, h, w, w * 4, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               32, 0x41, 0, 32, 0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u, 0x1000, 0, 0, 0, 0};
  for (uint32_t value : header) Put32(out, value);
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x) Put32(out, texel(x, y));
  return out;
}

void LibrarySceneTest::SetUpScene(bool withLibrary) {
  DeviceTest::SetUp();
  if (!withLibrary) {
    machine::Machine plain = machine::DefaultMachine();
    plain.faults.missingLibraries.push_back(u"vaultkit.dll");
    machine::Install(plain);
  }
  g_Device = device_.Get();
  // A 256 x 256 picture on the 256 x 256 back buffer: picture pixels are target pixels.
  g_View2D = InitView2D();
  TextureEntry picture;
  picture.width = picture.height = 256;
  g_View2D.Apply(picture, 256, 256, 0, false);
  const Bytes tile = ColourDds(8, 8, [](UINT x, UINT) { return x < 4 ? 0xFFFF0000u : 0x00000000u; });
  const Bytes field = ColourDds(64, 64, [](UINT x, UINT y) { return 0xFF000000u | (y * 4) << 16 | (x * 4) << 8; });
  UseDocument({{u"tile.dds", 1, {docbuild::Embedded(u"tile.dds", tile)}},
               {u"field.dds", 1, {docbuild::Embedded(u"field.dds", field)}}},
              {});
}

void LibrarySceneTest::UseDocument(const std::vector<docbuild::FileEntry>& images,
                                   const std::vector<docbuild::GuidBlobEntry>& guids) {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3, images, {}, {}, guids);
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

void LibrarySceneTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  g_Device = nullptr;
  DeviceTest::TearDown();
  machine::Install(machine::DefaultMachine());
}

ComHolder<IDirect3DTexture9> LibrarySceneTest::MakePicture(UINT w, UINT h,
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

std::vector<uint32_t> LibrarySceneTest::Draw(DS_FX_Constructor& brush, DrawingLayer& layer, uint32_t clear) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | clear, 1.0f, 0);
  device_->BeginScene();
  brush.Apply(layer);
  device_->EndScene();
  return ReadBackBuffer();
}

std::vector<uint32_t> LibrarySceneTest::ReadBackBuffer() { return BackBufferPixels(device_.Get()); }

}  // namespace library_test
