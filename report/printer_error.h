#pragma once

#include <stdexcept>
#include <string>

namespace kolvart {

// A failure of the printer, its dialog or the message box, raised at the
// failing step. what() is the message shown to the user (UTF-8, Dutch).
class PrinterError : public std::runtime_error {
public:
    explicit PrinterError(const std::string& message)
        : std::runtime_error(message) {}
};

} // namespace kolvart
