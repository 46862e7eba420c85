// The --jsonl report: one JSON object per document, on one line, e.g.
// {"path":"a.xps","status":0,"message":"","bytes":1520,"seconds":0.0123,"output":"out/a.txt"}
// Names that are not valid UTF-8 show U+FFFD for the bytes that are not.
#pragma once

#include "Document.h"
#include "InputList.h"

#include <string>

namespace xpstext {

// The line for one document, ending in a newline.
std::string jsonLine(const InputItem &item, const Outcome &outcome);

} // namespace xpstext
