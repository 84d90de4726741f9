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
    explicit MainMenuWindow(GameApp& app)
        : ScreenWindow(app, ScreenId::MainMenu), g_(app.Screens()), menu_(g_.menu) {
        setWindowTitle(Q(app.Setup().appTitle));
        auto* top = new QVBoxLayout(Panel());
        BuildHead(top);
        BuildButtons(top);
        BuildTour(top);
        BuildLoadMenu();
        BuildHelpMenu();
        BuildSupportMenu();
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
    // The emblem, the title and the two links.
    void BuildHead(QVBoxLayout* top) {
        auto* head = new QHBoxLayout;
        emblem_ = Button(QString(), this, QStringLiteral("Эмблема Гоблного Клуба"));
        emblem_->setAccessibleName(QStringLiteral("Эмблема Гоблного Клуба"));
        emblem_->setFlat(true);
        const QPixmap pic(Q(app_.Setup().dataDir + "pic/smallgerb.gif"));
        if (!pic.isNull()) {
            emblem_->setIcon(pic);
            emblem_->setIconSize(pic.size());
            // Whole, not cut to the height of a button's line.
            emblem_->setFixedSize(pic.size() + QSize(8, 8));
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
        connect(maker_, &QPushButton::clicked, this, [this] {
            menu_.MakerPage(g_);
            Refresh();
        });
        connect(club_, &QPushButton::clicked, this, [this] {
            menu_.ClubPage(g_);
            Refresh();
        });
        connect(emblem_, &QPushButton::clicked, this, [this] { Apply(menu_.Emblem(g_)); });
    }

    // The menu's buttons, two to a row.
    void BuildButtons(QVBoxLayout* top) {
        auto* grid = new QGridLayout;
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
            buttons_[static_cast<std::size_t>(i)] =
                Button(QString::fromUtf8(screens::Caption(static_cast<MenuButton>(i))), this);
            buttons_[static_cast<std::size_t>(i)]->setMinimumHeight(36);
            grid->addWidget(buttons_[static_cast<std::size_t>(i)], i / 2, i % 2);
        }
        top->addLayout(grid);
        On(MenuButton::QuickGame, [this] { Apply(menu_.QuickGame(g_)); });
        On(MenuButton::TeamGame, [this] { Apply(menu_.TeamGame(g_)); });
        On(MenuButton::Options, [this] { Apply(menu_.Options(g_)); });
        On(MenuButton::Chronicle, [this] { Apply(menu_.Chronicle(g_)); });
        On(MenuButton::Splash, [this] { Apply(menu_.Splash(g_)); });
        On(MenuButton::NetGame, [this] { Apply(menu_.NetGame(g_)); });
        On(MenuButton::Exit, [this] { Apply(menu_.Exit(g_)); });
        On(MenuButton::Tour, [this] {
            menu_.StartTour();
            Refresh();
        });
    }

    // The guided tour's box, typed by the model's two timers.
    void BuildTour(QVBoxLayout* top) {
        info_ = Named(new QTextEdit(this), QStringLiteral("Знакомство с игрой"));
        info_->setReadOnly(true);
        info_->setMinimumHeight(110);
        infoClose_ = Button(QStringLiteral("Закрыть"), this);
        top->addWidget(info_);
        top->addWidget(infoClose_, 0, Qt::AlignRight);
        connect(infoClose_, &QPushButton::clicked, this, [this] {
            menu_.CloseTour();
            Refresh();
        });
        step_.setSingleShot(true);
        connect(&step_, &QTimer::timeout, this, [this] {
            menu_.StepTick();
            Refresh();
        });
        typing_.setInterval(screens::MainMenu::kTypingMs);
        connect(&typing_, &QTimer::timeout, this, [this] {
            menu_.TypeTick();
            ShowTour();
        });
    }

    // A button's pop-up menu, under the button.
    void PopUp(MenuButton b, QMenu* menu) {
        menu->popup(Btn(b)->mapToGlobal(QPoint(0, Btn(b)->height())));
    }

    void BuildLoadMenu() {
        auto* load = new QMenu(this);
        auto* loadGame = load->addAction(QStringLiteral("Сохраненная игра..."));
        auto* loadReplay = load->addAction(QStringLiteral("Повтор..."));
        loadItems_ = {loadGame, loadReplay};
        On(MenuButton::Load, [this, load] {
            menu_.LoadMenu(g_);
            Refresh();
            PopUp(MenuButton::Load, load);
        });
        connect(loadGame, &QAction::triggered, this, [this] { Apply(menu_.LoadGame(g_)); });
        connect(loadReplay, &QAction::triggered, this, [this] { Apply(menu_.LoadReplay(g_)); });
    }

    void BuildHelpMenu() {
        auto* help = new QMenu(this);
        auto* contents = help->addAction(QStringLiteral("Содержание"));
        report_ = help->addAction(QStringLiteral("Отчет об ошибке"));
        about_ = help->addAction(QStringLiteral("О программе"));
        On(MenuButton::Help, [this, help] {
            menu_.CloseTour();
            Refresh();
            PopUp(MenuButton::Help, help);
        });
        connect(contents, &QAction::triggered, this, [this] {
            menu_.HelpPages(g_);
            Refresh();
        });
        connect(report_, &QAction::triggered, this, [this] { Apply(menu_.Report(g_)); });
        connect(about_, &QAction::triggered, this, [this] { Apply(menu_.About(g_)); });
    }

    void BuildSupportMenu() {
        auto* support = new QMenu(this);
        auto* home = support->addAction(QStringLiteral("Домашняя страница"));
        auto* updates = support->addAction(QStringLiteral("Обновления"));
        On(MenuButton::Support, [this, support] {
            menu_.CloseTour();
            Refresh();
            PopUp(MenuButton::Support, support);
        });
        connect(home, &QAction::triggered, this, [this] { menu_.MakerPage(g_); });
        connect(updates, &QAction::triggered, this, [this] { menu_.Updates(g_); });
    }

    template <typename F> void On(MenuButton b, F f) {
        connect(Btn(b), &QPushButton::clicked, this, f);
    }

    screens::GameScreens& g_;
    screens::MainMenu& menu_;

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
