// The program's first window: the slides, scaled to the window, and the
// "Подождите..." over the background while the main menu starts.
#include "frontend/GameApp.h"
#include "frontend/Picture.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class SplashWindow : public ScreenWindow, public screens::SlideView {
public:
    explicit SplashWindow(GameApp& app) : ScreenWindow(app, ScreenId::Splash) {
        setWindowTitle(QString::fromUtf8(screens::kSplashCaption));
        setFocusPolicy(Qt::StrongFocus);
        auto* top = new QVBoxLayout(this);
        top->setContentsMargins(0, 0, 0, 0);
        img_ = Named(new Picture(this), QStringLiteral("Заставка"));
        top->addWidget(img_);
        auto* over = new QVBoxLayout(img_);
        lbl_ = Label(QString::fromUtf8(screens::kSplashWait), img_);
        lbl_->setAlignment(Qt::AlignCenter);
        QFont f = lbl_->font();
        f.setPointSizeF(f.pointSizeF() * 2);
        f.setBold(true);
        lbl_->setFont(f);
        lbl_->setStyleSheet(QStringLiteral("color: white;"));
        over->addWidget(lbl_);
        img_->installEventFilter(this);
        lbl_->installEventFilter(this);
        background_ = QPixmap(Q(app.Setup().dataDir + "zvr2.gif"));
        slide_.setSingleShot(true);
        connect(&slide_, &QTimer::timeout, this, [this] {
            screens::GameScreens& g = app_.Screens();
            Apply(g.splash.TimerTick(g, *this));
        });
    }

    void Opened(ScreenId) override {
        setFocus();
        screens::GameScreens& g = app_.Screens();
        Apply(g.splash.Load(g, *this));
    }

    void Refresh() override {
        const screens::SplashScreen& s = app_.Screens().splash;
        if (!s.caption.empty()) setWindowTitle(Q(s.caption));
        lbl_->setVisible(s.waiting);
        if (s.waiting) img_->SetPixmap(background_);
        if (!s.slideTimer)
            slide_.stop();
        else if (!slide_.isActive())
            slide_.start(s.slideMs);
    }

    // SlideView
    bool ShowPicture(const std::string& path, std::string* why) override {
        const QPixmap p(Q(path));
        if (p.isNull()) {
            if (why) *why = "Рисунок " + path + " не найден или не читается.";
            return false;
        }
        lbl_->hide();
        img_->SetPixmap(p);
        return true;
    }
    void ProcessEvents() override {
        // The start-up runs right after this: what the model shows must be
        // painted now, not when it is over.
        Refresh();
        repaint();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

protected:
    void keyPressEvent(QKeyEvent*) override { Skip(); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease && (o == img_ || o == lbl_)) {
            screens::GameScreens& g = app_.Screens();
            Apply(g.splash.Click(g, *this));
            return true;
        }
        return ScreenWindow::eventFilter(o, e);
    }
    void hideEvent(QHideEvent* e) override {
        slide_.stop();
        ScreenWindow::hideEvent(e);
    }

private:
    void Skip() {
        screens::GameScreens& g = app_.Screens();
        Apply(g.splash.Key(g, *this));
    }

    Picture* img_ = nullptr;
    QLabel* lbl_ = nullptr;
    QPixmap background_;
    QTimer slide_;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeSplashWindow(GameApp& app) {
    return std::make_unique<SplashWindow>(app);
}

} // namespace kv
