#include "persistence/Settings.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Folders.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"

#include <cerrno>
#include <cmath>

namespace kv {

namespace {

const char* kSection = "zvrset";

std::string Nk(const char* k, int i) {
    return k + std::to_string(i);
}

void Check(bool ok, const std::string& key) {
    if (!ok) throw LoadFailure{"Недопустимое значение " + key};
}

bool ReadSettings(Module1& m, SettingsControls& c, const std::string* bytes, const std::string& err,
                  DialogPort& dialogs, bool replayMode);

} // namespace

std::string SettingsPath() {
    return StateDir() + "zvr2.ini";
}

void ApplyDefaultSettings(Module1& m, SettingsControls& c) {
    SetDefaultSettings(m);
    c = SettingsControls{};
    for (int r = 0; r < kMaxPlayers; ++r) {
        SettingsRow& row = c.rows[static_cast<std::size_t>(r)];
        row.name = "Омон" + std::to_string(r + 1);
        row.take = r < 2 ? 1 : 0;
    }
}

bool LoadSettings(Module1& m, SettingsControls& c, const std::string& path, DialogPort& dialogs,
                  bool replayMode) {
    if (!FileExists(path)) {
        ApplyDefaultSettings(m, c);
        return false;
    }
    std::string bytes, err;
    const bool opened = ReadFileBytes(path, bytes, &err);
    return ReadSettings(m, c, opened ? &bytes : nullptr, err, dialogs, replayMode);
}

bool LoadSettingsText(Module1& m, SettingsControls& c, std::string_view bytes, DialogPort& dialogs,
                      bool replayMode) {
    const std::string copy(bytes);
    return ReadSettings(m, c, &copy, {}, dialogs, replayMode);
}

namespace {

// The loading itself; bytes is null when the file could not be read (err says why).
bool ReadSettings(Module1& m, SettingsControls& c, const std::string* bytes, const std::string& err,
                  DialogPort& dialogs, bool replayMode) {
    dialogs.SetBusy(true);
    m.MaxX = 0;
    m.MaxY = 0;
    TextLines f;
    const bool opened = bytes != nullptr;
    if (opened) f.SetBytes(*bytes);
    auto raw = [&](const std::string& key) { return GetKey(kSection, key, f); };
    // Display values: a missing or malformed one keeps what was there.
    auto regional = [&](const char* key, i16& v) {
        try {
            const std::string s = raw(key);
            if (s.empty()) return false;
            v = ToI16(RegionalNumber(s));
            return true;
        } catch (const LoadFailure&) {
            return false;
        }
    };
    try {
        if (!opened) throw LoadFailure{err};
        regional("ScreenW", m.ScreenW);
        regional("ScreenH", m.ScreenH);
        regional("Colors", m.Colors);
        i16 v = 0;
        if (regional("UseTex", v)) m.UseTex = Flag(v != 0);
        if (regional("UseRoom", v)) m.UseRoom = Flag(v != 0);
        FixDisplaySettings(m);
        regional("DeviceNum", m.DeviceNum);
        regional("RenderNum", m.RenderNum);
        if (regional("Windowed", v)) m.Windowed = Flag(v != 0);
        try {
            const std::string s = raw("VarK");
            if (!s.empty()) m.VarK = RegionalFloat(s);
        } catch (const LoadFailure&) {
        }
        if (!(m.VarK >= 0 && m.VarK <= 0.1f)) m.VarK = 0;

        // From here on any error fails the whole load.
        auto box = [&](const char* key) {
            const i16 b = IntOf(raw(key));
            Check(b >= 0 && b <= 2, key);
            return b;
        };
        const i16 num = IntOf(raw("Num"));
        m.MaxGamers = num < 2 ? 2 : num > kMaxPlayers ? static_cast<i16>(kMaxPlayers) : num;
        for (int i = 0; i < kMaxPlayers; ++i) {
            SettingsRow& row = c.rows[static_cast<std::size_t>(i)];
            if (m.ZI == 0) {
                row.name = raw(Nk("R", i));
                row.model = IntOf(raw(Nk("RModel", i)));
                Check(row.model >= 0 && row.model <= 3, Nk("RModel", i));
                row.computer = IntOf(raw(Nk("RComp", i)));
                Check(row.computer >= 0 && row.computer <= 2, Nk("RComp", i));
                // A missing mass is the default mass, not a piece of mass 0.
                const std::string mass = raw(Nk("RM", i));
                const i16 M = mass.empty() ? 1 : IntOf(mass);
                Check(M >= 1 && M <= 1000, Nk("RM", i));
                m.Gobla(i + 1).M = M;
                // Ours; a file without it plays the master.
                const std::string level = raw(Nk("RLevel", i));
                row.level = level.empty() ? kLevelMaster : IntOf(level);
                Check(row.level >= kLevelNovice && row.level <= kLevelMaster, Nk("RLevel", i));
            }
            if (row.name.empty()) row.name = "Гобла" + std::to_string(i + 1);
            m.KH(i + 1) = IntOf(raw(Nk("KtoHodit", i + 1)));
            Check(m.KH(i + 1) >= 0 && m.KH(i + 1) <= kMaxPlayers, Nk("KtoHodit", i + 1));
            m.WS(i + 1) = IntOf(raw(Nk("WhoSgin", i + 1)));
            Check(m.WS(i + 1) >= 0 && m.WS(i + 1) <= kMaxPlayers, Nk("WhoSgin", i + 1));
        }
        m.MaxX = IntOf(raw("MaxX"));
        c.sizeX = std::to_string(m.MaxX);
        m.MaxY = IntOf(raw("MaxY"));
        c.sizeY = std::to_string(m.MaxY);
        m.CurSgin = IntOf(raw("CurSgin"));
        Check(m.CurSgin >= 0 && m.CurSgin <= kMaxPlayers, "CurSgin");
        m.CurNG = IntOf(raw("CurNG"));
        Check(m.CurNG >= 0 && m.CurNG <= kMaxPlayers, "CurNG");
        m.CurG = IntOf(raw("CurG"));
        if (m.CurG == 0) m.CurG = 1;
        if (m.CurG > m.MaxGamers) m.CurG = m.MaxGamers;
        Check(m.CurG >= 1, "CurG");
        const std::string ftr = raw("Ftr");
        m.Ftr = ftr.empty() ? kDefaultFriction : RegionalNumber(ftr);
        if (m.Ftr != kFrictions[0] && m.Ftr != kFrictions[1] && m.Ftr != kFrictions[2])
            m.Ftr = kDefaultFriction;
        c.maxSize = box("MaxScr");
        if (c.maxSize == 1) m.MaxX = m.MaxY = kMaxTableSize;
        if (m.MaxX == 0) m.MaxX = kDefaultTableX;
        if (m.MaxY == 0) m.MaxY = kDefaultTableY;
        c.compPause = box("CompHOD");
        m.IsCompHOD = Flag(c.compPause != 0);
        c.border = box("Border");
        m.Border = Flag(c.border != 0);
        if (m.Border != 0) {
            m.BordMode = IntOf(raw("BordMode"));
            Check(m.BordMode == 0 || m.BordMode == 1, "BordMode");
            m.BordSimm = FlagOf(raw("BordSimm"));
        }
        c.sound = box("Sound");
        m.Sound = Flag(c.sound != 0);
        c.pipa = box("Pipa");
        m.PipaOn = Flag(c.pipa != 0);
        if (m.PipaOn != 0) {
            m.PipaMode = IntOf(raw("PipaMode"));
            Check(m.PipaMode == 0 || m.PipaMode == 1, "PipaMode");
            m.PipaSimm = FlagOf(raw("PipaSimm"));
        }
    } catch (const LoadFailure& e) {
        const std::string text = std::string("Ошибка при загрузке параметров.") + NL2 +
                                 "Описание ошибки: " + e.description + NL2 +
                                 "Параметры будут установлены по умолчанию.";
        dialogs.SetBusy(false);
        LogError(text);
        dialogs.Message(text, MsgIcon::Stop, MsgButtons::Ok);
        ApplyDefaultSettings(m, c);
        return false;
    }
    dialogs.SetBusy(false);
    if (!replayMode) {
        for (int i = 0; i < kMaxPlayers; ++i) {
            try {
                const i16 b = IntOf(raw(Nk("chk", i)));
                if (b >= 0 && b <= 2) c.rows[static_cast<std::size_t>(i)].take = b;
            } catch (const LoadFailure&) {
            }
        }
    }
    return true;
}

} // namespace

std::string SettingsText(const Module1& m, const SettingsControls& c) {
    std::string t = "[zvrset]";
    auto line = [&](const std::string& key, const std::string& value) {
        t += NL;
        t += key;
        t += '=';
        t += OneLine(value);
    };
    auto num = [&](const std::string& key, int v) { line(key, std::to_string(v)); };
    auto bit = [&](const std::string& key, int v) { line(key, v != 0 ? "1" : "0"); };
    num("ScreenW", m.ScreenW);
    num("ScreenH", m.ScreenH);
    num("Colors", m.Colors);
    bit("UseTex", m.UseTex);
    bit("UseRoom", m.UseRoom);
    num("DeviceNum", m.DeviceNum);
    num("RenderNum", m.RenderNum);
    for (int i = 0; i < kMaxPlayers; ++i) {
        const SettingsRow& row = c.rows[static_cast<std::size_t>(i)];
        line(Nk("R", i), row.name);
        num(Nk("RModel", i), row.model);
        num(Nk("RComp", i), row.computer);
        num(Nk("RM", i), m.Gobla(i + 1).M);
    }
    line("MaxX", c.sizeX);
    line("MaxY", c.sizeY);
    line("Ftr", RealText(m.Ftr));
    line("VarK", RealText(m.VarK));
    bit("MaxScr", c.maxSize);
    bit("CompHOD", c.compPause);
    bit("Sound", c.sound);
    bit("Border", c.border);
    if (c.border != 0) {
        num("BordMode", m.BordMode);
        bit("BordSimm", m.BordSimm);
    }
    bit("Pipa", c.pipa);
    if (c.pipa != 0) {
        num("PipaMode", m.PipaMode);
        bit("PipaSimm", m.PipaSimm);
    }
    for (int i = 0; i < kMaxPlayers; ++i)
        num(Nk("chk", i), c.rows[static_cast<std::size_t>(i)].take);
    // Ours, last, so that older readers simply skip it: full screen or a desktop window.
    bit("Windowed", m.Windowed);
    // Ours too: the computer's strength in each row.
    for (int i = 0; i < kMaxPlayers; ++i)
        num(Nk("RLevel", i), c.rows[static_cast<std::size_t>(i)].level);
    return t;
}

bool SaveSettings(const Module1& m, const SettingsControls& c, const std::string& path,
                  DialogPort& dialogs) {
    dialogs.SetBusy(true);
    const std::string text = SettingsText(m, c);
    dialogs.SetBusy(false);
    return WriteTextFile(path, text, dialogs);
}

bool LoadSettingsFile(Module1& m, SettingsControls& c, const std::string& path,
                      DialogPort& dialogs) {
    if (!FileExists(path)) {
        dialogs.Message("Ошибка при загрузке файла:" + path + NL2 + ErrorText(ENOENT),
                        MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    return LoadSettings(m, c, path, dialogs, false);
}

} // namespace kv
