// The XML companion as the reader uses it: the built library loaded, its
// handler given to namespace-aware Expat parsers, and the UTF-8 that Expat
// delivers compared byte for byte.
#include "LibraryLoader.h"
#include "companions/mkparse/MkparseServices.h"
#include "frame/HostInterfaces.h"

#include <expat.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string encode(const std::string &utf8, const char *charset) {
    std::unique_ptr<void, int (*)(iconv_t)> converter(iconv_open(charset, "UTF-8"), iconv_close);
    std::string out(utf8.size() * 4, '\0');
    char *in = const_cast<char *>(utf8.data()), *to = &out[0];
    size_t inLeft = utf8.size(), outLeft = out.size();
    if (converter.get() == reinterpret_cast<iconv_t>(-1) || iconv(converter.get(), &in, &inLeft, &to, &outLeft) != 0)
        return "(cannot encode in " + std::string(charset) + ")";
    return out.substr(0, out.size() - outLeft);
}

std::string declared(const char *name, const std::string &encodedBody) {
    return "<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?>" + encodedBody;
}

// The markup rebuilt from Expat's events, and how the parse ended.
using Transcript = std::pair<std::string, XML_Error>;

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attributes) {
    std::string &markup = *static_cast<std::string *>(data);
    markup += "<" + std::string(name);
    for (; *attributes != nullptr; attributes += 2)
        markup += " " + std::string(attributes[0]) + "=\"" + attributes[1] + "\"";
    markup += ">";
}
void XMLCALL onEnd(void *data, const XML_Char *name) { *static_cast<std::string *>(data) += "</" + std::string(name) + ">"; }
void XMLCALL onText(void *data, const XML_Char *text, int length) { static_cast<std::string *>(data)->append(text, length); }

// Each body is valid markup in UTF-8, encoded with `charset` and declared as `name`.
struct Sample {
    const char *name, *charset, *body;
    std::string text() const { return declared(name, encode(body, charset)); }
};
const Sample kSamples[] = {
    {"windows-1251", "WINDOWS-1251", "<док язык=\"русский\">Привет, мир</док>"},
    {"ISO-8859-2", "ISO-8859-2", "<p t=\"Łódź\">Zażółć gęślą</p>"},
    // As Windows software writes it: the circled digit exists only in its code page.
    {"Shift_JIS", "CP932", "<文書 題名=\"ｶﾀｶﾅ表\">①ｱｲｳ漢字</文書>"},
    {"euc-jp", "EUC-JP", "<表 a=\"丂ｶ\">漢字ｶﾅ丂</表>"},
    {"EUC-KR", "EUC-KR", "<문서 제목=\"한국어\">안녕하세요</문서>"},
    {"GBK", "GBK", "<文档 标题=\"丂\">中文</文档>"},
    {"BIG5", "BIG5", "<文件 標題=\"繁體\">中文字</文件>"},
};

class MkparseTest : public ::testing::Test {
protected:
    MkparseTest() : handle_(loader_.load("mkparse.dll")) {
        if (auto fill = reinterpret_cast<MkpGetInterfaceFn>(loader_.entryPoint(handle_, "mkpGetInterface")))
            fill(&table_);
        handler_ = reinterpret_cast<XML_UnknownEncodingHandler>(table_.unknownEncodingHandler);
        supported_ = reinterpret_cast<MkpIsEncodingSupportedFn>(table_.companionReserved[MKP_ENTRY_IS_ENCODING_SUPPORTED]);
    }
    ~MkparseTest() override { loader_.unload(handle_); }

    // Parses `text` in two calls, split after `split` bytes.
    Transcript parse(const std::string &text, size_t split = std::string::npos) const {
        Transcript result;
        std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, ' '), XML_ParserFree);
        XML_SetUserData(parser.get(), &result.first);
        XML_SetElementHandler(parser.get(), onStart, onEnd);
        XML_SetCharacterDataHandler(parser.get(), onText);
        int anyData = 0;
        XML_SetUnknownEncodingHandler(parser.get(), handler_, &anyData);
        split = std::min(split, text.size());
        if (XML_Parse(parser.get(), text.data(), static_cast<int>(split), XML_FALSE) == XML_STATUS_OK)
            XML_Parse(parser.get(), text.data() + split, static_cast<int>(text.size() - split), XML_TRUE);
        result.second = XML_GetErrorCode(parser.get());
        return result;
    }

    fixrd::host::LibraryLoader loader_{FIXRD_LIB_DIR};
    void *handle_;
    XmlServices table_{};
    XML_UnknownEncodingHandler handler_;
    MkpIsEncodingSupportedFn supported_;
};

TEST_F(MkparseTest, EntryPointFillsItsEntriesAndLeavesTheOthers) {
    XmlServices marked;
    std::fill_n(marked.companionReserved, 4, &marked);
    reinterpret_cast<MkpGetInterfaceFn>(loader_.entryPoint(handle_, "mkpGetInterface"))(&marked);
    EXPECT_EQ(marked.unknownEncodingHandler, table_.unknownEncodingHandler);
    EXPECT_EQ(std::count(marked.companionReserved + 1, marked.companionReserved + 4, nullptr), 3);
    ASSERT_NE(supported_, nullptr);
    for (const char *name : {"windows-1250", "WINDOWS-1258", "cp1251", "ISO-8859-3", "iso_8859-16", "sjis", "MS_Kanji",
                             "CP932", "CP936"})
        EXPECT_EQ(supported_(name), 1) << name;
}

TEST_F(MkparseTest, ByteMapsKeepToExpatsModel) {
    XML_Encoding cyrillic, japanese, eucJp, refused;
    auto mapAt = [](const XML_Encoding &encoding, std::vector<int> bytes) {
        return std::transform(bytes.begin(), bytes.end(), bytes.begin(), [&](int byte) { return encoding.map[byte]; }), bytes;
    };
    ASSERT_EQ(handler_(nullptr, "Windows-1251", &cyrillic), 1);
    for (int byte = 0; byte < 0x80; ++byte)
        ASSERT_EQ(cyrillic.map[byte], byte);
    EXPECT_EQ(mapAt(cyrillic, {0x98, 0xC0, 0xFF}), std::vector<int>({-1, 0x0410, 0x044F}));
    EXPECT_TRUE(cyrillic.convert == nullptr && cyrillic.release == nullptr && cyrillic.data == nullptr);

    ASSERT_EQ(handler_(nullptr, "shift_jis", &japanese), 1);
    EXPECT_EQ(mapAt(japanese, {0x5C, 0x7E, 0x80, 0x81, 0x9F, 0xA0, 0xA1, 0xDF, 0xE0, 0xFC, 0xFD}),
              std::vector<int>({0x5C, 0x7E, -1, -2, -2, -1, 0xFF61, 0xFF9F, -2, -2, -1}));
    EXPECT_EQ(japanese.convert(japanese.data, "\x88\x9F"), 0x4E9C);
    EXPECT_EQ(japanese.convert(japanese.data, "\x81\x20"), -1);
    japanese.release(japanese.data);

    ASSERT_EQ(handler_(nullptr, "EUC-JP", &eucJp), 1);
    EXPECT_EQ(mapAt(eucJp, {0x8E, 0x8F, 0xA1, 0xFF}), std::vector<int>({-2, -3, -2, -1}));
    EXPECT_EQ(eucJp.convert(eucJp.data, "\x8F\xB0\xA1"), 0x4E02);
    EXPECT_EQ(eucJp.convert(eucJp.data, "\x8F\xB0\x41"), -1);
    eucJp.release(eucJp.data);

    // Expat releases what a refusing handler leaves behind.
    refused.release = [](void *) {};
    EXPECT_EQ(handler_(nullptr, "GB18030", &refused), 0);
    EXPECT_EQ(refused.release, nullptr);
}

TEST_F(MkparseTest, DocumentsArriveAsUtf8WhereverTheInputIsSplit) {
    for (const Sample &sample : kSamples) {
        std::string text = sample.text();
        EXPECT_EQ(supported_(sample.name), 1) << sample.name;
        ASSERT_EQ(parse(text), (Transcript{sample.body, XML_ERROR_NONE})) << sample.name;
        for (size_t split = 1; split < text.size(); ++split)
            ASSERT_EQ(parse(text, split), (Transcript{sample.body, XML_ERROR_NONE})) << sample.name << " split " << split;
    }
}

TEST_F(MkparseTest, BadBytesAndRefusedEncodingsAreErrorsNotCrashes) {
    // The lead byte takes the closing quote with it; a sequence cut at the end is partial.
    const std::pair<std::string, Transcript> bad[] = {
        {declared("windows-1251", "<a>\xCF\x98</a>"), {"<a>П", XML_ERROR_INVALID_TOKEN}},
        {declared("Shift_JIS", "<a>\x81\x20</a>"), {"<a>", XML_ERROR_INVALID_TOKEN}},
        {declared("Shift_JIS", "<a>\xFD</a>"), {"<a>", XML_ERROR_INVALID_TOKEN}},
        {declared("EUC-KR", "<a b=\"\xB0\"/>"), {"", XML_ERROR_INVALID_TOKEN}},
        {declared("EUC-JP", "<a>\xA4\xA2\x8F"), {"<a>あ", XML_ERROR_PARTIAL_CHAR}},
    };
    for (const auto &[text, expected] : bad)
        EXPECT_EQ(parse(text), expected) << text;
    for (const char *name : {"GB18030", "UTF-7", "ISO-2022-JP", "iso-8859-12", "ISO-8859-17", "windows-1249",
                             "windows-1259", "cp12510", "iso-8859-02", "x-unknown"}) {
        EXPECT_EQ(parse(declared(name, "<a>x</a>")), (Transcript{"", XML_ERROR_UNKNOWN_ENCODING})) << name;
        EXPECT_EQ(supported_(name), 0) << name;
    }
    EXPECT_EQ(supported_("koi8-r ") + supported_("") + supported_(nullptr), 0);
}

} // namespace
