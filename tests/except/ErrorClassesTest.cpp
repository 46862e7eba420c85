#include "support/except/VantrelError.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

TEST(ErrorClasses, VantrelErrorsCarryCodeAndExactText) {
    vt::except::general_error general;
    EXPECT_STREQ(general.what(), "Vantrel error 6");
    EXPECT_EQ(general.code(), 6);
    EXPECT_STREQ(vt::except::vantrel_error(-3).what(), "Vantrel error -3");
    // A copy through the base, as a rethrow makes, keeps message and code;
    // the family is not one of runtime errors.
    vt::except::vantrel_error copy(static_cast<const vt::except::vantrel_error &>(vt::except::create_tempfile_error()));
    EXPECT_EQ(copy.code(), 15);
    EXPECT_STREQ(copy.what(), "Vantrel error 15");
    static_assert(!std::is_base_of_v<std::runtime_error, vt::except::vantrel_error>);
}

} // namespace
