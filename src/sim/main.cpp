// kvelmar2-sim: plays matches of computer players and replays without a window,
// and network tables (host, join) on the network transport's event loop.
#include "persistence/Folders.h"
#include "sim/SimNet.h"
#include "sim/SimOptions.h"
#include "sim/SimRun.h"

#ifdef KV_NET
#include "devices/net/QtLink.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#endif

#include <iostream>
#include <string>
#include <vector>

namespace {

int NetCommand(const kv::sim::Options& o, int argc, char** argv) {
#ifdef KV_NET
    // The event loop of Qt Network only: no window, no display needed.
    QCoreApplication app(argc, argv);
    kv::QtLink link;
    const auto start = std::chrono::steady_clock::now();
    kv::sim::NetEnv env{link,
                        [start] {
                            return static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count());
                        },
                        [](int ms) {
                            if (ms <= 0) {
                                QCoreApplication::processEvents();
                                return;
                            }
                            // Back as soon as something has happened, or after ms.
                            QEventLoop loop;
                            QTimer timer;
                            timer.setSingleShot(true);
                            QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
                            timer.start(ms);
                            loop.processEvents(QEventLoop::WaitForMoreEvents);
                        }};
    if (o.command == kv::sim::Command::Host)
        return kv::sim::HostCommand(o.play, o.host, env, std::cout, std::cerr);
    return kv::sim::JoinCommand(o.join, env, std::cout, std::cerr);
#else
    (void)o;
    (void)argc;
    (void)argv;
    std::cerr << "Сетевая игра в этой сборке недоступна: она собрана без Qt Network.\n";
    return kv::sim::kExitNetwork;
#endif
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto o = kv::sim::ParseOptions(args, error);
    if (!o) {
        std::cerr << error << "\n\n" << kv::sim::UsageText();
        return 2;
    }
    const bool needsData =
        o->command != kv::sim::Command::Help && o->command != kv::sim::Command::Info;
    if (needsData && !kv::HasGameData(kv::DataDir())) {
        std::cerr << kv::MissingDataText(kv::DataDir()) << '\n';
        return 1;
    }
    switch (o->command) {
    case kv::sim::Command::Help:
        std::cout << kv::sim::UsageText();
        return 0;
    case kv::sim::Command::Play:
        return kv::sim::PlayCommand(o->play, std::cout, std::cerr);
    case kv::sim::Command::Replay:
        return kv::sim::ReplayCommand(o->replay, std::cout, std::cerr);
    case kv::sim::Command::Series:
        return kv::sim::SeriesCommand(o->play, o->matches, std::cout, std::cerr);
    case kv::sim::Command::Info:
        return kv::sim::InfoCommand(o->file, std::cout, std::cerr);
    case kv::sim::Command::Host:
    case kv::sim::Command::Join:
        return NetCommand(*o, argc, argv);
    }
    return 0;
}
