// The about box: the title, the credits and the maker's page.
#include "frontend/GameApp.h"
#include "frontend/Picture.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"

#include <QHBoxLayout>
#include <QTextEdit>
#include <QVBoxLayout>

namespace kv {

namespace {

using screens::ScreenId;
using namespace ui;

class AboutWindow : public ScreenWindow {
public:
    explicit AboutWindow(GameApp& app) : ScreenWindow(app, ScreenId::About) {
        screens::GameScreens& g = app.Screens();
        setWindowTitle(Q(g.about.Caption(g)));
        auto* top = new QVBoxLayout(this);
        auto* head = new QHBoxLayout;
        auto* emblem = new Picture(this);
        emblem->SetPixmap(QPixmap(Q(app.Setup().dataDir + "pic/smallgerb.gif")));
        emblem->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        head->addWidget(emblem);
        auto* title = Label(Q(app.Setup().appTitle), this);
        QFont f = title->font();
        f.setPointSizeF(f.pointSizeF() * 1.6);
        f.setBold(true);
        title->setFont(f);
        head->addWidget(title, 1);
        top->addLayout(head);
        auto* credits = Named(new QTextEdit(this), QStringLiteral("Авторы"));
        credits->setReadOnly(true);
        credits->setPlainText(Lines(screens::AboutScreen::Credits()));
        credits->setMinimumSize(420, 260);
        top->addWidget(credits, 1);
        auto* buttons = new QHBoxLayout;
        QPushButton* maker = Button(QStringLiteral("Orvelsoft в сети"), this);
        maker->setFlat(true);
        maker->setStyleSheet(QStringLiteral("color: #2050c0; text-decoration: underline;"));
        maker->setCursor(Qt::PointingHandCursor);
        QPushButton* close = Button(QStringLiteral("Закрыть"), this);
        close->setDefault(true);
        buttons->addWidget(maker);
        buttons->addStretch(1);
        buttons->addWidget(close);
        top->addLayout(buttons);
        connect(maker, &QPushButton::clicked, this, [&g] { g.about.MakerPage(g); });
        connect(close, &QPushButton::clicked, this, [this, &g] { Apply(g.about.Close()); });
    }

    void Refresh() override {}
};

} // namespace

std::unique_ptr<ScreenWindow> MakeAboutWindow(GameApp& app) {
    return std::make_unique<AboutWindow>(app);
}

} // namespace kv
