// The display through the pixels of real frames on an image surface.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "display/painter.hpp"
#include "display/renderer.hpp"
#include "platform/cairo/cairo_surface.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

// A frame buffer of width x height pixels of the show, drawn at a scale through a renderer.
class Frame {
 public:
  Frame(int width, int height, float scale = 1)
      : w_(static_cast<int>(static_cast<float>(width) * scale)),
        h_(static_cast<int>(static_cast<float>(height) * scale)),
        image_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w_, h_), cairo_surface_destroy),
        surface_(image_.get(), w_, h_, 0, 0, scale, [](const Damage&) {}) {}

  void show(const Scene& scene) { renderer_.render(scene, surface_); }
  // The pixel as 0xBBGGRR.
  Colour at(int x, int y) const {
    std::uint32_t rgb;
    std::memcpy(&rgb, data() + y * stride() + 4 * x, 4);
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  bool same_pixels(const Frame& other) const {
    return std::memcmp(data(), other.data(), static_cast<std::size_t>(stride() * h_)) == 0;
  }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  const unsigned char* data() const { return cairo_image_surface_get_data(image_.get()); }
  int stride() const { return cairo_image_surface_get_stride(image_.get()); }

  int w_, h_;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image_;
  CairoSurface surface_;
  Renderer renderer_;
};

// Light pixels of the status text in the label box at left, none of them green.
int label_text_pixels(const Frame& frame, int left) {
  int white = 0;
  for (int y = 0; y < Label::kHeight; ++y) {
    for (int x = left; x < left + Label::kWidth; ++x) {
      const Colour c = frame.at(x, y);
      EXPECT_NE(c, kGreen) << x << "," << y;
      white += red_of(c) > 200 && green_of(c) > 200 && blue_of(c) > 200 ? 1 : 0;
    }
  }
  return white;
}

// A type-2 problem on a screen 1024 wide; the best tour's second edge runs under the label.
TourState type2_state() {
  TourState s;
  s.maxiter = 50;
  s.type = 2;
  s.bestd = 1234.5;
  set_tour(s, {{600, 300}, {300, 400}, {100, 400}, {700, 600}});
  const Point best[] = {{600, 300}, {1000, 10}, {0, 10}, {700, 600}};
  for (int i = 0; i < 4; ++i) {
    s.bestx[i] = best[i].x;
    s.besty[i] = best[i].y;
  }
  return s;
}

TEST(Frames, ShowEveryElementInItsColourWithTheLabelOnTop) {
  TourState s = type2_state();
  Scene scene(1024);
  scene.label.left = 50.4f;
  paint(s, scene);
  Frame frame(1024, 768);
  frame.show(scene);
  EXPECT_EQ(frame.at(350, 305), kGreen);   // on the edge (0,10)-(700,600)
  EXPECT_EQ(frame.at(302, 400), kWhite);   // the circle around (300,400)
  EXPECT_EQ(frame.at(300, 400), kBlack);   // an outline, not a disc
  EXPECT_EQ(frame.at(598, 305), kYellow);  // the square's bottom side around (600,300)
  EXPECT_EQ(frame.at(595, 302), kYellow);  // its left side
  // The bar from (824, 30) to (924, 30), its ticks 5 pixels up.
  for (int x = 824; x <= 924; x += 10) {
    EXPECT_EQ(frame.at(x, 30), kRed) << x;
  }
  EXPECT_EQ(frame.at(822, 30), kBlack);
  EXPECT_EQ(frame.at(926, 30), kBlack);
  EXPECT_EQ(frame.at(824, 25), kRed);
  EXPECT_EQ(frame.at(924, 25), kRed);
  EXPECT_EQ(frame.at(874, 27), kBlack);
  // The label box at the rounded left 50 covers the edge, which shows on either side of it.
  EXPECT_GT(label_text_pixels(frame, 50), 100);
  EXPECT_EQ(frame.at(49, 10), kGreen);
  EXPECT_EQ(frame.at(50 + Label::kWidth, 10), kGreen);

  // At the other end of the bar's range, and after a clear only the label is left.
  s.barx = 49;
  s.bary = 49;
  paint(s, scene);
  frame.show(scene);
  EXPECT_EQ(frame.at(873, 79), kRed);
  EXPECT_EQ(frame.at(973, 74), kRed);
  EXPECT_EQ(frame.at(824, 30), kBlack);
  scene.clear();
  frame.show(scene);
  EXPECT_EQ(frame.at(350, 305), kBlack);
  EXPECT_GT(label_text_pixels(frame, 50), 100);
}

TEST(Frames, CaptionWritesTheValuesAsTheGeneralConversionDoes) {
  TourState s;
  s.n = 12;
  s.bestd = Solver::kResetBestd;
  s.type = 2;
  s.maxiter = 50;
  s.counter2 = 3;
  s.iter = 3;
  EXPECT_EQ(status_caption(s), "N=12 d=9999999.9 counter2=3 type=2 time=47");
  s.bestd = 0;
  s.iter = 51;
  EXPECT_EQ(status_caption(s), "N=12 d=0 counter2=3 type=2 time=-1");
  s.bestd = 1234.56789012345678;  // 15 significant digits, rounded
  EXPECT_EQ(status_caption(s), "N=12 d=1234.56789012346 counter2=3 type=2 time=-1");
}

// The driver's frames of two problems drawn twice: by one renderer that redraws only what
// changed since its last frame, and whole.
class TwoWays final : public QuietHost {
 public:
  explicit TwoWays(float scale) : scale_(scale), changed_(640, 480, scale) {}
  void yield() override {
    if (solver->iter == solver->maxiter + 1 && ++problems_ == 2) {
      solver->quitflag = -1;
    }
  }
  void repaint() override {
    paint(*solver, scene_);
    show();
  }
  void place_label(float left, float top) override {
    scene_.label.left = left;
    scene_.label.top = top;
  }
  void clear() override {
    scene_.clear();
    show();
  }
  ScreenSize screen_size() override { return {640, 480}; }
  long frames = 0;

 private:
  void show() {
    changed_.show(scene_);
    Frame whole(640, 480, scale_);
    whole.show(scene_);
    ++frames;
    ASSERT_TRUE(changed_.same_pixels(whole)) << "frame " << frames;
  }

  float scale_;
  int problems_ = 0;
  Scene scene_{640};
  Frame changed_;
};

TEST(Frames, RedrawingOnlyWhatChangedGivesTheWholeFrameEveryTime) {
  for (const float scale : {1.0f, 1.5f}) {
    for (std::int16_t type = 0; type <= 3; ++type) {
      SCOPED_TRACE(::testing::Message() << "scale " << scale << " type " << type);
      Mt19937Source random(static_cast<std::uint32_t>(type) + 40);
      TwoWays host(scale);
      Solver solver(random, host);
      host.solver = &solver;
      solver.force_problem(static_cast<std::int16_t>(10 + 8 * type), type);
      solver.run();
      EXPECT_GT(host.frames, 40);
    }
  }
}

}  // namespace
}  // namespace rovanel::testing
