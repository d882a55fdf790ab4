// Crossing removal: list the first crossing edge pairs in scan order, exchange one at random,
// repeat until a scan finds none.
//
// An exchange moves two points, so only the (up to) four edges that touch them can change
// whether they cross anything. The crossing state of every tested pair is kept in bit rows;
// after an exchange only the pairs of the changed edges are tested again, several pairs at a
// time and, for tours of screen-sized coordinates, without dividing. The restarts of an
// iteration all begin from its start tour, whose table is kept and copied rather than built
// again. The list, the draws and the exchanges are those of a full rescan.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
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

// Several pairs of segments at a time; a comparison gives each lane all ones or all zeros.
typedef double Doubles2 __attribute__((vector_size(16)));
typedef std::int64_t Mask2 __attribute__((vector_size(16)));
typedef double Doubles4 __attribute__((vector_size(32)));
typedef std::int64_t Mask4 __attribute__((vector_size(32)));

template <class D, class M>
struct LaneOps {
  using Doubles = D;
  using Mask = M;
  static constexpr int kCount = sizeof(D) / sizeof(double);

  ROVANEL_LANES_INLINE static D load(const double* p) {
    D v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  ROVANEL_LANES_INLINE static D all(double d) { return D{} + d; }
  ROVANEL_LANES_INLINE static M all_bits(std::int64_t b) { return M{} + b; }
  ROVANEL_LANES_INLINE static D min(const D& a, const D& b) { return a < b ? a : b; }
  ROVANEL_LANES_INLINE static M load_mask(const std::int64_t* p) {
    M v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  ROVANEL_LANES_INLINE static std::uint64_t fold(const M& m) {
    std::int64_t b = 0;
    for (int k = 0; k < kCount; ++k) {
      b |= m[k];
    }
    return static_cast<std::uint64_t>(b);
  }
};

template <int kLanes>
using LanesOf = std::conditional_t<kLanes == 4, LaneOps<Doubles4, Mask4>, LaneOps<Doubles2, Mask2>>;

// The crossing test without its divisions, for moderate coordinates: each 0 or of magnitude
// 2^-100 .. 2^28, as a screen's are.
//
// The test crosses when c != 0 and the quotients a / c and b / c both round into (0, 1).
// Rounding is monotonic and keeps 0 and 1, so a rounded quotient in (0, 1) needs a strictly
// between 0 and c. Conversely, such an a is at most the double below |c| in magnitude, at most
// |c| (1 - 2^-53), so a / c rounds below 1; it rounds above 0 unless it is at most 2^-1075. With
// moderate coordinates every difference, product, a, b, c and c - a is a multiple of 2^-304
// (each rounding keeps that) and at most 2^61 in magnitude: a nonzero quotient is at least
// 2^-364, and "a strictly between 0 and c" is exactly a * (c - a) > 0 as computed (c - a has
// the sign of the true difference; the product, at least 2^-608 unless 0, neither underflows
// nor overflows). So this gives the test's result to the last case. a, b and c are formed as
// the test forms them.
template <class L, class D = typename L::Doubles>
ROVANEL_LANES_INLINE typename L::Mask crossing_moderate(const D& dx1, const D& dy1, const D& dx2,
                                                        const D& dy2, const D& wx, const D& wy) {
  const D a = dy2 * wx - wy * dx2;
  const D b = wy * dx1 - dy1 * wx;
  const D c = dy2 * dx1 - dy1 * dx2 + 0.00001;
  return L::min(a * (c - a), b * (c - b)) > 0.0;
}

// Entry k is bit k: lane k of the edges from edge i is marked with entry i + k.
constexpr auto kBit = [] {
  std::array<std::int64_t, kSlots + 4> bits{};  // room for four lanes past the last edge
  for (int k = 0; k < static_cast<int>(bits.size()); ++k) {
    bits[static_cast<std::size_t>(k)] = std::int64_t{1} << k;
  }
  return bits;
}();

constexpr bool is_moderate(double v) {
  const double m = v < 0 ? -v : v;
  return m == 0 || (m >= 0x1p-100 && m <= 0x1p28);
}

// The tour's edges and which tested pairs of them cross. Edge e runs from point e to point
// e + 1 (dx_, dy_ along it); the closing edge of a closed tour ends at point n, a copy of
// point 0. Edges i < j form a tested pair when j >= i + 2 and j < l; bit j of row i says
// whether they cross. Bits of a row outside its pairs may hold anything and are never read.
template <int kLanes>
class CrossingTable {
  using L = LanesOf<kLanes>;
  using D = typename L::Doubles;
  using Mask = typename L::Mask;

 public:
  // Whether this is the table of the tour in s, with l edges tested.
  ROVANEL_LANES_INLINE bool is_of(const TourState& s, int l) const {
    return n_ == s.n && l_ == l && std::memcmp(px_, &s.x[0], sizeof px_[0] * n_) == 0 &&
           std::memcmp(py_, &s.y[0], sizeof py_[0] * n_) == 0;
  }

  ROVANEL_LANES_INLINE void build(const TourState& s, int l) {
    n_ = s.n;
    l_ = l;
    moderate_ = true;
    for (int i = 0; i < n_; ++i) {
      px_[i] = s.x[i];
      py_[i] = s.y[i];
      moderate_ = moderate_ && is_moderate(px_[i]) && is_moderate(py_[i]);
    }
    px_[n_] = s.x[0];
    py_[n_] = s.y[0];
    for (int e = 0; e < n_; ++e) {
      measure_edge(e);
    }
    for (int i = 0; i < kRows; ++i) {
      later_[i] = i <= l_ - 3 ? bit_range(i + 2, l_ - 1) : 0;
    }
    for (int i = 0; i <= l_ - 3; ++i) {
      row_[i] = moderate_ ? crossed_later<true, 1>(i)[0] : crossed_later<false, 1>(i)[0];
    }
    find_busy_rows();
  }

  // Bit i for every edge i that crosses a later edge.
  ROVANEL_LANES_INLINE std::uint64_t rows_with_crossings() const { return busy_; }

  // The later edges that edge i crosses.
  ROVANEL_LANES_INLINE std::uint64_t row(int i) const { return row_[i] & later_[i]; }

  // Points p < q (never point 0) have changed places: test the pairs of their edges again.
  ROVANEL_LANES_INLINE void exchanged(int p, int q) {
    std::swap(px_[p], px_[q]);
    std::swap(py_[p], py_[q]);
    measure_edge(p - 1);
    measure_edge(p);
    measure_edge(q - 1);
    measure_edge(q);
    retest<2>(p - 1);
    if (q - 1 == p) {  // neighbours share edge p
      retest<1>(q);
    } else {
      retest<2>(q - 1);
    }
    find_busy_rows();
  }

 private:
  // Rows, and room for the lanes that run past the last one.
  static constexpr int kRows = kSlots + kLanes;

  ROVANEL_LANES_INLINE void measure_edge(int e) {
    dx_[e] = px_[e + 1] - px_[e];
    dy_[e] = py_[e + 1] - py_[e];
  }

  // Edges e .. e + kEdges - 1 against every edge they are tested with.
  template <int kEdges>
  ROVANEL_LANES_INLINE void retest(int e) {
    if (moderate_) {
      retest_earlier<true, kEdges>(e);
    } else {
      retest_earlier<false, kEdges>(e);
    }
    const auto later = moderate_ ? crossed_later<true, kEdges>(e) : crossed_later<false, kEdges>(e);
    for (int k = 0; k < kEdges; ++k) {
      row_[e + k] = later[k];
    }
  }

  ROVANEL_LANES_INLINE void find_busy_rows() {
    Mask busy{};
    for (int i = 0; i <= l_ - 3; i += kLanes) {
      busy |= L::load_mask(&kBit[i]) & ((load_rows(&row_[i]) & load_rows(&later_[i])) != 0);
    }
    busy_ = L::fold(busy);
  }

  ROVANEL_LANES_INLINE static Mask load_rows(const std::uint64_t* p) {
    Mask v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }

  template <bool kModerate>
  ROVANEL_LANES_INLINE static Mask crossing(const D& dx1, const D& dy1, const D& dx2, const D& dy2,
                                            const D& wx, const D& wy) {
    if constexpr (kModerate) {
      return crossing_moderate<L>(dx1, dy1, dx2, dy2, wx, wy);
    } else {
      return crossing_lanes(dx1, dy1, dx2, dy2, wx, wy);
    }
  }

  // The later edges that edges e .. e + kEdges - 1 are tested with and cross, in one pass.
  template <bool kModerate, int kEdges>
  ROVANEL_LANES_INLINE std::array<std::uint64_t, kEdges> crossed_later(int e) const {
    Mask found[kEdges] = {};
    for (int j = e + 2; j <= l_ - 1; j += kLanes) {
      for (int k = 0; k < kEdges; ++k) {
        found[k] |= L::load_mask(&kBit[j]) &
                    crossing<kModerate>(L::all(dx_[e + k]), L::all(dy_[e + k]), L::load(&dx_[j]),
                                        L::load(&dy_[j]), L::load(&px_[j + 1]) - px_[e + k],
                                        L::load(&py_[j + 1]) - py_[e + k]);
      }
    }
    std::array<std::uint64_t, kEdges> crossed;
    for (int k = 0; k < kEdges; ++k) {
      crossed[k] = L::fold(found[k]);
    }
    return crossed;
  }

  // The earlier edges tested with edges e .. e + kEdges - 1 against them, in one pass: their
  // bits e .. e + kEdges - 1 are written. The last lanes may write other rows' bits outside
  // their pairs.
  template <bool kModerate, int kEdges>
  ROVANEL_LANES_INLINE void retest_earlier(int e) {
    const Mask keep = L::all_bits(~static_cast<std::int64_t>(((1ULL << kEdges) - 1) << e));
    for (int i = 0; i <= e + kEdges - 3; i += kLanes) {
      Mask rows = load_rows(&row_[i]) & keep;
      for (int k = 0; k < kEdges; ++k) {
        rows |= L::all_bits(std::int64_t{1} << (e + k)) &
                crossing<kModerate>(L::load(&dx_[i]), L::load(&dy_[i]), L::all(dx_[e + k]),
                                    L::all(dy_[e + k]), px_[e + k + 1] - L::load(&px_[i]),
                                    py_[e + k + 1] - L::load(&py_[i]));
      }
      std::memcpy(&row_[i], &rows, sizeof rows);
    }
  }

  int n_ = 0;
  int l_ = 0;
  bool moderate_ = false;  // every coordinate moderate: the test without divisions applies
  // Room for the copy of point 0 and for the lanes that run past the last edge.
  double px_[kSlots + 1 + kLanes] = {};
  double py_[kSlots + 1 + kLanes] = {};
  double dx_[kSlots + kLanes] = {};
  double dy_[kSlots + kLanes] = {};
  std::uint64_t later_[kRows] = {};  // the later edges each edge is tested with
  std::uint64_t row_[kRows] = {};
  std::uint64_t busy_ = 0;
};

template <int kLanes>
struct CrossingTables {
  CrossingTable<kLanes> start;  // of the last start tour of an iteration
  CrossingTable<kLanes> work;   // of the tour being uncrossed
};

// Lists the first crossing pairs in the order of a scan by i, then j.
template <int kLanes>
ROVANEL_LANES_INLINE void list_crossings(Solver& s, const CrossingTable<kLanes>& table) {
  int listed = 0;
  for (std::uint64_t rows = table.rows_with_crossings(); rows != 0 && listed < kListSize;
       rows &= rows - 1) {
    const int i = std::countr_zero(rows);
    for (std::uint64_t bits = table.row(i); bits != 0 && listed < kListSize; bits &= bits - 1) {
      s.crossa[listed] = static_cast<std::int16_t>(i + 1);
      s.crossb[listed] = static_cast<std::int16_t>(std::countr_zero(bits));
      ++listed;
    }
  }
  s.ncross = static_cast<std::int16_t>(listed);
}

template <int kLanes>
ROVANEL_LANES_INLINE void remove_crossings(Solver& s, CrossingTables<kLanes>& tables) {
  const int l = s.type <= 0 ? s.n : s.n - 1;
  CrossingTable<kLanes>& table = tables.work;
  if (tables.start.is_of(s, l)) {
    table = tables.start;
  } else {
    table.build(s, l);
    // The start tour of the iteration, to which every restart returns.
    const bool at_start = std::memcmp(&s.x[0], &s.inix[0], sizeof(double) * s.n) == 0 &&
                          std::memcmp(&s.y[0], &s.iniy[0], sizeof(double) * s.n) == 0;
    if (at_start) {
      tables.start = table;
    }
  }
  for (std::int32_t exchanges = 0; exchanges < Solver::kMaxCrossingExchanges; ++exchanges) {
    list_crossings(s, table);
    if (s.ncross == 0) {
      return;
    }
    s.pick = s.draw_index(s.ncross);
    s.sj = s.crossb[s.pick];
    const std::int16_t first_end = s.crossa[s.pick];  // the first segment's end
    s.koukan(first_end, s.sj);
    table.exchanged(first_end, s.sj);
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Four lanes where the processor has AVX2.
__attribute__((target("avx2"))) void remove_crossings_wide(Solver& s, CrossingTables<4>& tables) {
  remove_crossings<4>(s, tables);
}
bool has_wide_lanes() {
  __builtin_cpu_init();  // this runs among the static initializers
  return __builtin_cpu_supports("avx2") != 0;
}
#else
void remove_crossings_wide(Solver& s, CrossingTables<4>& tables) {
  remove_crossings<4>(s, tables);
}
bool has_wide_lanes() {
  return false;
}
#endif

#undef ROVANEL_LANES_INLINE

}  // namespace

struct Solver::CrossingCache {
  CrossingTables<4> wide;
  CrossingTables<2> narrow;
};

bool Solver::wide_lanes = has_wide_lanes();

void Solver::majiwaruka() {
  if (!crossing_cache_) {
    crossing_cache_ = std::make_shared<CrossingCache>();
  }
  if (wide_lanes) {
    remove_crossings_wide(*this, crossing_cache_->wide);
  } else {
    remove_crossings<2>(*this, crossing_cache_->narrow);
  }
}

}  // namespace rovanel
