// The team game window: the user's teams, the two that play, the players per
// team and the piece model.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class TeamsWindow : public ScreenWindow {
public:
    explicit TeamsWindow(GameApp& app) : ScreenWindow(app, ScreenId::Teams) {
        setWindowTitle(Q(app.Setup().appTitle));
        screens::GameScreens& g = app.Screens();
        screens::TeamScreen& t = g.teams;
        auto* top = new QVBoxLayout(this);
        auto* lists = new QGridLayout;
        lists->addWidget(Label(QStringLiteral("Команды:"), this), 0, 0);
        lists->addWidget(Label(QStringLiteral("Играющие команды:"), this), 0, 2);
        teams_ = Named(new QListWidget(this), QStringLiteral("Команды:"),
                       QStringLiteral("Двойной щелчок добавляет команду в игру"));
        playing_ = Named(new QListWidget(this), QStringLiteral("Играющие команды:"),
                         QStringLiteral("Двойной щелчок убирает команду из игры"));
        // The buttons do what the double clicks do, for the keyboard and screen readers.
        auto* add = Button(QStringLiteral("В игру >"), this);
        auto* remove = Button(QStringLiteral("< Из игры"), this);
        auto* middle = new QVBoxLayout;
        middle->addStretch();
        middle->addWidget(add);
        middle->addWidget(remove);
        middle->addStretch();
        lists->addWidget(teams_, 1, 0);
        lists->addLayout(middle, 1, 1);
        lists->addWidget(playing_, 1, 2);
        top->addLayout(lists);

        auto* edits = new QHBoxLayout;
        auto* create = Button(QStringLiteral("Создать..."), this);
        auto* change = Button(QStringLiteral("Изменить..."), this);
        auto* del = Button(QStringLiteral("Удалить"), this);
        for (QPushButton* b : {create, change, del})
            edits->addWidget(b);
        edits->addStretch();
        top->addLayout(edits);

        auto* setup = new QGridLayout;
        count_ = Label(QString(), this);
        slider_ = Named(new QSlider(Qt::Horizontal, this), QStringLiteral("Количество игроков"));
        slider_->setRange(1, 4);
        slider_->setPageStep(1);
        setup->addWidget(count_, 0, 0);
        setup->addWidget(slider_, 0, 1);
        setup->addWidget(Label(QStringLiteral("Модель Гоблы:"), this), 1, 0);
        model_ = Named(new QComboBox(this), QStringLiteral("Модель Гоблы:"));
        for (const char* m : kModelNames)
            model_->addItem(QString::fromUtf8(m));
        setup->addWidget(model_, 1, 1);
        top->addLayout(setup);

        status_ = Label(QString(), this);
        top->addWidget(status_);
        auto* buttons = new QHBoxLayout;
        auto* back = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        auto* opts = Button(QStringLiteral("Параметры >>"), this);
        auto* how = Button(QStringLiteral("Как играть?"), this);
        auto* go = Button(QStringLiteral("Гобла!"), this);
        QFont bold = go->font();
        bold.setBold(true);
        go->setFont(bold);
        for (QPushButton* b : {back, exit, opts, how})
            buttons->addWidget(b);
        buttons->addStretch();
        buttons->addWidget(go);
        top->addLayout(buttons);

        connect(teams_, &QListWidget::itemSelectionChanged, this,
                [this, &t] { t.selected = SelectedRow(teams_); });
        // A double click only: the platform's single-click activation would move a
        // team that was only being chosen to change or delete.
        connect(teams_, &QListWidget::itemDoubleClicked, this, [this, &g, &t](QListWidgetItem* it) {
            t.AddPlaying(g, teams_->row(it));
            Refresh();
        });
        connect(add, &QPushButton::clicked, this, [this, &g, &t] {
            t.AddPlaying(g, SelectedRow(teams_));
            Refresh();
        });
        connect(playing_, &QListWidget::itemDoubleClicked, this, [this, &t](QListWidgetItem* it) {
            t.RemovePlaying(playing_->row(it));
            Refresh();
        });
        connect(remove, &QPushButton::clicked, this, [this, &t] {
            t.RemovePlaying(SelectedRow(playing_));
            Refresh();
        });
        connect(create, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Create(g)); });
        connect(change, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Change(g)); });
        connect(del, &QPushButton::clicked, this, [this, &g, &t] {
            t.Delete(g);
            Refresh();
        });
        connect(slider_, &QSlider::valueChanged, this, [this, &t](int v) {
            if (t.perTeam == v) return;
            t.SetPerTeam(v);
            Refresh();
        });
        connect(model_, &QComboBox::currentIndexChanged, this, [&g, &t](int i) {
            if (i >= 0 && i != t.model) t.SetModel(g, i);
        });
        connect(how, &QPushButton::clicked, this, [&g, &t] { t.HowToPlay(g); });
        connect(go, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Start(g)); });
        connect(back, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Back(g)); });
        connect(opts, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Options(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &t] { Apply(t.Exit(g)); });
    }

    void Refresh() override {
        const screens::TeamScreen& t = app_.Screens().teams;
        const QSignalBlocker b1(teams_), b2(slider_), b3(model_);
        Fill(teams_, t.teams);
        teams_->setCurrentRow(t.selected);
        Fill(playing_, t.playing);
        slider_->setValue(t.perTeam);
        SetText(count_, Q(t.CountLabel()));
        model_->setCurrentIndex(t.model);
        SetText(status_, Q(t.status));
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            Apply(app_.Screens().teams.Back(app_.Screens()));
            return;
        }
        ScreenWindow::keyPressEvent(e);
    }

private:
    static void Fill(QListWidget* l, const std::vector<std::string>& names) {
        l->clear();
        for (const std::string& n : names)
            l->addItem(Q(n));
    }

    QListWidget* teams_ = nullptr;
    QListWidget* playing_ = nullptr;
    QLabel* count_ = nullptr;
    QSlider* slider_ = nullptr;
    QComboBox* model_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeTeamsWindow(GameApp& app) {
    return std::make_unique<TeamsWindow>(app);
}

} // namespace kv
