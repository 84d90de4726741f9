// On-screen text stays inside the picture in every mode: the status line of
// the function keys at 640 by 480 among it; the names over the pieces stand
// where they fall.
#include "devices/scene/TextLayout.h"
#include "match/MatchScreen.h"
#include "match/VirtualClock.h"
#include "physics/Physics.h"
#include "state/NullPorts.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace kv {
namespace {

std::vector<TextItem> OpeningOverlay(i16 w, i16 h) {
    Module1 m;
    BuildShapes(m);
    m.MaxGamers = 8;
    m.ScreenW = w;
    m.ScreenH = h;
    PlacePieces(m);
    for (int i = 1; i <= 8; ++i)
        m.Gobla(i).RName = "Игрок с очень длинным именем " + std::to_string(i);
    VirtualScheduler clock;
    NullKeyboard kb;
    NullDisplay display;
    NullScene scene;
    NullSound sound;
    NullReplay replay;
    NullSaveGame saves;
    NullScreens screens;
    NullDialogs dialogs;
    Rng rng(1);
    MatchScreen s(m, {clock, kb, display, scene, sound, replay, saves, screens, dialogs}, rng);
    s.Init();
    m.HintText = "Ошибка при сохранении игры в файл /home/player/.local/share/kvelmar2/game1.zvr: "
                 "Недостаточно места на диске";
    return s.Overlay();
}

TEST(TextLayout, EveryLineFitsThePictureInEveryMode) {
    static int argc = 1;
    static char name[] = "kv-text-layout-test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
    QFont normal(QStringLiteral("DejaVu Sans")), big = normal;
    big.setPixelSize(19);
    big.setBold(true);
    for (const auto& [w, h] : {std::pair<i16, i16>{640, 480}, {800, 600}, {1024, 768}}) {
        normal.setPixelSize(w < 800 ? 11 : 13);
        std::vector<TextItem> items = OpeningOverlay(w, h), labels;
        // A name near the corner stays where it falls, one line, cut by the edges.
        items.push_back({w - 20, h - 5, "Игрок с очень длинным именем 9", false, true});
        std::erase_if(items, [&](const TextItem& t) {
            if (t.label) labels.push_back(t);
            return t.label;
        });
        ASSERT_EQ(labels.size(), 9u);
        const std::vector<scene::TextLine> named = scene::LayoutText(labels, normal, big, w, h);
        ASSERT_EQ(named.size(), labels.size());
        for (std::size_t i = 0; i < named.size(); ++i)
            EXPECT_EQ(std::tuple(named[i].x, named[i].baseline, named[i].text.toStdString()),
                      std::tuple(labels[i].x, labels[i].y + QFontMetrics(normal).ascent(),
                                 labels[i].text));
        const std::vector<scene::TextLine> lines = scene::LayoutText(items, normal, big, w, h);
        if (w == 640) {
            EXPECT_GT(lines.size(), items.size()) << "the long lines break";
        }
        for (const scene::TextLine& l : lines) {
            const QFontMetrics fm(l.big ? big : normal);
            EXPECT_LE(l.x + fm.horizontalAdvance(l.text), w) << w << ": " << l.text.toStdString();
            EXPECT_GE(l.x, 0);
            EXPECT_LE(l.baseline + fm.descent(), h) << w << ": " << l.text.toStdString();
            EXPECT_GE(l.baseline - fm.ascent(), 0) << w << ": " << l.text.toStdString();
        }
    }
    // What fits stays one line, with its own spacing.
    const std::vector<TextItem> one = {{10, 10, "[F1:Помощь]  [F3:Имена<вкл>]", false}};
    const auto laid = scene::LayoutText(one, normal, big, 1024, 768);
    ASSERT_EQ(laid.size(), 1u);
    EXPECT_EQ(laid[0].text.toStdString(), one[0].text);
}

} // namespace
} // namespace kv
