#include "support/except/ReaderErrors.h"
#include "support/except/VantrelError.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorClasses, VantrelErrorsCarryCodeAndExactText) {
    vt::except::general_error general;
    EXPECT_STREQ(general.what(), "Vantrel error 6");
    EXPECT_EQ(general.code(), 6);
    vt::except::create_tempfile_error tempfile;
    EXPECT_STREQ(tempfile.what(), "Vantrel error 15");
    EXPECT_EQ(tempfile.code(), 15);
    EXPECT_STREQ(vt::except::vantrel_error(-3).what(), "Vantrel error -3");

    // A rethrow copies: message and code survive, and the family is not a runtime error.
    try {
        try {
            throw vt::except::create_tempfile_error();
        } catch (const vt::except::vantrel_error &e) {
            vt::except::vantrel_error copy(e);
            throw copy;
        }
    } catch (const std::runtime_error &) {
        FAIL() << "support errors must not be runtime errors";
    } catch (const vt::except::vantrel_error &e) {
        EXPECT_EQ(e.code(), 15);
        EXPECT_STREQ(e.what(), "Vantrel error 15");
    }
}

TEST(ErrorClasses, ReaderErrorsAreRuntimeErrorsWithTheirText) {
    try {
        throw FontError("Did not deobfuscate font file");
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Did not deobfuscate font file");
    }
    XPSConformanceError original("No expected namespace");
    XPSConformanceError copy(original);
    EXPECT_STREQ(copy.what(), "No expected namespace");
    EXPECT_STREQ(ReadError("x").what(), "x");
}

} // namespace
