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
#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string encode(const std::string &utf8, const char *charset) {
    iconv_t converter = iconv_open(charset, "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return "(no converter for " + std::string(charset) + ")";
    std::string out(utf8.size() * 4, '\0');
    char *in = const_cast<char *>(utf8.data()), *to = &out[0];
    size_t inLeft = utf8.size(), outLeft = out.size();
    size_t done = iconv(converter, &in, &inLeft, &to, &outLeft);
    iconv_close(converter);
    return done == static_cast<size_t>(-1) ? "(cannot encode in " + std::string(charset) + ")"
                                           : out.substr(0, out.size() - outLeft);
}

std::string document(const char *declared, const std::string &encodedBody) {
    return "<?xml version=\"1.0\" encoding=\"" + std::string(declared) + "\"?>" + encodedBody;
}

// What Expat reported: "<name attr=value>", text, "</name>", and how it ended.
struct Transcript {
    std::string events;
    XML_Error error = XML_ERROR_NONE;
    bool operator==(const Transcript &other) const { return events == other.events && error == other.error; }
    friend void PrintTo(const Transcript &t, std::ostream *out) { *out << '"' << t.events << "\" error " << t.error; }
};

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **attributes) {
    std::string &events = *static_cast<std::string *>(data);
    events += "<" + std::string(name);
    for (; *attributes != nullptr; attributes += 2)
        events += " " + std::string(attributes[0]) + "=" + attributes[1];
    events += ">";
}
void XMLCALL onEnd(void *data, const XML_Char *name) { *static_cast<std::string *>(data) += "</" + std::string(name) + ">"; }
void XMLCALL onText(void *data, const XML_Char *text, int length) { static_cast<std::string *>(data)->append(text, length); }

class MkparseTest : public ::testing::Test {
protected:
    MkparseTest() {
        handle_ = loader_.load("mkparse.dll");
        auto fill = reinterpret_cast<MkpGetInterfaceFn>(loader_.entryPoint(handle_, "mkpGetInterface"));
        if (fill != nullptr)
            fill(&table);
    }
    ~MkparseTest() override { loader_.unload(handle_); }

    XML_UnknownEncodingHandler handler() const {
        return reinterpret_cast<XML_UnknownEncodingHandler>(table.unknownEncodingHandler);
    }

    // Parses `text` in two calls, split after `split` bytes.
    Transcript parse(const std::string &text, size_t split = std::string::npos) const {
        Transcript result;
        std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS(nullptr, ' '), XML_ParserFree);
        XML_SetUserData(parser.get(), &result.events);
        XML_SetElementHandler(parser.get(), onStart, onEnd);
        XML_SetCharacterDataHandler(parser.get(), onText);
        int anyData = 0;
        XML_SetUnknownEncodingHandler(parser.get(), handler(), &anyData);
        split = std::min(split, text.size());
        if (XML_Parse(parser.get(), text.data(), static_cast<int>(split), XML_FALSE) == XML_STATUS_OK)
            XML_Parse(parser.get(), text.data() + split, static_cast<int>(text.size() - split), XML_TRUE);
        result.error = XML_GetErrorCode(parser.get());
        return result;
    }

    Transcript expect(const std::string &events, XML_Error error = XML_ERROR_NONE) const { return {events, error}; }

    fixrd::host::LibraryLoader loader_{FIXRD_LIB_DIR};
    void *handle_ = nullptr;
    XmlServices table{};
};

std::set<std::string> exportedSymbols(const std::string &library) {
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(("nm -D --defined-only " + library).c_str(), "r"), pclose);
    std::set<std::string> names;
    std::array<char, 512> line;
    while (pipe && std::fgets(line.data(), line.size(), pipe.get()) != nullptr) {
        std::istringstream fields(line.data());
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.insert(name);
    }
    return names;
}

TEST_F(MkparseTest, ExportsOneEntryPointThatFillsEveryEntry) {
    EXPECT_EQ(exportedSymbols(std::string(FIXRD_LIB_DIR) + "/libmkparse.so"), std::set<std::string>{"mkpGetInterface"});
    XmlServices marked;
    for (void *&entry : marked.companionReserved)
        entry = &marked;
    marked.unknownEncodingHandler = nullptr;
    reinterpret_cast<MkpGetInterfaceFn>(loader_.entryPoint(handle_, "mkpGetInterface"))(&marked);
    ASSERT_NE(marked.unknownEncodingHandler, nullptr);
    ASSERT_NE(marked.companionReserved[MKP_ENTRY_IS_ENCODING_SUPPORTED], nullptr);
    for (int entry = 1; entry < 4; ++entry)
        EXPECT_EQ(marked.companionReserved[entry], nullptr) << entry;

    auto supported = reinterpret_cast<MkpIsEncodingSupportedFn>(marked.companionReserved[0]);
    for (const char *name : {"windows-1250", "WINDOWS-1258", "cp1251", "ISO-8859-2", "iso_8859-16", "KOI8-R", "Shift_JIS",
                             "sjis", "MS_Kanji", "CP932", "euc-jp", "EUC-KR", "GB2312", "gbk", "CP936", "Big5"})
        EXPECT_EQ(supported(name), 1) << name;
    for (const char *name : {"GB18030", "UTF-7", "ISO-2022-JP", "iso-8859-12", "ISO-8859-17", "windows-1249",
                             "windows-1259", "cp12510", "iso-8859-02", "koi8-r ", "", "x-unknown"})
        EXPECT_EQ(supported(name), 0) << name;
    EXPECT_EQ(supported(nullptr), 0);
}

TEST_F(MkparseTest, ByteMapsKeepToExpatsModel) {
    int anyData = 0;
    XML_Encoding cyrillic;
    ASSERT_EQ(handler()(&anyData, "Windows-1251", &cyrillic), 1);
    for (int byte = 0; byte < 0x80; ++byte)
        ASSERT_EQ(cyrillic.map[byte], byte);
    EXPECT_EQ(cyrillic.map[0xC0], 0x0410);
    EXPECT_EQ(cyrillic.map[0xFF], 0x044F);
    EXPECT_EQ(cyrillic.map[0x98], -1);
    EXPECT_TRUE(cyrillic.convert == nullptr && cyrillic.release == nullptr && cyrillic.data == nullptr);

    XML_Encoding japanese;
    ASSERT_EQ(handler()(&anyData, "shift_jis", &japanese), 1);
    EXPECT_EQ(japanese.map[0x5C], 0x5C);
    EXPECT_EQ(japanese.map[0x80], -1);
    EXPECT_EQ(japanese.map[0x81], -2);
    EXPECT_EQ(japanese.map[0x9F], -2);
    EXPECT_EQ(japanese.map[0xA0], -1);
    EXPECT_EQ(japanese.map[0xA1], 0xFF61);
    EXPECT_EQ(japanese.map[0xDF], 0xFF9F);
    EXPECT_EQ(japanese.map[0xFC], -2);
    EXPECT_EQ(japanese.map[0xFD], -1);
    EXPECT_EQ(japanese.convert(japanese.data, "\x88\x9F"), 0x4E9C);
    EXPECT_EQ(japanese.convert(japanese.data, "\x87\x40"), 0x2460);
    EXPECT_EQ(japanese.convert(japanese.data, "\x81\x20"), -1);
    japanese.release(japanese.data);

    XML_Encoding euc;
    ASSERT_EQ(handler()(&anyData, "EUC-JP", &euc), 1);
    EXPECT_EQ(euc.map[0x8E], -2);
    EXPECT_EQ(euc.map[0x8F], -3);
    EXPECT_EQ(euc.convert(euc.data, "\x8F\xB0\xA1"), 0x4E02);
    EXPECT_EQ(euc.convert(euc.data, "\x8E\xB6"), 0xFF76);
    EXPECT_EQ(euc.convert(euc.data, "\x8F\xB0\x41"), -1);
    euc.release(euc.data);

    XML_Encoding refused;
    refused.release = reinterpret_cast<void (*)(void *)>(&anyData);
    EXPECT_EQ(handler()(&anyData, "GB18030", &refused), 0);
    EXPECT_EQ(refused.release, nullptr);
}

TEST_F(MkparseTest, DocumentsArriveAsUtf8) {
    const std::string russian = "<док язык=\"русский\">Привет, мир</док>";
    EXPECT_EQ(parse(document("windows-1251", encode(russian, "WINDOWS-1251"))), expect("<док язык=русский>Привет, мир</док>"));
    EXPECT_EQ(parse(document("koi8-r", encode(russian, "KOI8-R"))), expect("<док язык=русский>Привет, мир</док>"));
    EXPECT_EQ(parse(document("ISO-8859-2", encode("<p t=\"Łódź\">Zażółć gęślą</p>", "ISO-8859-2"))),
              expect("<p t=Łódź>Zażółć gęślą</p>"));
    // Written by Windows software: the circled digit exists only in its code page.
    EXPECT_EQ(parse(document("Shift_JIS", encode("<文書 題名=\"ｶﾀｶﾅ表\">①ｱｲｳ</文書>", "CP932"))),
              expect("<文書 題名=ｶﾀｶﾅ表>①ｱｲｳ</文書>"));
    EXPECT_EQ(parse(document("euc-jp", encode("<表 a=\"丂\">漢字ｶﾅ</表>", "EUC-JP"))), expect("<表 a=丂>漢字ｶﾅ</表>"));
    EXPECT_EQ(parse(document("EUC-KR", encode("<문서 제목=\"한국어\">안녕하세요</문서>", "EUC-KR"))),
              expect("<문서 제목=한국어>안녕하세요</문서>"));
    EXPECT_EQ(parse(document("GBK", encode("<文档 标题=\"丂\">中文</文档>", "GBK"))), expect("<文档 标题=丂>中文</文档>"));
    EXPECT_EQ(parse(document("gb2312", encode("<文档>简体中文</文档>", "GB2312"))), expect("<文档>简体中文</文档>"));
    EXPECT_EQ(parse(document("BIG5", encode("<文件 標題=\"繁體\">中文字</文件>", "BIG5"))), expect("<文件 標題=繁體>中文字</文件>"));
}

TEST_F(MkparseTest, SplitAnywhereInAMultiByteCharacterGivesTheSameResult) {
    for (const auto &[declared, body, charset] :
         {std::array<const char *, 3>{"Shift_JIS", "<文書 題名=\"ｶﾀｶﾅ表\">漢字</文書>", "CP932"},
          std::array<const char *, 3>{"EUC-JP", "<表 a=\"丂ｶ丂\">丂</表>", "EUC-JP"}}) {
        std::string text = document(declared, encode(body, charset));
        Transcript whole = parse(text);
        ASSERT_EQ(whole.error, XML_ERROR_NONE) << declared;
        for (size_t split = 1; split < text.size(); ++split)
            ASSERT_EQ(parse(text, split), whole) << declared << " split after " << split;
    }
}

TEST_F(MkparseTest, BadBytesAndRefusedEncodingsAreErrorsNotCrashes) {
    EXPECT_EQ(parse(document("windows-1251", "<a>\xCF\x98</a>")), expect("<a>П", XML_ERROR_INVALID_TOKEN));
    EXPECT_EQ(parse(document("Shift_JIS", "<a>\x81\x20</a>")), expect("<a>", XML_ERROR_INVALID_TOKEN));
    EXPECT_EQ(parse(document("Shift_JIS", "<a>\xFD</a>")), expect("<a>", XML_ERROR_INVALID_TOKEN));
    // The lead byte takes the closing quote with it.
    EXPECT_EQ(parse(document("EUC-KR", "<a b=\"\xB0\"/>")).error, XML_ERROR_INVALID_TOKEN);
    EXPECT_EQ(parse(document("EUC-JP", "<a>\xA4\xA2\x8F")).error, XML_ERROR_PARTIAL_CHAR);
    for (const char *declared : {"GB18030", "UTF-7", "ISO-2022-JP", "ISO-8859-12", "x-unknown"})
        EXPECT_EQ(parse(document(declared, "<a>x</a>")), expect("", XML_ERROR_UNKNOWN_ENCODING)) << declared;
}

TEST_F(MkparseTest, ParsersOnFourThreadsMatchOneThread) {
    const std::vector<std::string> documents = {
        document("windows-1251", encode("<док язык=\"русский\">Привет</док>", "WINDOWS-1251")),
        document("Shift_JIS", encode("<文書 題名=\"ｶﾀｶﾅ\">漢字①</文書>", "CP932")),
        document("EUC-KR", encode("<문서>안녕하세요</문서>", "EUC-KR")),
        document("Big5", encode("<文件>繁體中文</文件>", "BIG5"))};
    std::vector<Transcript> alone;
    for (const std::string &text : documents)
        alone.push_back(parse(text));

    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (size_t thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 200; ++round) {
                size_t which = (thread + round) % documents.size();
                mismatches[thread] += !(parse(documents[which], round % documents[which].size()) == alone[which]);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (const Transcript &result : alone)
        EXPECT_EQ(result.error, XML_ERROR_NONE) << result.events;
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

} // namespace
