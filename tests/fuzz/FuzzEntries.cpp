#include "FuzzEntries.h"

#include "package-builder/PackageBuilder.h"

#include "Extractor.h"
#include "RecordStream.h"
#include "page/GlyphsAttributes.h"
#include "page/IndicesReading.h"
#include "page/MatrixReading.h"
#include "support/except/ReaderErrors.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

namespace fixrd::fuzz {

namespace {

using builder::PackageBuilder;
using builder::stored;
using builder::markup::page;

constexpr const char *kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
constexpr const char *kGuid = "6C0F4B3A-19D2-4E57-8A61-F03B2C9D7E15";
const std::string kObfuscatedFont = std::string("Resources/Fonts/") + kGuid + ".odttf";
const std::string kPlainFont = "Resources/Fonts/Plain.ttf";
const std::string kPagePart = "Documents/1/Pages/1.fpage";

std::string obfuscated(const std::string &font) { return builder::obfuscated(font, kGuid); }

// The package parts every page and font input goes with, stored as they are
// written: the page and font targets make a package per input, and deflating
// the same large font entry each time would cost more than reading the
// document.
PackageBuilder documentEntries() {
    PackageBuilder entries;
    entries.add("[Content_Types].xml", stored(builder::markup::contentTypes()))
        .add("FixedDocumentSequence.fdseq", stored(builder::markup::sequence({"/Documents/1/FixedDocument.fdoc"})))
        .add("Documents/1/FixedDocument.fdoc", stored(builder::markup::document({"Pages/1.fpage"})));
    return entries;
}

// The page of the font target: runs in both fonts, with and without
// Indices, on two lines.
std::string fontPage() {
    auto run = [](const std::string &part, double y, const std::string &text, const std::string &indices) {
        return "<Glyphs FontUri=\"/" + part + "\" FontRenderingEmSize=\"12\" OriginX=\"20\" OriginY=\"" +
               std::to_string(y) + "\" UnicodeString=\"" + text + "\" Indices=\"" + indices + "\"/>";
    };
    std::string body;
    for (const std::string &part : {kPlainFont, kObfuscatedFont}) {
        body += run(part, 40, "Word gaps, Ünïcödé ﬁ € 漢字 \xF0\x9F\x98\x80", "");
        body += run(part, 40, "spaced out", "71,90;;(2:1)72;,,5,5;0,200");
        body += run(part, 60, "{}next line", "");
    }
    return page(body);
}

// What every input shares: the module, loaded once, its companions kept
// mapped (each document loads and frees them again), the fixed parts of the
// packages, and a private folder for the package file and, through TMPDIR,
// the hosts' temporary files.
struct Session {
    std::unique_ptr<ReaderModule> module;
    std::vector<void *> companions;
    std::string error;
    std::string folder;
    std::string temporaries;
    PackageBuilder withFont;   // the document parts and the obfuscated DejaVu font
    PackageBuilder withPage;   // the document parts and the font target's page

    Session() {
        folder = builder::makePrivateFolder("fixrd-fuzz");
        temporaries = folder + "/tmp";
        ::mkdir(temporaries.c_str(), 0700);
        ::setenv("TMPDIR", temporaries.c_str(), 1);
        module = ReaderModule::load(FIXRD_LIB_DIR, error);
        for (const char *name : {"libpkgrd.so", "libmkparse.so"})
            if (void *handle = dlopen((std::string(FIXRD_LIB_DIR) + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL))
                companions.push_back(handle);
        withFont = documentEntries();
        withFont.add(kObfuscatedFont, stored(obfuscated(builder::readFile(kFontFile))));
        withPage = documentEntries();
        withPage.add(kPagePart, stored(fontPage()));
    }
    ~Session() {
        for (void *handle : companions)
            dlclose(handle);
        ::unlink((folder + "/input.xps").c_str());
        ::rmdir(temporaries.c_str());
        ::rmdir(folder.c_str());
    }
};

Session &session() {
    static Session shared;
    return shared;
}

// Extracts the package file `zip` as a program that embeds the
// reader would, then checks what must hold after every document, whatever
// it held.
std::string extract(std::string_view zip) {
    Session &s = session();
    if (!s.module)
        return "reader module not loaded: " + s.error;
    std::string path = s.folder + "/input.xps";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(zip.data(), static_cast<std::streamsize>(zip.size()));
        if (!out.flush())
            return "cannot write " + path;
    }
    std::string problem;
    {
        Extractor extractor(*s.module);
        Extraction result = extractor.extract(path);
        host::ReferenceHost &host = extractor.host();
        std::string text;
        if (host.memory().blocksOutstanding() != 0 || host.memory().bytesOutstanding() != 0)
            problem = "host memory left outstanding: " + std::to_string(host.memory().blocksOutstanding()) + " blocks";
        else if (host.files().live() != 0)
            problem = "IO objects left unreleased: " + std::to_string(host.files().live());
        else if (host.files().temporaryFiles() != 0)
            problem = "temporary files left: " + std::to_string(host.files().temporaryFiles());
        else if (result.status == 0 && !host::appendPlainText(result.records, text))
            problem = "malformed record stream";
        else if (result.status != 0 && (!result.records.empty() || result.message.empty()))
            problem = "failure " + std::to_string(result.status) + " handed out records or no message";
    }
    std::error_code error;
    if (problem.empty() && !std::filesystem::is_empty(s.temporaries, error))
        problem = "the host's temporary folder outlived it";
    return problem;
}

std::string_view view(const uint8_t *data, size_t size) { return {reinterpret_cast<const char *>(data), size}; }

std::string pageTarget(std::string_view markup) {
    PackageBuilder package = session().withFont;
    return extract(package.add(kPagePart, stored(markup)).bytes());
}

std::string fontTarget(std::string_view font) {
    PackageBuilder package = session().withPage;
    package.add(kPlainFont, stored(font)).add(kObfuscatedFont, stored(obfuscated(std::string(font))));
    return extract(package.bytes());
}

std::string attributesTarget(std::string_view input) {
    std::string value(input);
    std::vector<GlyphIndexEntry> entries = readIndices(value);
    if (entries.size() != static_cast<size_t>(std::count(value.begin(), value.end(), ';')) + 1)
        return "Indices entries do not follow the separators";
    // Expat hands attribute values over NUL-terminated.
    const char *text = value.c_str();
    try {
        Matrix m = readMatrix(text);
        bool identity = m.m11 == 1.0 && m.m12 == 0.0 && m.m21 == 0.0 && m.m22 == 1.0 && m.offsetX == 0.0 && m.offsetY == 0.0;
        if (m.identity != identity)
            return "matrix identity flag is wrong";
    } catch (const XPSConformanceError &) {
    }
    if (unicodeStringOf(text).size() > kMaxUnicodeStringBytes)
        return "UnicodeString longer than a text record";
    return {};
}

} // namespace

void prepare() { session(); }

std::string run(Target target, const uint8_t *data, size_t size) {
    switch (target) {
    case Target::Package: return extract(view(data, size));
    case Target::Page: return pageTarget(view(data, size));
    case Target::Font: return fontTarget(view(data, size));
    case Target::Attributes: return attributesTarget(view(data, size));
    }
    return "no such target";
}

bool targetNamed(const std::string &name, Target &target) {
    const char *names[] = {"package", "page", "font", "attributes"};   // in Target's order
    auto found = std::find(std::begin(names), std::end(names), name);
    target = static_cast<Target>(found - std::begin(names));
    return found != std::end(names);
}

} // namespace fixrd::fuzz
