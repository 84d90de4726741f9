// Lines of on-screen text laid out to stay inside the picture: a text too wide
// for the mode breaks at its blanks onto the lines below (or above, at the
// bottom of the picture). A name label stays one line where it falls, cut by
// the picture's edge.
#pragma once

#include "state/Ports.h"

#include <QFont>
#include <QString>

#include <vector>

namespace kv::scene {

struct TextLine {
    int x = 0;
    int baseline = 0;
    QString text;
    bool big = false;
};

std::vector<TextLine> LayoutText(const std::vector<TextItem>& items, const QFont& normal,
                                 const QFont& big, int width, int height);

} // namespace kv::scene
