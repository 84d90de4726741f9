// The windows around the match, shown by the real front end: every control
// says what it is to the accessibility interface (the end-to-end tests find
// them by it), and what the windows do beyond their models.
#include "frontend/GameApp.h"
#include "frontend/ScreenWindows.h"
#include "frontend/Widgets.h"
#include "persistence/Text.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QOpenGLWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>

namespace {

using namespace kv;
using screens::ScreenId;

// Every window but the match's; the first two, pictures both, have no panel.
const ScreenId kWindows[] = {
    ScreenId::Preview,     ScreenId::Splash,      ScreenId::MainMenu,  ScreenId::QuickGame,
    ScreenId::Options,     ScreenId::Results,     ScreenId::Teams,     ScreenId::NewTeam,
    ScreenId::LoadBrowser, ScreenId::ErrorReport, ScreenId::Chronicle, ScreenId::ChronicleEvents,
    ScreenId::About,       ScreenId::Emblem,      ScreenId::Net,       ScreenId::NetLobby};

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
    for (ScreenId id : kWindows) {
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
        for (auto* b : w->findChildren<QAbstractSpinBox*>())
            EXPECT_FALSE(b->accessibleName().isEmpty());
    }
}

TEST_F(WindowsTest, EveryWindowFitsA1024By768ScreenOnThePanelOfTheGamesStyle) {
    ASSERT_FALSE(qApp->styleSheet().isEmpty());
    QWidget* menu = game_->Window(ScreenId::MainMenu);
    EXPECT_EQ(menu->geometry(), menu->screen()->availableGeometry()) << "the menu fills its screen";
    for (ScreenId id : std::span(kWindows).subspan(2)) {
        QWidget* w = game_->Window(id);
        QWidget* panel = w->objectName() == QStringLiteral("panel")
                             ? w
                             : w->findChild<QWidget*>(QStringLiteral("panel"));
        ASSERT_NE(panel, nullptr) << static_cast<int>(id);
        // On a 1024×768 screen, less a desktop's panel: nothing scrolls or is cut.
        static_cast<ScreenWindow*>(w)->Refresh();
        w->setGeometry(0, 0, 1024, 740);
        w->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (auto* bar : w->findChildren<QScrollBar*>()) {
            QWidget* holder = bar->parentWidget();
            auto* area = holder ? qobject_cast<QScrollArea*>(holder->parentWidget()) : nullptr;
            EXPECT_FALSE(area && area->parentWidget() == w && bar->isVisible()) << int(id);
        }
        EXPECT_TRUE(w->rect().contains(QRect(panel->mapTo(w, QPoint()), panel->size())))
            << static_cast<int>(id);
        w->hide();
    }
}

TEST_F(WindowsTest, TheErrorReportStaysBesideTheMenuAndKeepsWhatIsTyped) {
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.Report(g), ScreenId::MainMenu);
    QWidget* report = game_->Window(ScreenId::ErrorReport);
    ASSERT_TRUE(report->isVisible());
    EXPECT_TRUE(game_->Window(ScreenId::MainMenu)->isVisible());
    const QRect room = report->screen()->availableGeometry();
    EXPECT_LE((report->geometry().center() - room.center()).manhattanLength(), 2)
        << "a window of its own stands in the middle of the screen";
    EXPECT_TRUE(room.contains(report->geometry()));
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
    EXPECT_GT(g.preview.angle, 0.0) << "the piece turns";
    const QImage frame = view->grabFramebuffer();
    int lit = 0;
    for (int y = frame.height() / 4; y < frame.height() * 3 / 4; y += 4)
        for (int x = frame.width() / 4; x < frame.width() * 3 / 4; x += 4)
            lit += qGray(frame.pixel(x, y)) > 20 ? 1 : 0;
    EXPECT_GT(lit, 10) << "the piece is drawn in the middle";
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
    int menus = 0;
    QObject::connect(game_.get(), &GameApp::Shown,
                     [&menus](int s) { menus += s == static_cast<int>(ScreenId::MainMenu); });
    QTest::mouseClick(ButtonIn(ScreenId::MainMenu, QStringLiteral("Заставка")), Qt::LeftButton);
    ASSERT_TRUE(splash->isVisible());
    EXPECT_FALSE(menu->isVisible());
    QTest::keyClick(splash, Qt::Key_Escape);
    QTest::keyClick(splash, Qt::Key_Space);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(menus, 1);
}

TEST_F(WindowsTest, TheEmblemPrintsWithItsPictureAndClosesToTheMenu) {
    screens::GameScreens& g = game_->Screens();
    game_->Apply(g.menu.Emblem(g), ScreenId::MainMenu);
    QWidget* emblem = game_->Window(ScreenId::Emblem);
    ASSERT_TRUE(emblem->isVisible());
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
