// The main menu window: its buttons, pop-up menus, links, emblem and the
// guided tour's box, typed by the model's two timers.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPixmap>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <array>

namespace kv {

namespace {

using screens::MenuButton;
using screens::Next;
using screens::ScreenId;
using namespace ui;

class MainMenuWindow : public ScreenWindow {
public:
    explicit MainMenuWindow(GameApp& app) : ScreenWindow(app, ScreenId::MainMenu) {
        setWindowTitle(Q(app.Setup().appTitle));
        auto* top = new QVBoxLayout(this);

        auto* head = new QHBoxLayout;
        emblem_ = Button(QString(), this, QStringLiteral("Эмблема Гоблного Клуба"));
        emblem_->setAccessibleName(QStringLiteral("Эмблема Гоблного Клуба"));
        emblem_->setFlat(true);
        const QPixmap pic(Q(app.Setup().dataDir + "pic/smallgerb.gif"));
        if (!pic.isNull()) {
            emblem_->setIcon(pic);
            emblem_->setIconSize(pic.size());
        }
        head->addWidget(emblem_);
        auto* title = Label(QStringLiteral("Kvelmar II: Zantor"), this);
        QFont f = title->font();
        f.setPointSizeF(f.pointSizeF() * 2);
        f.setBold(true);
        title->setFont(f);
        head->addWidget(title, 1);
        maker_ = Button(QStringLiteral("Orvelsoft"), this);
        club_ = Button(QStringLiteral("Гоблный Клуб"), this);
        for (QPushButton* link : {maker_, club_}) {
            link->setFlat(true);
            link->setStyleSheet(QStringLiteral("color: #2050c0; text-decoration: underline;"));
            link->setCursor(Qt::PointingHandCursor);
            head->addWidget(link);
        }
        top->addLayout(head);

        auto* grid = new QGridLayout;
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
            buttons_[static_cast<std::size_t>(i)] =
                Button(QString::fromUtf8(screens::Caption(static_cast<MenuButton>(i))), this);
            buttons_[static_cast<std::size_t>(i)]->setMinimumHeight(36);
            grid->addWidget(buttons_[static_cast<std::size_t>(i)], i / 2, i % 2);
        }
        top->addLayout(grid);

        info_ = Named(new QTextEdit(this), QStringLiteral("Знакомство с игрой"));
        info_->setReadOnly(true);
        info_->setMinimumHeight(110);
        infoClose_ = Button(QStringLiteral("Закрыть"), this);
        top->addWidget(info_);
        top->addWidget(infoClose_, 0, Qt::AlignRight);

        // The pop-up menus.
        auto* load = new QMenu(this);
        auto* loadGame = load->addAction(QStringLiteral("Сохраненная игра..."));
        auto* loadReplay = load->addAction(QStringLiteral("Повтор..."));
        loadItems_ = {loadGame, loadReplay};
        auto* help = new QMenu(this);
        auto* contents = help->addAction(QStringLiteral("Содержание"));
        report_ = help->addAction(QStringLiteral("Отчет об ошибке"));
        about_ = help->addAction(QStringLiteral("О программе"));
        auto* support = new QMenu(this);
        auto* home = support->addAction(QStringLiteral("Домашняя страница"));
        auto* updates = support->addAction(QStringLiteral("Обновления"));

        screens::GameScreens& g = app.Screens();
        screens::MainMenu& menu = g.menu;
        auto on = [this](MenuButton b, auto f) { connect(Btn(b), &QPushButton::clicked, this, f); };
        on(MenuButton::QuickGame, [this, &g, &menu] { Apply(menu.QuickGame(g)); });
        on(MenuButton::TeamGame, [this, &g, &menu] { Apply(menu.TeamGame(g)); });
        on(MenuButton::Load, [this, &g, &menu, load] {
            menu.LoadMenu(g);
            Refresh();
            load->popup(
                Btn(MenuButton::Load)->mapToGlobal(QPoint(0, Btn(MenuButton::Load)->height())));
        });
        connect(loadGame, &QAction::triggered, this,
                [this, &g, &menu] { Apply(menu.LoadGame(g)); });
        connect(loadReplay, &QAction::triggered, this,
                [this, &g, &menu] { Apply(menu.LoadReplay(g)); });
        on(MenuButton::Options, [this, &g, &menu] { Apply(menu.Options(g)); });
        on(MenuButton::Chronicle, [this, &g, &menu] { Apply(menu.Chronicle(g)); });
        on(MenuButton::Splash, [this, &g, &menu] { Apply(menu.Splash(g)); });
        on(MenuButton::Help, [this, &menu, help] {
            menu.CloseTour();
            Refresh();
            help->popup(
                Btn(MenuButton::Help)->mapToGlobal(QPoint(0, Btn(MenuButton::Help)->height())));
        });
        connect(contents, &QAction::triggered, this, [this, &g, &menu] {
            menu.HelpPages(g);
            Refresh();
        });
        connect(report_, &QAction::triggered, this, [this, &g, &menu] { Apply(menu.Report(g)); });
        connect(about_, &QAction::triggered, this, [this, &g, &menu] { Apply(menu.About(g)); });
        on(MenuButton::Support, [this, &menu, support] {
            menu.CloseTour();
            Refresh();
            support->popup(Btn(MenuButton::Support)
                               ->mapToGlobal(QPoint(0, Btn(MenuButton::Support)->height())));
        });
        connect(home, &QAction::triggered, this, [&g, &menu] { menu.MakerPage(g); });
        connect(updates, &QAction::triggered, this, [&g, &menu] { menu.Updates(g); });
        connect(maker_, &QPushButton::clicked, this, [this, &g, &menu] {
            menu.MakerPage(g);
            Refresh();
        });
        connect(club_, &QPushButton::clicked, this, [this, &g, &menu] {
            menu.ClubPage(g);
            Refresh();
        });
        connect(emblem_, &QPushButton::clicked, this, [this, &g, &menu] { Apply(menu.Emblem(g)); });
        on(MenuButton::NetGame, [this, &menu] {
            menu.NetGame();
            Refresh();
        });
        on(MenuButton::Exit, [this, &g, &menu] { Apply(menu.Exit(g)); });
        on(MenuButton::Tour, [this, &menu] {
            menu.StartTour();
            Refresh();
        });
        connect(infoClose_, &QPushButton::clicked, this, [this, &menu] {
            menu.CloseTour();
            Refresh();
        });

        step_.setSingleShot(true);
        connect(&step_, &QTimer::timeout, this, [this, &menu] {
            menu.StepTick();
            Refresh();
        });
        typing_.setInterval(screens::MainMenu::kTypingMs);
        connect(&typing_, &QTimer::timeout, this, [this, &menu] {
            menu.TypeTick();
            ShowTour();
        });
    }

    void Refresh() override {
        screens::GameScreens& g = app_.Screens();
        const screens::MainMenu& menu = g.menu;
        setWindowTitle(menu.caption.empty() ? Q(app_.Setup().appTitle) : Q(menu.caption));
        setEnabled(!menu.loading);
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
            buttons_[static_cast<std::size_t>(i)]->setEnabled(
                menu.Enabled(g, static_cast<MenuButton>(i)));
        for (QAction* a : loadItems_)
            a->setEnabled(g.Available(ScreenId::LoadBrowser));
        report_->setEnabled(g.Available(ScreenId::ErrorReport));
        about_->setEnabled(g.Available(ScreenId::About));
        emblem_->setEnabled(g.Available(ScreenId::Emblem));
        Btn(MenuButton::Tour)->setVisible(!menu.tourShown);
        ShowTour();
        const int stepMs = menu.StepMs();
        if (menu.stepTimer &&
            (!step_.isActive() || step_.interval() != stepMs || stepShown_ != menu.tourStep)) {
            stepShown_ = menu.tourStep;
            step_.start(stepMs);
        }
        if (!menu.stepTimer) step_.stop();
    }

private:
    QPushButton* Btn(MenuButton b) const { return buttons_[static_cast<std::size_t>(b)]; }

    void ShowTour() {
        const screens::MainMenu& menu = app_.Screens().menu;
        info_->setVisible(menu.tourShown);
        infoClose_->setVisible(menu.tourShown);
        if (info_->toPlainText() != Lines(menu.typing.typed)) {
            info_->setPlainText(Lines(menu.typing.typed));
            info_->moveCursor(QTextCursor::End);
        }
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
            const bool lit = menu.highlight && static_cast<int>(*menu.highlight) == i;
            buttons_[static_cast<std::size_t>(i)]->setStyleSheet(
                lit ? QStringLiteral("border: 3px solid #d02020;") : QString());
        }
        if (menu.typing.timer && !typing_.isActive()) typing_.start();
        if (!menu.typing.timer) typing_.stop();
    }

    std::array<QPushButton*, 11> buttons_{};
    QPushButton* emblem_ = nullptr;
    QPushButton* maker_ = nullptr;
    QPushButton* club_ = nullptr;
    QTextEdit* info_ = nullptr;
    QPushButton* infoClose_ = nullptr;
    std::array<QAction*, 2> loadItems_{};
    QAction* report_ = nullptr;
    QAction* about_ = nullptr;
    QTimer step_;
    QTimer typing_;
    int stepShown_ = -1;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeMainMenuWindow(GameApp& app) {
    return std::make_unique<MainMenuWindow>(app);
}

} // namespace kv
