// The append-only error log zvrerror.log in the game's state folder.
#pragma once

#include <string>

namespace kv {

// Appends "(" date " " time "): " message CR LF. Never reports a failure.
void LogError(const std::string& message);
void LogErrorIn(const std::string& dir, const std::string& message);

} // namespace kv
