// The game's front end: the windows around the match, the match window, and
// the Qt versions of the screens layer's ports. Every rule lives in the
// screens layer; this class shows and hides windows on the flow's orders.
#pragma once

#include "devices/sound/AlSoundBank.h"
#include "frontend/QtDialogs.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "screens/GameScreens.h"
#include "state/MatchState.h"
#include "state/Rng.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QScreen;
class QWidget;

namespace kv {

class MatchWindow;
class ScreenWindow;
class QtLink;
class QtBeacon;
class QtTableFinder;

// Network play on Qt Network. KVELMAR2_NET=loopback keeps tables, beacons and
// the list of tables on 127.0.0.1 (the tests); otherwise a table listens on
// every address and its beacon goes to the local network's broadcast.
class QtNet : public screens::NetPort {
public:
    QtNet();
    ~QtNet() override;
    net::Link& TableLink() override;
    long long NowMs() override { return clock_.elapsed(); }
    std::string ListenAddress() override;
    bool Advertise(std::function<net::Beacon()> what, std::string* why) override;
    void StopAdvertising() override;
    bool StartFinding(std::string* why) override;
    void StopFinding() override;
    std::vector<net::FoundTable> Tables() override;

private:
    bool loopback_ = false;
    QElapsedTimer clock_;
    std::unique_ptr<QtLink> link_;
    std::unique_ptr<QtBeacon> beacon_;
    std::unique_ptr<QtTableFinder> finder_;
};

// The system's browser for help and web pages.
class QtWeb : public screens::WebPort {
public:
    bool OpenFile(const std::string& path, std::string* why) override;
    bool OpenUrl(const std::string& url, std::string* why) override;
};

// The save-file dialog.
class QtPrompt : public screens::PromptPort {
public:
    std::string AskSavePath(const screens::SavePrompt& p) override;
    QWidget* parent = nullptr;
};

// The screens of this machine and the two OpenGL renderers.
class QtVideo : public screens::VideoPort {
public:
    explicit QtVideo(DialogPort& dialogs) : dialogs_(dialogs) {}
    bool FillVideoLists(const Module1& m, std::vector<std::string>& adapters,
                        std::vector<std::string>& renderers) override;
    PixelSize ScreenSize(int adapter) override;

private:
    DialogPort& dialogs_;
};

struct GameAppSetup {
    std::string dataDir;  // ending in '/'
    std::string stateDir; // ending in '/'
    std::string appTitle; // "Kvelmar II: Zantor Билд1408"
};

class GameApp : public QObject, public screens::ViewPort {
    Q_OBJECT
public:
    explicit GameApp(const GameAppSetup& setup);
    ~GameApp() override;

    // The program's start-up and its first window.
    void Start();

    screens::GameScreens& Screens() { return g_; }
    Module1& State() { return m_; }
    QtDialogs& Dialogs() { return dialogs_; }
    const GameAppSetup& Setup() const { return setup_; }

    // Carries out what a command of a window asked for, then brings every
    // shown window up to date with its model.
    void Apply(const screens::Next& n, screens::ScreenId from);
    void RefreshShown();
    // A window closed by the window manager.
    void Closed(screens::ScreenId id);

    QWidget* Window(screens::ScreenId id) const;
    bool Quitting() const { return quitting_; }
    MatchWindow* Match() const { return match_.get(); }
    // The desk behind every window; null when the picture is missing.
    const QPixmap& Backdrop() const { return desk_; }
    // The screen the game is on: the chosen adapter's, or the first.
    QScreen* GameScreen() const;

    // ViewPort
    void Show(screens::ScreenId screen, screens::ScreenId replaces) override;
    void ShowBeside(screens::ScreenId screen) override;
    void HideBeside(screens::ScreenId screen) override;
    void StartMatch(bool replay) override;
    void Quit() override;
    void Update() override;

private:
    void NetTick();

signals:
    // A screen has just been shown (the tests and the timing figures watch it).
    void Shown(int screen);

private:
    void LoadStyle();
    // A screen window in the place of the one it replaces, or over the whole screen.
    void Place(QWidget& w, QWidget* old);
    // A window of its own, in the middle of the screen and inside it.
    void Centre(QWidget& w);

    GameAppSetup setup_;
    Module1 m_;
    QtDialogs dialogs_;
    QtWeb web_;
    QtPrompt prompt_;
    QtVideo video_;
    QtNet net_;
    Rng rng_;
    AlSoundBank sound_;
    FileReplay replay_;
    FileSaves saves_;
    screens::GameScreens g_;
    std::map<screens::ScreenId, std::unique_ptr<ScreenWindow>> windows_;
    std::unique_ptr<MatchWindow> match_;
    QTimer netTimer_; // the table's clocks and events, whatever window is shown
    long chatSeen_ = 0;
    bool quitting_ = false;
    QPixmap desk_;
    QRect place_; // where the screen windows stand
};

} // namespace kv
