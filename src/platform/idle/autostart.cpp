#include "platform/idle/autostart.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/idle/idle_source.hpp"
#include "platform/idle/watcher.hpp"
#include "platform/linux/fail.hpp"
#include "platform/linux/linux_system.hpp"

namespace rovanel {

namespace {

constexpr auto kPatience = std::chrono::seconds(10);

std::string error_text() {
  return std::strerror(errno);
}

// The user's autostart folder: $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
std::string autostart_folder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
    return std::string(config) + "/autostart";
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home != '/') {
    fail("--autostart: neither XDG_CONFIG_HOME nor HOME names a folder");
  }
  return std::string(home) + "/.config/autostart";
}

// Each missing folder of path made, private as the XDG folders are.
void make_folders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      fail("--autostart: cannot make " + folder + ": " + error_text());
    }
    if (slash == std::string::npos) {
      return;
    }
  }
}

std::string this_program() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) == sizeof path) {
    fail("--autostart: cannot tell where this program is");
  }
  return std::string(path, static_cast<std::size_t>(length));
}

// The entry, written whole under a temporary name and then renamed: never half there.
void write_entry(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  std::FILE* file = std::fopen(temporary.c_str(), "w");
  bool written = file != nullptr && std::fputs(text.c_str(), file) >= 0;
  written = file != nullptr && std::fclose(file) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = error_text();
    std::remove(temporary.c_str());
    fail("--autostart: cannot write " + path + ": " + reason);
  }
}

// The watcher that runs, if one does, ended.
void end_watcher() {
  const std::optional<pid_t> watcher = lock_holder(kWatcherLock);
  if (!watcher) {
    return;
  }
  kill(*watcher, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (lock_holder(kWatcherLock)) {
    if (std::chrono::steady_clock::now() > deadline) {
      fail("--autostart: the watcher that runs (process " + std::to_string(*watcher) +
           ") did not end");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The watcher started in a session of its own, its output nowhere: once it holds its lock it
// runs. One that ends first says so.
void start_watcher(const std::string& program, int seconds) {
  const std::string time = std::to_string(seconds);
  const pid_t child = fork();
  if (child < 0) {
    fail("--autostart: cannot start the watcher: " + error_text());
  }
  if (child == 0) {
    setsid();
    const int nothing = open("/dev/null", O_RDWR);
    for (const int fd : {0, 1, 2}) {
      dup2(nothing, fd);
    }
    if (chdir("/") == 0) {
      execl(program.c_str(), program.c_str(), "--idle", time.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (lock_holder(kWatcherLock) != child) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      fail("--autostart: the watcher ended at once (status " +
           std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + ")");
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGTERM);
      fail("--autostart: the watcher did not start");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

std::string exec_argument(std::string_view path) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string argument;
  const bool quote = path.find_first_of(kReserved) != std::string_view::npos;
  for (const char c : path) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      argument += '\\';
    }
    argument += c;
    if (c == '%') {
      argument += '%';
    }
  }
  if (quote) {
    argument = '"' + argument + '"';
  }
  // The entry's own escape of a backslash comes on top of the argument's.
  std::string value;
  for (const char c : argument) {
    value += c == '\\' ? "\\\\" : std::string(1, c);
  }
  return value;
}

int autostart(int seconds) {
  const std::string folder = autostart_folder();
  const std::string entry = folder + "/rovanel-idle.desktop";
  if (seconds == 0) {
    if (std::remove(entry.c_str()) != 0 && errno != ENOENT) {
      fail("--autostart: cannot remove " + entry + ": " + error_text());
    }
    end_watcher();
    std::printf("Rovanel no longer starts when the session is idle (%s removed)\n", entry.c_str());
    return 0;
  }
  // Only where the session says when it is idle; otherwise this ends with the reason.
  session_idle_source(1000, [] {});
  const std::string program = this_program();
  if (program.find('\n') != std::string::npos) {
    fail("--autostart: this program's path holds a line break: " + program);
  }
  make_folders(folder);
  write_entry(entry,
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Rovanel when idle\n"
              "Comment=Starts the Rovanel screen saver after " +
                  std::to_string(seconds) +
                  " seconds without input\n"
                  "Exec=" +
                  exec_argument(program) + " --idle " + std::to_string(seconds) +
                  "\n"
                  "Icon=org.example.Rovanel\n");
  end_watcher();
  start_watcher(program, seconds);
  std::printf("Rovanel starts after %d seconds without input, now and at every login (%s)\n",
              seconds, entry.c_str());
  return 0;
}

}  // namespace rovanel
