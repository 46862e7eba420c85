// A host fixture whose IO objects must balance, files with known content,
// and an IO record that forwards to a real one and records every call.
#pragma once

#include "support/TestHost.h"
#include "support/datastore/HostIO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fixrd::test {

class DataStoreTest : public HostTest {
protected:
    // A temporary host file holding text, closed, at position 0.
    vt::datastore::OwnedIO fileWith(const std::string &text) {
        vt::datastore::OwnedIO io(host.files().open(nullptr, "w"));
        EXPECT_NE(io, nullptr);
        EXPECT_NE(io->open(io.get()), 0);
        EXPECT_NE(io->write(io.get(), text.data(), static_cast<uint32_t>(text.size())), 0);
        EXPECT_NE(io->close(io.get()), 0);
        return io;
    }

    // The whole content of a host file, read without a store.
    static std::string contentOf(IOObj *io) {
        std::string text(20000, '\0');
        EXPECT_NE(io->open(io), 0);
        io->seek(io, 0, 0);
        text.resize(static_cast<size_t>(std::max(io->read(io, text.data(), 20000), 0)));
        io->close(io);
        return text;
    }
};

// Calls read "open", "read 4000", "write 10", "seek 0 2", "tell", "close",
// "release"; release is only recorded, the real record stays with the test.
class RecordingIO {
public:
    explicit RecordingIO(IOObj *real) : real_(real) {
        io.hostReserved0[0] = this;
        io.fileName = real->fileName;
        io.open = [](IOObj *self) { return of(self).note("open").real_->open(of(self).real_); };
        io.read = [](IOObj *self, void *buffer, uint32_t count) {
            return of(self).note("read " + std::to_string(count)).real_->read(of(self).real_, buffer, count);
        };
        io.write = [](IOObj *self, const void *buffer, uint32_t count) {
            return of(self).note("write " + std::to_string(count)).real_->write(of(self).real_, buffer, count);
        };
        io.seek = [](IOObj *self, int64_t offset, int origin) {
            RecordingIO &me = of(self).note("seek " + std::to_string(offset) + " " + std::to_string(origin));
            return me.failSeeks ? 0 : me.real_->seek(me.real_, offset, origin);
        };
        io.tell = [](IOObj *self) { return of(self).note("tell").real_->tell(of(self).real_); };
        io.close = [](IOObj *self) { return of(self).note("close").real_->close(of(self).real_); };
        io.release = [](IOObj *self) { of(self).note("release"); };
    }
    RecordingIO(const RecordingIO &) = delete;
    RecordingIO &operator=(const RecordingIO &) = delete;

    IOObj io{};
    std::vector<std::string> calls;
    bool failSeeks = false;

private:
    static RecordingIO &of(IOObj *self) { return *static_cast<RecordingIO *>(self->hostReserved0[0]); }
    RecordingIO &note(std::string call) { return calls.push_back(std::move(call)), *this; }

    IOObj *real_;
};

using Calls = std::vector<std::string>;

} // namespace fixrd::test
