// The numbers of the picture's labels: the Italian decimal comma, no trailing zeros, metres as
// kilometres.
#include <gtest/gtest.h>

#include "plot/plot.h"

namespace scenario::tool {
namespace {

TEST(PlotText, KilometresWithTheDecimalComma) {
    const struct {
        double metres;
        int decimals;
        const char* text;
    } kilometres[] = {{12000, 1, "12"},     {12500, 1, "12,5"}, {12550, 1, "12,6"},
                      {29001, 3, "29,001"}, {0, 3, "0"},        {-500, 1, "-0,5"}};
    for (const auto& k : kilometres) EXPECT_EQ(km_text(k.metres, k.decimals), k.text);
    EXPECT_EQ(decimal_text(-0.0001, 2), "0") << "no minus sign on a zero";
    EXPECT_EQ(decimal_text(2.50, 3), "2,5");
}

TEST(PlotText, TimesOfDayWithTwoDigitMinutesAndSeconds) {
    EXPECT_EQ(time_of_day_text(23400), "6:30:00");
    EXPECT_EQ(time_of_day_text(23465), "6:31:05");
    EXPECT_EQ(clock_text(6, 29, 30), "6:29:30");
    EXPECT_EQ(clock_text(0, 0, 0), "0:00:00");
}

}  // namespace
}  // namespace scenario::tool
