// Screenshots: F12 saves the play picture as a PNG in the player's pictures
// folder and shows a short notice over the presented picture. Neither touches
// the game's state or surfaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/surface.h"

// Saves scrmain as <pictures>/Tessivane/YYYY-MM-DD_HH-MM-SS.png
// (local time; -2, -3... when that name is taken) and starts the notice: the
// file's name, or why it could not be written.
void TakeScreenshot();

// Presents `picture`, with the notice drawn over a copy of it while it lasts,
// and the corner label (below) when there is one.
void PresentWithNotice(const Surface& picture);
// A word shown small in the picture's top right corner while `label` gives
// one (asked at each present; "" for none): "REPLAY" while one is watched.
void SetCornerLabel(std::string (*label)());

// Drawn over a copy of every presented picture while set (nullptr: none),
// after the corner label and before the notice: the replay viewer's bar.
// It returns false when it drew nothing.
void SetPresentOverlay(bool (*draw)(Surface& copy));

// The folder screenshots go to (PicturesHome()/Tessivane).
std::string ScreenshotFolder();
// The path of the last screenshot written ("" if none) and the notice's text
// ("" when no notice was ever shown).
std::string LastScreenshotPath();
std::string ScreenshotNotice();

// A 24-bit PNG of a 0x00RRGGBB picture.
std::vector<uint8_t> EncodePng(const Surface& picture);
