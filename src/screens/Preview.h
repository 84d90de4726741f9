// The piece preview: one player's piece model turning on its own, with the
// player's name and the model's name, until Escape.
#pragma once

#include "screens/ScreenContext.h"
#include "state/Module1.h"

#include <string>

namespace kv::screens {

class PiecePreview {
public:
    static constexpr double kTurnPerTick = 0.05; // radians
    static constexpr int kTickMs = 30;
    static constexpr int kWidth = 640, kHeight = 480;
    static constexpr const char* kTitle = "Предварительный просмотр Гоблы";
    static constexpr const char* kHint = "Нажмите [Esc] для выхода";

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
    // A failure of the window's display or scene: shown, logged, and back.
    Next Failed(ScreenContext& g, const std::string& what) const;
};

} // namespace kv::screens
