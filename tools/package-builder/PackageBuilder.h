// Builds zip packages: the tests' documents, the fuzz seeds, the bundled
// sample and the bench documents.  A test then reads as the document it
// describes: entries in a chosen order, deflated or stored, interleaved
// pieces, empty entries and deliberate damage.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fixrd::builder {

constexpr const char *kXpsNamespace = "http://schemas.microsoft.com/xps/2005/06";
constexpr const char *kOpenXpsNamespace = "http://schemas.openxps.org/oxps/v1.0";
constexpr const char *kContentTypesNamespace = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char *kSequenceContentType = "application/vnd.ms-package.xps-fixeddocumentsequence+xml";

enum class Compression { Deflate, Store };

// An entry's bytes as the zip stores them.
struct StoredData {
    std::string bytes;
    uint16_t method = 0;   // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint64_t size = 0;     // uncompressed
};

// `data` as a stored entry.
StoredData stored(std::string_view data);
// Raw deflate of what `produce` returns, called until it returns "" (so a
// part of hundreds of megabytes never sits in memory whole).
StoredData deflated(const std::function<std::string()> &produce);

// libzip writes the package, so that tests do not share the reader's reading
// of the format; only what libzip cannot write (damage, duplicate names,
// entries sharing their data, data deflated elsewhere) makes the builder
// write it field by field.
class PackageBuilder {
public:
    // Entries are written in the order they are added.  Names are stored as
    // given (raw bytes), without a leading "/".
    PackageBuilder &add(const std::string &name, const std::string &data,
                        Compression compression = Compression::Deflate);
    // `declaredSize` (uncompressed) goes into both headers in place of the true one.
    PackageBuilder &add(const std::string &name, StoredData data, int64_t declaredSize = -1);
    // A part stored as interleaved pieces name/[0].piece, name/[1].piece, ...
    // With lastMarker the final piece is named name/[n].last.piece.
    PackageBuilder &addPieces(const std::string &name, const std::vector<std::string> &pieces,
                              bool lastMarker = false);
    // A second directory entry, under `name`, for the data of entry `index`.
    PackageBuilder &alias(const std::string &name, size_t index);

    // Damage to the named entry, in its local header and directory entry alike.
    PackageBuilder &corruptCrc(const std::string &name);
    PackageBuilder &claimUncompressedSize(const std::string &name, uint32_t size);
    PackageBuilder &markEncrypted(const std::string &name);
    PackageBuilder &setCompressionMethod(const std::string &name, uint16_t method);

    // The whole zip file.
    std::string bytes() const;
    // Writes the zip to path and returns path.
    std::string writeTo(const std::string &path) const;

    // A complete package: [Content_Types].xml, FixedDocumentSequence.fdseq,
    // Documents/1/FixedDocument.fdoc and Documents/1/Pages/<n>.fpage holding
    // the given FixedPage markups.
    static PackageBuilder document(const std::vector<std::string> &pages, const char *ns = kXpsNamespace);

private:
    struct Entry {
        std::string name;
        std::string data;
        Compression compression;
        StoredData stored;
        bool prepared = false;     // `stored` holds the data
        int64_t declaredSize = -1;
        size_t aliasOf = SIZE_MAX;
    };
    // Damage to the first entry of the name, applied as it is written.
    struct Damage {
        enum Kind { Crc, Size, Encrypted, Method } kind;
        std::string name;
        uint32_t value;
    };
    PackageBuilder &damage(Damage::Kind kind, const std::string &name, uint32_t value);
    std::string zipped() const;
    std::string fieldByField() const;

    std::vector<Entry> entries_;
    std::vector<Damage> damage_;
    bool byField_ = false;
};

// Markup for the usual parts.
namespace markup {
// [Content_Types].xml with an Override for the sequence part ("" for none).
std::string contentTypes(const std::string &sequencePartName = "/FixedDocumentSequence.fdseq");
std::string sequence(const std::vector<std::string> &documentSources, const char *ns = kXpsNamespace);
std::string document(const std::vector<std::string> &pageSources, const char *ns = kXpsNamespace);
// A FixedPage around body.
std::string page(const std::string &body, const char *ns = kXpsNamespace);
} // namespace markup

// The font as a package stores it under a name that starts with guid: the
// GUID's bytes, last one first, XORed over the first 32 bytes twice over.
std::string obfuscated(std::string font, const std::string &guid);

std::string readFile(const std::string &path);
// A new folder below TMPDIR (or /tmp) that only its owner may enter.
std::string makePrivateFolder(const std::string &prefix);

// A file in a private temporary directory, deleted with the object.
class TempFile {
public:
    explicit TempFile(const std::string &contents, const std::string &suffix = ".xps");
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

} // namespace fixrd::builder
