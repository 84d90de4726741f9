#include "sim/SimNet.h"

#include "match/Headless.h"
#include "match/VirtualClock.h"
#include "net/NetHeadless.h"
#include "net/NetHost.h"
#include "net/NetMember.h"
#include "persistence/Files.h"
#include "persistence/Folders.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "physics/Physics.h"
#include "sim/SimGame.h"
#include "sim/SimRun.h"
#include "state/NullPorts.h"

#include <chrono>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <thread>

namespace kv::sim {

namespace {

struct NetRun {
    RunResult r;
    bool stranded = false;
    std::string recordError;
};

// One machine's match in virtual time; `poll` runs the table between steps,
// `stranded` saves the match as it stands when the table is gone.
NetRun PlayNet(net::NetMatch& nm, Module1& m, std::uint64_t seed, const std::string& record,
               ScreensPort* after, const PlayOptions* pace, NetEnv& env,
               const std::function<void()>& poll, const std::function<void()>& stranded) {
    HeadlessDevices devices;
    VirtualScheduler& clock = devices.clock;
    NullReplay noFile;
    std::unique_ptr<FileReplay> file;
    if (!record.empty()) {
        file = std::make_unique<FileReplay>(m, devices.dialogs);
        file->SetRecordPath(record);
        file->ShareHeader(nm.SharedHeader());
    }
    ReplayPort& rec = nm.RecordInto(file ? static_cast<ReplayPort&>(*file) : noFile);
    MatchPorts ports = devices.Ports(rec, after);
    Rng rng(seed);
    MatchScreen screen(m, ports, rng);
    nm.Attach(screen, m);
    net::NetHeadless driver(screen, clock, m, nm, static_cast<long>(nm.Start().maxStrikes));
    const auto start = std::chrono::steady_clock::now();
    long ticks = 0;
    for (;;) {
        const net::NetHeadless::Step s = driver.Next();
        if (s == net::NetHeadless::Step::Done) break;
        if (s == net::NetHeadless::Step::Waiting) {
            env.wait(20);
            poll();
            continue;
        }
        if (++ticks % 64 == 0) {
            env.wait(0);
            poll();
        }
        if (pace && pace->realtime)
            std::this_thread::sleep_until(start +
                                          std::chrono::milliseconds(clock.NowMs() / pace->speed));
    }
    NetRun out;
    out.stranded = driver.Stranded();
    if (out.stranded) stranded();
    const HeadlessResult h = driver.Finish();
    out.r.finished = h.finished && m.Winner != 0;
    out.r.winner = m.Winner;
    out.r.strikes = h.strikes;
    out.r.ticks = h.physicsTicks;
    out.r.guardHits = h.guardHits;
    out.r.busiest = h.busiest;
    out.r.virtualMs = h.virtualMs;
    if (file) out.recordError = file->RecordingError();
    return out;
}

void Tell(std::ostream& err, std::vector<net::NetEvent> events) {
    for (const net::NetEvent& e : events)
        if ((e.kind == net::EventKind::Notice || e.kind == net::EventKind::Chat) && !e.text.empty())
            err << e.text << "\n";
    err.flush();
}

// The tokens of seats this machine took: "host:port<TAB>name<TAB>token" lines
// in the game's folder, so that a runner started again comes back to its seat.
const char* kTokenFile = "zvrnet.tok";

std::uint64_t FindToken(const std::string& table, const std::string& name) {
    std::string bytes;
    if (!ReadFileBytes(StateDir() + kTokenFile, bytes)) return 0;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string t, n, token;
        if (std::getline(f, t, '\t') && std::getline(f, n, '\t') && std::getline(f, token) &&
            t == table && n == name)
            return std::strtoull(token.c_str(), nullptr, 16);
    }
    return 0;
}

void KeepToken(const std::string& table, const std::string& name, std::uint64_t token) {
    std::string bytes, kept;
    ReadFileBytes(StateDir() + kTokenFile, bytes);
    std::istringstream in(bytes);
    int lines = 0;
    for (std::string line; std::getline(in, line) && lines < 30;) {
        if (line.rfind(table + "\t" + name + "\t", 0) == 0 || line.empty()) continue;
        kept += line + "\n";
        ++lines;
    }
    char hex[24];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(token));
    std::string why;
    WriteFileAtomic(StateDir() + kTokenFile, table + "\t" + name + "\t" + hex + "\n" + kept, &why);
}

std::string StandingPath(const std::string& record) {
    if (!record.empty()) {
        const auto dot = record.rfind('.');
        const auto slash = record.rfind('/');
        const bool ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        return (ext ? record.substr(0, dot) : record) + ".zvr";
    }
    for (int k = 1; k < 100; ++k) {
        const std::string path = StateDir() + "game" + std::to_string(k) + ".zvr";
        if (!FileExists(path)) return path;
    }
    return StateDir() + "game100.zvr";
}

void Drain(NetEnv& env) {
    const long long until = env.clock() + 3000;
    do
        env.wait(20);
    while (env.link.Unsent() > 0 && env.clock() < until);
}

} // namespace

std::string RecordPathOf(const std::string& file, int match, bool series) {
    if (file.empty() || !series) return file;
    const auto dot = file.rfind('.');
    const auto slash = file.rfind('/');
    const bool ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string n = "-" + std::to_string(match);
    return ext ? file.substr(0, dot) + n + file.substr(dot) : file + n;
}

int HostCommand(const PlayOptions& p, const HostOptions& h, NetEnv& env, std::ostream& out,
                std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    SimGame game(m, dialogs, p.seed);
    if (!SetupGame(game.g, p)) return 1;

    // Seat tokens need only be hard to guess; the match draws nothing from them.
    std::random_device device;
    Rng tokens((static_cast<std::uint64_t>(device()) << 32) ^ device());
    net::NetHost host(env.link, env.clock, tokens);
    host.SetHostName(h.name);
    net::TableSettings ts;
    ts.table = "Стол " + h.name;
    ts.teams = static_cast<i16>(p.teams);
    ts.tableX = static_cast<i16>(p.tableX);
    ts.tableY = static_cast<i16>(p.tableY);
    ts.friction = p.friction;
    ts.wall = static_cast<std::uint8_t>(p.wall);
    ts.wallMirror = p.wallMirror;
    ts.obstacles = static_cast<std::uint8_t>(p.obstacles);
    ts.obstaclesMirror = p.obstaclesMirror;
    ts.spread = p.spread;
    ts.graceSeconds = static_cast<std::uint16_t>(h.graceSeconds);
    ts.turnLimitSeconds = static_cast<std::uint16_t>(h.turnLimitSeconds);
    ts.matches = static_cast<std::uint16_t>(h.matches);
    host.SetSettings(ts);
    host.SetPassword(h.password);
    const int seats = static_cast<int>(h.netSeats.size());
    host.SetSeatCount(seats);
    int wanted = 0;
    for (int s = 1; s <= seats; ++s) {
        const bool net = h.netSeats[static_cast<std::size_t>(s - 1)];
        wanted += net ? 1 : 0;
        host.SetSeat(s, net ? net::SeatKind::Open : net::SeatKind::HostComputer, {},
                     m.CompLevel(s));
    }
    std::string why;
    if (!host.Open(h.listen, h.port, &why)) {
        err << "Стол не открыт: " << why << "\n";
        return kExitNetwork;
    }
    err << "Стол открыт: " << h.listen << ":" << h.port << ", ждём игроков.\n";
    err.flush();
    const long long deadline = env.clock() + h.waitSeconds * 1000LL;
    while (host.PlayersSeated() < wanted || !host.CanStart()) {
        env.wait(50);
        host.Poll();
        Tell(err, host.TakeEvents());
        if (env.clock() > deadline) {
            err << "За " << h.waitSeconds << " с за стол сели не все игроки.\n";
            host.Close();
            Drain(env);
            return kExitNetwork;
        }
    }

    const bool series = h.matches > 0;
    const int matches = series ? h.matches : 1;
    std::vector<std::string> entries;
    RunResult last;
    std::string recordError, recordFile;
    for (int i = 0; i < matches; ++i) {
        if (i > 0 && !ContinueSeries(game)) {
            host.Close();
            return 1;
        }
        const net::MatchPlan plan{static_cast<std::uint16_t>(i + 1),
                                  static_cast<std::uint16_t>(h.matches),
                                  static_cast<std::uint32_t>(p.maxStrikes)};
        net::HostMatch* hm = host.StartMatch(m, plan, &why);
        if (!hm) {
            err << "Матч не начат: " << why << "\n";
            host.Close();
            Drain(env);
            return kExitNetwork;
        }
        const std::string turnOrder = TurnOrderJson(m);
        const std::string record = RecordPathOf(p.record, i + 1, series);
        const NetRun run = PlayNet(
            *hm, m, p.seed + static_cast<std::uint64_t>(i), record, series ? &game.g.flow : nullptr,
            &p, env,
            [&] {
                host.Poll();
                Tell(err, host.TakeEvents());
            },
            [] {});
        host.MatchOver(i + 1 == matches);
        entries.push_back(SeriesMatchJson(m, turnOrder));
        last = run.r;
        if (recordError.empty() && !run.recordError.empty()) {
            recordError = run.recordError;
            recordFile = record;
        }
    }
    host.Close(net::Reason::SeriesOver);
    Drain(env);
    if (series)
        PrintSeries(out, game, entries, p.json);
    else
        Print(out, m, last, p.json);
    if (!recordError.empty()) {
        err << "Повтор не записан полностью в файл " << recordFile << ": " << recordError << "\n";
        return kExitWriteFailed;
    }
    return 0;
}

int JoinCommand(const JoinOptions& j, NetEnv& env, std::ostream& out, std::ostream& err) {
    Module1 m;
    BuildShapes(m);
    ConsoleDialogs dialogs(err);
    SimGame game(m, dialogs, j.seed);
    const std::string table = j.host + ":" + std::to_string(j.port);
    net::JoinOptions jo;
    jo.name = j.name;
    jo.password = j.password;
    jo.spectator = j.watch;
    jo.model = static_cast<i16>(j.model);
    jo.comp = true;
    jo.level = static_cast<i16>(j.level);
    jo.token = j.watch ? 0 : FindToken(table, j.name);
    net::NetMember member(env.link, env.clock);
    member.Join(j.host, j.port, jo);

    bool seated = false;
    std::size_t played = 0;
    std::vector<std::string> entries;
    RunResult last;
    std::string recordError, recordFile;
    long long deadline = env.clock() + j.waitSeconds * 1000LL;
    const auto poll = [&] {
        member.Poll();
        Tell(err, member.TakeEvents());
    };
    for (;;) {
        if (played < member.MatchCount()) {
            net::PlayerMatch& pm = *member.MatchAt(played++);
            std::string why;
            if (!pm.LoadStart(m, &why)) {
                err << "Начало матча от хозяина стола не прочитано: " << why << "\n";
                return kExitNetwork;
            }
            const net::MatchStart& st = pm.Start();
            const bool series = st.matches > 0;
            const std::string turnOrder = TurnOrderJson(m);
            const std::string record = RecordPathOf(j.record, st.match, series);
            std::string saved, saveError;
            const NetRun run = PlayNet(pm, m, j.seed + played - 1, record,
                                       series ? &game.g.flow : nullptr, nullptr, env, poll, [&] {
                                           saved = StandingPath(j.record);
                                           if (!WriteSaveGame(m, saved, &saveError)) saved.clear();
                                       });
            if (run.stranded) {
                err << member.CloseText() << "\n";
                if (!record.empty()) err << "Запись матча сохранена: " << record << ".\n";
                if (!saved.empty())
                    err << "Матч сохранён как он стоял: " << saved
                        << " (его можно продолжить или открыть стол с ним снова).\n";
                else
                    err << "Матч не сохранён: " << saveError << "\n";
                return kExitNetwork;
            }
            entries.push_back(SeriesMatchJson(m, turnOrder));
            last = run.r;
            if (recordError.empty() && !run.recordError.empty()) {
                recordError = run.recordError;
                recordFile = record;
            }
            if (!series || st.match >= st.matches) {
                if (series)
                    PrintSeries(out, game, entries, j.json);
                else
                    Print(out, m, last, j.json);
                out.flush();
                // The host's word that the match is over, then goodbye.
                const long long until = env.clock() + 10000;
                while (!pm.EndKnown() && member.GetState() != net::NetMember::State::Closed &&
                       env.clock() < until) {
                    env.wait(50);
                    poll();
                }
                member.Leave();
                Drain(env);
                if (!recordError.empty()) {
                    err << "Повтор не записан полностью в файл " << recordFile << ": "
                        << recordError << "\n";
                    return kExitWriteFailed;
                }
                return 0;
            }
            deadline = env.clock() + j.waitSeconds * 1000LL;
            continue;
        }
        if (member.GetState() == net::NetMember::State::Closed) {
            err << member.CloseText() << "\n";
            return kExitNetwork;
        }
        if (!seated && member.GetState() == net::NetMember::State::AtTable) {
            seated = true;
            if (!j.watch) {
                KeepToken(table, j.name, member.Token());
                member.SetReady(true);
            }
        }
        if (env.clock() > deadline) {
            err << "Хозяин стола не начал матч за " << j.waitSeconds << " с.\n";
            return kExitNetwork;
        }
        env.wait(50);
        poll();
    }
}

} // namespace kv::sim
