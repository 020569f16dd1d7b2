// A mesh part takes its texture and mesh from the current resource manager.
#include "render/mesh_part.h"

#include <gtest/gtest.h>

#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "document/device.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace {


class MeshPartTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    g_Device = device_.Get();
    docbuild::DocumentBuilder doc;
    doc.DocResManager(2,
                      {{u"a.png", 1, {docbuild::Embedded(u"a.png", doc_res_test::Png(4, 4, 0xFF0000))}},
                       {u"b.png", 1, {docbuild::Embedded(u"b.png", doc_res_test::Png(4, 4, 0x00FF00))}}},
                      {}, {{u"vaultkit.dll", 30, {docbuild::LibraryCopy(30, u"vaultkit.dll", doc_res_test::TextBytes(doc_res_test::kCubeX))}}},
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
  void TearDown() override {
    SetCurrentDocResManager(nullptr);
    manager_.reset();
    g_Device = nullptr;
    DeviceTest::TearDown();
  }

  static DS_ImageFileLink Image(const ds_string& path) {
    return DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(path, 1));
  }
  static DS_MeshFile Mesh(LONGLONG id) { return DS_MeshFile(DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", id)); }

  IDirect3DTexture9* TextureOf(const ds_string& path) {
    return manager_->GetTextureSet(Image(path))->textures.at(0).Get();
  }

  docbuild::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

TEST_F(MeshPartTest, NewPartIsAnEmptyStrip) {
  MeshPart part;
  EXPECT_EQ(part.primitiveType, D3DPT_TRIANGLESTRIP);
  EXPECT_FALSE(part.texture);
  EXPECT_FALSE(part.vertexBuffer);
  EXPECT_FALSE(part.indexBuffer);
  EXPECT_TRUE(part.frames.empty());
  EXPECT_EQ(part.twoPass, 0);
  EXPECT_EQ(part.boundingRadius, 0.0f);
}

TEST_F(MeshPartTest, LoadTakesTheTextureAndTheMeshWithItsSphere) {
  MeshPart part;
  part.Load(Image(u"a.png"), Mesh(30));
  const MeshEntry* entry = manager_->GetMesh(Mesh(30), 32);
  ASSERT_GT(entry->vertexCount, 0u);
  EXPECT_EQ(part.texture.Get(), TextureOf(u"a.png"));
  EXPECT_EQ(part.vertexBuffer.Get(), entry->vertexBuffer.Get());
  EXPECT_EQ(part.indexBuffer.Get(), entry->indexBuffer.Get());
  EXPECT_EQ(part.vertexCount, entry->vertexCount);
  EXPECT_EQ(part.triangleCount, 12u);
  EXPECT_EQ(part.primitiveType, D3DPT_TRIANGLELIST);
  EXPECT_NEAR(part.boundingCentre.x, 10.0f, 1e-4);
  EXPECT_NEAR(part.boundingRadius, entry->boundingRadius, 1e-6);
  EXPECT_GT(part.boundingRadius, 1.0f);
}

TEST_F(MeshPartTest, SecondLoadReleasesTheTextureHeldBefore) {
  IDirect3DTexture9* red = TextureOf(u"a.png");
  IDirect3DTexture9* green = TextureOf(u"b.png");
  const ULONG redBefore = doc_res_test::References(red);
  const ULONG greenBefore = doc_res_test::References(green);
  MeshPart part;
  part.Load(Image(u"a.png"), Mesh(30));
  EXPECT_EQ(doc_res_test::References(red), redBefore + 1);
  part.Load(Image(u"b.png"), Mesh(30));
  EXPECT_EQ(doc_res_test::References(red), redBefore);
  EXPECT_EQ(doc_res_test::References(green), greenBefore + 1);
}

TEST_F(MeshPartTest, MissingMeshIsReportedAndAnEmptySetLeavesNoTexture) {
  MeshPart part;
  part.Load(Image(u"C:\\not\\embedded.png"), Mesh(999));
  EXPECT_FALSE(part.texture);
  EXPECT_FALSE(part.LoadMesh(Mesh(999)));
  EXPECT_EQ(part.vertexCount, 0u);
  EXPECT_FALSE(part.vertexBuffer);
  EXPECT_TRUE(part.LoadMesh(Mesh(30)));
}

}  // namespace
