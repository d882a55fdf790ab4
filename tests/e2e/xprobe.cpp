// Asks the X server what the end-to-end tests cannot see in a screenshot.
//   xprobe cursor   prints "hidden" when the pointer's image is fully transparent, else "visible"
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "cursor") != 0) {
    std::fprintf(stderr, "usage: xprobe cursor\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xprobe: cannot open display '%s'\n", XDisplayName(nullptr));
    return 1;
  }
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == nullptr) {
    std::fprintf(stderr, "xprobe: no cursor image\n");
    return 1;
  }
  bool visible = false;
  for (int i = 0; i < image->width * image->height; ++i) {
    visible = visible || (image->pixels[i] >> 24) != 0;  // alpha
  }
  std::printf("%s\n", visible ? "visible" : "hidden");
  XFree(image);
  XCloseDisplay(display);
  return 0;
}
