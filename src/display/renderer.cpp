#include "display/renderer.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace rovanel {

namespace {

// A long line is damaged in pieces this many device pixels long, so that a diagonal edge
// damages a band along itself rather than its whole bounding box.
constexpr double kPiece = 32;

Box around(double x1, double y1, double x2, double y2, double margin) {
  return {static_cast<int>(std::floor(std::min(x1, x2) - margin)),
          static_cast<int>(std::floor(std::min(y1, y2) - margin)),
          static_cast<int>(std::ceil(std::max(x1, x2) + margin)) + 1,
          static_cast<int>(std::ceil(std::max(y1, y2) + margin)) + 1};
}

// Wider than half a line, its square caps and the rounding of its ends.
double margin(float scale) {
  return line_width(scale) + 1.0;
}

// Every pixel a shape touches lies in the boxes it adds; a long line's in pieces if asked.
void add_boxes(const Shape& shape, Surface& surface, bool pieces, Damage& boxes) {
  const float s = surface.scale();
  switch (shape.kind) {
    case Shape::Kind::kCircle: {
      const double r = static_cast<double>(shape.x2) * s;
      const double cx = device(shape.x1, s);
      const double cy = device(shape.y1, s);
      boxes.push_back(around(cx - r, cy - r, cx + r, cy + r, margin(s)));
      break;
    }
    case Shape::Kind::kLine: {
      const double ax = device(shape.x1, s);
      const double ay = device(shape.y1, s);
      const double bx = device(shape.x2, s);
      const double by = device(shape.y2, s);
      const double length = std::max(std::abs(bx - ax), std::abs(by - ay));
      const int k = pieces ? std::max(1, static_cast<int>(std::ceil(length / kPiece))) : 1;
      for (int i = 0; i < k; ++i) {
        const double t0 = static_cast<double>(i) / k;
        const double t1 = static_cast<double>(i + 1) / k;
        boxes.push_back(around(ax + (bx - ax) * t0, ay + (by - ay) * t0, ax + (bx - ax) * t1,
                               ay + (by - ay) * t1, margin(s)));
      }
      break;
    }
    case Shape::Kind::kText:
      boxes.push_back(surface.text_box(shape.x1, shape.y1, shape.text));
      break;
  }
}

Box bounding_box(const Shape& shape, Surface& surface) {
  Damage one;
  add_boxes(shape, surface, false, one);
  return one.front();
}

Box label_box(const Label& label, float s) {
  const double left = label.whole_left();
  const double top = label.whole_top();
  return around(left * s, top * s, (left + Label::kWidth) * s, (top + Label::kHeight) * s, 1);
}

bool touches(const Box& box, const Damage& damage) {
  return std::any_of(damage.begin(), damage.end(), [&](const Box& d) { return d.intersects(box); });
}

}  // namespace

Damage Renderer::damage(const Scene& before, const Scene& after, Surface& surface) {
  std::vector<Shape> old_shapes = before.shapes();
  std::vector<Shape> new_shapes = after.shapes();
  std::sort(old_shapes.begin(), old_shapes.end());
  std::sort(new_shapes.begin(), new_shapes.end());
  std::vector<Shape> changed;
  std::set_symmetric_difference(old_shapes.begin(), old_shapes.end(), new_shapes.begin(),
                                new_shapes.end(), std::back_inserter(changed));
  Damage boxes;
  for (const Shape& shape : changed) {
    add_boxes(shape, surface, true, boxes);
  }
  if (!(before.label == after.label)) {
    boxes.push_back(label_box(before.label, surface.scale()));
    boxes.push_back(label_box(after.label, surface.scale()));
  }
  const Box all = surface.bounds();
  Damage damage;
  long area = 0;
  for (const Box& box : boxes) {
    const Box inside = box.clipped(all);
    if (!inside.empty()) {
      damage.push_back(inside);
      area += inside.area();
    }
  }
  // Past half the surface, one box is cheaper than many.
  if (2 * area > all.area()) {
    return {all};
  }
  return damage;
}

void Renderer::render(const Scene& scene, Surface& surface) {
  const Damage damaged = shown_ ? damage(*shown_, scene, surface) : Damage{surface.bounds()};
  surface.begin(damaged);
  if (!damaged.empty()) {
    for (const Shape& shape : scene.shapes()) {
      if (touches(bounding_box(shape, surface), damaged)) {
        surface.draw(shape);
      }
    }
    if (touches(label_box(scene.label, surface.scale()), damaged)) {
      surface.draw_label(scene.label);
    }
  }
  surface.end(damaged);
  shown_ = scene;
}

}  // namespace rovanel
