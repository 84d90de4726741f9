#include "frontend/GameApp.h"

#include "devices/display/QtDisplay.h"
#include "devices/net/QtBeacon.h"
#include "devices/net/QtLink.h"
#include "frontend/MatchWindow.h"
#include "frontend/ScreenWindows.h"
#include "persistence/ErrorLog.h"
#include "screens/ContentTexts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

namespace kv {

using screens::Next;
using screens::ScreenId;

namespace {

// Windows of their own that stay up while the screens change beside them.
bool Beside(ScreenId id) {
    return id == ScreenId::ErrorReport;
}

std::vector<std::string> MountedVolumes() {
    std::vector<std::string> out;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady()) out.push_back(v.rootPath().toStdString());
    return out;
}

} // namespace

bool QtWeb::OpenFile(const std::string& path, std::string* why) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) return true;
    if (why) *why = "не удалось открыть " + path + " в браузере.";
    return false;
}

bool QtWeb::OpenUrl(const std::string& url, std::string* why) {
    if (QDesktopServices::openUrl(QUrl(QString::fromStdString(url)))) return true;
    if (why) *why = "не удалось открыть " + url + " в браузере.";
    return false;
}

std::string QtPrompt::AskSavePath(const screens::SavePrompt& p) {
    // The results screen asks about an existing file itself, in its own words.
    return QFileDialog::getSaveFileName(
               parent, QString::fromStdString(p.title), QString::fromStdString(p.defaultPath),
               QString::fromStdString(p.filter), nullptr, QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

bool QtVideo::FillVideoLists(const Module1& m, std::vector<std::string>& adapters,
                             std::vector<std::string>& renderers) {
    // Mesa takes the software rasteriser only if told before its driver loads.
    ChooseRenderer(m);
    VideoLists lists;
    if (!kv::FillVideoLists(lists, m.DeviceNum, dialogs_,
                            [](const std::string& s) { LogError(s); }))
        return false;
    adapters = lists.adapters;
    renderers = lists.devices;
    return true;
}

PixelSize QtVideo::ScreenSize(int adapter) {
    const QScreen* s = AdapterScreen(adapter);
    if (s == nullptr) return {};
    const qreal dpr = s->devicePixelRatio();
    return {qRound(s->size().width() * dpr), qRound(s->size().height() * dpr)};
}

QtNet::QtNet() : loopback_(qEnvironmentVariable("KVELMAR2_NET") == QStringLiteral("loopback")) {
    clock_.start();
}

QtNet::~QtNet() = default;

net::Link& QtNet::TableLink() {
    // Made on first use: a game never at a table opens no socket.
    if (!link_) link_ = std::make_unique<QtLink>();
    return *link_;
}

std::string QtNet::ListenAddress() {
    return loopback_ ? "127.0.0.1" : "0.0.0.0";
}

bool QtNet::Advertise(std::function<net::Beacon()> what, std::string* why) {
    beacon_ = std::make_unique<QtBeacon>(std::move(what));
    const std::string target = loopback_ ? "127.0.0.1" : "255.255.255.255";
    if (beacon_->Start(target, net::kDefaultPort, why)) return true;
    beacon_.reset();
    return false;
}

void QtNet::StopAdvertising() {
    beacon_.reset();
}

bool QtNet::StartFinding(std::string* why) {
    finder_ = std::make_unique<QtTableFinder>();
    if (finder_->Start(loopback_ ? "127.0.0.1" : "0.0.0.0", net::kDefaultPort, why)) return true;
    finder_.reset();
    return false;
}

void QtNet::StopFinding() {
    finder_.reset();
}

std::vector<net::FoundTable> QtNet::Tables() {
    return finder_ ? finder_->Tables() : std::vector<net::FoundTable>{};
}

GameApp::GameApp(const GameAppSetup& setup)
    : setup_(setup), dialogs_(setup.appTitle), video_(dialogs_),
      rng_(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())),
      replay_(m_, dialogs_), saves_(m_, setup.stateDir),
      g_(m_,
         screens::Services{dialogs_, web_, prompt_, rng_, setup.stateDir, setup.dataDir,
                           setup.appTitle, &video_, &replay_, MountedVolumes, &net_},
         *this) {
    if (!sound_.InitSound()) g_.SoundDeviceFailed(sound_.Error());
    LoadStyle();
    windows_[ScreenId::MainMenu] = MakeMainMenuWindow(*this);
    windows_[ScreenId::QuickGame] = MakeQuickGameWindow(*this);
    windows_[ScreenId::Options] = MakeOptionsWindow(*this);
    windows_[ScreenId::Results] = MakeResultsWindow(*this);
    windows_[ScreenId::Teams] = MakeTeamsWindow(*this);
    windows_[ScreenId::NewTeam] = MakeNewTeamWindow(*this);
    windows_[ScreenId::LoadBrowser] = MakeLoadBrowserWindow(*this);
    windows_[ScreenId::ErrorReport] = MakeErrorReportWindow(*this);
    windows_[ScreenId::Preview] = MakePreviewWindow(*this);
    // The slide show, the chronicle, the about box and the emblem window.
    windows_[ScreenId::Splash] = MakeSplashWindow(*this);
    windows_[ScreenId::Chronicle] = MakeChronicleWindow(*this);
    windows_[ScreenId::ChronicleEvents] = MakeChronicleEventsWindow(*this);
    windows_[ScreenId::About] = MakeAboutWindow(*this);
    windows_[ScreenId::Emblem] = MakeEmblemWindow(*this);
    windows_[ScreenId::Net] = MakeNetWindow(*this);
    windows_[ScreenId::NetLobby] = MakeLobbyWindow(*this);
    for (auto& [id, w] : windows_)
        g_.available.insert(id);
    netTimer_.setInterval(20);
    connect(&netTimer_, &QTimer::timeout, this, [this] { NetTick(); });
    netTimer_.start();
}

void GameApp::NetTick() {
    if (quitting_) return;
    const ScreenId current = g_.flow.Current();
    if (current == ScreenId::Net) g_.net.Refresh(g_);
    // Away from any table the game only listens for a table to be opened: an
    // idle menu should not wake fifty times a second.
    const bool busy = current == ScreenId::Net || g_.lobby.AtTable();
    if (netTimer_.interval() != (busy ? 20 : 250)) netTimer_.setInterval(busy ? 20 : 250);
    const Next n = g_.lobby.Tick(g_, current);
    if (n.kind != Next::Kind::Stay) {
        Apply(n, current);
        return;
    }
    for (ScreenId id : {ScreenId::Net, ScreenId::NetLobby})
        if (QWidget* w = Window(id); w && w->isVisible()) static_cast<ScreenWindow*>(w)->Refresh();
    // The results stay as they are but for a new chat line.
    if (chatSeen_ != g_.lobby.chatSaid) {
        chatSeen_ = g_.lobby.chatSaid;
        if (QWidget* w = Window(ScreenId::Results); w && w->isVisible())
            static_cast<ScreenWindow*>(w)->Refresh();
    }
}

GameApp::~GameApp() = default;

void GameApp::Start() {
    // The slide show comes first; its end runs the menu's start-up.
    g_.flow.Show(ScreenId::Splash);
}

QWidget* GameApp::Window(ScreenId id) const {
    if (id == ScreenId::Match) return match_.get();
    const auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : it->second.get();
}

void GameApp::RefreshShown() {
    for (auto& [id, w] : windows_)
        if (w->isVisible()) w->Refresh();
}

void GameApp::Apply(const Next& n, ScreenId from) {
    g_.flow.Apply(n, from);
    if (!quitting_) RefreshShown();
}

QScreen* GameApp::GameScreen() const {
    const QList<QScreen*> all = QGuiApplication::screens();
    if (m_.DeviceNum >= 0 && m_.DeviceNum < all.size()) return all[m_.DeviceNum];
    return QGuiApplication::primaryScreen();
}

void GameApp::LoadStyle() {
    const QString path = QString::fromStdString(setup_.dataDir + "style/kvelmar.qss");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        // The windows still work in the desktop's own look.
        LogError("Не найден файл оформления окон: " + path.toStdString());
        return;
    }
    desk_ = QPixmap(QString::fromStdString(setup_.dataDir + "pic/deskback.jpg"));
    // Type grows with the screen, so that a large screen is not read through a magnifier.
    if (QScreen* s = GameScreen()) {
        QFont font = QApplication::font();
        const double scale = std::clamp(s->availableGeometry().height() / 1000.0, 1.0, 2.2);
        font.setPointSizeF(10.5 * scale);
        QApplication::setFont(font);
    }
    qApp->setStyleSheet(QString::fromUtf8(f.readAll()));
}

void GameApp::Place(QWidget& w, QWidget* old) {
    QScreen* s = GameScreen();
    const QRect room = s != nullptr ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    // Every screen window stands in one place, the whole screen at first, then
    // wherever and as large as the player leaves it.
    // The match keeps a place of its own.
    if (old != nullptr && old != &w && old != match_.get() && old->isVisible())
        place_ = old->geometry();
    w.setGeometry(place_.isValid() && room.intersects(place_) ? place_ : room);
}

void GameApp::Centre(QWidget& w) {
    QScreen* s = GameScreen();
    const QRect room = s != nullptr ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize size = w.sizeHint().boundedTo(room.size() * 0.9).expandedTo(QSize(480, 360));
    w.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, room));
}

void GameApp::Show(ScreenId screen, ScreenId replaces) {
    const auto it = windows_.find(screen);
    if (it == windows_.end() || quitting_) return;
    ScreenWindow& w = *it->second;
    w.Refresh();
    if (Beside(screen))
        Centre(w);
    else
        Place(w, Window(replaces));
    prompt_.parent = &w;
    dialogs_.SetParent(&w);
    w.show();
    // The panel inside its scroll area is laid out now, not a turn of the
    // event loop later: the window is whole the moment it shows.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    w.raise();
    w.activateWindow();
    for (auto& [id, other] : windows_)
        if (other.get() != &w && !Beside(id)) other->hide();
    emit Shown(static_cast<int>(screen));
    w.Opened(replaces);
}

void GameApp::ShowBeside(ScreenId screen) {
    const auto it = windows_.find(screen);
    if (it == windows_.end()) return;
    it->second->Refresh();
    if (!it->second->isVisible()) Centre(*it->second);
    it->second->showNormal();
    it->second->raise();
    it->second->activateWindow();
    emit Shown(static_cast<int>(screen));
}

void GameApp::HideBeside(ScreenId screen) {
    if (QWidget* w = Window(screen)) w->hide();
}

void GameApp::StartMatch(bool replay) {
    for (auto& [id, w] : windows_)
        w->hide();
    MatchWindowSetup s;
    s.m = &m_;
    s.rng = &rng_;
    s.sound = &sound_;
    s.replay = &replay_;
    s.saves = &saves_;
    s.screens = &g_.flow;
    s.dialogs = &dialogs_;
    s.dataDir = setup_.dataDir;
    s.appTitle = setup_.appTitle;
    s.logError = [](const std::string& e) { LogError(e); };
    s.replayMode = replay;
    // A network match records every machine's file alike, from the host's start.
    net::NetMatch* relay = replay ? nullptr : g_.lobby.Relay();
    replay_.ShareHeader(relay ? relay->SharedHeader() : std::string());
    if (relay) {
        s.replay = &relay->RecordInto(replay_);
        s.relay = relay;
    }
    // The previous match's window goes now, before the new one takes the display.
    match_.reset();
    match_ = std::make_unique<MatchWindow>(s);
    dialogs_.SetParent(match_.get());
    MatchWindow* w = match_.get();
    connect(w, &MatchWindow::Finished, this, [this, w] {
        // The match screen has handed over already; its window goes once its
        // own code has returned.
        QTimer::singleShot(0, this, [this, w] {
            if (match_.get() == w) match_.reset();
        });
    });
    emit Shown(static_cast<int>(ScreenId::Match));
    w->Start();
}

void GameApp::Update() {
    RefreshShown();
    for (auto& [id, w] : windows_)
        if (w->isVisible()) w->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void GameApp::Quit() {
    if (quitting_) return;
    quitting_ = true;
    if (match_) {
        match_->hide();
        match_.reset(); // closes the replay being recorded
    }
    for (auto& [id, w] : windows_)
        w->hide();
    replay_.CloseReplayRecord();
    QCoreApplication::quit();
}

void GameApp::Closed(ScreenId id) {
    Apply(g_.Closing(id), id);
}

ScreenWindow::ScreenWindow(GameApp& app, ScreenId id, Frame frame)
    : app_(app), id_(id), panel_(this) {
    if (frame == Frame::Bare) return;
    // The panel in the middle of a scroll area that is only seen when the
    // screen is too small for it: nothing is ever left off the screen.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget "
                                         "{ background: transparent; }"));
    auto* holder = new QWidget(scroll);
    auto* centre = new QGridLayout(holder);
    centre->setContentsMargins(16, 16, 16, 16);
    panel_ = new QFrame(holder);
    panel_->setObjectName(QStringLiteral("panel"));
    panel_->setAttribute(Qt::WA_StyledBackground);
    centre->addWidget(panel_, 1, 1);
    centre->setRowStretch(0, 1);
    centre->setRowStretch(2, 1);
    centre->setColumnStretch(0, 1);
    centre->setColumnStretch(2, 1);
    scroll->setWidget(holder);
    outer->addWidget(scroll);
}

void ScreenWindow::paintEvent(QPaintEvent* e) {
    const QPixmap& desk = app_.Backdrop();
    if (panel_ == this || desk.isNull()) {
        QWidget::paintEvent(e);
        return;
    }
    // The desk covers the window, cut to its shape rather than stretched.
    if (scaled_.size() != size()) {
        const QPixmap cover =
            desk.scaled(size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        scaled_ = cover.copy((cover.width() - width()) / 2, (cover.height() - height()) / 2,
                             width(), height());
    }
    QPainter p(this);
    p.drawPixmap(0, 0, scaled_);
}

void ScreenWindow::Apply(const Next& n) {
    app_.Apply(n, id_);
}

void ScreenWindow::closeEvent(QCloseEvent* e) {
    // Hiding on the flow's orders is no close; the window manager's close is
    // the screen's own exit, which the screens layer decides on.
    e->ignore();
    app_.Closed(id_);
}

} // namespace kv
