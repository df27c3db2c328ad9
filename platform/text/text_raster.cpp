// Text drawing with SDL_ttf: the bold gothic face at a point size of 96 dpi,
// alpha-blended onto a 0x00RRGGBB surface. Glyphs are rendered once and kept
// as coverage masks in fixed storage, so that a frame of text stays cheap and
// allocates nothing once the glyphs it needs are warm.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/surface.h"
#include "platform/text/text_font.h"

namespace {

constexpr int kMaxPoints = 255;
constexpr int kCacheSlots = 4096;  // power of two
constexpr int kCacheLimit = kCacheSlots * 3 / 4;
constexpr size_t kCoverageBytes = 4u << 20;  // coverage masks of all cached glyphs

struct Glyph {
  uint32_t key = 0;  // 0 = empty slot; else (points << 21 | codepoint) + 1
  int16_t advance = 0;
  int16_t left = 0;  // offset of the mask from the pen position
  int16_t width = 0, height = 0;
  uint32_t offset = 0;  // into gCoverage
};

struct TextState {
  bool initialised = false;
  bool fontMissing = false;
  std::string fontPath;
  TTF_Font* fonts[kMaxPoints + 1] = {};
  Glyph glyphs[kCacheSlots];
  int glyphCount = 0;
  size_t coverageUsed = 0;
};

TextState gText;
uint8_t gCoverage[kCoverageBytes];

// Through SDL, which takes UTF-8 paths on every system (the font opens the
// same way).
bool FileExists(const std::string& path) {
  SDL_RWops* f = SDL_RWFromFile(path.c_str(), "rb");
  if (!f) return false;
  SDL_RWclose(f);
  return true;
}

std::string FindFont() {
  std::string candidates[6];
  int n = 0;
  if (char* base = SDL_GetBasePath()) {
    candidates[n++] = std::string(base) + "fonts/ipag.ttf";
    SDL_free(base);
  }
  candidates[n++] = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  candidates[n++] = "/usr/share/fonts/truetype/ipafont-gothic/ipag.ttf";
  candidates[n++] = "/usr/share/fonts/opentype/ipafont/ipag.ttf";
  candidates[n++] = "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf";
  for (int i = 0; i < n; ++i)
    if (FileExists(candidates[i])) return candidates[i];
  return std::string();
}

bool EnsureInitialised() {
  if (gText.initialised) return !gText.fontMissing;
  gText.initialised = true;
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    std::fprintf(stderr, "tessivane: text disabled, the font engine failed: %s\n", TTF_GetError());
    gText.fontMissing = true;
    return false;
  }
  gText.fontPath = FindFont();
  if (gText.fontPath.empty()) {
    std::fprintf(stderr, "tessivane: text disabled, the IPA Gothic font (ipag.ttf) was not found\n");
    gText.fontMissing = true;
    return false;
  }
  return true;
}

TTF_Font* FontAt(int points) {
  if (points < 1 || points > kMaxPoints) return nullptr;
  if (!gText.fonts[points]) {
    TTF_Font* font = TTF_OpenFontDPI(gText.fontPath.c_str(), points, 96, 96);
    if (!font) {
      std::fprintf(stderr, "tessivane: text disabled, cannot open %s: %s\n", gText.fontPath.c_str(),
                   TTF_GetError());
      gText.fontMissing = true;
      return nullptr;
    }
    TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
    TTF_SetFontKerning(font, 0);
    gText.fonts[points] = font;
  }
  return gText.fonts[points];
}

void ForgetGlyphs() {
  for (Glyph& g : gText.glyphs) g.key = 0;
  gText.glyphCount = 0;
  gText.coverageUsed = 0;
}

// Renders one glyph into the cache; nullptr when it cannot be drawn.
const Glyph* RenderGlyph(TTF_Font* font, uint32_t key, uint32_t codepoint) {
  int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
  if (TTF_GlyphMetrics32(font, codepoint, &minx, &maxx, &miny, &maxy, &advance) != 0) return nullptr;
  Glyph g;
  g.key = key;
  g.advance = int16_t(advance);
  SDL_Surface* rendered = nullptr;
  if (codepoint != ' ' && codepoint != 0x3000) {
    rendered = TTF_RenderGlyph32_Blended(font, codepoint, SDL_Color{255, 255, 255, 255});
  }
  if (rendered) {
    SDL_Surface* argb = rendered;
    if (rendered->format->format != SDL_PIXELFORMAT_ARGB8888) {
      argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
      SDL_FreeSurface(rendered);
      if (!argb) return nullptr;
    }
    const size_t bytes = size_t(argb->w) * size_t(argb->h);
    if (gText.coverageUsed + bytes > kCoverageBytes || gText.glyphCount >= kCacheLimit) {
      ForgetGlyphs();
      if (bytes > kCoverageBytes) {
        SDL_FreeSurface(argb);
        return nullptr;
      }
    }
    g.left = int16_t(minx < 0 ? minx : 0);
    g.width = int16_t(argb->w);
    g.height = int16_t(argb->h);
    g.offset = uint32_t(gText.coverageUsed);
    SDL_LockSurface(argb);
    for (int row = 0; row < argb->h; ++row) {
      const uint32_t* src = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                              size_t(row) * size_t(argb->pitch));
      uint8_t* dst = gCoverage + gText.coverageUsed + size_t(row) * size_t(argb->w);
      for (int col = 0; col < argb->w; ++col) dst[col] = uint8_t(src[col] >> 24);
    }
    SDL_UnlockSurface(argb);
    // SDL_ttf cuts a glyph off at the font's descent: at some sizes the low
    // line (the underscore) lies wholly under it and nothing is left of it.
    // It is a bar; it is drawn in the mask's last rows instead.
    uint8_t* mask = gCoverage + gText.coverageUsed;
    bool inked = false;
    for (size_t i = 0; i < bytes && !inked; ++i) inked = mask[i] != 0;
    if (!inked && maxx > minx && maxy >= miny && codepoint == '_' && argb->h > 0) {
      const int barHeight = SDL_min(SDL_max(1, maxy - miny), argb->h);
      for (int row = argb->h - barHeight; row < argb->h; ++row)
        for (int col = SDL_max(0, minx - g.left); col < SDL_min(argb->w, maxx - g.left); ++col)
          mask[size_t(row) * size_t(argb->w) + size_t(col)] = 255;
    }
    SDL_FreeSurface(argb);
    gText.coverageUsed += bytes;
  } else if (gText.glyphCount >= kCacheLimit) {
    ForgetGlyphs();
  }
  uint32_t slot = (key * 2654435761u) & (kCacheSlots - 1);
  while (gText.glyphs[slot].key != 0) slot = (slot + 1) & (kCacheSlots - 1);
  gText.glyphs[slot] = g;
  ++gText.glyphCount;
  return &gText.glyphs[slot];
}

const Glyph* FindGlyph(TTF_Font* font, int points, uint32_t codepoint) {
  const uint32_t key = ((uint32_t(points) << 21) | codepoint) + 1;
  uint32_t slot = (key * 2654435761u) & (kCacheSlots - 1);
  while (gText.glyphs[slot].key != 0) {
    if (gText.glyphs[slot].key == key) return &gText.glyphs[slot];
    slot = (slot + 1) & (kCacheSlots - 1);
  }
  return RenderGlyph(font, key, codepoint);
}

// Next code point of a UTF-8 string; malformed bytes give U+FFFD.
uint32_t NextCodepoint(const std::string& s, size_t& i) {
  const uint8_t c = uint8_t(s[i++]);
  if (c < 0x80) return c;
  int extra = 0;
  uint32_t cp = 0;
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (uint8_t(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    cp = (cp << 6) | (uint8_t(s[i++]) & 0x3F);
  }
  return cp > 0x10FFFF ? 0xFFFD : cp;
}

// v / 255 rounded to nearest, exact for 0 <= v <= 255 * 255.
inline uint32_t Div255(uint32_t v) {
  v += 128;
  return (v + (v >> 8)) >> 8;
}

void BlendGlyph(Surface& dest, int x, int y, const Glyph& g, uint32_t rgb) {
  const int x0 = x < 0 ? -x : 0, y0 = y < 0 ? -y : 0;
  const int x1 = x + g.width > dest.width ? dest.width - x : g.width;
  const int y1 = y + g.height > dest.height ? dest.height - y : g.height;
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t r = (rgb >> 16) & 255, gr = (rgb >> 8) & 255, b = rgb & 255;
  for (int row = y0; row < y1; ++row) {
    const uint8_t* cov = gCoverage + g.offset + size_t(row) * size_t(g.width);
    uint32_t* px = dest.pixels + size_t(y + row) * size_t(dest.width) + x;
    for (int col = x0; col < x1; ++col) {
      const uint32_t a = cov[col];
      if (a == 0) continue;
      if (a == 255) {
        px[col] = rgb & 0xFFFFFFu;
        continue;
      }
      const uint32_t d = px[col];
      const uint32_t dr = (d >> 16) & 255, dg = (d >> 8) & 255, db = d & 255;
      const uint32_t nr = Div255(r * a + dr * (255 - a));
      const uint32_t ng = Div255(gr * a + dg * (255 - a));
      const uint32_t nb = Div255(b * a + db * (255 - a));
      px[col] = (nr << 16) | (ng << 8) | nb;
    }
  }
}

}  // namespace

namespace platform {

void DrawText(Surface& dest, int x, int y, int points, uint32_t rgb, const std::string& utf8) {
  if (!dest.pixels || utf8.empty() || !EnsureInitialised()) return;
  TTF_Font* font = FontAt(points);
  if (!font) return;
  int pen = x;
  for (size_t i = 0; i < utf8.size();) {
    const uint32_t cp = NextCodepoint(utf8, i);
    if (cp == '\n' || cp == '\r') continue;
    const Glyph* g = FindGlyph(font, points, cp);
    if (!g) continue;
    if (g->width > 0) BlendGlyph(dest, pen + g->left, y, *g, rgb);
    pen += g->advance;
    if (pen >= dest.width) break;
  }
}

void ReplaceTextFont(const std::string& path) {
  (void)EnsureInitialised();  // the font engine
  TTF_Font* probe = TTF_OpenFontDPI(path.c_str(), 12, 96, 96);
  if (!probe) {
    std::fprintf(stderr, "tessivane: cannot open %s: %s\n", path.c_str(), TTF_GetError());
    return;
  }
  TTF_CloseFont(probe);
  for (TTF_Font*& font : gText.fonts) {
    if (font) TTF_CloseFont(font);
    font = nullptr;
  }
  ForgetGlyphs();
  gText.fontPath = path;
  gText.fontMissing = false;
}

int TextWidth(int points, const std::string& utf8) {
  if (utf8.empty() || !EnsureInitialised()) return 0;
  TTF_Font* font = FontAt(points);
  if (!font) return 0;
  int pen = 0;
  for (size_t i = 0; i < utf8.size();) {
    const uint32_t cp = NextCodepoint(utf8, i);
    if (cp == '\n' || cp == '\r') continue;
    const Glyph* g = FindGlyph(font, points, cp);
    if (g) pen += g->advance;
  }
  return pen;
}

}  // namespace platform
