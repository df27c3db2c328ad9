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
