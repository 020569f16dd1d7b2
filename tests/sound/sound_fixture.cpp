#include "tests/sound/sound_fixture.h"

#include "document/iof_reader.h"
#include "platform/machine/clock.h"
#include "sound/sound_device.h"
#include "tests/support/builder_stream.h"
#include "tests/support/document_builder.h"

namespace {
const HWND kWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5A5A));
}  // namespace

void SoundTest::SetUp() {
  machine::clock::UseVirtual();
  ForgetDevice();
  dsound::SetDeviceAvailable(true);
  ASSERT_TRUE(SoundDevice::Init(kWindow));
}

void SoundTest::TearDown() {
  SetCurrentDocResManager(nullptr);
  manager_.reset();
  ForgetDevice();
  dsound::SetDeviceAvailable(true);
  machine::clock::UseReal();
}

void SoundTest::ForgetDevice() {
  if (SoundDevice::primary) SoundDevice::primary->Release();
  if (SoundDevice::device) SoundDevice::device->Release();
  SoundDevice::primary = nullptr;
  SoundDevice::device = nullptr;
}

void SoundTest::UseFiles(const std::vector<std::pair<std::u16string, sound_test::Bytes>>& files) {
  std::vector<docbuild::FileEntry> others;
  for (const auto& [path, bytes] : files) others.push_back({path, kStamp, {docbuild::Embedded(path, bytes)}});
  docbuild::DocumentBuilder doc;
  doc.DocResManager(3, {}, {}, others, {});
  document_ = doc.Document();
  ResourceBuffer buffer(document_.data(), document_.size());
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

std::unique_ptr<DS_WAV_Constructor> SoundTest::Description(const std::u16string& path, INT mode) {
  auto description = std::make_unique<DS_WAV_Constructor>();
  description->file.path = path;
  description->file.stamp = kStamp;
  description->mode = mode;
  return description;
}

void SoundTest::AdvanceSeconds(double seconds) {
  machine::clock::Advance(static_cast<int64_t>(seconds * 1e9));
}
