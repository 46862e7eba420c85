#include "fonts/FontFace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fixrd {

namespace {

// All of count bytes at offset, or fewer at the end of the file.
unsigned long readFully(int descriptor, unsigned long offset, unsigned char *buffer, unsigned long count) {
    unsigned long done = 0;
    while (done < count) {
        ssize_t n = ::pread(descriptor, buffer + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<unsigned long>(n);
    }
    return done;
}

// FreeType's read: a count of 0 is a seek, 0 when it is within the file.
// The file does not change while the face is open, so the blocks stay true.
unsigned long readAt(FT_Stream record, unsigned long offset, unsigned char *buffer, unsigned long count) {
    using Stream = FontFace::ReadAheadStream;
    if (count == 0)
        return offset <= record->size ? 0 : 1;
    auto *stream = reinterpret_cast<Stream *>(record);
    int descriptor = static_cast<int>(record->descriptor.value);
    if (count > Stream::kBlock / 2)
        return readFully(descriptor, offset, buffer, count);
    Stream::Block *use = nullptr;
    for (Stream::Block &block : stream->blocks) {
        if (offset >= block.start && offset - block.start < block.length &&
            count <= block.length - (offset - block.start)) {
            use = &block;
            break;
        }
    }
    if (use == nullptr) {
        use = &stream->blocks[0];
        for (Stream::Block &block : stream->blocks)
            use = block.lastUse < use->lastUse ? &block : use;
        use->start = offset;
        use->length = readFully(descriptor, offset, use->bytes, Stream::kBlock);
    }
    use->lastUse = ++stream->reads;
    unsigned long at = offset - use->start;
    unsigned long available = use->length > at ? use->length - at : 0;
    unsigned long copied = count < available ? count : available;
    std::memcpy(buffer, use->bytes + at, copied);
    return copied;
}

void closeStream(FT_Stream stream) {
    if (stream->descriptor.value >= 0)
        ::close(static_cast<int>(stream->descriptor.value));
    stream->descriptor.value = -1;
}

} // namespace

FontFace::~FontFace() {
    if (face_ != nullptr)
        FT_Done_Face(face_);
}

FT_Error FontFace::open(FT_Library library, const char *path) {
    // Read through a descriptor rather than mapped: a face stays open for
    // the document, and the pages a mapping touches would stay resident.
    int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) {
        if (descriptor >= 0)
            ::close(descriptor);
        return FT_Err_Cannot_Open_Resource;
    }
    std::memset(&stream_.record, 0, sizeof stream_.record);
    stream_.reads = 0;
    for (ReadAheadStream::Block &block : stream_.blocks)
        block.start = block.length = block.lastUse = 0;
    stream_.record.size = static_cast<unsigned long>(status.st_size);
    stream_.record.descriptor.value = descriptor;
    stream_.record.read = readAt;
    stream_.record.close = closeStream;   // FreeType closes it, whether the face opens or not
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream_.record;
    FT_Face face = nullptr;
    FT_Error error = FT_Open_Face(library, &args, 0, &face);
    if (error == 0)
        face_ = face;
    return error;
}

bool FontFace::loadMetrics(FT_UInt glyph, GlyphMetrics &metrics) {
    if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) != 0)
        return false;
    // FreeType's positions are longs; unscaled font units fit 32 bits.
    const FT_Glyph_Metrics &m = face_->glyph->metrics;
    metrics = GlyphMetrics{static_cast<int32_t>(m.width),        static_cast<int32_t>(m.height),
                           static_cast<int32_t>(m.horiBearingX), static_cast<int32_t>(m.horiBearingY),
                           static_cast<int32_t>(m.horiAdvance),  static_cast<int32_t>(m.vertBearingX),
                           static_cast<int32_t>(m.vertBearingY), static_cast<int32_t>(m.vertAdvance)};
    return true;
}

} // namespace fixrd
