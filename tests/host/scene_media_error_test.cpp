// A scene document that is missing or cannot be read puts the application into the error mode with
// "Could not load required media." once the splash has shown; nothing of the document is kept.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/resource_table.h"
#include "tests/host/scene_probe.h"
#include "tests/support/document_builder.h"

namespace {

using docbuild::Bytes;

// The executable's own resources with "DDS" 107 replaced by `document` (or taken away).
class SceneMediaErrorTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    own_ = win32::SetModuleResources(nullptr, {});
    win32::SetModuleResources(nullptr, own_);
  }
  void TearDown() override {
    win32::SetModuleResources(nullptr, own_);
    HostTest::TearDown();
  }

  static bool IsDocument(const win32::Resource& entry) { return entry.type.id == 0 && entry.name.id == 107; }

  Bytes OwnDocument() const {
    for (const auto& entry : own_)
      if (IsDocument(entry)) return Bytes(entry.data.begin(), entry.data.end());
    return {};
  }

  void InstallDocument(std::optional<Bytes> document) {
    document_ = std::move(document);
    entries_.clear();
    for (const auto& entry : own_)
      if (!IsDocument(entry)) entries_.push_back(entry);
    if (document_) entries_.push_back({win32::ResourceName(u"DDS"), win32::ResourceName(WORD{107}), *document_});
    win32::SetModuleResources(nullptr, entries_);
  }

  win32::ResourceTable own_;
  std::optional<Bytes> document_;
  std::vector<win32::Resource> entries_;
};

TEST_F(SceneMediaErrorTest, AMissingOrUnreadableDocumentShowsTheMediaErrorAfterTheSplash) {
  const Bytes own = OwnDocument();
  ASSERT_GT(own.size(), 1000u);
  docbuild::DocumentBuilder unknownClass;
  unknownClass.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(1).Header(u"DS_NoSuchSlide", 2).U32(0);
  unknownClass.DocResManager(3, {}, {}, {}, {});
  struct Case {
    const char* what;
    std::optional<Bytes> document;
  };
  const Case cases[] = {
      {"no resource 107", std::nullopt},
      {"an empty resource", Bytes{}},
      {"the scene cut in the middle of its pictures", docbuild::Truncated(own, own.size() / 2)},
      {"the scene cut inside its first slide", docbuild::Truncated(own, 120)},
      {"a slide of a class no registry knows", unknownClass.Document()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallDocument(c.document);
    SetCurrentDocResManager(nullptr);
    SceneProbe saver;
    bool splashBeforeError = false;
    saver.afterRender = [&](SceneProbe& s, UINT, int frame) {
      if (frame == 1) splashBeforeError = s.Scene(0).splashShown && !s.m_errorMode;
    };
    saver.stopWhen = [](SceneProbe& s) { return s.m_errorText[0] != 0; };
    saver.Start(u"s /t");

    EXPECT_FALSE(saver.stoppedBySafety);
    EXPECT_TRUE(splashBeforeError);
    EXPECT_TRUE(saver.m_errorMode);
    EXPECT_EQ(static_cast<DWORD>(saver.m_errorCode), 0x8200000bu);
    EXPECT_EQ(std::u16string(saver.m_errorText), u"Could not load required media.");
    // The failed start is never moved or drawn: the monitor keeps no scene.
    EXPECT_EQ(saver.frames[0], 2);
    EXPECT_EQ(saver.Scene(0).sceneRoot, nullptr);
    EXPECT_EQ(saver.Scene(0).resourceManager, nullptr);
    EXPECT_EQ(g_DocResManager, nullptr);
  }
}

}  // namespace
