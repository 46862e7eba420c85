#include "frame/DocumentCharset.h"

#include "frame/DocContext.h"

#include <cstring>

namespace fixrd {

namespace {

constexpr uint32_t kDefaultCharset = 7;
constexpr int kReadSize = 1024;
constexpr int kScanLimit = 1000;
constexpr size_t kDeclarationMax = 255;

struct CharsetName {
    const char *name;
    const char *alias;   // or null
    uint32_t number;
};

// Order matters: a value matches a row when it begins with the row's name,
// so longer names that share a prefix come first (ISO-8859-10 before -1).
constexpr CharsetName kCharsetNames[] = {
    {"UTF-8", "UTF8", 53},         {"UTF-16", "UTF16", 52},      {"UTF-7", "UTF7", 54},
    {"ISO-8859-10", nullptr, 81},  {"ISO-8859-13", nullptr, 82}, {"ISO-8859-14", nullptr, 23},
    {"ISO-8859-15", nullptr, 24},  {"ISO-8859-1", nullptr, 14},  {"ISO-8859-2", nullptr, 15},
    {"ISO-8859-3", nullptr, 16},   {"ISO-8859-4", nullptr, 17},  {"ISO-8859-5", nullptr, 18},
    {"ISO-8859-6", nullptr, 19},   {"ISO-8859-7", nullptr, 20},  {"ISO-8859-8", nullptr, 21},
    {"ISO-8859-9", nullptr, 22},   {"ISO-2022-JP", nullptr, 55}, {"Shift_JIS", nullptr, 1},
    {"EUC-JP", nullptr, 66},       {"EUC-KR", nullptr, 69},      {"WINDOWS-1252", nullptr, 7},
    {"GB18030", nullptr, 94},      {"GB2312", "GB_2312-80", 61}, {"Big5", nullptr, 3},
    {"KSC_5601", "KS_C_5601-1987", 4},
    {"windows-1250", nullptr, 5},  {"windows-1251", nullptr, 6}, {"windows-1253", nullptr, 8},
    {"windows-1254", nullptr, 9},  {"windows-1255", nullptr, 10}, {"windows-1256", nullptr, 11},
    {"windows-1257", nullptr, 12}, {"windows-1258", nullptr, 13},
};

bool matches(const char *value, const char *name) {
    return name != nullptr && matchCharsetName(value, name, std::strlen(name)) == 0;
}

// The number named by the encoding pseudo-attribute of a declaration, or 0.
uint32_t charsetOfDeclaration(char *declaration) {
    char *encoding = std::strstr(declaration, "encoding");
    if (encoding == nullptr)
        return 0;
    char *equals = std::strchr(encoding, '=');
    if (equals == nullptr || equals[1] == '\0')
        return 0;
    // The equals sign and the opening quote; blanks around '=' defeat this.
    char *value = equals + 2;
    char *lastQuote = std::strrchr(value, '"');
    if (lastQuote != nullptr && lastQuote > value)
        *lastQuote = '\0';
    for (const CharsetName &row : kCharsetNames) {
        if (matches(value, row.name) || matches(value, row.alias))
            return row.number;
    }
    return 0;
}

bool isLetter(char c, char lower) { return c == lower || c == lower - 32; }

uint32_t scanForDeclaration(const unsigned char *buffer) {
    int i = 0;
    while (i < kScanLimit) {
        if (buffer[i] != '<') {
            ++i;
            continue;
        }
        ++i;
        auto skipToClose = [&] {
            while (i < kScanLimit && buffer[i] != '>')
                ++i;
        };
        if (buffer[i] != '?') {
            skipToClose();
            continue;
        }
        ++i;
        if (!(isLetter(buffer[i], 'x') && isLetter(buffer[i + 1], 'm') && isLetter(buffer[i + 2], 'l'))) {
            skipToClose();
            continue;
        }
        char declaration[kDeclarationMax + 1];
        size_t copied = 0;
        while (i < kScanLimit && buffer[i] != '>' && copied < kDeclarationMax)
            declaration[copied++] = static_cast<char>(buffer[i++]);
        declaration[copied] = '\0';
        return charsetOfDeclaration(declaration);
    }
    return 0;
}

} // namespace

int matchCharsetName(const char *value, const char *name, size_t nameLength) {
    for (size_t i = 0; i < nameLength; ++i) {
        if (value[i] == '\0')
            return 1;
        if ((value[i] | 0x20) != (name[i] | 0x20))
            return 1;
    }
    return 0;
}

uint32_t getDocumentCharset(DocContext *context, void *) {
    if (context->documentCharset != 0)
        return context->documentCharset;
    context->documentCharset = kDefaultCharset;
    IOObj *io = context->contentTypesIO;
    if (io == nullptr || io->open(io) == 0)
        return kDefaultCharset;
    // Three spare bytes so the look-ahead at the scan's end stays inside.
    unsigned char buffer[kReadSize + 3] = {};
    if (io->read(io, buffer, kReadSize) > 0) {
        uint32_t number = scanForDeclaration(buffer);
        if (number != 0)
            context->documentCharset = number;
    }
    io->close(io);
    return context->documentCharset;
}

} // namespace fixrd
