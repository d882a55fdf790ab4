// Asks the X server what the end-to-end tests cannot see in a screenshot, and does for them what
// a desktop would.
//   xprobe cursor         prints "hidden" when the pointer's image is fully transparent, else
//                         "visible"
//   xprobe screensaver    prints the server's own screen saver state: "on", "off" or "disabled"
//   xprobe window WxH+X+Y maps a grey window there, prints its id and keeps it until killed
//   xprobe close ID       asks window ID to close, as a window manager's close box does
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int cursor(Display* display) {
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
  return 0;
}

int screensaver(Display* display) {
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (info == nullptr || !XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
    std::fprintf(stderr, "xprobe: no screen saver information\n");
    return 1;
  }
  std::printf("%s\n", info->state == ScreenSaverOn    ? "on"
                      : info->state == ScreenSaverOff ? "off"
                                                      : "disabled");
  XFree(info);
  return 0;
}

int window(Display* display, const char* geometry) {
  int x = 0;
  int y = 0;
  unsigned width = 0;
  unsigned height = 0;
  if ((XParseGeometry(geometry, &x, &y, &width, &height) & (WidthValue | HeightValue)) !=
      (WidthValue | HeightValue)) {
    std::fprintf(stderr, "xprobe: bad geometry '%s'\n", geometry);
    return 2;
  }
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0x808080;
  attributes.override_redirect = True;
  const Window w =
      XCreateWindow(display, RootWindow(display, screen), x, y, width, height, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);
  XMapRaised(display, w);
  XSync(display, False);
  std::printf("0x%lx\n", w);
  std::fflush(stdout);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
  }
}

int close(Display* display, const char* id_text) {
  const Window w = std::strtoul(id_text, nullptr, 0);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, w, False, NoEventMask, &event);
  XSync(display, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* command = argc >= 2 ? argv[1] : "";
  const bool with_argument =
      std::strcmp(command, "window") == 0 || std::strcmp(command, "close") == 0;
  if (argc != (with_argument ? 3 : 2)) {
    std::fprintf(stderr, "usage: xprobe cursor | screensaver | window WxH+X+Y | close WINDOW-ID\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "xprobe: cannot open display '%s'\n", XDisplayName(nullptr));
    return 1;
  }
  int status = 2;
  if (std::strcmp(command, "cursor") == 0) {
    status = cursor(display);
  } else if (std::strcmp(command, "screensaver") == 0) {
    status = screensaver(display);
  } else if (std::strcmp(command, "window") == 0) {
    status = window(display, argv[2]);
  } else if (std::strcmp(command, "close") == 0) {
    status = close(display, argv[2]);
  } else {
    std::fprintf(stderr, "xprobe: unknown command '%s'\n", command);
  }
  XCloseDisplay(display);
  return status;
}
