#include <gtest/gtest.h>

#include "core/Text.h"

using namespace rigvane;

TEST(TextToFreq, ReadsMegahertzAtTenHertzResolution) {
    EXPECT_EQ(TextToFreq("0000.00001"), 1);
    EXPECT_EQ(TextToFreq(FreqToText(1)), 1); // the written form reads back
    EXPECT_EQ(TextToFreq("145.5"), 14550000);
    EXPECT_EQ(TextToFreq("145.123456"), 14512345); // the sixth decimal is dropped
    EXPECT_EQ(TextToFreq("1234.5"), 123450000);
    EXPECT_EQ(TextToFreq(".455"), 45500);
    EXPECT_EQ(TextToFreq("30"), 3000000);
    EXPECT_EQ(TextToFreq("  30  "), 3000000);
    EXPECT_EQ(TextToFreq("0000.01250"), 1250); // a 12.5 kHz step
    EXPECT_EQ(TextToFreq("9999.99999"), 999999999);
    // Signs survive so that callers can report a negative value as a range error.
    EXPECT_EQ(TextToFreq("-1.5"), -150000);
}

TEST(TextToFreq, EmptyBlankTooLongAndUnreadableText) {
    EXPECT_EQ(TextToFreq(""), 0);
    EXPECT_EQ(TextToFreq("     "), 0);
    EXPECT_EQ(TextToFreq("12345"), NoFrequency);   // five digits without a point
    EXPECT_EQ(TextToFreq("12345.5"), NoFrequency); // five digits before the point
    EXPECT_EQ(TextToFreq("99999999999999999999"), NoFrequency);
    // Text that is not a number is never read as some frequency.
    EXPECT_EQ(TextToFreq("abc"), NoFrequency);
    EXPECT_EQ(TextToFreq("1a5.5"), NoFrequency);
    EXPECT_EQ(TextToFreq("145 .5"), NoFrequency);
    EXPECT_EQ(TextToFreq("1.2.3"), NoFrequency);
    EXPECT_EQ(TextToFreq("145.5MHz"), NoFrequency);
}

TEST(Stamps, TextFormAndRoundTrips) {
    EXPECT_EQ(StampToText(0), "0000000000");
    EXPECT_EQ(StampToText(-86400), "0000000000");
    EXPECT_EQ(StampToText(86400), "0000086400");
    EXPECT_EQ(TextToStamp("0000000000"), 0);
    EXPECT_EQ(TextToStamp(""), 0);
    EXPECT_EQ(TextToStamp("junk"), 0);
    EXPECT_EQ(DateTimeFromStamp(TextToStamp("86400")), (LocalDateTime{1970, 1, 2, 0, 0, 0}));
    EXPECT_EQ(StampFromDateTime({1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(StampFromDateTime({2000, 3, 1, 0, 0, 0}) - StampFromDateTime({2000, 2, 28, 0, 0, 0}),
              2 * 86400); // 2000 is a leap year
    EXPECT_EQ(StampFromDateTime({2100, 3, 1, 0, 0, 0}) - StampFromDateTime({2100, 2, 28, 0, 0, 0}),
              86400); // 2100 is not

    // Every day from 1970 to 2104, at a time of day that moves with the date.
    int checked = 0;
    for (Stamp day = 0; day < 49000; day += 7) {
        const Stamp s = day * 86400 + (day * 3613) % 86400;
        const LocalDateTime t = DateTimeFromStamp(s);
        ASSERT_EQ(StampFromDateTime(t), s) << day;
        ASSERT_EQ(TextToStamp(StampToText(s)), s) << day;
        ++checked;
    }
    EXPECT_EQ(checked, 7000);
    for (int year : {1972, 2000, 2004, 2024}) {
        const LocalDateTime leap{year, 2, 29, 23, 59, 59};
        EXPECT_EQ(DateTimeFromStamp(StampFromDateTime(leap)), leap);
        EXPECT_EQ(DateTimeFromStamp(StampFromDateTime(leap) + 1),
                  (LocalDateTime{year, 3, 1, 0, 0, 0}));
    }
}

TEST(Stamps, MessageTimeUsesTwelveHourClock) {
    EXPECT_EQ(FormatMessageTime({2005, 3, 2, 16, 5, 9}), "3/2/05 4:05:09p");
    EXPECT_EQ(FormatMessageTime({2005, 3, 2, 0, 0, 0}), "3/2/05 12:00:00a");
    EXPECT_EQ(FormatMessageTime({2005, 3, 2, 12, 30, 0}), "3/2/05 12:30:00p");
    EXPECT_EQ(FormatMessageTime({2010, 12, 31, 11, 59, 59}), "12/31/10 11:59:59a");
    EXPECT_EQ(FormatMessageTime({2000, 1, 1, 23, 0, 1}), "1/1/00 11:00:01p");
}

TEST(ModeFromName, MatchesTrimmedNamesWithoutCase) {
    EXPECT_EQ(ModeFromName("fm"), 1);
    EXPECT_EQ(ModeFromName("FM "), 1);
    EXPECT_EQ(ModeFromName("FMn"), 2);
    EXPECT_EQ(ModeFromName("n/a"), 0);
    EXPECT_EQ(ModeFromName("DSTAR"), 0);
    // Code 10 has an empty name; an empty text must not select it.
    EXPECT_EQ(ModeFromName(""), 0);
    EXPECT_EQ(ModeFromName("   "), 0);
}
