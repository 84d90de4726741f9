// The windows around the match, shown by the real front end: every control
// says what it is to the accessibility interface, and the controls follow
// their models (enabled states, texts).
#include "frontend/Windows.h"
#include "frontend/GameApp.h"
#include "frontend/Widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrinter>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace kv;
using screens::ScreenId;

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* d = std::getenv("DISPLAY");
        if (d == nullptr || *d == 0) GTEST_SKIP() << "нужен дисплей с OpenGL (xvfb-run)";
        static QApplication* app = [] {
            setenv("ALSOFT_DRIVERS", "null", 1);
            static int argc = 1;
            static char name[] = "kv-windows-test";
            static char* argv[] = {name, nullptr};
            auto* a = new QApplication(argc, argv);
            QApplication::setQuitOnLastWindowClosed(false);
            return a;
        }();
        (void)app;
        char tmpl[] = "/tmp/kvwinXXXXXX";
        dir_ = std::string(mkdtemp(tmpl)) + "/";
        game_ = std::make_unique<GameApp>(
            GameAppSetup{KV_SOURCE_DATADIR "/", dir_, "Kvelmar II: Zantor Билд1408"});
        game_->Start();
        // The slide show comes first; a key skips it.
        QWidget* splash = game_->Window(ScreenId::Splash);
        if (splash->isVisible()) QTest::keyClick(splash, Qt::Key_Space);
    }
    void TearDown() override {
        game_.reset();
        std::filesystem::remove_all(dir_);
    }
    QAbstractButton* ButtonIn(ScreenId id, const QString& caption) {
        for (auto* b : game_->Window(id)->findChildren<QAbstractButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    std::string dir_;
    std::unique_ptr<GameApp> game_;
};

TEST_F(WindowsTest, EveryControlCarriesItsCaptionAsItsAccessibleName) {
    for (ScreenId id : {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options,
                        ScreenId::Results, ScreenId::Splash, ScreenId::Chronicle,
                        ScreenId::ChronicleEvents, ScreenId::About, ScreenId::Emblem}) {
        QWidget* w = game_->Window(id);
        ASSERT_NE(w, nullptr);
        for (auto* b : w->findChildren<QAbstractButton*>()) {
            if (b->text().isEmpty()) continue;
            EXPECT_EQ(b->accessibleName(), QString(b->text()).remove('&'))
                << b->text().toStdString();
        }
        for (auto* e : w->findChildren<QLineEdit*>())
            EXPECT_FALSE(e->accessibleName().isEmpty());
        for (auto* c : w->findChildren<QComboBox*>())
            EXPECT_FALSE(c->accessibleName().isEmpty());
    }
}

TEST_F(WindowsTest, ControlsFollowTheirModels) {
    QWidget* menu = game_->Window(ScreenId::MainMenu);
    ASSERT_TRUE(menu->isVisible());
    // Screens the front end does not have are never a button that does nothing.
    for (const char* c : {"Командная игра"}) {
        QAbstractButton* b = ButtonIn(ScreenId::MainMenu, QString::fromUtf8(c));
        ASSERT_NE(b, nullptr) << c;
        EXPECT_FALSE(b->isEnabled()) << c;
    }
    QTest::mouseClick(ButtonIn(ScreenId::MainMenu, QStringLiteral("Быстрая игра")), Qt::LeftButton);
    QWidget* quick = game_->Window(ScreenId::QuickGame);
    ASSERT_TRUE(quick->isVisible());
    EXPECT_FALSE(menu->isVisible()) << "the quick game takes the menu's place";
    QAbstractButton* go = ButtonIn(ScreenId::QuickGame, QStringLiteral("ГОБЛА!!!"));
    ASSERT_NE(go, nullptr);
    EXPECT_TRUE(go->isEnabled());
    // Untick the second player: one is no match.
    int takes = 0;
    for (auto* b : quick->findChildren<QAbstractButton*>())
        if (b->text() == QStringLiteral("Играет:") && ++takes == 2) b->click();
    EXPECT_FALSE(go->isEnabled());
    bool counted = false;
    for (auto* l : quick->findChildren<QLabel*>())
        counted = counted || l->text() == QStringLiteral("Играет игроков: 1");
    EXPECT_TRUE(counted);
}

// The program opens on the slide show; a key skips it once, and the menu can
// play it again without starting the program anew.
TEST_F(WindowsTest, TheSlideShowComesFirstAndHandsOverOnce) {
    QWidget* splash = game_->Window(ScreenId::Splash);
    QWidget* menu = game_->Window(ScreenId::MainMenu);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(game_->State().HelpText.empty());
    int menus = 0;
    QObject::connect(game_.get(), &GameApp::Shown,
                     [&menus](int s) { menus += s == static_cast<int>(ScreenId::MainMenu); });
    QTest::mouseClick(ButtonIn(ScreenId::MainMenu, QStringLiteral("Заставка")), Qt::LeftButton);
    ASSERT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->windowTitle(), QStringLiteral("Добро пожаловать в игру Kvelmar II !"));
    EXPECT_FALSE(menu->isVisible());
    QTest::keyClick(splash, Qt::Key_Escape);
    QTest::keyClick(splash, Qt::Key_Space);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(menus, 1);
}

QListWidget* ListNamed(QWidget* w, const QString& name) {
    for (auto* l : w->findChildren<QListWidget*>())
        if (l->accessibleName() == name) return l;
    return nullptr;
}
QTextEdit* BoxNamed(QWidget* w, const QString& name) {
    for (auto* t : w->findChildren<QTextEdit*>())
        if (t->accessibleName() == name) return t;
    return nullptr;
}

TEST_F(WindowsTest, TheChronicleShowsAPeriodsEventWithItsOwnDescription) {
    QTest::mouseClick(ButtonIn(ScreenId::MainMenu, QStringLiteral("Хроника")), Qt::LeftButton);
    QWidget* periods = game_->Window(ScreenId::Chronicle);
    ASSERT_TRUE(periods->isVisible());
    EXPECT_TRUE(periods->windowTitle().endsWith(QStringLiteral(": Хроника Гоблы")));
    QListWidget* list = ListNamed(periods, QStringLiteral("Периоды"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 6);
    list->item(2)->setSelected(true);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return BoxNamed(periods, QStringLiteral("Текст периода"))->toPlainText().size() > 20;
        },
        5000))
        << "the period's text is typed";
    QTest::mouseClick(ButtonIn(ScreenId::Chronicle, QStringLiteral("Подробнее...")),
                      Qt::LeftButton);
    QWidget* events = game_->Window(ScreenId::ChronicleEvents);
    ASSERT_TRUE(events->isVisible());
    EXPECT_FALSE(periods->isVisible());
    EXPECT_EQ(events->windowTitle(), QStringLiteral("Хроника Гоблы: Годы турниров (1973–1987)"));
    QListWidget* entries = ListNamed(events, QStringLiteral("События"));
    ASSERT_NE(entries, nullptr);
    ASSERT_GE(entries->count(), 8);
    for (auto* c : events->findChildren<QCheckBox*>())
        c->setChecked(true); // the whole text at once
    const auto& model = game_->Screens().events;
    QTextEdit* box = BoxNamed(events, QStringLiteral("Описание события"));
    for (int i : {5, 1}) {
        entries->item(i)->setSelected(true);
        EXPECT_FALSE(entries->isVisible());
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->toPlainText(),
                  ui::Lines(model.events[static_cast<std::size_t>(i)].description));
        EXPECT_FALSE(box->toPlainText().isEmpty());
        QTest::mouseClick(ButtonIn(ScreenId::ChronicleEvents, QStringLiteral("К списку")),
                          Qt::LeftButton);
        EXPECT_TRUE(entries->isVisible());
    }
    QTest::mouseClick(ButtonIn(ScreenId::ChronicleEvents, QStringLiteral("< Назад")),
                      Qt::LeftButton);
    EXPECT_TRUE(periods->isVisible()) << "back to the periods, not to the menu";
    EXPECT_EQ(ListNamed(periods, QStringLiteral("Периоды"))->currentRow(), 2);
    QTest::mouseClick(ButtonIn(ScreenId::Chronicle, QStringLiteral("< Назад")), Qt::LeftButton);
    EXPECT_TRUE(game_->Window(ScreenId::MainMenu)->isVisible());
}

TEST_F(WindowsTest, AboutBoxAndEmblemWindowOpenAndCloseToTheMenuAndTheEmblemPrints) {
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.About(g), ScreenId::MainMenu);
    QWidget* about = game_->Window(ScreenId::About);
    ASSERT_TRUE(about->isVisible());
    QTextEdit* credits = BoxNamed(about, QStringLiteral("Авторы"));
    ASSERT_NE(credits, nullptr);
    EXPECT_TRUE(credits->toPlainText().contains(QStringLiteral("Orvelsoft")));
    QTest::mouseClick(ButtonIn(ScreenId::About, QStringLiteral("Закрыть")), Qt::LeftButton);
    EXPECT_TRUE(game_->Window(ScreenId::MainMenu)->isVisible());

    game_->Apply(g.menu.Emblem(g), ScreenId::MainMenu);
    QWidget* emblem = game_->Window(ScreenId::Emblem);
    ASSERT_TRUE(emblem->isVisible());
    QStringList items;
    for (auto* m : emblem->findChildren<QMenu*>())
        for (QAction* a : m->actions())
            items << a->text();
    EXPECT_TRUE(items.contains(QStringLiteral("Печать...")));
    EXPECT_GE(items.size(), 3);

    const QString pdf = QString::fromStdString(dir_ + "emblem.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(PrintEmblem(emblem, printer));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GT(bytes.size(), 10000) << "the picture is in it";
    emblem->close();
    EXPECT_TRUE(game_->Window(ScreenId::MainMenu)->isVisible()) << "closing it keeps the game";
}

} // namespace
