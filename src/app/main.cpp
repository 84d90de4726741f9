// kvelmar2: until the set-up screens exist, the game opens straight into a
// quick match built from the stored settings (or the defaults).
#include "app/HelpText.h"
#include "devices/display/QtDisplay.h"
#include "devices/sound/AlSoundBank.h"
#include "frontend/MatchWindow.h"
#include "frontend/QtDialogs.h"
#include "match/MatchSetup.h"
#include "persistence/ErrorLog.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "persistence/Settings.h"
#include "persistence/TextFile.h"
#include "physics/Physics.h"
#include "state/Module1.h"
#include "state/Rng.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kv;

const std::string kAppTitle = "Kvelmar II: Zantor Билд" + std::to_string(kBuild);

// Messages of the settings load come before any window can be shown: they are
// kept and shown once the application exists.
class DeferredDialogs : public DialogPort {
public:
    MsgAnswer Message(const std::string& text, MsgIcon icon, MsgButtons buttons,
                      const std::string& caption = {}) override {
        kept.push_back({text, icon, caption});
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    void SetBusy(bool) override {}
    struct Kept {
        std::string text;
        MsgIcon icon;
        std::string caption;
    };
    std::vector<Kept> kept;
};

// No results screen yet: leaving the match ends the program.
class EndingScreens : public ScreensPort {
public:
    void ShowResults(bool) override { QCoreApplication::quit(); }
    void ShowLoadBrowser() override { QCoreApplication::quit(); }
};

// A build that is run where it was built finds the data in the source tree.
std::string GameDataDir() {
    std::string dir = DataDir();
    const char* chosen = std::getenv("KVELMAR2_DATA");
    std::error_code ec;
    if ((chosen == nullptr || *chosen == 0) && !std::filesystem::is_directory(dir + "mesh", ec))
        dir = KV_SOURCE_DATADIR "/";
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    Module1 m;
    QuickGameModel quick;
    OptionsModel options;
    const std::string settingsPath = SettingsPath();
    DeferredDialogs early;
    SetMatchDefaults(m);
    LoadSettings(m, quick, options, settingsPath, early);
    FixDisplaySettings(m);
    // Mesa takes the software rasteriser only if told before its driver loads.
    ChooseRenderer(m);
    SetDefaultGLFormat();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvelmar2"));
    QApplication::setApplicationDisplayName(QString::fromStdString(kAppTitle));
    QtDialogs dialogs(kAppTitle);
    for (const auto& k : early.kept)
        dialogs.Message(k.text, k.icon, MsgButtons::Ok, k.caption);

    auto save = [&] { SaveSettings(m, quick, options, settingsPath, dialogs); };
    if (m.DeviceNum < 0 || m.DeviceNum >= QGuiApplication::screens().size()) m.DeviceNum = 0;

    m.HelpText = ComposeHelpText();
    AlSoundBank sound;
    // No sound card: one line in the log, and the game goes on silently.
    if (!sound.InitSound()) LogError(sound.Error());

    BuildShapes(m);
    m.LoadedGame = kFalse;
    m.ZI = kFalse;
    for (int p = 1; p <= kMaxPlayers; ++p)
        m.KH(p) = static_cast<i16>(p);
    if (StartGame(m, quick, options, dialogs) != StartResult::Started) QuitProgram(save);

    FileReplay replay(m, dialogs);
    FileSaves saves(m);
    EndingScreens screens;
    Rng rng(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));

    MatchWindowSetup setup;
    setup.m = &m;
    setup.rng = &rng;
    setup.sound = &sound;
    setup.replay = &replay;
    setup.saves = &saves;
    setup.screens = &screens;
    setup.dialogs = &dialogs;
    setup.dataDir = GameDataDir();
    setup.appTitle = kAppTitle;
    setup.logError = [](const std::string& s) { LogError(s); };

    MatchWindow window(setup);
    dialogs.SetParent(&window);
    QObject::connect(&window, &MatchWindow::Finished, &app, &QCoreApplication::quit);
    window.Start();
    app.exec();
    QuitProgram(save);
}
