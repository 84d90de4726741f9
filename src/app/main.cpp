// kvelmar2: the game. It opens on the main menu; every window and rule comes
// from the front end and the screens layer.
#include "devices/display/QtDisplay.h"
#include "frontend/GameApp.h"
#include "frontend/MatchWindow.h"
#include "frontend/QtDialogs.h"
#include "persistence/ErrorLog.h"
#include "persistence/Folders.h"
#include "state/MatchState.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTranslator>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

QIcon GameIcon() {
    QIcon icon;
    for (int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kvelmar2-%1.png").arg(size));
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    kv::SetDefaultGLFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kvelmar2"));
    const std::string title = "Kvelmar II: Zantor Билд" + std::to_string(kv::kBuild);
    QApplication::setApplicationDisplayName(QString::fromStdString(title));
    QApplication::setDesktopFileName(QStringLiteral("org.orvelsoft.kvelmar2"));
    QApplication::setWindowIcon(GameIcon());
    // The screens hide and show one another: only the program's own exit ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own buttons and dialogs speak Russian too.
    QTranslator qt;
    if (qt.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);

    kv::QtDialogs dialogs(title);
    kv::GameAppSetup setup;
    setup.appTitle = title;
    setup.stateDir = kv::StateDir();
    // An unusable state folder: the files of this run go to a folder that
    // vanishes with it, so the match goes on and nothing is kept.
    std::unique_ptr<QTemporaryDir> scratch;
    if (!kv::StateDirWritable(setup.stateDir)) {
        dialogs.Message(kv::StateDirUnusableText(setup.stateDir), kv::MsgIcon::Warning,
                        kv::MsgButtons::Ok);
        scratch = std::make_unique<QTemporaryDir>();
        const std::string dir = scratch->path().toStdString();
        ::setenv("KVELMAR2_HOME", dir.c_str(), 1);
        setup.stateDir = kv::StateDir();
    }
    setup.dataDir = kv::DataDir();
    if (!kv::HasGameData(setup.dataDir)) {
        const std::string text = kv::MissingDataText(setup.dataDir);
        kv::LogError(text);
        dialogs.Message(text, kv::MsgIcon::Critical, kv::MsgButtons::Ok);
        return 1;
    }

    kv::GameApp game(setup);
    game.Start();
    return game.Quitting() ? 0 : app.exec();
}
