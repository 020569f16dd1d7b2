#include "window_fixture.h"

#include "platform/win32/device_context.h"

namespace {

struct Painted {
  RECT bounds{};
  std::vector<RECT> clip;
  bool erase = false;
  bool contextFound = false;
};

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class PaintTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    handler() = [this](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message != WM_PAINT) return std::nullopt;
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(window, &paint);
      Painted painted;
      painted.bounds = paint.rcPaint;
      painted.erase = paint.fErase != FALSE;
      if (win32::DeviceContext* context = win32::FindDeviceContext(dc)) {
        painted.contextFound = context->surface == win32::WindowSurface(window);
        painted.clip = context->clip;
        // Draw through the context as GDI does: one pixel inside the clip area.
        context->surface->pixels[context->clip[0].top * context->surface->width + context->clip[0].left] = 0xFF8800;
      }
      EndPaint(window, &paint);
      EXPECT_EQ(win32::FindDeviceContext(dc), nullptr);
      paints.push_back(painted);
      return 0;
    };
  }
  std::vector<Painted> paints;
};

TEST_F(PaintTest, AVisibleWindowIsPaintedOnceThroughTheQueue) {
  HWND window = Make(WS_POPUP | WS_VISIBLE, {0, 0, 64, 32});
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_TRUE(paints[0].contextFound);
  EXPECT_TRUE(paints[0].bounds == (RECT{0, 0, 64, 32}));
  EXPECT_TRUE(paints[0].erase);  // nobody erased the background in WM_ERASEBKGND
  EXPECT_EQ(Seen(WM_ERASEBKGND).size(), 1u);
  EXPECT_EQ(win32::WindowSurface(window)->pixels[0], 0xFF8800u);
  // A hidden window waits for nothing.
  Make(WS_POPUP, {0, 0, 64, 32});
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(PaintTest, UpdateWindowPaintsTheInvalidRectanglesAtOnceClippedToTheClientArea) {
  HWND window = Make(WS_POPUP, {0, 0, 100, 100});
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_TRUE(paints.empty());  // nothing invalid: no WM_PAINT
  const RECT old{10, 10, 40, 30};
  const RECT moved{90, 95, 130, 120};
  InvalidateRect(window, &old, FALSE);
  InvalidateRect(window, &moved, FALSE);
  UpdateWindow(window);
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_FALSE(paints[0].erase);
  ASSERT_EQ(paints[0].clip.size(), 2u);
  EXPECT_TRUE(paints[0].clip[0] == old);
  EXPECT_TRUE(paints[0].clip[1] == (RECT{90, 95, 100, 100}));
  EXPECT_TRUE(paints[0].bounds == (RECT{10, 10, 100, 100}));
  // Painted means valid again.
  MSG message{};
  EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(InvalidateRect(reinterpret_cast<HWND>(uintptr_t{5}), nullptr, FALSE));
}

TEST_F(PaintTest, EndPaintWithAHandleBeginPaintDidNotGiveFails) {
  HWND window = Make(WS_POPUP, {0, 0, 10, 10});
  PAINTSTRUCT paint{};
  paint.hdc = reinterpret_cast<HDC>(uintptr_t{1234});
  EXPECT_FALSE(EndPaint(window, &paint));
  EXPECT_EQ(win32::FindDeviceContext(paint.hdc), nullptr);
}

}  // namespace
