// The one error type of the expression pipeline. Its message is the exact text the user sees;
// only the error report adds the closing full stop.
#pragma once

#include <stdexcept>
#include <string>

namespace rivo::expr {

class PipelineError : public std::runtime_error {
  public:
    explicit PipelineError(const std::string& message) : std::runtime_error(message) {}
};

// Raised when an input would grow the tree or a text past what a run may use.
inline constexpr const char* kTooLargeMessage = "Expression is too large";

}  // namespace rivo::expr
