// Wrapping, button behaviour and message box layout, plus the fonts the
// dialogs find by family name.
#include <gtest/gtest.h>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/surface_painter.h"

namespace plat::dialogs {
namespace {

bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size()) return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

TEST(WrapTextTest, BreaksAtSpacesAndNewlines) {
    FixedMeasure measure(1, 1);
    using Lines = std::vector<std::string>;
    EXPECT_EQ(WrapText("hello world again", 11, measure), (Lines{"hello world", "again"}));
    EXPECT_EQ(WrapText("hello world again", 10, measure), (Lines{"hello", "world", "again"}));
    EXPECT_EQ(WrapText("one\n\ntwo\r\n", 10, measure), (Lines{"one", "", "two", ""}));
    EXPECT_EQ(WrapText("", 10, measure), (Lines{""}));
}

TEST(WrapTextTest, CutsOverlongWordsBetweenCharacters) {
    FixedMeasure measure(1, 1);
    auto lines = WrapText("abcdefghijklmnopqrstuvwxy z", 10, measure);
    EXPECT_EQ(lines, (std::vector<std::string>{"abcdefghij", "klmnopqrst", "uvwxy z"}));

    // Two-byte characters: every piece stays whole and within width.
    auto accents = WrapText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 3, measure);
    ASSERT_EQ(accents.size(), 3u);
    for (const auto& line : accents) {
        EXPECT_TRUE(ValidUtf8(line)) << line;
        EXPECT_LE(CountCharacters(line), 3);
    }
    // Narrower than one character: still progresses one character a line.
    EXPECT_EQ(WrapText("abc", 0, measure).size(), 3u);
}

TEST(PushButtonTest, AClickIsPressAndReleaseOverTheButton) {
    PushButton button(1, "OK", {10, 10, 80, 26}, true);
    button.MouseDown(20, 20);
    EXPECT_TRUE(button.pressed());
    button.MouseMove(200, 20);
    EXPECT_FALSE(button.pressed()) << "dragged off, drawn raised";
    button.MouseMove(30, 20);
    EXPECT_TRUE(button.pressed());
    EXPECT_TRUE(button.MouseUp(30, 20));
    EXPECT_FALSE(button.pressed());

    button.MouseDown(20, 20);
    EXPECT_FALSE(button.MouseUp(5, 5)) << "released elsewhere";
    button.MouseDown(5, 5);
    EXPECT_FALSE(button.pressed());
    EXPECT_FALSE(button.MouseUp(20, 20)) << "pressed elsewhere";
}

TEST(PushButtonTest, SpaceClicksOnlyWithTheFocus) {
    PushButton button(1, "OK", {0, 0, 80, 26}, false);
    button.SpaceDown();
    EXPECT_FALSE(button.SpaceUp());
    button.SetFocused(true);
    button.SpaceDown();
    EXPECT_TRUE(button.pressed());
    EXPECT_TRUE(button.SpaceUp());
    button.SpaceDown();
    button.SetFocused(false);  // losing the focus cancels the press
    EXPECT_FALSE(button.SpaceUp());
}

TEST(MessageBoxLayoutTest, EverythingFitsAndLongTextIsCut) {
    FixedMeasure measure(7, 16);
    std::string text;
    for (int i = 0; i < 800; ++i) text += "word ";
    auto layout = LayoutMessageBox(text, true, measure, 300, 400);
    EXPECT_LE(layout.height, 400);
    EXPECT_GT(layout.lines.size(), 3u);
    EXPECT_EQ(layout.lines.back().substr(layout.lines.back().size() - 3), "...");
    for (const auto& line : layout.lines) EXPECT_LE(measure.TextWidth(line), 300);
    // Text right of the icon; the button below the text, inside the box.
    EXPECT_GE(layout.textX, layout.icon.x + layout.icon.w);
    int textBottom = layout.textY + static_cast<int>(layout.lines.size()) * layout.lineHeight;
    EXPECT_GE(layout.okButton.y, textBottom);
    EXPECT_LE(layout.okButton.y + layout.okButton.h, layout.height);
    EXPECT_GE(layout.okButton.x, 0);
    EXPECT_LE(layout.okButton.x + layout.okButton.w, layout.width);

    auto small = LayoutMessageBox("DirectX not found", false, measure, 300, 400);
    EXPECT_EQ(small.lines.size(), 1u);
    EXPECT_GE(small.width, measure.TextWidth("DirectX not found"));
    EXPECT_LT(small.width, 300);
}

TEST(FontTest, FamiliesMapToFittingFaces) {
    auto mono = Font::Open("Courier New", 13);
    auto sans = Font::Open("MS Sans Serif", 13);
    if (!mono || !sans) GTEST_SKIP() << "no scalable fonts installed";
    EXPECT_EQ(mono->TextWidth("iiii"), mono->TextWidth("MMMM")) << "Courier New needs a monospace face";
    EXPECT_LT(sans->TextWidth("iiii"), sans->TextWidth("MMMM")) << "MS Sans Serif is proportional";
    EXPECT_GT(sans->LineHeight(), 10);
    EXPECT_EQ(sans->TextWidth(""), 0);
}

}  // namespace
}  // namespace plat::dialogs
