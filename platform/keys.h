// Virtual-key codes the game queries.
#pragma once

constexpr int kVkCtrl = 17;
constexpr int kVkEscape = 27;
constexpr int kVkSpace = 32;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkA = 65;
constexpr int kVkD = 68;
constexpr int kVkE = 69;
constexpr int kVkF = 70;
constexpr int kVkH = 72;
constexpr int kVkP = 80;
constexpr int kVkR = 82;
constexpr int kVkS = 83;
constexpr int kVkNum2 = 98;
constexpr int kVkNum4 = 100;
constexpr int kVkNum6 = 102;
constexpr int kVkNum8 = 104;
