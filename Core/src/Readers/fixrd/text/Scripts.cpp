#include "text/Scripts.h"

namespace fixrd {

namespace {

bool within(uint32_t c, uint32_t first, uint32_t last) { return c >= first && c <= last; }

} // namespace

bool writesWithoutSpaces(uint32_t c) {
    if (within(c, 0xFF10, 0xFF19) || within(c, 0xFF21, 0xFF3A) || within(c, 0xFF41, 0xFF5A))
        return false;   // full-width digits and Latin letters are Latin text
    return within(c, 0x0E00, 0x0EFF) ||                          // Thai, Lao
           within(c, 0x1000, 0x109F) ||                          // Myanmar
           within(c, 0x1780, 0x17FF) ||                          // Khmer
           within(c, 0x2E80, 0x2FDF) ||                          // CJK radicals
           within(c, 0x3000, 0x303F) ||                          // CJK symbols and punctuation
           within(c, 0x3040, 0x30FF) ||                          // Hiragana, Katakana
           within(c, 0x31F0, 0x31FF) ||                          // Katakana extensions
           within(c, 0x3400, 0x4DBF) || within(c, 0x4E00, 0x9FFF) ||   // Han
           within(c, 0xF900, 0xFAFF) ||                          // Han compatibility
           within(c, 0xFF00, 0xFF60) || within(c, 0xFFE0, 0xFFEE) ||   // full-width forms
           within(c, 0x20000, 0x3134F);                          // Han, supplementary planes
}

bool isArabic(uint32_t c) {
    return within(c, 0x0600, 0x06FF) || within(c, 0x0750, 0x077F) || within(c, 0x08A0, 0x08FF) ||
           within(c, 0xFB50, 0xFDFF) || within(c, 0xFE70, 0xFEFF);
}

bool isWhiteSpace(uint32_t c) {
    return c == ' ' || within(c, 0x09, 0x0D) || c == 0xA0 || c == 0x1680 || within(c, 0x2000, 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

uint32_t decodeUtf8(const char *bytes, size_t length) {
    if (length == 0)
        return 0;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char first = byte(0);
    size_t need = first < 0x80 ? 1 : (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3 : (first & 0xF8) == 0xF0 ? 4 : 0;
    if (need == 0 || need > length)
        return 0;
    if (need == 1)
        return first;
    uint32_t c = first & (0x7F >> need);
    for (size_t i = 1; i < need; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    return c;
}

uint32_t firstCodePoint(const std::string &text) { return decodeUtf8(text.data(), text.size()); }

uint32_t lastCodePoint(const std::string &text) {
    size_t start = text.size();
    while (start > 0 && text.size() - start < 4) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80)
            break;
    }
    return decodeUtf8(text.data() + start, text.size() - start);
}

} // namespace fixrd
