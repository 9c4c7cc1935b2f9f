// The parts of dialogs that need no drawing library: text wrapping, layout,
// hit-testing and push-button behaviour. The drawing lives in surface_painter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plat::dialogs {

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// How wide a line of UTF-8 text is and how far apart lines are, in pixels.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int TextWidth(std::string_view utf8) const = 0;
    virtual int LineHeight() const = 0;
};

// Measures by counting characters; what dialogs use when no font can be found,
// so they keep a sensible size even with no text to show.
class FixedMeasure : public TextMeasure {
public:
    FixedMeasure(int charWidth, int lineHeight) : charWidth_(charWidth), lineHeight_(lineHeight) {}
    int TextWidth(std::string_view utf8) const override;
    int LineHeight() const override { return lineHeight_; }

private:
    int charWidth_, lineHeight_;
};

// Number of characters (not bytes) in UTF-8 text.
int CountCharacters(std::string_view utf8);

// Lines no wider than maxWidth: broken at '\n', then at spaces; a word wider
// than a whole line is cut between characters, never inside one.
std::vector<std::string> WrapText(std::string_view text, int maxWidth, const TextMeasure& measure);

// A push button: pressed while the mouse holds it down over it or Space is
// held with the focus on it; a click is a release over the button.
class PushButton {
public:
    PushButton(int id, std::string label, Box box, bool isDefault)
        : id_(id), label_(std::move(label)), box_(box), default_(isDefault) {}

    int id() const { return id_; }
    const std::string& label() const { return label_; }
    const Box& box() const { return box_; }
    bool isDefault() const { return default_; }
    bool focused() const { return focused_; }
    bool pressed() const { return (tracking_ && inside_) || spaceDown_; }

    void SetFocused(bool focused);
    void SetDefault(bool isDefault) { default_ = isDefault; }

    // Each returns true when the button was clicked.
    bool MouseDown(int x, int y);
    bool MouseMove(int x, int y);
    bool MouseUp(int x, int y);
    bool SpaceDown();
    bool SpaceUp();

private:
    int id_;
    std::string label_;
    Box box_;
    bool default_;
    bool focused_ = false;
    bool tracking_ = false;  // the mouse went down on the button and is still held
    bool inside_ = false;
    bool spaceDown_ = false;
};

// Where everything of a message box goes, in client pixels.
struct MessageBoxLayout {
    int width = 0, height = 0;
    bool hasIcon = false;
    Box icon;
    std::vector<std::string> lines;
    int textX = 0, textY = 0, lineHeight = 0;
    Box okButton;
};

// Text wrapped to maxTextWidth; lines that would make the box taller than
// maxHeight are left out, the last one shown ending in "...".
MessageBoxLayout LayoutMessageBox(std::string_view text, bool withIcon, const TextMeasure& measure,
                                  int maxTextWidth, int maxHeight);

}  // namespace plat::dialogs
