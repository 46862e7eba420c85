// Real fonts and fonts derived from them, and a context whose container and
// host the font tests control.
#pragma once

#include "support/FakeContainer.h"
#include "support/TestHost.h"

#include "fonts/FontCache.h"
#include "frame/ContextLifecycle.h"
#include "frame/DocContext.h"
#include "support/except/ReaderErrors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <initializer_list>
#include <string>

namespace fixrd::test {

constexpr const char *kGuid = "0D7A2D48-8C3C-4E4B-91C2-B4E7D2A0E5BB";

inline std::string dejaVu(const std::string &name = "DejaVuSans") {
    std::string font = readFile("/usr/share/fonts/truetype/dejavu/" + name + ".ttf");
    EXPECT_GT(font.size(), 100000u) << name << " missing: install fonts-dejavu-core";
    return font;
}

inline std::string obfuscated(const std::string &font) { return builder::obfuscated(font, kGuid); }

// Where the table directory entry of tag starts; npos when there is none.
inline size_t tableEntry(const std::string &font, const char *tag) {
    size_t tables = size_t{static_cast<unsigned char>(font.at(4))} << 8 | static_cast<unsigned char>(font.at(5));
    for (size_t at = 12; at < 12 + 16 * tables; at += 16)
        if (font.compare(at, 4, tag) == 0)
            return at;
    return std::string::npos;
}

// The font with the named tables' tags changed, so FreeType finds none of them.
inline std::string withoutTables(std::string font, std::initializer_list<const char *> tags) {
    for (const char *tag : tags)
        font.at(tableEntry(font, tag)) = 'x';
    return font;
}

// The font with one character map: codes first to last all name glyph
// (format 13), written over the old map.
inline std::string withManyToOneMap(std::string font, uint32_t first, uint32_t last, uint32_t glyph) {
    auto big = [](uint32_t value, int bytes) {
        std::string out;
        while (bytes-- > 0)
            out += static_cast<char>(value >> (8 * bytes));
        return out;
    };
    std::string map = big(0, 2) + big(1, 2) + big(3, 2) + big(10, 2) + big(12, 4) +   // one (3, 10) map
                      big(13, 2) + big(0, 2) + big(28, 4) + big(0, 4) + big(1, 4) + big(first, 4) + big(last, 4) +
                      big(glyph, 4);
    size_t entry = tableEntry(font, "cmap");
    size_t offset = 0;
    for (size_t i = 8; i < 12; ++i)
        offset = offset << 8 | static_cast<unsigned char>(font.at(entry + i));
    font.replace(offset, map.size(), map);
    font.replace(entry + 12, 4, big(static_cast<uint32_t>(map.size()), 4));
    return font;
}

// A context over a reference host, with an in-memory container.
class FontTest : public ::testing::Test {
protected:
    host::ReferenceHost host{libraryDirectory()};
    FakeContainer container;
    ContextPtr context;

    void SetUp() override {
        descriptors_ = openDescriptors();
        context = ContextPtr(createContext(host.services()));
    }
    void TearDown() override {
        freeContext();
        EXPECT_EQ(openDescriptors(), descriptors_) << "an open font kept its file descriptor";
        EXPECT_EQ(host.memory().blocksOutstanding(), 0) << "host memory blocks left outstanding";
        EXPECT_EQ(host.files().live(), 0) << "IO objects left unreleased";
    }

    void freeContext() {
        if (context && context->containerHandle == &container)
            context->containerHandle = nullptr;   // the fake is not closed through the table
        context.reset();
    }
    FontCache &fonts() { return *context->fonts; }
    static size_t openDescriptors() {
        std::error_code error;
        auto entries = std::filesystem::directory_iterator("/proc/self/fd", error);
        return static_cast<size_t>(std::distance(entries, std::filesystem::directory_iterator()));
    }
    size_t descriptors_ = 0;
    void package(std::initializer_list<FakeEntry> entries) {
        container.entries = entries;
        container.install(context.get());
    }
    // The FontError text of a request, "" when it succeeds.
    template <class Request> static std::string errorOf(Request request) {
        try {
            request();
            return "";
        } catch (const FontError &e) {
            return e.what();
        }
    }
    std::string failure(const std::string &uri) { return errorOf([&] { fonts().unitsPerEm(uri); }); }
    std::string glyphFailure(const std::string &uri, const std::string &ch) {
        return errorOf([&] { fonts().glyphMetrics(uri, {ch.data(), ch.size()}); });
    }
};

} // namespace fixrd::test
