#include "slideshow/scene_loader.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/win32/resource_table.h"
#include "tests/support/document_builder.h"

namespace {

using docbuild::Bytes;
using docbuild::DocumentBuilder;

// Gives the executable a resource table holding `document` as "DDS" 107 (or no such entry), and
// leaves the current resource manager as the test found it.
class SceneLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (installed_) win32::SetModuleResources(nullptr, previous_);
    managers_.clear();
    SetCurrentDocResManager(nullptr);
  }

  void Install(std::optional<Bytes> document) {
    document_ = std::move(document);
    entries_.clear();
    if (document_) entries_.push_back({win32::ResourceName(u"DDS"), win32::ResourceName(WORD{107}), *document_});
    const auto previous = win32::SetModuleResources(nullptr, entries_);
    if (!installed_) previous_ = previous;
    installed_ = true;
  }

  // Loads, taking the published manager into the test's keeping.
  std::unique_ptr<DS_SlideShow_Light> Load() {
    auto show = LoadSceneDocument();
    managers_.emplace_back(g_DocResManager);
    return show;
  }

  // The smallest document with the header given: no slides, no audio, a version-1 manager.
  static Bytes Empty(std::u16string_view header) {
    DocumentBuilder doc;
    doc.String(header).Header(u"DS_SlideShow_Light", 1).U32(0).U32(0).DocResManager(1, {}, {}, {}, {});
    return doc.Document();
  }

  std::optional<Bytes> document_;
  std::vector<win32::Resource> entries_;
  win32::ResourceTable previous_;
  bool installed_ = false;
  std::vector<std::unique_ptr<DS_DocResManager>> managers_;
};

TEST_F(SceneLoaderTest, AnEmptyHeaderAndNoSlidesStillLoadAndPublishTheManager) {
  Install(Empty(u""));
  auto show = Load();
  ASSERT_NE(show, nullptr);
  EXPECT_TRUE(show->slides.empty());
  EXPECT_TRUE(show->audioFiles.empty());
  ASSERT_NE(g_DocResManager, nullptr);
  EXPECT_TRUE(g_DocResManager->Tables().imageFiles.empty());
}

TEST_F(SceneLoaderTest, TwoLoadsGiveTwoRootsAndTwoManagersTheSecondCurrent) {
  Install(Empty(u"KVT v 4.0.0"));
  auto first = Load();
  DS_DocResManager* firstManager = g_DocResManager;
  auto second = Load();
  EXPECT_NE(first.get(), second.get());
  EXPECT_NE(g_DocResManager, firstManager);
  EXPECT_EQ(g_DocResManager, managers_.back().get());
}

TEST_F(SceneLoaderTest, AMissingOrEmptyResourceRaisesTheMediaErrorBeforeBuildingAnything) {
  for (const auto& document : {std::optional<Bytes>(), std::optional<Bytes>(Bytes{})}) {
    Install(document);
    SetCurrentDocResManager(nullptr);
    try {
      LoadSceneDocument();
      ADD_FAILURE() << "no error raised";
    } catch (DWORD code) {
      EXPECT_EQ(code, 0x8200000bu);
    }
    EXPECT_EQ(g_DocResManager, nullptr);
  }
}

// A document cut anywhere, or holding a class no registry knows, is refused as a whole: the loader
// raises the media error and keeps nothing of it.
TEST_F(SceneLoaderTest, TruncatedOrUnknownContentRaisesTheMediaErrorAndKeepsNothing) {
  const Bytes whole = Empty(u"KVT v 4.0.0");
  std::vector<Bytes> documents;
  for (size_t length = 1; length < whole.size(); ++length) documents.push_back(docbuild::Truncated(whole, length));
  DocumentBuilder unknown;
  unknown.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(1).Header(u"DS_NoSuchSlide", 1).U32(0);
  unknown.DocResManager(1, {}, {}, {}, {});
  documents.push_back(unknown.Document());

  for (const Bytes& document : documents) {
    Install(document);
    SetCurrentDocResManager(nullptr);
    try {
      LoadSceneDocument();
      ADD_FAILURE() << "a document of " << document.size() << " bytes loaded";
    } catch (DWORD code) {
      EXPECT_EQ(code, 0x8200000bu);
    }
    EXPECT_EQ(g_DocResManager, nullptr);
  }
}

}  // namespace

namespace {

// A refused document leaves the manager that was current, and the store lookups go to, in place,
// although building the new manager published its store for a moment.
TEST_F(SceneLoaderTest, ARefusedDocumentLeavesTheCurrentManagerAndItsStore) {
  Install(Empty(u"KVT v 4.0.0"));
  auto kept = Load();
  DS_DocResManager* current = g_DocResManager;
  ResourceStore** currentStore = g_ResourceStore;
  ASSERT_EQ(currentStore, current->StoreCell());

  const Bytes whole = Empty(u"KVT v 4.0.0");
  Install(docbuild::Truncated(whole, whole.size() - 1));
  EXPECT_THROW(LoadSceneDocument(), DWORD);
  EXPECT_EQ(g_DocResManager, current);
  EXPECT_EQ(g_ResourceStore, currentStore);
}

// Nothing follows the manager's tables in a document; bytes that do are not read.
TEST_F(SceneLoaderTest, BytesAfterTheManagerAreIgnored) {
  Bytes document = Empty(u"KVT v 4.0.0");
  document.insert(document.end(), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF});
  Install(document);
  auto show = Load();
  ASSERT_NE(show, nullptr);
  EXPECT_NE(g_DocResManager, nullptr);
}

}  // namespace
