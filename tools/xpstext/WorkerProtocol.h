// What the command and an isolated worker process say to each other over a
// pair of pipes: one request per document, one reply per request.  Both ends
// are the same program on the same machine, so numbers go as it holds them.
#pragma once

#include "Document.h"

#include <cstdint>
#include <string>

namespace xpstext {

struct WorkRequest {
    std::string path;        // the file to read
    Rendering rendering;
    int64_t memoryBudget = 0;   // the host's budget for the document; 0 keeps its default
};

// False when the other end is gone or sent something broken.
bool sendRequest(int fd, const WorkRequest &request);
bool receiveRequest(int fd, WorkRequest &request);
bool sendReply(int fd, const Outcome &outcome);
bool receiveReply(int fd, Outcome &outcome);

} // namespace xpstext
