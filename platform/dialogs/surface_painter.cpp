#include "platform/dialogs/surface_painter.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/win/late_library.h"

namespace plat::dialogs {
namespace {

Uint32 Map(SDL_Surface* surface, Rgb c) { return SDL_MapRGB(surface->format, c.r, c.g, c.b); }

void Line(SDL_Surface* surface, int x, int y, int w, int h, Rgb c) {
    SDL_Rect r{x, y, w, h};
    SDL_FillRect(surface, &r, Map(surface, c));
}

// Top-left edges in one colour, bottom-right in another.
void Bevel(SDL_Surface* surface, const Box& b, Rgb topLeft, Rgb bottomRight) {
    Line(surface, b.x, b.y, b.w, 1, topLeft);
    Line(surface, b.x, b.y, 1, b.h, topLeft);
    Line(surface, b.x, b.y + b.h - 1, b.w, 1, bottomRight);
    Line(surface, b.x + b.w - 1, b.y, 1, b.h, bottomRight);
}

Box Inset(const Box& b, int by) { return {b.x + by, b.y + by, std::max(0, b.w - 2 * by), std::max(0, b.h - 2 * by)}; }

void DottedFrame(SDL_Surface* surface, const Box& b, Rgb c) {
    for (int x = b.x; x < b.x + b.w; x += 2) {
        Line(surface, x, b.y, 1, 1, c);
        Line(surface, x, b.y + b.h - 1, 1, 1, c);
    }
    for (int y = b.y; y < b.y + b.h; y += 2) {
        Line(surface, b.x, y, 1, 1, c);
        Line(surface, b.x + b.w - 1, y, 1, 1, c);
    }
}

// The fonts' libraries are opened with the first box or dialog: the court
// needs none of them, and they bring a dozen more with them.
struct FontLibraries {
    decltype(&::TTF_WasInit) TTF_WasInit;
    decltype(&::TTF_Init) TTF_Init;
    decltype(&::TTF_OpenFont) TTF_OpenFont;
    decltype(&::TTF_CloseFont) TTF_CloseFont;
    decltype(&::TTF_SizeUTF8) TTF_SizeUTF8;
    decltype(&::TTF_FontLineSkip) TTF_FontLineSkip;
    decltype(&::TTF_RenderUTF8_Blended) TTF_RenderUTF8_Blended;
    decltype(&::FcInit) FcInit;
    decltype(&::FcNameParse) FcNameParse;
    decltype(&::FcPatternAddBool) FcPatternAddBool;
    decltype(&::FcPatternAddInteger) FcPatternAddInteger;
    decltype(&::FcConfigSubstitute) FcConfigSubstitute;
    decltype(&::FcDefaultSubstitute) FcDefaultSubstitute;
    decltype(&::FcFontMatch) FcFontMatch;
    decltype(&::FcPatternGetString) FcPatternGetString;
    decltype(&::FcPatternDestroy) FcPatternDestroy;
};
FontLibraries fonts;

#define KESTROVA_FONTS(name) LateSymbol{reinterpret_cast<void**>(&fonts.name), #name}

bool LoadFontLibraries() {
    static std::once_flag once;
    static bool loaded = false;
    std::call_once(once, [] {
        loaded = LoadLateLibrary(KESTROVA_SDL2_TTF_SONAME,
                                 {KESTROVA_FONTS(TTF_WasInit), KESTROVA_FONTS(TTF_Init), KESTROVA_FONTS(TTF_OpenFont),
                                  KESTROVA_FONTS(TTF_CloseFont), KESTROVA_FONTS(TTF_SizeUTF8),
                                  KESTROVA_FONTS(TTF_FontLineSkip), KESTROVA_FONTS(TTF_RenderUTF8_Blended)}) &&
                 LoadLateLibrary(KESTROVA_FONTCONFIG_SONAME,
                                 {KESTROVA_FONTS(FcInit), KESTROVA_FONTS(FcNameParse), KESTROVA_FONTS(FcPatternAddBool),
                                  KESTROVA_FONTS(FcPatternAddInteger), KESTROVA_FONTS(FcConfigSubstitute),
                                  KESTROVA_FONTS(FcDefaultSubstitute), KESTROVA_FONTS(FcFontMatch),
                                  KESTROVA_FONTS(FcPatternGetString), KESTROVA_FONTS(FcPatternDestroy)});
    });
    return loaded;
}

#undef KESTROVA_FONTS

bool EnsureTtf() { return fonts.TTF_WasInit() > 0 || fonts.TTF_Init() == 0; }

}  // namespace

std::string FindFontFile(const std::string& family, bool bold) {
    if (!LoadFontLibraries() || !fonts.FcInit()) return {};
    FcPattern* pattern = fonts.FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!pattern) return {};
    // SDL2_ttf needs an outline face; bitmap-only fonts would not open.
    fonts.FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (bold) fonts.FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    fonts.FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    fonts.FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = fonts.FcFontMatch(nullptr, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && fonts.FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
    if (match) fonts.FcPatternDestroy(match);
    fonts.FcPatternDestroy(pattern);
    return file;
}

std::unique_ptr<Font> Font::Open(const std::string& family, int pixelSize, bool bold) {
    std::string file = FindFontFile(family, bold);
    if (file.empty() || !EnsureTtf()) return nullptr;
    TTF_Font* font = fonts.TTF_OpenFont(file.c_str(), std::max(1, pixelSize));
    if (!font) return nullptr;
    return std::unique_ptr<Font>(new Font(font));
}

Font::~Font() { fonts.TTF_CloseFont(font_); }

int Font::TextWidth(std::string_view utf8) const {
    if (utf8.empty()) return 0;
    std::string text(utf8);
    int w = 0, h = 0;
    if (fonts.TTF_SizeUTF8(font_, text.c_str(), &w, &h) != 0) return 0;
    return w;
}

int Font::LineHeight() const { return fonts.TTF_FontLineSkip(font_); }

void FillBox(SDL_Surface* surface, const Box& box, Rgb color) {
    if (!surface) return;
    Line(surface, box.x, box.y, box.w, box.h, color);
}

void DrawText(SDL_Surface* surface, const Font* font, int x, int y, std::string_view utf8, Rgb color) {
    if (!surface || !font || utf8.empty()) return;
    std::string text(utf8);
    SDL_Surface* rendered = fonts.TTF_RenderUTF8_Blended(font->handle(), text.c_str(), SDL_Color{color.r, color.g, color.b, 255});
    if (!rendered) return;
    SDL_Rect at{x, y, rendered->w, rendered->h};
    SDL_BlitSurface(rendered, nullptr, surface, &at);
    SDL_FreeSurface(rendered);
}

void DrawPushButton(SDL_Surface* surface, const Font* font, const PushButton& button) {
    if (!surface) return;
    Box b = button.box();
    FillBox(surface, b, kFace);
    if (button.isDefault()) {
        Bevel(surface, b, kDarkShadow, kDarkShadow);
        b = Inset(b, 1);
    }
    if (button.pressed()) {
        Bevel(surface, b, kShadow, kShadow);
    } else {
        Bevel(surface, b, kHighlight, kDarkShadow);
        Bevel(surface, Inset(b, 1), kFace, kShadow);
    }
    int shift = button.pressed() ? 1 : 0;
    if (font) {
        int w = font->TextWidth(button.label());
        int h = font->LineHeight();
        DrawText(surface, font, b.x + (b.w - w) / 2 + shift, b.y + (b.h - h) / 2 + shift, button.label(), kText);
    }
    if (button.focused()) DottedFrame(surface, Inset(b, 4), kText);
}

void DrawErrorIcon(SDL_Surface* surface, const Box& box) {
    if (!surface) return;
    const Rgb red{224, 0, 0};
    double r = std::min(box.w, box.h) / 2.0;
    double cx = box.x + box.w / 2.0, cy = box.y + box.h / 2.0;
    for (int y = 0; y < box.h; ++y) {
        double dy = box.y + y + 0.5 - cy;
        double half = r * r - dy * dy;
        if (half <= 0) continue;
        int span = static_cast<int>(std::sqrt(half));
        Line(surface, static_cast<int>(cx) - span, box.y + y, 2 * span, 1, red);
    }
    // The cross: two diagonals three pixels thick.
    int size = std::min(box.w, box.h) / 2;
    int x0 = static_cast<int>(cx) - size / 2, y0 = static_cast<int>(cy) - size / 2;
    for (int i = 0; i < size; ++i) {
        Line(surface, x0 + i - 1, y0 + i, 3, 1, kHighlight);
        Line(surface, x0 + size - 1 - i - 1, y0 + i, 3, 1, kHighlight);
    }
}

}  // namespace plat::dialogs
