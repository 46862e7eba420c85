// The reader's own failures.  Each carries the whole message composed by the
// thrower; the reader recovers from them wherever it catches std::runtime_error.
#pragma once

#include <stdexcept>
#include <string>

// A number in an attribute could not be read.
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The markup breaks a rule of the format.
class XPSConformanceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A font could not be loaded, restored or asked for a glyph.
class FontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
