#include "support/TestHost.h"

#include "frame/DocumentCharset.h"

namespace fixrd::test {
namespace {

class DocumentCharset : public HostTest {
protected:
    uint32_t charsetOf(const std::string &start) {
        ContextPtr context = newContext();
        context->contentTypesIO = objectHolding(host, start + "<Types/>");
        uint32_t number = getDocumentCharset(context.get(), nullptr);
        EXPECT_EQ(getDocumentCharset(context.get(), nullptr), number) << "kept for later calls";
        return number;
    }
};

TEST_F(DocumentCharset, DeclarationsAndTheirTraps) {
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"utf-8\"?>"), 53u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"), 53u);
    EXPECT_EQ(charsetOf("<?xml version='1.0' encoding='ISO-8859-15'?>"), 24u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"ISO-8859-10\"?>"), 81u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), 14u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"KS_C_5601-1987\"?>"), 4u);
    EXPECT_EQ(charsetOf("<?XML version=\"1.0\" encoding=\"windows-1251\"?>"), 6u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding = \"UTF-8\"?>"), 7u);   // blanks around '='
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\"?>"), 7u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"KOI8-R\"?>"), 7u);
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\" encoding=\"UT\"?>"), 7u);   // shorter than any name
    EXPECT_EQ(charsetOf(""), 7u);
    EXPECT_EQ(charsetOf(std::string(1000, ' ') + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), 7u);
    // A processing instruction and a comment before the declaration are stepped over.
    EXPECT_EQ(charsetOf("<?pi data?><!-- c --><?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"), 1u);
    // The declaration is cut at 255 bytes: an encoding beyond that is not seen.
    EXPECT_EQ(charsetOf("<?xml version=\"1.0\"" + std::string(260, ' ') + "encoding=\"UTF-8\"?>"), 7u);
}

TEST_F(DocumentCharset, DecidedOnceEvenBeforeThePartExists) {
    ContextPtr context = newContext();
    EXPECT_EQ(getDocumentCharset(context.get(), nullptr), 7u);
    context->contentTypesIO = objectHolding(host, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types/>");
    EXPECT_EQ(getDocumentCharset(context.get(), nullptr), 7u);
}

TEST_F(DocumentCharset, MatchComparesThePrefixWithCaseFolded) {
    EXPECT_EQ(matchCharsetName("utf-8\" standalone", "UTF-8", 5), 0);
    EXPECT_NE(matchCharsetName("UTF-", "UTF-8", 5), 0);
    EXPECT_EQ(matchCharsetName("gb_2312-80", "GB_2312-80", 10), 0);
}

} // namespace
} // namespace fixrd::test
