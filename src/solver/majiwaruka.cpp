// Crossing removal: list the first crossing edge pairs in scan order, exchange one at random,
// repeat until a scan finds none.
//
// An exchange moves two points, so only the (up to) four edges that touch them can change
// whether they cross anything. The crossing state of every tested pair is kept in bit rows;
// after an exchange only the pairs of the changed edges are tested again, several pairs at a
// time. The list, the draws and the exchanges are those of a full rescan.
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "solver/solver.hpp"

namespace rovanel {

namespace {

// Everything the crossing removal runs is inlined into its caller, so the four-lane code is
// compiled for AVX2 as a whole, in every build type: no vector crosses a call between code
// built for different processors.
#define ROVANEL_LANES_INLINE __attribute__((always_inline)) inline

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

// Several pairs of segments at a time.
typedef double Doubles2 __attribute__((vector_size(16)));
typedef std::uint64_t Bits2 __attribute__((vector_size(16)));
typedef double Doubles4 __attribute__((vector_size(32)));
typedef std::uint64_t Bits4 __attribute__((vector_size(32)));

template <class D, class B>
struct LaneOps {
  using Doubles = D;
  using Bits = B;
  static constexpr int kCount = sizeof(D) / sizeof(double);

  ROVANEL_LANES_INLINE static D load(const double* p) {
    D v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  ROVANEL_LANES_INLINE static D all(double d) { return D{} + d; }
};

// The same bits as another vector type.
template <class To, class From>
ROVANEL_LANES_INLINE To as_lanes(const From& v) {
  static_assert(sizeof(To) == sizeof(From));
  To t;
  std::memcpy(&t, &v, sizeof t);
  return t;
}

// Lane k of a comparison (all ones or all zeros) as bit k.
typedef std::int64_t Mask2 __attribute__((vector_size(16)));
typedef std::int64_t Mask4 __attribute__((vector_size(32)));
#if defined(__x86_64__)
ROVANEL_LANES_INLINE std::uint64_t lane_bits(const Mask2& m) {
  return static_cast<std::uint64_t>(__builtin_ia32_movmskpd(as_lanes<Doubles2>(m)));
}
ROVANEL_LANES_INLINE std::uint64_t lane_bits(const Mask4& m) {
  Mask2 half[2];
  std::memcpy(half, &m, sizeof half);
  return lane_bits(half[0]) | lane_bits(half[1]) << 2;
}
#else
template <class Mask>
ROVANEL_LANES_INLINE std::uint64_t lane_bits(const Mask& m) {
  std::uint64_t b = 0;
  for (int k = 0; k < static_cast<int>(sizeof m / sizeof m[0]); ++k) {
    b |= static_cast<std::uint64_t>(m[k] & 1) << k;
  }
  return b;
}
#endif

template <int kLanes>
using LanesOf = std::conditional_t<kLanes == 4, LaneOps<Doubles4, Bits4>, LaneOps<Doubles2, Bits2>>;

// The tour's edges and which tested pairs of them cross. Edge e runs from point e to point
// e + 1 (dx_, dy_ along it); the closing edge of a closed tour ends at point n, a copy of
// point 0. Row i holds the edges j = i + 2 .. l - 1 that edge i is tested against.
template <int kLanes>
class CrossingTable {
  using L = LanesOf<kLanes>;

 public:
  ROVANEL_LANES_INLINE CrossingTable(const TourState& s, int l) : l_(l) {
    for (int i = 0; i < s.n; ++i) {
      px_[i] = s.x[i];
      py_[i] = s.y[i];
    }
    px_[s.n] = s.x[0];
    py_[s.n] = s.y[0];
    for (int e = 0; e < s.n; ++e) {
      measure_edge(e);
    }
    for (int i = 0; i <= l_ - 3; ++i) {
      tested_[i] = bit_range(i + 2, l_ - 1);
      row_[i] = test_row(i);
    }
  }

  // The crossing edges of row i.
  ROVANEL_LANES_INLINE std::uint64_t row(int i) const { return row_[i] & tested_[i]; }

  // Bit i for every row i with a crossing.
  ROVANEL_LANES_INLINE std::uint64_t rows_with_crossings() const {
    std::uint64_t rows = 0;
    for (int i = 0; i <= l_ - 3; i += kLanes) {
      typename L::Bits crossing, tested;
      std::memcpy(&crossing, &row_[i], sizeof crossing);
      std::memcpy(&tested, &tested_[i], sizeof tested);
      rows |= lane_bits((crossing & tested) != 0) << i;
    }
    return rows;
  }

  // Points p < q (never point 0) have changed places: test the pairs of their edges again.
  ROVANEL_LANES_INLINE void exchanged(int p, int q) {
    std::swap(px_[p], px_[q]);
    std::swap(py_[p], py_[q]);
    const bool neighbours = q - 1 == p;  // then they share edge p
    measure_edge(p - 1);
    measure_edge(p);
    if (!neighbours) {
      measure_edge(q - 1);
    }
    measure_edge(q);
    retest_edge(p - 1);
    retest_edge(p);
    if (!neighbours) {
      retest_edge(q - 1);
    }
    retest_edge(q);
  }

 private:
  ROVANEL_LANES_INLINE void measure_edge(int e) {
    dx_[e] = px_[e + 1] - px_[e];
    dy_[e] = py_[e + 1] - py_[e];
  }

  ROVANEL_LANES_INLINE void retest_edge(int e) {
    if (e <= l_ - 3) {
      row_[e] = test_row(e);
    }
    test_column(e);
  }

  // Edge i against every later edge it is tested with.
  ROVANEL_LANES_INLINE std::uint64_t test_row(int i) const {
    const auto dx1 = L::all(dx_[i]), dy1 = L::all(dy_[i]);
    const auto x1 = L::all(px_[i]), y1 = L::all(py_[i]);
    std::uint64_t bits = 0;
    for (int j = i + 2; j <= l_ - 1; j += kLanes) {
      const auto hit = crossing_lanes(dx1, dy1, L::load(&dx_[j]), L::load(&dy_[j]),
                                      L::load(&px_[j + 1]) - x1, L::load(&py_[j + 1]) - y1);
      bits |= lane_bits(hit) << j;
    }
    return bits;
  }

  // Every earlier edge against edge j. The last lanes may run onto edge j - 1, a neighbour,
  // and set bit j of its row: row() masks such bits out.
  ROVANEL_LANES_INLINE void test_column(int j) {
    const auto dx2 = L::all(dx_[j]), dy2 = L::all(dy_[j]);
    const auto x4 = L::all(px_[j + 1]), y4 = L::all(py_[j + 1]);
    const auto bit = typename L::Bits{} + (1ULL << j);
    for (int i = 0; i <= j - 2; i += kLanes) {
      const auto hit = crossing_lanes(L::load(&dx_[i]), L::load(&dy_[i]), dx2, dy2,
                                      x4 - L::load(&px_[i]), y4 - L::load(&py_[i]));
      typename L::Bits rows;
      std::memcpy(&rows, &row_[i], sizeof rows);
      rows = (rows & ~bit) | (as_lanes<typename L::Bits>(hit) & bit);
      std::memcpy(&row_[i], &rows, sizeof rows);
    }
  }

  int l_;
  // Room for the copy of point 0 and for the lanes that run past the last edge.
  double px_[kSlots + 1 + kLanes] = {};
  double py_[kSlots + 1 + kLanes] = {};
  double dx_[kSlots + kLanes] = {};
  double dy_[kSlots + kLanes] = {};
  std::uint64_t row_[kSlots + kLanes] = {};
  std::uint64_t tested_[kSlots + kLanes] = {};  // the edges each row is tested against
};

template <int kLanes>
ROVANEL_LANES_INLINE void remove_crossings(Solver& s) {
  const int l = s.type <= 0 ? s.n : s.n - 1;
  CrossingTable<kLanes> table(s, l);
  for (std::int32_t exchanges = 0; exchanges < Solver::kMaxCrossingExchanges; ++exchanges) {
    // The first crossing pairs in the order of a scan by i, then j.
    s.ncross = 0;
    for (std::uint64_t rows = table.rows_with_crossings(); rows != 0 && s.ncross < kListSize;
         rows &= rows - 1) {
      const int i = std::countr_zero(rows);
      for (std::uint64_t bits = table.row(i); bits != 0 && s.ncross < kListSize; bits &= bits - 1) {
        s.crossa[s.ncross] = static_cast<std::int16_t>(i + 1);
        s.crossb[s.ncross] = static_cast<std::int16_t>(std::countr_zero(bits));
        ++s.ncross;
      }
    }
    if (s.ncross == 0) {
      return;
    }
    s.pick = s.draw_index(s.ncross);
    s.sj = s.crossb[s.pick];
    s.si1 = s.crossa[s.pick];
    s.koukan(s.si1, s.sj);
    table.exchanged(s.si1, s.sj);
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Four lanes where the processor has AVX2.
__attribute__((target("avx2"))) void remove_crossings_wide(Solver& s) {
  remove_crossings<4>(s);
}
bool has_wide_lanes() {
  __builtin_cpu_init();  // this runs among the static initializers
  return __builtin_cpu_supports("avx2") != 0;
}
#else
void remove_crossings_wide(Solver& s) {
  remove_crossings<2>(s);
}
bool has_wide_lanes() {
  return false;
}
#endif

#undef ROVANEL_LANES_INLINE

}  // namespace

bool Solver::wide_lanes = has_wide_lanes();

void Solver::majiwaruka() {
  if (wide_lanes) {
    remove_crossings_wide(*this);
  } else {
    remove_crossings<2>(*this);
  }
}

}  // namespace rovanel
