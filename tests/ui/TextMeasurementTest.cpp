#include "platform/ui/Font.h"
#include "platform/ui/Label.h"
#include "tests/ui/UiTest.h"

#include <string>
#include <vector>

using platform::Font;
using platform::Rect;
using platform::Size;

namespace {

using Lines = std::vector<std::string>;

class TextMeasurementTest : public UiTest {};

TEST_F(TextMeasurementTest, FullWidthCharactersTakeOneEmAndOthersHalfAnEm) {
    Font font = Font::systemFont(16);
    EXPECT_DOUBLE_EQ(font.widthOfText("登录"), 32);
    EXPECT_DOUBLE_EQ(font.widthOfText("abc"), 24);
    EXPECT_DOUBLE_EQ(font.widthOfText("3G网络"), 48);
    EXPECT_DOUBLE_EQ(font.widthOfText("请输入您的用户名!"), 8 * 16 + 8);
    EXPECT_DOUBLE_EQ(font.widthOfText("，。"), 32);  // full-width punctuation
    EXPECT_DOUBLE_EQ(font.widthOfText(""), 0);
    EXPECT_DOUBLE_EQ(Font::boldSystemFont(14).widthOfText("返回"), 28);
    EXPECT_DOUBLE_EQ(font.lineHeight(), 16 * 1.2);
}

TEST_F(TextMeasurementTest, OneLineTextIsMeasuredRoundedUpToWholePoints) {
    Font font = Font::systemFont(15);
    EXPECT_EQ(font.sizeOfText("abc", Size{0, 0}), (Size{23, 18}));  // 22.5 x 18
    EXPECT_EQ(font.sizeOfText("", Size{280, 60}), (Size{0, 0}));
}

TEST_F(TextMeasurementTest, AsciiTextWrapsAtTheLastSpaceThatFits) {
    Font font = Font::systemFont(10);  // 5 points a character
    Lines words = font.linesOfText("hello world", 40);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].substr(0, 5), "hello");
    EXPECT_EQ(words[1], "world");
    EXPECT_EQ(font.linesOfText("abcdefghij", 20), (Lines{"abcd", "efgh", "ij"}));  // one long word
    EXPECT_EQ(font.linesOfText("one\ntwo", 1000), (Lines{"one", "two"}));
}

TEST_F(TextMeasurementTest, ASpaceThatDoesNotFitBreaksTheLineWithoutAnEmptyLine) {
    Font font = Font::systemFont(10);
    EXPECT_EQ(font.linesOfText("abcd efgh", 20), (Lines{"abcd", "efgh"}));
    EXPECT_EQ(font.sizeOfText("abcd efgh", Size{20, 0}), (Size{20, 24}));
}

TEST_F(TextMeasurementTest, AWrappedLineEndsAtTheLastWordThatFits) {
    Font font = Font::systemFont(10);
    // "ab cd" is exactly 25 points wide; the space after it is where the line breaks.
    Lines lines = font.linesOfText("ab cd ef", 25);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().substr(0, 5), "ab cd");
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(TextMeasurementTest, TheSpaceAtAWrapDoesNotWidenTheMeasuredText) {
    Font font = Font::systemFont(10);
    EXPECT_EQ(font.sizeOfText("hello world", Size{40, 0}), (Size{25, 24}));
}

TEST_F(TextMeasurementTest, FullWidthTextFillsEachLineBeforeWrapping) {
    Font font = Font::systemFont(10);
    EXPECT_EQ(font.linesOfText("税务课程", 20), (Lines{"税务", "课程"}));
    EXPECT_EQ(font.linesOfText("税务课程", 40), (Lines{"税务课程"}));
    EXPECT_EQ(font.sizeOfText("税务课程", Size{20, 0}), (Size{20, 24}));
    // The toast measures its text within 280 by 60 points in the 16-point font.
    // "3G" and 16 full-width characters fill 272 points; the 17th goes to a second line.
    std::string message = "3G网络下载可能会产生比较多的流量费用";
    EXPECT_EQ(Font::systemFont(16).sizeOfText(message, Size{280, 60}), (Size{272, 39}));
}

TEST_F(TextMeasurementTest, MeasuredSizeNeverExceedsTheConstraintAndKeepsOnlyWholeLines) {
    Font font = Font::systemFont(16);  // lines 19.2 high
    std::string longText;
    for (int i = 0; i < 40; ++i) {
        longText += "word ";
    }
    Size fitted = font.sizeOfText(longText, Size{280, 60});
    EXPECT_LE(fitted.width, 280);
    EXPECT_EQ(fitted.height, 58);  // three whole lines: 57.6 rounded up

    EXPECT_EQ(font.sizeOfText(longText, Size{280, 10}).height, 10);  // never taller than asked
    EXPECT_EQ(font.sizeOfText(longText, Size{280, 0}, 2).height, 39);
    EXPECT_EQ(font.linesOfText(longText, 280, 2).size(), 2u);
}

TEST_F(TextMeasurementTest, LabelSizesToItsTextAndCutsWhatDoesNotFit) {
    auto label = platform::View::create<platform::Label>(Rect::make(0, 0, 100, 21));
    label->setFont(Font::systemFont(10));
    label->setText("abcdefghijklmnopqrstuvwxyz");
    label->sizeToFit();
    EXPECT_EQ(label->frame().size, (Size{130, 12}));

    label->setFrame(Rect::make(0, 0, 50, 12));
    std::vector<std::string> shown = label->displayedLines();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "abcdefg...");

    label->setNumberOfLines(0);
    label->setFrame(Rect::make(0, 0, 50, 100));
    EXPECT_EQ(label->displayedLines().size(), 3u);
}

}  // namespace
