// The match's picture: how large it is drawn and how the camera projects onto
// it. "Классика" draws the chosen mode with its old projection, which keeps the
// 4:3 field of view in any mode; the modern look fills whatever shows it and
// keeps pixels square.
#pragma once

#include "state/MatchState.h"

#include <algorithm>
#include <cmath>

namespace kv {

struct PixelSize {
    int w = 0, h = 0;
};

// Focal lengths in pixels, horizontal and vertical.
struct Focal {
    double x = 1, y = 1;
};

// Square pixels with at least the classic picture's field both ways: a wide
// picture sees more to the sides, a tall one more above and below.
inline Focal PictureFocal(bool squarePixels, double w, double h) {
    if (squarePixels) {
        const double f = std::min(w, 4 * h / 3);
        return {f, f};
    }
    return {w, 3 * w * w / (4 * h)};
}

// The modes every screen is offered, kept for "Классика".
inline bool IsClassicMode(int w, int h) {
    return (w == 640 && h == 480) || (w == 800 && h == 600) || (w == 1024 && h == 768);
}

// The picture the match draws. The modern look in a window draws at the
// window's size; full screen, a classic mode means the screen's own size, and
// another mode keeps its size but takes the screen's proportions, so that the
// picture always fills the screen.
inline PixelSize MatchPictureSize(const Module1& m, PixelSize screen, PixelSize window) {
    const PixelSize mode{std::max<int>(1, m.ScreenW), std::max<int>(1, m.ScreenH)};
    if (m.Graphics != kGraphicsModern) return mode;
    if (m.Windowed != 0) return window.w > 0 && window.h > 0 ? window : mode;
    if (screen.w <= 0 || screen.h <= 0) return mode;
    if (IsClassicMode(mode.w, mode.h)) return screen;
    // The smallest picture of the screen's proportions that holds the mode.
    const double aspect = static_cast<double>(screen.w) / screen.h;
    if (aspect * mode.h >= mode.w) return {static_cast<int>(std::lround(aspect * mode.h)), mode.h};
    return {mode.w, static_cast<int>(std::lround(mode.w / aspect))};
}

// What the match draws into now: the display says, else the mode.
inline int PictureWidth(const Module1& m) {
    return m.PictureW > 0 ? m.PictureW : m.ScreenW;
}
inline int PictureHeight(const Module1& m) {
    return m.PictureH > 0 ? m.PictureH : m.ScreenH;
}
inline Focal PictureFocal(const Module1& m) {
    return PictureFocal(m.Graphics == kGraphicsModern, PictureWidth(m), PictureHeight(m));
}

} // namespace kv
