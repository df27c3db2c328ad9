// Where the play picture goes in a window or screen of a given size.
#pragma once

struct PictureFit {
  int x = 0, y = 0, w = 0, h = 0;  // destination rectangle in output pixels
  // The whole-multiple enlargement made first (nearest neighbour) when the
  // destination is not itself a whole multiple; 0 when the picture goes
  // straight to the destination.
  int multiple = 0;
};

// The picture (picW x picH) in an output of outW x outH. Scaling as the
// display setting: 0 automatic (fill in full screen or when the whole
// multiple would be 1x or less, else sharp), 1 sharp (the largest whole
// multiple, letterboxed; an output smaller than the picture shrinks it to
// fit), 2 fill (the largest size that keeps the aspect ratio, made from the
// next whole multiple above it by one smooth step).
PictureFit FitPicture(int outW, int outH, int picW, int picH, bool fullScreen, int scaling);

// The game window for a desktop whose usable area (without its panels and
// the window's frame) is usableW x usableH.
struct WindowPlan {
  int w = 0, h = 0;  // the window's inside
  int multiple = 0;  // the whole multiple it is, or 0 (a fill-scaled window)
};
// The largest whole multiple of the picture (1..maxMultiple) that fits, or 0
// when not even the picture itself does (an unknown area counts as 1x).
int LargestFittingMultiple(int usableW, int usableH, int picW, int picH, int maxMultiple);
// The window for the window-size setting (0 automatic, 1..4 that multiple).
// A multiple that fits is taken as it is. Automatic, and a saved multiple
// that no longer fits (another monitor), give the largest whole multiple
// above 1x that fits; when none does, the largest window of the picture's
// shape that fits (filled by the fill scaling), never smaller than 1x
// unless even 1x does not fit.
WindowPlan PlanWindow(int usableW, int usableH, int picW, int picH, int windowSize, int maxMultiple);
