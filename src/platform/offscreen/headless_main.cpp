// rovanel-headless: the saver's driver on an offscreen canvas, replayable from a seed.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "display/painter.hpp"
#include "platform/cairo/cairo_canvas.hpp"
#include "platform/offscreen/frame_writer.hpp"
#include "solver/solver.hpp"

namespace rovanel {
namespace {

constexpr const char* kUsage =
    "usage: rovanel-headless [--seed S] [--problems P] [--size WxH] [--trace] [--frames DIR]\n"
    "                        [--n N] [--type T]\n"
    "  --seed S      seed of the random sequence (default: from the clock, printed to stderr)\n"
    "  --problems P  problems to run, at least 1 (default 1)\n"
    "  --size WxH    screen size in pixels, at least 320x240 (default 1920x1080)\n"
    "  --trace       print every improvement and a line per problem to stdout\n"
    "  --frames DIR  write every repaint as DIR/frame-000001.png, ...\n"
    "  --n N         force every problem to N points (4..49)\n"
    "  --type T      force every problem to type T (0..3)\n";

struct Options {
  std::optional<std::uint32_t> seed;
  long problems = 1;
  ScreenSize size{1920, 1080};
  bool trace = false;
  std::optional<std::string> frames;
  std::int16_t n = 0;
  std::int16_t type = -1;
};

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

template <class T>
T parse_number(std::string_view option, std::string_view text, T lo, T hi) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) {
    throw UsageError(std::string(option) + ": expected a whole number from " + std::to_string(lo) +
                     " to " + std::to_string(hi) + ", got '" + std::string(text) + "'");
  }
  return value;
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
      o.seed = parse_number<std::uint32_t>(arg, value(), 0, 0xFFFFFFFFu);
    } else if (arg == "--problems") {
      o.problems = parse_number<long>(arg, value(), 1, 1000000000L);
    } else if (arg == "--size") {
      const std::string_view v = value();
      const auto cross = v.find('x');
      if (cross == std::string_view::npos) {
        throw UsageError("--size: expected WxH, got '" + std::string(v) + "'");
      }
      o.size.width = parse_number<int>("--size width", v.substr(0, cross), 320, 16384);
      o.size.height = parse_number<int>("--size height", v.substr(cross + 1), 240, 16384);
    } else if (arg == "--trace") {
      o.trace = true;
    } else if (arg == "--frames") {
      o.frames = std::string(value());
    } else if (arg == "--n") {
      o.n = parse_number<std::int16_t>(arg, value(), 4, 49);
    } else if (arg == "--type") {
      o.type = parse_number<std::int16_t>(arg, value(), 0, 3);
    } else {
      throw UsageError("unknown argument '" + std::string(arg) + "'");
    }
  }
  return o;
}

// Frames are drawn only when they are written.
class FrameOutput {
 public:
  FrameOutput(TourState& state, ScreenSize size, std::string dir)
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height),
                 cairo_surface_destroy),
        canvas_(surface_.get(), static_cast<float>(size.width)),
        painter_(state, canvas_),
        writer_(std::move(dir)) {}

  void repaint() {
    painter_.repaint();
    canvas_.compose_label();
    canvas_.flush();
    writer_.write(surface_.get());
  }
  Canvas& canvas() { return canvas_; }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
  CairoCanvas canvas_;
  Painter painter_;
  FrameWriter writer_;
};

// Runs the driver unpaced; stops through the driver's own stop path after the last problem.
class HeadlessHost final : public DriverHost {
 public:
  HeadlessHost(const Options& options, Solver& solver) : options_(options), solver_(solver) {
    if (options.frames) {
      frames_.emplace(solver, options.size, *options.frames);
    }
  }

  void show() override {}
  void start_saver() override {}
  void redraw_now() override {}
  // The only yield with iter past maxiter is the first one after a finished problem.
  void yield() override {
    if (solver_.iter != solver_.maxiter + 1) {
      return;
    }
    ++done_;
    if (options_.trace) {
      std::printf("problem %ld n=%d type=%d counter2=%d bestd=%.17g hantei=%lld\n", done_,
                  solver_.n, solver_.type, solver_.counter2, solver_.bestd,
                  static_cast<long long>(solver_.hantei_calls));
    }
    solver_.hantei_calls = 0;
    if (done_ == options_.problems) {
      quitflag = -1;
    }
  }
  void repaint() override {
    if (frames_) {
      frames_->repaint();
    }
    if (solver_.counter2 != last_counter2_) {
      last_counter2_ = solver_.counter2;
      if (options_.trace && solver_.counter2 > 0) {
        std::printf("improve %ld %d %d %.17g\n", done_ + 1, solver_.iter, solver_.counter2,
                    solver_.bestd);
      }
    }
  }
  ScreenSize screen_size() override { return options_.size; }
  void place_label(float top, float left) override {
    if (frames_) {
      frames_->canvas().set_label_position(left, top);
    }
  }
  void clear() override {
    if (frames_) {
      frames_->canvas().clear();
    }
  }
  void hide() override {}
  void unload() override {}

 private:
  const Options& options_;
  Solver& solver_;
  std::optional<FrameOutput> frames_;
  long done_ = 0;
  std::int32_t last_counter2_ = 0;
};

int run(int argc, char** argv) {
  Options options;
  try {
    options = parse(argc, argv);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "rovanel-headless: %s\n%s", e.what(), kUsage);
    return 2;
  }
  if (!options.seed) {
    options.seed =
        static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
    std::fprintf(stderr, "rovanel-headless: seed %u\n", *options.seed);
  }
  Mt19937Source random(*options.seed);
  // The solver keeps a reference to its host and the host to the solver.
  struct Run {
    Run(const Options& o, RandomSource& r) : solver(r, host), host(o, solver) {}
    Solver solver;
    HeadlessHost host;
  } run(options, random);
  run.solver.force_problem(options.n, options.type);
  try {
    run.solver.run();
  } catch (const FrameWriteError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "rovanel-headless: %s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace rovanel

int main(int argc, char** argv) {
  return rovanel::run(argc, argv);
}
