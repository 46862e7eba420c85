#include "cases/CaseFile.h"

#include "support/SyntheticFont.h"

#include "RecordStream.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace fixrd::test {

namespace {

using Words = std::vector<std::string>;

// Splits at blanks outside double quotes; quotes stay in the words.
Words words(const std::string &line) {
    Words out;
    bool quoted = false, inWord = false;
    for (char c : line) {
        quoted ^= c == '"';
        if (!quoted && (c == ' ' || c == '\t')) {
            inWord = false;
            continue;
        }
        if (!inWord)
            out.emplace_back();
        out.back() += c;
        inWord = true;
    }
    return out;
}

std::string unquote(const std::string &w) {
    return w.size() >= 2 && w.front() == '"' && w.back() == '"' ? w.substr(1, w.size() - 2) : w;
}

// "\xNN" stands for any byte.
std::string unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        bool escape = text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() && isxdigit(text[i + 2]) && isxdigit(text[i + 3]);
        out += escape ? static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)) : text[i];
        i += escape ? 3 : 0;
    }
    return out;
}

std::string join(const Words &w, size_t from, const char *separator) {
    std::string out;
    for (size_t i = from; i < w.size(); ++i)
        out += (i > from ? separator : "") + w[i];
    return out;
}

bool hasPrefix(const std::string &w, const char *prefix) { return w.rfind(prefix, 0) == 0; }
std::string after(const std::string &w, char c) { return w.substr(w.find(c) + 1); }

// "G X Y TEXT ATTRIBUTE..." as a Glyphs element; "-" leaves X, Y or TEXT out.
std::string glyphsElement(const Words &w) {
    if (w.size() < 4)
        throw std::runtime_error("a G line needs X, Y and TEXT");
    std::string extra = join(w, 4, " "), out = "<Glyphs";
    if (extra.find("FontUri=") == std::string::npos)
        out += " FontUri=\"/F.ttf\"";
    if (extra.find("FontRenderingEmSize=") == std::string::npos)
        out += " FontRenderingEmSize=\"10\"";
    const char *names[] = {" OriginX=\"", " OriginY=\"", " UnicodeString=\""};
    for (size_t i = 0; i < 3; ++i)
        if (w[i + 1] != "-")
            out += names[i] + unquote(w[i + 1]) + "\"";
    return out + " " + extra + "/>";
}

std::string page(const Words &block, bool openXps) {
    std::string body;
    for (std::string line : block) {
        size_t times = 1;
        if (hasPrefix(line, "repeat ")) {
            times = std::stoul(line.substr(7));
            line = line.substr(line.find(' ', 7) + 1);
        }
        Words w = words(line);
        std::string markup = (!w.empty() && w[0] == "G" ? glyphsElement(w) : line) + "\n";
        while (times-- > 0)
            body += markup;
    }
    return markup::page(unescape(body), openXps ? kOpenXpsNamespace : kXpsNamespace);
}

std::string font(const Words &w, size_t at) {
    if (at < w.size() && w[at] == "box" && at + 1 < w.size()) {
        BoxMetrics m;
        for (size_t i = at + 2; i < w.size(); ++i) {
            int v = std::stoi(after(w[i], '='));
            hasPrefix(w[i], "bearing=") ? void(m.bearing = int16_t(v))
            : hasPrefix(w[i], "width=") ? void(m.width = int16_t(v))
            : hasPrefix(w[i], "advance=") ? void(m.advance = uint16_t(v))
            : hasPrefix(w[i], "upem=") ? void(m.unitsPerEm = uint16_t(v))
                                        : throw std::runtime_error("unknown box font metric " + w[i]);
        }
        return syntheticFont(unescape(unquote(w[at + 1])), m);
    }
    std::string spec = join(w, at, " "), marker = ", obfuscated with GUID ", file;
    size_t cut = spec.find(marker);
    for (char c : spec.substr(0, cut))
        file += c == ' ' ? "" : std::string(1, c);
    std::string bytes = hasPrefix(spec, "DejaVu ") ? readFile("/usr/share/fonts/truetype/dejavu/" + file + ".ttf") : "";
    if (bytes.empty())
        throw std::runtime_error("no font file for " + spec + " (fonts-dejavu-core has the DejaVu fonts)");
    return cut == std::string::npos ? bytes : obfuscated(bytes, spec.substr(cut + marker.size()));
}

// An entry's content: from word `at` on, or its block.
std::string content(const Words &w, size_t at, const Words &block) {
    if (at >= w.size())
        return unescape(join(block, 0, "\n"));
    const std::string &kind = w[at];
    Words sources(w.begin() + static_cast<long>(at + 1), w.end());
    if (kind == "types")
        return markup::contentTypes(sources.empty() ? "/FixedDocumentSequence.fdseq" : sources[0] == "-" ? "" : sources[0]);
    if (kind == "sequence")
        return markup::sequence(sources);
    if (kind == "document")
        return markup::document(sources);
    if (kind == "page")
        return page(block, !sources.empty() && sources[0] == "openxps");
    if (kind == "text")
        return unescape(join(w, at + 1, " "));
    if (kind == "font")
        return font(w, at + 1);
    throw std::runtime_error("unknown entry content " + kind);
}

struct Entry {
    std::string name, data;
    bool stored = false, lastPiece = false;
    std::vector<size_t> cuts;
    std::string aliasOf;   // a directory entry over that entry's data
};

struct Reading {
    DocumentCase c;
    std::vector<Entry> entries;
    Words pages;
};

void readPackageLine(Reading &r, const Words &w, const Words &block) {
    const std::string &directive = w[0];
    if (directive == "page") {
        r.pages.push_back(page(block, w.size() > 1 && w[1] == "openxps"));
    } else if ((directive == "entry" || directive == "font") && w.size() > 1) {
        Entry e{w[1], "", false, false, {}};
        size_t at = 2, keep = std::string::npos;
        for (; directive == "entry" && at < w.size(); ++at) {
            if (w[at] == "stored") {
                e.stored = true;
            } else if (hasPrefix(w[at], "cut=")) {
                keep = std::stoul(after(w[at], '='));
            } else if (hasPrefix(w[at], "pieces=")) {
                std::istringstream list(after(w[at], '='));
                for (std::string cut; std::getline(list, cut, ',');)
                    cut == "last" ? void(e.lastPiece = true) : e.cuts.push_back(std::stoul(cut));
            } else {
                break;
            }
        }
        e.data = directive == "font" ? font(w, 2) : content(w, at, block).substr(0, keep);
        r.entries.push_back(e);
    } else if (directive == "alias" && w.size() == 3) {
        r.entries.push_back({w[1], "", false, false, {}, w[2]});
    } else if (directive == "file") {
        r.c.file = unescape(w.size() > 1 ? join(w, 1, " ") : join(block, 0, "\n"));
    } else if (directive == "damage" && w.size() == 3) {
        const std::string &kind = w[2];
        kind == "crc"                ? void(r.c.package.corruptCrc(w[1]))
        : kind == "encrypted"        ? void(r.c.package.markEncrypted(w[1]))
        : hasPrefix(kind, "method=") ? void(r.c.package.setCompressionMethod(w[1], uint16_t(std::stoi(after(kind, '=')))))
        : hasPrefix(kind, "size=")   ? void(r.c.package.claimUncompressedSize(w[1], uint32_t(std::stoul(after(kind, '=')))))
                                     : throw std::runtime_error("unknown damage " + kind);
    } else if (directive == "host") {
        for (size_t i = 1; i < w.size(); ++i)
            w[i] == "no-temporary-files"            ? void(r.c.noTemporaryFiles = true)
            : hasPrefix(w[i], "refuse-memory-size=") ? void(r.c.refuseMemorySize = std::stoll(after(w[i], '=')))
                                                     : throw std::runtime_error("unknown host setting " + w[i]);
    } else {
        throw std::runtime_error("cannot read this line");
    }
}

bool readExpectation(DocumentCase &c, const Words &w, const Words &block) {
    const std::string &d = w[0];
    if (d == "status" || d == "walk" || d == "charset") {
        uint32_t value = static_cast<uint32_t>(std::stoul(w.at(1)));
        (d == "status" ? c.openStatus : d == "walk" ? c.walkStatus : c.charset.emplace()) = value;
    } else if (d == "pages") {
        c.pages = Words(w.begin() + 1, w.end());
    } else if (d == "records" || d == "text") {
        std::string value = unescape(w.size() > 1 ? join(w, 1, " ") : join(block, 0, d == "text" ? "\n" : ""));
        (d == "text" ? c.text : c.records) = value;
    } else {
        return false;
    }
    return true;
}

// The standard parts come first, then the entries in the order written;
// an entry of a standard part's name takes its place.
DocumentCase assemble(Reading &r) {
    std::vector<Entry> all;
    if (!r.pages.empty()) {
        Words sources;
        for (size_t i = 1; i <= r.pages.size(); ++i)
            sources.push_back("Pages/" + std::to_string(i) + ".fpage");
        all = {{"[Content_Types].xml", markup::contentTypes(), false, false, {}},
               {"FixedDocumentSequence.fdseq", markup::sequence({"/Documents/1/FixedDocument.fdoc"}), false, false, {}},
               {"Documents/1/FixedDocument.fdoc", markup::document(sources), false, false, {}}};
        for (size_t i = 0; i < r.pages.size(); ++i)
            all.push_back({"Documents/1/" + sources[i], r.pages[i], false, false, {}});
        for (Entry &part : all)
            for (auto e = r.entries.begin(); e != r.entries.end(); ++e)
                if (e->name == part.name) {
                    part = *e;
                    r.entries.erase(e);
                    break;
                }
    }
    all.insert(all.end(), r.entries.begin(), r.entries.end());
    std::vector<std::string> added;   // the builder's entries so far, by name
    for (const Entry &e : all) {
        if (!e.aliasOf.empty()) {
            auto of = std::find(added.begin(), added.end(), e.aliasOf);
            if (of == added.end())
                throw std::runtime_error("alias of " + e.aliasOf + ", which is no earlier entry");
            r.c.package.alias(e.name, static_cast<size_t>(of - added.begin()));
            added.push_back(e.name);
            continue;
        }
        if (e.cuts.empty() && !e.lastPiece) {
            added.push_back(e.name);
            r.c.package.add(e.name, e.data, e.stored ? Compression::Store : Compression::Deflate);
            continue;
        }
        std::vector<std::string> pieces;
        size_t from = 0;
        for (size_t cut : e.cuts)
            pieces.push_back(e.data.substr(from, cut - from)), from = cut;
        pieces.push_back(e.data.substr(std::min(from, e.data.size())));
        r.c.package.addPieces(e.name, pieces, e.lastPiece);
        added.insert(added.end(), pieces.size(), e.name + "/[piece]");
    }
    return std::move(r.c);
}

} // namespace

std::vector<DocumentCase> readCaseFile(const std::string &path) { return readCases(readFile(path), path); }

std::vector<DocumentCase> readCases(const std::string &text, const std::string &path) {
    std::istringstream in(text + "\n===\n");
    Words lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::vector<DocumentCase> cases;
    Reading r;
    bool started = false;
    auto indented = [&](size_t k) { return k < lines.size() && (lines[k].empty() || isblank(lines[k][0])); };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const std::string where = path.substr(path.rfind('/') + 1) + ":" + std::to_string(i + 1);
        if (line == "===") {
            if (started)
                cases.push_back(assemble(r));
            r = Reading{};
            started = false;
            continue;
        }
        if (indented(i))
            continue;   // a block, read with its directive
        if (!started)
            r.c.where = where, started = true;
        if (line[0] == '#') {
            if (r.c.title.empty())
                r.c.title = line.substr(std::min(line.size(), line.find_first_not_of("# ")));
            continue;
        }
        Words block;
        size_t indent = std::string::npos;
        for (size_t k = i + 1; indented(k); ++k) {
            size_t text = lines[k].find_first_not_of(" \t");
            if (text != std::string::npos)
                block.push_back(lines[k].substr(std::min(indent = std::min(indent, text), text)));
        }
        try {
            Words w = words(line);
            if (!readExpectation(r.c, w, block))
                readPackageLine(r, w, block);
        } catch (const std::exception &e) {
            throw std::runtime_error(where + ": " + e.what());
        }
    }
    return cases;
}

std::vector<std::string> caseFilesIn(const std::string &folder) {
    std::vector<std::string> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".case")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string packageBytes(const DocumentCase &c) { return c.file ? *c.file : c.package.bytes(); }

std::string describeRecords(const std::string &records) {
    host::RecordReader reader(records);
    host::Record record;
    std::string out;
    while (reader.next(record))
        out += record.kind == host::RecordKind::LineBreak ? "/" : record.text == " " ? "_" : "[" + std::string(record.text) + "]";
    return reader.error().empty() ? out : out + "<" + reader.error() + ">";
}

} // namespace fixrd::test
