// The windows around the match, shown by the real front end: every control
// says what it is to the accessibility interface, and the controls follow
// their models (enabled states, texts).
#include "frontend/GameApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

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
         {ScreenId::MainMenu, ScreenId::QuickGame, ScreenId::Options, ScreenId::Results}) {
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
    for (const char* c : {"Хроника", "Заставка"}) {
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

} // namespace
