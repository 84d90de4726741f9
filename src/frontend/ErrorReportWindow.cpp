// The error report window, beside the main menu: the report to write and
// the error log to read.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::Next;
using screens::ScreenId;
using namespace ui;

class ErrorReportWindow : public ScreenWindow {
public:
    explicit ErrorReportWindow(GameApp& app) : ScreenWindow(app, ScreenId::ErrorReport) {
        setWindowTitle(QStringLiteral("Отчет об ошибке"));
        screens::GameScreens& g = app.Screens();
        screens::ErrorReport& r = g.report;
        auto* top = new QVBoxLayout(this);
        title_ = Label(QString(), this);
        QFont f = title_->font();
        f.setBold(true);
        title_->setFont(f);
        top->addWidget(title_);
        auto* grid = new QGridLayout;
        grid->addWidget(Label(QStringLiteral("Версия программы:"), this), 0, 0);
        version_ = Label(QString(), this);
        grid->addWidget(version_, 0, 1);
        grid->addWidget(Label(QStringLiteral("Дата выпуска: "), this), 1, 0);
        grid->addWidget(Label(QString(), this), 1, 1);
        grid->setColumnStretch(1, 1);
        top->addLayout(grid);
        auto* tabs = new QTabWidget(this);
        text_ = Named(new QPlainTextEdit(this), QStringLiteral("Описание ошибки"));
        log_ = Named(new QPlainTextEdit(this), QStringLiteral("Журнал ошибок"));
        log_->setReadOnly(true);
        tabs->addTab(text_, QStringLiteral("Описание ошибки"));
        tabs->addTab(log_, QStringLiteral("Журнал ошибок"));
        top->addWidget(tabs, 1);
        auto* buttons = new QHBoxLayout;
        auto* save = Button(QStringLiteral("&Сохранить и свернуть это окно"), this);
        auto* close = Button(QStringLiteral("&Закрыть"), this);
        buttons->addStretch();
        buttons->addWidget(save);
        buttons->addWidget(close);
        top->addLayout(buttons);
        resize(560, 420);

        connect(text_, &QPlainTextEdit::textChanged, this, [this, &r] {
            r.Edit(S(text_->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"))));
        });
        connect(save, &QPushButton::clicked, this, [this, &g, &r] {
            app_.Dialogs().SetBusy(true);
            const bool saved = r.Save(g);
            app_.Dialogs().SetBusy(false);
            if (saved) showMinimized();
        });
        connect(close, &QPushButton::clicked, this, [this] { this->close(); });
    }

    void Refresh() override {
        const screens::ErrorReport& r = app_.Screens().report;
        SetText(title_, Q(r.title));
        SetText(version_, Q(r.version));
        const QString text = Lines(r.text);
        if (text_->toPlainText() != text) {
            const QSignalBlocker b(text_);
            text_->setPlainText(text);
        }
        log_->setPlainText(Lines(r.log));
    }

private:
    QLabel* title_ = nullptr;
    QLabel* version_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeErrorReportWindow(GameApp& app) {
    return std::make_unique<ErrorReportWindow>(app);
}

} // namespace kv
