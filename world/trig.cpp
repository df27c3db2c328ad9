#include "world/trig.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

static_assert(FLT_EVAL_METHOD == 0, "doubles must be evaluated as doubles, not in a wider format");

namespace {

// ---- Double-double arithmetic: a value is hi + lo, |lo| <= ulp(hi) / 2 ----------------
// Only correctly rounded additions and multiplications, in an order the
// compiler may not change (no contraction, no reassociation).
struct Dd {
  double hi, lo;
};

Dd TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// |a| >= |b| or a == 0.
Dd FastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

void Split(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}

// a * b exactly, as a double-double.
Dd TwoProd(double a, double b) {
  const double p = a * b;
  double ah, al, bh, bl;
  Split(a, ah, al);
  Split(b, bh, bl);
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// Relative error below 3 * 2^-106 of the exact sum.
Dd Add(Dd a, Dd b) {
  Dd s = TwoSum(a.hi, b.hi);
  const Dd t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}

Dd Mul(Dd a, Dd b) {
  const Dd p = TwoProd(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// pi / 2 to 212 bits, as four doubles.
constexpr double kHalfPi[4] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110,
                               0x1.4cf98e804177dp-164};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// The Taylor coefficients, (-1)^j / (2j + 1)! and (-1)^j / (2j)! for j = 1..,
// each the double-double nearest to the exact fraction. With |r| <= pi / 4
// (a little more when the quadrant is a near tie) the first term left out is
// below 2^-110 of the result.
// clang-format off
constexpr Dd kSinTerms[] = {
    {-0x1.5555555555555p-3,  -0x1.5555555555555p-57},   // 1/3!
    { 0x1.1111111111111p-7,   0x1.1111111111111p-63},   // 1/5!
    {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},   // 1/7!
    { 0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},   // 1/9!
    {-0x1.ae64567f544e4p-26,  0x1.c062e06d1f209p-80},   // 1/11!
    { 0x1.6124613a86d09p-33,  0x1.f28e0cc748ebep-87},   // 1/13!
    {-0x1.ae7f3e733b81fp-41, -0x1.1d8656b0ee8cbp-97},   // 1/15!
    { 0x1.952c77030ad4ap-49,  0x1.ac981465ddc6cp-103},  // 1/17!
    {-0x1.2f49b46814157p-57, -0x1.2650f61dbdcb4p-112},  // 1/19!
    { 0x1.71b8ef6dcf572p-66, -0x1.d043ae40c4647p-120},  // 1/21!
    {-0x1.761b41316381ap-75,  0x1.3423c7d91404fp-130},  // 1/23!
    { 0x1.3f3ccdd165fa9p-84, -0x1.58ddadf344487p-139},  // 1/25!
    {-0x1.d1ab1c2dccea3p-94, -0x1.054d0c78aea14p-149},  // 1/27!
    { 0x1.259f98b4358adp-103, 0x1.eaf8c39dd9bc5p-157},  // 1/29!
};
constexpr Dd kCosTerms[] = {
    {-0x1.0000000000000p-1,   0.0},                     // 1/2!
    { 0x1.5555555555555p-5,   0x1.5555555555555p-59},   // 1/4!
    {-0x1.6c16c16c16c17p-10,  0x1.f49f49f49f49fp-65},   // 1/6!
    { 0x1.a01a01a01a01ap-16,  0x1.a01a01a01a01ap-76},   // 1/8!
    {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},   // 1/10!
    { 0x1.1eed8eff8d898p-29, -0x1.2aec959e14c06p-83},   // 1/12!
    {-0x1.93974a8c07c9dp-37, -0x1.05d6f8a2efd1fp-92},   // 1/14!
    { 0x1.ae7f3e733b81fp-45,  0x1.1d8656b0ee8cbp-101},  // 1/16!
    {-0x1.6827863b97d97p-53, -0x1.eec01221a8b0bp-107},  // 1/18!
    { 0x1.e542ba4020225p-62,  0x1.ea72b4afe3c2fp-120},  // 1/20!
    {-0x1.0ce396db7f853p-70,  0x1.aebcdbd20331cp-124},  // 1/22!
    { 0x1.f2cf01972f578p-80, -0x1.9ada5fcc1ab14p-135},  // 1/24!
    {-0x1.88e85fc6a4e5ap-89,  0x1.71c37ebd16540p-143},  // 1/26!
    { 0x1.0a18a2635085dp-98,  0x1.b9e2e28e1aa54p-153},  // 1/28!
    {-0x1.3932c5047d60ep-108,-0x1.832b7b530a627p-162},  // 1/30!
};
// clang-format on

// sum of terms[j] * r2^j for j = 0.., by Horner's rule.
template <size_t N>
Dd Series(const Dd (&terms)[N], Dd r2) {
  Dd sum = terms[N - 1];
  for (size_t j = N - 1; j-- > 0;) sum = Add(Mul(sum, r2), terms[j]);
  return sum;
}

// The same sums in plain doubles from term `first` on (the small tail).
template <size_t N>
double TailSeries(const Dd (&terms)[N], size_t first, double r2) {
  double sum = terms[N - 1].hi;
  for (size_t j = N - 1; j-- > first;) sum = sum * r2 + terms[j].hi;
  return sum;
}

// head + tail rounded to a double, when the error bound (that of the tail,
// a few units in its last place, and that of the head) cannot change the
// rounding; false when it could, and the full evaluation must decide.
bool RoundIfSure(Dd head, double tail, double& out) {
  const Dd v = Add(head, {tail, 0.0});
  const double error = std::fabs(tail) * 0x1p-50 + std::fabs(v.hi) * 0x1p-97;
  const double low = v.hi + (v.lo - error);
  const double high = v.hi + (v.lo + error);
  out = low;
  return low == high;
}

// sin r and cos r rounded to the nearest double. First the quick way: the
// terms up to r^5 (r^4) in double-double, the rest in doubles; for the few
// arguments whose value lies too near a rounding boundary for that, every
// term in double-double (relative error about 2^-100).
double SinOfReduced(Dd r) {
  const Dd r2 = Mul(r, r);
  const Dd r3 = Mul(r2, r);
  const Dd head = Add(r, Mul(r3, Add(kSinTerms[0], Mul(r2, kSinTerms[1]))));
  const double tail = r3.hi * r2.hi * r2.hi * TailSeries(kSinTerms, 2, r2.hi);
  double v;
  if (RoundIfSure(head, tail, v)) return v;
  const Dd full = Add(r, Mul(r3, Series(kSinTerms, r2)));
  return full.hi + full.lo;
}

double CosOfReduced(Dd r) {
  const Dd r2 = Mul(r, r);
  const Dd head = Add({1.0, 0.0}, Mul(r2, Add(kCosTerms[0], Mul(r2, kCosTerms[1]))));
  const double tail = r2.hi * r2.hi * r2.hi * TailSeries(kCosTerms, 2, r2.hi);
  double v;
  if (RoundIfSure(head, tail, v)) return v;
  const Dd full = Add({1.0, 0.0}, Mul(r2, Series(kCosTerms, r2)));
  return full.hi + full.lo;
}

// x = quadrant * pi / 2 + r with |r| about pi / 4 at most; quadrant mod 4.
int Reduce(double x, Dd& r) {
  if (std::fabs(x) > 0x1p30) x = std::fmod(x, 4 * kHalfPi[0]);  // exact, but not the true period
  const double k = std::floor(x * kTwoOverPi + 0.5);
  r = {x, 0.0};
  for (double part : kHalfPi) r = Add(r, TwoProd(-k, part));
  return int(int64_t(k) & 3);
}

// The arguments whose value the game keeps from glibc: {argument, value},
// sorted by argument, closed by an end mark that no finite argument reaches.
struct Kept {
  double x, value;
};
constexpr Kept kKeptSin[] = {
#define TRIG_SIN(x, value) {x, value},
#define TRIG_COS(x, value)
#include "world/trig_exceptions.inc"
#undef TRIG_SIN
#undef TRIG_COS
    {HUGE_VAL, 0.0},
};
constexpr Kept kKeptCos[] = {
#define TRIG_SIN(x, value)
#define TRIG_COS(x, value) {x, value},
#include "world/trig_exceptions.inc"
#undef TRIG_SIN
#undef TRIG_COS
    {HUGE_VAL, 0.0},
};

// The kept value for x, or the computed one.
template <size_t N>
double KeptOr(const Kept (&kept)[N], double x, double computed) {
  const Kept* end = kept + N - 1;
  const Kept* it = std::lower_bound(kept, end, x, [](const Kept& k, double v) { return k.x < v; });
  return it != end && it->x == x ? it->value : computed;
}

}  // namespace

namespace trig {

double Sin(double x) {
  if (x == 0 || !std::isfinite(x)) return x == 0 ? x : x - x;  // keeps -0; NaN for inf and NaN
  Dd r;
  const int quadrant = Reduce(x, r);
  double v;
  switch (quadrant) {
    case 0: v = SinOfReduced(r); break;
    case 1: v = CosOfReduced(r); break;
    case 2: v = -SinOfReduced(r); break;
    default: v = -CosOfReduced(r); break;
  }
  return KeptOr(kKeptSin, x, v);
}

double Cos(double x) {
  if (!std::isfinite(x)) return x - x;
  if (x == 0) return 1.0;
  Dd r;
  const int quadrant = Reduce(x, r);
  double v;
  switch (quadrant) {
    case 0: v = CosOfReduced(r); break;
    case 1: v = -SinOfReduced(r); break;
    case 2: v = -CosOfReduced(r); break;
    default: v = SinOfReduced(r); break;
  }
  return KeptOr(kKeptCos, x, v);
}

}  // namespace trig
