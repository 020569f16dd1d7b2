#include "window_fixture.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/win32/surface.h"

namespace {

// Reads one pixel of a PNG file as 0xRRGGBB, or -1.
int64_t PixelOf(const std::string& path, int x, int y, int* width = nullptr) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return -1;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return -1;
  if (width != nullptr) *width = static_cast<int>(image.width);
  const size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
  return (int64_t{pixels[at]} << 16) | (pixels[at + 1] << 8) | pixels[at + 2];
}

class FramesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    directory = std::filesystem::temp_directory_path() /
                ("copperleaf-frames-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 std::to_string(reinterpret_cast<uintptr_t>(this)));
    std::filesystem::create_directories(directory);
    setenv("COPPERLEAF_FRAMES", directory.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("COPPERLEAF_FRAMES");
    unsetenv("COPPERLEAF_FRAME_EVERY");
    std::filesystem::remove_all(directory);
    WindowTest::TearDown();
  }
  std::string Frame(HWND window, int index) const {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%llu-%06d.png",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), index);
    return (directory / name).string();
  }
  std::filesystem::path directory;
};

TEST_F(FramesTest, EachPresentedSurfaceIsWrittenWithItsPixels) {
  HWND window = Make(WS_POPUP, {0, 0, 40, 30});
  win32::Surface* surface = win32::WindowSurface(window);
  surface->pixels[0] = 0x00FF0000;
  surface->pixels[39 + 29 * 40] = 0xFF123456;  // the unused top byte does not reach the file
  win32::PresentWindow(window);
  surface->pixels[0] = 0x0000FF00;
  win32::PresentWindow(window);
  int width = 0;
  EXPECT_EQ(PixelOf(Frame(window, 0), 0, 0, &width), 0xFF0000);
  EXPECT_EQ(width, 40);
  EXPECT_EQ(PixelOf(Frame(window, 0), 39, 29), 0x123456);
  EXPECT_EQ(PixelOf(Frame(window, 1), 0, 0), 0x00FF00);
}

TEST_F(FramesTest, FrameEveryNWritesOnlyEveryNthPresentation) {
  setenv("COPPERLEAF_FRAME_EVERY", "3", 1);
  HWND window = Make(WS_POPUP, {0, 0, 4, 4});
  for (int i = 0; i < 7; ++i) win32::PresentWindow(window);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(std::filesystem::exists(Frame(window, i)), i % 3 == 0) << i;
  }
}

TEST_F(FramesTest, AnUnwritableFolderCostsAMessageNotTheRun) {
  setenv("COPPERLEAF_FRAMES", (directory / "missing" / "deeper").c_str(), 1);
  HWND window = Make(WS_POPUP, {0, 0, 4, 4});
  testing::internal::CaptureStderr();
  win32::PresentWindow(window);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(IsWindow(window));
}

}  // namespace
