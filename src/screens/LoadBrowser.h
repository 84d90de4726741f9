// The load browser: saved games or replays from any folder, their
// description, deleting one, and starting the match or the playback from it.
#pragma once

#include "screens/ScreenContext.h"
#include "state/MatchState.h"

#include <string>
#include <vector>

namespace kv::screens {

enum class LoadMode : i16 { Replays = 1, Games = 2 };

// A place the folder list can start from.
struct LoadPlace {
    std::string label;
    std::string path; // ending in '/'
};

// The "Инфо" text of a saved game or replay; false (with the message for the
// user in *text) when the file cannot be read at all.
bool LoadFileInfo(const std::string& path, LoadMode mode, std::string* text);

// The places offered beside the state and home folders: the mounted volumes
// without the system's own mounts, and the root.
std::vector<std::string> OfferedVolumes(const std::vector<std::string>& mounted);

class LoadBrowser {
public:
    LoadMode mode = LoadMode::Games;
    std::string heading; // "Загрузка повтора" or "Загрузка сохраненной игры"
    std::string pattern; // "*.sav" or "*.zvr"
    std::vector<LoadPlace> places;
    int place = 0;
    std::string folder;               // the folder shown, ending in '/'
    std::vector<std::string> folders; // "..", then the subfolders, as on disk
    std::vector<std::string> files;   // matching files, as on disk
    int selected = -1;

    std::string Caption(const ScreenContext& g) const;
    bool DeleteEnabled() const { return selected >= 0; }

    // Entering from the main menu or the results screen.
    void Open(ScreenContext& g, LoadMode m);
    // The heading, the pattern and the state folder, as on opening.
    void UpdateInfo(ScreenContext& g);
    void SetPlace(int index);
    void EnterFolder(int index); // in `folders`
    void SetFolder(const std::string& path);
    void Select(int index) { selected = index >= 0 && index < int(files.size()) ? index : -1; }
    void Refresh();

    Next Load(ScreenContext& g);
    void Info(ScreenContext& g);
    void Delete(ScreenContext& g);
    Next Back(ScreenContext& g);
    Next Exit(ScreenContext& g);

private:
    std::string SelectedPath() const;
};

} // namespace kv::screens
