// Error texts from the C library's table, which does not follow the locale.
#include "platform/system_reason.h"

#include <string.h>

std::string SystemReason(int errorNumber) {
    const char* text = ::strerrordesc_np(errorNumber);
    return text != nullptr ? std::string(text) : "Unknown error " + std::to_string(errorNumber);
}

std::string SystemReason(const std::error_code& error) {
    if (error.category() == std::system_category() || error.category() == std::generic_category()) {
        return SystemReason(error.value());
    }
    return error.message();
}
