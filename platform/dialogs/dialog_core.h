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

// The longest leading part of text no longer than maxBytes that does not
// end inside a character.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes);

// WM_GETTEXT's copy: at most size-1 bytes of whole characters and a NUL;
// returns the bytes copied, the NUL not counted. Nothing for a size of 0.
std::size_t CopyUtf8(std::string_view text, char* buffer, std::size_t size);

// A single-line edit control's text and caret, in bytes of UTF-8, and how far
// its text is scrolled to the left so the caret stays in sight.
class EditText {
public:
    // The old platform's default: what the user may type, in bytes.
    static constexpr std::size_t kDefaultLimit = 32767;

    const std::string& text() const { return text_; }
    std::size_t caret() const { return caret_; }
    int scroll() const { return scroll_; }

    // Caret and scroll back to the start. The limit holds only for typing.
    void SetText(std::string_view utf8);
    void SetLimit(std::size_t bytes) { limit_ = bytes; }
    // Typed text at the caret, as many whole characters as the limit allows;
    // false when not all of it fitted.
    bool Insert(std::string_view utf8);
    void Backspace();
    void Delete();
    void Left();
    void Right();
    void Home() { caret_ = 0; }
    void End() { caret_ = text_.size(); }
    // Scrolls so the caret is inside a box visibleWidth pixels wide.
    void KeepCaretInSight(int visibleWidth, const TextMeasure& measure);

private:
    std::string text_;
    std::size_t caret_ = 0;
    std::size_t limit_ = kDefaultLimit;
    int scroll_ = 0;
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
