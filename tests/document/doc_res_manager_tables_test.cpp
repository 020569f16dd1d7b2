// Reading the resource manager's stored tables and resolving links to their embedded bytes. No device
// is needed here: texture slots stay null, and the tests look at what was read and resolved.
#include <gtest/gtest.h>

#include <memory>

#include "document/doc_res_manager.h"
#include "document/iof_reader.h"
#include "platform/win32/module.h"
#include "tests/support/document_builder.h"

namespace {

using docbuild::Bytes;
using docbuild::DocumentBuilder;
using docbuild::Embedded;
using docbuild::FileEntry;
using docbuild::LibraryCopy;

constexpr uint32_t kSentinel = 0xC0FFEE11;

struct Tables {
  std::vector<FileEntry> images;
  std::vector<docbuild::FrameTimeEntry> frameTimes;
  std::vector<FileEntry> others;
  std::vector<docbuild::GuidBlobEntry> guids;
};

class DocResTablesTest : public ::testing::Test {
 protected:
  void TearDown() override { SetCurrentDocResManager(nullptr); }

  // Reads the manager's record as the scene loader does (header, then the tables) and then the word
  // that follows it, which shows whether the tables consumed exactly their bytes.
  bool Read(uint32_t version, const Tables& t, const Bytes* replaced = nullptr) {
    DocumentBuilder doc;
    doc.DocResManager(version, t.images, t.frameTimes, t.others, t.guids).U32(kSentinel);
    const Bytes bytes = replaced ? *replaced : doc.Document();
    document_ = std::make_unique<docbuild::ExactBuffer>(bytes);
    ResourceBuffer buffer(document_->Data(), document_->Size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* stream = &reader;
    ds_string name;
    DWORD storedVersion = 0;
    stream->ReadString(&name);
    stream->ReadULong(&storedVersion);
    manager_ = std::make_unique<DS_DocResManager>();
    const bool read = manager_->ReadTables(&stream, storedVersion);
    stream->ReadULong(&after_);
    return read;
  }

  Bytes Build(uint32_t version, const Tables& t) {
    DocumentBuilder doc;
    doc.DocResManager(version, t.images, t.frameTimes, t.others, t.guids);
    return doc.Document();
  }

  const ResourceTables& T() const { return manager_->Tables(); }

  std::unique_ptr<docbuild::ExactBuffer> document_;
  std::unique_ptr<DS_DocResManager> manager_;
  DWORD after_ = 0;
};

const FileKey kPhoto{u"C:\\pics\\a.jpg", 1};
const FileKey kEffect{u"vaultkit.dll", 63};

Tables OneOfEach() {
  Tables t;
  t.images = {{kPhoto.path, kPhoto.stamp, {Embedded(kPhoto.path, {1, 2, 3})}}};
  t.frameTimes = {{kPhoto.path, kPhoto.stamp, {0.5f}}};
  t.others = {{kEffect.path, kEffect.stamp, {LibraryCopy(63, u"vaultkit.dll", {9, 8, 7, 6})}}};
  t.guids = {{u"{00000001-0002-0003-0405-060708090A0B}", u"text", 1, {4, 5}, u""}};
  return t;
}

TEST_F(DocResTablesTest, EachVersionReadsExactlyItsTables) {
  const struct {
    uint32_t version;
    bool others;
    bool guids;
  } cases[] = {{1, false, false}, {2, true, false}, {3, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    ASSERT_TRUE(Read(c.version, OneOfEach()));
    EXPECT_EQ(after_, kSentinel);
    EXPECT_EQ(T().otherFiles.size(), c.others ? 1u : 0u);
    EXPECT_EQ(T().resolution.count(kEffect), c.others ? 1u : 0u);
    EXPECT_EQ(T().guidTextures.size(), c.guids ? 1u : 0u);
    EXPECT_TRUE(T().guidBlobs.empty());
    EXPECT_TRUE(T().imageFiles.empty());
    ASSERT_EQ(T().resolution.count(kPhoto), 1u);
    EXPECT_EQ(T().resolution.at(kPhoto).front().Size(), 3u);
    EXPECT_EQ(T().frameTimes.at(kPhoto), std::vector<float>{0.5f});
  }
}

TEST_F(DocResTablesTest, SequencesTakeFrameTimesOnlyWithSeveralRecords) {
  const struct {
    size_t records;
    std::vector<float> expectedTimes;
  } cases[] = {
      {3, {0.25f, 0.5f, 1.0f}},
      {1, {}},
      {0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.records);
    Tables t;
    FileEntry entry{u"seq.png", 4, {}};
    for (size_t i = 0; i < c.records; ++i) entry.records.push_back(Embedded(u"seq.png", {uint8_t(i)}));
    t.images = {entry};
    t.frameTimes = {{u"seq.png", 4, {0.25f, 0.5f, 1.0f}}};
    ASSERT_TRUE(Read(2, t));
    const FileKey key{u"seq.png", 4};
    EXPECT_EQ(T().textureSets.at(key).textures.size(), c.records);
    EXPECT_EQ(T().textureSets.at(key).frameTimes, c.expectedTimes);
    EXPECT_EQ(T().resolution.at(key).size(), c.records);
    EXPECT_EQ(after_, kSentinel);
  }
}

TEST_F(DocResTablesTest, ImageEntryWinsOverAnOtherFileEntryOfTheSameKey) {
  Tables t;
  t.images = {{u"same.bmp", 2, {Embedded(u"image", {1})}}};
  t.others = {{u"same.bmp", 2, {Embedded(u"other", {2, 2})}}};
  ASSERT_TRUE(Read(2, t));
  const RecordList& list = T().resolution.at(FileKey{u"same.bmp", 2});
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.front().name, u"image");
  EXPECT_EQ(T().otherFiles.size(), 1u);
}

TEST_F(DocResTablesTest, DuplicateKeyInOneTableKeepsTheFirstEntry) {
  Tables t;
  t.others = {{u"x.wav", 7, {Embedded(u"first", {1})}}, {u"x.wav", 7, {Embedded(u"second", {2, 2})}}};
  ASSERT_TRUE(Read(2, t));
  EXPECT_EQ(T().resolution.at(FileKey{u"x.wav", 7}).front().name, u"first");
  EXPECT_EQ(after_, kSentinel);
}

TEST_F(DocResTablesTest, LibraryLinkCarriedByTheDocumentLoadsNoLibrary) {
  ASSERT_TRUE(Read(3, OneOfEach()));
  const int loadsBefore = win32::LoadLibraryCalls(u"vaultkit.dll");
  ResourceRecord* record = manager_->GetFileRecord(DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", 63));
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->Size(), 4u);
  EXPECT_EQ(record->Bytes()[0], 9);
  EXPECT_EQ(win32::LoadLibraryCalls(u"vaultkit.dll"), loadsBefore);
}

TEST_F(DocResTablesTest, AbsentLibraryGivesOneRecordWithoutBytesThatStaysValid) {
  ASSERT_TRUE(Read(3, OneOfEach()));
  const DS_FileLink3 link = DS_FileLink3::ConstructFromSnapshot(u"VaultKit.DLL", 4242);
  ResourceRecord* first = manager_->GetFileRecord(link);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Bytes(), nullptr);
  EXPECT_EQ(first->id, 4242);
  EXPECT_EQ(first->library, u"VaultKit.DLL");
  EXPECT_EQ(manager_->GetFileRecord(link), first);
  // The texture lookup appends its own record to the same list; the one handed out stays put.
  manager_->GetTextureSet(DS_ImageFileLink(link));
  EXPECT_EQ(T().resolution.at(FileKey{link.path, link.stamp}).size(), 2u);
  EXPECT_EQ(manager_->GetFileRecord(link), first);
  EXPECT_EQ(first->id, 4242);
}

TEST_F(DocResTablesTest, FileThatIsNeitherEmbeddedNorInALibraryHasNoRecord) {
  ASSERT_TRUE(Read(1, {}));
  EXPECT_EQ(manager_->GetFileRecord(DS_FileLink3::ConstructFromSnapshot(u"C:\\music\\song.mp3", 5)), nullptr);
}

TEST_F(DocResTablesTest, CutTablesFailWithoutReadingPastTheEnd) {
  const Bytes whole = Build(3, OneOfEach());
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE(length);
    const Bytes cut = docbuild::Truncated(whole, length);
    EXPECT_FALSE(Read(3, {}, &cut));
  }
}

TEST_F(DocResTablesTest, HugeRecordCountFailsAtOnce) {
  DocumentBuilder doc;
  doc.Header(u"DS_DocResManager", 1).U32(1).String(u"a.png").I64(1).U32(0xFFFFFFFFu);
  const Bytes bytes = doc.Document();
  EXPECT_FALSE(Read(1, {}, &bytes));
  EXPECT_TRUE(T().resolution.empty());
}

// What a save would store: image links register their records and frame times, other links their
// records; the stream itself writes nothing in this system.
TEST_F(DocResTablesTest, UsedLinksRegisterWhatASaveWouldStore) {
  Tables t = OneOfEach();
  FileEntry sequence{u"seq.png", 4, {Embedded(u"seq.png", {1}), Embedded(u"seq.png", {2})}};
  t.images.push_back(sequence);
  t.frameTimes.push_back({u"seq.png", 4, {0.25f, 0.75f}});
  ASSERT_TRUE(Read(3, t));
  manager_->MarkUsed(DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"seq.png", 4)));
  manager_->MarkUsed(DS_ImageFileLink(DS_FileLink3::ConstructFromSnapshot(u"", 5)));
  SetCurrentDocResManager(manager_.get());
  const uint8_t nothing[1] = {};
  ResourceBuffer buffer(nothing, 0);
  DS_IOF_R<ResourceBuffer> writer(&buffer);
  DS_IOF_Virtual* stream = &writer;
  WriteFileLink(&stream, DS_FileLink3::ConstructFromSnapshot(u"vaultkit.dll", 63));
  EXPECT_TRUE(manager_->Save(&stream));
  const FileKey key{u"seq.png", 4};
  ASSERT_EQ(T().imageFiles.size(), 1u);
  EXPECT_EQ(T().imageFiles.at(key).size(), 2u);
  EXPECT_EQ(T().frameTimes.at(key), (std::vector<float>{0.25f, 0.75f}));
  EXPECT_EQ(T().otherFiles.at(kEffect).front().Size(), 4u);
  EXPECT_TRUE(T().guidBlobs.empty());
}

TEST(DocResManagerLifetime, DestroyedManagerClearsTheGlobalsThatNameIt) {
  auto first = std::make_unique<DS_DocResManager>();
  auto second = std::make_unique<DS_DocResManager>();
  EXPECT_EQ(g_ResourceStore, second->StoreCell());
  SetCurrentDocResManager(first.get());
  EXPECT_EQ(g_ResourceStore, first->StoreCell());
  second.reset();
  EXPECT_EQ(g_DocResManager, first.get());
  EXPECT_EQ(g_ResourceStore, first->StoreCell());
  first.reset();
  EXPECT_EQ(g_DocResManager, nullptr);
  EXPECT_EQ(g_ResourceStore, nullptr);
}

}  // namespace
