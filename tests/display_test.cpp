#include <gtest/gtest.h>

#include "display/painter.hpp"
#include "recording_canvas.hpp"
#include "support.hpp"

namespace rovanel::testing {
namespace {

using Calls = std::vector<std::string>;

// Four points; the working tour and the best tour hold them in different orders.
void four_points(TourState& s, std::int16_t type) {
  set_tour(s, {{10, 20}, {30, 20}, {30, 40}, {10, 40}});
  const Point best[] = {{30, 40}, {10, 20}, {30, 20}, {10, 40}};
  for (int i = 0; i < 4; ++i) {
    s.bestx[i] = best[i].x;
    s.besty[i] = best[i].y;
  }
  s.type = type;
  s.bestd = 71.5;
  s.counter2 = 2;
  s.maxiter = 50;
  s.iter = 7;
  s.barx = 3;
  s.bary = 4;
}

const Calls kHead = {"text_colour FFFFFF", "label_colours FFFFFF 000000", "clear"};
const Calls kCircles = {"circle 10 20 2 FFFFFF", "circle 30 20 2 FFFFFF", "circle 30 40 2 FFFFFF",
                        "circle 10 40 2 FFFFFF"};
const Calls kOpenPath = {"line 30 40 10 20 00FF00", "line 10 20 30 20 00FF00",
                         "line 30 20 10 40 00FF00"};
// W = 1024, barx = 3, bary = 4.
const Calls kBar = {"line 827 34 927 34 0000FF", "line 827 29 827 34 0000FF", "print 0 at 827 34",
                    "line 927 29 927 34 0000FF", "print 100 at 927 34"};
const char* kCaption = "caption N=4 d=71.5 counter2=2 type=%d time=43";

Calls concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const auto& p : parts) {
    all.insert(all.end(), p.begin(), p.end());
  }
  return all;
}

Calls caption_for(int type) {
  char buf[80];
  std::snprintf(buf, sizeof buf, kCaption, type);
  return {buf};
}

TEST(Repaint, DrawsEachTypeInOrder) {
  const Calls square_first = {"line 25 35 35 35 00FFFF", "line 35 35 35 45 00FFFF",
                              "line 35 45 25 45 00FFFF", "line 25 45 25 35 00FFFF"};
  const Calls square_last = {"line 5 35 15 35 00FFFF", "line 15 35 15 45 00FFFF",
                             "line 15 45 5 45 00FFFF", "line 5 45 5 35 00FFFF"};
  const Calls closing = {"line 10 40 30 40 00FF00"};
  const Calls expected[] = {
      concat({kHead, caption_for(0), kCircles, kOpenPath, closing, kBar}),
      concat({kHead, caption_for(1), kCircles, kOpenPath, kBar}),
      concat({kHead, caption_for(2), kCircles, square_first, kOpenPath, kBar}),
      concat({kHead, caption_for(3), kCircles, square_first, square_last, kOpenPath, kBar}),
  };
  for (std::int16_t type = 0; type <= 3; ++type) {
    SCOPED_TRACE(type);
    TourState s;
    four_points(s, type);
    RecordingCanvas canvas;
    Painter(s, canvas).repaint();
    EXPECT_EQ(canvas.calls, expected[type]);
    EXPECT_EQ(s.si, type == 0 ? 3 : 2);
    EXPECT_EQ(s.si1, type == 0 ? 0 : 3);
  }
}

TEST(Repaint, ScaleBarSitsNearTheTopRightCorner) {
  for (std::int16_t offset : {0, 49}) {
    TourState s;
    four_points(s, 1);
    s.barx = offset;
    s.bary = offset;
    RecordingCanvas canvas(1024);
    Painter(s, canvas).repaint();
    const Calls tail(canvas.calls.end() - 5, canvas.calls.end());
    if (offset == 0) {
      EXPECT_EQ(tail,
                (Calls{"line 824 30 924 30 0000FF", "line 824 25 824 30 0000FF",
                       "print 0 at 824 30", "line 924 25 924 30 0000FF", "print 100 at 924 30"}));
    } else {
      EXPECT_EQ(tail,
                (Calls{"line 873 79 973 79 0000FF", "line 873 74 873 79 0000FF",
                       "print 0 at 873 79", "line 973 74 973 79 0000FF", "print 100 at 973 79"}));
    }
  }
}

TEST(StatusCaption, WritesTheValuesAsTheGeneralConversionDoes) {
  TourState s;
  s.n = 12;
  s.bestd = Solver::kResetBestd;
  s.type = 2;
  s.maxiter = 50;
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=9999999.9 counter2=0 type=2 time=50");
  s.counter2 = 3;
  s.iter = 3;
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=9999999.9 counter2=3 type=2 time=47");
  s.bestd = 0;
  s.iter = 51;
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=0 counter2=3 type=2 time=-1");
  s.bestd = 1234.56789012345678;  // 15 significant digits, rounded
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=1234.56789012346 counter2=3 type=2 time=-1");
  s.bestd = 5000.25;
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=5000.25 counter2=3 type=2 time=-1");
  s.bestd = 4711;
  EXPECT_EQ(Painter::status_caption(s), "N=12 d=4711 counter2=3 type=2 time=-1");
}

// The real driver and solver drawing on a recording canvas.
class PaintingHost final : public RecordingHost {
 public:
  PaintingHost(TourState& s, RecordingCanvas& canvas) : painter_(s, canvas), canvas_(canvas) {}
  void repaint() override { painter_.repaint(); }
  void place_label(float top, float left) override { canvas_.set_label_position(left, top); }
  void clear() override { canvas_.clear(); }

 private:
  Painter painter_;
  RecordingCanvas& canvas_;
};

TEST(Repaint, FirstFramesOfAProblemShowTheNewPointsWithThePreviousValues) {
  RecordingCanvas canvas;
  // Four points, the label at 50, type 2, the bar at 0, then every draw 0.5.
  ScriptedRandom random(
      {0.0f, 0.1f, 0.2f, 0.7f, 0.3f, 0.4f, 0.9f, 0.8f, 0.6f, 0.5f, 0.5f, 0.0f, 0.0f, 0.5f});
  struct Run {
    Run(RandomSource& r, RecordingCanvas& c) : solver(r, host), host(solver, c) {}
    Solver solver;
    PaintingHost host;
  } run(random, canvas);
  // Stop at the top of the second problem's first iteration.
  run.solver.force_problem(4, -1);
  run.host.stop_at_yield = 1 + 51 * (1 + 4 * 4 * 4) + 2;
  run.solver.run();

  std::vector<std::size_t> captions;
  for (std::size_t i = 0; i < canvas.calls.size(); ++i) {
    if (canvas.calls[i].rfind("caption ", 0) == 0) {
      captions.push_back(i);
    }
  }
  ASSERT_GE(captions.size(), 3u);
  // The very first frame: new points, a best tour of zeros, everything still zero.
  EXPECT_EQ(canvas.calls[captions[0]], "caption N=4 d=0 counter2=0 type=0 time=50");
  EXPECT_EQ(canvas.calls[captions[0] + 1], "circle 114.4 162.6 2 FFFFFF");
  EXPECT_EQ(canvas.calls[captions[0] + 5], "line 0 0 0 0 00FF00");
  // Iteration 0: the reset best length, the new type, still the old best tour of zeros.
  EXPECT_EQ(canvas.calls[captions[1]], "caption N=4 d=9999999.9 counter2=0 type=2 time=50");
  EXPECT_EQ(canvas.calls[captions[1] + 5], "line -5 -5 5 -5 00FFFF");
  EXPECT_EQ(canvas.calls[captions[1] + 9], "line 0 0 0 0 00FF00");
  // The new problem's first frame: the previous problem's best length and type, time=-1.
  const std::string& previous = canvas.calls[captions[captions.size() - 2]];
  const std::string& first_of_next = canvas.calls[captions.back()];
  const auto d_of = [](const std::string& caption) {
    return caption.substr(caption.find(" d="), caption.find(" counter2=") - caption.find(" d="));
  };
  EXPECT_EQ(d_of(first_of_next), d_of(previous));
  EXPECT_NE(d_of(previous), " d=9999999.9");
  EXPECT_NE(first_of_next.find(" counter2=0 type=2 time=-1"), std::string::npos) << first_of_next;
  // The label moved once per problem, to r * 100.
  EXPECT_EQ(std::count(canvas.calls.begin(), canvas.calls.end(), "label_position 50 0"), 2);
  // Shutdown cleared the window.
  EXPECT_EQ(canvas.calls.back(), "clear");
}

}  // namespace
}  // namespace rovanel::testing
