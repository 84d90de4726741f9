#include "persistence/Teams.h"

#include "persistence/Files.h"
#include "persistence/Folders.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/Text.h"

#include <filesystem>

namespace kv {

namespace {

bool Blank(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

// The first n characters of UTF-8 text.
std::string FirstChars(const std::string& s, std::size_t n) {
    std::size_t i = 0, count = 0;
    while (i < s.size() && count < n) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
        ++count;
    }
    return s.substr(0, i);
}

// The most teams the team screen lets the user define.
constexpr int kDefinedTeams = 7;

} // namespace

std::string NamesPath() {
    return DataDir() + "zvr.nam";
}

std::string TeamsPath() {
    return StateDir() + "zvr.cmd";
}

bool LoadNames(Module1& m, DialogPort& dialogs, const std::string& path) {
    m.NameCount = 0;
    if (!FileExists(path)) {
        dialogs.Message("Файл с именами не найден. Функция выбора имени из коллекции будет "
                        "недоступна.",
                        MsgIcon::Information, MsgButtons::Ok);
        return false;
    }
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        dialogs.Message("Ошибка при загрузке списка имен!", MsgIcon::Critical, MsgButtons::Ok);
        return true;
    }
    m.NameCount = CountNames(bytes);
    return true;
}

i16 CountNames(std::string_view bytes) {
    TextLines f;
    f.SetBytes(bytes);
    int n = 0;
    for (std::size_t i = 0; i < f.Count(); ++i)
        if (!Blank(f.Line(i))) ++n;
    return static_cast<i16>(n > 32767 ? 32767 : n);
}

bool PickName(const Module1& m, Rng& rng, std::string& box, DialogPort& dialogs,
              const std::string& path) {
    if (m.NameCount < 1) return false;
    std::string bytes, err;
    if (!ReadFileBytes(path, bytes, &err)) {
        dialogs.Message("Ошибка при чтении файла имен!" + std::string(NL2) + err, MsgIcon::Critical,
                        MsgButtons::Ok);
        return false;
    }
    return PickNameText(m, rng, box, bytes, dialogs);
}

bool PickNameText(const Module1& m, Rng& rng, std::string& box, std::string_view bytes,
                  DialogPort& dialogs) {
    if (m.NameCount < 1) return false;
    dialogs.SetBusy(true);
    const double r = rng.Next01();
    const i16 k = RoundI16((m.NameCount - 1) * r + 1);
    TextLines f;
    f.SetBytes(bytes);
    // The k-th name, counted as NameCount counts them: blank lines are no names.
    std::size_t line = 0;
    for (int seen = 0; line < f.Count(); ++line)
        if (!Blank(f.Line(line)) && ++seen == k) break;
    if (k < 1 || line >= f.Count()) {
        dialogs.SetBusy(false);
        dialogs.Message("Неожиданный конец файла gamedata\\zvr.nam.", MsgIcon::Critical,
                        MsgButtons::Ok);
        return false;
    }
    box = FirstChars(Cp1251ToUtf8(f.Line(line)), 50);
    dialogs.SetBusy(false);
    return true;
}

std::string TeamsText(const Module1& m, i16 perTeam, i16 model) {
    const int defined = std::min<int>(m.NextTeam - 1, kTeams);
    std::string t = ";KVELMAR 2: ZANTOR - Информация о командной игре";
    auto line = [&](const std::string& s) {
        t += NL;
        t += s;
    };
    line("K=" + std::to_string(perTeam));
    for (int i = 1; i <= defined; ++i) {
        const TeamRec& c = m.rc(i);
        line("[" + std::to_string(i) + "]");
        line("ComName=" + OneLine(c.ComName));
        line("R1=" + OneLine(c.R1));
        line("R2=" + OneLine(c.R2));
        line("R3=" + OneLine(c.R3));
        line("R4=" + OneLine(c.R4));
        line("CompControl=" + std::to_string(c.CompControl));
        line("RType=" + std::to_string(model));
        line("Level=" + std::to_string(c.Level)); // ours, last: older readers skip it
    }
    t += NL;
    t += NL;
    return Utf8ToCp1251(t);
}

std::string SaveCom(const Module1& m, i16 perTeam, i16 model, const std::string& path,
                    DialogPort& dialogs) {
    if (std::min<int>(m.NextTeam - 1, kTeams) < 1) return {};
    std::string err;
    if (!WriteFileAtomic(path, TeamsText(m, perTeam, model), &err)) {
        dialogs.Message("Ошибка при сохранении файла настроек:" + std::string(NL2) + err,
                        MsgIcon::Stop, MsgButtons::Ok);
        return {};
    }
    return "(Настройки команд были успешно сохранены в файл " +
           std::filesystem::path(path).filename().string() + ")";
}

void LoadCom(Module1& m, TeamsFile& out, const std::string& path, DialogPort& dialogs) {
    if (!FileExists(path)) {
        m.NextTeam = 1;
        out.status = "(Файл с настройками команд не найден)";
        return;
    }
    std::string bytes, err;
    if (!ReadFileBytes(path, bytes, &err)) {
        dialogs.Message("Ошибка при загрузке файла настроек:" + std::string(NL2) + err,
                        MsgIcon::Stop, MsgButtons::Ok);
        return;
    }
    LoadComText(m, out, bytes, path, dialogs);
}

void LoadComText(Module1& m, TeamsFile& out, std::string_view bytes, const std::string& path,
                 DialogPort& dialogs) {
    TextLines f;
    f.SetBytes(bytes);
    try {
        i16 K = IntOf(GetKey("", "K", f));
        if (K < 1 || K > 4) {
            dialogs.Message("Обнаружена некорректная запись в файле " + path + NL +
                                "Значение параметра будет установлено по умолчанию.",
                            MsgIcon::Information, MsgButtons::Ok);
            K = 4;
        }
        out.perTeam = K;
        int defined = 0;
        for (int i = 1; i <= kDefinedTeams; ++i) {
            const std::string s = std::to_string(i);
            const std::string name = GetKey(s, "ComName", f);
            if (name.empty()) break;
            TeamRec& c = m.rc(i);
            c.ComName = name;
            c.R1 = GetKey(s, "R1", f);
            c.R2 = GetKey(s, "R2", f);
            c.R3 = GetKey(s, "R3", f);
            c.R4 = GetKey(s, "R4", f);
            c.CompControl = IntOf(GetKey(s, "CompControl", f));
            c.RType = IntOf(GetKey(s, "RType", f));
            // A model outside the list would reach the physics.
            if (c.RType < 0 || c.RType > 3) c.RType = 0;
            const std::string level = GetKey(s, "Level", f);
            c.Level = level.empty() ? kLevelMaster : IntOf(level);
            if (!IsLevel(c.Level)) c.Level = kLevelMaster;
            defined = i;
        }
        m.NextTeam = static_cast<i16>(defined + 1);
        out.status = "(Файл с настройками команд успешно загружен)";
    } catch (const LoadFailure& e) {
        dialogs.Message("Ошибка при загрузке файла настроек:" + std::string(NL2) + e.description,
                        MsgIcon::Stop, MsgButtons::Ok);
    }
}

} // namespace kv
