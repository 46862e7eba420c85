#include "package/PartNames.h"

#include <gtest/gtest.h>

namespace fixrd::test {
namespace {

TEST(PartNames, ReferencesResolveAgainstTheirPart) {
    const std::string page = "Documents/1/Pages/1.fpage";
    EXPECT_EQ(resolveReference(page, "../Resources/F.odttf"), "Documents/1/Resources/F.odttf");
    EXPECT_EQ(resolveReference(page, "./F.ttf"), "Documents/1/Pages/F.ttf");
    EXPECT_EQ(resolveReference(page, "../../../../../F.ttf"), "F.ttf");
    EXPECT_EQ(resolveReference(page, "/Abs//F.ttf"), "Abs/F.ttf");
    EXPECT_EQ(resolveReference("Top.fpage", "F.ttf"), "F.ttf");
    EXPECT_EQ(lastPathComponent("Resources\\Fonts\\A.odttf"), "A.odttf");
    EXPECT_EQ(lastPathComponent("Fonts/"), "");
    using Split = std::pair<std::string, std::string>;
    EXPECT_EQ(splitExtension("a.b.odttf"), Split("a.b", ".odttf"));
    EXPECT_EQ(splitExtension(".odttf"), Split(".odttf", ""));
    EXPECT_EQ(splitExtension("name."), Split("name", "."));
}

} // namespace
} // namespace fixrd::test
