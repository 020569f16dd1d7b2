#include "tests/support/given_x11_window.h"

#include <X11/Xutil.h>

Window MakeGivenWindow(Display* viewer, int x, int y, unsigned width, unsigned height) {
  const Window window = XCreateSimpleWindow(viewer, DefaultRootWindow(viewer), x, y, width, height, 0, 0, 0);
  XMapWindow(viewer, window);
  XSync(viewer, False);
  return window;
}

unsigned long ShownPixel(Display* viewer, Window window, int x, int y) {
  XImage* image = XGetImage(viewer, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0xDEADu;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}
