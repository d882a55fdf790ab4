// Asks the X server what the end-to-end tests cannot see in a screenshot, and does for them what
// a desktop would.
//   xprobe screensaver    the server's own screen saver: "on", "off" or "disabled"
//   xprobe window WxH+X+Y maps a grey window there, prints its id and keeps it until killed
//   xprobe close ID       asks window ID to close, as a window manager's close box does
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* command = argc >= 2 ? argv[1] : "";
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || argc != (std::strcmp(command, "screensaver") == 0 ? 2 : 3)) {
    std::fprintf(stderr, "usage: xprobe screensaver | window WxH+X+Y | close WINDOW-ID\n");
    return 2;
  }
  if (std::strcmp(command, "screensaver") == 0) {
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    XScreenSaverQueryInfo(display, DefaultRootWindow(display), info);
    std::puts(info->state == ScreenSaverOn    ? "on"
              : info->state == ScreenSaverOff ? "off"
                                              : "disabled");
  } else if (std::strcmp(command, "window") == 0) {
    int x = 0;
    int y = 0;
    unsigned width = 1;
    unsigned height = 1;
    XParseGeometry(argv[2], &x, &y, &width, &height);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0x808080;
    attributes.override_redirect = True;
    const Window w =
        XCreateWindow(display, DefaultRootWindow(display), x, y, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);
    XMapRaised(display, w);
    XSync(display, False);
    std::printf("0x%lx\n", w);
    std::fflush(stdout);
    for (XEvent event;;) {
      XNextEvent(display, &event);
    }
  } else if (std::strcmp(command, "close") == 0) {
    const Window w = std::strtoul(argv[2], nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, w, False, NoEventMask, &event);
  }
  XCloseDisplay(display);
  return 0;
}
