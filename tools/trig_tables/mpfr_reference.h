#pragma once
// The correctly rounded sine or cosine of a double, by MPFR: the reference
// the game's trig::Sin and trig::Cos are held to (gen-trig-tables writes it,
// trig_test checks it).
#include <mpfr.h>

#include "world/trig_arguments.h"

namespace trig {

inline double CorrectlyRounded(Function f, double x) {
  mpfr_t a, r;
  mpfr_init2(a, 53);
  mpfr_init2(r, 53);
  mpfr_set_d(a, x, MPFR_RNDN);
  const int inexact = f == Function::kSin ? mpfr_sin(r, a, MPFR_RNDN) : mpfr_cos(r, a, MPFR_RNDN);
  mpfr_subnormalize(r, inexact, MPFR_RNDN);
  const double v = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clear(a);
  mpfr_clear(r);
  return v;
}

}  // namespace trig
