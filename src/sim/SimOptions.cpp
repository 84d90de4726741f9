#include "sim/SimOptions.h"
#include "net/Wire.h"
#include "state/Defaults.h"
#include "state/MatchState.h"

#include <algorithm>
#include <cctype>
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

bool ParseSeconds(const std::string& s, int hi, int& out) {
    long long v = 0;
    if (!ParseInt(s, 0, hi, v)) return false;
    out = static_cast<int>(v);
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
           "  kvelmar2-sim host [параметры play] --seats S [--port P] [--json]\n"
           "               [--record ФАЙЛ] [--wait С] [--grace С] [--matches N]\n"
           "                                  открыть сетевой стол и сыграть матч\n"
           "                                  (или серию) с подключившимися игроками\n"
           "  kvelmar2-sim join ХОСТ:ПОРТ --name ИМЯ [--level L] [--json] [--record ФАЙЛ]\n"
           "                                  сесть за сетевой стол; место играет\n"
           "                                  свой компьютер силы L\n"
           "  kvelmar2-sim join ХОСТ:ПОРТ --watch [--json]\n"
           "                                  смотреть матчи стола зрителем\n"
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
           "  --speed K              с --realtime: время идёт в K раз быстрее (1)\n"
           "Параметры host (и параметры play, кроме --players):\n"
           "  --seats S              места по порядку: comp (компьютер хозяина) или\n"
           "                         net (подключившийся игрок), например comp,net,net\n"
           "  --port P               порт стола, TCP (27415)\n"
           "  --listen АДРЕС         адрес, на котором стол ждёт игроков (127.0.0.1;\n"
           "                         0.0.0.0 - все адреса машины)\n"
           "  --wait С               ждать, пока займут места net, не дольше С секунд (120)\n"
           "  --grace С              место упавшего игрока ждёт его С секунд (60)\n"
           "  --turn-limit С         время на ход, потом ходит компьютер (0: без предела)\n"
           "  --matches N            серия из N матчей, отчёт как у series\n"
           "  --password ПАРОЛЬ      пароль стола\n"
           "  --name ИМЯ             имя хозяина стола (Хозяин)\n"
           "  --record ФАЙЛ          записать матч; в серии ФАЙЛ-1, ФАЙЛ-2, ...\n"
           "Параметры join:\n"
           "  --name ИМЯ             имя игрока, до 20 знаков\n"
           "  --level L              сила своего компьютера: 0 Новичок, 1 Любитель,\n"
           "                         2 Мастер (2)\n"
           "  --model M              модель фишки 0..3 (как решит хозяин)\n"
           "  --watch                зритель: без места, матч виден целиком\n"
           "  --password ПАРОЛЬ      пароль стола\n"
           "  --record ФАЙЛ          записать матч (тот же файл, что у хозяина)\n"
           "  --json                 результат, как у хозяина\n"
           "  Жетон места хранится в папке игры (zvrnet.tok): упавший игрок,\n"
           "  запущенный снова с тем же именем, возвращается на своё место.\n"
           "Коды завершения: 0 готово; 1 файл не прочитан или матч не начат;\n"
           "  2 неверные параметры; 3 файл записан не полностью; 4 сбой сетевой\n"
           "  игры (нет связи, отказ стола, разные версии, хозяин ушёл) (сообщения\n"
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
    if (args[0] == "join") {
        o.command = Command::Join;
        JoinOptions& j = o.join;
        bool addressGiven = false;
        for (; i < args.size(); ++i) {
            const std::string& a = args[i];
            std::string v;
            long long n = 0;
            if (a == "--json" || a == "--watch") {
                (a == "--json" ? j.json : j.watch) = true;
                continue;
            }
            if (a.rfind("--", 0) != 0) {
                if (addressGiven || !net::ParseAddress(a, j.host, j.port)) {
                    error = addressGiven ? "Лишний параметр: " + a + "."
                                         : "Неверный адрес стола: \"" + a + "\".";
                    return std::nullopt;
                }
                addressGiven = true;
                continue;
            }
            if (!value(a, v)) return std::nullopt;
            if (a == "--name") {
                j.name = v;
            } else if (a == "--level") {
                if (!ParseInt(v, 0, 2, n)) return bad(a, v);
                j.level = static_cast<int>(n);
            } else if (a == "--model") {
                if (!ParseInt(v, 0, 3, n)) return bad(a, v);
                j.model = static_cast<int>(n);
            } else if (a == "--record") {
                j.record = v;
            } else if (a == "--password") {
                j.password = v;
            } else if (a == "--wait") {
                if (!ParseSeconds(v, 86400, j.waitSeconds)) return bad(a, v);
            } else if (a == "--seed") {
                if (!ParseInt(v, 0, INT64_MAX, n)) return bad(a, v);
                j.seed = static_cast<std::uint64_t>(n);
            } else {
                error = "Неизвестный параметр: " + a + ".";
                return std::nullopt;
            }
        }
        if (!addressGiven) {
            error = "Не задан адрес стола (ХОСТ:ПОРТ).";
            return std::nullopt;
        }
        if (j.name.empty() && !j.watch) {
            error = "Не задано имя игрока (--name).";
            return std::nullopt;
        }
        if (j.name.empty()) j.name = "Гость";
        return o;
    }
    if (args[0] != "play" && args[0] != "series" && args[0] != "host") {
        error = "Неизвестная команда: " + args[0] + ".";
        return std::nullopt;
    }
    o.command = args[0] == "play"   ? Command::Play
                : args[0] == "host" ? Command::Host
                                    : Command::Series;
    const bool host = o.command == Command::Host;
    HostOptions& h = o.host;
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
        if (a == "--matches" && (o.command == Command::Series || host)) {
            if (!ParseInt(v, 1, 100000, n)) return bad(a, v);
            o.matches = h.matches = static_cast<int>(n);
        } else if (host && a == "--seats") {
            h.netSeats.clear();
            for (const std::string& seat : SplitComma(v)) {
                if (seat != "comp" && seat != "net") return bad(a, v);
                h.netSeats.push_back(seat == "net");
            }
            if (h.netSeats.size() < 2 || h.netSeats.size() > 8) return bad(a, v);
        } else if (host && a == "--port") {
            if (!ParseInt(v, 1, 65535, n)) return bad(a, v);
            h.port = static_cast<std::uint16_t>(n);
        } else if (host && a == "--listen") {
            const bool plain = !v.empty() && std::all_of(v.begin(), v.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == ':';
            });
            if (!plain) return bad(a, v);
            h.listen = v;
        } else if (host && a == "--wait") {
            if (!ParseSeconds(v, 86400, h.waitSeconds)) return bad(a, v);
        } else if (host && a == "--grace") {
            if (!ParseSeconds(v, 3600, h.graceSeconds)) return bad(a, v);
        } else if (host && a == "--turn-limit") {
            if (!ParseSeconds(v, 3600, h.turnLimitSeconds)) return bad(a, v);
        } else if (host && a == "--password") {
            h.password = v;
        } else if (host && a == "--name") {
            h.name = v;
        } else if (a == "--speed") {
            if (!ParseInt(v, 1, 1000, n)) return bad(a, v);
            p.speed = static_cast<int>(n);
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
    if (host) {
        if (h.netSeats.empty()) {
            error = "Не заданы места стола (--seats).";
            return std::nullopt;
        }
        const int seats = static_cast<int>(h.netSeats.size());
        if ((playersGiven && p.players != seats) || (p.teams > 0 && 2 * p.teams != seats)) {
            error = "Число мест --seats не равно числу игроков.";
            return std::nullopt;
        }
        if (p.teams == 0) p.players = seats;
        playersGiven = false;
        if (p.maxStrikes == 0 || p.maxStrikes > 20000) {
            error = "Сетевой матч - от 1 до 20000 ударов (--max-strikes).";
            return std::nullopt;
        }
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
