#include "support/PageHarness.h"

#include "page/GlyphsAttributes.h"
#include "page/IndicesReading.h"
#include "page/MatrixReading.h"
#include "page/NumberReading.h"
#include "support/except/ReaderErrors.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <random>

namespace fixrd::test {
namespace {

TEST(UnicodeString, EscapeAndCutAtACharacterBoundary) {
    EXPECT_EQ(unicodeStringOf("{}Hello"), "Hello");
    EXPECT_EQ(unicodeStringOf("{}"), "");
    EXPECT_EQ(unicodeStringOf("{}{}"), "{}");
    EXPECT_EQ(unicodeStringOf(std::string(2000, 'a').c_str()), std::string(1023, 'a'));
    // A two-byte character over bytes 1022 and 1023 is dropped whole.
    std::string split = std::string(1022, 'a') + "\xC3\xA9" + "tail";
    EXPECT_EQ(unicodeStringOf(split.c_str()), std::string(1022, 'a'));
    // A four-byte character ending exactly at byte 1023 stays.
    std::string whole = std::string(1019, 'a') + "\xF0\x9F\x98\x80" + "tail";
    EXPECT_EQ(unicodeStringOf(whole.c_str()), std::string(1019, 'a') + "\xF0\x9F\x98\x80");
}

// Switches LC_NUMERIC to a locale whose decimal separator is a comma,
// compiling one into a private folder when the system has none.
bool useDecimalCommaLocale() {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr)
        return true;
    std::string folder = ::testing::TempDir() + "fixrd-locales";
    std::string command = "mkdir -p " + folder + " && localedef -i de_DE -f UTF-8 " + folder +
                          "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    ::setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(NumberReading, StrtodRulesWhateverTheLocale) {
    const char *message = "Could not read double value from OriginX attribute in Glyphs element";
    EXPECT_EQ(readNumber("  12.5", message), 12.5);
    EXPECT_EQ(readNumber("12.5pt", message), 12.5);
    EXPECT_EQ(readNumber("-1e3", message), -1000.0);
    for (const char *bad : {"abc", "", "1e999", "1e-999"}) {
        try {
            readNumber(bad, message);
            ADD_FAILURE() << bad;
        } catch (const ReadError &e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    // A process locale with a decimal comma changes nothing.
    if (!useDecimalCommaLocale())
        GTEST_SKIP() << "no locale with a decimal comma can be made here (localedef and de_DE sources needed)";
    ASSERT_EQ(std::strtod("0,5", nullptr), 0.5) << "the comma locale is not in force";
    EXPECT_EQ(readNumber("12.5", message), 12.5);
    EXPECT_EQ(readIndices(",12.5")[0].advance, 12.5);
    EXPECT_EQ(readMatrix("1.5,0,0,1,0,0").m11, 1.5);
    std::setlocale(LC_NUMERIC, "C");
}

// The fast path must give strtod's value, bit for bit, and its verdict.
TEST(NumberReading, SameAsStrtodOnEdgesAndAMillionRandomValues) {
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    auto same = [&](const std::string &text) {
        errno = 0;
        char *end = nullptr;
        double expected = strtod_l(text.c_str(), &end, c);
        bool fails = end == text.c_str() || errno == ERANGE;
        double got = leadingDouble(text);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text;
        bool threw = false;
        try {
            readNumber(text.c_str(), "m");
        } catch (const ReadError &) {
            threw = true;
        }
        ASSERT_EQ(threw, fails) << text;
    };
    for (const char *edge : {"0", "-0", "+0", "0.0e5", "00012", ".5", "-.5", "5.", ".", "+", "-", "+-1", "-+1", " \t\n12",
                             "1e", "1e+", "1e-", "1.e5", "1e308", "1.8e308", "2.2250738585072014e-308", "2.2250738585072011e-308",
                             "4.9e-324", "2e-324", "1e-400", "0x1p3", "0X10", "-0x", "inf", "-Infinity", "nan", "nan(1)",
                             "9007199254740993", "0.1000000000000000055511151231257827", "1,5", "12.5pt", "1e0001",
                             "123456789012345678901234567890e-10", "0.000000000000000000000000000000001e-290", "--1",
                             "900719925474099.1", "9007199254740991.5", "0.0000000000000000000001", "0.00000000000000000000001", "1..2"})
        same(edge);
    std::mt19937_64 random(20261207);
    char text[64];
    for (int i = 0; i < 1000000; ++i) {
        uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        switch (i % 4) {
        case 0: std::snprintf(text, sizeof text, "%.17g", value); break;
        case 1: std::snprintf(text, sizeof text, "%.*f", int(bits % 7), double(bits % 100000000) / 997.0); break;
        case 2: std::snprintf(text, sizeof text, "%.*e", int(bits % 20), value); break;
        default: std::snprintf(text, sizeof text, "%lld", static_cast<long long>(bits >> (bits % 64)) - (1LL << 40)); break;
        }
        same(text);
    }
    freelocale(c);
}

TEST(IndicesReading, Grammar) {
    auto entries = [](const std::string &value) {
        std::ostringstream out;
        for (const GlyphIndexEntry &e : readIndices(value))
            out << "(" << e.clusterCharCount << ":" << e.clusterGlyphCount << ")" << e.glyphIndex << "," << e.advance << ","
                << e.uOffset << "," << e.vOffset << ";";
        return out.str();
    };
    EXPECT_EQ(entries("(2:1)36,50;;43"), "(2:1)36,50,0,0;(1:1)0,0,0,0;(1:1)43,0,0,0;");
    EXPECT_EQ(entries(""), "(1:1)0,0,0,0;");
    EXPECT_EQ(entries("1;"), "(1:1)1,0,0,0;(1:1)0,0,0,0;");
    EXPECT_EQ(entries(",120"), "(1:1)0,120,0,0;");
    EXPECT_EQ(entries("5,,,3,99"), "(1:1)5,0,0,3;");
    EXPECT_EQ(entries("(3)"), "(3:1)0,0,0,0;");
    EXPECT_EQ(entries("(4,7"), "(1:1)0,7,0,0;");   // no ")": no cluster, the text is fields
    EXPECT_EQ(entries(" (2)7"), "(1:1)0,0,0,0;");
    EXPECT_EQ(entries("7a,x"), "(1:1)7,0,0,0;");
    EXPECT_EQ(entries("99999999999"), "(1:1)2147483647,0,0,0;");
    // The plain "index,advance" form and the forms just past it.
    EXPECT_EQ(entries("007,5.5;123456789,1e2;1234567890,2;99999999999,1;5,;5,1.5,2;5, 1;5 ,1"),
              "(1:1)7,5.5,0,0;(1:1)123456789,100,0,0;(1:1)1234567890,2,0,0;(1:1)2147483647,1,0,0;(1:1)5,0,0,0;"
              "(1:1)5,1.5,2,0;(1:1)5,1,0,0;(1:1)5,1,0,0;");
    EXPECT_EQ(entries("5,.25;5,3.;5,-1.5;5,+2;5,1.5.5;5,2x;5,1.5 ;5,0.00000000000000000000001;5,12345678901234567890"),
              "(1:1)5,0.25,0,0;(1:1)5,3,0,0;(1:1)5,-1.5,0,0;(1:1)5,2,0,0;(1:1)5,1.5,0,0;(1:1)5,2,0,0;(1:1)5,1.5,0,0;"
              "(1:1)5,1e-23,0,0;(1:1)5,1.23457e+19,0,0;");
}

} // namespace
} // namespace fixrd::test
