#include "screens/LoadBrowser.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "persistence/Text.h"
#include "screens/ScreenContext.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace kv::screens {

namespace {

std::string WithSlash(std::string p) {
    if (p.empty() || p.back() != '/') p += '/';
    return p;
}

std::string ModifiedText(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    std::tm t{};
    localtime_r(&st.st_mtime, &t);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M:%S", &t);
    return buf;
}

} // namespace

bool LoadFileInfo(const std::string& path, LoadMode mode, std::string* text) {
    std::string bytes, err;
    if (!ReadFileBytes(path, bytes, &err)) {
        *text = FileExists(path) ? "Ошибка при открытии файла " + path + ". " + err
                                 : std::string("Указанный файл не существует!");
        return false;
    }
    TextLines f;
    f.SetBytes(bytes);
    // A damaged file shows whatever of these it still holds.
    const std::string ver = GetKey("general", "ver", f);
    const std::string gamers = GetKey("general", "MaxGamers", f);
    const std::string zi = GetKey("general", "ZI", f);
    std::string players = gamers;
    if (!gamers.empty()) {
        try {
            players = std::to_string(ToI16(RegionalNumber(gamers)));
        } catch (const LoadFailure&) {
        }
    }
    *text = std::string(mode == LoadMode::Replays ? "Повтор записан Kvelmarой:"
                                                  : "Игра записана Kvelmarой:") +
            NL2 + "Kvelmar II Билд " + ver + NL + ModifiedText(path) + NL2 +
            "Командная игра:" + (FlagOf(zi) != 0 ? "Да" : "Нет") + NL + "Игроков:" + players;
    return true;
}

std::string LoadBrowser::Caption(const ScreenContext& g) const {
    return g.s.appTitle + ": загрузка игры";
}

void LoadBrowser::Open(ScreenContext& g, LoadMode m) {
    // What the options screen changed so far is kept: "< Назад" reloads the file.
    g.SaveSettings();
    g.LendMasses();
    mode = m;
    UpdateInfo(g);
}

void LoadBrowser::UpdateInfo(ScreenContext& g) {
    if (mode == LoadMode::Replays) {
        pattern = "*.sav";
        heading = "Загрузка повтора";
    } else {
        pattern = "*.zvr";
        heading = "Загрузка сохраненной игры";
    }
    places.clear();
    if (!g.s.stateDir.empty()) places.push_back({"Папка игры", WithSlash(g.s.stateDir)});
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        places.push_back({"Домашняя папка", WithSlash(home)});
    for (const std::string& v :
         OfferedVolumes(g.s.volumes ? g.s.volumes() : std::vector<std::string>{}))
        places.push_back({v, WithSlash(v)});
    if (places.empty()) places.push_back({"/", "/"});
    place = 0;
    SetFolder(places.front().path);
    for (int i = 1; i <= kMaxPlayers; ++i)
        g.m.Gobla(i).Gray = kFalse;
}

std::vector<std::string> OfferedVolumes(const std::vector<std::string>& mounted) {
    std::vector<std::string> out;
    for (const std::string& v : mounted) {
        // The system's own mounts are no place for saved games.
        bool system = v.empty() || v == "/";
        for (const char* s : {"/proc", "/sys", "/dev", "/run", "/boot"})
            if (v.rfind(s, 0) == 0 && (v.size() == std::strlen(s) || v[std::strlen(s)] == '/'))
                system = true;
        if (!system) out.push_back(v);
    }
    out.push_back("/");
    return out;
}

void LoadBrowser::SetPlace(int index) {
    if (index < 0 || index >= static_cast<int>(places.size())) return;
    place = index;
    SetFolder(places[static_cast<std::size_t>(index)].path);
}

void LoadBrowser::EnterFolder(int index) {
    if (index < 0 || index >= static_cast<int>(folders.size())) return;
    const std::string& name = folders[static_cast<std::size_t>(index)];
    if (name == "..") {
        fs::path p = fs::path(folder).parent_path(); // drops the trailing '/'
        SetFolder(p.has_parent_path() ? p.parent_path().string() : std::string("/"));
    } else {
        SetFolder(folder + name);
    }
}

void LoadBrowser::SetFolder(const std::string& path) {
    folder = WithSlash(path);
    Refresh();
}

void LoadBrowser::Refresh() {
    folders.clear();
    files.clear();
    selected = -1;
    if (folder != "/") folders.push_back("..");
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    std::vector<std::string> dirs;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code e2;
        if (it->is_directory(e2))
            dirs.push_back(name);
        else if (EndsWithNoCase(name, pattern.substr(1))) // "*.sav": ".sav"
            files.push_back(name);
    }
    std::sort(dirs.begin(), dirs.end());
    std::sort(files.begin(), files.end());
    folders.insert(folders.end(), dirs.begin(), dirs.end());
}

std::string LoadBrowser::SelectedPath() const {
    return selected < 0 ? std::string() : folder + files[static_cast<std::size_t>(selected)];
}

Next LoadBrowser::Load(ScreenContext& g) {
    DialogPort& d = g.s.dialogs;
    if (selected < 0) {
        d.Message("Нет выбранных файлов!", MsgIcon::Information, MsgButtons::Ok);
        return Next::Stay();
    }
    const std::string path = SelectedPath();
    if (!FileExists(path)) {
        d.Message("Указанный файл не существует!", MsgIcon::Stop, MsgButtons::Ok);
        Refresh();
        return Next::Stay();
    }
    Module1& m = g.m;
    const bool replay = mode == LoadMode::Replays;
    if (replay) {
        if (g.s.replay == nullptr || !LoadReplayFile(m, path, d, *g.s.replay)) return Next::Stay();
    } else {
        LoadGame(m, path, d);
        if (m.MaxGamers == 0 || !CheckLoadedTable(m, d)) return Next::Stay();
    }
    if (m.ScreenW < 1 || m.ScreenH < 1 || m.Colors < 2) {
        d.Message("Некорректные параметры графики.", MsgIcon::Information, MsgButtons::Ok);
        if (replay) g.s.replay->CloseReplayRead();
        return Next::Stay();
    }
    m.LoadedGame = replay ? kFalse : kTrue;
    return replay ? Next::Replay(ScreenId::LoadBrowser) : Next::Match(ScreenId::LoadBrowser);
}

void LoadBrowser::Info(ScreenContext& g) {
    if (selected < 0) {
        g.s.dialogs.Message("Используйте эту кнопку для получения информации о сохраненной игре "
                            "или повторе (какой версией ZVR записано, имена игроков, размер "
                            "стола и др.)",
                            MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    std::string text;
    if (!LoadFileInfo(SelectedPath(), mode, &text)) {
        LogError(text);
        g.s.dialogs.Message(text, MsgIcon::Stop, MsgButtons::Ok);
        Refresh();
        return;
    }
    g.s.dialogs.Message(text, MsgIcon::Information, MsgButtons::Ok);
}

void LoadBrowser::Delete(ScreenContext& g) {
    DialogPort& d = g.s.dialogs;
    if (selected < 0) {
        d.Message("Сначала выберите файл!", MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    const std::string name = files[static_cast<std::size_t>(selected)];
    if (d.Message("Вы уверены, что хотите удалить файл" + std::string(NL2) + name + "?",
                  MsgIcon::Warning, MsgButtons::YesNo,
                  "Удаление сохраненной игры") != MsgAnswer::Yes)
        return;
    std::error_code ec;
    if (!fs::remove(folder + name, ec) || ec) {
        LogError("Ошибка при удалении файла " + folder + name + ". " +
                 (ec ? ErrorText(ec.value()) : std::string("Файл не найден")));
        d.Message("Ошибка при удалении файла!", MsgIcon::Stop, MsgButtons::Ok);
    }
    Refresh();
}

Next LoadBrowser::Back(ScreenContext& g) {
    g.LoadSettings();
    g.RestoreMasses();
    g.m.LoadedGame = kFalse;
    return Next::To(ScreenId::MainMenu);
}

Next LoadBrowser::Exit(ScreenContext&) {
    return Next::Quit(); // the settings get the user's own masses
}

} // namespace kv::screens
