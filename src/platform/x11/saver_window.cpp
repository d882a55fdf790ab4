#include "platform/x11/saver_window.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>
#include <cairo-xlib.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/fail.hpp"
#include "platform/linux/linux_system.hpp"
#include "platform/x11/x11_face.hpp"
#include "shell/frm_tsp.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

// The host window we draw into, and whether it has gone: a host that removes its window has
// ended the show, which is no error.
Window host_window = 0;
bool host_gone = false;
XErrorHandler default_error_handler = nullptr;

int on_x_error(Display* display, XErrorEvent* error) {
  if (host_window != 0 && error->resourceid == host_window &&
      (error->error_code == BadWindow || error->error_code == BadDrawable)) {
    host_gone = true;
    return 0;
  }
  return default_error_handler(display, error);
}

// The monitor the show lives on: the primary one, else the first; the whole screen if the
// server tells of none.
XRectangle primary_monitor(Display* display) {
  const int screen = DefaultScreen(display);
  XRectangle area{0, 0, static_cast<unsigned short>(DisplayWidth(display, screen)),
                  static_cast<unsigned short>(DisplayHeight(display, screen))};
  int major = 0;
  int minor = 0;
  int event_base = 0;
  int error_base = 0;
  int count = 0;
  if (XRRQueryExtension(display, &event_base, &error_base) &&
      XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
    XRRMonitorInfo* monitors = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
    for (int i = count - 1; i >= 0; --i) {
      if (i == 0 || monitors[i].primary) {
        area = {static_cast<short>(monitors[i].x), static_cast<short>(monitors[i].y),
                static_cast<unsigned short>(monitors[i].width),
                static_cast<unsigned short>(monitors[i].height)};
        if (monitors[i].primary) {
          break;
        }
      }
    }
    XRRFreeMonitors(monitors);
    if (count > 0) {
      return area;
    }
  }
  if (XineramaIsActive(display)) {
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
    if (count > 0) {
      area = {screens[0].x_org, screens[0].y_org, static_cast<unsigned short>(screens[0].width),
              static_cast<unsigned short>(screens[0].height)};
    }
    XFree(screens);
  }
  return area;
}

}  // namespace

X11SaverWindow::X11SaverWindow(Display* display, std::optional<Window> host, float scale)
    : display_(display), host_(host), scale_(scale) {
  stop_fd_ = install_stop_signals();
  default_error_handler = XSetErrorHandler(on_x_error);
  XSetIOErrorHandler(lost_x_connection);
  if (embedded()) {
    window_ = *host_;
    host_window = window_;
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window_, &attributes);
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    // Input belongs to the host; repaint what gets uncovered, follow its size, end when it goes.
    XSelectInput(display_, window_, ExposureMask | StructureNotifyMask);
  } else {
    create_own_window();
    visual_ = DefaultVisual(display_, DefaultScreen(display_));
    depth_ = DefaultDepth(display_, DefaultScreen(display_));
    // Monitors that come, go or move, and the screen's size.
    int error_base = 0;
    if (XRRQueryExtension(display_, &randr_event_base_, &error_base)) {
      XRRSelectInput(display_, RootWindow(display_, DefaultScreen(display_)),
                     RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    } else {
      randr_event_base_ = -1;
    }
  }
  XGCValues values{};
  values.graphics_exposures = False;  // no NoExpose event for every copy
  gc_ = XCreateGC(display_, window_, GCGraphicsExposures, &values);
  lay_out();
}

// Where the window and the show lie now; a new back buffer of the window's size, when that or
// the show's place changed. True if anything changed.
bool X11SaverWindow::lay_out() {
  int width = 0;
  int height = 0;
  XRectangle area{};
  if (embedded()) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window_, &attributes);
    width = attributes.width;
    height = attributes.height;
    area = {0, 0, static_cast<unsigned short>(width), static_cast<unsigned short>(height)};
  } else {
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned w = 0;
    unsigned h = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display_, RootWindow(display_, DefaultScreen(display_)), &root, &x, &y, &w, &h,
                 &border, &depth);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    area = primary_monitor(display_);
  }
  if (width == width_ && height == height_ && area.x == show_area_.x && area.y == show_area_.y &&
      area.width == show_area_.width && area.height == show_area_.height) {
    return false;
  }
  if (!embedded()) {
    XMoveResizeWindow(display_, window_, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
  }
  width_ = width;
  height_ = height;
  show_area_ = area;
  show_size_ = show_size(show_area_.width, show_area_.height, scale_);
  surface_.reset();
  if (back_ != 0) {
    XFreePixmap(display_, back_);
  }
  back_ = XCreatePixmap(display_, window_, static_cast<unsigned>(std::max(width_, 1)),
                        static_cast<unsigned>(std::max(height_, 1)), static_cast<unsigned>(depth_));
  cairo_surface_t* target = cairo_xlib_surface_create(display_, back_, visual_, width_, height_);
  const Box show{show_area_.x, show_area_.y, show_area_.x + show_area_.width,
                 show_area_.y + show_area_.height};
  surface_.emplace(target, show, scale_, [this](const Damage& damage) { copy_to_window(damage); });
  cairo_surface_destroy(target);  // the surface holds its own reference
  whole_window_due_ = true;
  return true;
}

void X11SaverWindow::create_own_window() {
  const int screen = DefaultScreen(display_);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display_, screen);
  attributes.override_redirect = True;  // no frame, no window manager placing it
  attributes.event_mask = KeyPressMask | ButtonPressMask | PointerMotionMask | ExposureMask;
  window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0,
                          static_cast<unsigned>(DisplayWidth(display_, screen)),
                          static_cast<unsigned>(DisplayHeight(display_, screen)), 0, CopyFromParent,
                          InputOutput, CopyFromParent,
                          CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);

  // The caption as WM_NAME and _NET_WM_NAME, for tools of either kind; the class; the process.
  char res_name[] = "rovanel";
  char res_class[] = "Rovanel";
  XClassHint class_hint{res_name, res_class};
  Xutf8SetWMProperties(display_, window_, kSaverCaption, nullptr, nullptr, 0, nullptr, nullptr,
                       &class_hint);
  XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                  XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(kSaverCaption),
                  static_cast<int>(std::strlen(kSaverCaption)));
  const long pid = getpid();
  XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);

  static char empty[1] = {0};
  const Pixmap bitmap = XCreateBitmapFromData(display_, window_, empty, 1, 1);
  XColor black{};
  blank_cursor_ = XCreatePixmapCursor(display_, bitmap, bitmap, &black, &black, 0, 0);
  XFreePixmap(display_, bitmap);
}

void X11SaverWindow::show() {
  if (embedded()) {
    return;
  }
  XMapRaised(display_, window_);
  XSync(display_, False);
  grab_keyboard();
}

// Another client (an open menu, say) may hold the keyboard for a moment; without the grab the
// window still gets the keys typed while the pointer is over it.
void X11SaverWindow::grab_keyboard() {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (XGrabKeyboard(display_, window_, False, GrabModeAsync, GrabModeAsync, CurrentTime) ==
        GrabSuccess) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void X11SaverWindow::hide() {
  if (embedded()) {
    return;
  }
  XUnmapWindow(display_, window_);
  XFlush(display_);
}

// Only the damaged boxes of the back buffer reach the window; after a new layout, all of it: the
// window may still show a frame where the show no longer is.
void X11SaverWindow::copy_to_window(const Damage& damage) {
  if (whole_window_due_) {
    whole_window_due_ = false;
    XCopyArea(display_, back_, window_, gc_, 0, 0, static_cast<unsigned>(width_),
              static_cast<unsigned>(height_), 0, 0);
    XFlush(display_);
    return;
  }
  if (damage.empty()) {
    return;
  }
  // The boxes lie relative to the show's origin.
  std::vector<XRectangle> rects;
  Box all = damage.front();
  for (const Box& b : damage) {
    rects.push_back({static_cast<short>(b.left + show_area_.x),
                     static_cast<short>(b.top + show_area_.y),
                     static_cast<unsigned short>(b.right - b.left),
                     static_cast<unsigned short>(b.bottom - b.top)});
    all = {std::min(all.left, b.left), std::min(all.top, b.top), std::max(all.right, b.right),
           std::max(all.bottom, b.bottom)};
  }
  all = {all.left + show_area_.x, all.top + show_area_.y, all.right + show_area_.x,
         all.bottom + show_area_.y};
  XSetClipRectangles(display_, gc_, 0, 0, rects.data(), static_cast<int>(rects.size()), Unsorted);
  XCopyArea(display_, back_, window_, gc_, all.left, all.top,
            static_cast<unsigned>(all.right - all.left),
            static_cast<unsigned>(all.bottom - all.top), all.left, all.top);
  XSetClipMask(display_, gc_, None);
  XFlush(display_);
}

void X11SaverWindow::wait_for_events(Pacing::Clock::duration timeout) {
  if (XPending(display_) > 0) {
    return;
  }
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
  const timespec limit{ns / 1000000000, ns % 1000000000};
  pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {stop_fd_, POLLIN, 0}};
  ppoll(fds, 2, &limit, nullptr);
}

void X11SaverWindow::pump_events(frmTsp& form) {
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    handle(event, form);
  }
  // A burst of screen changes is followed once, after the last of them.
  if (layout_changed_ && !host_gone) {
    layout_changed_ = false;
    if (lay_out()) {
      form.resized();
    }
  }
  if (stop_requested() || host_gone) {
    form.stop();
  }
}

void X11SaverWindow::handle(const XEvent& event, frmTsp& form) {
  switch (event.type) {
    case KeyPress:
      form.key_down();
      break;
    case ButtonPress:
      form.click();
      break;
    case MotionNotify:
      // In the show's pixels.
      form.mouse_move(static_cast<float>(event.xmotion.x - show_area_.x) / scale_,
                      static_cast<float>(event.xmotion.y - show_area_.y) / scale_);
      break;
    case Expose: {
      // The pixmap holds the last frame whole: copy back what was uncovered.
      const XExposeEvent& e = event.xexpose;
      const int x = e.x - show_area_.x;
      const int y = e.y - show_area_.y;
      copy_to_window({{x, y, x + e.width, y + e.height}});
      break;
    }
    case DestroyNotify:
      host_gone = host_gone || event.xdestroywindow.window == host_window;
      break;
    case ConfigureNotify:
      layout_changed_ = layout_changed_ || event.xconfigure.window == host_window;
      break;
    default:
      if (randr_event_base_ >= 0 && event.type == randr_event_base_ + RRScreenChangeNotify) {
        XRRUpdateConfiguration(const_cast<XEvent*>(&event));
        layout_changed_ = true;
      } else if (randr_event_base_ >= 0 && event.type == randr_event_base_ + RRNotify) {
        layout_changed_ = true;
      }
      break;
  }
}

void X11SaverWindow::show_cursor(bool visible) {
  if (embedded()) {
    return;
  }
  if (visible) {
    XUndefineCursor(display_, window_);
  } else {
    XDefineCursor(display_, window_, blank_cursor_);
  }
  XFlush(display_);
}

// The X server's own blanking is suspended rather than switched off: the server lifts the
// suspension by itself if the process dies, so nothing is left behind.
void X11SaverWindow::set_screensaver_active() {
  if (embedded()) {
    return;  // the host runs the screen saving
  }
  int event_base = 0;
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (XScreenSaverQueryExtension(display_, &event_base, &error_base) &&
      XScreenSaverQueryVersion(display_, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 1))) {
    XScreenSaverSuspend(display_, True);
    blanking_suspended_ = true;
  }
}

void X11SaverWindow::restore_screensaver_active() {
  if (blanking_suspended_) {
    XScreenSaverSuspend(display_, False);
    blanking_suspended_ = false;
  }
}

void X11SaverWindow::end_program() {
  if (!embedded()) {
    XUngrabKeyboard(display_, CurrentTime);
  }
  XCloseDisplay(display_);  // flushes what is still queued
  std::exit(0);
}

}  // namespace rovanel
