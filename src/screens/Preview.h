// The piece preview: one player's piece model turning on its own, with the
// player's name and the model's name, until Escape.
#pragma once

#include "screens/ScreenContext.h"
#include "state/MatchState.h"
#include "state/Ports.h"

#include <string>
#include <vector>

namespace kv::screens {

class PiecePreview {
public:
    static constexpr double kTurnPerTick = 0.05; // radians
    static constexpr int kTickMs = 30;
    static constexpr const char* kTitle = "Предварительный просмотр Гоблы";
    // The window's title while its display starts and while its scene is built.
    static constexpr const char* kStartingTitle = "Инициализация OpenGL...";
    static constexpr const char* kBuildingTitle = "Создание сцены...";
    static constexpr const char* kHint = "Нажмите [Esc] для выхода";
    static constexpr int kTextColour = 3; // dark cyan

    int row = 0;
    i16 model = 0;
    std::string meshPath;
    std::string caption; // "Игрок <name> - <model>"
    double angle = 0;    // about the vertical axis

    // A preview mode item of the quick game screen's row menu: the question,
    // the colour depth, the mesh check; the preview when all is well.
    Next Ask(ScreenContext& g, int row, int bits);
    void Tick() { angle += kTurnPerTick; }
    // Escape, or the window closed: back to the quick game screen.
    Next Escape() const { return Next::To(ScreenId::QuickGame); }
    // The player's name and model at the top, the way out at the bottom.
    std::vector<TextItem> Texts() const;
    // A display that does not start, or a scene that cannot be built: shown,
    // logged, and back.
    Next DisplayFailed(ScreenContext& g, const std::string& error) const;
    Next SceneFailed(ScreenContext& g, int number, const std::string& description) const;
};

} // namespace kv::screens
