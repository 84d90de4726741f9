#include "persistence/Settings.h"

#include "persistence/ErrorLog.h"
#include "persistence/TextFile.h"

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

// What the options screen shows of the state, so that a match started from
// the models keeps the loaded friction and spread.
void OptionsFromState(const Module1& m, OptionsModel& o) {
    o.opTr = m.Ftr == 0.01 ? 0 : m.Ftr == 0.03 ? 2 : 1;
    o.OtklScroll = static_cast<int>(std::lround(static_cast<double>(m.VarK) * 50));
    o.chkSimm = m.BordSimm != 0 ? 1 : 0;
    o.chkPipaSimm = m.PipaSimm != 0 ? 1 : 0;
    o.chkTex = m.UseTex != 0 ? 1 : 0;
    o.chkUseRoom = m.UseRoom != 0 ? 1 : 0;
    o.cmbGList = std::to_string(m.ScreenW) + "x" + std::to_string(m.ScreenH) + "x" +
                 std::to_string(m.Colors);
    o.cmbVideo = m.DeviceNum;
    o.lstDevice = m.RenderNum;
}

void CountTicked(QuickGameModel& quick) {
    const int n = quick.TickedRows();
    if (n >= 2) quick.GamersCount = static_cast<i16>(n);
}

bool ReadSettings(Module1& m, QuickGameModel& quick, OptionsModel& options,
                  const std::string* bytes, const std::string& err, DialogPort& dialogs,
                  bool replayMode);

} // namespace

std::string SettingsPath() {
    return StateDir() + "zvr2.ini";
}

void ApplyDefaultSettings(Module1& m, QuickGameModel& quick, OptionsModel& options) {
    SetDefaultSettings(m);
    for (int r = 0; r < kRows; ++r) {
        PlayerRow& row = quick.rows[static_cast<std::size_t>(r)];
        row.txtG = "Омон" + std::to_string(r + 1);
        row.cmb = 0;
        row.chkComp = 0;
        row.chk = r < 2 ? 1 : 0;
    }
    quick.GamersCount = 2;
    options.txtSizeG = "600";
    options.txtSizeV = "400";
    options.chkMaxSize = 0;
    options.chkBorder = 1;
    options.chkPipa = 1;
    options.chkCompHOD = 0;
    options.chkSound = 1;
    OptionsFromState(m, options);
}

bool LoadSettings(Module1& m, QuickGameModel& quick, OptionsModel& options, const std::string& path,
                  DialogPort& dialogs, bool replayMode) {
    if (!FileExists(path)) {
        ApplyDefaultSettings(m, quick, options);
        return false;
    }
    std::string bytes, err;
    const bool opened = ReadFileBytes(path, bytes, &err);
    return ReadSettings(m, quick, options, opened ? &bytes : nullptr, err, dialogs, replayMode);
}

bool LoadSettingsText(Module1& m, QuickGameModel& quick, OptionsModel& options,
                      std::string_view bytes, DialogPort& dialogs, bool replayMode) {
    const std::string copy(bytes);
    return ReadSettings(m, quick, options, &copy, {}, dialogs, replayMode);
}

namespace {

// The loading itself; bytes is null when the file could not be read (err says why).
bool ReadSettings(Module1& m, QuickGameModel& quick, OptionsModel& options,
                  const std::string* bytes, const std::string& err, DialogPort& dialogs,
                  bool replayMode) {
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
        if (m.ScreenW == 0) m.ScreenW = 640;
        if (m.ScreenH == 0) m.ScreenH = 480;
        if (m.Colors == 0) m.Colors = 8;
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
        for (int i = 0; i < kRows; ++i) {
            PlayerRow& row = quick.rows[static_cast<std::size_t>(i)];
            if (m.ZI == 0) {
                row.txtG = raw(Nk("R", i));
                row.cmb = IntOf(raw(Nk("RModel", i)));
                Check(row.cmb >= 0 && row.cmb <= 3, Nk("RModel", i));
                row.chkComp = IntOf(raw(Nk("RComp", i)));
                Check(row.chkComp >= 0 && row.chkComp <= 2, Nk("RComp", i));
                // A missing mass is the default mass, not a piece of mass 0.
                const std::string mass = raw(Nk("RM", i));
                const i16 M = mass.empty() ? 1 : IntOf(mass);
                Check(M >= 1 && M <= 1000, Nk("RM", i));
                m.Gobla(i + 1).M = M;
            }
            if (row.txtG.empty()) row.txtG = "Гобла" + std::to_string(i + 1);
            m.KH(i + 1) = IntOf(raw(Nk("KtoHodit", i + 1)));
            Check(m.KH(i + 1) >= 0 && m.KH(i + 1) <= kMaxPlayers, Nk("KtoHodit", i + 1));
            m.WS(i + 1) = IntOf(raw(Nk("WhoSgin", i + 1)));
            Check(m.WS(i + 1) >= 0 && m.WS(i + 1) <= kMaxPlayers, Nk("WhoSgin", i + 1));
        }
        m.MaxX = IntOf(raw("MaxX"));
        options.txtSizeG = std::to_string(m.MaxX);
        m.MaxY = IntOf(raw("MaxY"));
        options.txtSizeV = std::to_string(m.MaxY);
        m.CurSgin = IntOf(raw("CurSgin"));
        Check(m.CurSgin >= 0 && m.CurSgin <= kMaxPlayers, "CurSgin");
        m.CurNG = IntOf(raw("CurNG"));
        Check(m.CurNG >= 0 && m.CurNG <= kMaxPlayers, "CurNG");
        m.CurG = IntOf(raw("CurG"));
        if (m.CurG == 0) m.CurG = 1;
        if (m.CurG > m.MaxGamers) m.CurG = m.MaxGamers;
        Check(m.CurG >= 1, "CurG");
        const std::string ftr = raw("Ftr");
        m.Ftr = ftr.empty() ? 0.02 : RegionalNumber(ftr);
        if (m.Ftr != 0.01 && m.Ftr != 0.02 && m.Ftr != 0.03) m.Ftr = 0.02;
        options.chkMaxSize = box("MaxScr");
        if (options.chkMaxSize == 1) m.MaxX = m.MaxY = 1000;
        if (m.MaxX == 0) m.MaxX = 600;
        if (m.MaxY == 0) m.MaxY = 400;
        options.chkCompHOD = box("CompHOD");
        m.IsCompHOD = Flag(options.chkCompHOD != 0);
        options.chkBorder = box("Border");
        m.Border = Flag(options.chkBorder != 0);
        if (m.Border != 0) {
            m.BordMode = IntOf(raw("BordMode"));
            Check(m.BordMode == 0 || m.BordMode == 1, "BordMode");
            m.BordSimm = FlagOf(raw("BordSimm"));
        }
        options.chkSound = box("Sound");
        m.Sound = Flag(options.chkSound != 0);
        options.chkPipa = box("Pipa");
        m.PipaOn = Flag(options.chkPipa != 0);
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
        ApplyDefaultSettings(m, quick, options);
        return false;
    }
    dialogs.SetBusy(false);
    if (!replayMode) {
        for (int i = 0; i < kRows; ++i) {
            try {
                const i16 b = IntOf(raw(Nk("chk", i)));
                if (b >= 0 && b <= 2) quick.rows[static_cast<std::size_t>(i)].chk = b;
            } catch (const LoadFailure&) {
            }
        }
    }
    CountTicked(quick);
    OptionsFromState(m, options);
    return true;
}

} // namespace

std::string SettingsText(const Module1& m, const QuickGameModel& quick,
                         const OptionsModel& options) {
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
    for (int i = 0; i < kRows; ++i) {
        const PlayerRow& row = quick.rows[static_cast<std::size_t>(i)];
        line(Nk("R", i), row.txtG);
        num(Nk("RModel", i), row.cmb);
        num(Nk("RComp", i), row.chkComp);
        num(Nk("RM", i), m.Gobla(i + 1).M);
    }
    line("MaxX", options.txtSizeG);
    line("MaxY", options.txtSizeV);
    line("Ftr", RealText(m.Ftr));
    line("VarK", RealText(m.VarK));
    bit("MaxScr", options.chkMaxSize);
    bit("CompHOD", options.chkCompHOD);
    bit("Sound", options.chkSound);
    bit("Border", options.chkBorder);
    if (options.chkBorder != 0) {
        num("BordMode", m.BordMode);
        bit("BordSimm", m.BordSimm);
    }
    bit("Pipa", options.chkPipa);
    if (options.chkPipa != 0) {
        num("PipaMode", m.PipaMode);
        bit("PipaSimm", m.PipaSimm);
    }
    for (int i = 0; i < kRows; ++i)
        num(Nk("chk", i), quick.rows[static_cast<std::size_t>(i)].chk);
    // Ours, last, so that older readers simply skip it: full screen or a desktop window.
    bit("Windowed", m.Windowed);
    return t;
}

bool SaveSettings(const Module1& m, const QuickGameModel& quick, const OptionsModel& options,
                  const std::string& path, DialogPort& dialogs) {
    dialogs.SetBusy(true);
    const std::string text = SettingsText(m, quick, options);
    dialogs.SetBusy(false);
    return WriteTextFile(path, text, dialogs);
}

bool LoadSettingsFile(Module1& m, QuickGameModel& quick, OptionsModel& options,
                      const std::string& path, DialogPort& dialogs) {
    if (!FileExists(path)) {
        dialogs.Message("Ошибка при загрузке файла:" + path + NL2 + ErrorText(ENOENT),
                        MsgIcon::Stop, MsgButtons::Ok);
        return false;
    }
    return LoadSettings(m, quick, options, path, dialogs, false);
}

} // namespace kv
