#include "platform/text_width.h"

#include <gtest/gtest.h>

namespace vc {
namespace {

TEST(TextWidth, TerminalCellsPerText) {
    struct Case {
        const char* name;
        QString text;
        int cells;
    };
    const Case cases[] = {
        {"ascii", "abc 12", 6},
        {"empty", "", 0},
        {"Chinese", QStringLiteral("默认分类"), 8},
        {"mixed", QStringLiteral("比特率(kbs)"), 11},
        {"full-width letter and bracket", QStringLiteral("Ａ（"), 4},
        {"half-width katakana", QStringLiteral("ｱｲ"), 2},
        {"Hangul syllable", QStringLiteral("한"), 2},
        {"Hangul from Jamo", QString::fromUcs4(U"\u1112\u1161\u11ab"), 2},
        {"Latin with a combining accent", QString::fromUcs4(U"e\u0301"), 1},
        {"zero-width space", QString::fromUcs4(U"a\u200bb"), 2},
        {"ideograph outside the BMP", QString::fromUcs4(U"\U00020000"), 2},
        {"emoji outside the BMP", QString::fromUcs4(U"\U0001F600"), 2},
        {"private use and Latin-1", QString::fromUcs4(U"\uE000\u00e9"), 2},
        {"ideographic full stop, Hiragana", QStringLiteral("。あ"), 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayWidth(c.text), c.cells) << c.name;
}

} // namespace
} // namespace vc
