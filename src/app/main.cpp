// kvelmar2: the game. It opens on the main menu; every window and rule comes
// from the front end and the screens layer.
#include "devices/display/QtDisplay.h"
#include "frontend/GameApp.h"
#include "frontend/MatchWindow.h"
#include "persistence/TextFile.h"
#include "state/Module1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A build that is run where it was built finds the data in the source tree.
std::string GameDataDir() {
    std::string dir = kv::DataDir();
    const char* chosen = std::getenv("KVELMAR2_DATA");
    std::error_code ec;
    if ((chosen == nullptr || *chosen == 0) && !std::filesystem::is_directory(dir + "mesh", ec))
        dir = KV_SOURCE_DATADIR "/";
    return dir;
}

} // namespace

int main(int argc, char** argv) {
    kv::SetDefaultGLFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvelmar2"));
    const std::string title = "Kvelmar II: Zantor Билд" + std::to_string(kv::kBuild);
    QApplication::setApplicationDisplayName(QString::fromStdString(title));
    // The screens hide and show one another: only the program's own exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs speak Russian too.
    QTranslator qt;
    if (qt.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);

    kv::GameAppSetup setup;
    setup.dataDir = GameDataDir();
    setup.stateDir = kv::StateDir();
    setup.appTitle = title;
    kv::GameApp game(setup);
    game.Start();
    return game.Quitting() ? 0 : app.exec();
}
