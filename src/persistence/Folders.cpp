#include "persistence/Folders.h"

#include "persistence/Text.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kv {

std::string StateDir() {
    std::string dir;
    const char* home = std::getenv("KVELMAR2_HOME");
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* user = std::getenv("HOME");
    if (home && *home)
        dir = home;
    else if (xdg && *xdg)
        dir = std::string(xdg) + "/kvelmar2";
    else if (user && *user)
        dir = std::string(user) + "/.local/share/kvelmar2";
    else
        dir = ".";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool StateDirWritable(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return false;
    std::string probe = dir;
    if (probe.back() != '/') probe += '/';
    probe += ".probe.XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string StateDirUnusableText(const std::string& dir) {
    return "Не удалось создать папку игры или записать в нее:" + std::string(NL) + dir + NL2 +
           "Игра продолжится, но настройки, команды, сохраненные игры, повторы и журнал "
           "ошибок не будут сохранены.";
}

std::string FindDataDir(const std::string& exeDir, const char* override) {
    namespace fs = std::filesystem;
    auto slashed = [](std::string d) {
        if (d.empty() || d.back() != '/') d += '/';
        return d;
    };
    if (override && *override) return slashed(override);
    std::error_code ec;
    const fs::path installed = (fs::path(exeDir) / "../share/kvelmar2").lexically_normal();
    if (fs::is_directory(installed, ec)) return slashed(installed.string());
    std::ifstream marker(fs::path(exeDir) / kSourceDataMarker);
    std::string source;
    if (marker && std::getline(marker, source) && !source.empty() && fs::is_directory(source, ec))
        return slashed(source);
    return slashed(installed.string());
}

std::string DataDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return FindDataDir(ec ? std::string(".") : exe.parent_path().string(),
                       std::getenv("KVELMAR2_DATA"));
}

bool HasGameData(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(dir + "mesh", ec) &&
           std::filesystem::is_regular_file(dir + "zvr.nam", ec);
}

std::string MissingDataText(const std::string& dir) {
    return "Не найдена папка с данными игры:" + std::string(NL) + dir + NL2 +
           "Переустановите игру или укажите папку с данными в переменной окружения "
           "KVELMAR2_DATA.";
}

} // namespace kv
