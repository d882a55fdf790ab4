// rovanel-headless: the saver offscreen, replayable from a seed: a trace of every improvement,
// every frame as a PNG file.
//
// What this face implements (see README, "Adding a face"):
//  [x] saver window: offscreen, of the size given, unpaced; its "input" stops the saver after the
//      last problem; the screen-saver flag, the cursor and the end of the program do nothing
//  [x] frames: PNG files drawn with cairo, at a scale (builds without cairo refuse --frames)
//  [ ] start-up dispatch, previous instance, dialogs: not offered; errors end with status 1 or 2
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "shell/frm_tsp.hpp"
#include "shell/numbers.hpp"
#include "shell/texts.hpp"
#if ROVANEL_PNG_FRAMES
#include "platform/offscreen/png_frames.hpp"
#endif

namespace rovanel {
namespace {

constexpr const char* kUsage =
    "usage: rovanel-headless [--seed S] [--problems P] [--size WxH] [--scale F] [--trace]\n"
    "                        [--frames DIR] [--n N] [--type T] | --help | --version\n"
    "  --seed S      seed of the random sequence (default: from the clock, printed to stderr)\n"
    "  --problems P  problems to run, at least 1 (default 1)\n"
    "  --size WxH    screen size in pixels, at least 320x240 (default 1920x1080)\n"
    "  --scale F     draw the frames F times as large, 0.5 to 8 (default 1): the same show\n"
    "  --trace       print every improvement and a line per problem to stdout\n"
    "  --frames DIR  write every frame as DIR/frame-000001.png, ...\n"
    "  --n N         force every problem to N points (4..49)\n"
    "  --type T      force every problem to type T (0..3)\n";

struct Options {
  std::optional<std::uint32_t> seed;
  long problems = 1;
  ScreenSize size{1920, 1080};
  float scale = 1;
  bool trace = false;
  bool help = false;
  bool version = false;
  std::optional<std::string> frames;
  std::int16_t n = 0;
  std::int16_t type = -1;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

template <class T>
T number(std::string_view option, std::string_view text, T lo, T hi) {
  if (const std::optional<T> value = parse_number(text, lo, hi)) {
    return *value;
  }
  throw UsageError(range_error(option, lo, hi, text));
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&]() -> std::string_view {
      if (i + 1 >= argc) {
        throw UsageError(std::string(arg) + ": missing value");
      }
      return argv[++i];
    };
    if (arg == "--seed") {
      try {
        o.seed = seed_of({arg, std::string(value())});
      } catch (const SeedError& e) {
        throw UsageError(e.what());
      }
    } else if (arg == "--problems") {
      o.problems = number<long>(arg, value(), 1, 1000000000L);
    } else if (arg == "--size") {
      const std::string_view v = value();
      const auto cross = v.find('x');
      if (cross == std::string_view::npos) {
        throw UsageError("--size: expected WxH, got " + quoted(v));
      }
      o.size.width = number<int>("--size width", v.substr(0, cross), 320, 16384);
      o.size.height = number<int>("--size height", v.substr(cross + 1), 240, 16384);
    } else if (arg == "--scale") {
      o.scale = number<float>(arg, value(), kMinScale, kMaxScale);
    } else if (arg == "--trace") {
      o.trace = true;
    } else if (arg == "--frames") {
      o.frames = std::string(value());
#if !ROVANEL_PNG_FRAMES
      throw UsageError("--frames: this build writes no PNG files (it was built without cairo)");
#endif
    } else if (arg == "--help" && argc == 2) {
      o.help = true;
    } else if (arg == "--version" && argc == 2) {
      o.version = true;
    } else if (arg == "--n") {
      o.n = number<std::int16_t>(arg, value(), 4, 49);
    } else if (arg == "--type") {
      o.type = number<std::int16_t>(arg, value(), 0, 3);
    } else {
      throw UsageError("unknown argument " + quoted(arg));
    }
  }
  return o;
}

// Draws nothing: a run without frames.
class NoSurface final : public Surface {
 public:
  float scale() const override { return 1; }
  Box bounds() const override { return {}; }
  Box text_box(float, float, std::string_view) override { return {}; }
  void begin(const Damage&) override {}
  void draw(const Shape&) override {}
  void draw_label(const Label&) override {}
  void end(const Damage&) override {}
};

// The saver window offscreen: frames go to PNG files (or nowhere), the trace to stdout, and after
// the last problem its "input" stops the saver.
class HeadlessWindow final : public SaverWindow {
 public:
  explicit HeadlessWindow(const Options& options) : options_(options) {
#if ROVANEL_PNG_FRAMES
    if (options.frames) {
      surface_ = png_frames(*options.frames, options.size, options.scale, [this] {
        return std::chrono::round<std::chrono::milliseconds>(
            Pacing::hold(form != nullptr && form->presenting_improvement()));
      });
      return;
    }
#endif
    surface_ = std::make_unique<NoSurface>();
  }

  Surface& surface() override {
    return *surface_;
  }
  ScreenSize screen_size() override {
    return options_.size;
  }
  void show() override {}
  void hide() override {}
  void pump_events(frmTsp& running) override {
    if (running.problems_done() == options_.problems) {
      running.stop();
    }
  }
  void wait_for_events(Pacing::Clock::duration) override {}
  void show_cursor(bool) override {}
  void set_screensaver_active() override {}
  void restore_screensaver_active() override {}
  void end_program() override {}

  const frmTsp* form = nullptr;  // whose frames these are

 private:
  const Options& options_;
  std::unique_ptr<Surface> surface_;
};

int run(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "rovanel-headless: %s\n%s", e.what(), kUsage);
    return 2;
  }
  if (options.help || options.version) {
    std::printf(options.help ? "%s" : "rovanel-headless %s\n", options.help ? kUsage : kVersion);
    return 0;
  }
  std::optional<HeadlessWindow> window;
  try {
    window.emplace(options);
  } catch (const std::runtime_error& e) {  // frames of a size that cannot be drawn
    std::fprintf(stderr, "rovanel-headless: --size and --scale: %s\n%s", e.what(), kUsage);
    return 2;
  }
  if (!options.seed) {
    options.seed = seed_of({"--seed", std::nullopt});
    std::fprintf(stderr, "rovanel-headless: seed %u\n", *options.seed);
  }
  Mt19937Source random(*options.seed);
  frmTsp form(*window, random, Pacing::unpaced());
  window->form = &form;
  int trace_error = 0;
  if (options.trace) {
    form.trace_to(stdout, [&](int error) {
      trace_error = error;
      form.stop();
    });
  }
  form.solver().force_problem(options.n, options.type);
  try {
    form.load();
  } catch (const std::runtime_error& e) {  // a frame that could not be written
    std::fflush(stdout);
    std::fprintf(stderr, "rovanel-headless: %s\n", e.what());
    return 1;
  }
  // What is still buffered must reach its file too: a trace cut short is no success.
  if (trace_error == 0 && options.trace && std::fflush(stdout) != 0) {
    trace_error = errno;
  }
  if (trace_error != 0) {
    std::fprintf(stderr, "rovanel-headless: cannot write the trace: %s\n",
                 std::strerror(trace_error));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace rovanel

int main(int argc, char** argv) {
  const int status = rovanel::run(argc, argv);
  if (std::fflush(stdout) != 0 && status == 0) {
    std::fprintf(stderr, "rovanel-headless: cannot write the standard output: %s\n",
                 std::strerror(errno));
    return 1;
  }
  return status;
}
