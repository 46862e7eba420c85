// Runs a program of the build as a user would, capturing what it printed.
#pragma once

#include <string>
#include <vector>

namespace fixrd::test {

struct CommandResult {
    int exitStatus = -1;   // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `arguments` (no shell), stdin from /dev/null or `input`.
CommandResult runCommand(const std::string &program, const std::vector<std::string> &arguments,
                         const std::string &input = {});

// The path of a program in the build's bin folder.
std::string builtProgram(const std::string &name);

} // namespace fixrd::test
