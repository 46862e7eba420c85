// A libFuzzer target; FIXRD_FUZZ_TARGET names which of the shared entries
// it drives.  Any broken invariant aborts, so libFuzzer keeps the input.
#include "FuzzEntries.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fixrd::fuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string problem = fixrd::fuzz::run(fixrd::fuzz::Target::FIXRD_FUZZ_TARGET, data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "fixrd fuzz: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
