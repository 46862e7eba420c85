#include "fonts/FontTestSupport.h"

#include "fonts/Deobfuscation.h"
#include "fonts/FontName.h"
#include "fonts/ObfuscationKey.h"

#include <vector>

namespace fixrd::test {
namespace {

bool obfuscatedName(const std::string &fontUri) { return isObfuscatedFontName(fontNameParts(fontUri)); }

std::vector<int> keyOf(const std::string &fontUri) {
    ObfuscationKey key(fontNameParts(fontUri));
    std::vector<int> bytes;
    for (size_t i = 0; i < ObfuscationKey::kLength; ++i)
        bytes.push_back(key[i]);
    return bytes;
}

// Deobfuscates the bytes with the key of fontUri; the failure text or "".
std::string restore(std::string &bytes, const std::string &fontUri) {
    try {
        deobfuscateFont(reinterpret_cast<unsigned char *>(bytes.data()), bytes.size(),
                        ObfuscationKey(fontNameParts(fontUri)));
        return "";
    } catch (const FontError &e) {
        return e.what();
    }
}

TEST(FontName, OnlyTheTwoPlainSpellingsOfTheLastExtensionMarkObfuscation) {
    std::string guid = kGuid;
    EXPECT_TRUE(obfuscatedName("/Resources/" + guid + ".odttf"));
    EXPECT_TRUE(obfuscatedName("Resources\\Fonts\\" + guid + ".ODTTF"));
    for (const char *name : {".Odttf", ".ODTtf", ".ttf", ".odttf.ttf", ".odttf "})
        EXPECT_FALSE(obfuscatedName("/Resources/" + guid + name)) << name;
    EXPECT_FALSE(obfuscatedName("/Resources/.odttf"));   // a dot at the start is no extension
    EXPECT_EQ(fontNameParts("/R/a.b.odttf").stem, "a.b");
    EXPECT_EQ(fontNameParts("/R.odttf\\X.odttf").stem, "X");
}

TEST(ObfuscationKey, GuidBytesLastFirstRepeatedInEitherCase) {
    std::vector<int> key = keyOf(std::string("/Resources/") + kGuid + "-extra.odttf");
    EXPECT_EQ(key[0], 0xBB);
    EXPECT_EQ(key[1], 0xE5);
    EXPECT_EQ(key[8], 0x4B);
    EXPECT_EQ(key[10], 0x3C);
    EXPECT_EQ(key[15], 0x0D);
    EXPECT_EQ(std::vector<int>(key.begin(), key.begin() + 16), std::vector<int>(key.begin() + 16, key.end()));
    EXPECT_EQ(keyOf("/r/0d7a2d48-8c3c-4e4b-91c2-b4e7d2a0e5bb.odttf"), key);
    EXPECT_EQ(keyOf("/r/{0D7A2D48-8C3C-4E4B-91C2-B4E7D2A0E5BB}.odttf"), std::vector<int>(32, 0));
    std::vector<int> shortName = keyOf("/r/0D7A2D48-8C.odttf");   // fields stop where the text does
    EXPECT_EQ(shortName[15], 0x0D);
    EXPECT_EQ(shortName[12], 0x48);
    EXPECT_EQ(shortName[11], 0x8C);
    EXPECT_EQ(shortName[10], 0);
}

TEST(Deobfuscation, ExactlyTheFirst32BytesThenTheHeaderTest) {
    std::string uri = std::string("/Resources/") + kGuid + ".odttf";
    std::string font = dejaVu();
    std::string stored = obfuscated(font);
    ASSERT_NE(stored, font);
    EXPECT_EQ(restore(stored, uri), "");
    EXPECT_EQ(stored, font);   // bytes from 32 on untouched in a large font

    std::string plain(40, '\x55');
    plain.replace(0, 5, std::string("\0\1\0\0\0", 5));
    std::string bytes = obfuscated(plain);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xBB);
    EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0x55 ^ 0xBB);
    EXPECT_EQ(static_cast<unsigned char>(bytes[31]), 0x55 ^ 0x0D);
    EXPECT_EQ(restore(bytes, uri), "");
    EXPECT_EQ(bytes, plain);

    std::string cff = obfuscated("OTTO" + plain.substr(4));
    EXPECT_EQ(restore(cff, uri), "Did not deobfuscate font file");
    std::string wrongKey = obfuscated(plain, "0D7A2D48-8C3C-4E4B-91C2-B4E7D2A0E5BC");
    EXPECT_EQ(restore(wrongKey, uri), "Did not deobfuscate font file");
}

TEST(Deobfuscation, PartShorterThanTheKeyFailsUntouched) {
    std::string uri = std::string("/Resources/") + kGuid + ".odttf";
    std::string stored = obfuscated(std::string("\0\1\0\0\0", 5) + std::string(26, 'x'));
    for (size_t size : {0, 5, 31}) {
        // Exactly sized, so that a sanitizer sees any byte past the end.
        std::vector<unsigned char> bytes(stored.begin(), stored.begin() + static_cast<long>(size));
        std::vector<unsigned char> before = bytes;
        EXPECT_THROW(deobfuscateFont(bytes.data(), bytes.size(), ObfuscationKey(fontNameParts(uri))), FontError);
        EXPECT_EQ(bytes, before) << size;
    }
}

} // namespace
} // namespace fixrd::test
