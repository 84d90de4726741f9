#include "persistence/SaveGame.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/Folders.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"

#include <cmath>
#include <vector>

namespace kv {

namespace {

std::string Num(const char* key, int i) {
    return std::string(key) + std::to_string(i);
}

// One key of a section and the field it holds, for reading and writing alike.
template <typename Rec> struct Field {
    enum class Form { Int, Flag, Real, Float, Text, TurnOrders };
    const char* key;
    Form form;
    i16 Rec::*i16f = nullptr;
    double Rec::*realf = nullptr;
    float Rec::*floatf = nullptr;
    std::string Rec::*textf = nullptr;
    double empty = 0;  // what an empty real reads as
    bool keep = false; // an empty real keeps the field's value
};

template <typename Rec> Field<Rec> Int(const char* k, i16 Rec::*f) {
    return {k, Field<Rec>::Form::Int, f};
}
template <typename Rec> Field<Rec> Flag(const char* k, i16 Rec::*f) {
    return {k, Field<Rec>::Form::Flag, f};
}
template <typename Rec> Field<Rec> Real(const char* k, double Rec::*f, double empty = 0) {
    Field<Rec> x{k, Field<Rec>::Form::Real};
    x.realf = f;
    x.empty = empty;
    return x;
}
template <typename Rec> Field<Rec> RealKept(const char* k, double Rec::*f) {
    Field<Rec> x = Real(k, f);
    x.keep = true;
    return x;
}
template <typename Rec> Field<Rec> Text(const char* k, std::string Rec::*f) {
    Field<Rec> x{k, Field<Rec>::Form::Text};
    x.textf = f;
    return x;
}

using G = Module1;
using P = GoblaRec;
using T = TeamRec;

// The sections' keys in the order they are written.
const Field<G> kGeneral[] = {
    Flag("Border", &G::Border),
    Int("BordMode", &G::BordMode),
    Flag("BordSimm", &G::BordSimm),
    Int("CurG", &G::CurG),
    Int("CurNG", &G::CurNG),
    Int("CurSgin", &G::CurSgin),
    Real("Ftr", &G::Ftr, 0.02),
    Real("GPercent", &G::GPercent),
    {"KH, WS", Field<G>::Form::TurnOrders},
    Flag("PipaOn", &G::PipaOn),
    Int("MaxPip", &G::MaxPip),
    Int("MaxX", &G::MaxX),
    Int("MaxY", &G::MaxY),
    Int("PipaMode", &G::PipaMode),
    Flag("PipaSimm", &G::PipaSimm),
    {"VarK", Field<G>::Form::Float, nullptr, nullptr, &G::VarK},
    Flag("ZI", &G::ZI),
    Flag("IsCompHOD", &G::IsCompHOD),
    Flag("Sound", &G::Sound),
    Int("MaxGamers", &G::MaxGamers),
    Int("N1", &G::N1),
    Int("N2", &G::N2),
};

const Field<P> kPiece[] = {
    Int("Com", &P::Com),
    Int("CompControl", &P::CompControl),
    Flag("Gray", &P::Gray),
    Flag("Life", &P::Life),
    Int("M", &P::M),
    Int("Model", &P::Model),
    Int("MyNum", &P::MyNum),
    RealKept("Phi", &P::Phi),
    Text("RName", &P::RName),
    Int("ScoreA", &P::ScoreA),
    Int("ScoreATotal", &P::ScoreATotal),
    Int("ScoreF", &P::ScoreF),
    Int("ScoreFTotal", &P::ScoreFTotal),
    Int("ScoreL", &P::ScoreL),
    Int("ScoreLTotal", &P::ScoreLTotal),
    Int("Sginul", &P::Sginul),
    RealKept("U", &P::U),
    Real("Xpos", &P::Xpos),
    Real("Ypos", &P::Ypos),
    Real("Xvec", &P::Xvec),
    Real("Yvec", &P::Yvec),
};

const Field<T> kTeam[] = {
    Text("ComName", &T::ComName), Int("CompControl", &T::CompControl),
    Int("Kolvo", &T::Kolvo),      Int("RType", &T::RType),
    Text("R1", &T::R1),           Text("R2", &T::R2),
    Text("R3", &T::R3),           Text("R4", &T::R4),
    Int("Score", &T::Score),
};

const Field<PipaRec> kPipa[] = {Real("X", &PipaRec::X), Real("Y", &PipaRec::Y)};

template <typename Rec, std::size_t N>
void WriteSection(std::string& out, const std::string& header, const Rec& r,
                  const Field<Rec> (&fields)[N], const Module1& m) {
    using F = typename Field<Rec>::Form;
    auto line = [&](const std::string& key, const std::string& value) {
        out += key;
        out += '=';
        out += value;
        out += NL;
    };
    out += "[" + header + "]" + NL;
    for (const Field<Rec>& f : fields) {
        switch (f.form) {
        case F::Int:
            line(f.key, std::to_string(r.*f.i16f));
            break;
        case F::Flag:
            line(f.key, r.*f.i16f != 0 ? "-1" : "0");
            break;
        case F::Real:
            line(f.key, RealText(r.*f.realf));
            break;
        case F::Float:
            line(f.key, RealText(r.*f.floatf));
            break;
        case F::Text:
            line(f.key, OneLine(r.*f.textf));
            break;
        case F::TurnOrders:
            for (int i = 1; i <= kMaxPlayers; ++i) {
                line(Num("KH", i), std::to_string(m.KH(i)));
                line(Num("WS", i), std::to_string(m.WS(i)));
            }
            break;
        }
    }
}

// Lookups in one section of an open file, as GetKey makes them; the section
// is found once and every key through the file's index.
class Section {
public:
    Section(const TextLines& f, const std::string& name) : f_(f) {
        start_ = f.SectionBody(UpperCp1251(name));
    }
    // The value as it stands in the file (numbers read the same in either code).
    std::string_view Bytes(const PreparedKey& key) const {
        if (start_ == TextLines::npos) return {};
        const std::size_t i = f_.FindKey(start_, key);
        return i == TextLines::npos ? std::string_view() : f_.Line(i).substr(key.upper.size() + 1);
    }
    std::string Text(const PreparedKey& key) const { return Cp1251ToUtf8(Bytes(key)); }

private:
    const TextLines& f_;
    std::size_t start_ = 0;
};

// Every key of a table made ready once.
template <typename Rec, std::size_t N>
const std::vector<PreparedKey>& Prepared(const Field<Rec> (&fields)[N]) {
    static const std::vector<PreparedKey> keys = [&] {
        std::vector<PreparedKey> v;
        for (const Field<Rec>& f : fields)
            v.emplace_back(f.key);
        return v;
    }();
    return keys;
}

const PreparedKey& TurnKey(const char* kind, int i) {
    static const auto keys = [] {
        std::vector<PreparedKey> v;
        for (int p = 1; p <= kMaxPlayers; ++p) {
            v.emplace_back(Num("KH", p));
            v.emplace_back(Num("WS", p));
        }
        return v;
    }();
    return keys[static_cast<std::size_t>(2 * (i - 1) + (kind[0] == 'W' ? 1 : 0))];
}

template <typename Rec, std::size_t N>
void ReadSection(const TextLines& file, const std::string& name, Rec& r,
                 const Field<Rec> (&fields)[N], Module1& m) {
    using F = typename Field<Rec>::Form;
    const Section s(file, name);
    const std::vector<PreparedKey>& keys = Prepared(fields);
    for (std::size_t n = 0; n < N; ++n) {
        const Field<Rec>& f = fields[n];
        const PreparedKey& key = keys[n];
        switch (f.form) {
        case F::Int:
            r.*f.i16f = IntOf(s.Bytes(key));
            break;
        case F::Flag:
            r.*f.i16f = FlagOf(s.Bytes(key));
            break;
        case F::Real: {
            const std::string_view v = s.Bytes(key);
            if (!v.empty())
                r.*f.realf = RegionalNumber(v);
            else if (!f.keep)
                r.*f.realf = f.empty;
            break;
        }
        case F::Float: {
            const std::string_view v = s.Bytes(key);
            r.*f.floatf = v.empty() ? static_cast<float>(f.empty) : RegionalFloat(v);
            break;
        }
        case F::Text:
            r.*f.textf = s.Text(key);
            break;
        case F::TurnOrders:
            for (int i = 1; i <= kMaxPlayers; ++i) {
                m.KH(i) = IntOf(s.Bytes(TurnKey("KH", i)));
                m.WS(i) = IntOf(s.Bytes(TurnKey("WS", i)));
            }
            break;
        }
    }
}

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
    ReadSection(f, "general", m, kGeneral, m);
    if (!(m.VarK >= 0 && m.VarK <= 0.1f)) m.VarK = 0;
    for (int s = 1; s <= kPieceSlots; ++s)
        ReadSection(f, Num("Gobla", s), m.Gobla(s), kPiece, m);
    if (m.ZI != 0)
        for (int t = 1; t <= kTeams; ++t)
            ReadSection(f, Num("rc", t), m.rc(t), kTeam, m);
    for (int k = 1; k <= kObstacles; ++k)
        ReadSection(f, Num("pipa", k), m.pipa(k), kPipa, m);
}

} // namespace

std::string SnapshotText(const Module1& m) {
    std::string out;
    out.reserve(12000);
    // Ver leads the general section, ahead of the keys that are read back.
    WriteSection(out, "general", m, kGeneral, m);
    out.insert(std::string("[general]").size() + 2, "Ver=" + std::to_string(kBuild) + NL);
    for (int s = 1; s <= kPieceSlots; ++s)
        WriteSection(out, Num("Gobla", s), m.Gobla(s), kPiece, m);
    if (m.ZI != 0)
        for (int t = 1; t <= kTeams; ++t)
            WriteSection(out, Num("rc", t), m.rc(t), kTeam, m);
    for (int k = 1; k <= kObstacles; ++k)
        WriteSection(out, Num("pipa", k), m.pipa(k), kPipa, m);
    return out;
}

bool WriteSaveGame(const Module1& m, const std::string& path, std::string* err) {
    std::string text = ";Kvelmar II: Zantor - сохраненная игра:" + DateText() + " " + TimeText() +
                       NL + SnapshotText(m);
    // Ours, last, so that older readers never see it: the computer's strengths.
    // A replay needs none, it keeps the strikes themselves.
    text += "[levels]";
    text += NL;
    for (int i = 1; i <= kMaxPlayers; ++i)
        text += "Level" + std::to_string(i) + "=" + std::to_string(m.CompLevel(i)) + NL;
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
    std::string bytes, err;
    if (!ReadFileBytes(path, bytes, &err)) {
        for (int i = 1; i <= kMaxPlayers; ++i)
            m.SavedMass(i) = m.Gobla(i).M;
        detail::FailLoad(m, path, detail::SnapshotKind::Game, err, dialogs);
        return;
    }
    LoadGameText(m, bytes, path, dialogs);
}

void LoadGameText(Module1& m, std::string_view bytes, const std::string& path,
                  DialogPort& dialogs) {
    dialogs.SetBusy(true);
    for (int i = 1; i <= kMaxPlayers; ++i)
        m.SavedMass(i) = m.Gobla(i).M;
    TextLines f;
    f.SetBytes(bytes);
    if (detail::ReadSnapshot(m, f, path, detail::SnapshotKind::Game, dialogs)) {
        for (int i = 1; i <= kMaxPlayers; ++i) {
            // Older games, or a value that is no strength, play the master.
            const std::string v = GetKey("levels", "Level" + std::to_string(i), f);
            const bool digit = v.size() == 1 && v[0] >= '0' && v[0] <= '9';
            m.CompLevel(i) =
                digit && IsLevel(v[0] - '0') ? static_cast<i16>(v[0] - '0') : kLevelMaster;
        }
    }
    dialogs.SetBusy(false);
}

bool CheckLoadedTable(const Module1& m, DialogPort& dialogs) {
    if (m.MaxX > kMaxTableSize ||
        !(m.MaxY <= kMaxTableSize && m.MaxX >= kMinTableSize && m.MaxY >= kMinTableSize)) {
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
