#pragma once
// The game's sine and cosine. Every angle the game plays with goes through
// these, never through the system's math library: the library's last bit
// differs between builds (glibc, the browser's libc, Windows), and one bit is
// enough to make a replay play a different game.
//
// The rule: no game folder calls the system's sin, cos, tan, atan, atan2, exp,
// log or pow (tests/system_math_test.sh holds it); sqrt, floor and the like
// are exact everywhere and may stay.
//
// Both functions use nothing but IEEE-754 double additions and
// multiplications (floating-point contraction off, no fast-math), so every
// build computes the same bits. For every argument the game can pass
// (world/trig_arguments.h) the result is the correctly rounded value, except
// for the arguments listed in world/trig_exceptions.inc, where the game has
// always had glibc's value (one unit in the last place from it) and keeps it.
// tests/trig_test.cpp checks all of that argument by argument.
//
// Accuracy elsewhere: well inside one unit in the last place for |x| < 2^30;
// beyond, the same on every build but not accurate (the game never goes there).

namespace trig {

double Sin(double x);
double Cos(double x);

}  // namespace trig
