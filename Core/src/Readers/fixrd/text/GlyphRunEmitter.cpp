#include "text/GlyphRunEmitter.h"

#include "fonts/FontCache.h"
#include "frame/DocContext.h"
#include "page/TransformStack.h"
#include "text/CharView.h"
#include "text/OutputRecords.h"
#include "text/Scripts.h"
#include "text/Utf8.h"
#include "text/WordGap.h"

#include <new>
#include <stdexcept>

namespace fixrd {

namespace {

// Font metrics are 32-bit integers summed as such; a hostile font must not
// make that overflow undefined, so the sums wrap.
int32_t wrappingSum(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t inkRight(const GlyphMetrics &m) { return wrappingSum(m.horiBearingX, m.width); }
int32_t endAdjustment(const GlyphMetrics &m) {
    return static_cast<int32_t>(static_cast<uint32_t>(inkRight(m)) - static_cast<uint32_t>(m.horiAdvance));
}

void require(int32_t status) {
    if (status != 0)
        throw std::bad_alloc();
}

class RunEmitter {
public:
    explicit RunEmitter(DocContext *context)
        : context_(context), run_(context->run), stack_(context->transforms),
          emSize_(context->run.fontRenderingEmSize), unitsPerEm_(context->unitsPerEm),
          em_(scaleVector(context->transforms, {context->run.fontRenderingEmSize, 0.0}).x),
          thresholds_(em_),
          // A font known to have failed fails every lookup; asking it anyway
          // costs an exception per character.
          measurable_(unitsPerEm_ != 0.0 && !context->fonts->hasFailed(context->run.fontKey)) {}

    void emit(Point &previousRunEnd, Point &previousRunAdvanceEnd) {
        startRun(previousRunEnd, previousRunAdvanceEnd);
        context_->lastRunOrigin = run_.origin;
        context_->hasLastRun = true;
        context_->lastRunRightToLeft = rightToLeft();
        context_->lastRunLastCharacter = lastCodePoint(run_.unicodeString);
        context_->lastRunEndsInSpace = isWhiteSpace(context_->lastRunLastCharacter);
        Point pen;
        GlyphMetrics last;
        if (run_.indices.empty())
            emitWhole(pen, last);
        else
            emitWithIndices(pen, last);
        double adjustment = unitsPerEm_ != 0.0 ? endAdjustment(last) * emSize_ / unitsPerEm_ : 0.0;
        previousRunAdvanceEnd = pen;
        previousRunEnd = pen + scaleVector(stack_, {adjustment, 0.0});
    }

private:
    void startRun(const Point &previousRunEnd, const Point &previousRunAdvanceEnd) {
        // Text at the left edge or the top of a page has an origin on an axis,
        // which never starts previousOrigin; its lines must still break.
        const Point *previousOrigin = context_->previousOrigin;
        if (previousOrigin == nullptr && context_->hasLastRun)
            previousOrigin = &context_->lastRunOrigin;
        // One page's text never runs into the next page's.
        bool newPage = context_->pageStartsLine && context_->hasLastRun;
        context_->pageStartsLine = false;
        if ((previousOrigin != nullptr && !(previousOrigin->y == run_.origin.y)) || newPage)
            require(writeLineBreakRecord(context_));
        else if (goesBack(previousRunAdvanceEnd))
            require(writeSpaceRecord(context_));
        else if (previousRunEnd != Point{} &&
                 isSeparatingGap(previousRunEnd, previousRunAdvanceEnd, run_.origin, em_,
                                 context_->lastRunLastCharacter, firstCodePoint(run_.unicodeString)))
            require(writeSpaceRecord(context_));
    }

    bool rightToLeft() const { return (run_.bidiLevel & 1) != 0; }

    // A run on the same baseline that starts behind the one before in the
    // direction of writing (table cells, labels, a heading's right part
    // first), or more than an em behind where the one before ended, is a new
    // word: no gap test sees a gap that goes backwards.  Right-to-left runs
    // are laid out the other way and keep the gap test.
    bool goesBack(const Point &previousPen) const {
        if (!context_->hasLastRun || context_->lastRunRightToLeft || rightToLeft() || !(em_ != 0.0))
            return false;
        const Point &before = context_->lastRunOrigin;
        if (!(before.y == run_.origin.y))
            return false;
        if (context_->lastRunEndsInSpace || isWhiteSpace(firstCodePoint(run_.unicodeString)))
            return false;
        return (before.x - run_.origin.x) / em_ > 0.0 || (previousPen.x - run_.origin.x) / em_ > 1.0;
    }

    // Metrics of one character; false when the font cannot give them.  A
    // font of 0 units per em cannot be measured against at all.
    bool lookUp(CharView character, GlyphMetrics &metrics) {
        metrics = GlyphMetrics{};
        if (!measurable_)
            return false;
        // Found once a run; until it loads, each character asks again.
        if (font_ == nullptr) {
            try {
                font_ = &context_->fonts->loadFont(run_.fontKey, run_.fontUri)->second;
            } catch (const std::runtime_error &) {
                // Failed now for good: the rest of the run need not ask.
                measurable_ = !context_->fonts->hasFailed(run_.fontKey);
                return false;
            }
        }
        if (context_->fonts->findGlyphMetrics(*font_, character, metrics))
            return true;
        metrics = GlyphMetrics{};
        return false;
    }

    CharView characterAt(size_t position) const {
        const std::string &text = run_.unicodeString;
        size_t length = utf8CharLength(static_cast<unsigned char>(text[position]));
        if (length > text.size() - position)
            length = text.size() - position;
        return {text.data() + position, length};
    }

    Point fontAdvance(const GlyphMetrics &m) const {
        return scaleVector(stack_, {(static_cast<double>(m.horiAdvance) / unitsPerEm_) * emSize_, 0.0});
    }

    void writeText(size_t from, size_t to) {
        if (to > from)
            require(writeTextRecord(context_, run_.unicodeString.data() + from, to - from));
    }

    void emitWhole(Point &pen, GlyphMetrics &last) {
        const std::string &text = run_.unicodeString;
        writeText(0, text.size());
        pen = run_.origin;
        for (size_t position = 0; position < text.size();) {
            CharView character = characterAt(position);
            GlyphMetrics m;
            lookUp(character, m);
            if (unitsPerEm_ != 0.0)
                pen = pen + fontAdvance(m);
            last = m;
            position += character.length;
        }
    }

    void emitWithIndices(Point &pen, GlyphMetrics &last) {
        const std::string &text = run_.unicodeString;
        const auto &entries = run_.indices;
        pen = run_.origin;
        Point previousPen;
        CharView previous{nullptr, 0};
        GlyphMetrics previousMetrics;
        size_t segmentStart = 0;
        size_t entry = 0;
        uint64_t taken = 0;

        for (size_t position = 0; position < text.size();) {
            CharView character = characterAt(position);
            GlyphMetrics m;
            bool measured = lookUp(character, m);
            bool afterSpace = previous.length == 1 && previous.bytes[0] == ' ';
            if (measured && !afterSpace && pen != run_.origin &&
                gapBefore(previousPen, previousMetrics, pen, previous, character)) {
                writeText(segmentStart, position);
                require(writeSpaceRecord(context_));
                segmentStart = position;
            }
            previousPen = pen;

            double dx;
            if (entry < entries.size() && entries[entry].advance != 0.0 && entries[entry].clusterCharCount <= 1)
                dx = entries[entry].advance * emSize_ / 100.0;
            else
                dx = unitsPerEm_ != 0.0 ? (static_cast<double>(m.horiAdvance) / unitsPerEm_) * emSize_ : 0.0;
            pen = pen + scaleVector(stack_, {dx, 0.0});

            position += character.length;
            previousMetrics = m;
            previous = character;
            if (entry < entries.size()) {
                ++taken;
                // Sign-extended: 0 covers one character, a negative count all the rest.
                if (taken >= static_cast<uint64_t>(static_cast<int64_t>(entries[entry].clusterCharCount))) {
                    ++entry;
                    taken = 0;
                }
            }
        }
        writeText(segmentStart, text.size());
        last = previousMetrics;
    }

    bool gapBefore(const Point &previousPen, const GlyphMetrics &m, const Point &pen, CharView before,
                   CharView after) const {
        Point inkEnd = previousPen + scaleVector(stack_, {inkRight(m) * emSize_ / unitsPerEm_, 0.0});
        // Most characters stand too close for any gap: the rest of the test,
        // a division more, is then not needed.
        if (thresholds_.rulesOut(inkEnd, pen))
            return false;
        uint32_t first = decodeUtf8(before.bytes, before.length);
        uint32_t second = decodeUtf8(after.bytes, after.length);
        // Justified Arabic stretches its words (kashida), never a gap.
        if (isArabic(first) && isArabic(second))
            return false;
        Point advanceEnd = previousPen + scaleVector(stack_, {m.horiAdvance * emSize_ / unitsPerEm_, 0.0});
        return isSeparatingGap(inkEnd, advanceEnd, pen, em_, first, second);
    }

    DocContext *context_;
    const GlyphRun &run_;
    const TransformStack &stack_;
    double emSize_;
    double unitsPerEm_;
    double em_;
    GapThresholds thresholds_;
    bool measurable_;
    FontEntry *font_ = nullptr;
};

} // namespace

void emitGlyphRun(DocContext *context, Point &previousRunEnd, Point &previousRunAdvanceEnd) {
    RunEmitter(context).emit(previousRunEnd, previousRunAdvanceEnd);
}

} // namespace fixrd
