// The windows around the match, shown by the real front end: every control
// says what it is to the accessibility interface, and the controls follow
// their models (enabled states, texts).
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"
#include "persistence/Text.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QOpenGLWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

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
    for (ScreenId id :
         {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results,
          ScreenId::Teams, ScreenId::NewTeam, ScreenId::LoadBrowser, ScreenId::ErrorReport,
          ScreenId::Preview, ScreenId::Splash, ScreenId::Chronicle, ScreenId::ChronicleEvents,
          ScreenId::About, ScreenId::Emblem, ScreenId::Net, ScreenId::NetLobby}) {
        QWidget* w = game_->Window(id);
        ASSERT_NE(w, nullptr);
        for (auto* b : w->findChildren<QAbstractButton*>()) {
            if (b->text().isEmpty()) continue;
            EXPECT_EQ(b->accessibleName(), QString(b->text()).remove('&'))
                << b->text().toStdString();
        }
        for (auto* e : w->findChildren<QLineEdit*>()) // a spin box's own is named by the box
            if (!qobject_cast<QAbstractSpinBox*>(e->parentWidget())) {
                EXPECT_FALSE(e->accessibleName().isEmpty());
            }
        for (auto* c : w->findChildren<QComboBox*>())
            EXPECT_FALSE(c->accessibleName().isEmpty());
        for (auto* s : w->findChildren<QAbstractSpinBox*>())
            EXPECT_FALSE(s->accessibleName().isEmpty());
    }
}

TEST_F(WindowsTest, ControlsFollowTheirModels) {
    QWidget* menu = game_->Window(ScreenId::MainMenu);
    ASSERT_TRUE(menu->isVisible());
    // Every screen exists: no button of the menu is left disabled.
    for (const char* c : {"Быстрая игра", "Командная игра", "Загрузить", "Параметры", "Хроника",
                          "Заставка", "Справка", "Сетевая игра"}) {
        QAbstractButton* b = ButtonIn(ScreenId::MainMenu, QString::fromUtf8(c));
        ASSERT_NE(b, nullptr) << c;
        EXPECT_TRUE(b->isEnabled()) << c;
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

TEST_F(WindowsTest, ATeamIsMadeThroughTheTeamWindows) {
    QTest::mouseClick(ButtonIn(ScreenId::MainMenu, QStringLiteral("Командная игра")),
                      Qt::LeftButton);
    QWidget* teams = game_->Window(ScreenId::Teams);
    ASSERT_TRUE(teams->isVisible());
    QTest::mouseClick(ButtonIn(ScreenId::Teams, QStringLiteral("Создать...")), Qt::LeftButton);
    QWidget* make = game_->Window(ScreenId::NewTeam);
    ASSERT_TRUE(make->isVisible());
    EXPECT_EQ(make->windowTitle(), QStringLiteral("Создание новой команды"));
    QLineEdit* name = make->findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Команда1"));
    name->setText(QStringLiteral("Лесные"));
    QTest::mouseClick(ButtonIn(ScreenId::NewTeam, QStringLiteral("Создать")), Qt::LeftButton);
    ASSERT_TRUE(teams->isVisible());
    auto* list = teams->findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Лесные"));
}

TEST_F(WindowsTest, TheLoadBrowserShowsNamesAsTheyAreOnDisk) {
    std::ofstream(dir_ + "Партия у окна.zvr") << "[general]\r\n";
    std::ofstream(dir_ + "replay1.sav") << "[general]\r\n";
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.LoadGame(g), ScreenId::MainMenu);
    QWidget* b = game_->Window(ScreenId::LoadBrowser);
    ASSERT_TRUE(b->isVisible());
    EXPECT_TRUE(b->windowTitle().endsWith(QStringLiteral(": загрузка игры")));
    QListWidget* files = nullptr;
    for (auto* l : b->findChildren<QListWidget*>())
        if (l->accessibleName() == QStringLiteral("Файлы:")) files = l;
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(files->count(), 1);
    EXPECT_EQ(files->item(0)->text(), QStringLiteral("Партия у окна.zvr"));
    QAbstractButton* del = ButtonIn(ScreenId::LoadBrowser, QStringLiteral("Удалить"));
    EXPECT_FALSE(del->isEnabled());
    files->setCurrentRow(0);
    EXPECT_TRUE(del->isEnabled());
}

TEST_F(WindowsTest, TheErrorReportStaysBesideTheMenuAndKeepsWhatIsTyped) {
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.Report(g), ScreenId::MainMenu);
    QWidget* report = game_->Window(ScreenId::ErrorReport);
    ASSERT_TRUE(report->isVisible());
    EXPECT_TRUE(game_->Window(ScreenId::MainMenu)->isVisible());
    QPlainTextEdit* text = nullptr;
    for (auto* t : report->findChildren<QPlainTextEdit*>())
        if (!t->isReadOnly()) text = t;
    ASSERT_NE(text, nullptr);
    text->selectAll();
    text->insertPlainText(QStringLiteral("Стол качается"));
    EXPECT_TRUE(g.report.changed);
    QTest::mouseClick(
        ButtonIn(ScreenId::ErrorReport, QStringLiteral("&Сохранить и свернуть это окно")),
        Qt::LeftButton);
    EXPECT_FALSE(g.report.changed);
    std::ifstream in(dir_ + "qvreport.rpt", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(saved, Utf8ToCp1251("Стол качается") + "\r\n");
}

TEST_F(WindowsTest, APreviewThatFailedLeavesTheNextOneWhole) {
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.QuickGame(g), ScreenId::MainMenu);
    QWidget* w = game_->Window(ScreenId::Preview);
    // A mesh that cannot be loaded: its message, and back to the quick game.
    g.preview.meshPath = g.s.dataDir + "mesh/gobla9.x";
    QString said;
    std::function<void()> closeBox = [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            said = box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            box->close();
        } else {
            QTimer::singleShot(20, closeBox);
        }
    };
    QTimer::singleShot(20, closeBox);
    game_->Apply(screens::Next::To(ScreenId::Preview), ScreenId::QuickGame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty() && !w->isVisible(); }, 10000));
    EXPECT_TRUE(said.startsWith(QStringLiteral("53 "))) << said.toStdString();
    EXPECT_TRUE(game_->Window(ScreenId::QuickGame)->isVisible());
    QTest::qWait(50); // the failed display goes

    g.preview.meshPath = g.s.dataDir + "mesh/gobla3.x";
    g.preview.caption = "Игрок Ирма - Круглая Гобла";
    game_->Apply(screens::Next::To(ScreenId::Preview), ScreenId::QuickGame);
    ASSERT_TRUE(w->isVisible());
    auto* view = w->findChild<QOpenGLWidget*>();
    ASSERT_NE(view, nullptr);
    QTest::qWait(200);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Предварительный просмотр Гоблы"));
    EXPECT_GT(g.preview.angle, 0.0) << "the piece turns";
    const QImage frame = view->grabFramebuffer();
    int lit = 0;
    for (int y = frame.height() / 4; y < frame.height() * 3 / 4; y += 4)
        for (int x = frame.width() / 4; x < frame.width() * 3 / 4; x += 4)
            lit += qGray(frame.pixel(x, y)) > 20 ? 1 : 0;
    EXPECT_GT(lit, 10) << "the piece is drawn in the middle";
    int cyan = 0; // the caption, in the palette's dark cyan
    for (int y = 0; y < frame.height() / 8; ++y)
        for (int x = 0; x < frame.width() / 2; ++x)
            cyan += frame.pixelColor(x, y).blue() > 100 && frame.pixelColor(x, y).red() < 60;
    EXPECT_GT(cyan, 20) << "the caption is drawn";
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(game_->Window(ScreenId::QuickGame)->isVisible());
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
