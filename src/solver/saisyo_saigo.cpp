// Which of the first two points starts an open path, which of the last two ends it.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::saisyo() {
  const double a = kyori(x[1], y[1], x[2], y[2]) + kyori(x[0], y[0], x[1], y[1]);
  const double b = kyori(x[0], y[0], x[2], y[2]) + kyori(x[1], y[1], x[0], y[0]);
  if (b < a) {
    koukan(0, 1);
    hantei();
    majiwaruka();
    hantei();
  }
}

void Solver::saigo() {
  const int p = n - 3;
  const int q = n - 2;
  const int r = n - 1;
  const double a = kyori(x[q], y[q], x[r], y[r]) + kyori(x[p], y[p], x[q], y[q]);
  const double b = kyori(x[r], y[r], x[q], y[q]) + kyori(x[p], y[p], x[r], y[r]);
  if (b < a) {
    koukan(static_cast<std::int16_t>(q), static_cast<std::int16_t>(r));
    hantei();
    majiwaruka();
    hantei();
  }
}

}  // namespace rovanel
