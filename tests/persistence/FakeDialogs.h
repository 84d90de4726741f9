// Test helpers: a fresh state folder, whole-file reading and writing, and the
// recording dialogs.
#pragma once

#include "persistence/Text.h"
#include "support/RecordingPorts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kv::test {

using FakeDialogs = RecordingDialogs;

// A fresh state folder for one test; KVELMAR2_HOME points at it.
struct TempHome {
    std::string dir_;
    std::error_code ec_;
    TempHome() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kvfilesXXXXXX").string();
        dir_ = ::mkdtemp(tmpl.data());
        ::setenv("KVELMAR2_HOME", dir_.c_str(), 1);
    }
    ~TempHome() { std::filesystem::remove_all(dir_, ec_); }
    std::string Dir() const { return dir_ + "/"; }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Files are Windows-1251 on disk and UTF-8 here.
inline std::string Text(const std::string& path) {
    return Cp1251ToUtf8(Slurp(path));
}
inline void Put(const std::string& path, const std::string& utf8) {
    std::ofstream(path, std::ios::binary) << Utf8ToCp1251(utf8);
}

} // namespace kv::test
