#include "PackageBuilder.h"

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fixrd::test {

namespace {

// ---- little-endian fields of the written zip -------------------------------

uint32_t read16(const std::string &bytes, size_t at) {
    if (at + 2 > bytes.size())
        throw std::runtime_error("zip field beyond the end of the file");
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
}

uint32_t read32(const std::string &bytes, size_t at) { return read16(bytes, at) | read16(bytes, at + 2) << 16; }

void write16(std::string &bytes, size_t at, uint32_t value) {
    if (at + 2 > bytes.size())
        throw std::runtime_error("zip field beyond the end of the file");
    bytes[at] = static_cast<char>(value & 0xff);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xff);
}

void write32(std::string &bytes, size_t at, uint32_t value) {
    write16(bytes, at, value & 0xffff);
    write16(bytes, at + 2, value >> 16);
}

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;

// Where one entry's two headers start.
struct Headers {
    size_t local;
    size_t central;
};

// Walks the central directory from the end record, as a reader would, so
// the patch lands on the headers the reader will see.
Headers findHeaders(const std::string &bytes, const std::string &name) {
    if (bytes.size() < 22)
        throw std::runtime_error("zip too short");
    size_t end = bytes.size() - 22;
    while (read32(bytes, end) != kEndSignature) {
        if (end == 0)
            throw std::runtime_error("no end of central directory record");
        --end;
    }
    uint32_t count = read16(bytes, end + 10);
    size_t at = read32(bytes, end + 16);
    for (uint32_t i = 0; i < count; ++i) {
        if (read32(bytes, at) != kCentralSignature)
            throw std::runtime_error("broken central directory");
        size_t nameLength = read16(bytes, at + 28);
        size_t extraLength = read16(bytes, at + 30);
        size_t commentLength = read16(bytes, at + 32);
        if (bytes.compare(at + 46, nameLength, name) == 0 && nameLength == name.size()) {
            size_t local = read32(bytes, at + 42);
            if (read32(bytes, local) != kLocalSignature)
                throw std::runtime_error("no local header for " + name);
            return {local, at};
        }
        at += 46 + nameLength + extraLength + commentLength;
    }
    throw std::runtime_error("no entry named " + name);
}

std::string xmlDeclaration() { return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; }

} // namespace

PackageBuilder &PackageBuilder::add(const std::string &name, const std::string &data, Compression compression) {
    entries_.push_back({name, data, compression});
    return *this;
}

PackageBuilder &PackageBuilder::addPieces(const std::string &name, const std::vector<std::string> &pieces,
                                          bool lastMarker) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        bool last = lastMarker && i + 1 == pieces.size();
        add(name + "/[" + std::to_string(i) + (last ? "].last.piece" : "].piece"), pieces[i]);
    }
    return *this;
}

PackageBuilder &PackageBuilder::corruptCrc(const std::string &name) {
    damage_.push_back({Damage::Crc, name, 0});
    return *this;
}

PackageBuilder &PackageBuilder::claimUncompressedSize(const std::string &name, uint32_t size) {
    damage_.push_back({Damage::Size, name, size});
    return *this;
}

PackageBuilder &PackageBuilder::markEncrypted(const std::string &name) {
    damage_.push_back({Damage::Encrypted, name, 0});
    return *this;
}

PackageBuilder &PackageBuilder::setCompressionMethod(const std::string &name, uint16_t method) {
    damage_.push_back({Damage::Method, name, method});
    return *this;
}

std::string PackageBuilder::bytes() const {
    // libzip writes data descriptors only when it cannot seek back, so a real
    // file gives plain headers that carry the CRC and sizes to be patched.
    TempFile file("", ".zip");
    int error = 0;
    zip_t *archive = zip_open(file.path().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr)
        throw std::runtime_error("zip_open failed: " + std::to_string(error));
    for (const Entry &entry : entries_) {
        zip_source_t *source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
        // The name's bytes are written as they are; libzip only decides whether
        // to set the UTF-8 flag.
        zip_int64_t index =
            source != nullptr ? zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_GUESS) : -1;
        if (index < 0) {
            zip_source_free(source);
            std::string reason = zip_strerror(archive);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + entry.name + ": " + reason);
        }
        int method = entry.compression == Compression::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0);
    }
    if (entries_.empty()) {
        // libzip writes no file for an empty archive; an end record alone is one.
        zip_discard(archive);
        return std::string("PK\x05\x06", 4) + std::string(18, '\0');
    }
    if (zip_close(archive) != 0) {
        std::string reason = zip_strerror(archive);
        zip_discard(archive);
        throw std::runtime_error("zip_close failed: " + reason);
    }
    std::string zip = readFile(file.path());

    for (const Damage &damage : damage_) {
        Headers at = findHeaders(zip, damage.name);
        if (read16(zip, at.local + 6) & 0x0008)
            throw std::runtime_error("unexpected data descriptor for " + damage.name);
        switch (damage.kind) {
        case Damage::Crc: {
            uint32_t crc = read32(zip, at.local + 14) ^ 0xffffffffu;
            write32(zip, at.local + 14, crc);
            write32(zip, at.central + 16, crc);
            break;
        }
        case Damage::Size:
            write32(zip, at.local + 22, damage.value);
            write32(zip, at.central + 24, damage.value);
            break;
        case Damage::Encrypted:
            write16(zip, at.local + 6, read16(zip, at.local + 6) | 1);
            write16(zip, at.central + 8, read16(zip, at.central + 8) | 1);
            break;
        case Damage::Method:
            write16(zip, at.local + 8, damage.value);
            write16(zip, at.central + 10, damage.value);
            break;
        }
    }
    return zip;
}

std::string PackageBuilder::writeTo(const std::string &path) const {
    std::string zip = bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(zip.data(), static_cast<std::streamsize>(zip.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
    return path;
}

PackageBuilder PackageBuilder::document(const std::vector<std::string> &pages, const char *ns) {
    std::vector<std::string> sources;
    for (size_t i = 1; i <= pages.size(); ++i)
        sources.push_back("Pages/" + std::to_string(i) + ".fpage");
    PackageBuilder package;
    package.add("[Content_Types].xml", markup::contentTypes())
        .add("FixedDocumentSequence.fdseq", markup::sequence({"/Documents/1/FixedDocument.fdoc"}, ns))
        .add("Documents/1/FixedDocument.fdoc", markup::document(sources, ns));
    for (size_t i = 0; i < pages.size(); ++i)
        package.add("Documents/1/" + sources[i], pages[i]);
    return package;
}

namespace markup {

std::string contentTypes(const std::string &sequencePartName) {
    std::string xml = xmlDeclaration() + "<Types xmlns=\"" + kContentTypesNamespace + "\">" +
                      "<Default Extension=\"rels\" "
                      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>"
                      "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>";
    if (!sequencePartName.empty())
        xml += "<Override PartName=\"" + sequencePartName + "\" ContentType=\"" + kSequenceContentType + "\"/>";
    return xml + "</Types>";
}

std::string sequence(const std::vector<std::string> &documentSources, const char *ns) {
    std::string xml = xmlDeclaration() + "<FixedDocumentSequence xmlns=\"" + ns + "\">";
    for (const std::string &source : documentSources)
        xml += "<DocumentReference Source=\"" + source + "\"/>";
    return xml + "</FixedDocumentSequence>";
}

std::string document(const std::vector<std::string> &pageSources, const char *ns) {
    std::string xml = xmlDeclaration() + "<FixedDocument xmlns=\"" + ns + "\">";
    for (const std::string &source : pageSources)
        xml += "<PageContent Source=\"" + source + "\"/>";
    return xml + "</FixedDocument>";
}

std::string page(const std::string &body, const char *ns) {
    return xmlDeclaration() + "<FixedPage xmlns=\"" + ns + "\" Width=\"816\" Height=\"1056\" xml:lang=\"en-US\">" +
           body + "</FixedPage>";
}

} // namespace markup

std::string obfuscated(std::string font, const std::string &guid) {
    std::string digits;
    for (char c : guid)
        if (c != '-')
            digits += c;
    for (size_t i = 0; i < 32 && i < font.size(); ++i)
        font[i] ^= static_cast<char>(std::stoi(digits.substr(2 * (15 - i % 16), 2), nullptr, 16));
    return font;
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string makePrivateFolder(const std::string &prefix) {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

TempFile::TempFile(const std::string &contents, const std::string &suffix) {
    std::string folder = makePrivateFolder("fixrd-test");
    path_ = folder + "/file" + suffix;
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out.flush()) {
        ::unlink(path_.c_str());
        ::rmdir(folder.c_str());
        throw std::runtime_error("cannot write " + path_);
    }
}
TempFile::~TempFile() {
    ::unlink(path_.c_str());
    size_t slash = path_.rfind('/');
    if (slash != std::string::npos)
        ::rmdir(path_.substr(0, slash).c_str());
}

} // namespace fixrd::test
