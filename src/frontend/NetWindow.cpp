// The network screen's window: the name, the tables heard, an address, and
// the ways to a table.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::Next;
using screens::ScreenId;
using namespace ui;

class NetWindow : public ScreenWindow {
public:
    explicit NetWindow(GameApp& app) : ScreenWindow(app, ScreenId::Net) {
        setWindowTitle(Q(app.Setup().appTitle + ": сетевая игра"));
        screens::GameScreens& g = app.Screens();
        screens::NetScreen& n = g.net;
        auto* top = new QVBoxLayout(Panel());
        auto* form = new QFormLayout;
        name_ = Named(new QLineEdit(this), QStringLiteral("Ваше имя:"));
        form->addRow(Label(QStringLiteral("Ваше имя:"), this), name_);
        port_ = Named(new QLineEdit(this), QStringLiteral("Порт стола:"),
                      QStringLiteral("Порт, на котором ваш стол ждёт игроков"));
        form->addRow(Label(QStringLiteral("Порт стола:"), this), port_);
        top->addLayout(form);

        top->addWidget(Label(QStringLiteral("Столы в локальной сети:"), this));
        tables_ = Named(new QListWidget(this), QStringLiteral("Столы в локальной сети:"),
                        QStringLiteral("Название стола — хозяин, игроков/мест, версия игры"));
        top->addWidget(tables_);
        auto* form2 = new QFormLayout;
        address_ =
            Named(new QLineEdit(this), QStringLiteral("Адрес стола:"),
                  QStringLiteral("хост:порт, например 192.168.1.5:27415 (без порта — 27415)"));
        form2->addRow(Label(QStringLiteral("Адрес стола:"), this), address_);
        password_ = Named(new QLineEdit(this), QStringLiteral("Пароль стола:"));
        password_->setEchoMode(QLineEdit::Password);
        form2->addRow(Label(QStringLiteral("Пароль стола:"), this), password_);
        top->addLayout(form2);
        watch_ = Check(QStringLiteral("Только смотреть"), this,
                       QStringLiteral("Сесть зрителем: без места, но с чатом"));
        top->addWidget(watch_);

        auto* buttons = new QHBoxLayout;
        auto* back = Button(QStringLiteral("< Назад"), this);
        auto* exit = Button(QStringLiteral("Выход"), this);
        auto* host = Button(QStringLiteral("Создать стол"), this,
                            QStringLiteral("Открыть свой стол, за который сядут другие"));
        join_ = Button(QStringLiteral("Присоединиться"), this,
                       QStringLiteral("Сесть за выбранный стол или стол по адресу"));
        rejoin_ = Button(QStringLiteral("Вернуться за стол"), this);
        for (QPushButton* b : {back, exit})
            buttons->addWidget(b);
        buttons->addStretch();
        buttons->addWidget(rejoin_);
        buttons->addWidget(host);
        buttons->addWidget(join_);
        top->addLayout(buttons);

        connect(name_, &QLineEdit::textChanged, this, [&n](const QString& t) { n.name = S(t); });
        connect(port_, &QLineEdit::textChanged, this, [&n](const QString& t) { n.port = S(t); });
        connect(address_, &QLineEdit::textChanged, this,
                [&n](const QString& t) { n.address = S(t); });
        connect(password_, &QLineEdit::textChanged, this,
                [&n](const QString& t) { n.password = S(t); });
        connect(watch_, &QCheckBox::toggled, this, [&n](bool on) { n.spectator = on; });
        connect(tables_, &QListWidget::itemSelectionChanged, this, [this, &n] {
            if (filling_) return;
            n.Select(SelectedRow(tables_));
            Refresh();
        });
        connect(tables_, &QListWidget::itemDoubleClicked, this,
                [this, &g, &n](QListWidgetItem*) { Apply(n.Join(g)); });
        connect(host, &QPushButton::clicked, this, [this, &g, &n] { Apply(n.Host(g)); });
        connect(join_, &QPushButton::clicked, this, [this, &g, &n] { Apply(n.Join(g)); });
        connect(rejoin_, &QPushButton::clicked, this, [this, &g, &n] { Apply(n.Rejoin(g)); });
        connect(back, &QPushButton::clicked, this, [this, &g, &n] { Apply(n.Back(g)); });
        connect(exit, &QPushButton::clicked, this, [this, &g, &n] { Apply(n.Exit(g)); });
        resize(640, 440);
    }

    void Refresh() override {
        const screens::NetScreen& n = app_.Screens().net;
        Set(name_, n.name);
        Set(port_, n.port);
        Set(address_, n.address);
        Set(password_, n.password);
        watch_->setChecked(n.spectator);
        rejoin_->setEnabled(n.seat.has_value());
        rejoin_->setToolTip(Q(n.RejoinHint()));
        const std::vector<std::string> lines = n.TableLines();
        // The list is filled anew only when it changed: the selection stays.
        bool same = tables_->count() == static_cast<int>(lines.size());
        for (int i = 0; same && i < tables_->count(); ++i)
            same = tables_->item(i)->text() == Q(lines[static_cast<std::size_t>(i)]);
        filling_ = true;
        if (!same) {
            tables_->clear();
            for (const std::string& l : lines)
                tables_->addItem(Q(l));
        }
        if (n.selected >= 0 && n.selected < tables_->count()) {
            if (SelectedRow(tables_) != n.selected) tables_->setCurrentRow(n.selected);
        } else {
            tables_->clearSelection();
        }
        filling_ = false;
    }

private:
    static void Set(QLineEdit* e, const std::string& s) {
        if (e->text() != Q(s)) e->setText(Q(s));
    }

    QLineEdit* name_ = nullptr;
    QLineEdit* port_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* watch_ = nullptr;
    QListWidget* tables_ = nullptr;
    QPushButton* join_ = nullptr;
    QPushButton* rejoin_ = nullptr;
    bool filling_ = false;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeNetWindow(GameApp& app) {
    return std::make_unique<NetWindow>(app);
}

} // namespace kv
