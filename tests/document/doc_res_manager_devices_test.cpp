// The device objects the resource manager makes on the current device: textures of each picture
// format, library lookups, effects, fonts, text targets, packages and a device reset.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "platform/d3dx9/effect.h"
#include "platform/win32/module.h"
#include "document/device.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace {

using doc_res_test::Bytes;
using docbuild::Embedded;
using docbuild::FileEntry;
using docbuild::LibraryCopy;

const char kEffectText[] =
    "copperleaf-effect 1\n"
    "parameter texture Texture1\n"
    "technique Common\n"
    "pass P0\n"
    "program textured\n"
    "sampler 0 Texture1\n";

// The top-left pixel of a texture as red, green, blue.
Bytes PixelOf(IDirect3DTexture9* texture) {
  UINT w = 0, h = 0;
  const std::vector<uint32_t> pixels = doc_res_test::ReadTexture(texture, &w, &h);
  return pixels.empty() ? Bytes{} : Bytes{uint8_t(pixels[0] >> 16), uint8_t(pixels[0] >> 8), uint8_t(pixels[0])};
}

Bytes EffectBytes() { return Bytes(kEffectText, kEffectText + sizeof(kEffectText) - 1); }

class DocResDevicesTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
  }
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  void Read(const std::vector<FileEntry>& images, const std::vector<FileEntry>& others = {},
            const std::vector<docbuild::FrameTimeEntry>& frameTimes = {}) {
    docbuild::DocumentBuilder doc;
    doc.DocResManager(2, images, frameTimes, others, {});
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

  static DS_ImageFileLink Image(const ds_string& path, LONGLONG stamp) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, stamp));
  }

  Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

TEST_F(DocResDevicesTest, PicturesOfEachFormatBecomeTexturesOfTheirSize) {
  const struct {
    const char* format;
    Bytes bytes;
    UINT width;
    UINT height;
  } cases[] = {
      {"png", doc_res_test::Png(30, 20, 0xFF0000), 30, 20},
      {"jpeg", doc_res_test::Jpeg(16, 8, 0xFF0000), 16, 8},
      {"bmp", doc_res_test::Bmp(6, 4, 0xFF0000), 6, 4},
      {"tga", doc_res_test::Tga(5, 3, 0xFF0000), 5, 3},
  };
  std::vector<FileEntry> images;
  for (size_t i = 0; i < std::size(cases); ++i)
    images.push_back({u"C:\\pictures\\photo", LONGLONG(i + 1), {Embedded(u"C:\\pictures\\photo", cases[i].bytes)}});
  Read(images);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].format);
    TextureSet* set = manager_->GetTextureSet(Image(u"C:\\pictures\\photo", LONGLONG(i + 1)));
    ASSERT_EQ(set->textures.size(), 1u);
    ASSERT_TRUE(set->textures[0]);
    EXPECT_EQ(set->width, cases[i].width);
    EXPECT_EQ(set->height, cases[i].height);
    EXPECT_FLOAT_EQ(set->aspect, float(cases[i].height) / float(cases[i].width));
    UINT w = 0, h = 0;
    std::vector<uint32_t> pixels = doc_res_test::ReadTexture(set->textures[0].Get(), &w, &h);
    ASSERT_FALSE(pixels.empty());
    const uint32_t centre = pixels[(h / 2) * w + w / 2];
    EXPECT_GT((centre >> 16) & 0xFF, 0xF0u);
    EXPECT_LT((centre >> 8) & 0xFF, 0x10u);
    EXPECT_LT(centre & 0xFF, 0x10u);
  }
}

TEST_F(DocResDevicesTest, SequenceOfThreePicturesGivesThreeTexturesSizedByTheLast) {
  Read({{u"seq", 3,
         {Embedded(u"seq", doc_res_test::Png(4, 4, 0xFF0000)), Embedded(u"seq", doc_res_test::Jpeg(16, 8, 0x00FF00)),
          Embedded(u"seq", doc_res_test::Bmp(3, 6, 0x0000FF))}}},
       {}, {{u"seq", 3, {0.1f, 0.2f, 0.3f}}});
  TextureSet* set = manager_->GetTextureSet(Image(u"seq", 3));
  ASSERT_EQ(set->textures.size(), 3u);
  for (const auto& texture : set->textures) EXPECT_TRUE(texture);
  EXPECT_EQ(PixelOf(set->textures[2].Get()), (Bytes{0, 0, 0xFF}));
  EXPECT_EQ(set->frameTimes, (std::vector<float>{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(set->width, 3u);
  EXPECT_EQ(set->height, 6u);
  EXPECT_FLOAT_EQ(set->aspect, 2.0f);
}

TEST_F(DocResDevicesTest, UnknownLibraryPictureIsOneNullTextureOf800By600) {
  Read({});
  const int loads = win32::LoadLibraryCalls(u"vaultkit.dll");
  TextureSet* set = manager_->GetTextureSet(Image(u"vaultkit.dll", 4711));
  ASSERT_EQ(set->textures.size(), 1u);
  EXPECT_FALSE(set->textures[0]);
  EXPECT_EQ(set->width, 800u);
  EXPECT_EQ(set->height, 600u);
  EXPECT_FLOAT_EQ(set->aspect, 0.75f);
  // The set is made: the next request neither loads nor looks again.
  EXPECT_EQ(manager_->GetTextureSet(Image(u"vaultkit.dll", 4711)), set);
  EXPECT_EQ(win32::LoadLibraryCalls(u"vaultkit.dll"), loads + 1);
}

TEST_F(DocResDevicesTest, LibraryPictureCopiedIntoTheDocumentIsMadeFromItsBytes) {
  Read({{u"vaultkit.dll", 20, {LibraryCopy(20, u"vaultkit.dll", doc_res_test::Tga(8, 2, 0x0000FF))}}});
  TextureSet* set = manager_->GetTextureSet(Image(u"vaultkit.dll", 20));
  ASSERT_EQ(set->textures.size(), 1u);
  EXPECT_TRUE(set->textures[0]);
  EXPECT_EQ(set->width, 8u);
  EXPECT_EQ(set->height, 2u);
}

TEST_F(DocResDevicesTest, TwoStampsOfOnePathAreTwoSets) {
  Read({{u"a.png", 1, {Embedded(u"a.png", doc_res_test::Png(4, 4, 0xFF0000))}},
        {u"a.png", 2, {Embedded(u"a.png", doc_res_test::Png(2, 8, 0x0000FF))}}});
  TextureSet* first = manager_->GetTextureSet(Image(u"a.png", 1));
  TextureSet* second = manager_->GetTextureSet(Image(u"a.png", 2));
  ASSERT_NE(first, second);
  EXPECT_EQ(first->width, 4u);
  EXPECT_EQ(second->width, 2u);
  EXPECT_NE(first->textures.at(0).Get(), second->textures.at(0).Get());
}

TEST_F(DocResDevicesTest, EffectIsCreatedOnceAndEachCallAddsOneReference) {
  Read({}, {{u"vaultkit.dll", 88, {LibraryCopy(88, u"vaultkit.dll", EffectBytes())}}});
  const DS_HLSLEffectFile link(DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", 88));
  ID3DXEffect* first = manager_->GetEffect(link);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(d3dx9::RecordedEffectCalls(first), nullptr);
  const ULONG references = doc_res_test::References(first);
  ID3DXEffect* second = manager_->GetEffect(link);
  EXPECT_EQ(second, first);
  EXPECT_EQ(doc_res_test::References(first), references + 1);
  second->Release();
  first->Release();
}

TEST_F(DocResDevicesTest, EffectComesFromTheLastRecordAndBadBytesGiveNone) {
  Read({}, {{u"fx.fx", 1, {Embedded(u"fx.fx", {0x01, 0x00, 0xFF}), Embedded(u"fx.fx", EffectBytes())}},
            {u"bad.fx", 1, {Embedded(u"bad.fx", {0x01, 0x00, 0xFF})}}});
  ID3DXEffect* effect = manager_->GetEffect(DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"fx.fx", 1)));
  ASSERT_NE(effect, nullptr);
  effect->Release();
  const DS_HLSLEffectFile bad(DS_FileLink3::ConstructFromSnapshot(u"bad.fx", 1));
  EXPECT_EQ(manager_->GetEffect(bad), nullptr);
  EXPECT_EQ(manager_->GetEffect(bad), nullptr);
}

TEST_F(DocResDevicesTest, SecondFontOfAGuidReplacesTheFirst) {
  Read({});
  const GUID guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  FontMediaParam font;
  ID3DXFont* first = manager_->CreateFont(guid, font);
  ID3DXFont* second = manager_->CreateFont(guid, font);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  ASSERT_EQ(manager_->Tables().fonts.size(), 1u);
  EXPECT_EQ(manager_->Tables().fonts.begin()->second.Get(), second);
  // The table let the first one go: the caller's reference is the last.
  EXPECT_EQ(doc_res_test::References(first), 1u);
  EXPECT_EQ(doc_res_test::References(second), 2u);
  first->Release();
  second->Release();
}

TEST_F(DocResDevicesTest, TextTargetWithoutAStoredTextureIs512Square) {
  Read({});
  const GUID guid{7, 0, 0, {}};
  RenderTargetPair* pair = manager_->GetTextTarget(guid);
  ASSERT_NE(pair, nullptr);
  EXPECT_EQ(pair->Width(), 512u);
  EXPECT_EQ(pair->Height(), 512u);
  ASSERT_NE(pair->Current(), nullptr);
  D3DSURFACE_DESC desc{};
  pair->Current()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 512u);
  EXPECT_EQ(manager_->GetTextTarget(guid), pair);
}

TEST_F(DocResDevicesTest, PackageOfTwoFramesGivesTwoTexturesAndTheirTimes) {
  docbuild::DocumentBuilder package;
  package.U32(2).F32(0.1f).F32(0.2f).U32(2);
  package.Resource(Embedded(u"f1.png", doc_res_test::Png(3, 3, 0xFF0000)));
  package.Resource(Embedded(u"f2.bmp", doc_res_test::Bmp(5, 4, 0x00FF00)));
  const Bytes bytes = package.Document();
  const win32::Resource resources[] = {{win32::ResourceName(u"DDS"), win32::ResourceName(WORD(5)), bytes}};
  HMODULE module = win32::RegisterModule(u"pack.dll", {}, resources);
  Read({});
  TextureSet* set = manager_->LoadPackageTextures(Image(u"pack.dll", 5));
  win32::UnregisterModule(module);
  ASSERT_EQ(set->textures.size(), 2u);
  EXPECT_TRUE(set->textures[0]);
  EXPECT_TRUE(set->textures[1]);
  EXPECT_EQ(set->frameTimes, (std::vector<float>{0.1f, 0.2f}));
  EXPECT_EQ(set->width, 5u);
  EXPECT_EQ(manager_->Tables().resolution.at(FileKey{u"pack.dll", 5}).size(), 2u);
}

TEST_F(DocResDevicesTest, PackageThatIsNotThereLeavesTheSetEmpty) {
  Read({});
  EXPECT_TRUE(manager_->LoadPackageTextures(Image(u"absent.dll", 5))->textures.empty());
}

TEST_F(DocResDevicesTest, EmbeddedMeshRecordsAreMadeFromTheirOwnBytes) {
  Read({});
  ResourceStore& store = manager_->Store();
  auto embedded = [](const char16_t* name, const Bytes& bytes) {
    ResourceRecord record;
    record.name = name;
    record.SetBytes(DWORD(bytes.size()), bytes.data());
    return record;
  };
  const MeshEntry cube = store.GetRecordMesh(embedded(u"cube.x", doc_res_test::TextBytes(doc_res_test::kCubeX)), 32);
  const MeshEntry triangle =
      store.GetRecordMesh(embedded(u"tri.x", doc_res_test::TextBytes(doc_res_test::kTriangleX)), 32);
  EXPECT_EQ(cube.faceCount, 12u);
  EXPECT_EQ(triangle.faceCount, 1u);
  EXPECT_NE(cube.vertexBuffer.Get(), triangle.vertexBuffer.Get());
  // A library that is not there falls back to the copy the record carries.
  ResourceRecord copy = ResourceRecord::ConstructForLibrary(31, u"vaultkit.dll");
  const Bytes bytes = doc_res_test::TextBytes(doc_res_test::kTriangleX);
  copy.SetBytes(DWORD(bytes.size()), bytes.data());
  EXPECT_EQ(store.GetRecordMesh(copy, 32).faceCount, 1u);
  EXPECT_EQ(store.GetRecordMesh(ResourceRecord::ConstructForLibrary(31, u"vaultkit.dll"), 32).faceCount, 0u);
}

TEST_F(DocResDevicesTest, ResetSucceedsBetweenLostAndResetDevice) {
  Read({}, {{u"fx.fx", 1, {Embedded(u"fx.fx", EffectBytes())}}});
  ID3DXEffect* effect = manager_->GetEffect(DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"fx.fx", 1)));
  ASSERT_NE(effect, nullptr);
  ID3DXFont* font = manager_->CreateFont(GUID{1, 0, 0, {}}, FontMediaParam());
  RenderTargetPair* pair = manager_->GetTextTarget(GUID{2, 0, 0, {}});
  ASSERT_NE(pair->Current(), nullptr);
  // The text target lives in the default pool: the device refuses to reset while it is there.
  EXPECT_EQ(Reset(), D3DERR_INVALIDCALL);
  manager_->OnLostDevice();
  EXPECT_EQ(pair->Current(), nullptr);
  EXPECT_EQ(Reset(), S_OK);
  manager_->OnResetDevice();
  ASSERT_NE(pair->Current(), nullptr);
  EXPECT_EQ(pair->Width(), 512u);
  std::vector<std::string> methods;
  for (const d3dx9::EffectCall& call : *d3dx9::RecordedEffectCalls(effect)) methods.push_back(call.method);
  EXPECT_EQ(methods, (std::vector<std::string>{"OnLostDevice", "OnResetDevice"}));
  effect->Release();
  if (font) font->Release();
}

}  // namespace

namespace {

using win32::Resource;
using win32::ResourceName;

// The two resource types the manager asks libraries for.
const ResourceName kDds{u"DDS"};
const ResourceName kRcData{WORD(10)};

IDirect3DDevice9* DeviceOf(IDirect3DTexture9* texture) {
  IDirect3DDevice9* device = nullptr;
  if (texture) texture->GetDevice(&device);
  if (device) device->Release();
  return device;
}

TEST_F(DocResDevicesTest, EachMonitorsLookupsLandOnItsOwnDevice) {
  const Bytes picture = doc_res_test::Tga(4, 4, 0x00FF00);
  const Resource resources[] = {{kDds, ResourceName(WORD(3)), picture}};
  HMODULE module = win32::RegisterModule(u"pics.dll", {}, resources);
  ComHolder<IDirect3DDevice9> other;
  ASSERT_EQ(screen_.CreateAnother(other.Out()), S_OK);
  Read({});
  // The second monitor's manager is made last; the host then works on the first monitor again.
  auto second = std::make_unique<DS_DocResManager>();
  SetCurrentDocResManager(manager_.get());
  TextureSet* first = manager_->GetTextureSet(Image(u"pics.dll", 3));
  SetCurrentDocResManager(second.get());
  g_Device = other.Get();
  TextureSet* last = second->GetTextureSet(Image(u"pics.dll", 3));
  ASSERT_TRUE(first->textures.at(0));
  ASSERT_TRUE(last->textures.at(0));
  EXPECT_EQ(DeviceOf(first->textures[0].Get()), device_.Get());
  EXPECT_EQ(DeviceOf(last->textures[0].Get()), other.Get());
  EXPECT_EQ(PixelOf(last->textures[0].Get()), (Bytes{0, 0xFF, 0}));
  SetCurrentDocResManager(nullptr);
  second.reset();
  win32::UnregisterModule(module);
}

// A library that is not installed leaves a null module, and the executable's own resources answer:
// "DDS" for records and pictures, RT_RCDATA for effects.
TEST_F(DocResDevicesTest, AbsentLibraryIsAnsweredByTheExecutablesOwnResources) {
  const Bytes picture = doc_res_test::Tga(8, 8, 0xFF0000);
  const Bytes effect = EffectBytes();
  const Bytes noEffect{1, 2, 3};
  const Resource resources[] = {{kDds, ResourceName(WORD(42)), picture},
                                {kDds, ResourceName(WORD(77)), noEffect},
                                {kRcData, ResourceName(WORD(77)), effect}};
  const win32::ResourceTable before = win32::SetModuleResources(nullptr, resources);
  Read({});
  const ResourceRecord* record = manager_->GetFileRecord(DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", 42));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Size(), picture.size());
  ID3DXEffect* made = manager_->GetEffect(DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", 77)));
  EXPECT_NE(made, nullptr);
  if (made) made->Release();
  // The executable's own pictures come with a full mip chain; an id it lacks is tried again later.
  IDirect3DTexture9* own = manager_->Store().GetOwnTexture(42);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->GetLevelCount(), 4u);
  own->Release();
  EXPECT_EQ(manager_->Store().GetOwnTexture(43), nullptr);
  win32::SetModuleResources(nullptr, before);
}

TEST_F(DocResDevicesTest, UnloadableLibraryIsAskedForAgainAtEveryTextureRequest) {
  Read({});
  ResourceStore& store = manager_->Store();
  const int loads = win32::LoadLibraryCalls(u"vaultkit.dll");
  for (int i = 0; i < 2; ++i) {
    const TextureEntry entry = store.GetRecordTexture(ResourceRecord::ConstructForLibrary(4711, u"vaultkit.dll"));
    EXPECT_FALSE(entry.texture);
    EXPECT_EQ(entry.width, 800u);
    EXPECT_EQ(entry.height, 600u);
  }
  EXPECT_EQ(win32::LoadLibraryCalls(u"vaultkit.dll"), loads + 2);
}

TEST_F(DocResDevicesTest, LibraryMeshesAreKeyedByLibraryAndIdAndOnlyKeptOnceMade) {
  const Bytes cube = doc_res_test::TextBytes(doc_res_test::kCubeX);
  const Bytes triangle = doc_res_test::TextBytes(doc_res_test::kTriangleX);
  const Resource cubes[] = {{kDds, ResourceName(WORD(31)), cube}};
  const Resource triangles[] = {{kDds, ResourceName(WORD(31)), triangle}};
  HMODULE a = win32::RegisterModule(u"a.dll", {}, cubes);
  HMODULE b = win32::RegisterModule(u"b.dll", {}, triangles);
  HMODULE late = win32::RegisterModule(u"late.dll", {});
  Read({});
  ResourceStore& store = manager_->Store();
  const MeshEntry fromA = store.GetRecordMesh(ResourceRecord::ConstructForLibrary(31, u"a.dll"), 32);
  EXPECT_EQ(fromA.faceCount, 12u);
  EXPECT_EQ(store.GetRecordMesh(ResourceRecord::ConstructForLibrary(31, u"b.dll"), 32).faceCount, 1u);
  EXPECT_EQ(store.GetRecordMesh(ResourceRecord::ConstructForLibrary(31, u"a.dll"), 32).vertexBuffer.Get(),
            fromA.vertexBuffer.Get());
  // A library without the mesh gives an empty one, which is not kept: once the library has it, it comes.
  EXPECT_EQ(store.GetRecordMesh(ResourceRecord::ConstructForLibrary(5, u"late.dll"), 32).faceCount, 0u);
  const Resource added[] = {{kDds, ResourceName(WORD(5)), triangle}};
  win32::SetModuleResources(late, added);
  EXPECT_EQ(store.GetRecordMesh(ResourceRecord::ConstructForLibrary(5, u"late.dll"), 32).faceCount, 1u);
  for (HMODULE module : {a, b, late}) win32::UnregisterModule(module);
}

// A named record without bytes names a file on disk: kept once made, looked for again while missing.
TEST_F(DocResDevicesTest, NamedRecordWithoutBytesComesFromItsFile) {
  Read({});
  const std::string path = ::testing::TempDir() + "doc_res_named_record.png";
  std::remove(path.c_str());
  ResourceRecord record;
  record.name = ds_string(path.begin(), path.end());
  ResourceStore& store = manager_->Store();
  EXPECT_FALSE(store.GetRecordTexture(record).texture);
  const Bytes png = doc_res_test::Png(5, 10, 0x00FF00);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(png.data(), 1, png.size(), file);
  std::fclose(file);
  const TextureEntry made = store.GetRecordTexture(record);
  ASSERT_TRUE(made.texture);
  EXPECT_EQ(made.width, 5u);
  EXPECT_FLOAT_EQ(made.aspect, 2.0f);
  std::remove(path.c_str());
  EXPECT_EQ(store.GetRecordTexture(record).texture.Get(), made.texture.Get());
}

TEST_F(DocResDevicesTest, RecordsAddedAtRunTimeBecomeImageLinks) {
  Read({});
  ResourceRecord still;
  still.name = u"shot.png";
  const Bytes png = doc_res_test::Png(6, 3, 0xFF0000);
  still.SetBytes(DWORD(png.size()), png.data());
  std::unique_ptr<DS_ImageFileLink> link = manager_->AddImageRecord(still);
  TextureSet* set = manager_->GetTextureSet(*link);
  ASSERT_EQ(set->textures.size(), 1u);
  EXPECT_TRUE(set->textures[0]);
  EXPECT_EQ(set->width, 6u);
  EXPECT_FLOAT_EQ(set->aspect, 0.5f);
  ASSERT_NE(manager_->GetFileRecord(*link), nullptr);
  EXPECT_EQ(manager_->GetFileRecord(*link)->Size(), png.size());

  ResourceRecord second = still;
  const Bytes bmp = doc_res_test::Bmp(2, 2, 0x0000FF);
  second.SetBytes(DWORD(bmp.size()), bmp.data());
  std::unique_ptr<DS_ImageFileLink> sequence = manager_->AddImageRecords({0.5f, 0.25f}, {still, second});
  set = manager_->GetTextureSet(*sequence);
  ASSERT_EQ(set->textures.size(), 2u);
  EXPECT_TRUE(set->textures[1]);
  EXPECT_EQ(set->width, 2u);
  EXPECT_EQ(set->frameTimes, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_NE(sequence->stamp, link->stamp);

  // A file on disk is not embedded: its set stays unmade.
  std::unique_ptr<DS_ImageFileLink> path = manager_->ImageLinkFromPath(u"C:\\nowhere\\x.png");
  EXPECT_EQ(path->path, u"C:\\nowhere\\x.png");
  EXPECT_TRUE(manager_->GetTextureSet(*path)->textures.empty());
}

}  // namespace
