#include "fonts/CodePoint.h"

#include "frame/HostInterfaces.h"

namespace fixrd {

namespace {

// Restores the two fields the conversion borrows, however it ends.
class BorrowedConversion {
public:
    explicit BorrowedConversion(HostServices *host)
        : host_(host), target_(host->targetCharset), flag_(host->conversionFlag) {
        host_->targetCharset = HOST_CHARSET_UCS4BE;
        host_->conversionFlag = 1;
    }
    ~BorrowedConversion() {
        host_->targetCharset = target_;
        host_->conversionFlag = flag_;
    }
    BorrowedConversion(const BorrowedConversion &) = delete;
    BorrowedConversion &operator=(const BorrowedConversion &) = delete;

private:
    HostServices *host_;
    uint32_t target_;
    uint32_t flag_;
};

} // namespace

uint32_t codePointOf(HostServices *host, CharView character) {
    BorrowedConversion borrowed(host);
    ConvertedText input{const_cast<char *>(character.bytes), static_cast<uint32_t>(character.length)};
    ConvertedText output{nullptr, 0};
    host->convertText(host, HOST_CHARSET_UTF8, &input, &output, '?');
    if (output.length == 0)
        return 0;

    uint32_t needed = output.length;
    auto *buffer = static_cast<unsigned char *>(host->memory.alloc(&host->memory, int64_t{needed} + 2));
    if (buffer == nullptr)
        return 0;
    output.data = buffer;
    host->convertText(host, HOST_CHARSET_UTF8, &input, &output, '?');
    uint32_t converted = output.length < needed ? output.length : needed;
    buffer[converted] = 0;
    buffer[converted + 1] = 0;

    // Bytes the conversion did not produce count as 0; none is read past it.
    uint32_t code = 0;
    for (uint32_t i = 0; i < 4; ++i)
        code = (code << 8) | (i < converted ? buffer[i] : 0u);
    host->memory.free(&host->memory, buffer);
    return code;
}

} // namespace fixrd
