#include "layer_fixture.h"

#include "slideshow/view_2d.h"

void LayerDeviceTest::SetUp() {
  g_View2D = InitView2D();
  g_LayerView = LayerView{};
  g_TargetSizeStack.clear();
  CreateDevice(1024, 768);
}

void LayerDeviceTest::CreateDevice(UINT width, UINT height) {
  TearDown();
  ASSERT_EQ(screen_.Open({.width = width, .height = height}), S_OK);
  g_Device = device_.Get();
  width_ = width;
  height_ = height;
}

void LayerDeviceTest::TearDown() {
  g_View2D.UseBorders(nullptr);
  g_Device = nullptr;
  screen_.Close();
}
