// rovanel: the saver on X11, standalone or as an XScreenSaver hack.
//   rovanel [/S | /C | /P | /A]          the Windows saver's arguments, dispatched alike
//   rovanel -root | -window-id ID         draw into the root window or window ID (XScreenSaver)
// XSCREENSAVER_WINDOW names the window to draw into as well. ROVANEL_SEED=S replays the run of
// rovanel-headless --seed S at the same screen size.
#include <X11/Xlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstddef>
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

namespace rovanel {
namespace {

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "rovanel: %s\n", message.c_str());
  std::exit(1);
}

[[noreturn]] void cannot_open_display() {
  const char* name = XDisplayName(nullptr);
  if (name == nullptr || *name == '\0') {
    fail("no X display: DISPLAY is not set");
  }
  fail(std::string("cannot open X display '") + name + "'");
}

// The text after the program's name: the arguments separated by blanks.
std::string argument_string(int argc, char** argv) {
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) {
      arguments += ' ';
    }
    arguments += argv[i];
  }
  return arguments;
}

// A window id, decimal or 0x-prefixed hexadecimal as XScreenSaver writes it; 0 if it is none.
Window parse_window_id(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  Window id = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id, base);
  return ec == std::errc() && end == text.data() + text.size() ? id : 0;
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

class X11System final : public WindowSystem {
 public:
  X11System(int argc, char** argv) : argc_(argc), argv_(argv) {}

  // Holds an abstract Unix socket named for the user while the process lives: no file is left
  // behind when it dies.
  bool previous_instance() override {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      return false;
    }
    const std::string name = "rovanel-" + std::to_string(getuid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());  // sun_path[0] = 0: abstract
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
      return false;  // fd stays open until the process ends
    }
    const bool taken = errno == EADDRINUSE;
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
    return std::make_unique<X11SaverWindow>(display, host_window(display));
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
    std::string source;
    const char* id_text = nullptr;
    bool root = false;
    for (int i = 1; i < argc_; ++i) {
      const std::string_view arg = argv_[i];
      if (arg == "-window-id" || arg == "--window-id") {
        if (i + 1 == argc_) {
          fail(std::string(arg) + ": missing window id");
        }
        source = arg;
        id_text = argv_[++i];
      } else if (arg == "-root" || arg == "--root") {
        root = true;
      }
    }
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    if (id_text == nullptr && env != nullptr && *env != '\0') {
      source = "XSCREENSAVER_WINDOW";
      id_text = env;
    }
    if (id_text == nullptr) {
      return root ? std::optional<Window>(DefaultRootWindow(display)) : std::nullopt;
    }
    const Window id = parse_window_id(id_text);
    if (id == 0 || !window_exists(display, id)) {
      fail(source + ": no such window '" + id_text + "'");
    }
    return id;
  }

  int argc_;
  char** argv_;
  bool settings_open_ = false;
};

}  // namespace
}  // namespace rovanel

int main(int argc, char** argv) {
  rovanel::X11System system(argc, argv);
  rovanel::mdlTsp::main(system, rovanel::argument_string(argc, argv));
  if (system.settings_open()) {
    rovanel::dialogs::run();  // the dialog's unload ends the program
  }
  return 0;
}
