#include "TextConversion.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace fixrd::host {

namespace {

struct CharsetNumber {
    uint32_t number;
    const char *iconvName;
};

constexpr CharsetNumber kCharsets[] = {
    {1, "SHIFT_JIS"},    {3, "BIG5"},         {4, "CP949"},        {5, "WINDOWS-1250"},
    {6, "WINDOWS-1251"}, {7, "WINDOWS-1252"}, {8, "WINDOWS-1253"}, {9, "WINDOWS-1254"},
    {10, "WINDOWS-1255"}, {11, "WINDOWS-1256"}, {12, "WINDOWS-1257"}, {13, "WINDOWS-1258"},
    {14, "ISO-8859-1"},  {15, "ISO-8859-2"},  {16, "ISO-8859-3"},  {17, "ISO-8859-4"},
    {18, "ISO-8859-5"},  {19, "ISO-8859-6"},  {20, "ISO-8859-7"},  {21, "ISO-8859-8"},
    {22, "ISO-8859-9"},  {23, "ISO-8859-14"}, {24, "ISO-8859-15"}, {52, "UTF-16"},
    {53, "UTF-8"},       {54, "UTF-7"},       {55, "ISO-2022-JP"}, {61, "GB2312"},
    {66, "EUC-JP"},      {69, "EUC-KR"},      {81, "ISO-8859-10"}, {82, "ISO-8859-13"},
    {94, "GB18030"},     {100, "UCS-4BE"},
};

class Iconv {
public:
    Iconv(const char *to, const char *from) : handle_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok())
            iconv_close(handle_);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// UTF-8 to code points without iconv: the reader asks this once per
// character it measures, and opening a converter each time would dominate a
// document.  Calls put(code) for each character; a byte that starts no valid
// one gives `replacement`.
template <class Put> void decodeUtf8(const unsigned char *in, size_t length, char replacement, Put put) {
    size_t i = 0;
    while (i < length) {
        unsigned char first = in[i];
        size_t count = first < 0x80 ? 1 : (first >> 5) == 0x6 ? 2 : (first >> 4) == 0xE ? 3 : (first >> 3) == 0x1E ? 4 : 0;
        uint32_t code = count == 1 ? first : count == 2 ? first & 0x1F : count == 3 ? first & 0x0F : first & 0x07;
        bool valid = count != 0 && i + count <= length;
        for (size_t k = 1; valid && k < count; ++k) {
            if ((in[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (in[i + k] & 0x3F);
        }
        static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (valid && (code < kSmallest[count] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            valid = false;
        if (!valid) {
            put(static_cast<unsigned char>(replacement));
            ++i;
            continue;
        }
        put(code);
        i += count;
    }
}

void utf8ToUcs4(const unsigned char *in, size_t length, char replacement, std::string &output) {
    decodeUtf8(in, length, replacement, [&](uint32_t code) {
        output += static_cast<char>(code >> 24);
        output += static_cast<char>(code >> 16);
        output += static_cast<char>(code >> 8);
        output += static_cast<char>(code);
    });
}

} // namespace

const char *iconvNameOf(uint32_t charset) {
    for (const CharsetNumber &row : kCharsets) {
        if (row.number == charset)
            return row.iconvName;
    }
    return nullptr;
}

bool convertCharset(uint32_t from, uint32_t to, const void *input, size_t length, char replacement,
                    std::string &output) {
    output.clear();
    if (from == HOST_CHARSET_UTF8 && to == HOST_CHARSET_UCS4BE) {
        utf8ToUcs4(static_cast<const unsigned char *>(input), length, replacement, output);
        return true;
    }
    const char *fromName = iconvNameOf(from);
    const char *toName = iconvNameOf(to);
    if (fromName == nullptr || toName == nullptr)
        return false;
    Iconv convert(toName, fromName);
    Iconv replace(toName, "ASCII");
    if (!convert.ok() || !replace.ok())
        return false;

    std::string replacementBytes;
    {
        char in = replacement, out[16];
        char *inAt = &in, *outAt = out;
        size_t inLeft = 1, outLeft = sizeof out;
        if (iconv(replace.get(), &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1))
            replacementBytes.assign(out, static_cast<size_t>(outAt - out));
    }

    char *inAt = const_cast<char *>(static_cast<const char *>(input));
    size_t inLeft = length;
    char block[4096];
    while (inLeft > 0) {
        char *outAt = block;
        size_t outLeft = sizeof block;
        size_t result = iconv(convert.get(), &inAt, &inLeft, &outAt, &outLeft);
        output.append(block, static_cast<size_t>(outAt - block));
        if (result != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // A character the target lacks, or a broken sequence: one
        // replacement for the whole character where its length is known.
        output += replacementBytes;
        size_t skip = 1;
        if (from == HOST_CHARSET_UTF8) {
            auto first = static_cast<unsigned char>(*inAt);
            skip = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
            for (size_t k = 1; k < skip; ++k) {
                if (k >= inLeft || (static_cast<unsigned char>(inAt[k]) & 0xC0) != 0x80) {
                    skip = k;
                    break;
                }
            }
        }
        inAt += skip;
        inLeft -= skip;
        iconv(convert.get(), nullptr, nullptr, nullptr, nullptr);
    }
    char *outAt = block;
    size_t outLeft = sizeof block;
    iconv(convert.get(), nullptr, nullptr, &outAt, &outLeft);
    output.append(block, static_cast<size_t>(outAt - block));
    return true;
}

namespace {

// Everything but one ASCII character to code points.
__attribute__((noinline)) int convertOtherText(HostServices *host, uint32_t fromCharset, ConvertedText *input,
                                               ConvertedText *output, char replacement) {
    if (fromCharset == HOST_CHARSET_UTF8 && input != nullptr && output != nullptr &&
        host->targetCharset == HOST_CHARSET_UCS4BE) {
        // Straight into the caller's buffer, or only counted when it asks for the length.
        auto *to = reinterpret_cast<unsigned char *>(output->data);
        size_t room = to != nullptr ? output->length : 0, needed = 0;
        decodeUtf8(reinterpret_cast<const unsigned char *>(input->data), input->length, replacement, [&](uint32_t code) {
            for (int shift = 24; shift >= 0; shift -= 8, ++needed)
                if (needed < room)
                    to[needed] = static_cast<unsigned char>(code >> shift);
        });
        output->length = static_cast<uint32_t>(to != nullptr && room < needed ? room : needed);
        return 1;
    }
    std::string converted;
    if (input == nullptr || output == nullptr ||
        !convertCharset(fromCharset, host->targetCharset, input->data, input->length, replacement, converted)) {
        if (output != nullptr && output->data == nullptr)
            output->length = 0;
        return 0;
    }
    if (output->data == nullptr) {
        output->length = static_cast<uint32_t>(converted.size());
        return 1;
    }
    size_t n = converted.size() < output->length ? converted.size() : output->length;
    std::memcpy(output->data, converted.data(), n);
    output->length = static_cast<uint32_t>(n);
    return 1;
}

} // namespace

int convertText(HostServices *host, uint32_t fromCharset, ConvertedText *input, ConvertedText *output,
                char replacement) {
    // One ASCII character to a code point, as most the reader measures are:
    // kept apart so that this path saves no registers and builds no frame.
    if (fromCharset == HOST_CHARSET_UTF8 && input != nullptr && output != nullptr &&
        host->targetCharset == HOST_CHARSET_UCS4BE && input->length == 1 && input->data != nullptr) {
        auto first = *static_cast<const unsigned char *>(input->data);
        auto *to = reinterpret_cast<unsigned char *>(output->data);
        if (first < 0x80 && (to == nullptr || output->length >= 4)) {
            if (to != nullptr) {
                to[0] = to[1] = to[2] = 0;
                to[3] = first;
            }
            output->length = 4;
            return 1;
        }
    }
    return convertOtherText(host, fromCharset, input, output, replacement);
}

} // namespace fixrd::host
