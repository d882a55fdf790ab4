#include "platform/linux/invocation.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/fail.hpp"
#include "shell/numbers.hpp"
#include "shell/texts.hpp"
#include "solver/screen.hpp"

namespace rovanel {

const char* const kUsage =
    "usage: rovanel [/S | /C | /P | /A]     run the saver, show its settings, preview (ends at\n"
    "                                       once) or change the password (a message box)\n"
    "       rovanel -root | -window-id ID   draw into the root window or window ID (XScreenSaver)\n"
    "       rovanel --idle SECONDS          run the saver whenever the session has been idle\n"
    "                                       that long, until a signal ends it\n"
    "       rovanel --autostart SECONDS|off start that watcher now and at every login, or end\n"
    "                                       it and no longer start it\n"
    "       rovanel --help | --version\n";

namespace {

// The longest idle time the watcher takes: a day.
constexpr int kMaxIdleSeconds = 86400;

}  // namespace

std::optional<unsigned long> parse_window_id(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  return parse_number<unsigned long>(text, 0, ~0UL, base);
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
        fail(std::string(arg) + ": expected a window id, got " + quoted(argv[i]), 2);
      }
    } else if (arg == "-root" || arg == "--root") {
      invocation.root = true;
    } else if (arg == "--idle") {
      const std::string_view text = i + 1 < argc ? argv[++i] : "";
      invocation.idle_seconds = parse_number(text, 1, kMaxIdleSeconds);
      if (!invocation.idle_seconds) {
        fail(range_error("--idle", 1, kMaxIdleSeconds, text), 2);
      }
      // The watcher is a program of its own: it takes nothing else.
      if (argc > 3) {
        fail("--idle SECONDS takes no other argument, got " + quoted(argv[i == 2 ? 3 : 1]), 2);
      }
    } else if (arg == "--autostart") {
      const std::string_view text = i + 1 < argc ? argv[++i] : "";
      invocation.autostart =
          text == "off" ? std::optional(0) : parse_number(text, 1, kMaxIdleSeconds);
      if (!invocation.autostart) {
        fail("--autostart: expected off or a whole number of seconds from 1 to 86400, got " +
                 quoted(text),
             2);
      }
      if (argc > 3) {
        fail("--autostart takes no other argument, got " + quoted(argv[i == 2 ? 3 : 1]), 2);
      }
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
  const std::optional<float> scale = parse_number(std::string_view(text), kMinScale, kMaxScale);
  if (!scale) {
    fail(range_error("ROVANEL_SCALE", kMinScale, kMaxScale, text));
  }
  return scale;
}

}  // namespace rovanel
