// Errors of the support library.  They carry a numeric code and derive from
// std::exception only, so the reader's runtime-error handlers let them pass.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace vt::except {

class vantrel_error : public std::exception {
public:
    explicit vantrel_error(int32_t code);
    vantrel_error(const vantrel_error &) = default;
    vantrel_error &operator=(const vantrel_error &) = default;
    ~vantrel_error() override = default;

    const char *what() const noexcept override { return message_.c_str(); }
    int32_t code() const noexcept { return code_; }

private:
    std::string message_;
    int32_t code_;
};

// A missing callback or a failed open, seek, write or close of an IO object.
class general_error : public vantrel_error {
public:
    general_error() : vantrel_error(6) {}
};

// The host gave no temporary file.
class create_tempfile_error : public vantrel_error {
public:
    create_tempfile_error() : vantrel_error(15) {}
};

} // namespace vt::except
