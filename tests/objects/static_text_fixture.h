// A software device published as g_Device and a current resource manager whose document carries the
// text element's effect, and the bytes of a whole stored text record built field by field.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/doc_res_manager.h"
#include "objects/static_text.h"
#include "tests/document/doc_res_manager_fixture.h"
#include "tests/support/document_builder.h"

namespace static_text_test {

// "Common": the target texture times the vertex colour, blended by its alpha.
extern const char kTextEffect[];

class TextSceneTest : public doc_res_test::DeviceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static DS_HLSLEffectFile EffectLink() {
    return DS_HLSLEffectFile(DS_FileLink3::ConstructFromSnapshot(u"text.fx", 1));
  }
  // A description with the test effect, the size and the text; nothing loaded.
  static std::unique_ptr<DS_StaticTextConstructor> MakeText(const ds_string& text, UINT width, UINT height);
  // The top level of the text target's current texture as 0xAARRGGBB.
  static std::vector<uint32_t> TargetPixels(const DS_StaticTextConstructor& d, UINT* width, UINT* height);

  doc_res_test::Bytes bytes_;
  std::unique_ptr<DS_DocResManager> manager_;
};

// The stored fields of a text element, in the order of its record and the levels below it.
struct StoredText {
  int32_t vertical = 1, horizontal = 2;
  std::u16string text = u"Hello\nworld";
  int32_t fontHeight = 24;
  uint32_t fontWeight = 400;
  int32_t italic = 1;
  std::u16string face = u"Times";
  uint32_t fadeIn = 500, fadeOut = 600, hold = 700, delay = 800;
  uint32_t statVersion = 2;
  float x = 40.0f, y = 50.0f, z = 0.5f;
  uint32_t height = 64, width = 128;
  std::u16string effectPath = u"text.fx";
  int64_t effectStamp = 1;
  // Sprite level (version 6) and the placed-element level below it.
  uint32_t count = 2, size = 30, transparency = 50;
  int32_t blend = 1;
  uint32_t colour = 0x00336699;
  float speed = 75;
  std::u16string name = u"caption";
};

// Class header and version 1, then every level down to the element's name.
docbuild::Bytes TextRecord(const StoredText& s);

}  // namespace static_text_test
