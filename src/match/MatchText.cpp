// The text drawn over the picture: status line, messages, names, help page,
// exit question.
#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "match/NameLabels.h"

#include <algorithm>

namespace kv {

// ---------------------------------------------------------------- text over the picture

std::string MatchScreen::StatusLine() const {
    std::string s = "[F1:Помощь]  [F3:Имена<";
    s += m_.NamesShown != 0 ? "вкл>]" : "выкл>]";
    if (!replayMode_) s += "  [F4:Сохранить]";
    s += "  [F6:Пауза <";
    s += m_.IsCompHOD != 0 ? "вкл>]  " : "выкл>]  ";
    if (!replayMode_) {
        s += "[F7:Стрелка <";
        s += m_.ArrowShown != 0 ? "вкл>]  " : "выкл>]  ";
    }
    s += "[F8:Звук <";
    s += m_.Sound != 0 ? "вкл>]" : "выкл>]";
    s += "  [F9/[,]:Камера]";
    if (replayMode_) {
        s += "  [P:Пауза <";
        s += replayPaused_ ? "вкл>]" : "выкл>]";
        s += "  [N:Следующий удар]  [X:Скорость x" + std::to_string(replaySpeed_) + "]";
    }
    return s;
}

std::vector<TextItem> MatchScreen::Overlay() const {
    std::vector<TextItem> out;
    const int W = m_.ScreenW;
    const int H = m_.ScreenH;
    if (!helpShown_) {
        if (m_.NamesShown != 0) out = PlaceNameLabels(m_);
        out.push_back({10, 10, StatusLine(), false});
        out.push_back({20, H - 70, "Ходит игрок " + m_.Gobla(m_.CurG).RName, false});
        out.push_back({20, H - 40, m_.StatusText, false});
        out.push_back({20, H - 20, m_.HintText, false});
        if (chatOpen_) out.push_back({20, H - 100, "Сказать: " + chatLine_ + "_", false});
        if (relay_) {
            int y = 30;
            for (const std::string& note : relay_->Notes())
                out.push_back({10, y += 20, note, false});
        }
        if (camFollow_ == -1)
            out.push_back({RoundI32(W / 2.0 - 10), RoundI32(H / 2.0 - 10), "><", false});
    } else {
        out.push_back({20, 10, "Справка:", false});
        const std::string& t = m_.HelpText;
        // The game's own page has 21 lines at 20 pixels; a longer one is packed
        // closer so that it still ends above the last line.
        int lines = 0;
        for (std::size_t i = 0; i + 1 < t.size(); ++i)
            if (t[i] == '\r' && t[i + 1] == '\n') ++lines;
        const int step = lines > 21 ? std::max(12, (H - 100) / lines) : 20;
        std::size_t start = 0;
        int line = 0;
        for (std::size_t i = 0; i + 2 < t.size(); ++i) {
            if (t[i] == '\r' && t[i + 1] == '\n') {
                out.push_back({20, 50 + step * line, t.substr(start, i - start), false});
                ++line;
                start = i + 2;
            }
        }
        // A last line without a break after it is shown too.
        std::string rest = start < t.size() ? t.substr(start) : std::string();
        if (rest.size() >= 2 && rest.compare(rest.size() - 2, 2, "\r\n") == 0)
            rest.resize(rest.size() - 2);
        if (!rest.empty()) out.push_back({20, 50 + step * line, rest, false});
        out.push_back({20, H - 40, "Чтобы вернуться к игре, нажмите F1...", false});
    }
    if (exitAsk_) out.push_back({bigTextX_, bigTextY_, bigText_, true});
    return out;
}

} // namespace kv
