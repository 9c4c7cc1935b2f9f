#include "scores/result_line.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kNameColumns = 40;

// The length of the valid UTF-8 character at text (of size bytes), or 0 when there is none.
int Utf8CharLength(const unsigned char* text, int size) {
    const unsigned char lead = text[0];
    int length;
    unsigned int codePoint;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (length > size) return 0;
    for (int i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (text[i] & 0x3F);
    }
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (overlong || surrogate || codePoint > 0x10FFFF) return 0;
    return length;
}

}  // namespace

void FormatResultLine(const ScoreRecord& record, char (&line)[kResultLineSize]) {
    // A name from a file need not end within its field, nor be UTF-8 (older files
    // hold the ANSI code page): bytes that are no character, and control codes, show as '?'.
    const unsigned char* name = reinterpret_cast<const unsigned char*>(record.name);
    const int nameBytes = static_cast<int>(strnlen(record.name, kNameFieldSize));
    int out = 0;
    int columns = 0;
    for (int i = 0; i < nameBytes;) {
        const int length = Utf8CharLength(name + i, nameBytes - i);
        if (length == 0 || name[i] < 0x20 || name[i] == 0x7F) {
            line[out++] = '?';
            ++i;
        } else {
            std::memcpy(line + out, name + i, length);
            out += length;
            i += length;
        }
        ++columns;
    }

    char score[12];
    const int scoreColumns = std::snprintf(score, sizeof score, "%d", static_cast<int>(record.score));
    // Padding counts characters, not bytes; a score too long for the line takes from the
    // padding, so that the number is never cut.
    int padding = kNameColumns - columns;
    const int room = kResultColumns - columns - 1 - scoreColumns;
    if (padding > room) padding = room;
    std::memset(line + out, ' ', padding);
    out += padding;
    line[out++] = ' ';
    std::memcpy(line + out, score, scoreColumns + 1);
}
