// The window that makes a new team or changes one.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>

namespace kv {

namespace {

using screens::Next;
using screens::ScreenId;
using namespace ui;

class NewTeamWindow : public ScreenWindow {
public:
    explicit NewTeamWindow(GameApp& app) : ScreenWindow(app, ScreenId::NewTeam) {
        screens::GameScreens& g = app.Screens();
        screens::NewTeamScreen& n = g.newTeam;
        auto* top = new QVBoxLayout(this);
        auto* grid = new QGridLayout;
        grid->addWidget(Label(QStringLiteral("Название команды:"), this), 0, 0);
        name_ = Named(new QLineEdit(this), QStringLiteral("Название команды:"));
        grid->addWidget(name_, 0, 1, 1, 2);
        for (int k = 0; k < 4; ++k) {
            const QString who = QStringLiteral("Игрок %1:").arg(k + 1);
            grid->addWidget(Label(who, this), k + 1, 0);
            auto*& box = members_[static_cast<std::size_t>(k)];
            box = Named(new QLineEdit(this), who);
            auto*& pick = picks_[static_cast<std::size_t>(k)];
            pick = Button(QStringLiteral("Выбрать..."), this, who);
            grid->addWidget(box, k + 1, 1);
            grid->addWidget(pick, k + 1, 2);
            connect(box, &QLineEdit::textChanged, this,
                    [&n, k](const QString& s) { n.members[static_cast<std::size_t>(k)] = S(s); });
            connect(pick, &QPushButton::clicked, this, [this, &g, &n, k] {
                n.PickName(g, k);
                Refresh();
            });
        }
        top->addLayout(grid);
        computer_ = Check(QStringLiteral("Команда управляется компьютером"), this);
        top->addWidget(computer_);
        auto* strength = new QHBoxLayout;
        strength->addWidget(Label(QStringLiteral("Сила компа:"), this));
        level_ = Named(new QComboBox(this), QStringLiteral("Сила компа:"));
        for (const char* l : kLevelNames)
            level_->addItem(QString::fromUtf8(l));
        strength->addWidget(level_);
        strength->addStretch();
        top->addLayout(strength);
        auto* buttons = new QHBoxLayout;
        auto* back = Button(QStringLiteral("< Назад"), this);
        confirm_ = Button(QStringLiteral("Создать"), this);
        buttons->addWidget(back);
        buttons->addStretch();
        buttons->addWidget(confirm_);
        top->addLayout(buttons);

        connect(name_, &QLineEdit::textChanged, this, [&n](const QString& s) { n.name = S(s); });
        connect(computer_, &QCheckBox::toggled, this, [this, &n](bool on) {
            n.computer = on ? 1 : 0;
            level_->setEnabled(on);
        });
        connect(level_, &QComboBox::activated, this,
                [&n](int index) { n.level = static_cast<i16>(index); });
        connect(confirm_, &QPushButton::clicked, this, [this, &g, &n] {
            if (n.Confirm(g)) Apply(Next::To(ScreenId::Teams));
        });
        connect(back, &QPushButton::clicked, this, [this] { Apply(Next::To(ScreenId::Teams)); });
    }

    void Refresh() override {
        const screens::GameScreens& g = app_.Screens();
        const screens::NewTeamScreen& n = g.newTeam;
        // The names file as it is now, reloaded on the options screen or not.
        for (QPushButton* pick : picks_)
            pick->setEnabled(g.namesAvailable);
        setWindowTitle(Q(n.caption));
        const QSignalBlocker b(computer_);
        SetLine(name_, n.name);
        for (std::size_t k = 0; k < 4; ++k)
            SetLine(members_[k], n.members[k]);
        computer_->setChecked(n.computer != 0);
        level_->setCurrentIndex(n.level);
        level_->setEnabled(n.computer != 0);
        confirm_->setText(Q(n.confirm));
        confirm_->setAccessibleName(Q(n.confirm));
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            Apply(Next::To(ScreenId::Teams));
            return;
        }
        ScreenWindow::keyPressEvent(e);
    }

private:
    static void SetLine(QLineEdit* e, const std::string& s) {
        if (e->text() != Q(s)) e->setText(Q(s));
    }

    QLineEdit* name_ = nullptr;
    std::array<QLineEdit*, 4> members_{};
    std::array<QPushButton*, 4> picks_{};
    QCheckBox* computer_ = nullptr;
    QComboBox* level_ = nullptr;
    QPushButton* confirm_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeNewTeamWindow(GameApp& app) {
    return std::make_unique<NewTeamWindow>(app);
}

} // namespace kv
