// rovanel: the saver on X11, standalone or as an XScreenSaver hack.
//   rovanel [/S | /C | /P | /A]          the Windows saver's arguments, dispatched alike
//   rovanel -root | -window-id ID        draw into the root window or window ID (XScreenSaver)
//   rovanel --help | --version
// XSCREENSAVER_WINDOW names the window to draw into as well. ROVANEL_SEED=S replays the run of
// rovanel-headless --seed S at the same screen size; ROVANEL_SCALE=F draws at F times the size
// (otherwise the desktop's Xft.dpi, 96 to 1).
//
// What this face implements (see README, "Adding a face"):
//  [x] previous instance: a file lock in the user's private runtime directory, gone with the
//      process; embedded runs take none (XScreenSaver starts one per monitor)
//  [x] message box and settings dialog: GTK 3, the dialog laid out from frmTspConf's table
//  [x] saver window: full screen over every monitor, the show in the primary one; or the host's
//  [x] input: keys, buttons and pointer moves of its own window; signals; the host window gone
//  [x] frames: a pixmap drawn with cairo, damaged boxes copied to the window; Expose copies back
//  [x] scale: ROVANEL_SCALE or Xft.dpi; the show keeps its size in pixels at 96 dpi
//  [x] screen-saver flag: the server's own blanking suspended while it runs
//  [x] cursor: an invisible one on its own window
//  [x] fatal errors: one line on stderr, status 1; bad arguments: usage, status 2
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/x11/dialogs.hpp"
#include "platform/x11/saver_window.hpp"
#include "shell/mdl_tsp.hpp"
#include "shell/texts.hpp"

namespace rovanel {
namespace {

constexpr const char* kUsage =
    "usage: rovanel [/S | /C | /P | /A]     run the saver, show its settings, preview (ends at\n"
    "                                       once) or change the password (a message box)\n"
    "       rovanel -root | -window-id ID   draw into the root window or window ID (XScreenSaver)\n"
    "       rovanel --help | --version\n";

[[noreturn]] void fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "rovanel: %s\n%s", message.c_str(), status == 2 ? kUsage : "");
  std::exit(status);
}

[[noreturn]] void cannot_open_display() {
  const char* name = XDisplayName(nullptr);
  if (name == nullptr || *name == '\0') {
    fail("no X display: DISPLAY is not set");
  }
  fail(std::string("cannot open X display '") + name + "'");
}

// A window id, decimal or 0x-prefixed hexadecimal as XScreenSaver writes it; nothing if the
// text is none.
std::optional<Window> parse_window_id(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  Window id = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? std::optional(id)
                                                                                : std::nullopt;
}

int ignore_x_error(Display*, XErrorEvent*) {
  return 0;
}

bool window_exists(Display* display, Window id) {
  XWindowAttributes attributes;
  const XErrorHandler previous = XSetErrorHandler(ignore_x_error);
  const Status found = XGetWindowAttributes(display, id, &attributes);
  XSetErrorHandler(previous);
  return found != 0;
}

// Device pixels per pixel of the show: ROVANEL_SCALE, else the desktop's Xft.dpi over 96.
float drawing_scale(Display* display) {
  if (const char* text = std::getenv("ROVANEL_SCALE"); text != nullptr && *text != '\0') {
    const std::string_view value(text);
    float scale = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), scale);
    if (ec != std::errc() || end != value.data() + value.size() || !(scale >= kMinScale) ||
        !(scale <= kMaxScale)) {
      fail("ROVANEL_SCALE: expected a number from 0.5 to 8, got '" + std::string(value) + "'");
    }
    return scale;
  }
  float scale = 1;
  if (const char* resources = XResourceManagerString(display); resources != nullptr) {
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
      const float dpi = std::strtof(value.addr, nullptr);
      // A desktop setting, not ours to refuse: one out of all reason draws at 1.
      if (dpi / 96 >= kMinScale && dpi / 96 <= kMaxScale) {
        scale = dpi / 96;
      }
    }
    XrmDestroyDatabase(database);
  }
  return scale;
}

// Whether path is a directory of this user's that no one else may enter: absolute, no link, the
// user's own, closed to others. Another user who could write there could delete the lock.
bool is_private_directory(const std::string& path) {
  struct stat info {};
  return path.starts_with('/') && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// A private directory of this user's: $XDG_RUNTIME_DIR, else one made for the user under the
// temporary directory. Nothing if neither is private.
std::optional<std::string> private_directory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != 0) {
    if (is_private_directory(runtime)) {
      return std::string(runtime);
    }
    std::fprintf(stderr,
                 "rovanel: XDG_RUNTIME_DIR '%s' is not a private directory of this user; "
                 "the lock goes under the temporary directory\n",
                 runtime);
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::string dir = std::string(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") + "/rovanel-" +
                          std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  return is_private_directory(dir) ? std::optional(dir) : std::nullopt;
}

class X11System final : public WindowSystem {
 public:
  X11System(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
      const std::string_view arg = argv[i];
      if (arg == "-window-id" || arg == "--window-id") {
        if (i + 1 == argc) {
          fail(std::string(arg) + ": missing window id", 2);
        }
        id_source_ = arg;
        id_text_ = argv[++i];
        if (!parse_window_id(id_text_)) {
          fail(std::string(arg) + ": expected a window id, got '" + id_text_ + "'", 2);
        }
      } else if (arg == "-root" || arg == "--root") {
        root_ = true;
      }
      if (i > 1) {
        arguments_ += ' ';
      }
      arguments_ += arg;
    }
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    if (id_text_ == nullptr && env != nullptr && *env != '\0') {
      id_source_ = "XSCREENSAVER_WINDOW";
      id_text_ = env;
    }
  }

  // The text after the program's name: the arguments separated by blanks.
  const std::string& arguments() const { return arguments_; }

  // A lock on a file in the user's private directory, held while the process lives; the system
  // lets go of it when the process ends, however it ends. A window handed over by a host is
  // never refused: XScreenSaver starts one saver per monitor.
  bool previous_instance() override {
    if (id_text_ != nullptr || root_) {
      return false;
    }
    // Without a lock the saver still runs: a second one then runs too.
    const std::optional<std::string> dir = private_directory();
    if (!dir) {
      std::fprintf(stderr,
                   "rovanel: no private directory for the single-instance lock; "
                   "running without it\n");
      return false;
    }
    const std::string path = *dir + "/rovanel.lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      std::fprintf(stderr, "rovanel: cannot open %s (%s); running without the lock\n", path.c_str(),
                   std::strerror(errno));
      return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      return false;  // fd stays open until the process ends
    }
    const bool taken = errno == EWOULDBLOCK;
    close(fd);
    return taken;
  }

  void message_box(std::string_view text, std::string_view caption) override {
    start_dialogs();
    dialogs::message_box(text, caption);
  }

  void load_settings_dialog() override {
    start_dialogs();
    dialogs::show_settings_dialog([] { std::exit(0); });
    settings_open_ = true;
  }

  std::unique_ptr<SaverWindow> create_saver_window() override {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
      cannot_open_display();
    }
    return std::make_unique<X11SaverWindow>(display, host_window(display), drawing_scale(display));
  }

  void end_program() override { std::exit(0); }
  void fatal_error(std::string_view message) override { fail(std::string(message)); }

  bool settings_open() const { return settings_open_; }

 private:
  static void start_dialogs() {
    if (!dialogs::start()) {
      cannot_open_display();
    }
  }

  // The window to draw into: -window-id ID, else XSCREENSAVER_WINDOW, else the root window for
  // -root; none for a window of our own.
  std::optional<Window> host_window(Display* display) const {
    if (id_text_ == nullptr) {
      return root_ ? std::optional<Window>(DefaultRootWindow(display)) : std::nullopt;
    }
    const std::optional<Window> id = parse_window_id(id_text_);
    if (!id || !window_exists(display, *id)) {
      fail(id_source_ + ": no such window '" + id_text_ + "'");
    }
    return id;
  }

  std::string arguments_;
  std::string id_source_;
  const char* id_text_ = nullptr;
  bool root_ = false;
  bool settings_open_ = false;
};

}  // namespace
}  // namespace rovanel

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(rovanel::kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("rovanel %s\n", rovanel::kVersion);
    return 0;
  }
  rovanel::X11System system(argc, argv);
  rovanel::mdlTsp::main(system, system.arguments());
  if (system.settings_open()) {
    rovanel::dialogs::run();  // the dialog's unload ends the program
  }
  return 0;
}
