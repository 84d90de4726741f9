// The club's emblem, scaled to the window, with its pop-up menu: printing
// and the maker's and the club's pages.
#include "frontend/GameApp.h"
#include "frontend/Picture.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::EmblemScreen;
using screens::ScreenId;
using namespace ui;

class EmblemWindow : public ScreenWindow {
public:
    explicit EmblemWindow(GameApp& app) : ScreenWindow(app, ScreenId::Emblem) {
        screens::GameScreens& g = app.Screens();
        setWindowTitle(Q(g.emblem.Caption(g)));
        auto* top = new QVBoxLayout(this);
        picture_ = Named(new Picture(this), QStringLiteral("Эмблема Гоблного Клуба"),
                         QStringLiteral("Правая кнопка мыши: печать и страницы в сети"));
        top->addWidget(picture_, 1);
        auto* buttons = new QHBoxLayout;
        QPushButton* close = Button(QString::fromUtf8(EmblemScreen::kClose), this);
        buttons->addStretch(1);
        buttons->addWidget(close);
        top->addLayout(buttons);

        menu_ = new QMenu(this);
        print_ = menu_->addAction(QString::fromUtf8(EmblemScreen::kPrint));
        menu_->addSeparator();
        QAction* maker = menu_->addAction(QString::fromUtf8(EmblemScreen::kMakerPage));
        QAction* club = menu_->addAction(QString::fromUtf8(EmblemScreen::kClubPage));
        connect(print_, &QAction::triggered, this, [this] { AskAndPrint(); });
        connect(maker, &QAction::triggered, this, [&g] { g.emblem.MakerPage(g); });
        connect(club, &QAction::triggered, this, [&g] { g.emblem.ClubPage(g); });
        connect(close, &QPushButton::clicked, this, [this, &g] { Apply(g.emblem.Close()); });
    }

    void Opened(ScreenId) override {
        screens::GameScreens& g = app_.Screens();
        // Read when shown: the menu has just made sure the file is there.
        picture_->SetPixmap(QPixmap(Q(g.emblem.Picture(g))));
    }

    void Refresh() override {}

    QMenu* Menu() const { return menu_; }

    bool Print(QPrinter& printer) {
        screens::GameScreens& g = app_.Screens();
        const QPixmap& pic = picture_->Pixmap();
        if (pic.isNull()) {
            g.emblem.PrintFailed(g, "Рисунок " + g.emblem.Picture(g) + " не загружен.");
            return false;
        }
        QPainter p;
        if (!p.begin(&printer)) {
            g.emblem.PrintFailed(g, "Принтер не готов к печати.");
            return false;
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
        p.drawPixmap(Picture::Fit(pic.size(), QRect(QPoint(0, 0), page.size())), pic);
        return p.end();
    }

protected:
    void contextMenuEvent(QContextMenuEvent* e) override { menu_->popup(e->globalPos()); }

private:
    void AskAndPrint() {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(
            QString::fromUtf8(EmblemScreen::kPrint).remove(QStringLiteral("...")));
        if (dialog.exec() == QDialog::Accepted) Print(printer);
    }

    Picture* picture_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* print_ = nullptr;
};

} // namespace

std::unique_ptr<ScreenWindow> MakeEmblemWindow(GameApp& app) {
    return std::make_unique<EmblemWindow>(app);
}

bool PrintEmblem(QWidget* emblemWindow, QPrinter& printer) {
    auto* w = dynamic_cast<EmblemWindow*>(emblemWindow);
    return w != nullptr && w->Print(printer);
}

} // namespace kv
