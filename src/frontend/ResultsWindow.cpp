// The results window: the winner, the scores of the series and the way on.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class ResultsWindow : public ScreenWindow {
public:
    explicit ResultsWindow(GameApp& app) : ScreenWindow(app, ScreenId::Results) {
        setWindowTitle(QStringLiteral("Итоги Гоблы:"));
        screens::GameScreens& g = app.Screens();
        screens::ResultsScreen& r = g.results;
        auto* top = new QVBoxLayout(Panel());

        auto* head = new QGridLayout;
        status_ = Label(QString(), this);
        winner_ = Label(QString(), this);
        QFont f = winner_->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.5);
        winner_->setFont(f);
        head->addWidget(status_, 0, 0);
        head->addWidget(winner_, 0, 1);
        teamLabels_[0] = Label(QString(), this);
        teamLabels_[1] = Label(QString(), this);
        teamScores_[0] = Label(QString(), this);
        teamScores_[1] = Label(QString(), this);
        teamsCaption_ = Label(QStringLiteral("Очки команд за матч:"), this);
        head->addWidget(teamsCaption_, 1, 0, 1, 2);
        for (int i = 0; i < 2; ++i) {
            head->addWidget(teamLabels_[static_cast<std::size_t>(i)], 2 + i, 0);
            head->addWidget(teamScores_[static_cast<std::size_t>(i)], 2 + i, 1);
        }
        head->addWidget(Label(QStringLiteral("Гобла раунда:"), this), 4, 0);
        roundPlayer_ = Label(QString(), this);
        head->addWidget(roundPlayer_, 4, 1);
        head->addWidget(Label(QStringLiteral("Сбито Гобл:"), this), 5, 0);
        roundKnocked_ = Label(QString(), this);
        head->addWidget(roundKnocked_, 5, 1);
        top->addLayout(head);

        scoring_ = Named(new QGroupBox(QStringLiteral("Выберите систему подсчета очков:"), this),
                         QStringLiteral("Выберите систему подсчета очков:"));
        auto* sl = new QVBoxLayout(scoring_);
        auto* options = new QHBoxLayout;
        group_ = new QButtonGroup(this);
        for (int i = 0; i < 3; ++i) {
            auto* b = Radio(QString::fromUtf8(screens::kScoringCaptions[i]), this);
            group_->addButton(b, i);
            options->addWidget(b);
        }
        sl->addLayout(options);
        explain_ = Label(QString(), this);
        explain_->setWordWrap(true);
        sl->addWidget(explain_);
        auto* lists = new QHBoxLayout;
        auto list = [this, lists](const QString& title) {
            auto* col = new QVBoxLayout;
            col->addWidget(Label(title, this));
            auto* t = Named(new QTreeWidget(this), title);
            t->setColumnCount(2);
            t->setHeaderLabels({QStringLiteral("Очки"), QStringLiteral("Игрок")});
            t->setRootIsDecorated(false);
            t->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
            col->addWidget(t);
            lists->addLayout(col);
            return t;
        };
        totals_ = list(QStringLiteral("Очки игроков за матч"));
        round_ = list(QStringLiteral("Очки игроков за раунд"));
        sl->addLayout(lists);
        top->addWidget(scoring_);

        showOrder_ = Check(QStringLiteral("Показать порядок хода игроков"), this);
        order_ = Named(new QListWidget(this), QStringLiteral("Порядок хода игроков"));
        order_->setMaximumHeight(150);
        top->addWidget(showOrder_);
        top->addWidget(order_);

        // At a network table: its chat.
        chatBox_ = new QWidget(this);
        auto* chat = new QVBoxLayout(chatBox_);
        chat->setContentsMargins(0, 0, 0, 0);
        chat->addWidget(Label(QStringLiteral("Чат стола:"), chatBox_));
        chat_ = Named(new QListWidget(chatBox_), QStringLiteral("Чат стола:"));
        chat_->setMaximumHeight(110);
        chat->addWidget(chat_);
        auto* say = new QHBoxLayout;
        line_ = Named(new QLineEdit(chatBox_), QStringLiteral("Сообщение:"));
        auto* send = Button(QStringLiteral("Сказать"), chatBox_);
        say->addWidget(line_);
        say->addWidget(send);
        chat->addLayout(say);
        top->addWidget(chatBox_);
        screens::LobbyScreen& lobby = g.lobby;
        connect(line_, &QLineEdit::textChanged, this,
                [&lobby](const QString& t) { lobby.line = S(t); });
        auto sayIt = [this, &lobby] {
            lobby.Say();
            line_->clear();
        };
        connect(line_, &QLineEdit::returnPressed, this, sayIt);
        connect(send, &QPushButton::clicked, this, sayIt);

        // Two rows, so that the window fits a small screen: the files, then the way on.
        auto* files = new QHBoxLayout;
        auto* buttons = new QHBoxLayout;
        continue_ = Button(QStringLiteral("ПРОДОЛЖИТЬ ГОБЛУ!"), this);
        QFont bf = continue_->font();
        bf.setBold(true);
        continue_->setFont(bf);
        auto* back = Button(QStringLiteral("< Назад"), this);
        auto* opts = Button(QStringLiteral("Параметры >>"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        saveGame_ = Button(QStringLiteral("Сохранить игру как..."), this);
        saveReplay_ = Button(QStringLiteral("Сохранить повтор как..."), this);
        loadReplay_ = Button(QStringLiteral("Загрузить повтор..."), this);
        for (QPushButton* b : {saveGame_, saveReplay_, loadReplay_})
            files->addWidget(b);
        files->addStretch();
        for (QPushButton* b : {back, opts, exit})
            buttons->addWidget(b);
        buttons->addStretch();
        buttons->addWidget(continue_);
        top->addLayout(files);
        top->addLayout(buttons);

        connect(group_, &QButtonGroup::idToggled, this, [this, &app, &r](int i, bool on) {
            if (!on || r.scoring == static_cast<screens::Scoring>(i)) return;
            r.Select(app.State(), static_cast<screens::Scoring>(i));
            Refresh();
        });
        connect(showOrder_, &QCheckBox::toggled, this, [this, &r](bool on) {
            if (r.showTurnOrder == on) return;
            r.showTurnOrder = on;
            Refresh();
        });
        connect(continue_, &QPushButton::clicked, this, [this, &g, &r] { Apply(r.Continue(g)); });
        connect(back, &QPushButton::clicked, this, [this, &g, &r] { Apply(r.Back(g)); });
        connect(opts, &QPushButton::clicked, this, [this, &r] { Apply(r.Options()); });
        connect(exit, &QPushButton::clicked, this, [this, &r] { Apply(r.Exit()); });
        connect(saveGame_, &QPushButton::clicked, this, [&g, &r] { r.SaveGameAs(g); });
        connect(saveReplay_, &QPushButton::clicked, this, [&g, &r] { r.SaveReplayAs(g); });
        connect(loadReplay_, &QPushButton::clicked, this,
                [this, &g, &r] { Apply(r.LoadReplay(g)); });
    }

    void Refresh() override {
        const screens::ResultsScreen& r = app_.Screens().results;
        SetText(status_, Q(r.statusCaption));
        SetText(winner_, Q(r.winner));
        const std::array<std::string, 2> teams{r.team1, r.team2},
            scores{r.team1Score, r.team2Score};
        for (std::size_t i = 0; i < 2; ++i) {
            SetText(teamLabels_[i], Q(teams[i]));
            SetText(teamScores_[i], Q(scores[i]));
            teamLabels_[i]->setVisible(r.teamGame);
            teamScores_[i]->setVisible(r.teamGame);
            teamScores_[i]->setAccessibleName(Q(teams[i] + ": " + scores[i]));
        }
        teamsCaption_->setVisible(r.teamGame);
        scoring_->setVisible(!r.teamGame);
        SetText(roundPlayer_, Q(r.roundPlayer));
        SetText(roundKnocked_, Q(r.roundKnocked));
        if (QAbstractButton* b = group_->button(static_cast<int>(r.scoring))) b->setChecked(true);
        SetText(explain_, QString::fromUtf8(r.ScoringText()));
        Fill(totals_, r.totals);
        Fill(round_, r.round);
        showOrder_->setChecked(r.showTurnOrder);
        order_->setVisible(r.showTurnOrder);
        order_->clear();
        for (const std::string& n : r.turnOrder)
            order_->addItem(Q(n));
        continue_->setEnabled(r.continueEnabled);
        chatBox_->setVisible(r.atTable);
        const std::vector<std::string>& lines = app_.Screens().lobby.chat;
        const bool same =
            chat_->count() == static_cast<int>(lines.size()) &&
            (lines.empty() || chat_->item(chat_->count() - 1)->text() == Q(lines.back()));
        if (r.atTable && !same) {
            chat_->clear();
            for (const std::string& l : lines)
                chat_->addItem(Q(l));
            chat_->scrollToBottom();
        }
        saveGame_->setVisible(r.saveGameShown);
        saveReplay_->setEnabled(r.saveReplayEnabled);
        loadReplay_->setEnabled(r.loadReplayEnabled);
        if (r.continueEnabled) continue_->setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            Apply(app_.Screens().results.Back(app_.Screens()));
            return;
        }
        ScreenWindow::keyPressEvent(e);
    }

private:
    static void Fill(QTreeWidget* t, const std::vector<std::string>& lines) {
        t->clear();
        for (const std::string& l : lines) {
            const auto tab = l.find('\t');
            auto* item = new QTreeWidgetItem(
                t, {Q(l.substr(0, tab)), Q(tab == std::string::npos ? "" : l.substr(tab + 1))});
            item->setData(0, Qt::AccessibleTextRole, Q(l));
        }
    }

    QLabel* status_ = nullptr;
    QLabel* winner_ = nullptr;
    QLabel* teamsCaption_ = nullptr;
    std::array<QLabel*, 2> teamLabels_{}, teamScores_{};
    QLabel* roundPlayer_ = nullptr;
    QLabel* roundKnocked_ = nullptr;
    QGroupBox* scoring_ = nullptr;
    QButtonGroup* group_ = nullptr;
    QLabel* explain_ = nullptr;
    QTreeWidget* totals_ = nullptr;
    QTreeWidget* round_ = nullptr;
    QCheckBox* showOrder_ = nullptr;
    QListWidget* order_ = nullptr;
    QPushButton* continue_ = nullptr;
    QWidget* chatBox_ = nullptr;
    QListWidget* chat_ = nullptr;
    QLineEdit* line_ = nullptr;
    QPushButton* saveGame_ = nullptr;
    QPushButton* saveReplay_ = nullptr;
    QPushButton* loadReplay_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeResultsWindow(GameApp& app) {
    return std::make_unique<ResultsWindow>(app);
}

} // namespace kv
