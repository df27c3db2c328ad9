// The formation table: every wave of stages 1..7 as groups of consecutive
// slots, the single-slot changes that follow the groups, and the explicit x
// lists written after them. Also the eight bosses.
//
// A field is a constant or a formula in k (the slot being written), H
// (hardMode) and E (easyMode); integer formulas are evaluated as integers and
// stored into the field's type.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/random.h"
#include "world/trig.h"
#include "world/world_state.h"

namespace formation {

using Formula = double (*)(int k, int H, int E);

// A field formula. Parameters may go unused.
#define F(expr) [](int k, int H, int E) -> double { return (expr); }

// A timer the formation leaves as the slot held it.
constexpr double kNotSet = -1.0e9;
// An x-list entry the formation does not write.
constexpr int16_t kKeep = INT16_MIN;
// Group x given by the wave's x list instead.
constexpr Formula kByList = nullptr;

// Staggered timers: 70k for k <= 4, else 70(k - 5).
inline double Stagger70(int k) { return k <= 4 ? 70 * k : 70 * (k - 5); }
// 10k for k <= 4, 10(k - 4) for k 5..8, not set above 8.
inline double Stagger10(int k) { return k <= 4 ? 10 * k : k <= 8 ? 10 * (k - 4) : kNotSet; }
// The arc around slot 0 (read after slot 0 has been written).
inline double ArcX(int k) { return enemyX[0] + 110 * trig::Sin(0.2 * k); }
inline double ArcY(int k) { return enemyY[0] + 110 * trig::Cos(0.2 * k); }

// y of wave 8's eight slots: a shallow V.
constexpr int16_t kWave8Y[8] = {-120, -100, -80, -60, -60, -80, -100, -120};

struct Group {
  uint8_t wave;
  uint8_t first, last;  // slots
  uint8_t kind;
  float scale;
  Formula hp;
  int16_t score;
  Formula shots;
  Formula x;  // kByList: the wave's x list
  Formula y;
  Formula timer;
  uint8_t carrier;
  uint8_t state;
  Formula paramA = nullptr;  // written after the state when set
  Formula paramB = nullptr;
};

// clang-format off
constexpr Group kGroups[] = {
  // {wave, first slot, last slot, kind, scale, hp, score, shots, x, y, timer, carrier, state[, paramA, paramB]}
  {  1,  0,  4, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(60),                 F(-100 - 40 * k),         F(0),                                  0, 1},
  {  1,  5,  9, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(250),                F(-170 - 40 * k),         F(0),                                  0, 1},
  {  1, 10, 14, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(60),                 F(-240 - 40 * k),         F(0),                                  0, 1},
  {  1, 15, 19, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(250),                F(-310 - 40 * k),         F(0),                                  0, 1},
  {  2,  0,  1, 0, 2, F(10 - 3 * E),            400, F(3 + H - E),                       F(50 + 150 * k),       F(-80 - 50 * k),          F(0),                                  0, 1},
  {  3,  0,  1, 0, 2, F(10 - 3 * E),            400, F(3 + H - E),                       F(130 - 90 * k),       F(-80 - 50 * k),          F(0),                                  0, 1},
  {  4,  0,  1, 0, 2, F(10 - 3 * E),            400, F(3 + H - E),                       F(150 + 80 * k),       F(-80 - 50 * k),          F(0),                                  0, 1},
  {  5,  0, 12, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(400 + 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  {  6,  0, 12, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(-50 - 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  {  7,  0,  0, 0, 4, F(35 + 3 * H - 10 * E),  2000, F(6 + 2 * H - 2 * E),               F(70),                 F(-200),                  F(0),                                  0, 1},
  {  8,  0,  7, 0, 1, F(2 + 3 * H - E),         200, F(0),                               F(2 + 41 * k),         F(kWave8Y[k]),            F(0),                                  0, 1},
  {  8,  8,  8, 2, 1, F(12 - 4 * E),            200, F(0),                               F(146),                F(-140),                  F(0),                                  1, 1},
  {  9,  0,  9, 1, 1, F(3 + 2 * H - E),         500, F(0),                               kByList,               F(-90 - 80 * k),          F(Stagger70(k)),                       0, 1},
  { 10,  0,  8, 0, 1, F(3 + 2 * H - E),         300, F(1 + 2 * H),                       kByList,               F(-90 - 110 * k),         F(Stagger10(k)),                       0, 1},
  { 11,  0, 10, 1, 1, F(2),                     200, F(E ? k % 2 : 1 + H),               F(400 + 45 * k),       F(65 + 20 * k),           F(0),                                  0, 1},
  { 12,  0,  1, 1, 2, F(7 + 3 * H - 2 * E),    1500, F(0),                               kByList,               F(-120),                  F(0),                                  0, 1},
  { 13,  0, 10, 1, 1, F(2),                     200, F(E ? k % 2 : 1 + H),               F(-50 - 45 * k),       F(65 + 20 * k),           F(0),                                  0, 1},
  { 14,  0,  0, 0, 4, F(35 + 5 * H - 10 * E),  2500, F(7 + 2 * H - 2 * E),               F(70),                 F(-200),                  F(0),                                  0, 1},
  { 15,  0,  7, 1, 1, F(5 - 2 * E),             400, F(E ? k % 2 : 1 + H),               kByList,               F(-70 - 80 * k),          F(10 * k),                             0, 1},
  { 16,  0, 12, 0, 1, F(1),                     100, F(E ? k % 2 : 1 + H),               F(-50 - 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  { 17,  0,  9, 1, 1, F(3 + 2 * H - E),         500, F(0),                               kByList,               F(-90 - 80 * k),          F(Stagger70(k)),                       0, 1},
  { 20,  0,  9, 0, 1, F(1),                     100, F(0),                               F(-90 - 40 * k),       F(-30 - 8 * k),           F(0),                                  0, 1},
  { 21,  0, 10, 1, 1, F(4 - 2 * E),             500, F(E ? k % 2 : 1 + 2 * H),           kByList,               F(-90 - 80 * k),          F(Stagger70(k)),                       0, 1},
  { 22,  0,  4, 1, 1, F(45),                    400, F(0),                               kByList,               F(-30 - 50 * k),          F(0),                                  0, 1},
  { 23,  0,  5, 0, 1, F(1),                     100, F(E ? 1 : 1 + (k % 2) + 2 * H),     F(400 + 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  { 23,  6, 10, 0, 1, F(1),                     100, F(E ? 1 : 1 + (k % 2) + 2 * H),     F(175 - 45 * k),       F(30 - 10 * k),           F(0),                                  0, 1},
  { 24,  0,  1, 4, 2, F(12 + 5 * H - 4 * E),    800, F(1),                               F(130 + 100 * k),      F(-80 - 50 * k),          F(20),                                 0, 1},
  { 25,  0,  6, 1, 1, F(2 + H),                 200, F(E ? k % 2 : 1 + H),               F(400 + 45 * k),       F(65 + 20 * k),           F(0),                                  0, 1},
  { 25,  7, 12, 1, 1, F(2 + H),                 200, F(E ? k % 2 : 1 + H),               F(220 - 45 * k),       F(-55 + 20 * k),          F(0),                                  0, 1},
  { 26,  0,  0, 0, 4, F(38 + 3 * H - 10 * E),  3000, F(8 + 2 * H - 2 * E),               F(70),                 F(-200),                  F(0),                                  0, 1},
  { 27,  0, 13, 4, 1, F(2 + 2 * H - E),         400, F(1),                               kByList,               F(-90 - 80 * k),          F(0),                                  0, 1},
  { 28,  0,  1, 0, 2, F(10 - 2 * E),            400, F(4 + H - E),                       F(150 + 80 * k),       F(-80 - 50 * k),          F(0),                                  0, 1},
  { 29,  0,  1, 0, 2, F(10 - 2 * E),            400, F(4 + H - E),                       F(40 + 90 * k),        F(-80 - 50 * k),          F(0),                                  0, 1},
  { 30,  0,  1, 0, 2, F(10 - 2 * E),            400, F(4 + H - E),                       F(200 - 150 * k),      F(-80 - 50 * k),          F(0),                                  0, 1},
  { 31,  0,  4, 1, 1, F(45 - 10 * E),           300, F(0),                               F(40),                 F(-50 - 55 * k),          F(0),                                  0, 1},
  { 32,  0,  4, 1, 1, F(45),                    300, F(0),                               F(240),                F(-50 - 55 * k),          F(0),                                  0, 1},
  { 33,  0,  0, 6, 2, F(60 + 12 * H),          3000, F(0),                               F(120),                F(-100),                  F(0),                                  0, 1},
  { 34,  0,  0, 2, 1, F(12 + 6 * H - 3 * E),    200, F(0),                               F(135),                F(-180),                  F(0),                                  1, 1},
  { 34,  1,  9, 0, 1, F(4 + H - 2 * E),         200, F(0),                               F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 35,  0,  9, 0, 1, F(1),                     100, F(0),                               F(390 + 40 * k),       F(-30 - 8 * k),           F(0),                                  0, 1},
  { 36,  0,  4, 1, 1, F(45),                    300, F(0),                               F(50 + 40 * k),        F(-50 - 15 * k),          F(0),                                  0, 1},
  { 37,  0, 15, 4, 1, F(2 + 2 * H - E),         400, F(1),                               kByList,               F(-90 - 80 * k),          F(0),                                  0, 1},
  { 38,  0,  4, 1, 1, F(45),                    400, F(0),                               kByList,               F(-30 - 50 * k),          F(0),                                  0, 1},
  { 39,  0, 10, 1, 1, F(4 - E),                 500, F(E ? k % 2 : 1 + 2 * H),           kByList,               F(-90 - 80 * k),          F(Stagger70(k)),                       0, 1},
  { 40,  0,  4, 0, 1, F(1 + H),                 100, F(E ? 1 : 1 + (k % 2) + H),         F(250),                F(-100 - 40 * k),         F(0),                                  0, 1},
  { 40,  5,  9, 0, 1, F(1 + H),                 100, F(E ? 1 : 1 + (k % 2) + H),         F(60),                 F(-170 - 40 * k),         F(0),                                  0, 1},
  { 40, 10, 14, 0, 1, F(1 + H),                 100, F(E ? 1 : 1 + (k % 2) + H),         F(250),                F(-240 - 40 * k),         F(0),                                  0, 1},
  { 40, 15, 19, 0, 1, F(1 + H),                 100, F(E ? 1 : 1 + (k % 2) + H),         F(60),                 F(-310 - 40 * k),         F(0),                                  0, 1},
  { 41,  0,  8, 1, 1, F(5 - E),                 400, F(E ? k % 2 : 1 + (k % 2) + H),     kByList,               F(-70 - 80 * k),          F(12 * k),                             0, 1},
  { 42,  0,  0, 0, 1, F(0),                       0, F(0),                               F(145),                F(-180),                  F(0),                                  0, 0},
  { 42,  1,  9, 0, 1, F(6 + 5 * H - 3 * E),     200, F(0),                               F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 43,  0,  0, 0, 4, F(42 + 3 * H - 10 * E),  3000, F(7 + 3 * H - 2 * E),               F(95),                 F(-200),                  F(0),                                  0, 1},
  { 44,  0, 17, 4, 1, F(4 - 2 * E),             500, F(1),                               kByList,               F(-90 - 70 * k),          F(0),                                  0, 1},
  { 45,  0, 12, 0, 1, F(1 + H),                 100, F(E ? 1 : 1 + (k % 2) + 2 * H),     F(-50 - 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  { 46,  0,  4, 1, 1, F(45),                    300, F(0),                               F(240),                F(-50 - 55 * k),          F(0),                                  0, 1},
  { 46,  5,  9, 1, 1, F(45),                    300, F(0),                               F(40),                 F(225 - 55 * k),          F(0),                                  0, 1},
  { 47,  0,  0, 4, 4, F(70 - 30 * E),          4000, F(1 + H - E),                       F(175),                F(-180),                  F(8),                                  0, 1},
  { 48,  0, 10, 0, 1, F(5),                     300, F(E ? k % 2 : 1 + H),               F(20),                 F(-90 - 45 * k),          F(0),                                  0, 1},
  { 49,  0, 25, 7, 1, F(1 + H),                 200, F(0),                               kByList,               F(-90 - 75 * k),          F(0),                                  0, 1},
  { 50,  0,  1, 0, 4, F(36 + 2 * H - 6 * E),   2000, F(6 + 2 * H - E),                   F(10 + 165 * k),       F(-200),                  F(21 * k),                             0, 1},
  { 51,  0, 14, 1, 1, F(2 - E),                 400, F(2 + H - E),                       kByList,               F(-90 - 62 * k),          F(0),                                  0, 1},
  { 52,  0,  1, 4, 2, F(15 + 3 * H - 5 * E),    800, F(1),                               F(130 + 100 * k),      F(-80 - 50 * k),          F(15),                                 0, 1},
  { 53,  0,  8, 0, 1, F(3 - 2 * E),             200, F(E ? k % 2 : 1 + H),               F(50),                 F(500 + 30 * k),          F(0),                                  0, 1},
  { 54,  0,  1, 1, 2, F(7 + 3 * H - 2 * E),    1500, F(2 + H - E),                       kByList,               F(-120),                  F(0),                                  0, 1},
  { 55,  0, 25, 7, 1, F(1 + 2 * H),             200, F(0),                               kByList,               F(-90 - 75 * k),          F(0),                                  0, 1},
  { 56,  0,  0, 0, 1, F(0),                       0, F(0),                               F(145),                F(-180),                  F(0),                                  0, 0},
  { 56,  1,  9, 0, 1, F(6 + 5 * H - 2 * E),     200, F(0),                               F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 57,  0, 25, 7, 1, F(1 + 2 * H),             200, F(0),                               kByList,               F(-90 - 75 * k),          F(0),                                  0, 1},
  { 60,  0, 13, 0, 1, F(1),                     100, F((k % 2) + H),                     F(-90 - 40 * k),       F(-30 - 8 * k),           F(0),                                  0, 1},
  { 61,  0,  0, 0, 1, F(0),                       0, F(0),                               F(145),                F(-170),                  F(0),                                  0, 0},
  { 61,  1,  9, 0, 1, F(6 + 2 * H - 2 * E),     200, F((k % 2) + H),                     F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 62,  0,  7, 0, 1, F(5 + H),                 400, F(1 + 2 * H),                       kByList,               F(-70 - 88 * k),          F(4 * k),                              0, 1},
  { 63,  0,  0, 4, 4, F(60 + 10 * H - 15 * E), 4000, F(1 + H - E),                       F(25),                 F(-180),                  F(4),                                  0, 1},
  { 64,  0, 10, 1, 1, F(5 - 2 * E),             500, F(1 + 2 * H),                       kByList,               F(-90 - 80 * k),          F(Stagger70(k)),                       0, 1},
  { 65,  0, 11, 0, 1, F(4 - 2 * E),             300, F(1 + H),                           F(65),                 F(500 + 30 * k),          F(0),                                  0, 1},
  { 66,  0,  2, 6, 1, F(36 + 3 * H - 11 * E),  1000, F(1),                               F(50 + 120 * k),       F(-100 - 30 * k),         F(4 * k),                              0, 1},
  { 67,  0, 10, 0, 1, F(2 - E),                 500, F(2 + H - E + H * (k % 2)),         F(-50 - 80 * k),       F(20 + RandomBelow(145)), F(70 + (k/2) + RandomBelow(30)),       0, 1},
  { 68,  0, 14, 1, 1, F(2 + H),                 400, F(3 + H - E),                       kByList,               F(-90 - 62 * k),          F(0),                                  0, 1},
  { 69,  0,  6, 1, 1, F(3),                     200, F(2 + 2 * H - E * (k % 2)),         F(400 + 45 * k),       F(65 + 20 * k),           F(0),                                  0, 1},
  { 69,  7, 12, 1, 1, F(3),                     200, F(2 + 2 * H - E * (k % 2)),         F(210 - 45 * k),       F(-55 + 20 * k),          F(0),                                  0, 1},
  { 70,  0, 25, 7, 1, F(1 + 2 * H),             200, F(0),                               kByList,               F(-90 - 75 * k),          F(0),                                  0, 1},
  { 71,  0,  0, 0, 1, F(12 - 2 * E),            200, F(2 + H - E),                       F(135),                F(-180),                  F(0),                                  0, 1},
  { 71,  1,  9, 0, 1, F(4 + H),                 200, F(E ? k % 2 : 1 + H * (k % 2)),     F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 72,  0,  4, 1, 1, F(45),                    300, F(0),                               F(400),                F(10 + 50 * k),           F(0),                                  0, 1},
  { 72,  5,  9, 1, 1, F(45),                    300, F(0),                               F(-50),                F(-240 + 50 * k),         F(0),                                  0, 1},
  { 73,  0, 10, 0, 1, F(2 - E),                 500, F(2 + H - E + H * (k % 2)),         F(400 + 80 * k),       F(20 + RandomBelow(145)), F(70 + (k/2) + RandomBelow(30)),       0, 1},
  { 74,  0, 12, 0, 1, F(1),                     100, F(1 + (k % 2) + H),                 F(400 + 45 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  { 75,  0,  8, 1, 1, F(6 - E),                 400, F(2 + H),                           kByList,               F(-70 - 80 * k),          F(12 * k),                             0, 1},
  { 80,  0, 12, 0, 1, F(5 + H - E),             300, F(1 + H),                           F(20),                 F(-90 - 47 * k),          F(0),                                  0, 1},
  { 81,  0, 14, 4, 1, F(4),                     500, F(1 + H),                           kByList,               F(-90 - 70 * k),          F(0),                                  0, 1},
  { 82,  0, 10, 0, 1, F(2 + H),                 500, F(2 + (k % 2) + 2 * H - E),         kByList,               F(-50 - 65 * k),          F(70 + (k/2) + RandomBelow(30)),       0, 1},
  { 83,  0,  4, 1, 1, F(45),                    300, F((k % 2) + H),                     F(390),                F(10 + 42 * k),           F(0),                                  0, 1},
  { 83,  5,  9, 1, 1, F(45),                    300, F((k % 2) + H),                     F(-50),                F(-200 + 42 * k),         F(0),                                  0, 1},
  { 84,  0, 24, 7, 1, F(1 + H),                 200, F(0),                               F(-5 + 330 * (k % 2)), F(-90 - 28 * k),          F(0),                                  0, 1},
  { 85,  0,  8, 0, 1, F(6),                     400, F(1 + 2 * H),                       kByList,               F(-90 - 94 * k),          F(4 * k),                              0, 1},
  { 86,  0,  1, 8, 2, F(15 + 3 * H - 3 * E),    800, F(2 + H - E),                       kByList,               F(-90 - 20 * k),          F(4 * k),                              0, 1},
  { 87,  0,  1, 1, 2, F(6 + 4 * H - E),        2000, F(3 + 2 * H - E),                   kByList,               F(-120),                  F(0),                                  0, 1},
  { 88,  0,  7, 0, 1, F(3 - 2 * E),             500, F(1 + (k % 2) + 2 * H),             F(-50 - 80 * k),       F(20 + RandomBelow(145)), F(70 + (k/2) + RandomBelow(30)),       0, 1},
  { 88,  8, 15, 0, 1, F(3 - 2 * E),             500, F(1 + (k % 2) + 2 * H),             F(-250 + 80 * k),      F(40 + RandomBelow(135)), F(70 + ((k - 8)/2) + RandomBelow(30)), 0, 1},
  { 89,  0,  7, 0, 1, F(1),                     100, F(E ? 1 : 1 + (k % 2) + 2 * H),     F(400 + 52 * k),       F(-20 - 10 * k),          F(0),                                  0, 1},
  { 89,  8, 15, 0, 1, F(1),                     100, F(E ? 1 : 1 + (k % 2) + 2 * H),     F(210 - 52 * k),       F(30 - 10 * k),           F(0),                                  0, 1},
  { 90,  0,  1, 0, 4, F(36 + 4 * H - 6 * E),   2000, F(5 + 2 * H - E),                   F(10 + 165 * k),       F(-200),                  F(0),                                  0, 1},
  { 91,  0,  0, 0, 1, F(0),                       0, F(0),                               F(145),                F(-170),                  F(0),                                  0, 0},
  { 91,  1,  9, 0, 1, F(6 - 2 * E),             200, F(1 + H),                           F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  { 92,  0, 13, 0, 1, F(1),                     100, F((k % 2) + H),                     F(-90 - 40 * k),       F(-30 - 8 * k),           F(0),                                  0, 1},
  { 93,  0,  6, 8, 2, F(8 + 2 * H - 2 * E),    1200, F(1),                               kByList,               F(-90 - 190 * k),         F(0),                                  0, 1},
  { 94,  0,  0, 4, 4, F(65 + 5 * H - 15 * E),  4000, F(2 + H - E),                       F(145),                F(-180),                  F(4),                                  0, 1},
  { 95,  0, 10, 1, 1, F(5 - 2 * E),             400, F(1 + 2 * H),                       kByList,               F(-70 - 80 * k),          F(12 * k),                             0, 1},
  { 96,  0, 12, 0, 1, F(5 + H - E),             300, F(1 + 2 * H),                       F(20),                 F(-90 - 47 * k),          F(0),                                  0, 1},
  { 97,  0, 25, 7, 1, F(1 + H),                 200, F(0),                               kByList,               F(-90 - 75 * k),          F(0),                                  0, 1},
  {100,  0,  4, 0, 1, F(1),                     100, F(E ? 1 + (k % 2) : 2 + H),         F(60),                 F(-100 - 40 * k),         F(0),                                  0, 1},
  {100,  5,  9, 0, 1, F(1),                     100, F(E ? 1 + (k % 2) : 2 + H),         F(250),                F(-195 - 40 * k),         F(0),                                  0, 1},
  {100, 10, 14, 0, 1, F(1),                     100, F(E ? 1 + (k % 2) : 2 + H),         F(60),                 F(-290 - 40 * k),         F(0),                                  0, 1},
  {100, 15, 19, 0, 1, F(1),                     100, F(E ? 1 + (k % 2) : 2 + H),         F(250),                F(-385 - 40 * k),         F(0),                                  0, 1},
  {101,  0, 10, 1, 1, F(7 + 3 * H - 3 * E),     400, F(1 + (k % 2) + 2 * H),             kByList,               F(-70 - 70 * k),          F(12 * k),                             0, 1},
  {102,  0,  1, 6, 1, F(11 + 4 * H - 3 * E),   1500, F(1 + H),                           F(50 + 170 * (k % 2)), F(-70 - 40 * k),          F(30 * (k % 2)),                       0, 1, F(6.5 + 0.5 * H), F(6.5 + 0.5 * H)},
  {103,  0, 14, 4, 1, F(4),                     500, F(E ? k % 2 : 1 + H + H * (k % 2)), kByList,               F(-90 - 70 * k),          F(0),                                  0, 1},
  {104,  0,  7, 0, 1, F(3 - E),                 500, F(E ? 1 + (k % 2) : 2 + 2 * H),     F(-50 - 80 * k),       F(20 + RandomBelow(145)), F(70 + (k/2) + RandomBelow(30)),       0, 1},
  {104,  8, 15, 0, 1, F(3 - E),                 500, F(E ? 1 + (k % 2) : 2 + 2 * H),     F(-250 + 80 * k),      F(40 + RandomBelow(135)), F(70 + ((k - 8)/2) + RandomBelow(30)), 0, 1},
  {105,  0,  1, 1, 2, F(6 + 4 * H - E),        2000, F(3 + 2 * H - E),                   kByList,               F(-120),                  F(0),                                  0, 1},
  {106,  0,  2, 8, 2, F(15 + 3 * H - 3 * E),    800, F(E ? 1 : 1 + (k % 2) + H),         kByList,               F(-90 - 20 * k),          F(4 * k),                              0, 1},
  {107,  0, 25, 7, 1, F(1 + H),                 200, F(E ? 0 : (k % 2) + H),             kByList,               F(-90 - 80 * k),          F(0),                                  0, 1},
  {108,  0, 10, 0, 1, F(3 + H - E),             200, F(E ? 2 : 2 + (k % 2) + H),         F(60),                 F(500 + 30 * k),          F(0),                                  0, 1},
  {109,  0,  0, 5, 4, F(75 + 5 * H - 5 * E),   4000, F(2 + H),                           F(25),                 F(-175),                  F(4),                                  1, 1},
  {110,  0, 12, 0, 1, F(3 - E),                 500, F(E ? 2 : 2 + (k % 2) + 2 * H),     kByList,               F(-50 - 68 * k),          F(74 + (k/2) + RandomBelow(30)),       0, 1},
  {111,  0,  4, 1, 1, F(45),                    300, F(1 + H * (k % 2)),                 F(390),                F(10 + 42 * k),           F(0),                                  0, 1},
  {111,  5,  9, 1, 1, F(45),                    300, F(1 + H * (k % 2)),                 F(-50),                F(-200 + 42 * k),         F(0),                                  0, 1},
  {112,  0, 12, 0, 1, F(9 + (k % 3) + 2 * H),   300, F(1 + H),                           kByList,               F(-90 - 100 * k),         F(Stagger10(k)),                       0, 1},
  {113,  0, 14, 1, 1, F(2 + H),                 500, F(3 + H - E),                       kByList,               F(-90 - 62 * k),          F(0),                                  0, 1},
  {114,  0, 12, 0, 1, F(5 + H - E),             300, F(1 + H),                           F(20),                 F(-90 - 47 * k),          F(0),                                  0, 1},
  {115,  0, 10, 1, 1, F(7 - 3 * E),             400, F(1 + (k % 2) + 2 * H),             kByList,               F(-70 - 70 * k),          F(12 * k),                             0, 1},
  {120,  0, 12, 0, 1, F(5 - E),                 300, F(1 + (k % 2) + 2 * H),             F(20),                 F(-90 - 50 * k),          F(0),                                  0, 1},
  {121,  0,  8, 8, 2, F(8 + 2 * H),            1200, F(2 + (k % 2) + H - E),             kByList,               F(-90 - 175 * k),         F(0),                                  0, 1},
  {122,  0,  1, 1, 2, F(8 + H - 2 * E),        2000, F(3 + 3 * H - E),                   kByList,               F(-120),                  F(0),                                  0, 1},
  {123,  0, 18, 4, 1, F(4),                     500, F(2 + (k % 2) + H - E),             kByList,               F(-90 - 60 * k),          F(0),                                  0, 1},
  {124,  0,  0, 0, 1, F(0),                       0, F(0),                               F(145),                F(-190),                  F(0),                                  0, 0},
  {124,  1,  9, 0, 1, F(6 - 2 * E),             200, F(1 + H),                           F(ArcX(k)),            F(ArcY(k)),               F(0),                                  0, 1},
  {125,  0, 24, 7, 1, F(1 + H),                 200, F(1 + H),                           F(-5 + 330 * (k % 2)), F(-90 - 28 * k),          F(0),                                  0, 1},
  {126,  0,  0, 4, 4, F(80 + 4 * H - 10 * E),  4000, F(2 + 2 * H),                       F(25),                 F(-175),                  F(4),                                  0, 1},
  {127,  0,  8, 0, 1, F(3 - E),                 500, F(E ? 2 : 2 + (k % 2) + H),         F(-60 - 75 * k),       F(20 + RandomBelow(145)), F(70 + (k/2) + RandomBelow(30)),       0, 1},
  {127,  9, 17, 0, 1, F(3 - E),                 500, F(E ? 2 : 2 + (k % 2) + H),         F(-200 + 75 * k),      F(40 + RandomBelow(135)), F(70 + ((k - 8)/2) + RandomBelow(30)), 0, 1},
  {128,  0,  1, 6, 1, F(13 + 5 * H - 3 * E),   1500, F(2 + H),                           F(20 + 250 * (k % 2)), F(-70 - 40 * k),          F(30 * (k % 2)),                       0, 1, F(k % 2 ? 6.5 + 0.5 * H : -7), nullptr},
  {129,  0,  1, 8, 2, F(13 + 5 * H - 3 * E),    800, F(1 + H),                           kByList,               F(-210),                  F(4 * k),                              0, 1},
  {129,  2,  2, 0, 3, F(40 + 5 * H - 15 * E),  3000, F(5 + 2 * H - 2 * E),               F(98),                 F(-200),                  F(12),                                 0, 1},
  {130,  0, 14, 1, 1, F(2),                     500, F(3 - E + H * (k % 2)),             kByList,               F(-90 - 62 * k),          F(0),                                  0, 1},
  {131,  0, 13, 0, 1, F(1),                     100, F(1 + H),                           F(-90 - 40 * k),       F(-30 - 8 * k),           F(0),                                  0, 1},
  {132,  0, 12, 0, 1, F(10 + (k % 2) + 2 * H),  300, F(1 + H),                           kByList,               F(-90 - 100 * k),         F(Stagger10(k)),                       0, 1},
  {133,  0,  4, 1, 1, F(45),                    300, F(E ? 1 : 1 + (k % 2) + H),         F(390),                F(10 + 42 * k),           F(0),                                  0, 1},
  {133,  5,  9, 1, 1, F(45),                    300, F(E ? 1 : 1 + (k % 2) + H),         F(-50),                F(-200 + 42 * k),         F(0),                                  0, 1},
  {134,  0, 25, 7, 1, F(1 + H),                 200, F(1 + H),                           kByList,               F(-90 - 80 * k),          F(0),                                  0, 1},
  {135,  0, 10, 1, 1, F(7 + 3 * H - 3 * E),     400, F(2 + 2 * H),                       kByList,               F(-70 - 70 * k),          F(12 * k),                             0, 1},
};
// clang-format on

enum NoteWhen : uint8_t { kAlways, kEasyOnly, kStageFour };

// A single slot changed after the groups: always, in easy mode only, or only
// while stageNo is 4. A null hp or shots leaves that field as the group wrote it.
struct SlotNote {
  uint8_t wave;
  uint8_t slot;
  NoteWhen when;
  uint8_t carrier;
  uint8_t kind;
  Formula hp;
  Formula shots;
};

// clang-format off
constexpr SlotNote kNotes[] = {
  // {wave, slot, when, carrier, kind, hp, shots}
  { 11,  6, kAlways,    1, 3,     F(6 - 2 * E),             nullptr},
  { 15,  4, kEasyOnly,  1, 3,     F(5),                     nullptr},
  { 21,  7, kAlways,    1, 3,     F(8 - 3 * E),             nullptr},
  { 27,  9, kAlways,    1, 5,     F(5),                     nullptr},
  { 39,  9, kEasyOnly,  1, 3,     F(5),                     nullptr},
  { 41,  5, kAlways,    1, 3,     F(9 - 3 * E),             nullptr},
  { 48,  3, kAlways,    1, 2,     F(12 - 4 * E),            nullptr},
  { 54,  1, kAlways,    1, 3,     F(9 + 2 * H - 3 * E),     F(3 + H - E)},
  { 57, 12, kEasyOnly,  1, 3,     nullptr,                  nullptr},
  { 61,  3, kStageFour, 1, 2,     F(14 - 5 * E),            nullptr},
  { 68,  6, kAlways,    1, 3,     F(6 - 2 * E),             nullptr},
  { 74,  8, kAlways,    1, 2,     F(4 - 2 * E),             nullptr},
  { 82,  6, kAlways,    1, 2,     F(5 + H - E),             nullptr},
  { 85,  6, kAlways,    1, 2,     F(8),                     F(2 + 2 * H)},
  { 89,  4, kAlways,    1, 2,     F(2),                     nullptr},
  {101,  6, kAlways,    1, 3,     F(10),                    F(2 + 2 * H)},
  {104, 10, kAlways,    1, 2,     nullptr,                  F(3 - E)},
  {111,  0, kEasyOnly,  1, 3,     nullptr,                  nullptr},
  {113,  8, kAlways,    1, 3,     F(5),                     nullptr},
  {121,  5, kAlways,    1, 5,     F(11 + 3 * H),            F(3 + H)},
  {124,  6, kAlways,    1, 2,     F(14),                    nullptr},
  {130, 11, kAlways,    1, 3,     F(5 - E),                 nullptr},
  {132,  6, kAlways,    1, 2,     F(14),                    nullptr},
  {134, 14, kAlways,    1, 3,     F(2 + H),                 F(2 + H)},
};
// clang-format on

constexpr int kMaxListLength = kEnemySlots;

struct XList {
  uint8_t wave;
  uint8_t count;
  int16_t x[kMaxListLength];
};

template <size_t N>
constexpr XList MakeXList(uint8_t wave, const int16_t (&xs)[N]) {
  static_assert(N <= kMaxListLength, "an x list names at most the 26 enemy slots");
  XList list{wave, uint8_t(N), {}};
  for (size_t i = 0; i < N; ++i) list.x[i] = xs[i];
  return list;
}

// clang-format off
constexpr XList kXLists[] = {
  MakeXList(  9, {55, 160, 190, 210, 110, kKeep, 110, 135, 180, 145, 75}),
  MakeXList( 10, {80, 220, 120, 150, 50, kKeep, 240, 200, 110}),
  MakeXList( 12, {115, 175}),
  MakeXList( 15, {90, 250, 130, 190, 260, 160, 250, 140}),
  MakeXList( 17, {80, 170, 200, 150, 130, kKeep, 150, 95, 200, 175, 100}),
  MakeXList( 21, {145, 190, 270, 220, 235, kKeep, 240, 95, 180, 260, 240}),
  MakeXList( 22, {40, 90, 140, 190, 240}),
  MakeXList( 27, {55, 160, 280, 210, 100, kKeep, 210, 35, 90, 175, 75, 200, 25, 260}),
  MakeXList( 37, {200, 10, 50, 290, 170, kKeep, 70, 235, 310, 25, 50, 320, 310, 40, 265, 150}),
  MakeXList( 38, {240, 190, 140, 90, 40}),
  MakeXList( 39, {195, 220, 270, 180, 235, kKeep, 240, 95, 150, 200, 170}),
  MakeXList( 41, {195, 80, 95, 160, 225, 60, 260, 75, 180}),
  MakeXList( 44, {250, 50, 10, 20, 270, kKeep, 270, 235, 310, 125, 150, 320, 310, 40, 5, 175, 20, 110}),
  MakeXList( 49, {50, 150, 120, 220, 260, kKeep, 230, 25, 230, 5, 185, 260, 170, 10, 35, 175, 80, 190, 140, 25, 245, 260, 15, 175, 105, 200}),
  MakeXList( 51, {50, 150, 120, 220, 260, kKeep, 20, 125, 230, 145, 185, 260, 170, 10, 35}),
  MakeXList( 54, {115, 175}),
  MakeXList( 55, {150, 120, 230, 220, 30, kKeep, 230, 25, 120, 5, 245, 260, 10, 140, 135, 75, 80, 190, 240, 235, 45, 20, 170, 215, 35, 160}),
  MakeXList( 57, {90, 220, 30, 120, 90, kKeep, 130, 125, 10, 225, 245, 260, 110, 40, 35, 215, 180, 90, 20, 135, 145, 220, 140, 25, 235, 160}),
  MakeXList( 62, {60, 185, 120, 25, 215, 110, 260, 35}),
  MakeXList( 64, {95, 200, 140, 220, 110, kKeep, 155, 145, 160, 180, 95}),
  MakeXList( 68, {220, 50, 30, 100, 120, kKeep, 240, 20, 230, 105, 155, 20, 225, 180, 135}),
  MakeXList( 70, {30, 220, 250, 80, 130, kKeep, 100, 225, 190, 15, 245, 120, 110, 180, 165, 75, 180, 190, 240, 235, 45, 220, 110, 115, 135, 60}),
  MakeXList( 75, {120, 80, 235, 190, 125, 160, 260, 175, 180}),
  MakeXList( 81, {145, 250, 210, 120, 20, kKeep, 70, 235, 140, 325, 0, 110, 175, 240, 105}),
  MakeXList( 82, {145, 250, 30, 120, 200, kKeep, 70, 235, 140, 25, 100}),
  MakeXList( 85, {190, 250, 20, 150, 45, 170, 260, 20, 140}),
  MakeXList( 86, {30, 210}),
  MakeXList( 87, {115, 175}),
  MakeXList( 93, {30, 240, 60, 120, 220, 250, 50}),
  MakeXList( 95, {125, 205, 165, 200, 80, 90, 245, 225, 210, 170, 85}),
  MakeXList( 97, {200, 80, 185, 105, 240, kKeep, 230, 25, 60, 260, 200, 155, 10, 110, 135, 75, 240, 220, 140, 25, 45, 85, 195, 220, 205, 95}),
  MakeXList(101, {180, 160, 75, 220, 120, 100, 190, 220, 230, 145, 100}),
  MakeXList(103, {25, 155, 260, 80, 150, kKeep, 10, 275, 120, 180, 320, 0, 95, 280, 190}),
  MakeXList(105, {115, 175}),
  MakeXList(106, {230, 115, 10}),
  MakeXList(107, {120, 80, 185, 205, 240, kKeep, 25, 225, 160, 60, 100, 190, 210, 10, 65, 245, 175, 30, 50, 200, 95, 155, 100, 35, 225, 130}),
  MakeXList(110, {90, 200, 255, 180, 50, kKeep, 140, 35, 210, 125, 60, 185, 260}),
  MakeXList(112, {240, 200, 90, 134, 160, kKeep, 120, 246, 85, 125, 190, 100, 170}),
  MakeXList(113, {150, 95, 120, 220, 5, kKeep, 80, 45, 200, 180, 130, 90, 250, 0, 230}),
  MakeXList(115, {150, 160, 100, 200, 90, 180, 190, 220, 150, 170, 120}),
  MakeXList(121, {245, 50, 20, 90, 250, 220, 40, 255, 65}),
  MakeXList(122, {115, 175}),
  MakeXList(123, {285, 30, 0, 180, 230, kKeep, 290, 185, 120, 20, 320, 280, 10, 155, 95, 50, 310, 190, 35}),
  MakeXList(129, {205, 35}),
  MakeXList(130, {200, 0, 60, 155, 55, kKeep, 180, 245, 300, 10, 243, 100, 170, 20, 290}),
  MakeXList(132, {45, 240, 170, 85, 100, kKeep, 200, 175, 65, 105, 245, 155, 210}),
  MakeXList(134, {200, 240, 25, 95, 130, kKeep, 180, 30, 165, 220, 100, 50, 210, 240, 180, 120, 75, 230, 50, 200, 15, 215, 165, 120, 30, 200}),
  MakeXList(135, {180, 160, 75, 220, 120, 100, 190, 220, 230, 145, 100}),
};
// clang-format on

// Bosses: slot 0 gets these after enemyStep and enemyTimer 0.
struct BossRow {
  uint8_t stage;
  uint8_t shots;
  float hp;
  uint8_t kind;
  float scale;
  int16_t score;
};

// clang-format off
constexpr BossRow kBosses[] = {
  // stage shots  hp    kind scale  score
  {1,      2,     240,  0,   5,      8000},
  {2,      3,     260,  1,   5,     10000},
  {3,      1,     280,  4,   5,     12000},
  {4,      2,     355,  2,   5,     14000},
  {5,      2,     365,  3,   5,     16000},
  {6,      2,     380,  6,   5,     18000},
  {7,      1,     400,  8,   5,     20000},
  {8,      3,     550,  9,   5,     30000},
};
// clang-format on

#undef F

constexpr int kGroupCount = int(sizeof kGroups / sizeof kGroups[0]);
constexpr int kNoteCount = int(sizeof kNotes / sizeof kNotes[0]);
constexpr int kXListCount = int(sizeof kXLists / sizeof kXLists[0]);
static_assert(kGroupCount == 151, "one row per group of the wave table");
static_assert(kNoteCount == 24, "one row per single-slot note");
static_assert(kXListCount == 48, "one row per explicit x list");
static_assert(sizeof kBosses / sizeof kBosses[0] == 8, "one boss per stage 1..8");

// Distinct wave numbers among the groups (they are listed in rising order).
constexpr int CountFormations() {
  int count = 0;
  for (int i = 0; i < kGroupCount; ++i)
    if (i == 0 || kGroups[i].wave != kGroups[i - 1].wave) ++count;
  return count;
}
static_assert(CountFormations() == 121, "121 formations for stages 1..7");

constexpr bool SlotsInRange() {
  for (const Group& g : kGroups)
    if (g.first > g.last || g.last >= kEnemySlots) return false;
  for (const SlotNote& n : kNotes)
    if (n.slot >= kEnemySlots) return false;
  return true;
}
static_assert(SlotsInRange(), "every slot lies in 0..25");

}  // namespace formation
