// Display benchmark: repaint of a 49-point tour plus the label, on an image surface (no PNG).
#include <benchmark/benchmark.h>

#include <memory>

#include "display/painter.hpp"
#include "display/renderer.hpp"
#include "platform/cairo/cairo_surface.hpp"
#include "solver/random_source.hpp"

namespace rovanel {
namespace {

void BM_repaint_frame(benchmark::State& state) {
  const auto width = static_cast<int>(state.range(0));
  const auto height = static_cast<int>(state.range(1));
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
  CairoSurface canvas(surface.get(), Box{0, 0, width, height}, 1.0f, [](const Damage&) {});
  TourState s;
  Mt19937Source random(3);
  s.n = 49;
  s.type = 3;
  s.maxiter = 50;
  s.bestd = 12345.678;
  for (int i = 0; i < s.n; ++i) {
    s.x[i] = s.bestx[i] = random.next() * (width - 30.0) + 15.0;
    s.y[i] = s.besty[i] = random.next() * (height - 30.0) + 15.0;
  }
  Scene scene;
  paint(s, static_cast<float>(width), scene);
  for (auto _ : state) {
    Renderer().render(scene, canvas);
  }
}
BENCHMARK(BM_repaint_frame)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace rovanel
