// Shared pieces of the file-reader fuzzers: a scratch folder for the input
// file and the error log (questions are answered "yes" by kv::NullDialogs).
#pragma once

#include "state/NullPorts.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kv::fuzz {

inline const std::string& Scratch() {
    static const std::string dir = [] {
        // In memory where there is such a folder: the replay writer syncs every step.
        char shm[] = "/dev/shm/kvfuzzXXXXXX";
        char tmp[] = "/tmp/kvfuzzXXXXXX";
        const char* d = ::mkdtemp(shm);
        if (!d) d = ::mkdtemp(tmp);
        std::string s = d ? d : "/tmp";
        ::setenv("KVELMAR2_HOME", s.c_str(), 1);
        return s + "/";
    }();
    return dir;
}

// Writes the input to a file in the scratch folder; returns its path.
inline std::string InputFile(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = Scratch() + name;
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}

// The log would otherwise grow with every rejected input.
inline void DropLog() {
    ::unlink((Scratch() + "zvrerror.log").c_str());
}

} // namespace kv::fuzz
