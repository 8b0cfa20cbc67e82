#include "core/app/TextNumbers.h"

#include <gtest/gtest.h>

using namespace app;

TEST(NumericValue, ReadsTheLeadingDecimalNumber) {
    EXPECT_EQ(numericValue("3b"), 3.0);
    EXPECT_EQ(numericValue("  29.97 fps"), 29.97);
    EXPECT_EQ(numericValue("-12"), -12.0);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_EQ(numericValue("2a"), 2.0);
    EXPECT_EQ(numericValue(""), 0.0);
    EXPECT_EQ(numericValue("abc"), 0.0);
    EXPECT_EQ(numericValue("-"), 0.0);
    EXPECT_EQ(numericValue(" 212"), 212.0);
}

TEST(NumberText, PlainAndSignedForms) {
    EXPECT_EQ(plainNumberText(4), "4");
    EXPECT_EQ(plainNumberText(-1), "-1");
    EXPECT_EQ(plainNumberText(2.5), "2.5");
    EXPECT_EQ(plainNumberText(-0.0), "0");
    EXPECT_EQ(SignedNumberText(212), " 212");
    EXPECT_EQ(SignedNumberText(0), " 0");
    EXPECT_EQ(SignedNumberText(-3), "-3");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(212.5), 212.0);
    EXPECT_EQ(roundHalfEven(213.5), 214.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(29.97), 30.0);
    EXPECT_EQ(roundHalfEven(12.5), 12.0);
}

TEST(Rounding, SixteenBitRange) {
    EXPECT_EQ(toInt16(32767.4), std::optional<qint16>(32767));
    EXPECT_EQ(toInt16(-32768.0), std::optional<qint16>(-32768));
    EXPECT_FALSE(toInt16(32767.6).has_value());
    EXPECT_FALSE(toInt16(-32769.0).has_value());
    EXPECT_EQ(clampToInt16(40000), 32767);
    EXPECT_EQ(clampToInt16(-40000), -32768);
}

TEST(StrictConversion, RefusesWhatIsNotANumber) {
    EXPECT_EQ(strictToInt32("29.97"), std::optional<qint32>(30));
    EXPECT_EQ(strictToInt32(" 25 "), std::optional<qint32>(25));
    EXPECT_EQ(strictToInt32("0.5"), std::optional<qint32>(0));
    EXPECT_FALSE(strictToInt32("").has_value());
    EXPECT_FALSE(strictToInt32("30fps").has_value());
    EXPECT_FALSE(strictToInt32("abc").has_value());
    EXPECT_FALSE(strictToInt32("9999999999").has_value());
    EXPECT_FALSE(strictToInt16("40000").has_value());
    EXPECT_EQ(strictToInt16("-1"), std::optional<qint16>(-1));
}

TEST(ErrorNumbers, UpperCaseHexWithoutPrefix) {
    EXPECT_EQ(hexErrorNumber(static_cast<qint32>(0x80040005u)), "80040005");
    EXPECT_EQ(hexErrorNumber(255), "FF");
}
