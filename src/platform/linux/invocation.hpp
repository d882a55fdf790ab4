// How the rovanel program was started: its arguments and environment, checked once for every
// Linux face.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rovanel {

struct Invocation {
  // The text after the program's name: the arguments separated by blanks.
  std::string arguments;
  // A window to draw into, handed over by a host: -window-id ID, else XSCREENSAVER_WINDOW; the
  // text as given and where it came from.
  std::optional<std::string> host_window;
  std::string host_window_source;
  bool root = false;                // -root: draw into the root window
  std::optional<int> idle_seconds;  // --idle SECONDS: the watcher
  std::optional<int> autostart;     // --autostart SECONDS, or 0 for off

  // A host's window or the root: such a run is never refused and takes no input.
  bool embedded() const { return host_window.has_value() || root; }
};

// Reads the arguments: --help and --version end the program here (status 0), bad arguments end
// it with the usage (status 2).
Invocation parse_invocation(int argc, char** argv);

// A window id, decimal or 0x-prefixed hexadecimal as XScreenSaver writes it; nothing if the
// text is none.
std::optional<unsigned long> parse_window_id(std::string_view text);

// Device pixels per pixel of the show from ROVANEL_SCALE; nothing if it is not set. A value out
// of range ends the program (status 1).
std::optional<float> scale_from_environment();

// What --help prints, and what follows the line of a bad argument.
extern const char* const kUsage;

}  // namespace rovanel
