#include <gtest/gtest.h>

#include <memory>

#include "display/painter.hpp"
#include "platform/cairo/cairo_canvas.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

// A real 1024 x 768 frame, drawn and composed as the offscreen face does it.
class Frame {
 public:
  Frame()
      : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1024, 768), cairo_surface_destroy),
        canvas(surface_.get(), 1024) {}

  void paint(TourState& s) {
    Painter(s, canvas).repaint();
    canvas.compose_label();
    canvas.flush();
  }
  // The pixel as 0xBBGGRR.
  Colour at(int x, int y) const {
    const unsigned char* data = cairo_image_surface_get_data(surface_.get());
    const int stride = cairo_image_surface_get_stride(surface_.get());
    const std::uint32_t rgb =
        *reinterpret_cast<const std::uint32_t*>(data + y * stride + 4 * x) & 0xFFFFFF;
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16);
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;

 public:
  CairoCanvas canvas;
};

TourState type2_state() {
  TourState s;
  s.maxiter = 50;
  s.type = 2;
  set_tour(s, {{600, 300}, {300, 400}, {100, 400}, {700, 600}});
  for (int i = 0; i < 4; ++i) {
    s.bestx[i] = s.x[i];
    s.besty[i] = s.y[i];
  }
  return s;
}

TEST(FramePixels, ScaleBarAtBothEndsOfItsRange) {
  for (std::int16_t offset : {0, 49}) {
    SCOPED_TRACE(offset);
    TourState s = type2_state();
    s.barx = offset;
    s.bary = offset;
    Frame frame;
    frame.paint(s);
    const int left = 824 + offset;
    const int y = 30 + offset;
    for (int x = left; x <= left + 100; x += 10) {
      EXPECT_EQ(frame.at(x, y), kRed) << x;
    }
    EXPECT_EQ(frame.at(left - 2, y), kBlack);
    EXPECT_EQ(frame.at(left + 102, y), kBlack);
    for (int tick_y = y - 5; tick_y <= y; ++tick_y) {
      EXPECT_EQ(frame.at(left, tick_y), kRed);
      EXPECT_EQ(frame.at(left + 100, tick_y), kRed);
    }
    EXPECT_EQ(frame.at(left + 50, y - 3), kBlack);
  }
}

bool whitish(Colour c) {
  return red_of(c) > 200 && green_of(c) > 200 && blue_of(c) > 200;
}

TEST(FramePixels, EdgesCirclesSquaresAndTheLabelOnTop) {
  TourState s = type2_state();
  // The best tour: (600,300), (1000,10), (0,10), (700,600); its second edge runs under the label.
  s.bestx[1] = 1000;
  s.besty[1] = 10;
  s.bestx[2] = 0;
  s.besty[2] = 10;
  s.bestd = 1234.5;
  Frame frame;
  frame.canvas.set_label_position(50.4f, 0);
  frame.paint(s);

  EXPECT_EQ(frame.at(350, 305), kGreen);   // on the edge (0,10)-(700,600)
  EXPECT_EQ(frame.at(302, 400), kWhite);   // the circle around (300,400)
  EXPECT_EQ(frame.at(300, 400), kBlack);   // an outline, not a disc
  EXPECT_EQ(frame.at(598, 305), kYellow);  // the square's bottom side around (600,300)
  EXPECT_EQ(frame.at(595, 302), kYellow);  // its left side

  // The label box, at the rounded left 50, covers the edge; outside it the edge shows.
  EXPECT_EQ(frame.at(20, 10), kGreen);
  EXPECT_EQ(frame.at(460, 10), kGreen);
  int white = 0;
  for (int y = 0; y < Canvas::kLabelHeight; ++y) {
    for (int x = 50; x < 50 + Canvas::kLabelWidth; ++x) {
      const Colour c = frame.at(x, y);
      ASSERT_NE(c, kGreen) << x << "," << y;
      white += whitish(c) ? 1 : 0;
    }
  }
  EXPECT_GT(white, 100);
  EXPECT_EQ(frame.at(440, 10), kBlack);
  EXPECT_EQ(frame.at(50 + Canvas::kLabelWidth, 10), kGreen);
  EXPECT_EQ(frame.at(49, 10), kGreen);
}

TEST(FramePixels, ClearErasesTheDrawingButNotTheLabel) {
  TourState s = type2_state();
  Frame frame;
  frame.paint(s);
  frame.canvas.clear();
  frame.canvas.compose_label();
  frame.canvas.flush();
  EXPECT_EQ(frame.at(350, 305), kBlack);
  int white = 0;
  for (int y = 0; y < Canvas::kLabelHeight; ++y) {
    for (int x = 8; x < 8 + Canvas::kLabelWidth; ++x) {
      white += whitish(frame.at(x, y)) ? 1 : 0;
    }
  }
  EXPECT_GT(white, 100);
}

}  // namespace
}  // namespace rovanel::testing
