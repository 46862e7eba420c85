// The floor under any XPS text reader: inflating the page markup with libzip
// and parsing it with Expat, with a handler that only counts elements.  A
// reader cannot be faster than this on the same markup.  With --inflate-all
// the floor is instead inflating every part of the package (for documents
// whose work is their fonts, not their markup).
//
// Usage: bench-markup-floor [--repeat N] [--inflate-all] FILE...
// Prints per file: name, pages, markup (or all parts') bytes, best seconds (tab-separated).
#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

bool endsWithIgnoringCase(const std::string &text, const std::string &suffix) {
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The FixedPage parts of a package (every part with `everyPart`), each
// whole: pieces of an interleaved part are joined in their order.
bool pageParts(const char *path, std::vector<std::string> &parts, bool everyPart = false) {
    int error = 0;
    zip_t *archive = zip_open(path, ZIP_RDONLY, &error);
    if (archive == nullptr)
        return false;
    std::map<std::string, std::map<long, std::string>> pieces;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        std::string name = raw != nullptr ? raw : "";
        std::string part = name;
        long index = 0;
        size_t bracket = name.rfind("/[");
        if (bracket != std::string::npos && endsWithIgnoringCase(name, ".piece")) {
            part = name.substr(0, bracket);
            index = std::atol(name.c_str() + bracket + 2);
        }
        if (!everyPart && !endsWithIgnoringCase(part, ".fpage"))
            continue;
        zip_file_t *file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file == nullptr)
            continue;
        std::string data;
        char block[65536];
        for (zip_int64_t n; (n = zip_fread(file, block, sizeof block)) > 0;)
            data.append(block, static_cast<size_t>(n));
        zip_fclose(file);
        pieces[part][index] = std::move(data);
    }
    zip_close(archive);
    for (auto &[part, ordered] : pieces) {
        std::string whole;
        for (auto &[index, data] : ordered)
            whole += data;
        parts.push_back(std::move(whole));
    }
    return true;
}

struct Counts {
    size_t elements = 0;
    size_t pages = 0;
};

void XMLCALL startElement(void *data, const XML_Char *name, const XML_Char **) {
    auto *counts = static_cast<Counts *>(data);
    ++counts->elements;
    size_t length = std::strlen(name);
    if (length >= 9 && std::strcmp(name + length - 9, "FixedPage") == 0)
        ++counts->pages;
}

// Inflates every page part straight into Expat's own buffer and parses it
// as it comes, pieces in their order: the least work reading the markup
// can be.  False when the package does not open or a part is not well-formed.
bool inflateAndParse(const char *path, Counts &counts) {
    int error = 0;
    zip_t *archive = zip_open(path, ZIP_RDONLY, &error);
    if (archive == nullptr)
        return false;
    std::map<std::string, std::map<long, zip_uint64_t>> pieces;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        std::string part = raw != nullptr ? raw : "";
        long index = 0;
        size_t bracket = part.rfind("/[");
        if (bracket != std::string::npos && endsWithIgnoringCase(part, ".piece")) {
            index = std::atol(part.c_str() + bracket + 2);
            part.resize(bracket);
        }
        if (endsWithIgnoringCase(part, ".fpage"))
            pieces[part][index] = static_cast<zip_uint64_t>(i);
    }
    constexpr int kBlock = 65536;
    bool ok = true;
    for (auto &[part, ordered] : pieces) {
        XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
        XML_SetUserData(parser, &counts);
        XML_SetStartElementHandler(parser, startElement);
        bool wellFormed = true;
        for (auto &[index, entry] : ordered) {
            zip_file_t *file = zip_fopen_index(archive, entry, 0);
            for (zip_int64_t n = 1; file != nullptr && wellFormed && n > 0;) {
                void *buffer = XML_GetBuffer(parser, kBlock);
                n = buffer != nullptr ? zip_fread(file, buffer, kBlock) : -1;
                wellFormed = n >= 0 && XML_ParseBuffer(parser, static_cast<int>(n), XML_FALSE) == XML_STATUS_OK;
            }
            if (file != nullptr)
                zip_fclose(file);
        }
        wellFormed = wellFormed && XML_ParseBuffer(parser, 0, XML_TRUE) == XML_STATUS_OK;
        ok = ok && wellFormed;
        XML_ParserFree(parser);
    }
    zip_close(archive);
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    int repeat = 5, first = 1;
    bool inflateAll = false;
    for (; first < argc && argv[first][0] == '-'; ++first) {
        if (std::strcmp(argv[first], "--repeat") == 0 && first + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++first]));
        else if (std::strcmp(argv[first], "--inflate-all") == 0)
            inflateAll = true;
        else
            break;
    }
    if (first >= argc || argv[first][0] == '-') {
        std::fprintf(stderr, "usage: bench-markup-floor [--repeat N] [--inflate-all] FILE...\n");
        return 2;
    }
    int status = 0;
    for (int i = first; i < argc; ++i) {
        std::vector<std::string> parts;
        if (!pageParts(argv[i], parts)) {
            std::printf("%s\t0\t0\t-1\n", argv[i]);
            status = 1;
            continue;
        }
        size_t bytes = 0;
        for (const std::string &part : parts)
            bytes += part.size();
        double best = 1e30;
        Counts counts;
        if (inflateAll) {
            size_t pages = parts.size();
            for (int r = 0; r < repeat; ++r) {
                std::vector<std::string> all;
                auto started = std::chrono::steady_clock::now();
                pageParts(argv[i], all, true);
                best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
                bytes = 0;
                for (const std::string &part : all)
                    bytes += part.size();
            }
            std::printf("%s\t%zu\t%zu\t%.6f\n", argv[i], pages, bytes, best);
            continue;
        }
        for (int r = 0; r < repeat; ++r) {
            counts = Counts();
            auto started = std::chrono::steady_clock::now();
            inflateAndParse(argv[i], counts);
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        }
        std::printf("%s\t%zu\t%zu\t%.6f\n", argv[i], counts.pages, bytes, best);
    }
    return status;
}
