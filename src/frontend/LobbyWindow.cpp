// The network table's window: the seats with their pieces, the host's
// settings, one's own seat, the ready flag, the chat and the start.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::Next;
using screens::ScreenId;
using namespace ui;

QComboBox* Levels(QWidget* parent, const QString& name) {
    auto* c = Named(new QComboBox(parent), name);
    for (const char* l : kLevelNames)
        c->addItem(QString::fromUtf8(l));
    return c;
}

QComboBox* Choices(QWidget* parent, const QString& name, std::initializer_list<const char*> items) {
    auto* c = Named(new QComboBox(parent), name);
    for (const char* i : items)
        c->addItem(QString::fromUtf8(i));
    return c;
}

class LobbyWindow : public ScreenWindow {
public:
    explicit LobbyWindow(GameApp& app) : ScreenWindow(app, ScreenId::NetLobby) {
        setWindowTitle(Q(app.Setup().appTitle + ": сетевой стол"));
        screens::GameScreens& g = app.Screens();
        screens::LobbyScreen& l = g.lobby;
        auto* top = new QVBoxLayout(Panel());
        title_ = Label(QString(), this);
        QFont f = title_->font();
        f.setBold(true);
        title_->setFont(f);
        top->addWidget(title_);
        status_ = Label(QString(), this);
        status_->setWordWrap(true);
        top->addWidget(status_);

        auto* middle = new QHBoxLayout;
        auto* left = new QVBoxLayout;
        left->addWidget(Label(QStringLiteral("Места за столом:"), this));
        seats_ = Named(new QListWidget(this), QStringLiteral("Места за столом:"));
        left->addWidget(seats_);
        auto* own = new QHBoxLayout;
        comp_ = Check(QStringLiteral("Комп"), this,
                      QStringLiteral("Своё место играет компьютер этой машины"));
        ownLevel_ = Levels(this, QStringLiteral("Сила своего компа:"));
        ready_ = Check(QStringLiteral("Готов"), this);
        own->addWidget(comp_);
        own->addWidget(ownLevel_);
        own->addWidget(ready_);
        own->addStretch();
        left->addLayout(own);
        middle->addLayout(left, 3);

        hostBox_ = new QGroupBox(QStringLiteral("Стол"), this);
        auto* form = new QFormLayout(hostBox_);
        teams_ = Choices(hostBox_, QStringLiteral("Команды:"),
                         {"нет, каждый за себя", "две по 1", "две по 2", "две по 3", "две по 4"});
        form->addRow(Label(QStringLiteral("Команды:"), hostBox_), teams_);
        count_ = Named(new QSpinBox(hostBox_), QStringLiteral("Мест:"));
        count_->setRange(2, 8);
        form->addRow(Label(QStringLiteral("Мест:"), hostBox_), count_);
        seatKind_ = Choices(hostBox_, QStringLiteral("Выбранное место:"),
                            {screens::kSeatChoices[0], screens::kSeatChoices[1]});
        form->addRow(Label(QStringLiteral("Выбранное место:"), hostBox_), seatKind_);
        seatLevel_ = Levels(hostBox_, QStringLiteral("Сила компа места:"));
        form->addRow(Label(QStringLiteral("Сила компа места:"), hostBox_), seatLevel_);
        seatModel_ = Choices(hostBox_, QStringLiteral("Модель фишки места:"),
                             {kModelNames[0], kModelNames[1], kModelNames[2], kModelNames[3]});
        form->addRow(Label(QStringLiteral("Модель фишки места:"), hostBox_), seatModel_);
        seatMass_ = Named(new QSpinBox(hostBox_), QStringLiteral("Масса фишки места:"));
        seatMass_->setRange(1, 1000);
        form->addRow(Label(QStringLiteral("Масса фишки места:"), hostBox_), seatMass_);
        kick_ = Button(QStringLiteral("Убрать игрока"), hostBox_);
        form->addRow(kick_);
        length_ = Named(new QSpinBox(hostBox_), QStringLiteral("Длина стола:"));
        length_->setRange(kMinTableSize, kMaxTableSize);
        form->addRow(Label(QStringLiteral("Длина стола:"), hostBox_), length_);
        width_ = Named(new QSpinBox(hostBox_), QStringLiteral("Ширина стола:"));
        width_->setRange(kMinTableSize, kMaxTableSize);
        form->addRow(Label(QStringLiteral("Ширина стола:"), hostBox_), width_);
        walls_ =
            Choices(hostBox_, QStringLiteral("Стенки:"), {"Нет", "Положение 1", "Положение 2"});
        form->addRow(Label(QStringLiteral("Стенки:"), hostBox_), walls_);
        obstacles_ = Choices(hostBox_, QStringLiteral("Препятствия:"),
                             {"Нет", "Положение 1", "Положение 2"});
        form->addRow(Label(QStringLiteral("Препятствия:"), hostBox_), obstacles_);
        spread_ = Named(new QDoubleSpinBox(hostBox_), QStringLiteral("Разброс:"));
        spread_->setRange(0, 1);
        spread_->setSingleStep(0.05);
        form->addRow(Label(QStringLiteral("Разброс:"), hostBox_), spread_);
        friction_ =
            Choices(hostBox_, QStringLiteral("Трение поля:"), {"малое", "стандартное", "большое"});
        form->addRow(Label(QStringLiteral("Трение поля:"), hostBox_), friction_);
        matches_ = Named(new QSpinBox(hostBox_), QStringLiteral("Матчей в серии:"),
                         QStringLiteral("«без конца»: серия идёт, пока хозяин её продолжает"));
        matches_->setRange(0, 99);
        matches_->setSpecialValueText(QStringLiteral("без конца"));
        form->addRow(Label(QStringLiteral("Матчей в серии:"), hostBox_), matches_);
        grace_ = Named(new QSpinBox(hostBox_), QStringLiteral("Ждать ушедшего, с:"));
        grace_->setRange(0, 600);
        form->addRow(Label(QStringLiteral("Ждать ушедшего, с:"), hostBox_), grace_);
        turnLimit_ = Named(new QSpinBox(hostBox_), QStringLiteral("Время на ход, с:"),
                           QStringLiteral("Когда оно выходит, ход делает компьютер хозяина"));
        turnLimit_->setRange(0, 3600);
        turnLimit_->setSpecialValueText(QStringLiteral("без предела"));
        form->addRow(Label(QStringLiteral("Время на ход, с:"), hostBox_), turnLimit_);
        password_ = Named(new QLineEdit(hostBox_), QStringLiteral("Пароль:"),
                          QStringLiteral("Пусто: стол без пароля"));
        form->addRow(Label(QStringLiteral("Пароль:"), hostBox_), password_);
        middle->addWidget(hostBox_, 2);
        top->addLayout(middle);

        top->addWidget(Label(QStringLiteral("Чат:"), this));
        chat_ = Named(new QListWidget(this), QStringLiteral("Чат:"));
        chat_->setMaximumHeight(140);
        top->addWidget(chat_);
        auto* say = new QHBoxLayout;
        line_ = Named(new QLineEdit(this), QStringLiteral("Сообщение:"));
        auto* send = Button(QStringLiteral("Сказать"), this);
        say->addWidget(line_);
        say->addWidget(send);
        top->addLayout(say);

        auto* buttons = new QHBoxLayout;
        auto* back = Button(QStringLiteral("< Назад"), this,
                            QStringLiteral("Выйти из-за стола (свой стол закрыть)"));
        auto* exit = Button(QStringLiteral("Выход"), this);
        go_ = Button(QStringLiteral("ГОБЛА!!!"), this,
                     QStringLiteral("Начать матч: все занятые места готовы"));
        QFont bold = go_->font();
        bold.setBold(true);
        go_->setFont(bold);
        buttons->addWidget(back);
        buttons->addWidget(exit);
        buttons->addStretch();
        buttons->addWidget(go_);
        top->addLayout(buttons);

        connect(seats_, &QListWidget::itemSelectionChanged, this, [this, &l] {
            if (filling_) return;
            l.selectedSeat = SelectedRow(seats_);
            Refresh();
        });
        connect(comp_, &QCheckBox::toggled, this, [this, &g, &l](bool on) {
            if (filling_) return;
            l.SetOwnComp(g, on, static_cast<i16>(ownLevel_->currentIndex()));
        });
        connect(ownLevel_, &QComboBox::activated, this,
                [&g, &l](int i) { l.SetOwnComp(g, l.ownComp, static_cast<i16>(i)); });
        connect(ready_, &QCheckBox::toggled, this, [this, &l](bool on) {
            if (!filling_) l.SetReady(on);
        });
        connect(count_, &QSpinBox::valueChanged, this, [this, &g, &l](int n) {
            if (filling_) return;
            l.SetSeatCount(g, n);
            Refresh();
        });
        connect(teams_, &QComboBox::activated, this, [this, &g, &l](int i) {
            l.SetTeams(g, i);
            Refresh();
        });
        auto seatChanged = [this, &g, &l] {
            if (filling_ || l.selectedSeat < 0) return;
            l.SetSeat(g, l.selectedSeat + 1,
                      static_cast<screens::SeatChoice>(seatKind_->currentIndex()),
                      static_cast<i16>(seatLevel_->currentIndex()));
            Refresh();
        };
        connect(seatKind_, &QComboBox::activated, this, seatChanged);
        connect(seatLevel_, &QComboBox::activated, this, seatChanged);
        connect(seatModel_, &QComboBox::activated, this, [this, &g, &l](int i) {
            if (filling_ || l.selectedSeat < 0) return;
            l.SetSeatModel(g, l.selectedSeat + 1, static_cast<i16>(i));
            Refresh();
        });
        connect(seatMass_, &QSpinBox::editingFinished, this, [this, &g, &l] {
            if (filling_ || l.selectedSeat < 0) return;
            l.SetSeatMass(g, l.selectedSeat + 1, static_cast<i16>(seatMass_->value()));
            Refresh();
        });
        connect(friction_, &QComboBox::activated, this,
                [&g, &l](int i) { l.SetFrictionLevel(g, i); });
        connect(kick_, &QPushButton::clicked, this, [this, &g, &l] {
            l.Kick(g);
            Refresh();
        });
        auto settingsChanged = [this, &g, &l] {
            if (filling_) return;
            l.settings.tableX = static_cast<i16>(length_->value());
            l.settings.tableY = static_cast<i16>(width_->value());
            l.settings.wall = static_cast<std::uint8_t>(walls_->currentIndex());
            l.settings.obstacles = static_cast<std::uint8_t>(obstacles_->currentIndex());
            l.settings.spread = spread_->value();
            l.settings.graceSeconds = static_cast<std::uint16_t>(grace_->value());
            l.settings.turnLimitSeconds = static_cast<std::uint16_t>(turnLimit_->value());
            l.settings.matches = static_cast<std::uint16_t>(matches_->value());
            l.password = S(password_->text());
            l.SetSettings(g);
        };
        connect(length_, &QSpinBox::editingFinished, this, settingsChanged);
        connect(width_, &QSpinBox::editingFinished, this, settingsChanged);
        connect(grace_, &QSpinBox::editingFinished, this, settingsChanged);
        connect(turnLimit_, &QSpinBox::editingFinished, this, settingsChanged);
        connect(matches_, &QSpinBox::editingFinished, this, settingsChanged);
        connect(spread_, &QDoubleSpinBox::editingFinished, this, settingsChanged);
        connect(password_, &QLineEdit::editingFinished, this, settingsChanged);
        connect(walls_, &QComboBox::activated, this, settingsChanged);
        connect(obstacles_, &QComboBox::activated, this, settingsChanged);
        connect(line_, &QLineEdit::textChanged, this, [&l](const QString& t) { l.line = S(t); });
        auto sayIt = [this, &l] {
            l.Say();
            line_->clear();
        };
        connect(line_, &QLineEdit::returnPressed, this, sayIt);
        connect(send, &QPushButton::clicked, this, sayIt);
        connect(go_, &QPushButton::clicked, this, [this, &g, &l] { Apply(l.Start(g)); });
        connect(back, &QPushButton::clicked, this, [this, &g, &l] { Apply(l.Back(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &l] { Apply(l.Exit(g)); });
        resize(800, 640);
    }

    void Refresh() override {
        const screens::LobbyScreen& l = app_.Screens().lobby;
        filling_ = true;
        SetText(title_, Q(l.Title()));
        SetText(status_, Q(l.Status()));
        Fill(seats_, l.SeatLines());
        if (l.selectedSeat >= 0 && l.selectedSeat < seats_->count()) {
            if (SelectedRow(seats_) != l.selectedSeat) seats_->setCurrentRow(l.selectedSeat);
        }
        if (Fill(chat_, l.chat)) chat_->scrollToBottom();
        const bool host = l.Hosting();
        hostBox_->setVisible(host);
        ready_->setVisible(!host);
        ready_->setChecked(l.ready);
        comp_->setChecked(l.ownComp);
        ownLevel_->setCurrentIndex(l.ownLevel);
        ownLevel_->setEnabled(l.ownComp);
        if (host) {
            Value(count_, l.SeatCount());
            teams_->setCurrentIndex(l.settings.teams);
            count_->setEnabled(l.settings.teams == 0);
            Value(length_, l.settings.tableX);
            Value(width_, l.settings.tableY);
            Value(grace_, l.settings.graceSeconds);
            Value(turnLimit_, l.settings.turnLimitSeconds);
            Value(matches_, l.settings.matches);
            friction_->setCurrentIndex(l.FrictionLevel());
            if (!spread_->hasFocus()) spread_->setValue(l.settings.spread);
            walls_->setCurrentIndex(l.settings.wall);
            obstacles_->setCurrentIndex(l.settings.obstacles);
            if (!password_->hasFocus() && password_->text() != Q(l.password))
                password_->setText(Q(l.password));
            const bool seat = l.selectedSeat >= 0;
            seatKind_->setEnabled(seat);
            seatLevel_->setEnabled(seat);
            kick_->setEnabled(seat);
            seatModel_->setEnabled(seat && l.SeatModelEditable(l.selectedSeat + 1));
            seatMass_->setEnabled(seat);
            if (seat) {
                seatModel_->setCurrentIndex(l.SeatModel(l.selectedSeat + 1));
                Value(seatMass_, std::max<int>(1, l.SeatMass(l.selectedSeat + 1)));
            }
        }
        go_->setVisible(host);
        go_->setEnabled(l.StartEnabled());
        filling_ = false;
    }

private:
    // Fills a list anew only when its lines changed; true when they did.
    static bool Fill(QListWidget* list, const std::vector<std::string>& lines) {
        bool same = list->count() == static_cast<int>(lines.size());
        for (int i = 0; same && i < list->count(); ++i)
            same = list->item(i)->text() == Q(lines[static_cast<std::size_t>(i)]);
        if (same) return false;
        const int row = SelectedRow(list);
        list->clear();
        // A long seat line is cut by the list's width; its tip says it whole.
        for (const std::string& s : lines) {
            list->addItem(Q(s));
            list->item(list->count() - 1)->setToolTip(Q(s));
        }
        if (row >= 0 && row < list->count()) list->setCurrentRow(row);
        return true;
    }
    static void Value(QSpinBox* s, int v) {
        if (!s->hasFocus() && s->value() != v) s->setValue(v);
    }

    QLabel* title_ = nullptr;
    QLabel* status_ = nullptr;
    QListWidget* seats_ = nullptr;
    QCheckBox* comp_ = nullptr;
    QComboBox* ownLevel_ = nullptr;
    QCheckBox* ready_ = nullptr;
    QGroupBox* hostBox_ = nullptr;
    QComboBox* teams_ = nullptr;
    QSpinBox* count_ = nullptr;
    QComboBox* seatKind_ = nullptr;
    QComboBox* seatLevel_ = nullptr;
    QComboBox* seatModel_ = nullptr;
    QSpinBox* seatMass_ = nullptr;
    QComboBox* friction_ = nullptr;
    QSpinBox* matches_ = nullptr;
    QSpinBox* turnLimit_ = nullptr;
    QPushButton* kick_ = nullptr;
    QSpinBox* length_ = nullptr;
    QSpinBox* width_ = nullptr;
    QComboBox* walls_ = nullptr;
    QComboBox* obstacles_ = nullptr;
    QDoubleSpinBox* spread_ = nullptr;
    QSpinBox* grace_ = nullptr;
    QLineEdit* password_ = nullptr;
    QListWidget* chat_ = nullptr;
    QLineEdit* line_ = nullptr;
    QPushButton* go_ = nullptr;
    bool filling_ = false;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeLobbyWindow(GameApp& app) {
    return std::make_unique<LobbyWindow>(app);
}

} // namespace kv
