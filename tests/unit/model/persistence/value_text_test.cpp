#include "model/persistence/value_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace vc::persistence {

TEST(FloatText, GeneralFormatWithFifteenDigits) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.1, "0.1"},
        {63.48, "63.48"},
        {static_cast<double>(0.44f), "0.439999997615814"}, // a single, widened
        {static_cast<double>(0.7f), "0.699999988079071"},
        {-99999, "-99999"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.00001, "0.00001"}, // smallest fixed value
        {0.000012345, "0.000012345"},
        {0.000001, "1E-6"}, // below it: scientific
        {-1.5e-7, "-1.5E-7"},
        {999999999999999.0, "999999999999999"}, // 15 integer digits: fixed
        {1e15, "1E15"},
        {1e20, "1E20"},
        {123456789012345678.0, "1.23456789012346E17"},
        {9.2233720368547758e18, "9.22337203685478E18"},
        {DBL_MAX, "1.79769313486232E308"},
        {DBL_MIN, "2.2250738585072E-308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {static_cast<double>(FLT_MAX), "3.40282346638529E38"},
        {std::nan(""), "NAN"},
        {HUGE_VAL, "INF"},
        {-HUGE_VAL, "-INF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToText(c.value), c.text) << c.text;
}

TEST(FloatText, ReadsBackWhatIsWrittenAndRejectsOtherText) {
    // Every single and every double of at most 15 significant digits comes back exactly.
    for (float f : {0.44f, 0.1f, -99999.0f, 1e-30f, FLT_MAX, -FLT_MAX, FLT_MIN, 0.5f, 0.7f})
        EXPECT_EQ(NarrowToSingle(*TextToFloat(FloatToText(f))), f) << f;
    for (double d : {0.1, 63.48, 1e-6, 1e20, -2.5e-300, 123456789012345.0, 4.94065645841247E-324})
        EXPECT_EQ(*TextToFloat(FloatToText(d)), d) << d;
    // Rounded to 15 digits, the largest double overflows; it reads back as the largest double.
    EXPECT_EQ(*TextToFloat(FloatToText(DBL_MAX)), DBL_MAX);
    EXPECT_EQ(*TextToFloat("-1E400"), -DBL_MAX);
    EXPECT_TRUE(std::isinf(*TextToFloat("-INF")));
    EXPECT_TRUE(std::isnan(*TextToFloat("NAN")));
    EXPECT_EQ(*TextToFloat(" 2.5 "), 2.5);
    for (const char* bad : {"", "1,5", "abc", "1.5x", "--1"})
        EXPECT_FALSE(TextToFloat(bad).has_value()) << bad;
}

TEST(IntegerText, RangeAndForm) {
    EXPECT_EQ(TextToInteger("-2147483648", INT_MIN, INT_MAX), INT_MIN);
    EXPECT_EQ(TextToInteger(" +42 ", INT_MIN, INT_MAX), 42);
    EXPECT_FALSE(TextToInteger("2147483648", INT_MIN, INT_MAX));
    EXPECT_FALSE(TextToInteger("12a", INT_MIN, INT_MAX));
    EXPECT_FALSE(TextToInteger("", INT_MIN, INT_MAX));
    EXPECT_FALSE(TextToInteger("1.0", INT_MIN, INT_MAX));
}

TEST(DateTimeText, WritesTheThreeFormsAndReadsThemBack) {
    struct Case {
        QDate date;
        QTime time;
        const char* text;
    };
    const Case cases[] = {
        {QDate(2011, 3, 9), QTime(14, 5, 7, 42), "2011-03-09T14:05:07.042"},
        {QDate(2011, 3, 9), QTime(0, 0), "2011-03-09"},
        {DayZero(), QTime(23, 59, 59, 999), "23:59:59.999"},
        {QDate(987, 12, 1), QTime(0, 0, 0, 1), "0987-12-01T00:00:00.001"},
        {DayZero(), QTime(0, 0), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateTimeToText(c.date, c.time), c.text);
        if (*c.text == '\0')
            continue;
        auto parts = TextToDateTime(c.text);
        ASSERT_TRUE(parts) << c.text;
        EXPECT_EQ(parts->date, c.date) << c.text;
        EXPECT_EQ(parts->time, c.time) << c.text;
    }
    auto short_form = TextToDateTime("2011-3-9T7:05");
    ASSERT_TRUE(short_form);
    EXPECT_EQ(short_form->time, QTime(7, 5));
    for (const char* bad :
         {"2011-02-30", "25:00:00", "12:60", "2011-03", "x", "2011-03-09T", "10:00:00.1234"})
        EXPECT_FALSE(TextToDateTime(bad)) << bad;
}

} // namespace vc::persistence
