// File links: construction, ordering, reading, and the picture link's undo history.
#include <gtest/gtest.h>

#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "document/image_file_link.h"
#include "document/iof_reader.h"
#include "document/resource_record.h"
#include "tests/support/document_builder.h"

namespace {

DS_FileLink3 L(const char16_t* path, LONGLONG stamp) { return DS_FileLink3::ConstructFromSnapshot(path, stamp); }

TEST(FileLink, OrdersByPathThenSignedStamp) {
  const struct {
    DS_FileLink3 a, b;
  } ascending[] = {
      {L(u"P", 1), L(u"P", 2)},
      {L(u"P", 2), L(u"Q", 1)},
      {L(u"P", -1), L(u"P", 0)},
      {L(u"P", 0), L(u"P", 4294967295LL)},
      {L(u"P", 0x7FFFFFFFFFFFFFFFLL), L(u"PA", -5)},  // a proper prefix first
      {L(u"VAULTKIT.DLL", 9), L(u"vaultkit.dll", 1)},  // case-sensitive, by code unit
      {L(u"z", 0), L(u"\u00e9", 0)},
  };
  for (const auto& pair : ascending) {
    SCOPED_TRACE(testing::PrintToString(pair.a.path) + " " + std::to_string(pair.a.stamp));
    EXPECT_TRUE(FileLinkLess(pair.a, pair.b));
    EXPECT_FALSE(FileLinkLess(pair.b, pair.a));
  }
  EXPECT_FALSE(FileLinkLess(L(u"P", 3), L(u"P", 3)));
}

TEST(FileLink, LowerExtension) {
  const struct {
    const char16_t* path;
    const char16_t* extension;
  } cases[] = {
      {u"VAULTKIT.DLL", u".dll"},
      {u"C:\\lib\\Vaultkit.Dll", u".dll"},
      {u"noextension", u""},
      {u"photo.v2.JPG", u".jpg"},
      {u"name.\u00c9X", u".\u00c9x"},  // only A to Z are lowered
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(L(c.path, 0).LowerExtension(), c.extension) << testing::PrintToString(std::u16string(c.path));
}

TEST(FileLink, IdsBecomeStampsByZeroExtension) {
  EXPECT_EQ(DS_FileLink3::ConstructFromResource(-1, u"vaultkit.dll").stamp, 4294967295LL);
  const DS_FileLink3 fromRecord =
      DS_FileLink3::ConstructFromRecord(ResourceRecord::ConstructForLibrary(-1, u"vaultkit.dll"));
  EXPECT_EQ(fromRecord.path, u"vaultkit.dll");
  EXPECT_EQ(fromRecord.stamp, 4294967295LL);
}

TEST(FileLink, EmbeddedRecordsTakeTheNextCounterValue) {
  ResourceRecord record;
  record.name = u"C:\\photos\\a.jpg";
  const LONGLONG first = g_EmbeddedFileCounter;
  const DS_FileLink3 a = DS_FileLink3::ConstructFromRecord(record);
  const DS_FileLink3 b = DS_FileLink3::ConstructFromRecord(record);
  EXPECT_EQ(a.path, record.name);
  EXPECT_EQ(a.stamp, first);
  EXPECT_EQ(b.stamp, first + 1);
}

TEST(FileLink, PathStampIsTheModificationTime) {
  char dir[] = "/tmp/copperleaf-link-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/picture.jpg";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  const timeval times[2] = {{1000, 0}, {1234567890, 0}};
  ASSERT_EQ(utimes(file.c_str(), times), 0);

  // A file whose name ends in U+FFFD: a path with a lone surrogate in its place names no file, not
  // this one.
  const std::string replaced = file + "\xEF\xBF\xBD";
  std::FILE* g = std::fopen(replaced.c_str(), "w");
  ASSERT_NE(g, nullptr);
  std::fclose(g);
  ASSERT_EQ(utimes(replaced.c_str(), times), 0);

  const ds_string path(file.begin(), file.end());
  EXPECT_EQ(DS_FileLink3::ConstructFromPath(path).stamp, 1234567890);
  EXPECT_EQ(DS_FileLink3::ConstructFromPath(path + u"-missing").stamp, 0);
  EXPECT_EQ(DS_FileLink3::ConstructFromPath(path + u"\uFFFD").stamp, 1234567890);
  EXPECT_EQ(DS_FileLink3::ConstructFromPath(path + u'\xD800').stamp, 0);
  std::remove(replaced.c_str());
  std::remove(file.c_str());
  rmdir(dir);
}

TEST(FileLink, ReadingAStoredEmptyPathClearsTheLink) {
  docbuild::DocumentBuilder doc;
  doc.Link(u"", 6).Link(u"fx.bin", -3);
  docbuild::ExactBuffer bytes(doc.Document());
  ResourceBuffer buffer(bytes.Data(), bytes.Size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  DS_FileLink3 link = DS_FileLink3::ConstructFromResource(5, u"vaultkit.dll");
  ReadFileLink(&stream, &link);
  EXPECT_EQ(link.path, u"");
  EXPECT_EQ(link.stamp, 6);
  DS_HLSLEffectFile effect;
  ReadFileLink(&stream, &effect);
  EXPECT_EQ(effect.path, u"fx.bin");
  EXPECT_EQ(effect.stamp, -3);
  ReadFileLink(&stream, &effect);  // past the end: the link keeps its value
  EXPECT_TRUE(stream->Failed());
  EXPECT_EQ(effect.path, u"fx.bin");
}

TEST(FileLink, GuidOrderIsByMemoryBytes) {
  const GUID low{0x00000002, 0, 0, {}};   // bytes 02 00 00 00 ...
  const GUID high{0x00000100, 0, 0, {}};  // bytes 00 01 00 00 ... : numerically larger, bytes smaller
  EXPECT_TRUE(GuidLess(high, low));
  EXPECT_FALSE(GuidLess(low, high));
  const GUID lastByte{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0xFF}};
  EXPECT_TRUE(GuidLess(GUID_NULL, lastByte));
  EXPECT_FALSE(GuidLess(lastByte, lastByte));
}

class Counter : public MediaControl {
 public:
  void OnChange(MediaControl*) override { ++calls; }
  int calls = 0;
};

TEST(ImageFileLink, CopiesCarryPathAndStampOnly) {
  DS_ImageFileLink link(L(u"a.jpg", 4));
  Counter counter;
  link.AddObserver(&counter);
  DS_ImageFileLink copy(link);
  EXPECT_EQ(copy.path, u"a.jpg");
  EXPECT_EQ(copy.stamp, 4);
  ASSERT_EQ(copy.Observers().size(), 1u);
  EXPECT_EQ(copy.Observers()[0], &copy.UndoControl());
  EXPECT_EQ(copy.UndoControl().Saved(), (DS_ImageFileLink::Snapshot{u"a.jpg", 4}));
  link.RemoveObserver(&counter);
}

TEST(ImageFileLink, HistoryKeepsTwentyAndUndoAlwaysNotifies) {
  DS_ImageFileLink link(L(u"p", 0));
  Counter counter;
  link.AddObserver(&counter);
  for (int i = 1; i <= 25; ++i) {
    link.path = u"p" + std::u16string(1, static_cast<char16_t>(u'A' + i));
    link.stamp = i;
    link.NotifyAll(nullptr);  // the history's snapshot follows the link
    link.UndoControl().Record();
  }
  EXPECT_EQ(link.UndoControl().History().size(), 20u);
  counter.calls = 0;
  for (int i = 0; i < 21; ++i) link.UndoControl().Undo();
  // The oldest kept snapshot is the sixth recorded; the last undo had nothing to step over and
  // still told the observers.
  EXPECT_EQ(link.stamp, 6);
  EXPECT_EQ(counter.calls, 21);
  link.UndoControl().Redo();
  EXPECT_EQ(link.stamp, 7);
  link.RemoveObserver(&counter);
}

}  // namespace
