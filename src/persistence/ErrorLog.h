// The append-only error log zvrerror.log in the game's state folder.
#pragma once

#include <functional>
#include <string>

namespace kv {

// Appends "(" date " " time "): " message CR LF. Never reports a failure.
void LogError(const std::string& message);
void LogErrorIn(const std::string& dir, const std::string& message);

// Sends LogError's messages somewhere else (the fuzzers keep off the disk);
// an empty sink goes back to the file.
void SetErrorLogSink(std::function<void(const std::string&)> sink);

} // namespace kv
