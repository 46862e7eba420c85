// Markup compatibility on pages: which elements of a page the page handlers
// see.  Writers mark extensions as ignorable (mc:Ignorable, mc:ProcessContent)
// and offer alternatives (mc:AlternateContent with mc:Choice Requires="..."
// and mc:Fallback); a reader that rejected them would lose every page that
// uses them.  Only the two markup namespaces are understood.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace fixrd {

constexpr char kMarkupCompatibilityNamespace[] = "http://schemas.openxmlformats.org/markup-compatibility/2006";

class MarkupCompatibility {
public:
    enum class Verdict { Read, Skip };

    // A new page: no namespace bound, nothing open.
    void reset();

    // Namespace declarations, as Expat reports them (a null prefix is the
    // default namespace, a null URI undeclares it).
    void bind(const char *prefix, const char *uri);
    void unbind(const char *prefix);

    // Whether the page handlers see this element.  Throws XPSConformanceError
    // for what the rules call a violation.  Every start has its end.
    Verdict start(const char *name, const char **attributes);
    Verdict end(const char *name);

private:
    enum class Kind { Read, Unwrapped, Alternate };
    struct Frame {
        Kind kind = Kind::Read;
        size_t ignorableMark = 0;
        size_t processMark = 0;
        bool choiceSeen = false;
        bool fallbackSeen = false;
        bool chosen = false;
    };

    const std::string *uriOf(const std::string &prefix) const;
    void readAttributes(const char **attributes);
    bool understood(const std::string &prefixes) const;
    bool ignorable(const std::string &uri) const;
    bool contentIsRead(const std::string &uri, const std::string &local) const;
    Verdict markupElement(const std::string &local, const char **attributes, Frame &frame);
    Verdict skipWhole(const Frame &frame);

    std::unordered_map<std::string, std::vector<std::string>> bindings_;
    bool active_ = false;      // the markup-compatibility namespace was bound on this page
    size_t skipDepth_ = 0;     // inside an element skipped with all its content
    std::vector<Frame> frames_;
    std::vector<std::string> ignorable_;
    std::vector<std::pair<std::string, std::string>> processContent_;
};

} // namespace fixrd
