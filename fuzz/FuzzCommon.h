// Shared pieces of the file-reader fuzzers: the input as a file's bytes, and
// no file system on the way (the error log goes nowhere; questions are
// answered "yes" by kv::NullDialogs).
#pragma once

#include "persistence/ErrorLog.h"
#include "state/NullPorts.h"

#include <cstdint>
#include <string_view>

namespace kv::fuzz {

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        SetErrorLogSink([](const std::string&) {});
        return true;
    }();
    (void)quiet;
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace kv::fuzz
