// The resource script's templates and the edit control's text rules.
#include <gtest/gtest.h>

#include <tuple>

#include "platform/dialogs/dialog_core.h"
#include "platform/dialogs/dialog_template.h"

namespace plat::dialogs {
namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;

TEST(DialogTemplateTest, TheNameDialogIsAsDesigned) {
    auto d = FindDialogTemplate(ProgramResourceScript(), 101);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->caption, "Enter your name");
    EXPECT_EQ(d->fontFamily, "MS Sans Serif");
    EXPECT_EQ(d->fontPoints, 8);
    EXPECT_EQ(d->style, kDialogStyle);
    EXPECT_EQ(std::tie(d->x, d->y, d->cx, d->cy), std::make_tuple(0, 0, 186, 52));
    ASSERT_EQ(d->controls.size(), 3u);
    const ControlTemplate& edit = d->controls[0];
    EXPECT_EQ(edit.className, "Edit");
    EXPECT_EQ(edit.id, 1000);
    EXPECT_EQ(edit.text, "");
    EXPECT_EQ(edit.style, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL);
    EXPECT_EQ(std::tie(edit.x, edit.y, edit.cx, edit.cy), std::make_tuple(7, 7, 172, 12));
    const ControlTemplate& ok = d->controls[1];
    EXPECT_EQ(ok.className, "Button");
    EXPECT_EQ(ok.text, "OK");
    EXPECT_EQ(ok.id, IDOK);
    EXPECT_EQ(ok.style, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    EXPECT_EQ(std::tie(ok.x, ok.y, ok.cx, ok.cy), std::make_tuple(7, 31, 50, 14));
    const ControlTemplate& cancel = d->controls[2];
    EXPECT_EQ(cancel.text, "Cancel");
    EXPECT_EQ(cancel.id, IDCANCEL);
    EXPECT_EQ(cancel.style, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    EXPECT_EQ(std::tie(cancel.x, cancel.y, cancel.cx, cancel.cy), std::make_tuple(129, 31, 50, 14));
}

TEST(DialogTemplateTest, TheResultsDialogHasTenStaticLines) {
    auto d = FindDialogTemplate(ProgramResourceScript(), 102);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->caption, "Best results");
    EXPECT_EQ(d->fontFamily, "Courier New");
    EXPECT_EQ(d->fontPoints, 8);
    EXPECT_EQ(d->style, kDialogStyle);
    EXPECT_EQ(std::tie(d->cx, d->cy), std::make_tuple(199, 171));
    ASSERT_EQ(d->controls.size(), 11u);
    EXPECT_EQ(d->controls[0].id, IDOK);
    EXPECT_EQ(d->controls[0].style, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    EXPECT_EQ(std::tie(d->controls[0].x, d->controls[0].y), std::make_tuple(74, 150));
    for (int k = 0; k < 10; ++k) {
        const ControlTemplate& line = d->controls[1 + k];
        EXPECT_EQ(line.className, "Static");
        EXPECT_EQ(line.id, 1001 + k);
        EXPECT_EQ(line.style, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT);
        EXPECT_EQ(std::tie(line.x, line.y, line.cx, line.cy), std::make_tuple(7, 7 + 14 * k, 185, 11));
    }
}

TEST(DialogTemplateTest, ControlStatementsNotAndMissingOrBrokenTemplates) {
    const char* script = R"(
#include "resource.h"
/* a block comment */ 7 DIALOGEX 10, 20, 100, 50
STYLE WS_POPUP | WS_CAPTION
CAPTION "Say ""hi"""
FONT 9, "Courier New", 400, 0, 0x1
{
    CONTROL "", 5, "EDIT", WS_BORDER | NOT WS_VISIBLE, 1, 2, 30, 12
    LTEXT "x", 6, 1, 20, 30, 8, NOT WS_GROUP
}
8 DIALOG 0, 0, 10, 10
BEGIN
    EDITTEXT 9, 0, 0, 5, 5, WS_UNHEARD_OF
END
)";
    auto d = FindDialogTemplate(script, 7);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->caption, "Say \"hi\"");
    EXPECT_EQ(d->style, WS_POPUP | WS_CAPTION | DS_SETFONT);
    EXPECT_EQ(d->fontPoints, 9);
    ASSERT_EQ(d->controls.size(), 2u);
    EXPECT_EQ(d->controls[0].className, "Edit");
    EXPECT_EQ(d->controls[0].style, WS_CHILD | WS_BORDER);
    EXPECT_EQ(d->controls[1].style, WS_CHILD | WS_VISIBLE | SS_LEFT);
    EXPECT_FALSE(FindDialogTemplate(script, 8)) << "an unknown style name is an error, not a zero";
    EXPECT_FALSE(FindDialogTemplate(ProgramResourceScript(), 103));
}

TEST(DialogUnitsTest, AQuarterAndAnEighthOfTheBaseUnits) {
    Box b = DialogUnitsToPixels(7, 31, 50, 14, {6, 13});
    EXPECT_EQ(b.x, 11);   // 10.5 rounds up
    EXPECT_EQ(b.y, 50);   // 50.375
    EXPECT_EQ(b.w, 75);
    EXPECT_EQ(b.h, 23);   // 22.75
    FixedMeasure m(7, 15);
    BaseUnits base = BaseUnitsOf(m);
    EXPECT_EQ(base.x, 7);
    EXPECT_EQ(base.y, 15);
    EXPECT_EQ(PointsToPixels(8), 11);
}

TEST(EditTextTest, TheLimitAndTheCopyNeverSplitACharacter) {
    EditText e;
    e.SetLimit(6);
    EXPECT_FALSE(e.Insert("ab\xC5\xBD\xF0\x9F\x98\x80"));  // a, b, Ž (2 bytes), an emoji (4)
    EXPECT_EQ(e.text(), "ab\xC5\xBD");
    EXPECT_EQ(e.caret(), 4u);
    char buffer[8];
    std::string word = "\xC5\xBDofie \xF0\x9F\x98\x80";  // 7 bytes, then 4
    EXPECT_EQ(CopyUtf8(word, buffer, 10), 7u);
    EXPECT_STREQ(buffer, "\xC5\xBDofie ");
    EXPECT_EQ(CopyUtf8(word, buffer, 2), 0u) << "half a Ž is no character";
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(CopyUtf8(word, buffer, 0), 0u);
}

TEST(EditTextTest, CaretKeysMoveAndDeleteWholeCharacters) {
    EditText e;
    e.SetText("a\xC5\xBD\xF0\x9F\x98\x80z");
    EXPECT_EQ(e.caret(), 0u);
    e.Right();
    e.Right();
    EXPECT_EQ(e.caret(), 3u);
    e.Delete();  // the emoji
    EXPECT_EQ(e.text(), "a\xC5\xBDz");
    e.Backspace();  // Ž
    EXPECT_EQ(e.text(), "az");
    EXPECT_EQ(e.caret(), 1u);
    e.End();
    e.Insert("!");
    e.Home();
    e.Left();
    e.Delete();
    EXPECT_EQ(e.text(), "z!");
}

TEST(EditTextTest, LongTextScrollsToKeepTheCaretInSight) {
    FixedMeasure m(10, 12);
    EditText e;
    e.Insert(std::string(30, 'W'));  // 300 pixels in a box of 100
    e.KeepCaretInSight(100, m);
    EXPECT_EQ(e.scroll(), 201);
    e.Home();
    e.KeepCaretInSight(100, m);
    EXPECT_EQ(e.scroll(), 0);
    e.End();
    e.KeepCaretInSight(100, m);
    for (int i = 0; i < 25; ++i) e.Backspace();
    e.KeepCaretInSight(100, m);
    EXPECT_EQ(e.scroll(), 0) << "short text again shows from its start";
}

}  // namespace
}  // namespace plat::dialogs
