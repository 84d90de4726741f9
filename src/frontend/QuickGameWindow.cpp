// The quick game window: eight player rows and the start of the match.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include <array>

namespace kv {

namespace {

using screens::Next;
using screens::ScreenId;
using namespace ui;

class QuickGameWindow : public ScreenWindow {
public:
    explicit QuickGameWindow(GameApp& app) : ScreenWindow(app, ScreenId::QuickGame) {
        setWindowTitle(Q(app.Setup().appTitle));
        screens::GameScreens& g = app.Screens();
        screens::QuickGameScreen& q = g.quick;
        auto* top = new QVBoxLayout(this);
        auto* grid = new QGridLayout;
        grid->addWidget(Label(QStringLiteral("№"), this), 0, 0);
        grid->addWidget(Label(QStringLiteral("Играет:"), this), 0, 1);
        grid->addWidget(Label(QStringLiteral("Имя Гоблы:"), this), 0, 2);
        grid->addWidget(Label(QStringLiteral("Модель Гоблы:"), this), 0, 4);
        grid->addWidget(Label(QStringLiteral("Сила компа:"), this), 0, 6);
        for (int r = 0; r < screens::kRows; ++r) {
            Row& w = rows_[static_cast<std::size_t>(r)];
            const QString who = QStringLiteral("Игрок %1").arg(r + 1);
            w.take = Check(QStringLiteral("Играет:"), this, who);
            w.name = Named(new QLineEdit(this), QStringLiteral("Имя Гоблы:"), who);
            w.pick = Button(QStringLiteral("Выбрать имя Гоблы"), this, who);
            w.model = Named(new QComboBox(this), QStringLiteral("Модель Гоблы:"), who);
            for (const char* m : kModelNames)
                w.model->addItem(QString::fromUtf8(m));
            w.comp = Check(QStringLiteral("Комп"), this,
                           QStringLiteral("Поставьте галочку,чтобы Гобла управлялась компьютером"));
            w.level = Named(new QComboBox(this), QStringLiteral("Сила компа:"), who);
            for (const char* l : kLevelNames)
                w.level->addItem(QString::fromUtf8(l));
            w.more = Button(QStringLiteral("Дополнительно..."), this, who);
            const int line = r + 1;
            grid->addWidget(Label(QString::number(r + 1), this), line, 0);
            grid->addWidget(w.take, line, 1);
            grid->addWidget(w.name, line, 2);
            grid->addWidget(w.pick, line, 3);
            grid->addWidget(w.model, line, 4);
            grid->addWidget(w.comp, line, 5);
            grid->addWidget(w.level, line, 6);
            grid->addWidget(w.more, line, 7);

            connect(w.take, &QCheckBox::stateChanged, this, [this, &q, r](int state) {
                const i16 v = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
                if (q.rows[static_cast<std::size_t>(r)].take == v) return;
                q.SetTake(r, v);
                Refresh();
            });
            connect(w.name, &QLineEdit::textChanged, this,
                    [&q, r](const QString& t) { q.rows[static_cast<std::size_t>(r)].name = S(t); });
            connect(w.pick, &QPushButton::clicked, this, [this, &g, &q, r] {
                q.PickName(g, r);
                Refresh();
            });
            connect(w.model, &QComboBox::activated, this,
                    [&g, &q, r](int index) { q.SetModel(g, r, index); });
            connect(w.comp, &QCheckBox::toggled, this, [this, &g, &q, r](bool on) {
                q.SetComputer(g, r, on ? 1 : 0);
                rows_[static_cast<std::size_t>(r)].level->setEnabled(on);
            });
            connect(w.level, &QComboBox::activated, this,
                    [&g, &q, r](int index) { q.SetLevel(g, r, index); });
            connect(w.more, &QPushButton::clicked, this, [this, &q, r] {
                q.SelectedRow = r;
                menu_->popup(rows_[static_cast<std::size_t>(r)].more->mapToGlobal(QPoint(0, 0)));
            });
        }
        top->addLayout(grid);

        menu_ = new QMenu(this);
        auto* mass = menu_->addAction(QStringLiteral("Изменить массу..."));
        menu_->addSeparator();
        preview_ = menu_->addMenu(QStringLiteral("Предварительный просмотр"));
        for (int bits : {8, 16, 24, 32})
            connect(preview_->addAction(QStringLiteral("640x480x%1bit").arg(bits)),
                    &QAction::triggered, this,
                    [this, &g, &q, bits] { Apply(g.preview.Ask(g, q.SelectedRow, bits)); });
        connect(mass, &QAction::triggered, this,
                [this, &app, &q] { RunMassEditor(app, this, q.SelectedRow); });

        count_ = Label(QString(), this);
        top->addWidget(count_);
        auto* buttons = new QHBoxLayout;
        go_ = Button(QStringLiteral("ГОБЛА!!!"), this);
        QFont f = go_->font();
        f.setBold(true);
        go_->setFont(f);
        auto* back = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        auto* help = Button(QStringLiteral("Помощь"), this);
        auto* how = Button(QStringLiteral("Как играть?"), this,
                           QStringLiteral("Вывод информации об управлении игрой"));
        auto* options = Button(QStringLiteral("Параметры >>"), this,
                               QStringLiteral("Настройка системных параметров ZVR"));
        for (QPushButton* b : {back, help, how, options, exit})
            buttons->addWidget(b);
        buttons->addStretch();
        buttons->addWidget(go_);
        top->addLayout(buttons);

        connect(go_, &QPushButton::clicked, this, [this, &g, &q] { Apply(q.Go(g)); });
        connect(back, &QPushButton::clicked, this, [this, &g, &q] { Apply(q.Back(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &q] { Apply(q.Exit(g)); });
        connect(help, &QPushButton::clicked, this, [&g, &q] { q.Help(g); });
        connect(how, &QPushButton::clicked, this, [&g, &q] { q.HowToPlay(g); });
        connect(options, &QPushButton::clicked, this, [this, &g, &q] { Apply(q.Options(g)); });
    }

    void Refresh() override {
        const screens::GameScreens& g = app_.Screens();
        const screens::QuickGameScreen& q = g.quick;
        for (int r = 0; r < screens::kRows; ++r) {
            const PlayerRow& p = q.rows[static_cast<std::size_t>(r)];
            Row& w = rows_[static_cast<std::size_t>(r)];
            w.take->setCheckState(p.take == 1   ? Qt::Checked
                                  : p.take == 2 ? Qt::PartiallyChecked
                                                : Qt::Unchecked);
            if (w.name->text() != Q(p.name)) w.name->setText(Q(p.name));
            w.model->setCurrentIndex(p.model);
            w.comp->setChecked(p.computer != 0);
            w.level->setCurrentIndex(p.level);
            w.level->setEnabled(p.computer != 0);
            w.pick->setEnabled(g.namesAvailable);
        }
        preview_->setEnabled(g.Available(ScreenId::Preview));
        SetText(count_, Q(q.PlayersLabel()));
        go_->setEnabled(q.GoEnabled());
    }

private:
    struct Row {
        QCheckBox* take = nullptr;
        QLineEdit* name = nullptr;
        QPushButton* pick = nullptr;
        QComboBox* model = nullptr;
        QCheckBox* comp = nullptr;
        QComboBox* level = nullptr;
        QPushButton* more = nullptr;
    };
    std::array<Row, screens::kRows> rows_{};
    QMenu* menu_ = nullptr;
    QMenu* preview_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* go_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeQuickGameWindow(GameApp& app) {
    return std::make_unique<QuickGameWindow>(app);
}

} // namespace kv
