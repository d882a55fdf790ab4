// Crossing removal: list the first crossing edge pairs in scan order, exchange one at random,
// repeat until a scan finds none.
//
// An exchange moves two points, so only the (up to) four edges that touch them can change
// whether they cross anything. The crossing state of every tested pair is kept in bit rows;
// after an exchange only the pairs of the changed edges are tested again. The list, the draws
// and the exchanges are those of a full rescan.
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "solver/solver.hpp"

namespace rovanel {

namespace {

constexpr int kListSize = 11;
constexpr int kSlots = Slots<double>::kSize;

// Bits first .. last (inclusive); empty when last < first.
constexpr std::uint64_t bit_range(int first, int last) {
  if (last < first) {
    return 0;
  }
  const std::uint64_t upto = last >= 63 ? ~0ULL : (2ULL << last) - 1;
  return upto & ~((1ULL << first) - 1);
}

// Two pairs of segments at a time.
using Lanes = double __attribute__((vector_size(16)));
constexpr int kLanes = 2;

Lanes load(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Lane k's result as bit k.
template <class Mask>
std::uint64_t lane_bits(Mask hit) {
  return static_cast<std::uint64_t>((hit[0] & 1) | (hit[1] & 2));
}

// The tour's edges and which tested pairs of them cross. Edge e runs from point e to point
// e + 1; the closing edge of a closed tour ends at point n, a copy of point 0. Row i holds the
// edges j = i + 2 .. l - 1 that edge i is tested against.
class CrossingTable {
 public:
  CrossingTable(const TourState& s, int l) : l_(l) {
    for (int i = 0; i < s.n; ++i) {
      px_[i] = s.x[i];
      py_[i] = s.y[i];
    }
    px_[s.n] = s.x[0];
    py_[s.n] = s.y[0];
    for (int i = 0; i <= l_ - 3; ++i) {
      row_[i] = test_row(i);
    }
  }

  std::uint64_t row(int i) const { return row_[i]; }

  // Points p and q (never point 0) have changed places: test the pairs of their edges again.
  void exchanged(int p, int q) {
    std::swap(px_[p], px_[q]);
    std::swap(py_[p], py_[q]);
    forget_edge(p - 1);
    forget_edge(p);
    if (q - 1 != p) {  // neighbours share that edge
      forget_edge(q - 1);
    }
    forget_edge(q);
  }

 private:
  void forget_edge(int e) {
    if (e <= l_ - 3) {
      row_[e] = test_row(e);
    }
    test_column(e);
  }

  // Edge i against every later edge it is tested with.
  std::uint64_t test_row(int i) const {
    const Lanes x1 = Lanes{} + px_[i], y1 = Lanes{} + py_[i];
    const Lanes x2 = Lanes{} + px_[i + 1], y2 = Lanes{} + py_[i + 1];
    std::uint64_t bits = 0;
    for (int j = i + 2; j <= l_ - 1; j += kLanes) {
      bits |= lane_bits(crossing_lanes(x1, y1, x2, y2, load(&px_[j]), load(&py_[j]),
                                       load(&px_[j + 1]), load(&py_[j + 1])))
              << j;
    }
    return bits & bit_range(i + 2, l_ - 1);
  }

  // Every earlier edge against edge j.
  void test_column(int j) {
    const Lanes x3 = Lanes{} + px_[j], y3 = Lanes{} + py_[j];
    const Lanes x4 = Lanes{} + px_[j + 1], y4 = Lanes{} + py_[j + 1];
    const std::uint64_t bit = 1ULL << j;
    for (int i = 0; i <= j - 2; i += kLanes) {
      const std::uint64_t hits = lane_bits(crossing_lanes(
          load(&px_[i]), load(&py_[i]), load(&px_[i + 1]), load(&py_[i + 1]), x3, y3, x4, y4));
      for (int k = 0; k < kLanes && i + k <= j - 2; ++k) {
        row_[i + k] = (row_[i + k] & ~bit) | (((hits >> k) & 1) << j);
      }
    }
  }

  int l_;
  // Room for the copy of point 0 and for the lanes that run past the last edge.
  double px_[kSlots + 1 + kLanes] = {};
  double py_[kSlots + 1 + kLanes] = {};
  std::uint64_t row_[kSlots] = {};
};

}  // namespace

void Solver::majiwaruka() {
  const int l = type <= 0 ? n : n - 1;
  CrossingTable table(*this, l);
  for (std::int32_t exchanges = 0; exchanges < kMaxCrossingExchanges; ++exchanges) {
    // The first crossing pairs in the order of a scan by i, then j.
    ncross = 0;
    for (int i = 0; i <= l - 3 && ncross < kListSize; ++i) {
      for (std::uint64_t bits = table.row(i); bits != 0 && ncross < kListSize; bits &= bits - 1) {
        crossa[ncross] = static_cast<std::int16_t>(i + 1);
        crossb[ncross] = static_cast<std::int16_t>(std::countr_zero(bits));
        ++ncross;
      }
    }
    if (ncross == 0) {
      return;
    }
    pick = draw_index(ncross);
    sj = crossb[pick];
    si1 = crossa[pick];
    koukan(si1, sj);
    table.exchanged(si1, sj);
  }
}

}  // namespace rovanel
