// The C API as a program in another language meets it: one library shared
// by threads, the text xpstext prints, chunks handed out and stopped, and
// the null returns it promises.
#include "fixrd.h"

#include "RecordStream.h"

#include "support/Packages.h"
#include "support/PageHarness.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace fixrd::test {
namespace {

struct LibraryClose {
    void operator()(fixrd_library *library) const { fixrd_library_close(library); }
};
struct ResultFree {
    void operator()(fixrd_result *result) const { fixrd_result_free(result); }
};
using Result = std::unique_ptr<fixrd_result, ResultFree>;

std::string textOf(const Result &result) { return result ? std::string(result->text, result->text_size) : "<null>"; }

// Sixty lines of 110 characters: several chunks of records.
std::string longDocument() {
    std::string body;
    for (int line = 0; line < 60; ++line)
        body += glyphs(10, 20.0 + 12 * line, std::string(110, static_cast<char>('a' + line % 26)));
    return PackageBuilder::document({markup::page(body)}).bytes();
}

TEST(CApi, ThreadsShareOneLibraryAndGetTheCommandsText) {
    char *error = nullptr;
    EXPECT_EQ(fixrd_library_open("/nonexistent", &error), nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("/nonexistent"), std::string::npos) << error;
    fixrd_free_message(error);

    std::unique_ptr<fixrd_library, LibraryClose> library(fixrd_library_open(libraryDirectory().c_str(), nullptr));
    ASSERT_NE(library, nullptr);
    const std::string sample = FIXRD_SOURCE_DIR "/samples/sample.xps", bytes = readFile(sample);
    Result whole(fixrd_extract_path(library.get(), sample.c_str(), 0));
    ASSERT_EQ(whole->status, 0u) << whole->message;
    EXPECT_EQ(std::string(whole->message), "");
    EXPECT_EQ(textOf(whole).substr(0, 30), "The Quiet Work of Fixed Pages\n");
    EXPECT_EQ(whole->text[whole->text_size - 1], '\n');
    std::string plain;
    ASSERT_TRUE(host::appendPlainText({reinterpret_cast<const char *>(whole->records), whole->records_size}, plain));
    EXPECT_EQ(plain + "\n", textOf(whole));

    std::vector<std::thread> threads;
    std::vector<std::string> seen(4);
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) {
                Result text(i % 2 ? fixrd_extract_bytes(library.get(), bytes.data(), bytes.size(), FIXRD_TEXT)
                                  : fixrd_extract_path(library.get(), sample.c_str(), FIXRD_TEXT));
                if (textOf(text) != textOf(whole) || text->records_size != 0)
                    seen[t] = "round " + std::to_string(i) + ": " + textOf(text);
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (const std::string &problem : seen)
        EXPECT_EQ(problem, "");

    Result records(fixrd_extract_bytes(library.get(), bytes.data(), bytes.size(), FIXRD_RECORDS));
    EXPECT_EQ(records->text_size, 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(records->records), records->records_size),
              std::string(reinterpret_cast<const char *>(whole->records), whole->records_size));
    Result broken(fixrd_extract_bytes(library.get(), "PK", 2, 0));
    EXPECT_EQ(broken->status, 12u);
    EXPECT_EQ(std::string(broken->message), fixrd_status_message(12));
    EXPECT_EQ(broken->text_size + broken->records_size, 0u);
    EXPECT_EQ(Result(fixrd_extract_bytes(library.get(), nullptr, 0, 0))->status, 12u);

    EXPECT_EQ(fixrd_extract_path(nullptr, sample.c_str(), 0), nullptr);
    EXPECT_EQ(fixrd_extract_path(library.get(), nullptr, 0), nullptr);
    EXPECT_EQ(fixrd_extract_bytes(library.get(), nullptr, 1, 0), nullptr);
    EXPECT_EQ(fixrd_stream_path(library.get(), sample.c_str(), nullptr, nullptr), nullptr);
    EXPECT_STREQ(fixrd_status_message(999), "failed with an unknown status");
    EXPECT_STREQ(fixrd_version(), "0.1.0");
}

struct Chunks {
    std::string text;
    int count = 0, stopAfter = 0;
    static int take(void *self, const fixrd_chunk *chunk) {
        auto &chunks = *static_cast<Chunks *>(self);
        chunks.text.append(chunk->text, chunk->text_size);
        return ++chunks.count == chunks.stopAfter;
    }
};

TEST(CApi, ChunksComeAsTheyAreMadeAndTheCallbackMayStopThem) {
    std::unique_ptr<fixrd_library, LibraryClose> library(fixrd_library_open(libraryDirectory().c_str(), nullptr));
    ASSERT_NE(library, nullptr);
    const std::string bytes = longDocument();
    Result whole(fixrd_extract_bytes(library.get(), bytes.data(), bytes.size(), FIXRD_TEXT));
    ASSERT_EQ(whole->status, 0u) << whole->message;

    Chunks all;
    Result streamed(fixrd_stream_bytes(library.get(), bytes.data(), bytes.size(), Chunks::take, &all));
    EXPECT_EQ(streamed->status, 0u);
    EXPECT_GT(all.count, 1);
    EXPECT_EQ(all.text + "\n", textOf(whole));
    EXPECT_EQ(streamed->text_size + streamed->records_size, 0u);

    // Stopped, and the pooled extractor serves the next document as well.
    for (int stopAfter : {1, 2}) {
        Chunks some;
        some.stopAfter = stopAfter;
        Result stopped(fixrd_stream_bytes(library.get(), bytes.data(), bytes.size(), Chunks::take, &some));
        EXPECT_EQ(stopped->status, 206u);
        EXPECT_STREQ(stopped->message, "stopped by the caller");
        EXPECT_EQ(some.count, stopAfter);
    }
    EXPECT_EQ(textOf(Result(fixrd_extract_bytes(library.get(), bytes.data(), bytes.size(), FIXRD_TEXT))), textOf(whole));

    // In worker processes: the same text, the records handed over at once, and a stop still stops.
    std::unique_ptr<fixrd_library, LibraryClose> isolated(fixrd_library_open(libraryDirectory().c_str(), nullptr));
    EXPECT_EQ(fixrd_library_isolate(isolated.get(), -1), -1);
    EXPECT_EQ(fixrd_library_isolate(nullptr, 0), -1);
    ASSERT_EQ(fixrd_library_isolate(isolated.get(), 30), 0);
    EXPECT_EQ(textOf(Result(fixrd_extract_bytes(isolated.get(), bytes.data(), bytes.size(), 0))), textOf(whole));
    Chunks once;
    once.stopAfter = 1;
    EXPECT_EQ(Result(fixrd_stream_bytes(isolated.get(), bytes.data(), bytes.size(), Chunks::take, &once))->status, 206u);
    EXPECT_EQ(once.text + "\n", textOf(whole));
}

} // namespace
} // namespace fixrd::test
