// What every Linux face shares at start-up: the per-user lock, the GTK dialogs, one line and
// status 1 for a fatal error. A face adds its saver window.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/invocation.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

// A Linux face: its saver window and the GTK backend its dialogs use.
struct Face {
  const char* gdk_backend;  // "x11", "wayland"
  // Whether the face can show this run; rovanel takes the first of its table that can.
  bool (*serves)(const Invocation& invocation);
  // Opens the saver window, or ends the program through fail() saying why.
  std::unique_ptr<SaverWindow> (*create_saver_window)(const Invocation& invocation);
  // Why no window can be opened, for a dialog that cannot start.
  std::string (*no_display)();
};

class LinuxSystem final : public WindowSystem {
 public:
  LinuxSystem(const Invocation& invocation, const Face& face)
      : invocation_(invocation), face_(face) {}

  // A lock on a file in the user's private directory, held while the process lives; the system
  // lets go of it when the process ends, however it ends. A window handed over by a host is
  // never refused: XScreenSaver starts one saver per monitor.
  bool previous_instance() override;
  void message_box(std::string_view text, std::string_view caption) override;
  void load_settings_dialog() override;
  std::unique_ptr<SaverWindow> create_saver_window() override {
    return face_.create_saver_window(invocation_);
  }
  [[noreturn]] void end_program() override;
  [[noreturn]] void fatal_error(std::string_view message) override;

  // Runs the settings dialog, if it was loaded, until it ends the program.
  void run_dialogs();

 private:
  void start_dialogs();

  const Invocation& invocation_;
  const Face& face_;
  bool settings_open_ = false;
};

// A lock NAME in the user's private directory: the process that holds it, if another does;
// otherwise this process takes it and keeps it until it ends, however it ends. With no place
// for it, that is said on stderr and no one holds it.
std::optional<pid_t> take_lock(const char* name);
// The process that holds the lock NAME, if one does; the lock stays as it is.
std::optional<pid_t> lock_holder(const char* name);

// Written by SIGTERM, SIGINT and SIGHUP, which ask a saver to stop as input does; SIGPIPE is
// ignored, so a trace into a closed pipe fails as a write. Returns the read end of a pipe that
// becomes readable at such a signal, to wake a wait.
int install_stop_signals();
bool stop_requested();

}  // namespace rovanel
