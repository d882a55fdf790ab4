// Rules of the faces that are plain functions: tested here once for every case.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "platform/idle/autostart.hpp"
#include "platform/wayland/surface_scale.hpp"

namespace rovanel::testing {
namespace {

// The output's integer scale, its fractional one (120ths), ROVANEL_SCALE, the viewporter: how
// the show is drawn and handed over. Without a viewport only a whole scale keeps the surface at
// its logical size.
TEST(WaylandScale, FollowsTheOutputOrTheForcedScaleAndKeepsTheLogicalSize) {
  const std::tuple<int, int, std::optional<float>, bool, SurfaceScale> cases[] = {
      {1, 0, std::nullopt, true, {1, 1, false}},  {2, 0, std::nullopt, false, {2, 2, false}},
      {2, 0, std::nullopt, true, {2, 2, false}},  {1, 180, std::nullopt, true, {1.5f, 1, true}},
      {2, 240, std::nullopt, true, {2, 1, true}}, {2, 180, std::nullopt, false, {2, 2, false}},
      {2, 180, 1.25f, true, {1.25f, 1, true}},    {1, 0, 1.5f, true, {1.5f, 1, true}},
      {2, 0, 1.5f, false, {2, 2, false}},         {2, 0, 1.4f, false, {1, 1, false}},
      {1, 0, 0.5f, false, {1, 1, false}},         {1, 0, 3.0f, false, {3, 3, false}},
  };
  for (const auto& [output, preferred, forced, viewporter, expected] : cases) {
    const SurfaceScale got = surface_scale(output, preferred, forced, viewporter);
    EXPECT_EQ(got, expected) << output << " " << preferred << " " << forced.value_or(0) << " "
                             << viewporter << ": " << got.drawing << " " << got.buffer << " "
                             << got.viewport;
  }
}

// The program's path in the autostart entry's Exec key, as a desktop reads it back: as it is
// where nothing in it is reserved, else quoted with its reserved characters escaped, and the
// entry's own escape of a backslash on top; percent signs doubled either way.
TEST(AutostartEntry, QuotesTheProgramOnlyWhereItMust) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/libexec/xscreensaver/rovanel", "/usr/libexec/xscreensaver/rovanel"},
      {"/opt/100%/rovanel", "/opt/100%%/rovanel"},
      {"/home/a b/rovanel", "\"/home/a b/rovanel\""},
      {"/tmp/$x`y\"z\\w;%/r", "\"/tmp/\\\\$x\\\\`y\\\\\"z\\\\\\\\w;%%/r\""},
  };
  for (const auto& [path, value] : cases) {
    EXPECT_EQ(exec_argument(path), value) << path;
  }
}

}  // namespace
}  // namespace rovanel::testing
