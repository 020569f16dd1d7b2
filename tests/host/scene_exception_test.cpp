// Anything thrown while the scene's objects are made or while they move enters the error mode with
// "Could not load required media." instead of ending the process: a document may read cleanly and
// still ask for more than the machine can give.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "platform/win32/resource_table.h"
#include "render/ab_obj.h"
#include "tests/host/scene_probe.h"
#include "tests/support/document_builder.h"

namespace {

// Which step of the stored test element throws.
enum class Throws { kWhenMade, kWhenMoved };
Throws g_throws = Throws::kWhenMade;

class ThrowingObject final : public DS_ABObj {
 public:
  void Render(DS_ABRender&) override {}
  void DrawSelection(DS_ABRender&, int) override {}
  void Update(float) override {
    if (g_throws == Throws::kWhenMoved) throw std::length_error("a length the machine cannot hold");
  }
  void SyncLayout() override {}
};

class ThrowingConstructor final : public DS_ABObj_Constructor {
 public:
  bool Save(DS_IOF_Virtual**) override { return true; }
  DS_ABObj* CreateObject() override {
    if (g_throws == Throws::kWhenMade) throw std::bad_alloc();
    return new ThrowingObject;
  }
};

}  // namespace

template <>
void IOF_ReadFields<ThrowingConstructor>(DS_IOF_Virtual**, DWORD, ThrowingConstructor&) {}

namespace {

const IOF_Virtual_ReaderT<ThrowingConstructor> g_ThrowingReader;
const bool g_ThrowingRegistered = RegisterReader(GetConstructorRegistry(), u"TestThrowingElement", g_ThrowingReader);

class SceneExceptionTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    own_ = win32::SetModuleResources(nullptr, {});
    entries_.clear();
    for (const auto& entry : own_)
      if (!(entry.type.id == 0 && entry.name.id == 107)) entries_.push_back(entry);
    // One slide of a plain layer without picture, holding the test element.
    docbuild::DocumentBuilder doc;
    doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(1);
    doc.Header(u"DS_SlideContainer", 2).U32(1).U32(1).U32(2).I32(0).String(u"slide");
    doc.Header(u"DS_2D_Light", 2).Link(u"", 0);
    doc.U32(1).Header(u"TestThrowingElement", 1).U32(0);  // the element, no sounds
    doc.U32(0).DocResManager(3, {}, {}, {}, {});           // no music
    document_ = doc.Document();
    entries_.push_back({win32::ResourceName(u"DDS"), win32::ResourceName(WORD{107}), document_});
    win32::SetModuleResources(nullptr, entries_);
  }
  void TearDown() override {
    win32::SetModuleResources(nullptr, own_);
    HostTest::TearDown();
  }

  win32::ResourceTable own_;
  docbuild::Bytes document_;
  std::vector<win32::Resource> entries_;
};

TEST_F(SceneExceptionTest, AnythingThrownWhileTheSceneIsMadeOrMovesShowsTheMediaError) {
  ASSERT_TRUE(g_ThrowingRegistered);
  for (Throws when : {Throws::kWhenMade, Throws::kWhenMoved}) {
    SCOPED_TRACE(when == Throws::kWhenMade ? "made" : "moved");
    g_throws = when;
    SetCurrentDocResManager(nullptr);
    SceneProbe saver;
    saver.stopWhen = [](SceneProbe& s) { return s.m_errorText[0] != 0; };
    saver.Start(u"s /t");

    EXPECT_FALSE(saver.stoppedBySafety);
    EXPECT_TRUE(saver.m_errorMode);
    EXPECT_EQ(static_cast<DWORD>(saver.m_errorCode), 0x8200000bu);
    EXPECT_EQ(std::u16string(saver.m_errorText), u"Could not load required media.");
    // A scene whose objects could not be made is not kept.
    if (when == Throws::kWhenMade) {
      EXPECT_EQ(saver.Scene(0).sceneRoot, nullptr);
      EXPECT_EQ(g_DocResManager, nullptr);
    }
  }
}

}  // namespace
