#include "fonts/FontFace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fixrd {

namespace {

// FreeType's read: a count of 0 is a seek, 0 when it is within the file.
unsigned long readAt(FT_Stream stream, unsigned long offset, unsigned char *buffer, unsigned long count) {
    if (count == 0)
        return offset <= stream->size ? 0 : 1;
    unsigned long done = 0;
    while (done < count) {
        ssize_t n = ::pread(static_cast<int>(stream->descriptor.value), buffer + done, count - done,
                            static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<unsigned long>(n);
    }
    return done;
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
    std::memset(&stream_, 0, sizeof stream_);
    stream_.size = static_cast<unsigned long>(status.st_size);
    stream_.descriptor.value = descriptor;
    stream_.read = readAt;
    stream_.close = closeStream;   // FreeType closes it, whether the face opens or not
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream_;
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
