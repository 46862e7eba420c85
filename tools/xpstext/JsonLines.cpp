#include "JsonLines.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace xpstext {

std::string jsonLine(const InputItem &item, const Outcome &outcome) {
    nlohmann::ordered_json line;
    line["path"] = item.path;
    line["status"] = outcome.status;
    line["message"] = outcome.message;
    line["bytes"] = outcome.bytes;
    // Microseconds are all a wall clock can tell apart.
    line["seconds"] = std::round(outcome.seconds * 1e6) / 1e6;
    if (outcome.written)
        line["output"] = item.output;
    else
        line["output"] = nullptr;
    if (outcome.skipped)
        line["skipped"] = true;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

} // namespace xpstext
