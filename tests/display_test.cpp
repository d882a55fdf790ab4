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

// A frame buffer for a show of width x height pixels, drawn at a scale through a renderer; the
// show in all of it, or in a box of it.
struct Frame {
  Frame(int width, int height, float scale = 1, Box show = {})
      : w(static_cast<int>(static_cast<float>(width) * scale)),
        h(static_cast<int>(static_cast<float>(height) * scale)),
        image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h), cairo_surface_destroy),
        surface(image.get(), show.empty() ? Box{0, 0, w, h} : show, scale, [](const Damage&) {}) {}
  void show(const Scene& scene) { renderer.render(scene, surface); }
  const unsigned char* data() const { return cairo_image_surface_get_data(image.get()); }
  // The pixel as 0xBBGGRR.
  Colour at(int x, int y) const {
    std::uint32_t rgb;
    std::memcpy(&rgb, data() + y * cairo_image_surface_get_stride(image.get()) + 4 * x, 4);
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  int w, h;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> image;
  CairoSurface surface;
  Renderer renderer;
};

// Light pixels of the status text in the label box at left 50, none of them green.
int label_text_pixels(const Frame& frame) {
  int white = 0;
  for (int y = 0; y < Label::kHeight; ++y) {
    for (int x = 50; x < 50 + Label::kWidth; ++x) {
      EXPECT_NE(frame.at(x, y), kGreen) << x << "," << y;
      white += green_of(frame.at(x, y)) > 200 ? 1 : 0;
    }
  }
  return white;
}

TEST(Frames, ShowEveryElementInItsColourTheLabelOnTopAndTheSameTourAtTwiceTheScale) {
  // Type 2 on a screen 1024 wide; the best tour's second edge runs under the label.
  TourState s;
  s.maxiter = 50;
  s.type = 2;
  set_tour(s, {{600, 300}, {300, 400}, {100, 400}, {700, 600}});
  const Point best[] = {{600, 300}, {1000, 10}, {0, 10}, {700, 600}};
  for (int i = 0; i < 4; ++i) {
    s.bestx[i] = best[i].x;
    s.besty[i] = best[i].y;
  }
  Scene scene;
  scene.label.left = 50.4f;
  paint(s, 1024, scene);
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
  EXPECT_EQ(frame.at(822, 30) | frame.at(926, 30) | frame.at(874, 27), kBlack);
  EXPECT_EQ(frame.at(924, 25), kRed);
  // The label box at the rounded left 50 covers the edge, which shows on either side of it.
  EXPECT_GT(label_text_pixels(frame), 100);
  EXPECT_EQ(frame.at(49, 10), kGreen);
  EXPECT_EQ(frame.at(50 + Label::kWidth, 10), kGreen);

  // A show box narrower than the buffer (a monitor that shrank under the show): the same frame,
  // cut at the box's edges, and nothing outside it, also when only what changed is redrawn.
  Frame cut(1024, 768, 1, Box{100, 0, 868, 768});
  cut.show(scene);
  scene.label.left = 8;
  frame.show(scene);
  cut.show(scene);
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      ASSERT_EQ(cut.at(x, y), x < 100 || x >= 868 ? kBlack : frame.at(x - 100, y)) << x << "," << y;
    }
  }
  scene.label.left = 50.4f;
  frame.show(scene);

  // Twice the scale: every green pixel below the label has green in its block of four.
  Frame twice(1024, 768, 2);
  twice.show(scene);
  for (int y = Label::kHeight; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      if (frame.at(x, y) == kGreen) {
        ASSERT_TRUE(twice.at(2 * x, 2 * y) == kGreen || twice.at(2 * x + 1, 2 * y) == kGreen ||
                    twice.at(2 * x, 2 * y + 1) == kGreen ||
                    twice.at(2 * x + 1, 2 * y + 1) == kGreen)
            << x << "," << y;
      }
    }
  }

  // The other end of the bar's range; after a clear only the label is left.
  s.barx = 49;
  s.bary = 49;
  paint(s, 1024, scene);
  frame.show(scene);
  EXPECT_EQ(frame.at(873, 79) & frame.at(973, 74), kRed);
  scene.clear();
  frame.show(scene);
  EXPECT_EQ(frame.at(350, 305), kBlack);
  EXPECT_GT(label_text_pixels(frame), 100);
}

TEST(Frames, CaptionWritesTheValuesAsTheGeneralConversionDoes) {
  TourState s;
  s.n = 12;
  s.type = 2;
  s.maxiter = 50;
  s.iter = 51;
  for (const auto& [d, text] : {std::pair{Solver::kResetBestd, "9999999.9"},
                                {0.0, "0"},
                                {1234.56789012345678, "1234.56789012346"}}) {
    s.bestd = d;
    EXPECT_EQ(status_caption(s), "N=12 d=" + std::string(text) + " counter2=0 type=2 time=-1");
  }
}

// The driver's frames of two problems drawn twice: by one renderer that redraws only what
// changed since its last frame, and whole.
struct TwoWays final : QuietHost {
  explicit TwoWays(float s) : scale(s), changed(640, 480, s) {}
  void yield() override {
    if (solver->problem_finished() && ++problems == 2) {
      solver->quitflag = -1;
    }
  }
  void repaint() override {
    paint(*solver, 640, scene);
    show();
  }
  void place_label(float left, float top) override {
    scene.label.left = left;
    scene.label.top = top;
  }
  void clear() override {
    scene.clear();
    show();
  }
  void show() {
    changed.show(scene);
    Frame whole(640, 480, scale);
    whole.show(scene);
    ++frames;
    ASSERT_EQ(std::memcmp(changed.data(), whole.data(), 4u * changed.w * changed.h), 0) << frames;
  }
  float scale;
  int problems = 0;
  long frames = 0;
  Scene scene;
  Frame changed;
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
