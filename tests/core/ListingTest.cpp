#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/Listing.h"
#include "platform/NumberText.h"

namespace curvana {
namespace {

// Restores the program-wide settings a test changes.
struct ListingGuard {
    ~ListingGuard() {
        SigDigits = 3;
        SetDecimalSeparator(".");
    }
};

TEST(ListingTest, FloatToSigStrCutsOrRoundsToTheSignificantDigits) {
    ListingGuard guard;
    const struct {
        int digits;
        double in;
        const char* out;
    } cases[] = {
        {3, 0, "0"},
        {3, 123.456, "123"},
        {3, -123.456, "-123"},
        {3, 12.3456, "12.3"},
        {3, 0.5, "0.5"},
        {3, 0.123456, "0.12"},
        {3, 0.0123, "0.01"},
        {3, 999.96, "999"},
        {3, 1234.5, "1.23E+003"},
        {3, -12345.6, "-1.23E+004"},
        {3, 0.00999, "9.99E-003"},
        {3, 12345678, "1.23E+007"},
        {3, 1000, "1.00E+003"},
        {3, 0.01, "0.01"},
        {3, 0.0099999, "1.00E-002"},
        {3, -0.0099999, "-1.00E-002"},
        {3, 1e300, "1.00E+300"},
        {3, 2.5e-320, "2.50E-320"},
        {1, 5.678, "5"},
        {1, 0.5, "0"},
        {1, 1234.5, "1.2E+003"},
        {2, 0.05, "0.0"},
        {10, 1234567.8912, "1234567.891"},
        {10, 1e10, "1.000000000E+010"},
        // Digits outside 1..10, as a settings store may hold them, count as 1 or 10.
        {0, 5.678, "5"},
        {-5, 1234.5, "1.2E+003"},
        {1000, 1234567.8912, "1234567.891"},
        {1000, 1e10, "1.000000000E+010"},
    };
    for (const auto& c : cases) {
        SigDigits = c.digits;
        EXPECT_EQ(FloatToSigStr(c.in), c.out) << c.digits << " digits, " << c.in;
    }
    SigDigits = 3;
    EXPECT_EQ(FloatToSigStr(std::nan("")), "NAN");
    EXPECT_EQ(FloatToSigStr(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(ListingTest, FloatToSigStrUsesTheDecimalSeparator) {
    ListingGuard guard;
    const struct {
        const char* separator;
        double in;
        const char* out;
    } cases[] = {
        {",", 12.3456, "12,3"},
        {",", 123.456, "123"},
        {",", 1234.5, "1,23E+003"},
        {"\u066B", 12.3456, "12\u066B3"},  // two bytes in UTF-8, counted as one character
        {"\u066B", -123.456, "-123"},
        {"\u066B", 0.123456, "0\u066B12"},
    };
    for (const auto& c : cases) {
        SetDecimalSeparator(c.separator);
        EXPECT_EQ(FloatToSigStr(c.in), c.out) << c.in;
    }
}

TEST(ListingTest, ListingLineJoinsBothValues) {
    EXPECT_EQ(ListingLine({5, 1.5}), "5 , 1.5");
    EXPECT_EQ(ListingLine({1234.5, -0.00999}), "1.23E+003 , -9.99E-003");
}

TEST(ListingTest, MergeListingTouchesOnlyTheLinesThatDiffer) {
    const struct {
        const char* what;
        std::vector<std::string> shown, wanted;
        int mode;
        std::vector<std::string> result;
        int replaced, inserted, appended, deleted;
    } cases[] = {
        {"marker added in a series",
         {"S", "1 , 1", "3 , 3", " "},
         {"S", "1 , 1", "2 , 2", "3 , 3", " "},
         LineInsert,
         {"S", "1 , 1", "2 , 2", "3 , 3", " "},
         0,
         1,
         0,
         0},
        {"marker moved",
         {"S", "1 , 1", "2 , 2", "3 , 3"},
         {"S", "1 , 1", "2 , 9", "3 , 3"},
         LineReplace,
         {"S", "1 , 1", "2 , 9", "3 , 3"},
         1,
         0,
         0,
         0},
        {"listing rebuilt", {"a", "b", "c"}, {"a", "x", "c"}, LinePlace, {"a", "x", "c"}, 1, 0, 0, 0},
        {"listing shrinks", {"a", "b", "c", "d"}, {"a", "b"}, LinePlace, {"a", "b"}, 0, 0, 0, 2},
        {"listing grows", {"a"}, {"a", "b", "c"}, LineReplace, {"a", "b", "c"}, 0, 0, 2, 0},
        {"into an empty control", {}, {"a", "b"}, LineInsert, {"a", "b"}, 0, 0, 2, 0},
        {"nothing left", {"a", "b"}, {}, LinePlace, {}, 0, 0, 0, 2},
        // Inserting in place of a changed line pushes the old lines down; the surplus goes at the end.
        {"changed line in insert mode",
         {"a", "b", "c"},
         {"a", "B", "c"},
         LineInsert,
         {"a", "B", "c"},
         0,
         2,
         0,
         2},
        // An unknown mode leaves differing lines as they are but still appends and deletes.
        {"unknown mode, longer", {"a", "b"}, {"a", "x", "y"}, 7, {"a", "b", "y"}, 0, 0, 1, 0},
        {"unknown mode, shorter", {"a", "b", "c"}, {"x", "b"}, 7, {"a", "b"}, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        VectorLineSink memo(c.shown);
        MergeListing(memo, c.wanted, c.mode);
        EXPECT_EQ(memo.lines, c.result) << c.what;
        EXPECT_EQ(memo.replaced, c.replaced) << c.what;
        EXPECT_EQ(memo.inserted, c.inserted) << c.what;
        EXPECT_EQ(memo.appended, c.appended) << c.what;
        EXPECT_EQ(memo.deleted, c.deleted) << c.what;
        EXPECT_EQ(memo.cleared, 0) << c.what;
    }
}

}  // namespace
}  // namespace curvana
