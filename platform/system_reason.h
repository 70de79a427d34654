// The system's reason for a failed call, in English whatever the locale, so
// that a line that carries it reads the same in every stored file (the
// conversion log, a report) and on every machine.
#pragma once

#include <string>
#include <system_error>

// The text of error number `errorNumber` ("Permission denied").
std::string SystemReason(int errorNumber);
// The same for an error code of the system or generic category; another
// category's own message.
std::string SystemReason(const std::error_code& error);
