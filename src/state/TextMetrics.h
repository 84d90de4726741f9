// The width and spacing of the text drawn over the picture, as the scene will
// draw it: the modern look lays its text out with it so that lines neither
// leave the picture nor run into one another.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

namespace kv {

class TextMetricsPort {
public:
    virtual ~TextMetricsPort() = default;
    // Pixels of the picture; big is the exit question's bold type.
    virtual int Advance(const std::string& text, bool big) const = 0;
    virtual int LineSpacing(bool big) const = 0;
};

// The modern look's type size in pixels. It follows the picture's height, which
// already carries the screen's pixel density: a window of 540 points on a
// screen of density 2 is a picture 1080 pixels high and gets the type of one.
inline int ModernTextPixels(int pictureH, bool big) {
    const int normal = std::clamp(static_cast<int>(std::lround(pictureH / 38.0)), 12, 96);
    return big ? normal * 3 / 2 : normal;
}

// Where no font can be asked (the headless runner, tests): DejaVu Sans at the
// modern size, a little wide so that text laid out with it fits the real font.
class EstimatedTextMetrics : public TextMetricsPort {
public:
    explicit EstimatedTextMetrics(int pictureH) : h_(pictureH) {}
    int Advance(const std::string& text, bool big) const override {
        long glyphs = 0;
        for (unsigned char c : text)
            if ((c & 0xC0) != 0x80) ++glyphs; // UTF-8: count the first bytes only
        return static_cast<int>(
            std::lround(glyphs * ModernTextPixels(h_, big) * (big ? 0.72 : 0.64)));
    }
    int LineSpacing(bool big) const override {
        return static_cast<int>(std::ceil(ModernTextPixels(h_, big) * 1.2));
    }

private:
    int h_;
};

} // namespace kv
