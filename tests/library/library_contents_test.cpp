// The resource library beside the executable: every resource a scene class links to by default is
// there, of the type its readers ask for, and loads as what it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <d3dx9.h>
#include <windows.h>

#include "platform/d3dx9/effect_file.h"
#include "platform/d3dx9/effect_programs.h"
#include "tests/document/doc_res_manager_fixture.h"

namespace {

enum class Kind { Picture, SignedPicture, Mesh, Effect };

struct LibraryEntry {
  int id;
  Kind kind;
  const char* holds;
};

// The ids the scene classes' default links name, and the extra resources the library offers
// (96 glow, 99 fire gradient, 100 explosion, 101 caption, 104 rotation).
const LibraryEntry kEntries[] = {
    {5, Kind::Picture, "slide picture"},        {6, Kind::Picture, "border, butterfly body"},
    {7, Kind::Picture, "flame shape"},          {8, Kind::Picture, "flame noise"},
    {40, Kind::Picture, "glyph strip"},         {58, Kind::Picture, "glass highlight"},
    {59, Kind::Picture, "glass highlight 2"},   {60, Kind::Picture, "glass stand"},
    {62, Kind::SignedPicture, "heat bump"},     {63, Kind::Effect, "heat distortion"},
    {68, Kind::Mesh, "butterfly body"},         {69, Kind::Mesh, "butterfly wing"},
    {70, Kind::Mesh, "clock face"},             {71, Kind::Picture, "clock face"},
    {72, Kind::Picture, "clock hands"},         {75, Kind::Effect, "background copy"},
    {76, Kind::Effect, "light"},                {77, Kind::Effect, "waves"},
    {78, Kind::Effect, "pattern"},              {88, Kind::Effect, "underwater"},
    {89, Kind::SignedPicture, "water bump"},    {90, Kind::Effect, "water"},
    {91, Kind::Effect, "move"},                 {92, Kind::Effect, "fire"},
    {93, Kind::Picture, "fire pattern"},        {95, Kind::Picture, "bolt"},
    {96, Kind::Picture, "glow"},                {97, Kind::Effect, "discharge glow"},
    {98, Kind::Picture, "plain bolt"},          {99, Kind::Picture, "fire gradient"},
    {100, Kind::Effect, "explosion"},           {101, Kind::Effect, "caption"},
    {102, Kind::Effect, "expand"},              {103, Kind::Effect, "radial waves"},
    {104, Kind::Effect, "rotation"},
};

class LibraryContentsTest : public doc_res_test::DeviceTest {};

TEST_F(LibraryContentsTest, EveryLinkedIdIsThereOfItsTypeAndLoads) {
  HMODULE library = LoadLibraryW(u"vaultkit.dll");
  ASSERT_NE(library, nullptr) << "vaultkit.dll beside the test executable";
  for (const LibraryEntry& entry : kEntries) {
    SCOPED_TRACE(std::to_string(entry.id) + " " + entry.holds);
    const LPCWSTR type = entry.kind == Kind::Effect ? RT_RCDATA : u"DDS";
    const LPCWSTR other = entry.kind == Kind::Effect ? u"DDS" : RT_RCDATA;
    EXPECT_EQ(FindResourceW(library, MAKEINTRESOURCEW(entry.id), other), nullptr);
    HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(entry.id), type);
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(library, found);
    const void* bytes = LockResource(LoadResource(library, found));
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 0u);
    switch (entry.kind) {
      case Kind::Picture:
      case Kind::SignedPicture: {
        ComHolder<IDirect3DTexture9> texture;
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_.Get(), bytes, size, D3DX_DEFAULT, D3DX_DEFAULT,
                                                      D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                      D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, texture.Out()),
                  S_OK);
        EXPECT_GE(info.Width, 4u);
        if (entry.kind == Kind::SignedPicture) {
          EXPECT_EQ(info.Format, D3DFMT_V8U8);
          EXPECT_GT(info.MipLevels, 1u);
        }
        break;
      }
      case Kind::Mesh: {
        ComHolder<ID3DXMesh> mesh;
        ASSERT_EQ(D3DXLoadMeshFromXInMemory(bytes, size, D3DXMESH_MANAGED, device_.Get(), nullptr, nullptr, nullptr,
                                            nullptr, mesh.Out()),
                  S_OK);
        EXPECT_GT(mesh->GetNumFaces(), 0u);
        // The butterfly and the clock scale their meshes down by their own factors (a size of 100
        // draws a mesh at its own units), so a mesh must be tens of units across to be seen.
        void* vertices = nullptr;
        ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices), S_OK);
        D3DXVECTOR3 centre;
        float radius = 0.0f;
        EXPECT_EQ(D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(vertices), mesh->GetNumVertices(),
                                            D3DXGetFVFVertexSize(mesh->GetFVF()), &centre, &radius),
                  S_OK);
        mesh->UnlockVertexBuffer();
        EXPECT_GE(radius, 20.0f);
        break;
      }
      case Kind::Effect: {
        std::string error;
        auto file = d3dx9::ParseEffectFile(bytes, size, &error);
        ASSERT_TRUE(file) << error;
        for (const auto& technique : file->techniques)
          for (const auto& pass : technique.passes)
            EXPECT_TRUE(d3dx9::EffectProgramExists(pass.program)) << technique.name << ": " << pass.program;
        ComHolder<ID3DXEffect> effect;
        EXPECT_EQ(D3DXCreateEffect(device_.Get(), bytes, size, nullptr, nullptr, 0, nullptr, effect.Out(), nullptr),
                  S_OK);
        break;
      }
    }
  }
  EXPECT_TRUE(FreeLibrary(library));
}

TEST_F(LibraryContentsTest, AMachineWithoutTheLibraryFindsNothing) {
  machine::Machine plain = machine::DefaultMachine();
  plain.faults.missingLibraries.push_back(u"VAULTKIT.DLL");
  machine::Install(plain);
  EXPECT_EQ(LoadLibraryW(u"vaultkit.dll"), nullptr);
}

}  // namespace
