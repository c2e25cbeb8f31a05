#include "home/ovCalculatorPlugin.h"
#include "home/ovCalculatorLayout.h"
#include "home/ovHyperBar.h"
#include "shell/ovScreenGeometry.h"
#include "support/ovTestProgram.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace L = ovCalculatorLayout;

class Calculator : public ::testing::Test {
protected:
    Calculator() { calc = static_cast<ovCalculatorPlugin*>(ovHyperBar::instance()->plugins[1]); }

    // A screen point inside the key with this caption, where the hit test finds it.
    ovPoint keyPoint(const std::string& caption) {
        for (const L::DigitRow& row : L::digitRows) {
            const int left = fracWidth(row.area.left), right = fracWidth(row.area.right);
            const int step = (right - left) / L::rowColumns;
            for (int i = 0; i < L::rowColumns; ++i)
                if (std::u16string(row.captions[i]) == std::u16string(caption.begin(), caption.end()))
                    return {left + i * step + step / 2,
                            (fracHeight(row.area.top) + fracHeight(row.area.bottom)) / 2};
        }
        for (const L::Key& key : L::keys) {
            if (key.label != caption)
                continue;
            // The "-" key's middle belongs to the "." key above it.
            const float top = key.code == L::subtract ? 0.24f : key.area.top;
            return {(fracWidth(key.area.left) + fracWidth(key.area.right)) / 2,
                    (fracHeight(top) + fracHeight(key.area.bottom)) / 2};
        }
        ADD_FAILURE() << "no key " << caption;
        return {};
    }
    // Presses the keys named by their labels on the picture, separated by spaces.
    void keys(const std::string& sequence) {
        std::istringstream in(sequence);
        for (std::string caption; in >> caption;) {
            const ovPoint at = keyPoint(caption);
            const ovCalcKey key = calc->findCalcKey(at.x, at.y);
            ASSERT_NE(key.kind, L::noKind) << caption;
            calc->pressKey(key);
        }
    }
    std::string shown() {
        std::u16string text(calc->displaySign());
        if (!text.empty())
            text += u' ';
        text += calc->displayNumber();
        return std::string(text.begin(), text.end());
    }
    std::string after(const std::string& sequence) {
        keys("AC " + sequence);
        return shown();
    }

    ovTestProgram p;
    ovCalculatorPlugin* calc = nullptr;
};

TEST_F(Calculator, TypicalSequencesRunLeftToRightWithoutPrecedence) {
    EXPECT_EQ(after("5"), "5");
    EXPECT_EQ(after("5 +"), "+ 0");
    EXPECT_EQ(after("5 + 3"), "+ 3");
    EXPECT_EQ(after("5 + 3 ="), "8.000000");
    EXPECT_EQ(after("5 + 3 -"), "- 8.000000");
    EXPECT_EQ(after("5 + 3 - 2 ="), "6.000000");
    EXPECT_EQ(after("5 + -"), "- 5");
    EXPECT_EQ(after("2 x^y 1 0 ="), "1024.000000");
    EXPECT_EQ(after("2 + 3 x 4 ="), "20.000000");
    EXPECT_EQ(after("5 x ="), "0.000000");
    EXPECT_EQ(after("5 + ="), "5.000000");
    EXPECT_EQ(after("5 + 3 = ="), "8.000000"); // a second "=" does nothing
}

TEST_F(Calculator, TypingDigitsPointsAndBackspace) {
    EXPECT_EQ(after("0"), "0");
    EXPECT_EQ(after("0 7"), "7");
    EXPECT_EQ(after("0 . 5"), "0.5");
    EXPECT_EQ(after("1 . 2 . 3"), "1.23");
    EXPECT_EQ(after("1 . <- . 5"), "1.5");
    EXPECT_EQ(after("4 2 <- <-"), "");
    EXPECT_EQ(after("4 2 <- <- <- 9"), "9");
    // Digits on a full operand are ignored instead of running past its field.
    keys("AC");
    for (int i = 0; i < 300; ++i)
        keys("7");
    EXPECT_EQ(calc->operandA.length(), 255u);
    keys(".");
    EXPECT_EQ(calc->operandA.length(), 255u);
    EXPECT_FALSE(calc->operandAHasPoint);
}

TEST_F(Calculator, AfterEqualsTheResultIsTheTextBeingTyped) {
    EXPECT_EQ(after("5 + 3 = 3"), "8.0000003");
    // The point flag is not taken from the result: a second point goes in, unseen
    // until the next digit, and the number reads up to it.
    EXPECT_EQ(after("5 + 3 = ."), "8.000000");
    keys("1 + 1 =");
    EXPECT_EQ(calc->operandA.str(), u"9.000000");
}

TEST_F(Calculator, FunctionsInDegreesAndSinglePrecision) {
    EXPECT_EQ(after("3 0 sin"), "0.500000");
    EXPECT_EQ(after("6 0 cos"), "0.500000");
    EXPECT_EQ(after("5 +/-"), "-5.000000");
    EXPECT_EQ(after("4 1/x"), "0.250000");
    EXPECT_EQ(after("8 1 sqrt"), "9.000000");
    EXPECT_EQ(after("1 / 3 ="), "0.333333");
    EXPECT_EQ(after(". 1 + . 2 ="), "0.300000");
    EXPECT_EQ(after("1 6 7 7 7 2 1 7 + 0 ="), "16777216.000000");
    EXPECT_EQ(after("5 + 2 sqrt"), "+ 1.414214"); // on the operand being typed
    EXPECT_EQ(after("1 / 0 ="), "inf");
}

TEST_F(Calculator, MemoryAddsWhatTheDisplayShows) {
    keys("AC MC 5 + 3 = M+");
    EXPECT_EQ(calc->memoryText.str(), u"8.000000");
    keys("2 M+"); // typing on the result: 8.0000002
    EXPECT_EQ(calc->memoryText.str(), u"16.000000");
    keys("AC 1 + MR");
    EXPECT_EQ(shown(), "+ 16.000000");
    EXPECT_EQ(calc->memoryText.str(), u"16.000000"); // AC keeps the memory
    keys("MC");
    EXPECT_EQ(calc->memoryText.str(), u"0");
    keys("MR");
    EXPECT_EQ(shown(), "+ 0");
}

TEST_F(Calculator, KeyTableOverlapsAndMisses) {
    // 240 x 268: the "." key takes the middle of the "-" key's area.
    EXPECT_EQ(calc->findCalcKey(fracWidth(0.9f), fracHeight(0.2f)).code, L::point);
    EXPECT_EQ(calc->findCalcKey(fracWidth(0.9f), fracHeight(0.3f)).code, L::subtract);
    // The second digit row reaches into the top edge of "sin" and "cos".
    EXPECT_EQ(calc->findCalcKey(10, fracHeight(0.41f)).code, 6);
    EXPECT_EQ(calc->findCalcKey(10, fracHeight(0.42f)).code, L::sine);
    // The sliver that the integer column width leaves at the row's right end is no key.
    EXPECT_EQ(calc->findCalcKey(fracWidth(0.8f) - 1, fracHeight(0.2f)).kind, L::noKind);
    const ovCalcKey none = calc->findCalcKey(fracWidth(0.5f), fracHeight(0.995f));
    EXPECT_EQ(none.code, L::noKey);
    EXPECT_TRUE(none.caption.empty());
    EXPECT_EQ(calc->findCalcKey(fracWidth(0.9f), fracHeight(0.5f)).caption, u"//");
}

TEST_F(Calculator, OnlyReleasesCountAndTheCloseAreaOnlyCloses) {
    ovHyperBar& bar = *ovHyperBar::instance();
    const int right = p.app().screenRect.right, bottom = p.app().screenRect.bottom;
    std::ostringstream open;
    open << "tap " << right - 20 << " " << bottom - 5;
    p.run(open.str());
    ASSERT_EQ(bar.state, 1);
    ASSERT_EQ(bar.openPlugin, calc);
    keys("AC 4");
    // Pressed on 1, released on 2.
    const ovPoint one = keyPoint("1"), two = keyPoint("2");
    std::ostringstream slide;
    slide << "down " << one.x << " " << one.y << "\nwait 50\nmove " << two.x << " " << two.y
          << "\nwait 20\nup " << two.x << " " << two.y << "\nwait 10";
    p.run(slide.str());
    EXPECT_EQ(calc->operandA.str(), u"42");

    const int repaints = p.app().repaintCount;
    p.run("tap 120 267"); // below the close area: no key
    EXPECT_EQ(p.app().repaintCount, repaints);
    EXPECT_EQ(bar.state, 1);

    std::ostringstream close;
    close << "tap " << fracWidth(0.5f) << " " << fracHeight(0.95f);
    p.run(close.str());
    EXPECT_EQ(bar.state, 0);
    EXPECT_EQ(calc->operandA.str(), u"42");
    // Reopened, it shows what it showed.
    p.run(open.str());
    EXPECT_EQ(shown(), "42");
}
