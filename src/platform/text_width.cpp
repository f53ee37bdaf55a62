#include "platform/text_width.h"

#include <QChar>
#include <QList>
#include <QStringView>
#include <algorithm>
#include <iterator>

namespace vc {

namespace {

struct Range {
    char32_t first, last;
};

// The wide (W) and full-width (F) blocks of Unicode's East Asian Width property, sorted.
constexpr Range kWide[] = {
    {0x1100, 0x115f}, // Hangul Jamo initial consonants
    {0x231a, 0x231b},
    {0x2329, 0x232a},
    {0x23e9, 0x23ec},
    {0x23f0, 0x23f0},
    {0x23f3, 0x23f3},
    {0x25fd, 0x25fe},
    {0x2614, 0x2615},
    {0x2648, 0x2653},
    {0x267f, 0x267f},
    {0x2693, 0x2693},
    {0x26a1, 0x26a1},
    {0x26aa, 0x26ab},
    {0x26bd, 0x26be},
    {0x26c4, 0x26c5},
    {0x26ce, 0x26ce},
    {0x26d4, 0x26d4},
    {0x26ea, 0x26ea},
    {0x26f2, 0x26f3},
    {0x26f5, 0x26f5},
    {0x26fa, 0x26fa},
    {0x26fd, 0x26fd},
    {0x2705, 0x2705},
    {0x270a, 0x270b},
    {0x2728, 0x2728},
    {0x274c, 0x274c},
    {0x274e, 0x274e},
    {0x2753, 0x2755},
    {0x2757, 0x2757},
    {0x2795, 0x2797},
    {0x27b0, 0x27b0},
    {0x27bf, 0x27bf},
    {0x2b1b, 0x2b1c},
    {0x2b50, 0x2b50},
    {0x2b55, 0x2b55},
    {0x2e80, 0x303e}, // CJK radicals, Kangxi, ideographic description, CJK symbols and
                      // punctuation
    {0x3041, 0x33ff}, // kana, Bopomofo, Hangul compatibility Jamo, Kanbun, CJK strokes, enclosed
    {0x3400, 0x4dbf}, // CJK extension A
    {0x4e00, 0x9fff}, // CJK unified ideographs
    {0xa000, 0xa4cf}, // Yi
    {0xa960, 0xa97f}, // Hangul Jamo extended A
    {0xac00, 0xd7a3}, // Hangul syllables
    {0xf900, 0xfaff}, // CJK compatibility ideographs
    {0xfe10, 0xfe19}, // vertical forms
    {0xfe30, 0xfe6f}, // CJK compatibility forms, small form variants
    {0xff00, 0xff60}, // full-width forms
    {0xffe0, 0xffe6}, // full-width signs
    {0x16fe0, 0x16fe4},
    {0x17000, 0x18cd5},
    {0x1b000, 0x1b2fb}, // Tangut, kana supplements
    {0x1f004, 0x1f004},
    {0x1f0cf, 0x1f0cf},
    {0x1f18e, 0x1f18e},
    {0x1f191, 0x1f19a},
    {0x1f200, 0x1f251}, // enclosed ideographic supplement
    {0x1f300, 0x1f64f}, // pictographs and emoticons (the text-style ones among them are rare)
    {0x1f680, 0x1f6ff}, // transport and map symbols
    {0x1f7e0, 0x1f7eb},
    {0x1f90c, 0x1f9ff},
    {0x1fa70, 0x1faff},
    {0x20000, 0x2fffd}, // CJK extensions B to F, compatibility supplement
    {0x30000, 0x3fffd}, // CJK extension G and beyond
};

bool IsWide(char32_t c) {
    const auto it = std::upper_bound(std::begin(kWide), std::end(kWide), c,
                                     [](char32_t value, const Range& r) { return value < r.first; });
    return it != std::begin(kWide) && c <= std::prev(it)->last;
}

} // namespace

int DisplayWidth(char32_t c) {
    if (c == 0)
        return 0;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format: // zero-width space and joiners, direction marks
        return 0;
    default: break;
    }
    if (c >= 0x1160 && c <= 0x11ff) // Hangul medial vowels and final consonants join the syllable
        return 0;
    return IsWide(c) ? 2 : 1;
}

int DisplayWidth(const QString& text) {
    int width = 0;
    for (const uint c : QStringView(text).toUcs4())
        width += DisplayWidth(static_cast<char32_t>(c));
    return width;
}

} // namespace vc
