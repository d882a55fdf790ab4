#include "platform/linux/linux_system.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/gtk/dialogs.hpp"
#include "platform/linux/fail.hpp"

namespace rovanel {

namespace {

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

volatile std::sig_atomic_t stop_signalled = 0;
int stop_pipe[2] = {-1, -1};

void on_stop_signal(int) {
  stop_signalled = 1;
  const char byte = 0;
  [[maybe_unused]] const ssize_t ignored = write(stop_pipe[1], &byte, 1);
}

// An open lock file in the user's private directory; -1 (said on stderr) if there is none.
int open_lock(const char* name) {
  const std::optional<std::string> dir = private_directory();
  if (!dir) {
    std::fprintf(stderr,
                 "rovanel: no private directory for the single-instance lock; "
                 "running without it\n");
    return -1;
  }
  const std::string path = *dir + "/" + name;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    std::fprintf(stderr, "rovanel: cannot open %s (%s); running without the lock\n", path.c_str(),
                 std::strerror(errno));
  }
  return fd;
}

// The whole file, for writing.
struct flock whole_file() {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return lock;
}

}  // namespace

std::optional<pid_t> take_lock(const char* name) {
  const int fd = open_lock(name);
  if (fd < 0) {
    return std::nullopt;
  }
  struct flock lock = whole_file();
  if (fcntl(fd, F_SETLK, &lock) == 0) {
    return std::nullopt;  // fd stays open until the process ends
  }
  const std::optional<pid_t> holder = fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK
                                          ? std::optional(lock.l_pid)
                                          : std::nullopt;
  close(fd);
  return holder;
}

std::optional<pid_t> lock_holder(const char* name) {
  const int fd = open_lock(name);
  if (fd < 0) {
    return std::nullopt;
  }
  struct flock lock = whole_file();
  const bool held = fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  close(fd);
  return held ? std::optional(lock.l_pid) : std::nullopt;
}

bool LinuxSystem::previous_instance() {
  // Without a lock the saver still runs: a second one then runs too.
  return !invocation_.embedded() && take_lock("rovanel.lock").has_value();
}

void LinuxSystem::start_dialogs() {
  if (!dialogs::start(face_.gdk_backend)) {
    fail(face_.no_display());
  }
}

void LinuxSystem::message_box(std::string_view text, std::string_view caption) {
  start_dialogs();
  dialogs::message_box(text, caption);
}

void LinuxSystem::load_settings_dialog() {
  start_dialogs();
  dialogs::show_settings_dialog([] { std::exit(0); });
  settings_open_ = true;
}

void LinuxSystem::run_dialogs() {
  if (settings_open_) {
    dialogs::run();  // the dialog's unload ends the program
  }
}

void LinuxSystem::end_program() {
  std::exit(0);
}

void LinuxSystem::fatal_error(std::string_view message) {
  fail(std::string(message));
}

int install_stop_signals() {
  if (stop_pipe[0] < 0 && pipe2(stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    fail(std::string("pipe: ") + std::strerror(errno));
  }
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(signal, &action, nullptr);
  }
  std::signal(SIGPIPE, SIG_IGN);
  return stop_pipe[0];
}

bool stop_requested() {
  return stop_signalled != 0;
}

}  // namespace rovanel
