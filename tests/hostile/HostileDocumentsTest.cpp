// Packages built to hurt: zip bombs, a sample cut short at every 97th byte,
// entries sharing their data, 100 000 entries, huge pages, fonts that map
// every character.  Smaller hostile documents are document cases.  Each case
// runs in a child of its own and must end with a status within its time,
// leave nothing behind, and stay within the memory and disk the README states.
#include "HostileRun.h"

#include "fonts/FontTestSupport.h"
#include "support/Packages.h"
#include "support/PageHarness.h"

#include "Extractor.h"
#include "RecordStream.h"
#include "companions/pkgrd/PkgrdStatus.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>

namespace fixrd::test {
namespace {

constexpr int64_t kMiB = 1 << 20;

// Raw deflate of `data` that stands alone: no reference to what comes
// before it, ending on a byte boundary, or as the stream's final block.
std::string deflatedSegment(const std::string &data, bool last) {
    std::string out;
    unsigned char block[1 << 16];
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    do {
        stream.next_out = block;
        stream.avail_out = sizeof block;
        deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
        out.append(reinterpret_cast<char *>(block), sizeof block - stream.avail_out);
    } while (stream.avail_out == 0);
    deflateEnd(&stream);
    return out;
}

// head, then `mebibytes` of `fill`, then tail, deflated fast: the mebibyte's
// segment is made once and repeated.
StoredData deflatedRun(const std::string &head, char fill, int64_t mebibytes, const std::string &tail) {
    std::string unit(kMiB, fill);
    std::string unitBytes = deflatedSegment(unit, false);
    uLong unitCrc = crc32(0, reinterpret_cast<const Bytef *>(unit.data()), static_cast<uInt>(unit.size()));
    StoredData out;
    out.method = 8;
    out.bytes = deflatedSegment(head, false);
    out.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(head.data()), static_cast<uInt>(head.size())));
    for (int64_t i = 0; i < mebibytes; ++i) {
        out.bytes += unitBytes;
        out.crc = static_cast<uint32_t>(crc32_combine(out.crc, unitCrc, kMiB));
    }
    out.bytes += deflatedSegment(tail, true);
    out.crc = static_cast<uint32_t>(crc32_combine(out.crc, crc32(0, reinterpret_cast<const Bytef *>(tail.data()), static_cast<uInt>(tail.size())), static_cast<z_off_t>(tail.size())));
    out.size = head.size() + static_cast<uint64_t>(mebibytes * kMiB) + tail.size();
    return out;
}

// The usual parts before the pages.
PackageBuilder documentParts(const std::vector<std::string> &pageSources) {
    PackageBuilder zip;
    zip.add("[Content_Types].xml", markup::contentTypes())
        .add("FixedDocumentSequence.fdseq", markup::sequence({"/Documents/1/FixedDocument.fdoc"}))
        .add("Documents/1/FixedDocument.fdoc", markup::document(pageSources));
    return zip;
}

std::vector<std::string> pageSources(size_t count) {
    std::vector<std::string> sources;
    for (size_t i = 1; i <= count; ++i)
        sources.push_back("Pages/" + std::to_string(i) + ".fpage");
    return sources;
}

std::string pageSaying(const std::string &text) { return markup::page(glyphs(10, 20, text)); }

// Word gaps found from the geometry of a hostile font or of hostile Indices
// vary; the characters may not.
std::string withoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// The bounds the README states: every case ends within two minutes (a
// sanitizer build gets ten) and takes at most 160 MiB of memory and the
// host's 2 GiB of temporary files; a page of text takes its text about three
// times over on top.
constexpr long kMemoryBoundMiB = 160;

// One hostile document: how it is built, the status it must end with, what
// of its text must come out, and the text's size in MiB for the memory bound.
struct HostileCase {
    std::string name;
    std::function<std::string()> build;
    uint32_t status = 0;
    std::function<void(const Cost &)> expect;
    long textMiB = 0;
};

std::function<void(const Cost &)> textIs(const std::string &text) {
    return [text](const Cost &cost) { EXPECT_EQ(cost.text, text); };
}
std::function<void(const Cost &)> textWithoutSpacesIs(const std::string &text) {
    return [text](const Cost &cost) { EXPECT_EQ(withoutSpaces(cost.text), text); };
}

// A page that says `page` with `mebibytes` of `fill` before its end, deflated.
StoredData pageWithFill(const std::string &page, char fill, int64_t mebibytes) {
    size_t close = page.rfind("</FixedPage>");
    return deflatedRun(page.substr(0, close), fill, mebibytes, page.substr(close));
}

void zipBombs(std::vector<HostileCase> &cases) {
    cases.push_back({"1.5 GiB page", [] {
        return documentParts(pageSources(1)).add("Documents/1/Pages/1.fpage", deflatedRun("", '\0', 1536, "")).bytes();
    }, PKGRD_ENTRY_TOO_LARGE, nullptr});
    cases.push_back({"1.5 GiB content types declaring 4 KiB", [] {
        PackageBuilder zip;
        return zip.add("[Content_Types].xml", deflatedRun("", '\0', 1536, ""), 4096).add("x", "y").bytes();
    }, PKGRD_ENTRY_LONGER_THAN_DECLARED, nullptr});
    // Within every limit: a page of a gibibyte of blanks is read whole.
    cases.push_back({"1 GiB page of blanks", [] {
        return documentParts(pageSources(1))
            .add("Documents/1/Pages/1.fpage", pageWithFill(pageSaying("Before the blanks"), ' ', 1023))
            .bytes();
    }, 0, textIs("Before the blanks")});
    // Overlapping entries multiply what one deflated page inflates to.
    cases.push_back({"3000 pages sharing one deflated mebibyte", [] {
        PackageBuilder zip = documentParts(pageSources(3000));
        zip.add("Documents/1/Pages/1.fpage", pageWithFill(pageSaying("Over"), ' ', 1));
        for (size_t i = 2; i <= 3000; ++i)
            zip.alias("Documents/1/Pages/" + std::to_string(i) + ".fpage", 3);
        return zip.bytes();
    }, PKGRD_PACKAGE_TOO_LARGE, nullptr});
}

void manyEntries(std::vector<HostileCase> &cases) {
    const size_t entries = sanitized() ? 10000 : 100000;
    cases.push_back({std::to_string(entries) + " entries, all pages", [=] {
        size_t pages = entries - 3;
        PackageBuilder zip = documentParts(pageSources(pages));
        for (size_t i = 1; i <= pages; ++i)
            zip.add("Documents/1/Pages/" + std::to_string(i) + ".fpage", pageSaying("p" + std::to_string(i)));
        return zip.bytes();
    }, 0, [](const Cost &cost) { EXPECT_EQ(cost.text.substr(0, 9), "p1\np2\np3\n"); }});
    // As many documents named by the sequence, each missing or one already read.
    cases.push_back({std::to_string(entries) + " documents named", [=] {
        std::vector<std::string> documents;
        for (size_t i = 0; i < entries; ++i)
            documents.push_back(i % 2 ? "/Documents/1/FixedDocument.fdoc" : "/Missing/" + std::to_string(i) + ".fdoc");
        documents.push_back("/Documents/2/Last.fdoc");
        PackageBuilder zip;
        return zip.add("[Content_Types].xml", markup::contentTypes())
            .add("FixedDocumentSequence.fdseq", markup::sequence(documents))
            .add("Documents/1/FixedDocument.fdoc", markup::document({"Pages/1.fpage"}))
            .add("Documents/1/Pages/1.fpage", pageSaying("first"))
            .add("Documents/2/Last.fdoc", markup::document({"Pages/1.fpage"}))
            .add("Documents/2/Pages/1.fpage", pageSaying("last"))
            .bytes();
    }, 0, textIs("first\nlast")});
}

void deepAndLongPages(std::vector<HostileCase> &cases) {
    cases.push_back({"Glyphs with 10 000 Indices entries", [] {
        std::string indices;
        for (int i = 0; i < 10000; ++i)
            indices += (i == 0 ? "" : ";") + std::string("(1:1)") + std::to_string(i % 3000) + ",55.5,1,2";
        return PackageBuilder::document({markup::page(glyphs(10, 20, "Indexed text", indices))})
            .add("Resources/F.ttf", dejaVu())
            .bytes();
    }, 0, textWithoutSpacesIs("Indexedtext")});

    const int64_t target = (sanitized() ? 20 : 200) * kMiB;
    auto lines = std::make_shared<int64_t>(0);
    cases.push_back({std::to_string(target / kMiB) + " MiB page of text", [=] {
        const std::string head = markup::page("");
        const size_t close = head.rfind("</FixedPage>");
        int64_t made = 0;
        std::string line(900, 'w');
        for (size_t i = 9; i < line.size(); i += 10)
            line[i] = ' ';
        StoredData page = deflated([&]() -> std::string {
            if (made < 0)
                return "";
            std::string out;
            if (made == 0)
                out = head.substr(0, close);
            if (made >= target) {
                made = -1;
                return head.substr(close);
            }
            for (int i = 0; i < 100; ++i, ++*lines)
                out += glyphs(10, double(*lines % 1000), line);
            made += static_cast<int64_t>(out.size());
            return out;
        });
        return documentParts(pageSources(1)).add("Documents/1/Pages/1.fpage", page).add("Resources/F.ttf", dejaVu()).bytes();
    }, 0, [=](const Cost &cost) { EXPECT_EQ(cost.textBytes, uint64_t(*lines) * 901 - 1); }, target / kMiB});
}

void hugeFonts(std::vector<HostileCase> &cases) {
    // Many fonts that each map every character: memory grows with each.
    cases.push_back({"20 fonts mapping every character", [] {
        std::string everything = withManyToOneMap(dejaVu(), 0, 0x10FFFF, 36);
        std::string body;
        for (int i = 0; i < 20; ++i)
            body += "<Glyphs FontUri=\"/Resources/F" + std::to_string(i) + ".ttf\" FontRenderingEmSize=\"10\" "
                    "OriginX=\"10\" OriginY=\"" + std::to_string(20 + i) + "\" UnicodeString=\"f" + std::to_string(i) + "\"/>";
        PackageBuilder document = PackageBuilder::document({markup::page(body)});
        for (int i = 0; i < 20; ++i)
            document.add("Resources/F" + std::to_string(i) + ".ttf", everything);
        return document.bytes();
    }, 0, nullptr});
}

const std::vector<HostileCase> &hostileCases() {
    static const std::vector<HostileCase> cases = [] {
        std::vector<HostileCase> all;
        for (auto add : {zipBombs, manyEntries, deepAndLongPages, hugeFonts})
            add(all);
        return all;
    }();
    return cases;
}

class Hostile : public ::testing::TestWithParam<size_t> {};

// Each document runs in a child of its own; what it cost is printed.
TEST_P(Hostile, EndsWithItsStatusWithinItsBoundsLeavingNothing) {
    const HostileCase &c = hostileCases()[GetParam()];
    TempFile file(c.build());
    Cost cost = extractInChild(file.path(), sanitized() ? 600 : 120);
    std::cout << c.name << ": " << cost.describe() << std::endl;
    EXPECT_TRUE(cost.clean()) << "left something behind or died: blocks " << cost.blocksLeft << ", objects "
                              << cost.objectsLeft << ", temporaries " << cost.temporariesLeft << ", scratch "
                              << cost.scratchLeft;
    EXPECT_LE(cost.peakDiskBytes, host::FileObjects::kDefaultTemporaryBudget);
    if (!sanitized()) {
        EXPECT_LE(cost.peakKiB / 1024, kMemoryBoundMiB + 3 * c.textMiB + c.textMiB / 2);
    }
    EXPECT_EQ(cost.status, c.status);
    if (c.expect)
        c.expect(cost);
}

std::string caseName(const ::testing::TestParamInfo<size_t> &info) {
    std::string name = hostileCases()[info.param].name;
    for (char &ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Documents, Hostile, ::testing::Range(size_t{0}, hostileCases().size()), caseName);

// In process, cut at every 97th byte: a package cut anywhere has lost its
// central directory, and every cut leaves the host as it was.
TEST(HostileSample, CutAtEvery97thByte) {
    std::string sample = readFile(std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps");
    ASSERT_GT(sample.size(), 100000u);
    std::string error;
    auto module = ReaderModule::load(FIXRD_LIB_DIR, error);
    ASSERT_TRUE(module) << error;
    std::map<uint32_t, int> statuses;
    TempFile file("");
    for (size_t cut = 97; cut < sample.size(); cut += 97) {
        std::ofstream(file.path(), std::ios::binary | std::ios::trunc).write(sample.data(), static_cast<std::streamsize>(cut));
        Extractor extractor(*module);
        Extraction result = extractor.extract(file.path());
        ++statuses[result.status];
        std::string text;
        if (result.status == 0)
            EXPECT_TRUE(host::appendPlainText(result.records, text)) << cut;
        else
            EXPECT_FALSE(result.message.empty()) << cut;
        EXPECT_EQ(extractor.host().memory().blocksOutstanding(), 0) << cut;
        EXPECT_EQ(extractor.host().files().live(), 0) << cut;
        EXPECT_EQ(extractor.host().files().temporaryFiles(), 0) << cut;
    }
    EXPECT_EQ(statuses[12], int(sample.size() / 97)) << "a package cut anywhere has lost its central directory";
}

} // namespace
} // namespace fixrd::test
