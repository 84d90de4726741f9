// The chronicle's two windows: the periods with their texts, and one
// period's events, each typed into its box on the model's typing timer.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

// Shows what is typed so far, the caret at its end, and runs the timer while
// the model wants more characters.
void ShowTyped(QTextEdit* box, QTimer& timer, const screens::Typewriter& t) {
    if (box->toPlainText() != Lines(t.typed)) {
        box->setPlainText(Lines(t.typed));
        box->moveCursor(QTextCursor::End);
    }
    if (t.timer && !timer.isActive()) timer.start();
    if (!t.timer) timer.stop();
}

QTextEdit* TextBox(const QString& name, QWidget* parent) {
    auto* box = Named(new QTextEdit(parent), name);
    box->setReadOnly(true);
    box->setMinimumSize(360, 200);
    return box;
}

QPushButton* Link(const QString& caption, QWidget* parent) {
    QPushButton* b = Button(caption, parent);
    b->setFlat(true);
    b->setStyleSheet(QStringLiteral("color: #2050c0; text-decoration: underline;"));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

class ChronicleWindow : public ScreenWindow {
public:
    explicit ChronicleWindow(GameApp& app) : ScreenWindow(app, ScreenId::Chronicle) {
        screens::GameScreens& g = app.Screens();
        screens::ChronicleScreen& c = g.chronicle;
        auto* top = new QVBoxLayout(this);
        auto* body = new QHBoxLayout;
        list_ = Named(new QListWidget(this), QStringLiteral("Периоды"));
        for (int p = 0; p < screens::kPeriods; ++p)
            list_->addItem(QString::fromUtf8(screens::ChronicleScreen::PeriodName(p)));
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        body->addWidget(list_);
        auto* right = new QVBoxLayout;
        box_ = TextBox(QStringLiteral("Текст периода"), this);
        right->addWidget(box_, 1);
        whole_ = Check(QStringLiteral("Показывать текст целиком"), this);
        right->addWidget(whole_);
        body->addLayout(right, 1);
        top->addLayout(body, 1);

        auto* variants = new QHBoxLayout;
        variants->addWidget(Label(QStringLiteral("Варианты игры:"), this));
        for (int i = 0; i < 3; ++i) {
            QPushButton* v =
                Link(QString::fromUtf8(screens::ChronicleScreen::VariantCaption(i)), this);
            variants->addWidget(v);
            connect(v, &QPushButton::clicked, this, [&g, &c, i] { c.Variant(g, i); });
        }
        variants->addStretch(1);
        QPushButton* club = Link(QStringLiteral("Гоблный Клуб"), this);
        variants->addWidget(club);
        top->addLayout(variants);

        auto* buttons = new QHBoxLayout;
        QPushButton* details = Button(QStringLiteral("Подробнее..."), this);
        QPushButton* links = Button(QStringLiteral("Ссылки"), this);
        QPushButton* voc = Button(QStringLiteral("Словарь"), this);
        QPushButton* help = Button(QStringLiteral("Помощь"), this);
        QPushButton* back = Button(QStringLiteral("< Назад"), this);
        QPushButton* exit = Button(QStringLiteral("Выход"), this);
        for (QPushButton* b : {details, links, voc, help, back, exit})
            buttons->addWidget(b);
        top->addLayout(buttons);

        connect(list_, &QListWidget::itemSelectionChanged, this, [this, &c] {
            const int row = SelectedRow(list_);
            if (row < 0 || row == c.selected) return;
            c.Select(row);
            Refresh();
        });
        connect(list_, &QListWidget::itemClicked, this, [this, &c](QListWidgetItem* item) {
            c.Select(list_->row(item)); // a click on the shown period types it again
            Refresh();
        });
        connect(whole_, &QCheckBox::toggled, this, [this, &c](bool on) {
            c.SetWholeText(on);
            Refresh();
        });
        connect(details, &QPushButton::clicked, this, [this, &g, &c] { Apply(c.Details(g)); });
        connect(links, &QPushButton::clicked, this, [&g, &c] { c.Links(g); });
        connect(voc, &QPushButton::clicked, this, [&g, &c] { c.Vocabulary(g); });
        connect(help, &QPushButton::clicked, this, [&g, &c] { c.Help(g); });
        connect(club, &QPushButton::clicked, this, [&g, &c] { c.ClubPage(g); });
        connect(back, &QPushButton::clicked, this, [this, &c] { Apply(c.Back()); });
        connect(exit, &QPushButton::clicked, this, [this, &c] { Apply(c.Exit()); });
        typing_.setInterval(screens::Typewriter::kTypingMs);
        connect(&typing_, &QTimer::timeout, this, [this, &c] {
            c.box.Tick();
            ShowTyped(box_, typing_, c.box);
        });
    }

    void Opened(ScreenId from) override {
        app_.Screens().chronicle.Shown(app_.Screens(), from);
        Refresh();
    }

    void Refresh() override {
        const screens::ChronicleScreen& c = app_.Screens().chronicle;
        if (!c.caption.empty()) setWindowTitle(Q(c.caption));
        if (SelectedRow(list_) != c.selected || list_->currentRow() != c.selected) {
            const QSignalBlocker block(list_);
            list_->setCurrentRow(c.selected);
        }
        if (whole_->isChecked() != c.wholeText) {
            const QSignalBlocker block(whole_);
            whole_->setChecked(c.wholeText);
        }
        ShowTyped(box_, typing_, c.box);
    }

protected:
    void hideEvent(QHideEvent* e) override {
        typing_.stop();
        ScreenWindow::hideEvent(e);
    }

private:
    QListWidget* list_ = nullptr;
    QTextEdit* box_ = nullptr;
    QCheckBox* whole_ = nullptr;
    QTimer typing_;
};

class ChronicleEventsWindow : public ScreenWindow {
public:
    explicit ChronicleEventsWindow(GameApp& app) : ScreenWindow(app, ScreenId::ChronicleEvents) {
        screens::GameScreens& g = app.Screens();
        screens::ChronicleEventsScreen& e = g.events;
        auto* top = new QVBoxLayout(this);
        date_ = Label(QString(), this);
        QFont f = date_->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.3);
        date_->setFont(f);
        top->addWidget(date_);
        list_ = Named(new QListWidget(this), QStringLiteral("События"));
        list_->setSelectionMode(QAbstractItemView::SingleSelection);
        list_->setMouseTracking(true);
        top->addWidget(list_, 1);
        tip_ = Label(QStringLiteral("Выберите событие, чтобы прочитать о нем."), this);
        top->addWidget(tip_);
        box_ = TextBox(QStringLiteral("Описание события"), this);
        top->addWidget(box_, 1);
        whole_ = Check(QStringLiteral("Показывать текст целиком"), this);
        top->addWidget(whole_);
        auto* arrows = new QHBoxLayout;
        toList_ = Button(QStringLiteral("К списку"), this);
        prev_ = Button(QStringLiteral("< Предыдущее"), this);
        next_ = Button(QStringLiteral("Следующее >"), this);
        arrows->addWidget(toList_);
        arrows->addStretch(1);
        arrows->addWidget(prev_);
        arrows->addWidget(next_);
        top->addLayout(arrows);
        auto* buttons = new QHBoxLayout;
        QPushButton* back = Button(QStringLiteral("< Назад"), this);
        QPushButton* exit = Button(QStringLiteral("Выход"), this);
        buttons->addWidget(back);
        buttons->addStretch(1);
        buttons->addWidget(exit);
        top->addLayout(buttons);

        connect(list_, &QListWidget::itemSelectionChanged, this, [this, &e] {
            const int row = SelectedRow(list_);
            if (row < 0 || (row == e.selected && e.showingEvent)) return;
            e.Select(row);
            Refresh();
        });
        connect(list_, &QListWidget::itemEntered, this, [this, &e](QListWidgetItem* item) {
            list_->setToolTip(Q(e.Tip(list_->row(item))));
        });
        connect(whole_, &QCheckBox::toggled, this, [this, &e](bool on) {
            e.SetWholeText(on);
            Refresh();
        });
        connect(toList_, &QPushButton::clicked, this, [this, &e] {
            e.ToList();
            Refresh();
        });
        connect(prev_, &QPushButton::clicked, this, [this, &g, &e] {
            e.PreviousEvent(g);
            Refresh();
        });
        connect(next_, &QPushButton::clicked, this, [this, &g, &e] {
            g.s.dialogs.SetBusy(true);
            e.NextEvent(g);
            g.s.dialogs.SetBusy(false);
            Refresh();
        });
        connect(back, &QPushButton::clicked, this, [this, &e] { Apply(e.Back()); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &e] { Apply(e.Exit(g)); });
        typing_.setInterval(screens::Typewriter::kTypingMs);
        connect(&typing_, &QTimer::timeout, this, [this, &e] {
            e.box.Tick();
            ShowTyped(box_, typing_, e.box);
        });
    }

    void Opened(ScreenId from) override {
        if (!screens::ChronicleEventsScreen::NewList(from)) return;
        const screens::ChronicleEventsScreen& e = app_.Screens().events;
        const QSignalBlocker block(list_);
        list_->clear();
        for (const screens::ChronicleEvent& ev : e.events)
            list_->addItem(Q(ev.title));
        Refresh();
    }

    void Refresh() override {
        const screens::ChronicleEventsScreen& e = app_.Screens().events;
        if (!e.caption.empty()) setWindowTitle(Q(e.caption));
        SetText(date_, Q(e.dateLabel));
        list_->setVisible(!e.showingEvent);
        tip_->setVisible(!e.showingEvent);
        for (QWidget* w : {static_cast<QWidget*>(box_), static_cast<QWidget*>(whole_),
                           static_cast<QWidget*>(toList_), static_cast<QWidget*>(prev_),
                           static_cast<QWidget*>(next_)})
            w->setVisible(e.showingEvent);
        {
            // Back at the list nothing is selected, so that any entry can be chosen again.
            const QSignalBlocker block(list_);
            if (!e.showingEvent)
                list_->clearSelection();
            else if (SelectedRow(list_) != e.selected)
                list_->setCurrentRow(e.selected);
        }
        if (whole_->isChecked() != e.wholeText) {
            const QSignalBlocker block(whole_);
            whole_->setChecked(e.wholeText);
        }
        ShowTyped(box_, typing_, e.box);
    }

protected:
    void hideEvent(QHideEvent* ev) override {
        typing_.stop();
        ScreenWindow::hideEvent(ev);
    }

private:
    QLabel* date_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* tip_ = nullptr;
    QTextEdit* box_ = nullptr;
    QCheckBox* whole_ = nullptr;
    QPushButton* toList_ = nullptr;
    QPushButton* prev_ = nullptr;
    QPushButton* next_ = nullptr;
    QTimer typing_;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeChronicleWindow(GameApp& app) {
    return std::make_unique<ChronicleWindow>(app);
}

std::unique_ptr<ScreenWindow> MakeChronicleEventsWindow(GameApp& app) {
    return std::make_unique<ChronicleEventsWindow>(app);
}

} // namespace kv
