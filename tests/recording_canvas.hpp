// A canvas that writes down every call, with its colours and coordinates.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "display/canvas.hpp"

namespace rovanel::testing {

class RecordingCanvas final : public Canvas {
 public:
  explicit RecordingCanvas(float width = 1024) : width_(width) {}

  void set_text_colour(Colour c) override { log("text_colour %06X", c); }
  void circle(float x, float y, float radius, Colour c) override {
    log("circle %g %g %g %06X", x, y, radius, c);
  }
  void set_label_colours(Colour text, Colour back) override {
    log("label_colours %06X %06X", text, back);
  }
  void set_label_caption(std::string_view caption) override {
    calls.push_back("caption " + std::string(caption));
  }
  void set_label_position(float left, float top) override {
    log("label_position %g %g", left, top);
  }
  float screen_width() override { return width_; }

  std::vector<std::string> calls;

 protected:
  void clear_drawing() override { calls.push_back("clear"); }
  void draw_line(float x1, float y1, float x2, float y2, Colour c) override {
    log("line %g %g %g %g %06X", x1, y1, x2, y2, c);
  }
  void draw_text(float x, float y, std::string_view text) override {
    log("print %s at %g %g", std::string(text).c_str(), x, y);
  }

 private:
  template <class... Args>
  void log(const char* format, Args... args) {
    char buf[160];
    std::snprintf(buf, sizeof buf, format, args...);
    calls.emplace_back(buf);
  }
  float width_;
};

}  // namespace rovanel::testing
