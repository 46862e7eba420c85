// make install's tree: complete, relocatable, and enough for a program of
// its own to embed the reader through CMake or pkg-config.
#include "ToolSupport.h"

#include "support/Command.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fixrd::test {
namespace {

namespace fs = std::filesystem;

const std::string kSample = std::string(FIXRD_SOURCE_DIR) + "/samples/sample.xps";

// A command line through the shell, for pkg-config's output.
CommandResult shell(const std::string &line) { return runCommand("/bin/sh", {"-c", line}); }

TEST(Install, TreeIsCompleteMovableAndBuildsTheExample) {
    TempFolder tmp;
    CommandResult install = runCommand(FIXRD_CMAKE_COMMAND, {"--install", FIXRD_BUILD_ROOT, "--prefix", tmp / "staged"});
    ASSERT_EQ(install.exitStatus, 0) << install.err;
    // Moved after installing: nothing in the tree may name where it was put.
    fs::rename(tmp / "staged", tmp / "prefix");
    const std::string prefix = tmp / "prefix", libdir = prefix + "/" + FIXRD_INSTALL_LIBDIR;
    for (const std::string &file :
         {prefix + "/bin/xpstext", libdir + "/libFIXRD.so", libdir + "/libpkgrd.so", libdir + "/libmkparse.so",
          libdir + "/libfixrd-host.so", prefix + "/include/fixrd/Extractor.h",
          prefix + "/include/fixrd/frame/HostInterfaces.h", libdir + "/pkgconfig/fixrd.pc",
          libdir + "/cmake/fixrd/fixrdConfig.cmake", prefix + "/share/man/man1/xpstext.1"})
        EXPECT_TRUE(fs::is_regular_file(file)) << file;

    const std::string text = runCommand(builtProgram("xpstext"), {kSample}).out;
    ASSERT_NE(text, "");
    EXPECT_EQ(runCommand(prefix + "/bin/xpstext", {kSample}).out, text);

    const std::string example = std::string(FIXRD_SOURCE_DIR) + "/examples";
    CommandResult configure = runCommand(FIXRD_CMAKE_COMMAND,
                                         {"-S", example, "-B", tmp / "example", "-DCMAKE_PREFIX_PATH=" + prefix,
                                          "-DCMAKE_CXX_COMPILER=" FIXRD_CXX_COMPILER, "-DCMAKE_CXX_FLAGS=" FIXRD_EXAMPLE_FLAGS});
    ASSERT_EQ(configure.exitStatus, 0) << configure.out << configure.err;
    CommandResult build = runCommand(FIXRD_CMAKE_COMMAND, {"--build", tmp / "example"});
    ASSERT_EQ(build.exitStatus, 0) << build.out << build.err;
    EXPECT_EQ(runCommand(tmp / "example/extract-text", {kSample}).out, text);
    CommandResult missing = runCommand(tmp / "example/extract-text", {tmp / "none.xps"});
    EXPECT_EQ(std::to_string(missing.exitStatus) + " " + missing.err, "1 extract-text: " + tmp / "none.xps: cannot be opened: No such file or directory (status 12)\n");

    // The same program through pkg-config, and the C header from C.
    const std::string pkgConfig = "PKG_CONFIG_PATH='" + libdir + "/pkgconfig' pkg-config ";
    CommandResult compiled = shell(FIXRD_CXX_COMPILER " -std=c++17 " FIXRD_EXAMPLE_FLAGS " '" + example +
                                   "/extract-text.cpp' -o '" + tmp / "by-pkg-config" + "' $(" + pkgConfig +
                                   "--cflags --libs fixrd) -Wl,-rpath,'" + libdir + "'");
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.err;
    EXPECT_EQ(runCommand(tmp / "by-pkg-config", {kSample}).out, text);
    writeFile(tmp / "host.c", "#include \"frame/HostInterfaces.h\"\nint main(void) { return sizeof(IOObj) == 0; }\n");
    CommandResult c = shell(FIXRD_C_COMPILER " -std=c99 -fsyntax-only '" + tmp / "host.c" + "' $(" + pkgConfig +
                            "--cflags fixrd)");
    EXPECT_EQ(c.exitStatus, 0) << c.err;
}

} // namespace
} // namespace fixrd::test
