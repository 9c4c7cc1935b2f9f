#include "platform/dialogs/dialog_core.h"

#include <algorithm>

namespace plat::dialogs {
namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte length of the first character of s (at least 1 for a non-empty s).
std::size_t FirstCharLength(std::string_view s) {
    std::size_t n = 1;
    while (n < s.size() && IsContinuation(s[n])) ++n;
    return n;
}

// Appends a paragraph (no '\n' in it) as wrapped lines.
void WrapParagraph(std::string_view para, int maxWidth, const TextMeasure& measure,
                   std::vector<std::string>& lines) {
    std::string line;
    std::size_t pos = 0;
    auto flush = [&] {
        lines.push_back(line);
        line.clear();
    };
    while (pos < para.size()) {
        std::size_t end = para.find(' ', pos);
        if (end == std::string_view::npos) end = para.size();
        std::string_view word = para.substr(pos, end - pos);
        pos = end + 1;

        std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (measure.TextWidth(candidate) <= maxWidth) {
            line = std::move(candidate);
            continue;
        }
        if (!line.empty()) flush();
        // The word alone: cut it into pieces that fit, one character at least.
        while (!word.empty()) {
            std::size_t take = FirstCharLength(word);
            while (take < word.size()) {
                std::size_t next = take + FirstCharLength(word.substr(take));
                if (measure.TextWidth(word.substr(0, next)) > maxWidth) break;
                take = next;
            }
            if (take == word.size()) {
                line = std::string(word);
                break;
            }
            line = std::string(word.substr(0, take));
            flush();
            word.remove_prefix(take);
        }
    }
    lines.push_back(line);
}

}  // namespace

int CountCharacters(std::string_view utf8) {
    return static_cast<int>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return !IsContinuation(c); }));
}

int FixedMeasure::TextWidth(std::string_view utf8) const { return CountCharacters(utf8) * charWidth_; }

std::vector<std::string> WrapText(std::string_view text, int maxWidth, const TextMeasure& measure) {
    std::vector<std::string> lines;
    maxWidth = std::max(maxWidth, 1);
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        std::string_view para = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
        WrapParagraph(para, maxWidth, measure, lines);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

void PushButton::SetFocused(bool focused) {
    focused_ = focused;
    if (!focused) spaceDown_ = false;
}

bool PushButton::MouseDown(int x, int y) {
    if (!box_.Contains(x, y)) return false;
    tracking_ = true;
    inside_ = true;
    return false;
}

bool PushButton::MouseMove(int x, int y) {
    if (tracking_) inside_ = box_.Contains(x, y);
    return false;
}

bool PushButton::MouseUp(int x, int y) {
    if (!tracking_) return false;
    tracking_ = false;
    inside_ = false;
    return box_.Contains(x, y);
}

bool PushButton::SpaceDown() {
    if (focused_) spaceDown_ = true;
    return false;
}

bool PushButton::SpaceUp() {
    bool clicked = spaceDown_ && focused_;
    spaceDown_ = false;
    return clicked;
}

std::string_view CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && IsContinuation(text[end])) --end;
    return text.substr(0, end);
}

std::size_t CopyUtf8(std::string_view text, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return 0;
    std::string_view part = CutUtf8(text, size - 1);
    std::copy(part.begin(), part.end(), buffer);
    buffer[part.size()] = '\0';
    return part.size();
}

void EditText::SetText(std::string_view utf8) {
    text_.assign(utf8.substr(0, utf8.find('\0')));
    caret_ = 0;
    scroll_ = 0;
}

bool EditText::Insert(std::string_view utf8) {
    std::size_t room = limit_ > text_.size() ? limit_ - text_.size() : 0;
    std::string_view part = CutUtf8(utf8, room);
    text_.insert(caret_, part);
    caret_ += part.size();
    return part.size() == utf8.size();
}

void EditText::Backspace() {
    if (caret_ == 0) return;
    std::size_t start = caret_;
    Left();
    text_.erase(caret_, start - caret_);
}

void EditText::Delete() {
    if (caret_ >= text_.size()) return;
    std::size_t n = FirstCharLength(std::string_view(text_).substr(caret_));
    text_.erase(caret_, n);
}

void EditText::Left() {
    if (caret_ == 0) return;
    do --caret_;
    while (caret_ > 0 && IsContinuation(text_[caret_]));
}

void EditText::Right() {
    if (caret_ < text_.size()) caret_ += FirstCharLength(std::string_view(text_).substr(caret_));
}

void EditText::KeepCaretInSight(int visibleWidth, const TextMeasure& measure) {
    int at = measure.TextWidth(std::string_view(text_).substr(0, caret_));
    if (at < scroll_) {
        // Going left, show a quarter of the box before the caret, as the old control jumped.
        scroll_ = std::max(0, at - visibleWidth / 4);
    } else if (at > scroll_ + visibleWidth - 1) {
        scroll_ = at - visibleWidth + 1;
    }
    int full = measure.TextWidth(text_);
    if (full - scroll_ < visibleWidth - 1) scroll_ = std::max(0, full - visibleWidth + 1);
}

MessageBoxLayout LayoutMessageBox(std::string_view text, bool withIcon, const TextMeasure& measure,
                                  int maxTextWidth, int maxHeight) {
    constexpr int kMargin = 14, kIconSize = 32, kGap = 12, kButtonHeight = 26, kMinButtonWidth = 80;
    MessageBoxLayout layout;
    layout.lineHeight = std::max(1, measure.LineHeight());
    layout.lines = WrapText(text, maxTextWidth, measure);

    // Too many lines for the screen: keep what fits and mark the cut.
    int room = maxHeight - 2 * kMargin - kGap - kButtonHeight;
    std::size_t maxLines = static_cast<std::size_t>(std::max(1, room / layout.lineHeight));
    if (layout.lines.size() > maxLines) {
        layout.lines.resize(maxLines);
        std::string& last = layout.lines.back();
        while (!last.empty() && measure.TextWidth(last + "...") > maxTextWidth) {
            // Drop one whole character: its continuation bytes, then its lead byte.
            while (!last.empty() && IsContinuation(last.back())) last.pop_back();
            if (!last.empty()) last.pop_back();
        }
        last += "...";
    }

    int textWidth = 0;
    for (const std::string& line : layout.lines) textWidth = std::max(textWidth, measure.TextWidth(line));
    int textHeight = static_cast<int>(layout.lines.size()) * layout.lineHeight;

    layout.hasIcon = withIcon;
    int textLeft = kMargin;
    int bodyHeight = textHeight;
    if (withIcon) {
        layout.icon = {kMargin, kMargin, kIconSize, kIconSize};
        textLeft += kIconSize + kGap;
        bodyHeight = std::max(bodyHeight, kIconSize);
    }
    layout.textX = textLeft;
    layout.textY = kMargin + std::max(0, (bodyHeight - textHeight) / 2);

    int buttonWidth = std::max(kMinButtonWidth, measure.TextWidth("OK") + 2 * kGap);
    layout.width = std::max(textLeft + textWidth + kMargin, buttonWidth + 2 * kMargin);
    layout.width = std::max(layout.width, 160);
    layout.okButton = {(layout.width - buttonWidth) / 2, kMargin + bodyHeight + kGap, buttonWidth, kButtonHeight};
    layout.height = layout.okButton.y + kButtonHeight + kMargin;
    return layout;
}

}  // namespace plat::dialogs
