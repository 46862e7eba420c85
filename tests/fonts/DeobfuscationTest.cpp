#include "fonts/FontTestSupport.h"

#include "fonts/Deobfuscation.h"
#include "fonts/FontName.h"
#include "fonts/ObfuscationKey.h"

#include <vector>

namespace fixrd::test {
namespace {

const std::string kUri = std::string("/Resources/") + kGuid + ".odttf";

std::vector<int> keyOf(const std::string &fontUri) {
    ObfuscationKey key(fontNameParts(fontUri));
    std::vector<int> bytes;
    for (size_t i = 0; i < ObfuscationKey::kLength; ++i)
        bytes.push_back(key[i]);
    return bytes;
}

TEST(ObfuscationKey, GuidBytesLastFirstRepeatedInEitherCase) {
    std::vector<int> key = keyOf(std::string("/Resources/") + kGuid + "-extra.odttf");
    EXPECT_EQ((std::vector<int>{key[0], key[1], key[8], key[10], key[15]}),
              (std::vector<int>{0xBB, 0xE5, 0x4B, 0x3C, 0x0D}));
    EXPECT_EQ(std::vector<int>(key.begin(), key.begin() + 16), std::vector<int>(key.begin() + 16, key.end()));
    EXPECT_EQ(keyOf("/r/0d7a2d48-8c3c-4e4b-91c2-b4e7d2a0e5bb.odttf"), key);
    EXPECT_EQ(keyOf("/r/{0D7A2D48-8C3C-4E4B-91C2-B4E7D2A0E5BB}.odttf"), std::vector<int>(32, 0));
    std::vector<int> cut = keyOf("/r/0D7A2D48-8C.odttf");   // fields end where the text does
    EXPECT_EQ((std::vector<int>{cut[15], cut[12], cut[11], cut[10], cut[0]}), (std::vector<int>{0x0D, 0x48, 0x8C, 0, 0}));
}

TEST(Deobfuscation, PartShorterThanTheKeyFailsUntouched) {
    std::string stored = obfuscated(std::string("\0\1\0\0\0", 5) + std::string(26, 'x'));
    for (size_t size : {0, 5, 31}) {
        // Exactly sized, so that a sanitizer sees any byte past the end.
        std::vector<unsigned char> bytes(stored.begin(), stored.begin() + static_cast<long>(size));
        std::vector<unsigned char> before = bytes;
        EXPECT_THROW(deobfuscateFont(bytes.data(), bytes.size(), ObfuscationKey(fontNameParts(kUri))), FontError);
        EXPECT_EQ(bytes, before) << size;
    }
}

} // namespace
} // namespace fixrd::test
