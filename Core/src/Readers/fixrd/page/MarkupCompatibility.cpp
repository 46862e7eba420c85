#include "page/MarkupCompatibility.h"

#include "support/except/ReaderErrors.h"
#include "xml/Namespaces.h"

#include <algorithm>
#include <cstring>

namespace fixrd {

namespace {

// (namespace URI, local name) of an expanded name; no URI without a separator.
std::pair<std::string, std::string> splitName(const char *name) {
    const char *separator = std::strrchr(name, kNamespaceSeparator);
    if (separator == nullptr)
        return {std::string(), name};
    return {std::string(name, separator), separator + 1};
}

bool isUnderstood(const std::string &uri) { return uri == kXpsNamespace || uri == kOpenXpsNamespace; }

std::vector<std::string> tokens(const std::string &text) {
    static const char kBlanks[] = " \t\n\v\f\r";   // what the C locale counts as space
    std::vector<std::string> out;
    for (size_t at = text.find_first_not_of(kBlanks); at != std::string::npos;) {
        size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
        out.emplace_back(text, at, end - at);
        at = text.find_first_not_of(kBlanks, end);
    }
    return out;
}

[[noreturn]] void violation(const std::string &what) {
    throw XPSConformanceError("Markup compatibility violation: " + what);
}

} // namespace

void MarkupCompatibility::reset() {
    bindings_.clear();
    active_ = false;
    skipDepth_ = 0;
    frames_.clear();
    ignorable_.clear();
    processContent_.clear();
}

void MarkupCompatibility::bind(const char *prefix, const char *uri) {
    bindings_[prefix != nullptr ? prefix : ""].push_back(uri != nullptr ? uri : "");
    if (uri != nullptr && std::strcmp(uri, kMarkupCompatibilityNamespace) == 0)
        active_ = true;
}

void MarkupCompatibility::unbind(const char *prefix) {
    auto found = bindings_.find(prefix != nullptr ? prefix : "");
    if (found != bindings_.end() && !found->second.empty())
        found->second.pop_back();
}

const std::string *MarkupCompatibility::uriOf(const std::string &prefix) const {
    auto found = bindings_.find(prefix);
    if (found == bindings_.end() || found->second.empty())
        return nullptr;
    return &found->second.back();
}

bool MarkupCompatibility::understood(const std::string &prefixes) const {
    for (const std::string &prefix : tokens(prefixes)) {
        const std::string *uri = uriOf(prefix);
        if (uri == nullptr || !isUnderstood(*uri))
            return false;
    }
    return true;
}

bool MarkupCompatibility::ignorable(const std::string &uri) const {
    for (const std::string &each : ignorable_) {
        if (each == uri)
            return true;
    }
    return false;
}

bool MarkupCompatibility::contentIsRead(const std::string &uri, const std::string &local) const {
    for (const auto &[each, name] : processContent_) {
        if (each == uri && (name == "*" || name == local))
            return true;
    }
    return false;
}

void MarkupCompatibility::readAttributes(const char **attributes) {
    for (const char **pair = attributes; pair[0] != nullptr; pair += 2) {
        auto [uri, local] = splitName(pair[0]);
        if (uri != kMarkupCompatibilityNamespace)
            continue;
        if (local == "Ignorable") {
            for (const std::string &prefix : tokens(pair[1])) {
                const std::string *bound = uriOf(prefix);
                if (bound == nullptr)
                    violation("Ignorable names the undeclared prefix " + prefix);
                if (!isUnderstood(*bound))
                    ignorable_.push_back(*bound);
            }
        } else if (local == "ProcessContent") {
            for (const std::string &qualified : tokens(pair[1])) {
                size_t colon = qualified.find(':');
                const std::string *bound = colon == std::string::npos ? nullptr : uriOf(qualified.substr(0, colon));
                if (bound == nullptr)
                    violation("ProcessContent names " + qualified + " without a declared prefix");
                processContent_.emplace_back(*bound, qualified.substr(colon + 1));
            }
        } else if (local == "MustUnderstand") {
            if (!understood(pair[1]))
                violation("a namespace that must be understood is not: " + std::string(pair[1]));
        }
    }
}

MarkupCompatibility::Verdict MarkupCompatibility::skipWhole(const Frame &frame) {
    ignorable_.resize(frame.ignorableMark);
    processContent_.resize(frame.processMark);
    skipDepth_ = 1;
    return Verdict::Skip;
}

MarkupCompatibility::Verdict MarkupCompatibility::markupElement(const std::string &local, const char **attributes,
                                                                Frame &frame) {
    Frame *parent = frames_.empty() ? nullptr : &frames_.back();
    bool inAlternate = parent != nullptr && parent->kind == Kind::Alternate;
    if (inAlternate && local != "Choice" && local != "Fallback")
        violation("AlternateContent holds " + local + " besides Choice and Fallback");
    if (local == "AlternateContent") {
        frame.kind = Kind::Alternate;
    } else if (local == "Choice" && inAlternate) {
        if (parent->fallbackSeen)
            violation("a Choice after the Fallback");
        parent->choiceSeen = true;
        const char *required = nullptr;
        for (const char **pair = attributes; pair[0] != nullptr; pair += 2) {
            if (std::strcmp(pair[0], "Requires") == 0)
                required = pair[1];
        }
        if (required == nullptr)
            violation("a Choice without Requires");
        if (parent->chosen || !understood(required))
            return skipWhole(frame);
        parent->chosen = true;
        frame.kind = Kind::Unwrapped;
    } else if (local == "Fallback" && inAlternate) {
        if (parent->fallbackSeen)
            violation("two Fallbacks in one AlternateContent");
        if (!parent->choiceSeen)
            violation("a Fallback before any Choice");
        parent->fallbackSeen = true;
        if (parent->chosen)
            return skipWhole(frame);
        parent->chosen = true;
        frame.kind = Kind::Unwrapped;
    } else {
        violation("unexpected element " + local);
    }
    frames_.push_back(frame);
    return Verdict::Skip;
}

MarkupCompatibility::Verdict MarkupCompatibility::start(const char *name, const char **attributes) {
    if (skipDepth_ > 0) {
        ++skipDepth_;
        return Verdict::Skip;
    }
    // Pages that never bind the namespace cost nothing here.
    if (!active_)
        return Verdict::Read;

    Frame frame;
    frame.ignorableMark = ignorable_.size();
    frame.processMark = processContent_.size();
    readAttributes(attributes);
    auto [uri, local] = splitName(name);
    if (uri == kMarkupCompatibilityNamespace)
        return markupElement(local, attributes, frame);
    if (!frames_.empty() && frames_.back().kind == Kind::Alternate)
        violation("AlternateContent holds " + local + " besides Choice and Fallback");
    if (!isUnderstood(uri) && ignorable(uri)) {
        if (!contentIsRead(uri, local))
            return skipWhole(frame);
        frame.kind = Kind::Unwrapped;
    }
    // Anything else reaches the page handlers, which reject a namespace they
    // do not know.
    frames_.push_back(frame);
    return frame.kind == Kind::Read ? Verdict::Read : Verdict::Skip;
}

MarkupCompatibility::Verdict MarkupCompatibility::end(const char *) {
    if (skipDepth_ > 0) {
        --skipDepth_;
        return Verdict::Skip;
    }
    // Elements opened before the namespace was bound have no frame.
    if (frames_.empty())
        return Verdict::Read;
    Frame frame = frames_.back();
    frames_.pop_back();
    ignorable_.resize(frame.ignorableMark);
    processContent_.resize(frame.processMark);
    if (frame.kind == Kind::Alternate && !frame.choiceSeen)
        violation("an AlternateContent without a Choice");
    return frame.kind == Kind::Read ? Verdict::Read : Verdict::Skip;
}

} // namespace fixrd
