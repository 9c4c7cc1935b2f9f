#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scores/result_line.h"

namespace {

std::string Line(const char* name, int32_t score) {
    ScoreRecord record{};
    std::memcpy(record.name, name, std::min(std::strlen(name), sizeof record.name));
    record.score = score;
    char line[kResultLineSize];
    FormatResultLine(record, line);
    return line;
}

// Columns as the fixed-pitch static shows them: one per character.
size_t Columns(const std::string& text) {
    size_t columns = 0;
    for (unsigned char c : text) columns += (c & 0xC0) != 0x80;
    return columns;
}

TEST(ResultLineTest, NamePaddedTo40ThenBlankThenScore) {
    EXPECT_EQ(Line("abc", 1234), "abc" + std::string(37, ' ') + " 1234");
    EXPECT_EQ(Line("", -5), std::string(41, ' ') + "-5");
}

TEST(ResultLineTest, PaddingCountsCharactersNotBytes) {
    const std::string name = "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";  // four Cyrillic letters
    EXPECT_EQ(Line(name.c_str(), 7), name + std::string(36, ' ') + " 7");
}

TEST(ResultLineTest, AFieldWithoutNulAndAHugeScoreFitTheLineWithTheWholeNumber) {
    const std::string line = Line("ABCDEFGHIJKLMNOPQRSTUVWXYZ", -2147483647 - 1);
    EXPECT_EQ(line.substr(0, 20), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(line.substr(line.size() - 12), " -2147483648");
    EXPECT_EQ(Columns(line), static_cast<size_t>(kResultColumns));
}

TEST(ResultLineTest, BytesOfAnotherEncodingShowAsQuestionMarks) {
    // "Ivan" in the Cyrillic ANSI code page, a stray continuation byte, a cut
    // three-byte character, a control code and an overlong form.
    EXPECT_EQ(Line("\xC8\xE2\xE0\xED", 3).substr(0, 5), "???? ");
    EXPECT_EQ(Line("a\x80" "b\xE2\x82\tc\xC0\xAF", 3).substr(0, 9), "a?b???c??");
    EXPECT_EQ(Columns(Line("\xC8\xE2\xE0\xED", 3)), 42u);
}

TEST(ResultLineTest, TheEdgesOfUtf8AreKeptOrRefusedWhole) {
    // The lowest two-byte and four-byte leads are characters; an overlong
    // four-byte form and a lead beyond F4 are not.
    EXPECT_EQ(Line("\xC2\xA9", 1).substr(0, 3), "\xC2\xA9 ");
    EXPECT_EQ(Line("\xF0\x9F\x98\x80", 1).substr(0, 5), "\xF0\x9F\x98\x80 ");
    EXPECT_EQ(Line("\xF0\x8F\xBF\xBF", 1).substr(0, 5), "???? ");
    EXPECT_EQ(Line("\xF8\x90\x80\x80", 1).substr(0, 5), "???? ");
}

}  // namespace
