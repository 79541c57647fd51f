#include "expr/text.h"

namespace rivo::expr {

std::string CopyText(std::string_view text, std::int64_t position, std::int64_t length) {
    const auto size = static_cast<std::int64_t>(text.size());
    if (length <= 0 || position > size) return {};
    if (position < 1) {
        // Bytes before position 1 do not exist; they still count against the length.
        length += position - 1;
        position = 1;
        if (length <= 0) return {};
    }
    const std::int64_t available = size - position + 1;
    const std::int64_t count = length < available ? length : available;
    return std::string(
        text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(count)));
}

char CharAt(std::string_view text, std::int64_t position) {
    if (position < 1 || position > static_cast<std::int64_t>(text.size())) return '\0';
    return text[static_cast<std::size_t>(position - 1)];
}

std::string WithFullStop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
    return message;
}

}  // namespace rivo::expr
