#include "persistence/ErrorLog.h"

#include "persistence/Text.h"
#include "persistence/Files.h"
#include "persistence/Folders.h"

#include <cstdio>

namespace kv {

namespace {
std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}
} // namespace

void SetErrorLogSink(std::function<void(const std::string&)> sink) {
    Sink() = std::move(sink);
}

void LogError(const std::string& message) {
    if (Sink()) {
        Sink()(message);
        return;
    }
    LogErrorIn(StateDir(), message);
}

void LogErrorIn(const std::string& dir, const std::string& message) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "zvrerror.log";
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return;
    const std::string entry =
        Utf8ToCp1251("(" + DateText() + " " + TimeText() + "): " + message + NL);
    std::fwrite(entry.data(), 1, entry.size(), f);
    std::fclose(f);
}

} // namespace kv
