#include "persistence/SaveGame.h"

#include "persistence/ErrorLog.h"

#include <cmath>

namespace kv {

namespace {

class Writer {
public:
    std::string text;
    void Line(const std::string& s) {
        text += s;
        text += NL;
    }
    void Int(const char* key, int v) { Line(std::string(key) + "=" + std::to_string(v)); }
    void Flag(const char* key, i16 v) { Int(key, v != 0 ? -1 : 0); }
    void Real(const char* key, double v) { Line(std::string(key) + "=" + RealText(v)); }
    void Real(const char* key, float v) { Line(std::string(key) + "=" + RealText(v)); }
    void Text(const char* key, const std::string& v) { Line(std::string(key) + "=" + OneLine(v)); }
};

std::string Num(const char* key, int i) {
    return std::string(key) + std::to_string(i);
}

// Lookups of one section of an open file.
class Reader {
public:
    Reader(const TextLines& f, std::string section) : f_(f), s_(std::move(section)) {}
    std::string Raw(const std::string& key) const { return GetKey(s_, key, f_); }
    i16 Int(const std::string& key) const { return IntOf(Raw(key)); }
    i16 Flag(const std::string& key) const { return FlagOf(Raw(key)); }
    std::string Text(const std::string& key) const { return Raw(key); }
    double Real(const std::string& key, double empty) const {
        const std::string v = Raw(key);
        return v.empty() ? empty : RegionalNumber(v);
    }
    float Float(const std::string& key, float empty) const {
        const std::string v = Raw(key);
        return v.empty() ? empty : RegionalFloat(v);
    }

private:
    const TextLines& f_;
    std::string s_;
};

void Check(bool ok, const std::string& what) {
    if (!ok) throw LoadFailure{"Недопустимое значение " + what};
}

// Values that would break the match: the load fails instead of the physics.
void Validate(const Module1& m) {
    const int n = m.MaxGamers;
    Check(n >= 2 && n <= kMaxPlayers, "MaxGamers");
    Check(m.Ftr > 0, "Ftr");
    Check(m.CurNG >= 1 && m.CurNG <= n, "CurNG");
    Check(m.CurG >= 1 && m.CurG <= n, "CurG");
    Check(m.CurSgin >= 0 && m.CurSgin <= n, "CurSgin");
    for (int p = 1; p <= kMaxPlayers; ++p) {
        // Entries past MaxGamers may hold an earlier, larger match's values.
        const int top = p <= n ? n : kMaxPlayers;
        Check(m.KH(p) >= (p <= n ? 1 : 0) && m.KH(p) <= top, Num("KH", p));
        Check(m.WS(p) >= 0 && m.WS(p) <= top, Num("WS", p));
    }
    Check(m.MaxPip >= 0 && m.MaxPip <= kObstacles, "MaxPip");
    for (int s = 1; s <= n; ++s) {
        const GoblaRec& g = m.Gobla(s);
        Check(g.M >= 1 && g.M <= 1000, "M в разделе " + Num("Gobla", s));
        Check(g.Model >= 0 && g.Model <= 3, "Model в разделе " + Num("Gobla", s));
    }
    for (int s = n + 1; s <= kPieceSlots; ++s) {
        const GoblaRec& g = m.Gobla(s);
        Check(g.Model >= 0 && g.Model <= kModelWall, "Model в разделе " + Num("Gobla", s));
    }
    if (m.ZI != 0) {
        Check(m.N1 >= 1 && m.N1 <= kTeams && m.N2 >= 1 && m.N2 <= kTeams && m.N1 != m.N2, "N1, N2");
        Check(m.rc(m.N1).RType >= 0 && m.rc(m.N1).RType <= 3, Num("RType в разделе rc", m.N1));
        Check(m.rc(m.N2).RType >= 0 && m.rc(m.N2).RType <= 3, Num("RType в разделе rc", m.N2));
    }
}

void ReadKeys(Module1& m, const TextLines& f) {
    const Reader g(f, "general");
    m.Border = g.Flag("Border");
    m.BordMode = g.Int("BordMode");
    m.BordSimm = g.Flag("BordSimm");
    m.CurG = g.Int("CurG");
    m.CurNG = g.Int("CurNG");
    m.CurSgin = g.Int("CurSgin");
    m.Ftr = g.Real("Ftr", 0.02);
    m.GPercent = g.Real("GPercent", 0);
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.KH(i) = g.Int(Num("KH", i));
        m.WS(i) = g.Int(Num("WS", i));
    }
    m.PipaOn = g.Flag("PipaOn");
    m.MaxPip = g.Int("MaxPip");
    m.MaxX = g.Int("MaxX");
    m.MaxY = g.Int("MaxY");
    m.PipaMode = g.Int("PipaMode");
    m.PipaSimm = g.Flag("PipaSimm");
    m.VarK = g.Float("VarK", 0);
    if (!(m.VarK >= 0 && m.VarK <= 0.1f)) m.VarK = 0;
    m.ZI = g.Flag("ZI");
    m.IsCompHOD = g.Flag("IsCompHOD");
    m.Sound = g.Flag("Sound");
    m.MaxGamers = g.Int("MaxGamers");
    m.N1 = g.Int("N1");
    m.N2 = g.Int("N2");

    for (int s = 1; s <= kPieceSlots; ++s) {
        const Reader r(f, Num("Gobla", s));
        GoblaRec& p = m.Gobla(s);
        p.Com = r.Int("Com");
        p.CompControl = r.Int("CompControl");
        p.Gray = r.Flag("Gray");
        p.Life = r.Flag("Life");
        p.M = r.Int("M");
        p.Model = r.Int("Model");
        p.MyNum = r.Int("MyNum");
        p.Phi = r.Real("Phi", p.Phi);
        p.RName = r.Text("RName");
        p.ScoreA = r.Int("ScoreA");
        p.ScoreATotal = r.Int("ScoreATotal");
        p.ScoreF = r.Int("ScoreF");
        p.ScoreFTotal = r.Int("ScoreFTotal");
        p.ScoreL = r.Int("ScoreL");
        p.ScoreLTotal = r.Int("ScoreLTotal");
        p.Sginul = r.Int("Sginul");
        p.U = r.Real("U", p.U);
        p.Xpos = r.Real("Xpos", 0);
        p.Ypos = r.Real("Ypos", 0);
        p.Xvec = r.Real("Xvec", 0);
        p.Yvec = r.Real("Yvec", 0);
    }
    if (m.ZI != 0) {
        for (int t = 1; t <= kTeams; ++t) {
            const Reader r(f, Num("rc", t));
            TeamRec& c = m.rc(t);
            c.ComName = r.Text("ComName");
            c.CompControl = r.Int("CompControl");
            c.Kolvo = r.Int("Kolvo");
            c.RType = r.Int("RType");
            c.R1 = r.Text("R1");
            c.R2 = r.Text("R2");
            c.R3 = r.Text("R3");
            c.R4 = r.Text("R4");
            c.Score = r.Int("Score");
        }
    }
    for (int k = 1; k <= kObstacles; ++k) {
        const Reader r(f, Num("pipa", k));
        m.pipa(k).X = r.Real("X", 0);
        m.pipa(k).Y = r.Real("Y", 0);
    }
}

} // namespace

std::string SnapshotText(const Module1& m) {
    Writer w;
    w.Line("[general]");
    w.Int("Ver", kBuild);
    w.Flag("Border", m.Border);
    w.Int("BordMode", m.BordMode);
    w.Flag("BordSimm", m.BordSimm);
    w.Int("CurG", m.CurG);
    w.Int("CurNG", m.CurNG);
    w.Int("CurSgin", m.CurSgin);
    w.Real("Ftr", m.Ftr);
    w.Real("GPercent", m.GPercent);
    for (int i = 1; i <= kMaxPlayers; ++i) {
        w.Int(Num("KH", i).c_str(), m.KH(i));
        w.Int(Num("WS", i).c_str(), m.WS(i));
    }
    w.Flag("PipaOn", m.PipaOn);
    w.Int("MaxPip", m.MaxPip);
    w.Int("MaxX", m.MaxX);
    w.Int("MaxY", m.MaxY);
    w.Int("PipaMode", m.PipaMode);
    w.Flag("PipaSimm", m.PipaSimm);
    w.Real("VarK", m.VarK);
    w.Flag("ZI", m.ZI);
    w.Flag("IsCompHOD", m.IsCompHOD);
    w.Flag("Sound", m.Sound);
    w.Int("MaxGamers", m.MaxGamers);
    w.Int("N1", m.N1);
    w.Int("N2", m.N2);
    for (int s = 1; s <= kPieceSlots; ++s) {
        const GoblaRec& p = m.Gobla(s);
        w.Line("[" + Num("Gobla", s) + "]");
        w.Int("Com", p.Com);
        w.Int("CompControl", p.CompControl);
        w.Flag("Gray", p.Gray);
        w.Flag("Life", p.Life);
        w.Int("M", p.M);
        w.Int("Model", p.Model);
        w.Int("MyNum", p.MyNum);
        w.Real("Phi", p.Phi);
        w.Text("RName", p.RName);
        w.Int("ScoreA", p.ScoreA);
        w.Int("ScoreATotal", p.ScoreATotal);
        w.Int("ScoreF", p.ScoreF);
        w.Int("ScoreFTotal", p.ScoreFTotal);
        w.Int("ScoreL", p.ScoreL);
        w.Int("ScoreLTotal", p.ScoreLTotal);
        w.Int("Sginul", p.Sginul);
        w.Real("U", p.U);
        w.Real("Xpos", p.Xpos);
        w.Real("Ypos", p.Ypos);
        w.Real("Xvec", p.Xvec);
        w.Real("Yvec", p.Yvec);
    }
    if (m.ZI != 0) {
        for (int t = 1; t <= kTeams; ++t) {
            const TeamRec& c = m.rc(t);
            w.Line("[" + Num("rc", t) + "]");
            w.Text("ComName", c.ComName);
            w.Int("CompControl", c.CompControl);
            w.Int("Kolvo", c.Kolvo);
            w.Int("RType", c.RType);
            w.Text("R1", c.R1);
            w.Text("R2", c.R2);
            w.Text("R3", c.R3);
            w.Text("R4", c.R4);
            w.Int("Score", c.Score);
        }
    }
    for (int k = 1; k <= kObstacles; ++k) {
        w.Line("[" + Num("pipa", k) + "]");
        w.Real("X", m.pipa(k).X);
        w.Real("Y", m.pipa(k).Y);
    }
    return std::move(w.text);
}

bool WriteSaveGame(const Module1& m, const std::string& path, std::string* err) {
    const std::string text = ";Kvelmar II: Zantor - сохраненная игра:" + DateText() + " " +
                             TimeText() + NL + SnapshotText(m);
    return WriteFileAtomic(path, Utf8ToCp1251(text), err);
}

void SaveGame(Module1& m, const std::string& path) {
    std::string err;
    if (WriteSaveGame(m, path, &err)) return;
    m.HintText = "Ошибка при сохранении игры в файл " + path + ": " + err;
    LogError(m.HintText);
}

namespace detail {

void FailLoad(Module1& m, const std::string& path, SnapshotKind kind, const std::string& desc,
              DialogPort& dialogs) {
    const std::string text =
        kind == SnapshotKind::Game
            ? "Ошибка при загрузке файла:" + path + NL2 + desc
            : std::string("Ошибка при загрузке повтора.") + NL2 + "Описание ошибки: " + desc;
    LogError(text);
    dialogs.SetBusy(false);
    dialogs.Message(text, MsgIcon::Stop, MsgButtons::Ok);
    m.MaxGamers = 0;
}

bool ReadSnapshot(Module1& m, const TextLines& f, const std::string& path, SnapshotKind kind,
                  DialogPort& dialogs) {
    const std::string ver = GetKey("general", "ver", f);
    if (PlainNumber(ver) != kBuild) {
        const char* question =
            kind == SnapshotKind::Game
                ? "Эта игра записана не этой версией Kvelmar 2! Ее загрузка может оказаться "
                  "неудачной. Все равно продолжить?"
                : "Этот повтор записан не этой версией Kvelmar 2! Его загрузка может оказаться "
                  "неудачной. Продолжить?";
        if (dialogs.Message(question, MsgIcon::Stop, MsgButtons::YesNo) != MsgAnswer::Yes) {
            m.MaxGamers = 0;
            return false;
        }
    }
    try {
        ReadKeys(m, f);
    } catch (const LoadFailure& e) {
        FailLoad(m, path, kind, e.description, dialogs);
        return false;
    }
    if (m.ZI != 0 && (m.N1 == 0 || m.N2 == 0)) {
        const std::string text =
            "Неожиданная внутренняя ошибка: номера команд в файле повтора имеют недопустимые "
            "значения (0). Повтор не может быть загружен.";
        LogError(text);
        dialogs.SetBusy(false);
        dialogs.Message(text, MsgIcon::Stop, MsgButtons::Ok);
        m.MaxGamers = 0;
        return false;
    }
    try {
        Validate(m);
    } catch (const LoadFailure& e) {
        FailLoad(m, path, kind, e.description, dialogs);
        return false;
    }
    return true;
}

} // namespace detail

void LoadGame(Module1& m, const std::string& path, DialogPort& dialogs) {
    dialogs.SetBusy(true);
    for (int i = 1; i <= kMaxPlayers; ++i)
        m.SavedMass(i) = m.Gobla(i).M;
    TextLines f;
    std::string err;
    if (!f.Load(path, &err)) {
        detail::FailLoad(m, path, detail::SnapshotKind::Game, err, dialogs);
        return;
    }
    detail::ReadSnapshot(m, f, path, detail::SnapshotKind::Game, dialogs);
    dialogs.SetBusy(false);
}

bool CheckLoadedTable(const Module1& m, DialogPort& dialogs) {
    if (m.MaxX > 1000 || !(m.MaxY <= 1000 && m.MaxX >= 200 && m.MaxY >= 200)) {
        dialogs.Message("Размеры стола сохраненного повтора заданы неверно.", MsgIcon::Information,
                        MsgButtons::Ok);
        return false;
    }
    return true;
}

FileSaves::FileSaves(Module1& m) : m_(m), dir_(kv::StateDir()) {}

FileSaves::FileSaves(Module1& m, std::string dir) : m_(m), dir_(std::move(dir)) {
    if (!dir_.empty() && dir_.back() != '/') dir_ += '/';
}

void FileSaves::SaveGame(const std::string& path) {
    kv::SaveGame(m_, path);
}

} // namespace kv
