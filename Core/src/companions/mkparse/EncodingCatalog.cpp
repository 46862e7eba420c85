#include "EncodingCatalog.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace mkparse {

namespace {

struct NamedEncoding {
    const char *name;  // lower case
    const char *converterName;
    SequenceRule rule;
};

// Names of national standards map to the Windows code page that extends them:
// XPS documents are written by Windows software, which labels its own code
// page with the standard's name, and the extension decodes every sequence of
// the standard.
const NamedEncoding kNamedEncodings[] = {
    {"koi8-r", "KOI8-R", SequenceRule::SingleByte},
    {"cskoi8r", "KOI8-R", SequenceRule::SingleByte},
    {"shift_jis", "CP932", SequenceRule::DoubleByte},
    {"shift-jis", "CP932", SequenceRule::DoubleByte},
    {"sjis", "CP932", SequenceRule::DoubleByte},
    {"x-sjis", "CP932", SequenceRule::DoubleByte},
    {"ms_kanji", "CP932", SequenceRule::DoubleByte},
    {"csshiftjis", "CP932", SequenceRule::DoubleByte},
    {"cp932", "CP932", SequenceRule::DoubleByte},
    {"ms932", "CP932", SequenceRule::DoubleByte},
    {"windows-31j", "CP932", SequenceRule::DoubleByte},
    {"euc-jp", "EUC-JP", SequenceRule::EucJp},
    {"x-euc-jp", "EUC-JP", SequenceRule::EucJp},
    {"cseucpkdfmtjapanese", "EUC-JP", SequenceRule::EucJp},
    {"euc-kr", "CP949", SequenceRule::DoubleByte},
    {"cseuckr", "CP949", SequenceRule::DoubleByte},
    {"cp949", "CP949", SequenceRule::DoubleByte},
    {"uhc", "CP949", SequenceRule::DoubleByte},
    {"ks_c_5601-1987", "CP949", SequenceRule::DoubleByte},
    {"gb2312", "GBK", SequenceRule::DoubleByte},
    {"csgb2312", "GBK", SequenceRule::DoubleByte},
    {"euc-cn", "GBK", SequenceRule::DoubleByte},
    {"gbk", "GBK", SequenceRule::DoubleByte},
    {"x-gbk", "GBK", SequenceRule::DoubleByte},
    {"cp936", "GBK", SequenceRule::DoubleByte},
    {"ms936", "GBK", SequenceRule::DoubleByte},
    {"windows-936", "GBK", SequenceRule::DoubleByte},
    {"big5", "CP950", SequenceRule::DoubleByte},
    {"big-5", "CP950", SequenceRule::DoubleByte},
    {"cn-big5", "CP950", SequenceRule::DoubleByte},
    {"csbig5", "CP950", SequenceRule::DoubleByte},
    {"cp950", "CP950", SequenceRule::DoubleByte},
};

// Families written as a prefix and a number: windows-1250 to 1258 and
// ISO-8859-2 to 16; ISO-8859-12 was never published, so iconv has none.
struct NumberedFamily {
    const char *prefix;  // lower case
    int first;
    int last;
    const char *converterFormat;
};

const NumberedFamily kNumberedFamilies[] = {
    {"windows-", 1250, 1258, "WINDOWS-%d"},
    {"cp", 1250, 1258, "WINDOWS-%d"},
    {"x-cp", 1250, 1258, "WINDOWS-%d"},
    {"iso-8859-", 2, 16, "ISO-8859-%d"},
    {"iso_8859-", 2, 16, "ISO-8859-%d"},
    {"iso8859-", 2, 16, "ISO-8859-%d"},
};

// A decimal number without sign or leading zero, or -1.
int plainNumber(const std::string &digits) {
    if (digits.empty() || digits.size() > 4 || digits[0] == '0')
        return -1;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

Encoding make(const char *converterName, SequenceRule rule) {
    Encoding encoding{};
    std::snprintf(encoding.converterName, sizeof encoding.converterName, "%s", converterName);
    encoding.rule = rule;
    return encoding;
}

} // namespace

std::optional<Encoding> findEncoding(const char *declaredName) {
    if (declaredName == nullptr)
        return std::nullopt;
    std::string name(declaredName);
    for (char &c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }

    for (const NamedEncoding &entry : kNamedEncodings) {
        if (name == entry.name)
            return make(entry.converterName, entry.rule);
    }
    for (const NumberedFamily &family : kNumberedFamilies) {
        size_t prefixLength = std::strlen(family.prefix);
        if (name.compare(0, prefixLength, family.prefix) != 0)
            continue;
        int number = plainNumber(name.substr(prefixLength));
        if (number < family.first || number > family.last)
            continue;
        Encoding encoding{};
        std::snprintf(encoding.converterName, sizeof encoding.converterName, family.converterFormat, number);
        encoding.rule = SequenceRule::SingleByte;
        return encoding;
    }
    return std::nullopt;
}

int sequenceLength(SequenceRule rule, unsigned char lead) {
    switch (rule) {
    case SequenceRule::SingleByte:
        return 1;
    case SequenceRule::DoubleByte:
        return lead >= 0x80 ? 2 : 1;
    case SequenceRule::EucJp:
        return lead == 0x8F ? 3 : lead >= 0x80 ? 2 : 1;
    }
    return 1;
}

} // namespace mkparse
