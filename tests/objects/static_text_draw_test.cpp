// What the text element asks of its effect, font, layer and device when it sets the effect's
// parameters: the text drawn into its own target, then the target handed to "Texture1".
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/d3d9/recorder.h"
#include "document/device.h"
#include "slideshow/light_2d.h"
#include "tests/objects/static_text_fixture.h"

namespace static_text_test {
namespace {

// One log for the fakes and the device calls of interest, in the order they happened.
class Journal {
 public:
  explicit Journal(IDirect3DDevice9* device) : recorder_(d3d9::RecorderOf(device)) {
    recorder_->calls.clear();
    recorder_->enabled = true;
  }
  ~Journal() { recorder_->enabled = false; }
  void Add(const std::string& entry) {
    Drain();
    entries_.push_back(entry);
  }
  const std::vector<std::string>& Entries() {
    Drain();
    return entries_;
  }

 private:
  void Drain() {
    for (; seen_ < recorder_->calls.size(); ++seen_) {
      const d3d9::RecordedCall& call = recorder_->calls[seen_];
      if (call.name != "Clear") continue;
      std::ostringstream out;
      out << "Clear";
      for (size_t i = 0; i < call.args.size(); ++i) out << (i == 1 ? " rects " : " ") << std::hex << call.args[i];
      entries_.push_back(out.str());
    }
  }
  d3d9::Recorder* recorder_;
  std::vector<std::string> entries_;
  size_t seen_ = 0;
};

std::string Name(const void* texture, const void* target) {
  return texture == nullptr ? "null" : texture == target ? "target" : "other";
}

class FakeEffect final : public ID3DXEffect {
 public:
  FakeEffect(Journal& journal, RenderTargetPair*& target) : journal_(journal), target_(target) {}
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }
  HRESULT SetFloat(D3DXHANDLE name, FLOAT) override { return Log("SetFloat ", name); }
  HRESULT SetFloatArray(D3DXHANDLE name, const FLOAT*, UINT) override { return Log("SetFloatArray ", name); }
  HRESULT SetMatrix(D3DXHANDLE name, const D3DXMATRIX*) override { return Log("SetMatrix ", name); }
  HRESULT SetTexture(D3DXHANDLE name, LPDIRECT3DBASETEXTURE9 texture) override {
    journal_.Add(std::string("SetTexture ") + name + " " + Name(texture, target_ ? target_->Current() : nullptr));
    return S_OK;
  }
  HRESULT SetTechnique(D3DXHANDLE name) override { return Log("SetTechnique ", name); }
  HRESULT Begin(UINT* passes, DWORD) override {
    *passes = 0;
    return S_OK;
  }
  HRESULT BeginPass(UINT) override { return S_OK; }
  HRESULT CommitChanges() override { return S_OK; }
  HRESULT EndPass() override { return S_OK; }
  HRESULT End() override { return S_OK; }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

 private:
  HRESULT Log(const char* what, D3DXHANDLE name) {
    journal_.Add(std::string(what) + name);
    return S_OK;
  }
  Journal& journal_;
  RenderTargetPair*& target_;
  ULONG references_ = 1;
};

// Logs every DrawTextW with its arguments and whether the text target was the render target.
class FakeFont final : public ID3DXFont {
 public:
  FakeFont(Journal& journal, RenderTargetPair*& target) : journal_(journal), target_(target) {}
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }
  INT DrawTextW(LPD3DXSPRITE sprite, LPCWSTR text, INT count, LPRECT rect, DWORD format, D3DCOLOR color) override {
    std::ostringstream out;
    out << "DrawText sprite " << (sprite ? "set" : "null") << " text " << std::string(text, text + std::u16string(text).size())
        << " count " << count << " rect " << rect->left << "," << rect->top << "," << rect->right << ","
        << rect->bottom << " format " << format << " colour " << std::hex << color << " on "
        << (BoundToTarget() ? "target" : "other");
    journal_.Add(out.str());
    return 0;
  }
  HRESULT OnLostDevice() override { return S_OK; }
  HRESULT OnResetDevice() override { return S_OK; }

 private:
  bool BoundToTarget() const {
    ComHolder<IDirect3DSurface9> bound, own;
    if (!target_ || !target_->Current() || FAILED(g_Device->GetRenderTarget(0, bound.Out()))) return false;
    target_->Current()->GetSurfaceLevel(0, own.Out());
    return bound.Get() == own.Get();
  }
  Journal& journal_;
  RenderTargetPair*& target_;
  ULONG references_ = 1;
};

class LoggingLayer final : public DS_2D_Light {
 public:
  explicit LoggingLayer(Journal& journal) : journal_(journal) {}
  void BeginTarget(RenderTargetPair& pair, int mode) override {
    journal_.Add("BeginTarget " + std::to_string(pair.Width()) + "x" + std::to_string(pair.Height()) + " mode " +
                 std::to_string(mode));
    DS_2D_Light::BeginTarget(pair, mode);
  }
  void EndTarget() override {
    journal_.Add("EndTarget");
    DS_2D_Light::EndTarget();
  }

 private:
  Journal& journal_;
};

class StaticTextDrawTest : public TextSceneTest {
 protected:
  void SetUp() override {
    TextSceneTest::SetUp();
    journal_ = std::make_unique<Journal>(g_Device);
    effect_ = std::make_unique<FakeEffect>(*journal_, target_);
    font_ = std::make_unique<FakeFont>(*journal_, target_);
  }
  void TearDown() override {
    font_.reset();
    effect_.reset();
    journal_.reset();
    TextSceneTest::TearDown();
  }
  // A loaded description whose effect and font are the fakes.
  void Load(DS_StaticTextConstructor& d) {
    d.LoadResources();
    target_ = d.textTarget;
    d.effect.Set(effect_.get());
    d.fontObject.Set(font_.get());
  }

  std::unique_ptr<Journal> journal_;
  RenderTargetPair* target_ = nullptr;
  std::unique_ptr<FakeEffect> effect_;
  std::unique_ptr<FakeFont> font_;
};

TEST_F(StaticTextDrawTest, TextIsDrawnIntoItsTargetWhichBecomesTheTexture) {
  auto d = MakeText(u"Hi", 120, 40);
  d->horizontalAlignment = 1;
  d->verticalAlignment = 2;
  Load(*d);
  d->alpha = 0.5f;
  {
    LoggingLayer layer(*journal_);
    d->SetEffectParameters(&layer);
  }
  const std::vector<std::string> expected = {
      "SetTechnique Common",
      "SetTexture Texture1 null",
      "BeginTarget 120x40 mode 3",
      "Clear 0 rects 0 1 0 3f800000 0",
      "DrawText sprite null text Hi count -1 rect 0,0,120,40 format 9 colour 80ffffff on target",
      "EndTarget",
      "SetTechnique Common",
      "SetTexture Texture1 target",
  };
  EXPECT_EQ(journal_->Entries(), expected);
}

// The fade alpha is the text colour's alpha byte; the rest of the colour stays white.
TEST_F(StaticTextDrawTest, TextColourCarriesTheFadeAlpha) {
  const std::pair<float, const char*> cases[] = {{1.0f, "ffffffff"}, {0.0f, "ffffff"}, {0.25f, "40ffffff"}};
  for (const auto& [alpha, colour] : cases) {
    SCOPED_TRACE(alpha);
    auto d = MakeText(u"x", 16, 16);
    Load(*d);
    d->alpha = alpha;
    LoggingLayer layer(*journal_);
    const size_t before = journal_->Entries().size();
    d->SetEffectParameters(&layer);
    const std::vector<std::string>& entries = journal_->Entries();
    bool found = false;
    for (size_t i = before; i < entries.size(); ++i)
      if (entries[i].find("DrawText") == 0) {
        found = true;
        EXPECT_NE(entries[i].find(std::string("colour ") + colour + " "), std::string::npos) << entries[i];
      }
    EXPECT_TRUE(found);
  }
}

// A size the device cannot make a target of (0 from a version-1 level, or beyond its limit) leaves
// the element without a target texture: nothing is set, drawn or cleared.
TEST_F(StaticTextDrawTest, WithoutATargetTextureNothingHappens) {
  const std::pair<UINT, UINT> sizes[] = {{0, 0}, {64, 0}, {5000, 20}};
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    auto d = MakeText(u"x", width, height);
    Load(*d);
    EXPECT_EQ(d->textTarget->Current(), nullptr);
    LoggingLayer layer(*journal_);
    d->SetEffectParameters(&layer);
    EXPECT_TRUE(journal_->Entries().empty());
  }
}

// A font the machine cannot make leaves the target cleared, and the effect still reads it.
TEST_F(StaticTextDrawTest, WithoutAFontTheTargetIsOnlyCleared) {
  auto d = MakeText(u"x", 16, 16);
  Load(*d);
  d->fontObject.Release();
  LoggingLayer layer(*journal_);
  d->SetEffectParameters(&layer);
  const std::vector<std::string> expected = {
      "SetTechnique Common", "SetTexture Texture1 null", "BeginTarget 16x16 mode 3", "Clear 0 rects 0 1 0 3f800000 0",
      "EndTarget",           "SetTechnique Common",      "SetTexture Texture1 target",
  };
  EXPECT_EQ(journal_->Entries(), expected);
}

// The target keeps the drawn text: while text, colour, box and font stay the same it is not drawn
// again (a long text would otherwise cost every frame); a new alpha, a new text or a device reset
// draws it anew.
TEST_F(StaticTextDrawTest, TheTextIsDrawnAgainOnlyWhenItChanges) {
  auto d = MakeText(u"Hi", 32, 16);
  Load(*d);
  LoggingLayer layer(*journal_);
  const auto draws = [&] {
    int count = 0;
    for (const std::string& entry : journal_->Entries()) count += entry.find("DrawText") == 0;
    return count;
  };
  const auto step = [&](const char* what, auto change, int expected) {
    SCOPED_TRACE(what);
    change();
    d->SetEffectParameters(&layer);
    EXPECT_EQ(draws(), expected);
    EXPECT_EQ(journal_->Entries().back(), "SetTexture Texture1 target");
  };
  step("first frame", [] {}, 1);
  step("nothing changed", [] {}, 1);
  step("a new fade alpha", [&] { d->alpha = 0.5f; }, 2);
  step("the same alpha", [] {}, 2);
  step("a new text", [&] { d->text = u"Ho"; }, 3);
  step("a device reset", [&] {
    d->ReleaseDeviceResources();
    d->RestoreDeviceResources();
  }, 4);
}

// A text box beyond the picture (16384 pixels, or 4294967295 from a hostile document) is held to
// the picture it lies on, so that its target can be made and its quad does not cover the slide.
TEST_F(StaticTextDrawTest, ATextBoxIsHeldWithinThePicture) {
  const LayerView saved = g_LayerView;
  g_LayerView.pictureWidth = 200;
  g_LayerView.pictureHeight = 100;
  struct Case {
    UINT width, height, heldWidth, heldHeight;
  };
  const Case cases[] = {{120, 40, 120, 40}, {16384, 16384, 200, 100}, {4294967295u, 4294967295u, 200, 100}, {300, 20, 200, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    auto d = MakeText(u"x", c.width, c.height);
    Load(*d);
    EXPECT_EQ(d->width.value, c.heldWidth);
    EXPECT_EQ(d->height.value, c.heldHeight);
    ASSERT_NE(d->textTarget->Current(), nullptr);
    EXPECT_EQ(d->textTarget->Width(), c.heldWidth);
  }
  g_LayerView = saved;
}

}  // namespace
}  // namespace static_text_test
