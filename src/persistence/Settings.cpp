#include "persistence/Settings.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"

#include <cerrno>
#include <iterator>

namespace kv {

namespace {

const char* kSection = "zvrset";

// What a key's value is read from and written to.
struct Ctx {
    Module1& m;
    SettingsRecord& s;
    const Masses* masses; // writing only
    int i;                // a row (0..7) or a place (1..8)
    PlayerRow& row() { return s.rows[static_cast<std::size_t>(i < 0 ? 0 : i % kMaxPlayers)]; }
};

enum class Kind {
    Display,    // regional 16-bit; a missing or malformed value keeps what was there
    DisplayBit, // the same, a flag written as 1 or 0
    Spread,     // VarK, as tolerant; outside 0..0.1 it is 0
    Int,        // 16-bit within lo..hi, or the load fails
    Text,       // a name, one line
    Line,       // a line of the player's own (a web address, a name); missing is empty
    Mass,       // a row's piece mass: the masses given to the writer; missing reads as 1
    Level,      // a row's strength: missing reads as the master
    TableSize,  // the box text as typed on writing; the state and the box on reading
    Friction,   // one of the three levels, anything else the standard one
    Box,        // a check box 0..2, written as 1 or 0
    Bit,        // a flag written as 1 or 0
    Take,       // a row's take-part box: read after the rest, never in a replay
};
enum class Scope { Once, Row, Place }; // the key alone, or + 0..7, or + 1..8

struct SettingKey {
    const char* name;
    Kind kind;
    Scope scope = Scope::Once;
    i16& (*num)(Ctx&) = nullptr; // the 16-bit field, where there is one
    i16 lo = -32768, hi = 32767;
    bool write = true;                    // read-only keys are the rules' own
    bool quickOnly = false;               // a team game leaves the rows as they are
    bool (*when)(Ctx&) = nullptr;         // the key is kept only when this holds
    void (*after)(Ctx&) = nullptr;        // what reading the key implies
    void (*missing)(Ctx&) = nullptr;      // what a file without the key means
    std::string& (*text)(Ctx&) = nullptr; // Text, TableSize (the box)
    i16 Module1::*flag = nullptr;         // Box: the state's flag it sets
};

SettingKey K(const char* name, Kind kind, i16& (*num)(Ctx&), i16 lo = -32768, i16 hi = 32767) {
    SettingKey k{name, kind};
    k.num = num;
    k.lo = lo;
    k.hi = hi;
    return k;
}
SettingKey Row(SettingKey k) {
    k.scope = Scope::Row;
    return k;
}
SettingKey Place(SettingKey k) {
    k.scope = Scope::Place;
    k.write = false;
    return k;
}
SettingKey ReadOnly(SettingKey k) {
    k.write = false;
    return k;
}
SettingKey QuickRow(SettingKey k) {
    k.scope = Scope::Row;
    k.quickOnly = true;
    return k;
}
SettingKey When(SettingKey k, bool (*when)(Ctx&)) {
    k.when = when;
    return k;
}
SettingKey After(SettingKey k, void (*after)(Ctx&)) {
    k.after = after;
    return k;
}
SettingKey Box(const char* name, i16& (*box)(Ctx&), i16 Module1::*flag = nullptr) {
    SettingKey k = K(name, Kind::Box, box, 0, 2);
    k.flag = flag;
    return k;
}
SettingKey Size(const char* name, i16& (*num)(Ctx&), std::string& (*box)(Ctx&)) {
    SettingKey k = K(name, Kind::TableSize, num);
    k.text = box;
    return k;
}

bool BorderOn(Ctx& c) {
    return c.s.border != 0;
}
SettingKey Line(const char* name, std::string& (*line)(Ctx&)) {
    SettingKey k = K(name, Kind::Line, nullptr);
    k.text = line;
    return k;
}

bool PipaOn(Ctx& c) {
    return c.s.pipa != 0;
}

// The file's keys, in the order they are written. Reading takes the tolerant
// display values first, then the rest in this order (the first bad one fails
// the whole load), then the take-part boxes.
const SettingKey kKeys[] = {
    K("ScreenW", Kind::Display, [](Ctx& c) -> i16& { return c.m.ScreenW; }),
    K("ScreenH", Kind::Display, [](Ctx& c) -> i16& { return c.m.ScreenH; }),
    After(K("Colors", Kind::Display, [](Ctx& c) -> i16& { return c.m.Colors; }),
          [](Ctx& c) { FixDisplaySettings(c.m); }),
    K("UseTex", Kind::DisplayBit, [](Ctx& c) -> i16& { return c.m.UseTex; }),
    K("UseRoom", Kind::DisplayBit, [](Ctx& c) -> i16& { return c.m.UseRoom; }),
    K("DeviceNum", Kind::Display, [](Ctx& c) -> i16& { return c.m.DeviceNum; }),
    K("RenderNum", Kind::Display, [](Ctx& c) -> i16& { return c.m.RenderNum; }),
    After(ReadOnly(K("Num", Kind::Int, [](Ctx& c) -> i16& { return c.m.MaxGamers; })),
          [](Ctx& c) {
              if (c.m.MaxGamers < 2) c.m.MaxGamers = 2;
              if (c.m.MaxGamers > kMaxPlayers) c.m.MaxGamers = kMaxPlayers;
          }),
    [] {
        SettingKey k = Row(K("R", Kind::Text, nullptr));
        k.text = [](Ctx& c) -> std::string& { return c.row().name; };
        return k;
    }(),
    QuickRow(K(
        "RModel", Kind::Int, [](Ctx& c) -> i16& { return c.row().model; }, 0, 3)),
    QuickRow(K(
        "RComp", Kind::Int, [](Ctx& c) -> i16& { return c.row().computer; }, 0, 2)),
    QuickRow(K("RM", Kind::Mass, nullptr, 1, 1000)),
    Place(K(
        "KtoHodit", Kind::Int, [](Ctx& c) -> i16& { return c.m.KH(c.i); }, 0, kMaxPlayers)),
    Place(K(
        "WhoSgin", Kind::Int, [](Ctx& c) -> i16& { return c.m.WS(c.i); }, 0, kMaxPlayers)),
    Size(
        "MaxX", [](Ctx& c) -> i16& { return c.m.MaxX; },
        [](Ctx& c) -> std::string& { return c.s.sizeX; }),
    Size(
        "MaxY", [](Ctx& c) -> i16& { return c.m.MaxY; },
        [](Ctx& c) -> std::string& { return c.s.sizeY; }),
    ReadOnly(K(
        "CurSgin", Kind::Int, [](Ctx& c) -> i16& { return c.m.CurSgin; }, 0, kMaxPlayers)),
    ReadOnly(K(
        "CurNG", Kind::Int, [](Ctx& c) -> i16& { return c.m.CurNG; }, 0, kMaxPlayers)),
    After(ReadOnly(K("CurG", Kind::Int, [](Ctx& c) -> i16& { return c.m.CurG; })),
          [](Ctx& c) {
              if (c.m.CurG == 0) c.m.CurG = 1;
              if (c.m.CurG > c.m.MaxGamers) c.m.CurG = c.m.MaxGamers;
              if (c.m.CurG < 1) throw LoadFailure{"Недопустимое значение CurG"};
          }),
    K("Ftr", Kind::Friction, nullptr),
    K("VarK", Kind::Spread, nullptr),
    After(Box("MaxScr", [](Ctx& c) -> i16& { return c.s.maxSize; }),
          [](Ctx& c) {
              if (c.s.maxSize == 1) c.m.MaxX = c.m.MaxY = kMaxTableSize;
              if (c.m.MaxX == 0) c.m.MaxX = kDefaultTableX;
              if (c.m.MaxY == 0) c.m.MaxY = kDefaultTableY;
          }),
    Box(
        "CompHOD", [](Ctx& c) -> i16& { return c.s.compPause; }, &Module1::IsCompHOD),
    Box(
        "Sound", [](Ctx& c) -> i16& { return c.s.sound; }, &Module1::Sound),
    Box(
        "Border", [](Ctx& c) -> i16& { return c.s.border; }, &Module1::Border),
    When(K(
             "BordMode", Kind::Int, [](Ctx& c) -> i16& { return c.m.BordMode; }, 0, 1),
         BorderOn),
    When(K("BordSimm", Kind::Bit, [](Ctx& c) -> i16& { return c.m.BordSimm; }), BorderOn),
    Box(
        "Pipa", [](Ctx& c) -> i16& { return c.s.pipa; }, &Module1::PipaOn),
    When(K(
             "PipaMode", Kind::Int, [](Ctx& c) -> i16& { return c.m.PipaMode; }, 0, 1),
         PipaOn),
    When(K("PipaSimm", Kind::Bit, [](Ctx& c) -> i16& { return c.m.PipaSimm; }), PipaOn),
    Row(K(
        "chk", Kind::Take, [](Ctx& c) -> i16& { return c.row().take; }, 0, 2)),
    // Ours, after the rest, so that older readers simply skip them: full screen
    // or a desktop window, and the computer's strength in each row.
    K("Windowed", Kind::DisplayBit, [](Ctx& c) -> i16& { return c.m.Windowed; }),
    QuickRow(K(
        "RLevel", Kind::Level, [](Ctx& c) -> i16& { return c.row().level; }, kLevelNovice,
        kLevelChampion)),
    // Ours too: the web pages the menus open.
    Line("MakerUrl", [](Ctx& c) -> std::string& { return c.s.makerUrl; }),
    Line("UpdatesUrl", [](Ctx& c) -> std::string& { return c.s.updatesUrl; }),
    Line("ClubUrl", [](Ctx& c) -> std::string& { return c.s.clubUrl; }),
    // Ours: the look of the match; anything but "0" is today's look.
    [] {
        SettingKey k =
            After(K("Graphics", Kind::Display, [](Ctx& c) -> i16& { return c.m.Graphics; }),
                  [](Ctx& c) {
                      if (c.m.Graphics != kGraphicsClassic) c.m.Graphics = kGraphicsModern;
                  });
        // A file from before the looks: the modern look, which has its room on.
        k.missing = [](Ctx& c) {
            c.m.Graphics = kGraphicsModern;
            c.m.UseRoom = kTrue;
        };
        return k;
    }(),
    // Ours: the name at a network table; the network screen checks it.
    Line("NetName", [](Ctx& c) -> std::string& { return c.s.netName; }),
};

bool Tolerant(Kind k) {
    return k == Kind::Display || k == Kind::DisplayBit || k == Kind::Spread || k == Kind::Line;
}

std::string KeyName(const SettingKey& k, int i) {
    return k.scope == Scope::Once ? std::string(k.name) : k.name + std::to_string(i);
}

// Calls f(key, i) for every key that take() chooses, in the table's order; a
// run of keys of the same row scope goes row by row ("R0", "RM0", "R1", ...).
template <typename Take, typename F> void ForEachKey(Take take, F f) {
    const std::size_t n = std::size(kKeys);
    for (std::size_t a = 0; a < n;) {
        std::size_t b = a + 1;
        while (kKeys[a].scope != Scope::Once && b < n && kKeys[b].scope == kKeys[a].scope)
            ++b;
        if (kKeys[a].scope == Scope::Once) {
            if (take(kKeys[a])) f(kKeys[a], 0);
        } else {
            for (int r = 0; r < kMaxPlayers; ++r)
                for (std::size_t k = a; k < b; ++k)
                    if (take(kKeys[k])) f(kKeys[k], kKeys[k].scope == Scope::Row ? r : r + 1);
        }
        a = b;
    }
}

void Check(bool ok, const std::string& key) {
    if (!ok) throw LoadFailure{"Недопустимое значение " + key};
}

// One key read from the file (raw is its value, "" when missing).
void ReadKey(const SettingKey& k, Ctx& c, const std::string& key, const std::string& raw) {
    switch (k.kind) {
    case Kind::Display:
    case Kind::DisplayBit: {
        if (raw.empty()) {
            if (k.missing) k.missing(c);
            break;
        }
        try {
            const i16 v = ToI16(RegionalNumber(raw));
            k.num(c) = k.kind == Kind::Display ? v : Flag(v != 0);
        } catch (const LoadFailure&) {
        }
        break;
    }
    case Kind::Spread:
        try {
            if (!raw.empty()) c.m.VarK = RegionalFloat(raw);
        } catch (const LoadFailure&) {
        }
        if (!(c.m.VarK >= 0 && c.m.VarK <= 0.1f)) c.m.VarK = 0;
        break;
    case Kind::Int:
    case Kind::Box:
        k.num(c) = IntOf(raw);
        Check(k.num(c) >= k.lo && k.num(c) <= k.hi, key);
        if (k.flag) c.m.*k.flag = Flag(k.num(c) != 0);
        break;
    case Kind::Bit:
        k.num(c) = FlagOf(raw);
        break;
    case Kind::Text:
        if (c.m.ZI == 0) k.text(c) = raw;
        // A blank name gets the row's default.
        if (k.text(c).empty()) k.text(c) = "Гобла" + std::to_string(c.i + 1);
        break;
    case Kind::Line:
        k.text(c) = Trim(raw);
        break;
    case Kind::Mass: {
        // A missing mass is the default mass, not a piece of mass 0.
        const i16 M = raw.empty() ? 1 : IntOf(raw);
        Check(M >= k.lo && M <= k.hi, key);
        c.m.Gobla(c.i + 1).M = M;
        break;
    }
    case Kind::Level:
        k.num(c) = raw.empty() ? kLevelMaster : IntOf(raw);
        Check(k.num(c) >= k.lo && k.num(c) <= k.hi, key);
        break;
    case Kind::TableSize:
        k.num(c) = IntOf(raw);
        k.text(c) = std::to_string(k.num(c));
        break;
    case Kind::Friction:
        c.m.Ftr = raw.empty() ? kDefaultFriction : RegionalNumber(raw);
        if (c.m.Ftr != kFrictions[0] && c.m.Ftr != kFrictions[1] && c.m.Ftr != kFrictions[2])
            c.m.Ftr = kDefaultFriction;
        break;
    case Kind::Take:
        try {
            const i16 b = IntOf(raw);
            if (b >= k.lo && b <= k.hi) k.num(c) = b;
        } catch (const LoadFailure&) {
        }
        break;
    }
    if (k.after) k.after(c);
}

// One key's value as the file keeps it.
std::string ValueText(const SettingKey& k, Ctx& c) {
    auto bit = [](i16 v) { return std::string(v != 0 ? "1" : "0"); };
    switch (k.kind) {
    case Kind::DisplayBit:
    case Kind::Box:
    case Kind::Bit:
        return bit(k.num(c));
    case Kind::Spread:
        return RealText(c.m.VarK);
    case Kind::Friction:
        return RealText(c.m.Ftr);
    case Kind::Text:
    case Kind::TableSize:
    case Kind::Line:
        return OneLine(k.text(c));
    case Kind::Mass:
        return std::to_string((*c.masses)[static_cast<std::size_t>(c.i)]);
    default:
        return std::to_string(k.num(c));
    }
}

// The loading itself; bytes is null when the file could not be read (err says why).
bool ReadSettings(Module1& m, SettingsRecord& s, const std::string* bytes, const std::string& err,
                  DialogPort& dialogs, bool replayMode) {
    dialogs.SetBusy(true);
    m.MaxX = 0;
    m.MaxY = 0;
    TextLines f;
    if (bytes) f.SetBytes(*bytes);
    auto pass = [&](auto take) {
        ForEachKey(take, [&](const SettingKey& k, int i) {
            Ctx c{m, s, nullptr, i};
            if ((k.when && !k.when(c)) || (k.quickOnly && m.ZI != 0)) return;
            const std::string key = KeyName(k, i);
            ReadKey(k, c, key, GetKey(kSection, key, f));
        });
    };
    try {
        if (!bytes) throw LoadFailure{err};
        pass([](const SettingKey& k) { return Tolerant(k.kind); });
        pass([](const SettingKey& k) { return !Tolerant(k.kind) && k.kind != Kind::Take; });
    } catch (const LoadFailure& e) {
        const std::string text = std::string("Ошибка при загрузке параметров.") + NL2 +
                                 "Описание ошибки: " + e.description + NL2 +
                                 "Параметры будут установлены по умолчанию.";
        dialogs.SetBusy(false);
        LogError(text);
        dialogs.Message(text, MsgIcon::Stop, MsgButtons::Ok);
        ApplyDefaultSettings(m, s);
        return false;
    }
    dialogs.SetBusy(false);
    if (!replayMode) pass([](const SettingKey& k) { return k.kind == Kind::Take; });
    return true;
}

} // namespace

Masses PieceMasses(const Module1& m) {
    Masses out{};
    for (int i = 1; i <= kMaxPlayers; ++i)
        out[static_cast<std::size_t>(i - 1)] = m.Gobla(i).M;
    return out;
}

void ApplyDefaultSettings(Module1& m, SettingsRecord& s) {
    SetDefaultSettings(m);
    s = SettingsRecord{};
    for (int r = 0; r < kMaxPlayers; ++r) {
        PlayerRow& row = s.rows[static_cast<std::size_t>(r)];
        row.name = "Омон" + std::to_string(r + 1);
        row.take = r < 2 ? 1 : 0;
    }
}

bool LoadSettings(Module1& m, SettingsRecord& s, const std::string& path, DialogPort& dialogs,
                  bool replayMode) {
    if (!FileExists(path)) {
        ApplyDefaultSettings(m, s);
        return false;
    }
    std::string bytes, err;
    const bool opened = ReadFileBytes(path, bytes, &err);
    return ReadSettings(m, s, opened ? &bytes : nullptr, err, dialogs, replayMode);
}

bool LoadSettingsText(Module1& m, SettingsRecord& s, std::string_view bytes, DialogPort& dialogs,
                      bool replayMode) {
    const std::string copy(bytes);
    return ReadSettings(m, s, &copy, {}, dialogs, replayMode);
}

std::string SettingsText(const Module1& m, const SettingsRecord& s, const Masses& masses) {
    // The accessors serve reading too, hence the non-const view; nothing is changed.
    Module1& mm = const_cast<Module1&>(m);
    SettingsRecord& ss = const_cast<SettingsRecord&>(s);
    std::string t = "[zvrset]";
    ForEachKey([](const SettingKey& k) { return k.write; },
               [&](const SettingKey& k, int i) {
                   Ctx c{mm, ss, &masses, i};
                   if (k.when && !k.when(c)) return;
                   t += NL;
                   t += KeyName(k, i);
                   t += '=';
                   t += ValueText(k, c);
               });
    return t;
}

bool SaveSettings(const Module1& m, const SettingsRecord& s, const Masses& masses,
                  const std::string& path, DialogPort& dialogs) {
    dialogs.SetBusy(true);
    const std::string text = SettingsText(m, s, masses);
    dialogs.SetBusy(false);
    return WriteTextFile(path, text, dialogs);
}

bool LoadSettingsFile(Module1& m, SettingsRecord& s, const std::string& path, DialogPort& dialogs) {
    if (!FileExists(path)) {
        dialogs.Message("Ошибка при загрузке файла:" + path + NL2 + ErrorText(ENOENT),
                        MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    return LoadSettings(m, s, path, dialogs, false);
}

} // namespace kv
