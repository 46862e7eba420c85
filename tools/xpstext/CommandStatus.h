// Statuses of failures that happen around the reader rather than in it.  They
// start at 200, clear of the reader's (0 to 15) and the container reader's
// (100 and up), so one number in a report always has one meaning.
#pragma once

#include <cstdint>

namespace xpstext {

enum CommandStatus : uint32_t {
    kFolderUnreadable = 200,   // a folder could not be listed
    kNoDocuments = 201,        // a folder named on the command line holds no .xps or .oxps file
    kNotAFile = 202,           // neither a regular file nor a folder (or an empty name)
    kOutputFailed = 203,       // the text could not be written where -o puts it
};

} // namespace xpstext
