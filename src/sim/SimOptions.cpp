#include "sim/SimOptions.h"
#include "state/Defaults.h"
#include "state/MatchState.h"

#include <charconv>
#include <cmath>

namespace kv::sim {

namespace {

bool ParseInt(const std::string& s, long long lo, long long hi, long long& out) {
    long long v = 0;
    const char* b = s.data();
    const char* e = b + s.size();
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseReal(const std::string& s, double& out) {
    double v = 0;
    const char* b = s.data();
    const char* e = b + s.size();
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::vector<std::string> SplitComma(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

bool ParseIntList(const std::string& s, long long lo, long long hi, std::vector<int>& out) {
    out.clear();
    for (const std::string& part : SplitComma(s)) {
        long long v = 0;
        if (!ParseInt(part, lo, hi, v)) return false;
        out.push_back(static_cast<int>(v));
    }
    return true;
}

bool ParseYesNo(const std::string& s, bool& out) {
    if (s == "yes") return out = true, true;
    if (s == "no") return out = false, true;
    return false;
}

} // namespace

const char* UsageText() {
    return "Использование:\n"
           "  kvelmar2-sim play [параметры]   сыграть матч компьютерных игроков\n"
           "  kvelmar2-sim replay ФАЙЛ [--json] [--seed S] [--realtime] [--trace]\n"
           "                                  воспроизвести повтор\n"
           "  kvelmar2-sim series --matches N [параметры play]\n"
           "                                  серия матчей с подсчётом очков, как на\n"
           "                                  экране итогов (10 матчей); с --teams\n"
           "                                  и очки команд\n"
           "  kvelmar2-sim info ФАЙЛ          описание сохраненной игры (.zvr) или\n"
           "                                  повтора (.sav), как в окне загрузки\n"
           "Параметры play:\n"
           "  --players N            число игроков, 2..8 (2)\n"
           "  --teams N              командная игра N на N, 1..4, вместо --players\n"
           "  --models a,b,...       модели фишек 0..3 по слотам (0)\n"
           "  --masses a,b,...       массы 1..1000 по слотам (1)\n"
           "  --names a,b,...        имена игроков (Омон1, Омон2, ...)\n"
           "  --levels a,b,...       сила компьютера по слотам: 0 Новичок,\n"
           "                         1 Любитель, 2 Мастер, 3 Чемпион (2)\n"
           "  --table LxW            размеры стола, 200..1000 (600x400)\n"
           "  --friction F           трение стола, больше 0 (0.02)\n"
           "  --wall off|pos1|pos2   стенка (pos2)\n"
           "  --wall-mirror yes|no   вторая стенка (yes)\n"
           "  --obstacles off|part1|part2   пипы (part1)\n"
           "  --obstacles-mirror yes|no     ещё две пипы (no)\n"
           "  --spread K             отклонение ударов, 0..0.1 (0)\n"
           "  --seed S               зерно случайных чисел (1)\n"
           "  --max-strikes K        наибольшее число ударов (1000)\n"
           "  --record ФАЙЛ          записать матч как файл повтора\n"
           "  --settings ФАЙЛ        игроки и стол из файла параметров\n"
           "  --json                 результат одним объектом JSON\n"
           "  --realtime             играть в реальном времени, как в игре\n"
           "  --trace                строка на каждый удар в поток ошибок\n"
           "Коды завершения: 0 готово; 1 файл не прочитан или матч не начат;\n"
           "  2 неверные параметры; 3 файл записан не полностью (сообщения\n"
           "  об ошибках выводятся в поток ошибок).\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        o.command = Command::Help;
        return o;
    }
    std::size_t i = 1;
    auto value = [&](const std::string& name, std::string& out) {
        if (i + 1 >= args.size()) {
            error = "Не задано значение параметра " + name + ".";
            return false;
        }
        out = args[++i];
        return true;
    };
    auto bad = [&](const std::string& name, const std::string& v) {
        error = "Неверное значение параметра " + name + ": \"" + v + "\".";
        return std::nullopt;
    };

    if (args[0] == "replay") {
        o.command = Command::Replay;
        for (; i < args.size(); ++i) {
            const std::string& a = args[i];
            std::string v;
            if (a == "--json") {
                o.replay.json = true;
            } else if (a == "--realtime") {
                o.replay.realtime = true;
            } else if (a == "--trace") {
                o.replay.trace = true;
            } else if (a == "--seed") {
                if (!value(a, v)) return std::nullopt;
                long long s = 0;
                if (!ParseInt(v, 0, INT64_MAX, s)) return bad(a, v);
                o.replay.seed = static_cast<std::uint64_t>(s);
            } else if (!a.empty() && a[0] == '-') {
                error = "Неизвестный параметр: " + a + ".";
                return std::nullopt;
            } else if (o.replay.file.empty()) {
                o.replay.file = a;
            } else {
                error = "Лишний параметр: " + a + ".";
                return std::nullopt;
            }
        }
        if (o.replay.file.empty()) {
            error = "Не задан файл повтора.";
            return std::nullopt;
        }
        return o;
    }
    if (args[0] == "info") {
        o.command = Command::Info;
        if (args.size() != 2 || args[1].empty() || args[1][0] == '-') {
            error = args.size() < 2 ? "Не задан файл." : "Лишний параметр: " + args.back() + ".";
            return std::nullopt;
        }
        o.file = args[1];
        return o;
    }
    if (args[0] != "play" && args[0] != "series") {
        error = "Неизвестная команда: " + args[0] + ".";
        return std::nullopt;
    }
    o.command = args[0] == "play" ? Command::Play : Command::Series;
    PlayOptions& p = o.play;
    bool playersGiven = false;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        long long n = 0;
        if (a == "--json" || a == "--realtime" || a == "--trace") {
            (a == "--json" ? p.json : a == "--realtime" ? p.realtime : p.trace) = true;
            continue;
        }
        if (a.rfind("--", 0) != 0) {
            error = "Лишний параметр: " + a + ".";
            return std::nullopt;
        }
        if (!value(a, v)) return std::nullopt;
        if (a == "--matches" && o.command == Command::Series) {
            if (!ParseInt(v, 1, 100000, n)) return bad(a, v);
            o.matches = static_cast<int>(n);
        } else if (a == "--players") {
            if (!ParseInt(v, 2, 8, n)) return bad(a, v);
            p.players = static_cast<int>(n);
            playersGiven = true;
        } else if (a == "--teams") {
            if (!ParseInt(v, 1, 4, n)) return bad(a, v);
            p.teams = static_cast<int>(n);
        } else if (a == "--models") {
            if (!ParseIntList(v, 0, 3, p.models)) return bad(a, v);
        } else if (a == "--masses") {
            if (!ParseIntList(v, 1, 1000, p.masses)) return bad(a, v);
        } else if (a == "--levels") {
            if (!ParseIntList(v, kLevelNovice, kLevelChampion, p.levels)) return bad(a, v);
        } else if (a == "--names") {
            p.names = SplitComma(v);
        } else if (a == "--table") {
            const auto x = v.find('x');
            long long l = 0, w = 0;
            if (x == std::string::npos ||
                !ParseInt(v.substr(0, x), kMinTableSize, kMaxTableSize, l) ||
                !ParseInt(v.substr(x + 1), kMinTableSize, kMaxTableSize, w))
                return bad(a, v);
            p.tableX = static_cast<int>(l);
            p.tableY = static_cast<int>(w);
        } else if (a == "--friction") {
            if (!ParseReal(v, p.friction) || p.friction <= 0 || p.friction > 1) return bad(a, v);
        } else if (a == "--wall") {
            if (v == "off")
                p.wall = 0;
            else if (v == "pos1")
                p.wall = 1;
            else if (v == "pos2")
                p.wall = 2;
            else
                return bad(a, v);
        } else if (a == "--wall-mirror") {
            if (!ParseYesNo(v, p.wallMirror)) return bad(a, v);
        } else if (a == "--obstacles") {
            if (v == "off")
                p.obstacles = 0;
            else if (v == "part1")
                p.obstacles = 1;
            else if (v == "part2")
                p.obstacles = 2;
            else
                return bad(a, v);
        } else if (a == "--obstacles-mirror") {
            if (!ParseYesNo(v, p.obstaclesMirror)) return bad(a, v);
        } else if (a == "--spread") {
            if (!ParseReal(v, p.spread) || p.spread < 0 || p.spread > 0.1) return bad(a, v);
        } else if (a == "--seed") {
            if (!ParseInt(v, 0, INT64_MAX, n)) return bad(a, v);
            p.seed = static_cast<std::uint64_t>(n);
        } else if (a == "--max-strikes") {
            if (!ParseInt(v, 0, 100000000, n)) return bad(a, v);
            p.maxStrikes = static_cast<long>(n);
        } else if (a == "--record") {
            p.record = v;
        } else if (a == "--settings") {
            p.settings = v;
        } else {
            error = "Неизвестный параметр: " + a + ".";
            return std::nullopt;
        }
    }
    if (o.command == Command::Series && (!p.record.empty() || p.realtime || p.trace)) {
        error = "Серия не записывается и не играется в реальном времени.";
        return std::nullopt;
    }
    if (p.teams > 0 && playersGiven) {
        error = "Параметры --players и --teams несовместимы.";
        return std::nullopt;
    }
    if (p.teams > 0) p.players = 2 * p.teams;
    if (static_cast<int>(p.names.size()) > p.players ||
        static_cast<int>(p.models.size()) > p.players ||
        static_cast<int>(p.masses.size()) > p.players ||
        static_cast<int>(p.levels.size()) > p.players) {
        error = "Списков --names, --models, --masses, --levels больше, чем игроков.";
        return std::nullopt;
    }
    return o;
}

} // namespace kv::sim
