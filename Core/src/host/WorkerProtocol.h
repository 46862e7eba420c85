// What a program and its fixrd-worker say to each other over a pair of
// pipes: one request per document, one reply per request.  Both ends are
// built together and run on one machine, so numbers go as it holds them.
#pragma once

#include "Extractor.h"

#include <cstdint>
#include <string>

namespace fixrd {

struct WorkRequest {
    std::string path;
    int64_t memoryBudget = 0;   // 0 keeps the host's default
};

// False when the other end is gone or sent something broken.
bool sendRequest(int fd, const WorkRequest &request);
bool receiveRequest(int fd, WorkRequest &request);
bool sendReply(int fd, const Extraction &extraction);
bool receiveReply(int fd, Extraction &extraction);

} // namespace fixrd
