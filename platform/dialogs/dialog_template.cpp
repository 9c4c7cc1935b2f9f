#include "platform/dialogs/dialog_template.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>

namespace plat::dialogs {
namespace {

// Style and id names a template may use, at the platform's documented values.
const std::map<std::string, DWORD, std::less<>>& Symbols() {
    static const std::map<std::string, DWORD, std::less<>> symbols = {
        {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP},       {"WS_CHILD", WS_CHILD},
        {"WS_VISIBLE", WS_VISIBLE},       {"WS_DISABLED", WS_DISABLED}, {"WS_CAPTION", WS_CAPTION},
        {"WS_BORDER", WS_BORDER},         {"WS_SYSMENU", WS_SYSMENU},   {"WS_THICKFRAME", WS_THICKFRAME},
        {"WS_GROUP", WS_GROUP},           {"WS_TABSTOP", WS_TABSTOP},   {"DS_SETFONT", DS_SETFONT},
        {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_ABSALIGN", DS_ABSALIGN}, {"DS_CENTER", DS_CENTER},
        {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON},
        {"SS_LEFT", SS_LEFT},             {"IDOK", IDOK},               {"IDCANCEL", IDCANCEL},
    };
    return symbols;
}

struct Token {
    enum Kind { End, Number, Name, String, Punct } kind = End;
    std::string text;
    long value = 0;
};

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Token Next() {
        SkipBlanks();
        Token t;
        if (pos_ >= s_.size()) return t;
        char c = s_[pos_];
        if (c == '"') {
            t.kind = Token::String;
            ++pos_;
            while (pos_ < s_.size()) {
                char d = s_[pos_++];
                if (d == '"') {
                    if (pos_ < s_.size() && s_[pos_] == '"') {  // "" is a quote inside
                        t.text += '"';
                        ++pos_;
                        continue;
                    }
                    break;
                }
                t.text += d;
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
            t.kind = Token::Number;
            std::size_t start = pos_++;
            while (pos_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            t.text = std::string(s_.substr(start, pos_ - start));
            char* end = nullptr;
            t.value = std::strtol(t.text.c_str(), &end, 0);
            if (*end == 'L' || *end == 'l') ++end;  // 12L is a long constant
            if (*end != '\0') t.kind = Token::Punct;  // not a number after all: a parse error later
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::Name;
            std::size_t start = pos_;
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
            t.text = std::string(s_.substr(start, pos_ - start));
        } else {
            t.kind = Token::Punct;
            t.text = std::string(1, c);
            ++pos_;
        }
        return t;
    }

private:
    void SkipBlanks() {
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (s_.substr(pos_, 2) == "//" || (c == '#' && AtLineStart())) {
                // Comments and preprocessor lines carry nothing a template needs.
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
            } else if (s_.substr(pos_, 2) == "/*") {
                std::size_t end = s_.find("*/", pos_ + 2);
                pos_ = end == std::string_view::npos ? s_.size() : end + 2;
            } else {
                break;
            }
        }
    }
    bool AtLineStart() const {
        for (std::size_t i = pos_; i-- > 0;) {
            if (s_[i] == '\n') return true;
            if (!std::isspace(static_cast<unsigned char>(s_[i]))) return false;
        }
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(std::string_view script) : lex_(script) { Advance(); }

    std::optional<DialogTemplate> Find(int wanted) {
        while (tok_.kind != Token::End) {
            if (IsName("LANGUAGE")) {
                if (!Language()) return std::nullopt;
                continue;
            }
            if (tok_.kind != Token::Number) return std::nullopt;
            long id = tok_.value;
            Advance();
            if (!IsName("DIALOG") && !IsName("DIALOGEX")) return std::nullopt;
            Advance();
            std::optional<DialogTemplate> dialog = Dialog(static_cast<int>(id));
            if (!dialog) return std::nullopt;
            if (id == wanted) return dialog;
        }
        return std::nullopt;
    }

private:
    void Advance() { tok_ = lex_.Next(); }
    bool IsName(const char* name) const { return tok_.kind == Token::Name && tok_.text == name; }
    bool Punct(const char* p) const { return tok_.kind == Token::Punct && tok_.text == p; }
    bool Comma() {
        if (!Punct(",")) return false;
        Advance();
        return true;
    }

    // LANGUAGE lang, sublang: the script holds one language, so it is skipped.
    bool Language() {
        Advance();
        if (tok_.kind != Token::Name && tok_.kind != Token::Number) return false;
        Advance();
        if (!Comma() || (tok_.kind != Token::Name && tok_.kind != Token::Number)) return false;
        Advance();
        return true;
    }

    bool Number(int* out) {
        if (tok_.kind != Token::Number) return false;
        *out = static_cast<int>(tok_.value);
        Advance();
        return true;
    }
    bool String(std::string* out) {
        if (tok_.kind != Token::String) return false;
        *out = tok_.text;
        Advance();
        return true;
    }

    // term ('|' term)*, where a term is a number, a known name or NOT term.
    bool Expression(DWORD* set, DWORD* cleared) {
        *set = 0;
        *cleared = 0;
        for (;;) {
            bool negate = false;
            if (IsName("NOT")) {
                negate = true;
                Advance();
            }
            DWORD value = 0;
            if (tok_.kind == Token::Number) {
                value = static_cast<DWORD>(tok_.value);
            } else if (tok_.kind == Token::Name) {
                auto it = Symbols().find(tok_.text);
                if (it == Symbols().end()) return false;
                value = it->second;
            } else {
                return false;
            }
            Advance();
            if (negate) {
                *cleared |= value;
                *set &= ~value;
            } else {
                *set |= value;
            }
            if (!Punct("|")) return true;
            Advance();
        }
    }
    bool Id(int* out) {
        DWORD set = 0, cleared = 0;
        if (!Expression(&set, &cleared)) return false;
        *out = static_cast<int>(set);
        return true;
    }
    bool Rect(int* x, int* y, int* cx, int* cy) {
        return Number(x) && Comma() && Number(y) && Comma() && Number(cx) && Comma() && Number(cy);
    }
    // An optional ", style [, exstyle]" after a control's rectangle, over its defaults.
    bool TrailingStyle(DWORD* style) {
        if (!Comma()) return true;
        DWORD set = 0, cleared = 0;
        if (!Expression(&set, &cleared)) return false;
        *style = (*style & ~cleared) | set;
        if (Comma()) return Expression(&set, &cleared);  // extended style: not used here
        return true;
    }

    std::optional<DialogTemplate> Dialog(int id) {
        DialogTemplate d;
        d.id = id;
        if (!Rect(&d.x, &d.y, &d.cx, &d.cy)) return std::nullopt;
        int helpId = 0;
        if (Comma() && !Number(&helpId)) return std::nullopt;
        bool font = false;
        while (!IsName("BEGIN") && !Punct("{")) {
            DWORD set = 0, cleared = 0;
            if (IsName("STYLE")) {
                Advance();
                if (!Expression(&set, &cleared)) return std::nullopt;
                d.style = set;
            } else if (IsName("EXSTYLE")) {
                Advance();
                if (!Expression(&set, &cleared)) return std::nullopt;
            } else if (IsName("CAPTION")) {
                Advance();
                if (!String(&d.caption)) return std::nullopt;
            } else if (IsName("FONT")) {
                Advance();
                if (!Number(&d.fontPoints) || !Comma() || !String(&d.fontFamily)) return std::nullopt;
                int skip = 0;
                while (Comma() && Number(&skip)) {}  // DIALOGEX: weight, italic, charset
                font = true;
            } else if (IsName("LANGUAGE")) {
                if (!Language()) return std::nullopt;
            } else {
                return std::nullopt;
            }
        }
        Advance();
        // The resource compiler sets DS_SETFONT itself for a template with a font.
        if (font) d.style |= DS_SETFONT;
        while (!IsName("END") && !Punct("}")) {
            ControlTemplate c;
            if (!Control(&c)) return std::nullopt;
            d.controls.push_back(std::move(c));
        }
        Advance();
        return d;
    }

    bool Control(ControlTemplate* c) {
        constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
        std::string keyword = tok_.kind == Token::Name ? tok_.text : "";
        Advance();
        // The resource compiler's defaults for each statement.
        if (keyword == "EDITTEXT") {
            c->className = "Edit";
            c->style = kChild | WS_BORDER | WS_TABSTOP;
            return Id(&c->id) && Comma() && Rect(&c->x, &c->y, &c->cx, &c->cy) && TrailingStyle(&c->style);
        }
        if (keyword == "PUSHBUTTON" || keyword == "DEFPUSHBUTTON" || keyword == "LTEXT") {
            bool text = keyword == "LTEXT";
            c->className = text ? "Static" : "Button";
            c->style = kChild | (text ? (SS_LEFT | WS_GROUP)
                                      : (WS_TABSTOP | (keyword == "DEFPUSHBUTTON" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)));
            return String(&c->text) && Comma() && Id(&c->id) && Comma() && Rect(&c->x, &c->y, &c->cx, &c->cy) &&
                   TrailingStyle(&c->style);
        }
        if (keyword == "CONTROL") {
            if (!String(&c->text) || !Comma() || !Id(&c->id) || !Comma()) return false;
            if (tok_.kind != Token::String && tok_.kind != Token::Name) return false;
            std::string cls = tok_.text;
            Advance();
            for (const char* known : {"Edit", "Button", "Static"}) {
                if (cls.size() == std::string_view(known).size() &&
                    std::equal(cls.begin(), cls.end(), known,
                               [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                    cls = known;
            }
            c->className = cls;
            DWORD set = 0, cleared = 0;
            if (!Comma() || !Expression(&set, &cleared) || !Comma()) return false;
            c->style = (kChild | set) & ~cleared;
            if (!Rect(&c->x, &c->y, &c->cx, &c->cy)) return false;
            if (Comma() && !Expression(&set, &cleared)) return false;
            return true;
        }
        return false;
    }

    Lexer lex_;
    Token tok_;
};

int MulDivRounded(int a, int b, int c) { return static_cast<int>(std::lround(static_cast<double>(a) * b / c)); }

}  // namespace

std::optional<DialogTemplate> FindDialogTemplate(std::string_view script, int id) {
    return Parser(script).Find(id);
}

int PointsToPixels(int points) { return MulDivRounded(points, 96, 72); }

BaseUnits BaseUnitsOf(const TextMeasure& measure) {
    // The average width as the old platform measured it: the alphabet twice over, rounded.
    int width = measure.TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {std::max(1, (width / 26 + 1) / 2), std::max(1, measure.LineHeight())};
}

Box DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits base) {
    return {MulDivRounded(x, base.x, 4), MulDivRounded(y, base.y, 8), MulDivRounded(cx, base.x, 4),
            MulDivRounded(cy, base.y, 8)};
}

}  // namespace plat::dialogs
