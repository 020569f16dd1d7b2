// Headless, COPPERLEAF_FRAMES shows a dialog: each time its picture changes it is written once,
// controls and all; a picture that did not change is not written again.
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/win32/dialog_fixture.h"

namespace dialog_test {
namespace {

using DialogTestFrames = DialogTest;

// The pixel of a written frame, or nothing when the file cannot be read.
std::optional<uint32_t> FramePixel(const std::filesystem::path& file, int x, int y) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return std::nullopt;
  if (x < 0 || y < 0 || x >= static_cast<int>(image.width) || y >= static_cast<int>(image.height)) return std::nullopt;
  const size_t at = (static_cast<size_t>(y) * image.width + x) * 3;
  return uint32_t{rgb[at]} << 16 | uint32_t{rgb[at + 1]} << 8 | rgb[at + 2];
}

TEST_F(DialogTestFrames, AChangedPictureIsWrittenOnceItsQueueIsIdle) {
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("copperleaf-dialog-frames-" + std::to_string(getpid()));
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  setenv("COPPERLEAF_FRAMES", directory.c_str(), 1);
  HWND outer = nullptr, inner = nullptr;
  RECT box{};
  Run([&](HWND dialog) {
    outer = dialog;
    const RECT mute = Place(dialog, kMute);
    box = {mute.left + 6, mute.top + (mute.bottom - mute.top - 13) / 2 + 6, 0, 0};
    auto click = [&] {
      const LPARAM at = MAKELPARAM(mute.left + 5, mute.top + 5);
      PostMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(dialog, WM_LBUTTONUP, 0, at);
    };
    // The dialog opened over this one runs the queue: when it is idle both dialogs are shown.
    // This one takes no click meanwhile, so it shows unticked. Nobody ends the other, so it closes.
    click();
    win32::SetDialogHook([&](HWND nested, WORD) { inner = nested; });
    DialogBoxParamW(nullptr, MAKEINTRESOURCEW(300), dialog, RecordingProcedure, 0);
    // Ticked now, shown when this dialog's own queue is idle; then it closes too. Getting its
    // focus back changed nothing to see, so no other picture is written.
    click();
  });
  unsetenv("COPPERLEAF_FRAMES");
  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) written.insert(entry.path().filename());
  auto name = [](HWND window, int index) {
    char text[64];
    std::snprintf(text, sizeof text, "frame-%llu-%06d.png",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)), index);
    return std::string(text);
  };
  EXPECT_EQ(written, (std::set<std::string>{name(outer, 0), name(outer, 1), name(inner, 0)}));
  EXPECT_EQ(FramePixel(directory / name(outer, 0), box.left, box.top), 0xFFFFFFu);
  EXPECT_EQ(FramePixel(directory / name(outer, 1), box.left, box.top), 0x000000u);  // the tick
  std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace dialog_test
