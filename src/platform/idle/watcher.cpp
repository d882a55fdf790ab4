#include "platform/idle/watcher.hpp"

#include <glib-unix.h>
#include <glib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include "platform/idle/idle_source.hpp"
#include "platform/linux/fail.hpp"
#include "platform/linux/linux_system.hpp"

namespace rovanel {

namespace {

// This program again, as a saver on its own; it ends on input like any other.
pid_t start_show() {
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGPIPE, SIG_DFL);
    execl("/proc/self/exe", "rovanel", "/s", static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

struct Watcher {
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  pid_t show = 0;  // the show running, if any

  // The session has been idle long enough: the show, unless one runs.
  void idled() {
    if (show != 0) {
      return;
    }
    show = start_show();
    g_child_watch_add(
        show, [](GPid, gint, gpointer self) { static_cast<Watcher*>(self)->show = 0; }, this);
  }
};

}  // namespace

std::unique_ptr<IdleSource> session_idle_source(std::uint32_t ms, Idled idled) {
  for (const auto source : {wayland_idle, gnome_idle, x11_idle}) {
    if (std::unique_ptr<IdleSource> found = source(ms, idled)) {
      return found;
    }
  }
  fail(
      "no idle time to watch: neither a Wayland compositor (ext_idle_notifier_v1, "
      "org_kde_kwin_idle), nor GNOME's idle monitor on the session bus, nor an X server with the "
      "SYNC extension's IDLETIME offers one");
}

int watch_idle(int seconds) {
  Watcher watcher;
  const std::unique_ptr<IdleSource> source = session_idle_source(
      static_cast<std::uint32_t>(seconds) * 1000u, [&watcher] { watcher.idled(); });
  // One watcher a user: a second one has nothing to do.
  if (const std::optional<pid_t> other = take_lock(kWatcherLock)) {
    std::fprintf(stderr, "rovanel: --idle: a watcher runs already (process %d)\n",
                 static_cast<int>(*other));
    return 0;
  }
  g_unix_fd_add(
      install_stop_signals(), G_IO_IN,
      [](gint, GIOCondition, gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return gboolean{G_SOURCE_REMOVE};
      },
      watcher.loop);
  g_main_loop_run(watcher.loop);
  if (watcher.show != 0) {
    kill(watcher.show, SIGTERM);
    waitpid(watcher.show, nullptr, 0);
  }
  return 0;
}

}  // namespace rovanel
