#include "PackageBuilder.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fixrd::builder {

namespace {

void put(std::string &out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

uint32_t crcOf(uint32_t crc, std::string_view data) {
    return static_cast<uint32_t>(crc32(crc, reinterpret_cast<const Bytef *>(data.data()), static_cast<uInt>(data.size())));
}

std::string xmlDeclaration() { return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; }

} // namespace

StoredData stored(std::string_view data) { return {std::string(data), 0, crcOf(0, data), data.size()}; }

StoredData deflated(const std::function<std::string()> &produce) {
    StoredData out;
    out.method = 8;
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    unsigned char block[1 << 16];
    for (bool last = false; !last;) {
        std::string input = produce();
        last = input.empty();
        out.crc = crcOf(out.crc, input);
        out.size += input.size();
        stream.next_in = reinterpret_cast<Bytef *>(input.data());
        stream.avail_in = static_cast<uInt>(input.size());
        do {
            stream.next_out = block;
            stream.avail_out = sizeof block;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.bytes.append(reinterpret_cast<char *>(block), sizeof block - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

PackageBuilder &PackageBuilder::add(const std::string &name, const std::string &data, Compression compression) {
    entries_.push_back({name, data, compression, {}});
    return *this;
}

PackageBuilder &PackageBuilder::add(const std::string &name, StoredData data, int64_t declaredSize) {
    entries_.push_back({name, "", Compression::Store, std::move(data), true, declaredSize});
    byField_ = true;
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

PackageBuilder &PackageBuilder::alias(const std::string &name, size_t index) {
    entries_.push_back({name, "", Compression::Store, {}});
    entries_.back().aliasOf = index;
    byField_ = true;
    return *this;
}

PackageBuilder &PackageBuilder::damage(Damage::Kind kind, const std::string &name, uint32_t value) {
    damage_.push_back({kind, name, value});
    byField_ = true;
    return *this;
}
PackageBuilder &PackageBuilder::corruptCrc(const std::string &name) { return damage(Damage::Crc, name, 0); }
PackageBuilder &PackageBuilder::markEncrypted(const std::string &name) { return damage(Damage::Encrypted, name, 0); }
PackageBuilder &PackageBuilder::claimUncompressedSize(const std::string &name, uint32_t size) {
    return damage(Damage::Size, name, size);
}
PackageBuilder &PackageBuilder::setCompressionMethod(const std::string &name, uint16_t method) {
    return damage(Damage::Method, name, method);
}

std::string PackageBuilder::bytes() const {
    std::set<std::string_view> names;
    bool twice = false;
    for (const Entry &entry : entries_)
        twice |= !names.insert(entry.name).second;
    return byField_ || twice ? fieldByField() : zipped();
}

std::string PackageBuilder::zipped() const {
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
        // A fixed time keeps two builds of one document byte-identical.
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 1577836800, 0);
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
    return readFile(file.path());
}

std::string PackageBuilder::fieldByField() const {
    // Each damage goes to the first entry of its name, as a reader finds it.
    std::vector<size_t> damaged;
    for (const Damage &d : damage_) {
        auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry &e) { return e.name == d.name; });
        if (entry == entries_.end())
            throw std::runtime_error("no entry named " + d.name);
        damaged.push_back(static_cast<size_t>(entry - entries_.begin()));
    }
    std::string local, central;
    std::vector<std::string> records;   // each entry's directory record less its name
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry &entry = entries_[i];
        if (entry.aliasOf != SIZE_MAX) {
            std::string record = records.at(entry.aliasOf);
            record.replace(28, 2, std::string{char(entry.name.size()), char(entry.name.size() >> 8)});
            records.push_back(record);
            central += record + entry.name;
            continue;
        }
        StoredData made;
        if (!entry.prepared)
            made = entry.compression == Compression::Store
                       ? stored(entry.data)
                       : deflated([&, done = false]() mutable { return done ? std::string() : (done = true, entry.data); });
        const StoredData &data = entry.prepared ? entry.stored : made;
        uint64_t size = entry.declaredSize >= 0 ? static_cast<uint64_t>(entry.declaredSize) : data.size;
        uint32_t crc = data.crc;
        uint16_t flags = 0, method = data.method;
        for (size_t d = 0; d < damage_.size(); ++d)
            if (damaged[d] == i)
                damage_[d].kind == Damage::Crc         ? void(crc = ~crc)
                : damage_[d].kind == Damage::Size      ? void(size = damage_[d].value)
                : damage_[d].kind == Damage::Encrypted ? void(flags |= 1)
                                                       : void(method = uint16_t(damage_[d].value));
        // Version 20, the flags, the method, 1980-01-01, CRC, both sizes, the name, no extra field.
        std::string fields;
        put(fields, 20, 2), put(fields, flags, 2), put(fields, method, 2), put(fields, 0x210000, 4), put(fields, crc, 4);
        put(fields, data.bytes.size(), 4), put(fields, size, 4), put(fields, entry.name.size(), 2), put(fields, 0, 2);
        std::string record;
        put(record, 0x02014b50, 4), put(record, 20, 2);
        record += fields;
        put(record, 0, 2), put(record, 0, 2), put(record, 0, 2), put(record, 0, 4), put(record, local.size(), 4);
        records.push_back(record);
        put(local, 0x04034b50, 4);
        local.append(fields).append(entry.name).append(data.bytes);
        central.append(record).append(entry.name);
    }
    size_t count = records.size(), size = central.size(), offset = local.size();
    put(central, 0x06054b50, 4), put(central, 0, 4), put(central, count, 2), put(central, count, 2);
    put(central, size, 4), put(central, offset, 4), put(central, 0, 2);
    return local.append(central);
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

} // namespace fixrd::builder
