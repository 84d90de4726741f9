#include "devices/scene/TextLayout.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace kv::scene {

namespace {

constexpr int kMargin = 4; // pixels kept free at the picture's right and bottom edges

// Breaks text into lines no wider than room, at blanks, keeping the text's
// own spacing within a line; a word wider than the room on its own is broken
// between characters.
QStringList Break(const QString& text, const QFontMetrics& fm, int room) {
    QStringList lines;
    QString rest = text;
    while (fm.horizontalAdvance(rest) > room && rest.size() > 1) {
        qsizetype cut = -1;
        for (qsizetype i = rest.indexOf(QLatin1Char(' ')); i > 0;
             i = rest.indexOf(QLatin1Char(' '), i + 1)) {
            if (fm.horizontalAdvance(rest.left(i)) > room) break;
            cut = i;
        }
        qsizetype next = cut;
        if (cut <= 0) { // no blank early enough: break inside the word
            cut = rest.size() - 1;
            while (cut > 1 && fm.horizontalAdvance(rest.left(cut)) > room)
                --cut;
            next = cut;
        }
        lines << rest.left(cut).trimmed();
        rest = rest.mid(next).trimmed();
    }
    lines << rest;
    return lines;
}

} // namespace

std::vector<TextLine> LayoutText(const std::vector<TextItem>& items, const QFont& normal,
                                 const QFont& big, int width, int height) {
    std::vector<TextLine> out;
    for (const TextItem& t : items) {
        const QFontMetrics fm(t.big ? big : normal);
        if (t.label) {
            out.push_back({t.x, t.y + fm.ascent(), QString::fromStdString(t.text), t.big});
            continue;
        }
        const int x = std::clamp(t.x, 0, std::max(0, width - kMargin - 1));
        const QStringList lines =
            Break(QString::fromStdString(t.text), fm, std::max(1, width - x - kMargin));
        const int step = fm.lineSpacing();
        int top = t.y;
        // A block that would run off the bottom grows upwards instead.
        const int bottom = top + step * static_cast<int>(lines.size());
        if (bottom > height - kMargin) top = std::max(0, height - kMargin - (bottom - top));
        for (qsizetype i = 0; i < lines.size(); ++i)
            out.push_back({x, top + static_cast<int>(i) * step + fm.ascent(), lines[i], t.big});
    }
    return out;
}

} // namespace kv::scene
