// The text drawn over the picture: status line, messages, names, help page,
// exit question.
#include "match/MatchScreen.h"

#include "match/MatchShared.h"
#include "match/NameLabels.h"
#include "state/Picture.h"

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
    if (Modern()) {
        if (metrics_ != nullptr) return ModernOverlay(*metrics_);
        return ModernOverlay(EstimatedTextMetrics(PictureHeight(m_)));
    }
    std::vector<TextItem> out;
    const int W = PictureWidth(m_);
    const int H = PictureHeight(m_);
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

namespace {

std::size_t GlyphEnd(const std::string& s, std::size_t i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

// Lines no wider than room, broken at blanks (a line keeps its own spacing); a
// word wider than the room on its own is broken between letters.
std::vector<std::string> Wrap(const std::string& text, const TextMetricsPort& tm, bool big,
                              int room) {
    std::vector<std::string> lines;
    std::string line;
    auto fits = [&](const std::string& s) { return tm.Advance(s, big) <= room; };
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        std::string word = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() && word.empty()) continue;
        std::string longer = line.empty() ? word : line + " " + word;
        if (fits(longer)) {
            line = std::move(longer);
            continue;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty()) lines.push_back(line);
        line = std::move(word);
        while (!fits(line)) {
            std::size_t cut = GlyphEnd(line, 0);
            for (std::size_t next = GlyphEnd(line, cut);
                 next < line.size() && fits(line.substr(0, next)); next = GlyphEnd(line, next))
                cut = next;
            if (cut >= line.size()) break;
            lines.push_back(line.substr(0, cut));
            line.erase(0, cut);
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The help page's lines, blank ones kept.
std::vector<std::string> HelpLines(const std::string& t) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < t.size()) {
        std::size_t end = t.find("\r\n", start);
        if (end == std::string::npos) end = t.size();
        lines.push_back(t.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Names of pieces that stand close together would cover one another: each
// one that runs into a name already placed moves up a line, the lowest first.
void SpreadLabels(std::vector<TextItem>& labels, const TextMetricsPort& tm) {
    const int ls = std::max(1, tm.LineSpacing(false));
    std::vector<TextItem*> order;
    for (TextItem& t : labels)
        order.push_back(&t);
    std::stable_sort(order.begin(), order.end(),
                     [](const TextItem* a, const TextItem* b) { return a->y > b->y; });
    std::vector<const TextItem*> placed;
    for (TextItem* t : order) {
        const int w = tm.Advance(t->text, false);
        for (bool moved = true; moved;) {
            moved = false;
            for (const TextItem* p : placed)
                if (t->x < p->x + tm.Advance(p->text, false) && p->x < t->x + w &&
                    t->y < p->y + ls && p->y < t->y + ls) {
                    t->y = p->y - ls;
                    moved = true;
                }
        }
        placed.push_back(t);
    }
}

} // namespace

std::vector<TextItem> MatchScreen::ModernOverlay(const TextMetricsPort& tm) const {
    std::vector<TextItem> out;
    const int W = PictureWidth(m_);
    const int H = PictureHeight(m_);
    const int ls = std::max(1, tm.LineSpacing(false));
    const int margin = std::max(8, ls / 2);
    const int room = std::max(1, W - 2 * margin);
    auto block = [&](const std::vector<std::string>& lines, int x, int y) {
        for (const std::string& l : lines) {
            out.push_back({x, y, l, false});
            y += ls;
        }
    };
    auto wrapAll = [&](std::initializer_list<std::string> texts, int width) {
        std::vector<std::string> lines;
        for (const std::string& t : texts)
            for (std::string& l : Wrap(t, tm, false, width))
                lines.push_back(std::move(l));
        return lines;
    };

    if (!helpShown_) {
        if (m_.NamesShown != 0) {
            out = PlaceNameLabels(m_);
            SpreadLabels(out, tm);
        }
        const auto status = Wrap(StatusLine(), tm, false, room);
        block(status, margin, margin);
        // A network table's notes and chat under the status line.
        if (relay_) {
            std::vector<std::string> notes;
            for (const std::string& note : relay_->Notes())
                for (std::string& l : Wrap(note, tm, false, room))
                    notes.push_back(std::move(l));
            block(notes, margin, margin + ls * (static_cast<int>(status.size()) + 1));
        }
        auto bottom =
            wrapAll({"Ходит игрок " + m_.Gobla(m_.CurG).RName, m_.StatusText, m_.HintText}, room);
        if (chatOpen_) {
            const auto chat = Wrap("Сказать: " + chatLine_ + "_", tm, false, room);
            bottom.insert(bottom.begin(), chat.begin(), chat.end());
        }
        block(bottom, margin, H - margin - ls * static_cast<int>(bottom.size()));
        if (camFollow_ == -1)
            out.push_back({W / 2 - tm.Advance("><", false) / 2, H / 2 - ls / 2, "><", false});
    } else {
        const auto title = Wrap("Справка:", tm, false, room);
        const auto back = Wrap("Чтобы вернуться к игре, нажмите F1...", tm, false, room);
        block(title, margin, margin);
        const int backTop = H - margin - ls * static_cast<int>(back.size());
        block(back, margin, backTop);
        const int top = margin + ls * (static_cast<int>(title.size()) + 1);
        const int rows = std::max(1, (backTop - ls / 2 - top) / ls);
        // As many columns as it takes to fit the page, its blank lines given up
        // before another column is; what still does not fit in four is left out
        // rather than drawn over.
        std::vector<std::string> page = HelpLines(m_.HelpText);
        page.push_back(matchtext::kHelpDrawBack);
        for (int tries = 0; tries < 8; ++tries) {
            const int cols = 1 + tries / 2;
            const bool gaps = tries % 2 == 0;
            const int colW = std::max(1, (room - (cols - 1) * margin) / cols);
            std::vector<std::string> lines;
            for (const std::string& l : page) {
                if (l.empty()) {
                    if (gaps) lines.emplace_back();
                    continue;
                }
                for (std::string& w : Wrap(l, tm, false, colW))
                    lines.push_back(std::move(w));
            }
            if (static_cast<int>(lines.size()) > rows * cols && tries < 7) continue;
            int col = 0, row = 0;
            for (const std::string& l : lines) {
                if (row == rows) {
                    row = 0;
                    if (++col == cols) break;
                }
                if (row == 0 && l.empty()) continue; // a column starts with text
                if (!l.empty()) out.push_back({margin + col * (colW + margin), top + row * ls, l});
                ++row;
            }
            break;
        }
    }
    if (exitAsk_) {
        const int bls = std::max(1, tm.LineSpacing(true));
        const auto lines = Wrap(bigText_, tm, true, room);
        int y = H / 2 - bls * static_cast<int>(lines.size()) / 2;
        for (const std::string& l : lines) {
            out.push_back({std::max(margin, (W - tm.Advance(l, true)) / 2), y, l, true});
            y += bls;
        }
    }
    return out;
}

} // namespace kv
