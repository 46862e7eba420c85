#include "LibraryLoader.h"
#include "ReferenceHost.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fixrd::host {
namespace {

std::string convert(ReferenceHost &host, uint32_t from, uint32_t to, const std::string &input) {
    host.services()->targetCharset = to;
    ConvertedText in{const_cast<char *>(input.data()), static_cast<uint32_t>(input.size())};
    ConvertedText out{nullptr, 0};
    if (host.services()->convertText(host.services(), from, &in, &out, '?') == 0)
        return "<refused>";
    std::string buffer(out.length, '\0');
    out.data = buffer.data();
    host.services()->convertText(host.services(), from, &in, &out, '?');
    buffer.resize(out.length);
    return buffer;
}

TEST(ReferenceHost, ConvertsToFourByteCodePointsAndBetweenCharsets) {
    ReferenceHost host;
    using namespace std::string_literals;
    EXPECT_EQ(convert(host, 53, 100, "A\xC3\xA9"), "\0\0\0A\0\0\0\xE9"s);
    EXPECT_EQ(convert(host, 53, 100, "\xF0\x9F\x98\x80"), "\0\x01\xF6\x00"s);
    EXPECT_EQ(convert(host, 53, 100, "\xC3"), "\0\0\0?"s);          // cut off
    EXPECT_EQ(convert(host, 53, 100, "\xED\xA0\x80"), "\0\0\0?\0\0\0?\0\0\0?"s);   // a surrogate
    EXPECT_EQ(convert(host, 53, 100, "\xC0\xAF"), "\0\0\0?\0\0\0?"s);   // overlong
    EXPECT_EQ(convert(host, 7, 53, "caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(convert(host, 53, 14, "\xE2\x82\xAC!"), "?!");
    EXPECT_EQ(convert(host, 999, 53, "x"), "<refused>");
}

// A companion is asked for by its Windows name, found in the host's folder or
// at a path as given; one that cannot be loaded says which file and why.
TEST(ReferenceHost, LibrariesByTheirWindowsNameOrPathAndWhyOneIsNotLoaded) {
    ReferenceHost host(FIXRD_LIB_DIR);
    LibraryLoader &libraries = host.libraries();
    void *byName = libraries.load("pkgrd.dll");
    ASSERT_NE(byName, nullptr) << libraries.lastError();
    EXPECT_EQ(libraries.load(FIXRD_LIB_DIR "/libpkgrd.so"), byName);
    EXPECT_NE(libraries.entryPoint(byName, "pkgrdGetContainerReaderInterface"), nullptr);
    libraries.unload(byName);
    libraries.unload(byName);
    EXPECT_EQ(libraries.load("absent.dll"), nullptr);
    EXPECT_NE(libraries.lastError().find(FIXRD_LIB_DIR "/libabsent.so: cannot open shared object file"), std::string::npos)
        << libraries.lastError();
}

std::string folderOfThisProgram() { return directoryOfObject(reinterpret_cast<const void *>(&folderOfThisProgram)); }

// A program with the host built in lives apart from the libraries: the module
// is looked for beside it, then where its install puts the libraries, then in
// a build's lib/; with none holding it, the failure names the program's folder.
TEST(ReferenceHost, ModuleFolderOfAProgramWithTheHostBuiltIn) {
    char self[4096];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    std::string program(self, static_cast<size_t>(length));
    EXPECT_EQ(folderOfThisProgram(), program.substr(0, program.rfind('/')));

    char pattern[] = "/tmp/fixrd-folders-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string root = pattern, bin = root + "/bin";
    struct Removal {
        std::string root;
        ~Removal() { std::filesystem::remove_all(root); }
    } removal{root};
    for (const char *folder : {"/bin", "/lib", "/lib/arch", "/elsewhere"})
        ASSERT_EQ(::mkdir((root + folder).c_str(), 0700), 0);
    auto place = [&](const std::string &folder) { std::fclose(std::fopen((folder + "/libFIXRD.so").c_str(), "w")); };
    EXPECT_EQ(moduleDirectory(bin, "../lib/arch"), bin);
    place(root + "/lib");
    EXPECT_EQ(moduleDirectory(bin, "../lib/arch"), bin + "/../lib");
    place(root + "/lib/arch");
    EXPECT_EQ(moduleDirectory(bin, "../lib/arch"), bin + "/../lib/arch");
    EXPECT_EQ(moduleDirectory(bin, root + "/elsewhere"), bin + "/../lib");
    place(root + "/elsewhere");
    EXPECT_EQ(moduleDirectory(bin, root + "/elsewhere"), root + "/elsewhere");
    place(bin);
    EXPECT_EQ(moduleDirectory(bin, "../lib/arch"), bin);
}

TEST(ReferenceHost, MemoryAccountingRefusalsAndTheLimitsOfMemoryAndDisk) {
    ReferenceHost host;
    HostMemory *memory = &host.services()->memory;
    void *a = memory->alloc(memory, 100);
    void *b = memory->realloc(memory, nullptr, 50);
    EXPECT_EQ(host.memory().blocksOutstanding(), 2);
    EXPECT_EQ(host.memory().bytesOutstanding(), 150);
    b = memory->realloc(memory, b, 500);
    EXPECT_EQ(host.memory().bytesOutstanding(), 600);
    EXPECT_EQ(memory->alloc(memory, INT32_MIN), nullptr);   // an overflowed size
    host.memory().refuseRequest(2);
    a = memory->realloc(memory, a, 10);   // the first request from now passes
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(memory->alloc(memory, 1), nullptr);
    host.memory().refuseRequest(0);
    memory->free(memory, memory->realloc(memory, a, 10));
    memory->free(memory, b);
    EXPECT_EQ(host.memory().blocksOutstanding(), 0);
    EXPECT_EQ(host.memory().bytesOutstanding(), 0);
    // Small blocks share one room and are reused: a block keeps its bytes
    // growing out of it and shrinking back.
    auto *bytes = static_cast<char *>(memory->alloc(memory, 40));
    std::memcpy(bytes, "0123456789", 10);
    for (int32_t size : {48, 4000, 4080, 65520, 70000, 100, 8, 0}) {
        bytes = static_cast<char *>(memory->realloc(memory, bytes, size));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::string(bytes, std::min(size, 8)), std::string("01234567", std::min(size, 8))) << size;
        EXPECT_EQ(host.memory().bytesOutstanding(), size);
    }
    memory->free(memory, bytes);
    EXPECT_EQ(host.memory().blocksOutstanding(), 0);
    // Blocks of every size, past many slabs' worth, each keeps its own bytes.
    std::vector<char *> blocks;
    for (int i = 0; i < 1000; ++i) {
        blocks.push_back(static_cast<char *>(memory->alloc(memory, (i * 977) % 70000)));
        std::memset(blocks.back(), i % 251, (i * 977) % 70000);
    }
    for (int i = 0; i < 1000; i += 2)
        memory->free(memory, blocks[i]);
    for (int i = 1; i < 1000; i += 2)
        EXPECT_EQ(std::count(blocks[i], blocks[i] + (i * 977) % 70000, char(i % 251)), (i * 977) % 70000) << i;
    for (int i = 1; i < 1000; i += 2)
        memory->free(memory, blocks[i]);
    EXPECT_EQ(host.memory().bytesOutstanding(), 0);

    // One document cannot take more than the limits of memory and disk.
    host.memory().setLimits(1000, 1500);
    EXPECT_EQ(memory->alloc(memory, 1001), nullptr);   // one block too large
    a = memory->alloc(memory, 1000);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(memory->alloc(memory, 501), nullptr);    // over the budget
    b = memory->alloc(memory, 500);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(memory->realloc(memory, b, 501), nullptr);
    b = memory->realloc(memory, b, 10);   // shrinking always fits
    a = memory->realloc(memory, a, 990);
    ASSERT_NE(a, nullptr);
    memory->free(memory, a);
    memory->free(memory, b);
    EXPECT_EQ(host.memory().bytesOutstanding(), 0);

    host.files().setTemporaryBudget(10);
    IOObj *io = host.services()->openIO(host.services(), nullptr, "w");
    ASSERT_NE(io->open(io), 0);
    ASSERT_NE(io->write(io, "123456", 6), 0);
    ASSERT_NE(io->seek(io, 0, 0), 0);
    EXPECT_NE(io->write(io, "abcdef", 6), 0) << "rewriting bytes that are there grows nothing";
    IOObj *copy = host.services()->deriveIO(host.services(), io);
    ASSERT_NE(copy->open(copy), 0);
    ASSERT_NE(copy->seek(copy, 0, 2), 0);
    EXPECT_EQ(copy->write(copy, "12345", 5), 0) << "growing past the budget, also through a derived object";
    EXPECT_NE(copy->write(copy, "1234", 4), 0);
    EXPECT_EQ(host.files().temporaryBytes(), 10);
    copy->release(copy);
    io->release(io);
    EXPECT_EQ(host.files().temporaryBytes(), 0);
    EXPECT_EQ(host.files().peakTemporaryBytes(), 10);
}

TEST(ReferenceHost, TemporaryFilesArePrivateAndGoneWhenReleased) {
    std::string directory, path;
    {
        ReferenceHost host;
        IOObj *io = host.services()->openIO(host.services(), nullptr, "a+");
        ASSERT_NE(io, nullptr);
        path = io->fileName;
        directory = host.files().temporaryDirectory();
        struct stat info {};
        ASSERT_EQ(stat(directory.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ASSERT_NE(io->open(io), 0);
        ASSERT_NE(io->write(io, "abc", 3), 0);
        ASSERT_NE(io->seek(io, 1, 0), 0);
        char c[2] = {};
        EXPECT_EQ(io->read(io, c, 2), 2);
        EXPECT_EQ(std::string(c, 2), "bc");
        EXPECT_EQ(io->tell(io), 3);
        EXPECT_EQ(io->seek(io, -4, 2), 0) << "before the start";
        EXPECT_EQ(io->tell(io), 3);
        ASSERT_NE(io->seek(io, 1, 0), 0);
        ASSERT_NE(io->seek(io, -1, 2), 0);
        EXPECT_EQ(io->read(io, c, 2), 1);
        ASSERT_NE(io->seek(io, 2, 1), 0);
        EXPECT_EQ(io->read(io, c, 2), 0) << "past the end";
        ASSERT_NE(io->seek(io, 0, 0), 0);
        ASSERT_NE(io->write(io, "d", 1), 0);
        EXPECT_EQ(io->tell(io), 4) << "appended, wherever it stood";
        ASSERT_NE(io->close(io), 0);
        EXPECT_EQ(io->read(io, c, 1), -1) << "closed objects read nothing";
        ASSERT_NE(io->open(io), 0);
        EXPECT_EQ(io->read(io, c, 2), 2) << "opened again at the start";
        EXPECT_EQ(std::string(c, 2), "ab");
        ASSERT_NE(io->close(io), 0);

        IOObj *copy = host.services()->deriveIO(host.services(), io);
        ASSERT_NE(copy, nullptr);
        EXPECT_STREQ(copy->fileName, path.c_str());
        copy->release(copy);
        EXPECT_EQ(access(path.c_str(), F_OK), 0) << "a derived object does not own the file";
        io->release(io);
        EXPECT_NE(access(path.c_str(), F_OK), 0);
        EXPECT_EQ(host.files().live(), 0);

        // Past the memory files one host may hold, a temporary file is a named
        // one in the private directory, booked and given back the same way.
        std::vector<IOObj *> held;
        for (int i = 0; i < 256; ++i)
            held.push_back(host.services()->openIO(host.services(), nullptr, "w"));
        EXPECT_EQ(std::count_if(held.begin(), held.end(), [](IOObj *io) {
                      return io != nullptr && std::strncmp(io->fileName, "/proc/", 6) == 0;
                  }), 256);
        IOObj *named = host.services()->openIO(host.services(), nullptr, "w");
        ASSERT_NE(named, nullptr);
        path = named->fileName;
        EXPECT_EQ(path.rfind(directory + "/", 0), 0u) << path;
        ASSERT_NE(named->open(named), 0);
        ASSERT_NE(named->write(named, "12345", 5), 0);
        ASSERT_NE(named->seek(named, 0, 0), 0);
        EXPECT_EQ(named->read(named, c, 2), 2) << "opened for writing, read all the same";
        EXPECT_EQ(host.files().temporaryBytes(), 5);
        for (IOObj *object : held)
            if (object != nullptr)
                object->release(object);
        named->release(named);
        EXPECT_NE(access(path.c_str(), F_OK), 0);
        EXPECT_EQ(host.files().temporaryBytes(), 0);
        EXPECT_EQ(host.files().temporaryFiles(), 0);
    }
    EXPECT_NE(access(directory.c_str(), F_OK), 0) << "the private directory goes with the host";
}

// Small temporary files live in memory; one that grows past the limits moves
// to disk under the same name, and objects open on it move with it.
TEST(ReferenceHost, TemporaryFilesMoveToDiskWhenLargeKeepingTheirNameAndPositions) {
    ReferenceHost host;
    host.files().setMemoryLimits(10, 15);
    auto contentAt = [](const char *path) {
        std::string text(64, '\0');
        FILE *file = std::fopen(path, "rb");
        text.resize(file != nullptr ? std::fread(text.data(), 1, text.size(), file) : 0);
        if (file != nullptr)
            std::fclose(file);
        return text;
    };
    IOObj *io = host.services()->openIO(host.services(), nullptr, "a+");
    ASSERT_NE(io, nullptr);
    const std::string path = io->fileName;
    ASSERT_NE(io->open(io), 0);
    ASSERT_NE(io->write(io, "12345678", 8), 0);
    EXPECT_EQ(host.files().memoryBytes(), 8);
    IOObj *reader = host.services()->deriveIO(host.services(), io);
    ASSERT_NE(reader->open(reader), 0);
    char two[2];
    ASSERT_EQ(reader->read(reader, two, 2), 2);

    ASSERT_NE(io->write(io, "9abc", 4), 0);   // past 10 bytes: to disk
    EXPECT_EQ(host.files().memoryBytes(), 0);
    char target[256] = {};
    EXPECT_GT(readlink(path.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target).rfind("/memfd:", 0), std::string::npos) << target;
    EXPECT_EQ(host.files().temporaryBytes(), 12);
    EXPECT_EQ(contentAt(path.c_str()), "123456789abc");
    ASSERT_NE(io->write(io, "d", 1), 0);
    char rest[16] = {};
    EXPECT_EQ(reader->read(reader, rest, sizeof rest), 11) << "the reader moved where it stood";
    EXPECT_EQ(std::string(rest, 11), "3456789abcd");
    EXPECT_EQ(std::string(io->fileName), path);

    // Two small files together past the total: the one that grows moves.
    IOObj *second = host.services()->openIO(host.services(), nullptr, "a+");
    IOObj *third = host.services()->openIO(host.services(), nullptr, "a+");
    ASSERT_NE(second->open(second), 0);
    ASSERT_NE(third->open(third), 0);
    ASSERT_NE(second->write(second, "abcdefgh", 8), 0);
    ASSERT_NE(third->write(third, "ABCDEFGH", 8), 0);
    EXPECT_EQ(host.files().memoryBytes(), 8);
    EXPECT_EQ(contentAt(third->fileName), "ABCDEFGH");

    io->release(io);
    EXPECT_EQ(contentAt(path.c_str()), "123456789abcd") << "a derived object keeps the file";
    for (IOObj *object : {reader, second, third})
        object->release(object);
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    EXPECT_EQ(host.files().temporaryFiles(), 0);
    EXPECT_EQ(host.files().temporaryBytes(), 0);
    EXPECT_EQ(host.files().memoryBytes(), 0);
    std::string directory = host.files().temporaryDirectory();
    EXPECT_EQ(std::system(("test -z \"$(ls -A " + directory + ")\"").c_str()), 0) << "no name left on disk";
}

} // namespace
} // namespace fixrd::host
