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
constexpr int kVkB = 66;
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
constexpr int kVkF12 = 123;  // the screenshot key, seen as a window event

// Keys of the player's comforts (pause, menus) and the added defaults for
// fire and bomb.
constexpr int kVkBackspace = 8;
constexpr int kVkTab = 9;
constexpr int kVkEnter = 13;
constexpr int kVkShift = 16;
constexpr int kVkPause = 19;
constexpr int kVkX = 88;
constexpr int kVkZ = 90;
