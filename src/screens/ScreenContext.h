// What every screen's handlers are given: the match state, the services, the
// flow between the windows and the helpers of the settings file, the masses
// and the pages. A screen that needs another screen is given that one alone,
// when it is made; GameScreens puts them all together.
#pragma once

#include "persistence/Settings.h"
#include "screens/Flow.h"
#include "state/MatchState.h"
#include "state/Ports.h"
#include "state/Rng.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kv {
class FileReplay;
}

namespace kv::screens {
class NetPort;
}

namespace kv::screens {

struct Services {
    DialogPort& dialogs;
    WebPort& web;
    PromptPort& prompt;
    Rng& rng;
    std::string stateDir; // the user's files, ending in '/'; empty: nothing is kept
    std::string dataDir;  // the game's data, ending in '/'
    std::string appTitle;
    VideoPort* video = nullptr;   // none: one screen, both renderers
    FileReplay* replay = nullptr; // what the load browser plays back
    // The mounted volumes the load browser offers beside the state and home folders.
    std::function<std::vector<std::string>()> volumes;
    NetPort* net = nullptr; // none: no network play
};

// A web page of the maker or the club that could not be opened.
std::string BrowserFailure(const std::string& why);

class ScreenContext {
public:
    Module1& m;
    Services s;
    ScreenFlow& flow;
    // What the settings file keeps of the controls; the quick game and options
    // screens work on it directly.
    SettingsRecord settings;
    // The names file is there: the name buttons work.
    bool namesAvailable = true;
    // The screens the front end has; a menu entry for another one is disabled.
    std::set<ScreenId> available;
    bool Available(ScreenId id) const { return available.count(id) != 0; }

    // The settings file, exchanged with the screens' controls; the assembly
    // shows what was loaded in the screens that show the state.
    virtual void LoadSettings();
    // From another file; with mustExist a missing file is an error (shown) and
    // any fallback to the defaults gives false.
    virtual bool LoadSettingsFrom(const std::string& path, bool mustExist);
    void SaveSettings();
    // The team game and the load browser put other masses into the pieces for
    // a while: the user's own are kept aside once, put back on leaving, and
    // are what the settings file gets in between.
    void LendMasses();
    void RestoreMasses();
    bool MassesLent() const { return massesLent_; }
    // The program's one way out: the settings are saved, the view ends.
    void QuitProgram();
    // No sound device: said once, and the game goes on without sound.
    void SoundDeviceFailed(const std::string& why);
    bool SoundDeviceMissing() const { return soundMissing_; }
    // Opens a page under the data folder's help/, with the message of `missing`.
    void OpenHelpPage(const std::string& file, const std::string& missing);
    // The maker's, the updates' and the club's page: the address the settings
    // name, or the game's own page.
    enum class Page { Maker, Updates, Club };
    void OpenWebPage(Page page);

protected:
    // The flow is a member of the assembly, made after this part.
    ScreenContext(Module1& mod, const Services& services, ScreenFlow& f)
        : m(mod), s(services), flow(f) {}
    virtual ~ScreenContext() = default;

private:
    std::string SettingsPath() const;

    Masses userMasses_{};
    bool massesLent_ = false;
    bool soundMissing_ = false;
};

} // namespace kv::screens
