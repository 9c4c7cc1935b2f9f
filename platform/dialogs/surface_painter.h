// Drawing of dialogs on a window's SDL surface: fonts found by family name
// through fontconfig, text drawn with SDL2_ttf, and the classic control looks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dialogs/dialog_core.h"

struct SDL_Surface;
typedef struct _TTF_Font TTF_Font;

namespace plat::dialogs {

// The file of the installed face that best stands in for a family
// ("MS Sans Serif" gives a sans face, "Courier New" a metric-compatible
// monospace); empty when fontconfig finds no scalable font at all.
std::string FindFontFile(const std::string& family, bool bold = false);

class Font : public TextMeasure {
public:
    // Null when no face can be found or opened; callers then draw without text.
    static std::unique_ptr<Font> Open(const std::string& family, int pixelSize, bool bold = false);
    ~Font() override;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int TextWidth(std::string_view utf8) const override;
    int LineHeight() const override;
    TTF_Font* handle() const { return font_; }

private:
    explicit Font(TTF_Font* font) : font_(font) {}
    TTF_Font* font_;
};

struct Rgb {
    std::uint8_t r, g, b;
};
constexpr Rgb kFace{192, 192, 192};
constexpr Rgb kHighlight{255, 255, 255};
constexpr Rgb kShadow{128, 128, 128};
constexpr Rgb kDarkShadow{0, 0, 0};
constexpr Rgb kText{0, 0, 0};

void FillBox(SDL_Surface* surface, const Box& box, Rgb color);
// Draws one line of text with its top-left corner at (x, y); nothing without a font.
void DrawText(SDL_Surface* surface, const Font* font, int x, int y, std::string_view utf8, Rgb color);
// The raised button look: a thick black frame for the default button, sunk
// while pressed, a dotted focus rectangle around the label.
void DrawPushButton(SDL_Surface* surface, const Font* font, const PushButton& button);
// The error sign: a red disc with a white cross.
void DrawErrorIcon(SDL_Surface* surface, const Box& box);

}  // namespace plat::dialogs
