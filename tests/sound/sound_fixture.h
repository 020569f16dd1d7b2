// The sound device on virtual time, and a resource manager whose other-files table holds WAVE files
// under the links the descriptions name.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "document/doc_res_manager.h"
#include "platform/dsound/sound_sink.h"
#include "sound/sound_object.h"
#include "sound/wav_constructor.h"
#include "tests/sound/sound_files.h"

class SoundTest : public ::testing::Test {
 protected:
  static constexpr LONGLONG kStamp = 7;

  void SetUp() override;
  void TearDown() override;

  // Drops the process's sound device, so that the next Init makes a new one.
  static void ForgetDevice();
  // A manager holding `files` (path, bytes) under stamp kStamp; it becomes the current one.
  void UseFiles(const std::vector<std::pair<std::u16string, sound_test::Bytes>>& files);
  std::unique_ptr<DS_WAV_Constructor> Description(const std::u16string& path, INT mode = 0);
  // Moves the virtual clock on.
  static void AdvanceSeconds(double seconds);

  std::unique_ptr<DS_DocResManager> manager_;
  sound_test::Bytes document_;
};
