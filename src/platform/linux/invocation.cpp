#include "platform/linux/invocation.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/surface.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

constexpr const char* kUsage =
    "usage: rovanel [/S | /C | /P | /A]     run the saver, show its settings, preview (ends at\n"
    "                                       once) or change the password (a message box)\n"
    "       rovanel -root | -window-id ID   draw into the root window or window ID (XScreenSaver)\n"
    "       rovanel --idle SECONDS          on Wayland: run the saver whenever the session has\n"
    "                                       been idle that long, until a signal ends it\n"
    "       rovanel --help | --version\n";

// The longest idle time the watcher takes: a day.
constexpr int kMaxIdleSeconds = 86400;

}  // namespace

void fail(const std::string& message, int status) {
  std::fprintf(stderr, "rovanel: %s\n%s", message.c_str(), status == 2 ? kUsage : "");
  std::exit(status);
}

std::optional<unsigned long> parse_window_id(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  unsigned long id = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty() ? std::optional(id)
                                                                                : std::nullopt;
}

Invocation parse_invocation(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    std::exit(0);
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("rovanel %s\n", kVersion);
    std::exit(0);
  }
  Invocation invocation;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-window-id" || arg == "--window-id") {
      if (i + 1 == argc) {
        fail(std::string(arg) + ": missing window id", 2);
      }
      invocation.host_window_source = arg;
      invocation.host_window = argv[++i];
      if (!parse_window_id(*invocation.host_window)) {
        fail(std::string(arg) + ": expected a window id, got '" + argv[i] + "'", 2);
      }
    } else if (arg == "-root" || arg == "--root") {
      invocation.root = true;
    } else if (arg == "--idle") {
      int seconds = 0;
      const char* text = i + 1 < argc ? argv[++i] : "";
      const auto [end, ec] = std::from_chars(text, text + std::strlen(text), seconds);
      if (ec != std::errc() || *end != '\0' || seconds < 1 || seconds > kMaxIdleSeconds) {
        fail("--idle: expected a whole number of seconds from 1 to 86400, got '" +
                 std::string(text) + "'",
             2);
      }
      invocation.idle_seconds = seconds;
    }
    if (i > 1) {
      invocation.arguments += ' ';
    }
    invocation.arguments += arg;
  }
  const char* env = std::getenv("XSCREENSAVER_WINDOW");
  if (!invocation.host_window && env != nullptr && *env != '\0') {
    invocation.host_window_source = "XSCREENSAVER_WINDOW";
    invocation.host_window = env;
  }
  return invocation;
}

std::optional<float> scale_from_environment() {
  const char* text = std::getenv("ROVANEL_SCALE");
  if (text == nullptr || *text == '\0') {
    return std::nullopt;
  }
  const std::string_view value(text);
  float scale = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), scale);
  if (ec != std::errc() || end != value.data() + value.size() || !(scale >= kMinScale) ||
      !(scale <= kMaxScale)) {
    fail("ROVANEL_SCALE: expected a number from 0.5 to 8, got '" + std::string(value) + "'");
  }
  return scale;
}

}  // namespace rovanel
