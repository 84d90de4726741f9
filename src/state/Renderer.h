// Which OpenGL renderer draws the match: the hardware driver or Mesa's
// software rasteriser. Mesa takes the choice when it loads its driver, once a
// run, so a new choice waits for the next start of the game.
#pragma once

#include <string>

namespace kv {

// The second renderer of the first screen; another screen always draws with
// the hardware one.
constexpr bool SoftwareRenderer(int adapter, int renderer) {
    return adapter == 0 && renderer == 1;
}

// What the options screen says while the chosen renderer is not the one the
// game started with; empty while it is.
inline std::string RendererRestartNote(bool startedSoftware, int adapter, int renderer) {
    if (SoftwareRenderer(adapter, renderer) == startedSoftware) return {};
    return "Другой способ вывода графики (аппаратный или программный) начнёт действовать после "
           "перезапуска игры.";
}

} // namespace kv
