// A look at the game's window from outside, for the real-window test.
//
//   window_probe root
//       Prints the root window's id.
//   window_probe list
//       Prints the shown top-level windows, one a line: "ID WxH CLASS NAME"
//       (CLASS "-" when the window has none).
//   window_probe close WINDOW
//       Sends WM_DELETE_WINDOW, as a window manager's close button does.
//   window_probe look WINDOW [--save FILE.ppm] [NAME:X,Y,W,H ...]
//       Reads the window's pixels and prints, one "key=value" a line:
//         size=WxH         the window's size
//         scale=S          the whole multiple the picture should be shown at
//                          (0: smaller than 1x, shown at the largest size that
//                          keeps the aspect ratio)
//         picture=X,Y,W,H  where the 332 x 478 picture should be, centred
//         letterbox=1|0    everything outside the picture is black
//         sharp=1|0        (whole multiples) every picture pixel is an S x S
//                          block of one colour: nearest-neighbour scaling
//         fits=1|0         (below 1x) the non-black part of the window lies
//                          in the picture's place, as wide as it, from its top
//         shown=X0,Y0,X1,Y1 the first and last columns and rows that are not black
//         NAME=F,H         for each logical region of the picture: F the share
//                          of white-ish pixels, H a hash of its pixels
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPictureWidth = 332, kPictureHeight = 478;

int Usage() {
  std::fprintf(stderr,
               "usage: window_probe list | root\n"
               "       window_probe close WINDOW\n"
               "       window_probe look WINDOW [--save FILE.ppm] [NAME:X,Y,W,H ...]\n");
  return 2;
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

int List(Display* d) {
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 1;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable || a.width <= 1 || a.height <= 1)
      continue;
    XClassHint hint{};
    const bool hasClass = XGetClassHint(d, children[i], &hint) && hint.res_class;
    char* name = nullptr;
    XFetchName(d, children[i], &name);
    std::printf("0x%lx %dx%d %s %s\n", children[i], a.width, a.height, hasClass ? hint.res_class : "-",
                name ? name : "");
    if (name) XFree(name);
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  if (children) XFree(children);
  return 0;
}

int SendClose(Display* d, Window w) {
  XClientMessageEvent e{};
  e.type = ClientMessage;
  e.window = w;
  e.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.format = 32;
  e.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.data.l[1] = CurrentTime;
  if (!XSendEvent(d, w, False, NoEventMask, reinterpret_cast<XEvent*>(&e))) return 1;
  XSync(d, False);
  return 0;
}

struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // 0xRRGGBB
  uint32_t At(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};

bool ReadWindow(Display* d, Window w, Image* image) {
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
  XImage* x = XGetImage(d, w, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
  if (!x) return false;
  image->width = a.width;
  image->height = a.height;
  image->rgb.resize(size_t(a.width) * size_t(a.height));
  for (int y = 0; y < a.height; ++y)
    for (int i = 0; i < a.width; ++i) {
      const unsigned long p = XGetPixel(x, i, y);
      const uint32_t r = uint32_t((p & x->red_mask) >> __builtin_ctzl(x->red_mask)) & 0xFF;
      const uint32_t g = uint32_t((p & x->green_mask) >> __builtin_ctzl(x->green_mask)) & 0xFF;
      const uint32_t b = uint32_t((p & x->blue_mask) >> __builtin_ctzl(x->blue_mask)) & 0xFF;
      image->rgb[size_t(y) * size_t(a.width) + size_t(i)] = (r << 16) | (g << 8) | b;
    }
  XDestroyImage(x);
  return true;
}

bool SavePpm(const Image& image, const char* file) {
  std::FILE* f = std::fopen(file, "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  for (uint32_t p : image.rgb) {
    const unsigned char c[3] = {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
    std::fwrite(c, 1, 3, f);
  }
  return std::fclose(f) == 0;
}

struct Rect {
  int x, y, w, h;
};

// Where the picture belongs in a window of this size: the largest whole
// multiple that fits, else the largest size with the picture's proportions.
// With WINDOW_PROBE_SCALING=auto in the environment, as the game's automatic
// scaling puts it in a window: whole multiples from 2x up, else filled.
Rect PicturePlace(int width, int height, int* scale) {
  *scale = std::min(width / kPictureWidth, height / kPictureHeight);
  const char* scaling = std::getenv("WINDOW_PROBE_SCALING");
  const int smallestWhole = scaling && std::string(scaling) == "auto" ? 2 : 1;
  Rect r;
  if (*scale >= smallestWhole) {
    r.w = kPictureWidth * *scale;
    r.h = kPictureHeight * *scale;
  } else {
    if (int64_t(width) * kPictureHeight <= int64_t(height) * kPictureWidth) {
      r.w = width;
      r.h = std::max(1, width * kPictureHeight / kPictureWidth);
    } else {
      r.h = height;
      r.w = std::max(1, height * kPictureWidth / kPictureHeight);
    }
    *scale = r.w == kPictureWidth && r.h == kPictureHeight ? 1 : 0;
  }
  r.x = (width - r.w) / 2;
  r.y = (height - r.h) / 2;
  return r;
}

bool Inside(const Rect& r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

int Look(Display* d, Window w, int argc, char** argv) {
  Image image;
  if (!ReadWindow(d, w, &image)) {
    std::fprintf(stderr, "window_probe: cannot read window 0x%lx\n", w);
    return 1;
  }
  int scale = 0;
  const Rect pic = PicturePlace(image.width, image.height, &scale);
  std::printf("size=%dx%d\nscale=%d\npicture=%d,%d,%d,%d\n", image.width, image.height, scale, pic.x, pic.y, pic.w,
              pic.h);

  bool letterbox = true;
  int minX = image.width, minY = image.height, maxX = -1, maxY = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.At(x, y);
      if (p == 0) continue;
      if (!Inside(pic, x, y)) letterbox = false;
      minX = std::min(minX, x);
      minY = std::min(minY, y);
      maxX = std::max(maxX, x);
      maxY = std::max(maxY, y);
    }
  std::printf("letterbox=%d\n", letterbox ? 1 : 0);
  std::printf("shown=%d,%d,%d,%d\n", minX, minY, maxX, maxY);
  if (scale >= 1) {
    bool sharp = true;
    for (int y = 0; y < pic.h && sharp; ++y)
      for (int x = 0; x < pic.w; ++x)
        if (image.At(pic.x + x, pic.y + y) != image.At(pic.x + x / scale * scale, pic.y + y / scale * scale)) {
          sharp = false;
          break;
        }
    std::printf("sharp=%d\n", sharp ? 1 : 0);
  } else {
    // The picture's own bottom rows may be black, so only its top and sides
    // are certain to show.
    const bool fits = maxX >= 0 && minX <= pic.x + 1 && maxX >= pic.x + pic.w - 2 && minY <= pic.y + 1 &&
                      maxY < pic.y + pic.h && maxY >= pic.y + pic.h * 3 / 4;
    std::printf("fits=%d\n", fits ? 1 : 0);
  }

  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--save" && i + 1 < argc) {
      if (!SavePpm(image, argv[++i])) std::fprintf(stderr, "window_probe: cannot write %s\n", argv[i]);
      continue;
    }
    char name[64];
    int rx, ry, rw, rh;
    if (std::sscanf(arg.c_str(), "%63[^:]:%d,%d,%d,%d", name, &rx, &ry, &rw, &rh) != 5 || rw <= 0 || rh <= 0) {
      std::fprintf(stderr, "window_probe: bad region '%s'\n", arg.c_str());
      return 2;
    }
    // Logical picture pixels to window pixels, sampled at each pixel's centre.
    int white = 0, count = 0;
    uint64_t hash = 1469598103934665603ull;
    for (int y = ry; y < ry + rh; ++y)
      for (int x = rx; x < rx + rw; ++x) {
        const int wx = pic.x + int((x + 0.5) * pic.w / kPictureWidth);
        const int wy = pic.y + int((y + 0.5) * pic.h / kPictureHeight);
        if (wx < 0 || wy < 0 || wx >= image.width || wy >= image.height) continue;
        const uint32_t p = image.At(wx, wy);
        ++count;
        if (((p >> 16) & 0xFF) >= 200 && ((p >> 8) & 0xFF) >= 200 && (p & 0xFF) >= 200) ++white;
        hash = (hash ^ p) * 1099511628211ull;
      }
    std::printf("%s=%.3f,%016llx\n", name, count ? double(white) / count : 0.0, (unsigned long long)hash);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || (argc < 3 && std::string(argv[1]) != "list" && std::string(argv[1]) != "root")) return Usage();
  const std::string command = argv[1];
  const Window w = argc > 2 ? Window(std::strtoul(argv[2], nullptr, 0)) : None;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "window_probe: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(IgnoreErrors);
  int result;
  if (command == "list") {
    result = List(d);
  } else if (command == "root") {
    std::printf("0x%lx\n", DefaultRootWindow(d));
    result = 0;
  } else if (command == "close") {
    result = SendClose(d, w);
  } else if (command == "look") {
    result = Look(d, w, argc - 3, argv + 3);
  } else {
    result = Usage();
  }
  XCloseDisplay(d);
  return result;
}
