#include "cases/CaseFile.h"

#include "support/SyntheticFont.h"

#include "RecordStream.h"

#include <sstream>
#include <stdexcept>

namespace fixrd::test {

namespace {

// Splits at blanks outside double quotes; quotes stay in the words.
std::vector<std::string> words(const std::string &line) {
    std::vector<std::string> out;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t')) {
            if (any)
                out.push_back(word);
            word.clear();
            any = false;
            continue;
        }
        word += c;
        any = true;
    }
    if (any)
        out.push_back(word);
    return out;
}

std::string unquote(const std::string &word) {
    return word.size() >= 2 && word.front() == '"' && word.back() == '"' ? word.substr(1, word.size() - 2) : word;
}

// "\xNN" stands for any byte.
std::string unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size() + 0 && isxdigit(text[i + 2]) && isxdigit(text[i + 3])) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string join(const std::vector<std::string> &lines, const char *separator) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i > 0 ? separator : "") + lines[i];
    return out;
}

std::string rest(const std::vector<std::string> &w, size_t from) {
    return join(std::vector<std::string>(w.begin() + static_cast<long>(std::min(from, w.size())), w.end()), " ");
}

// "G X Y TEXT ATTRIBUTE..." as a Glyphs element; "-" leaves X, Y or TEXT out.
std::string glyphsElement(const std::vector<std::string> &w) {
    if (w.size() < 4)
        throw std::runtime_error("a G line needs X, Y and TEXT");
    std::string extra = rest(w, 4);
    std::string out = "<Glyphs";
    if (extra.find("FontUri=") == std::string::npos)
        out += " FontUri=\"/F.ttf\"";
    if (extra.find("FontRenderingEmSize=") == std::string::npos)
        out += " FontRenderingEmSize=\"10\"";
    if (w[1] != "-")
        out += " OriginX=\"" + w[1] + "\"";
    if (w[2] != "-")
        out += " OriginY=\"" + w[2] + "\"";
    if (w[3] != "-")
        out += " UnicodeString=\"" + unquote(w[3]) + "\"";
    return out + (extra.empty() ? "" : " " + extra) + "/>";
}

std::string pageBody(const std::vector<std::string> &block) {
    std::string body;
    for (std::string line : block) {
        size_t times = 1;
        if (line.rfind("repeat ", 0) == 0) {
            size_t end = line.find(' ', 7);
            times = std::stoul(line.substr(7, end - 7));
            line = end == std::string::npos ? "" : line.substr(end + 1);
        }
        std::vector<std::string> w = words(line);
        std::string markup = (!w.empty() && w[0] == "G" ? glyphsElement(w) : line) + "\n";
        while (times-- > 0)
            body += markup;
    }
    return unescape(body);
}

int number(const std::string &key, const std::string &word) {
    return word.rfind(key + "=", 0) == 0 ? std::stoi(word.substr(key.size() + 1)) : -1;
}

std::string font(const std::vector<std::string> &w, size_t at) {
    if (at < w.size() && w[at] == "box") {
        if (at + 1 >= w.size())
            throw std::runtime_error("a box font needs its characters");
        BoxMetrics metrics;
        for (size_t i = at + 2; i < w.size(); ++i) {
            if (int v = number("bearing", w[i]); v >= 0)
                metrics.bearing = static_cast<int16_t>(v);
            else if (int v = number("width", w[i]); v >= 0)
                metrics.width = static_cast<int16_t>(v);
            else if (int v = number("advance", w[i]); v >= 0)
                metrics.advance = static_cast<uint16_t>(v);
            else if (int v = number("upem", w[i]); v >= 0)
                metrics.unitsPerEm = static_cast<uint16_t>(v);
            else
                throw std::runtime_error("unknown box font metric " + w[i]);
        }
        return syntheticFont(unescape(unquote(w[at + 1])), metrics);
    }
    std::string spec = rest(w, at), family = spec, guid;
    const std::string marker = ", obfuscated with GUID ";
    if (size_t cut = spec.find(marker); cut != std::string::npos)
        family = spec.substr(0, cut), guid = spec.substr(cut + marker.size());
    if (family.rfind("DejaVu ", 0) != 0)
        throw std::runtime_error("unknown font " + spec);
    std::string file;
    for (char c : family)
        if (c != ' ')
            file += c;
    std::string bytes = readFile("/usr/share/fonts/truetype/dejavu/" + file + ".ttf");
    if (bytes.empty())
        throw std::runtime_error("no font file for " + family + " (install fonts-dejavu-core)");
    return guid.empty() ? bytes : obfuscated(bytes, guid);
}

struct Entry {
    std::string name, data;
    bool stored = false;
    std::vector<size_t> cuts;
    bool lastPiece = false;
};

// The content of an entry: the words from `at` on, or the block.
std::string content(const std::vector<std::string> &w, size_t at, const std::vector<std::string> &block) {
    if (at >= w.size())
        return unescape(join(block, "\n"));
    const std::string &kind = w[at];
    if (kind == "types")
        return markup::contentTypes(at + 1 < w.size() ? (w[at + 1] == "-" ? "" : w[at + 1]) : "/FixedDocumentSequence.fdseq");
    if (kind == "sequence" || kind == "document") {
        std::vector<std::string> sources(w.begin() + static_cast<long>(at + 1), w.end());
        return kind == "sequence" ? markup::sequence(sources) : markup::document(sources);
    }
    if (kind == "page")
        return markup::page(pageBody(block), at + 1 < w.size() && w[at + 1] == "openxps" ? kOpenXpsNamespace : kXpsNamespace);
    if (kind == "text")
        return unescape(rest(w, at + 1));
    if (kind == "font")
        return font(w, at + 1);
    throw std::runtime_error("unknown entry content " + kind);
}

void readPackageLine(DocumentCase &c, std::vector<Entry> &entries, std::vector<std::string> &pages,
                     const std::vector<std::string> &w, const std::vector<std::string> &block) {
    const std::string &directive = w[0];
    if (directive == "page") {
        pages.push_back(markup::page(pageBody(block), w.size() > 1 && w[1] == "openxps" ? kOpenXpsNamespace : kXpsNamespace));
    } else if (directive == "entry" || directive == "font") {
        if (w.size() < 2)
            throw std::runtime_error(directive + " needs a name");
        Entry entry{w[1], "", false, {}, false};
        size_t at = 2, cut = std::string::npos;
        if (directive == "font") {
            entry.data = font(w, 2);
        } else {
            for (; at < w.size(); ++at) {
                if (w[at] == "stored") {
                    entry.stored = true;
                } else if (w[at].rfind("cut=", 0) == 0) {
                    cut = std::stoul(w[at].substr(4));
                } else if (w[at].rfind("pieces=", 0) == 0) {
                    std::istringstream list(w[at].substr(7));
                    for (std::string cut; std::getline(list, cut, ',');)
                        cut == "last" ? void(entry.lastPiece = true) : entry.cuts.push_back(std::stoul(cut));
                } else {
                    break;
                }
            }
            entry.data = content(w, at, block).substr(0, cut);
        }
        entries.push_back(entry);
    } else if (directive == "file") {
        c.file = unescape(w.size() > 1 ? rest(w, 1) : join(block, "\n"));
    } else if (directive == "damage") {
        if (w.size() != 3)
            throw std::runtime_error("damage NAME KIND");
        if (w[2] == "crc")
            c.package.corruptCrc(w[1]);
        else if (w[2] == "encrypted")
            c.package.markEncrypted(w[1]);
        else if (int v = number("method", w[2]); v >= 0)
            c.package.setCompressionMethod(w[1], static_cast<uint16_t>(v));
        else if (w[2].rfind("size=", 0) == 0)
            c.package.claimUncompressedSize(w[1], static_cast<uint32_t>(std::stoul(w[2].substr(5))));
        else
            throw std::runtime_error("unknown damage " + w[2]);
    } else if (directive == "host") {
        for (size_t i = 1; i < w.size(); ++i) {
            if (w[i] == "no-temporary-files")
                c.noTemporaryFiles = true;
            else if (w[i].rfind("refuse-memory-size=", 0) == 0)
                c.refuseMemorySize = std::stoll(w[i].substr(19));
            else
                throw std::runtime_error("unknown host setting " + w[i]);
        }
    } else {
        throw std::runtime_error("unknown directive " + directive);
    }
}

bool readExpectation(DocumentCase &c, const std::vector<std::string> &w, const std::vector<std::string> &block) {
    const std::string &directive = w[0];
    if (directive == "status" || directive == "walk" || directive == "charset") {
        if (w.size() != 2)
            throw std::runtime_error(directive + " takes one number");
        uint32_t value = static_cast<uint32_t>(std::stoul(w[1]));
        (directive == "status" ? c.openStatus : directive == "walk" ? c.walkStatus : c.charset.emplace()) = value;
    } else if (directive == "pages") {
        c.pages = std::vector<std::string>(w.begin() + 1, w.end());
    } else if (directive == "records") {
        c.records = unescape(w.size() > 1 ? rest(w, 1) : join(block, ""));
    } else if (directive == "text") {
        c.text = unescape(w.size() > 1 ? rest(w, 1) : join(block, "\n"));
    } else {
        return false;
    }
    return true;
}

void assemble(DocumentCase &c, std::vector<Entry> entries, const std::vector<std::string> &pages) {
    if (!pages.empty()) {
        std::vector<std::string> sources;
        for (size_t i = 1; i <= pages.size(); ++i)
            sources.push_back("Pages/" + std::to_string(i) + ".fpage");
        std::vector<Entry> standard = {{"[Content_Types].xml", markup::contentTypes(), false, {}, false},
                                       {"FixedDocumentSequence.fdseq", markup::sequence({"/Documents/1/FixedDocument.fdoc"}), false, {}, false},
                                       {"Documents/1/FixedDocument.fdoc", markup::document(sources), false, {}, false}};
        for (size_t i = 0; i < pages.size(); ++i)
            standard.push_back({"Documents/1/" + sources[i], pages[i], false, {}, false});
        for (Entry &part : standard)
            for (auto at = entries.begin(); at != entries.end(); ++at)
                if (at->name == part.name) {
                    part = *at;
                    entries.erase(at);
                    break;
                }
        entries.insert(entries.begin(), standard.begin(), standard.end());
    }
    for (const Entry &e : entries) {
        if (e.cuts.empty() && !e.lastPiece) {
            c.package.add(e.name, e.data, e.stored ? Compression::Store : Compression::Deflate);
            continue;
        }
        std::vector<std::string> pieces;
        size_t from = 0;
        for (size_t cut : e.cuts) {
            pieces.push_back(e.data.substr(from, cut - from));
            from = cut;
        }
        pieces.push_back(e.data.substr(std::min(from, e.data.size())));
        c.package.addPieces(e.name, pieces, e.lastPiece);
    }
}

} // namespace

std::vector<DocumentCase> readCaseFile(const std::string &path) {
    std::istringstream in(readFile(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (lines.empty())
        throw std::runtime_error(path + ": no cases");
    lines.push_back("===");

    std::vector<DocumentCase> cases;
    DocumentCase current;
    std::vector<Entry> entries;
    std::vector<std::string> pages;
    bool started = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        const std::string where = path.substr(path.rfind('/') + 1) + ":" + std::to_string(i + 1);
        if (line == "===") {
            if (started) {
                assemble(current, entries, pages);
                cases.push_back(std::move(current));
            }
            current = DocumentCase{};
            entries.clear();
            pages.clear();
            started = false;
            continue;
        }
        if (line.empty() || line[0] == ' ' || line[0] == '\t')
            continue;   // blocks are read with their directive
        if (!started)
            current.where = where, started = true;
        if (line[0] == '#') {
            if (current.title.empty())
                current.title = line.substr(line.find_first_not_of("# ") == std::string::npos ? line.size() : line.find_first_not_of("# "));
            continue;
        }
        std::vector<std::string> block;
        size_t indent = std::string::npos;
        for (size_t k = i + 1; k < lines.size() && (lines[k].empty() || lines[k][0] == ' ' || lines[k][0] == '\t'); ++k) {
            if (lines[k].find_first_not_of(" \t") == std::string::npos)
                continue;
            if (indent == std::string::npos)
                indent = lines[k].find_first_not_of(" \t");
            block.push_back(lines[k].substr(std::min(indent, lines[k].find_first_not_of(" \t"))));
        }
        try {
            std::vector<std::string> w = words(line);
            if (!readExpectation(current, w, block))
                readPackageLine(current, entries, pages, w, block);
        } catch (const std::exception &e) {
            throw std::runtime_error(where + ": " + e.what());
        }
    }
    return cases;
}

std::string packageBytes(const DocumentCase &c) { return c.file ? *c.file : c.package.bytes(); }

std::string describeRecords(const std::string &records) {
    host::RecordReader reader(records);
    host::Record record;
    std::string out;
    while (reader.next(record))
        out += record.kind == host::RecordKind::LineBreak ? std::string("/")
               : record.text == " "                       ? std::string("_")
                                                          : "[" + std::string(record.text) + "]";
    if (!reader.error().empty())
        out += "<" + reader.error() + ">";
    return out;
}

} // namespace fixrd::test
