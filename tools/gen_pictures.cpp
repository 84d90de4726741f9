// Writes the pictures of the front end: the splash slides and their show file
// <gamedata>/splash, the loading background <gamedata>/zvr2.gif, the club's
// emblem <gamedata>/pic/biggerb.gif and smallgerb.gif, the desk behind every
// window <gamedata>/pic/deskback.jpg, and the desktop icon
// (SVG and PNGs) into the icons folder.
// Usage: gen_pictures <gamedata dir> <icons dir>
//
// Drawn with QPainter on the offscreen platform, with the DejaVu fonts loaded
// from their files and pixel sizes only, so that neither the screen nor the
// system's font choice changes a pixel. GIFs are encoded by giflib.
#include "MeshBuilder.h"
#include "PieceOutline.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using kv::tools::MakeDirs;
using kv::tools::WriteFileBytes;

namespace {

constexpr double kPi = 3.14159265358979323846;

const QString gSans = "DejaVu Sans", gSerif = "DejaVu Serif";

bool LoadFonts() {
    const char* dir = "/usr/share/fonts/truetype/dejavu/";
    for (const char* file :
         {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"})
        if (QFontDatabase::addApplicationFont(QString(dir) + file) < 0) {
            std::fprintf(stderr, "gen_pictures: cannot load %s%s\n", dir, file);
            return false;
        }
    return true;
}

QFont Font(const QString& family, int px, bool bold = false) {
    QFont f(family);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    return f;
}

// Integer hash to [0, 1): the same numbers on every run and every machine.
double Hash(int x, int y, int seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0;
}

double Noise(double x, double y, int seed) {
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Hash(x0, y0, seed), b = Hash(x0 + 1, y0, seed);
    const double c = Hash(x0, y0 + 1, seed), d = Hash(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Desk wood with its grain along x; light and dark as the desk texture of the match.
QImage Wood(int w, int h, int seed, QColor light = QColor(205, 158, 102),
            QColor dark = QColor(143, 94, 51)) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = x / 64.0, v = y / 64.0;
            // Rings across v, bent a little by noise; fine fibres along x.
            const double warp =
                Noise(u * 0.35, v * 0.9, seed) + 0.35 * Noise(u * 0.9, v * 2, seed + 1);
            const double rings = 0.5 + 0.5 * std::sin(2 * kPi * (v * 1.6 + warp * 0.9));
            const double fibre = Noise(u * 0.3, v * 30, seed + 2);
            const double t = std::clamp(0.18 + 0.42 * std::pow(rings, 4) + 0.3 * fibre, 0.0, 1.0);
            row[x] = Mix(light, dark, t).rgb();
        }
    }
    return img;
}

// ---------------------------------------------------------------- pieces

QPainterPath PiecePath(int model) {
    const auto outline = kv::tools::UnionOutline(kv::tools::ModelDiscs(model), 4.0);
    QPainterPath p;
    if (outline.empty()) return p;
    p.moveTo(outline[0].x, outline[0].y);
    for (size_t i = 1; i < outline.size(); ++i)
        p.lineTo(outline[i].x, outline[i].y);
    p.closeSubpath();
    return p;
}

// The colours of the piece meshes, by model.
QColor ModelColour(int model) {
    static const QColor c[4] = {QColor(217, 31, 26), QColor(31, 82, 230), QColor(26, 179, 56),
                                QColor(255, 140, 13)};
    return c[model & 3];
}

const QColor kGrey(133, 133, 138); // the second team's pieces

// A piece standing on a surface: its outline (piece units) goes through toScreen; the
// body is `thick` pixels high, drawn upwards on the screen, with the white heading
// mark of the meshes on top.
void DrawPiece(QPainter& p, const QTransform& toScreen, int model, QColor colour, double thick,
               bool shadow = true, bool mark = true) {
    const QPainterPath base = toScreen.map(PiecePath(model));
    const QRectF box = base.boundingRect();
    p.setPen(Qt::NoPen);
    if (shadow)
        for (int k = 3; k >= 1; --k) {
            p.setBrush(QColor(0, 0, 0, 28));
            p.drawPath(base.translated(1.5 * k, 1.2 * k));
        }
    const QColor side = colour.darker(190);
    for (double d = 0; d < thick; d += 0.5) {
        p.setBrush(Mix(side, colour.darker(140), d / std::max(thick, 1.0)));
        p.drawPath(base.translated(0, -d));
    }
    const QPainterPath top = base.translated(0, -thick);
    QRadialGradient g(box.left() + box.width() * 0.35, box.top() - thick + box.height() * 0.3,
                      std::max(box.width(), box.height()) * 0.85);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(0.55, colour);
    g.setColorAt(1, colour.darker(135));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(200), std::max(0.8, box.width() / 90)));
    p.drawPath(top);
    if (mark) {
        // The heading arrow: along the piece's +y, as on the meshes.
        QPainterPath arrow;
        arrow.moveTo(0, 12);
        arrow.lineTo(-5, 3);
        arrow.lineTo(-1.5, 3);
        arrow.lineTo(-1.5, -6);
        arrow.lineTo(1.5, -6);
        arrow.lineTo(1.5, 3);
        arrow.lineTo(5, 3);
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(colour == kGrey ? QColor(31, 31, 31) : QColor(247, 247, 247));
        p.drawPath(toScreen.map(arrow).translated(0, -thick));
    }
}

// Placement of a piece on the table: table units, heading in radians.
QTransform OnTable(double x, double y, double phi, const QTransform& table) {
    return QTransform().rotateRadians(phi) * QTransform::fromTranslate(x, y) * table;
}

// ---------------------------------------------------------------- text

void Text(QPainter& p, const QRectF& r, int flags, const QString& s, const QFont& f, QColor c,
          QColor shadow = QColor(0, 0, 0, 150)) {
    p.setFont(f);
    if (shadow.alpha() > 0) {
        p.setPen(shadow);
        p.drawText(r.translated(2, 2), flags, s);
    }
    p.setPen(c);
    p.drawText(r, flags, s);
}

// Text as a path: filled with a gradient and outlined, centred on cx at baseline y.
void Title(QPainter& p, double cx, double y, const QString& s, const QFont& f, const QBrush& fill,
           QColor outline, double width) {
    QPainterPath path;
    path.addText(0, 0, f, s);
    const QRectF b = path.boundingRect();
    path.translate(cx - b.center().x(), y);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(path.translated(3, 4));
    p.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

// A dark band along the bottom of a slide carrying its caption.
void Caption(QPainter& p, const QString& line1, const QString& line2 = QString()) {
    const double top = line2.isEmpty() ? 420 : 400;
    QLinearGradient g(0, top, 0, 480);
    g.setColorAt(0, QColor(10, 14, 30, 150));
    g.setColorAt(1, QColor(10, 14, 30, 225));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(QRectF(0, top, 640, 480 - top));
    p.setBrush(QColor(230, 190, 80));
    p.drawRect(QRectF(0, top, 640, 2));
    Text(p, QRectF(20, top + 8, 600, 30), Qt::AlignCenter, line1, Font(gSerif, 21, true),
         QColor(255, 236, 180));
    if (!line2.isEmpty())
        Text(p, QRectF(20, top + 42, 600, 30), Qt::AlignCenter, line2, Font(gSans, 15),
             QColor(225, 228, 240));
}

// ---------------------------------------------------------------- emblem

// The club's emblem is the school's (gold rim, blue field, open book, star, the
// shield of the room's wallpaper) with a red Гобла laid over the book. Emblem
// units, y down: the shield spans x -34..34 and y -36..50.
QPainterPath Shield(double s) {
    QPainterPath p;
    p.moveTo(-34 * s, -36 * s);
    p.lineTo(34 * s, -36 * s);
    p.lineTo(34 * s, 10 * s);
    p.arcTo(QRectF(-34 * s, -30 * s, 68 * s, 80 * s), 0, -180);
    p.closeSubpath();
    return p;
}

std::vector<QPointF> StarPoints(QPointF c, double ro, double ri) {
    std::vector<QPointF> pts;
    for (int k = 0; k < 10; ++k) {
        const double a = k * kPi / 5, r = k % 2 == 0 ? ro : ri;
        pts.push_back({c.x() + r * std::sin(a), c.y() - r * std::cos(a)});
    }
    return pts;
}

QPolygonF Polygon(const std::vector<QPointF>& pts) {
    QPolygonF poly;
    for (const QPointF& q : pts)
        poly << q;
    return poly;
}

// Pages of the open book, left and right, emblem units.
const QPointF kLeftPage[4] = {{-24, 26}, {-2, 30}, {-2, 6}, {-24, 2}};
const QPointF kRightPage[4] = {{2, 30}, {24, 26}, {24, 2}, {2, 6}};
const QPointF kStar{0, -23};
// The Гобла over the book: the ZVR:KT model, its bump towards the lower left.
const double kGoblaScale = 0.5, kGoblaPhi = -2.3;
const QPointF kGoblaAt{0, -6};

QTransform GoblaOnEmblem() {
    return QTransform().rotateRadians(kGoblaPhi) * QTransform().scale(kGoblaScale, kGoblaScale) *
           QTransform::fromTranslate(kGoblaAt.x(), kGoblaAt.y());
}

enum class Detail { Icon, Small, Large };

// Draws the emblem with its origin at `to` (emblem units to pixels).
void DrawEmblem(QPainter& p, const QTransform& to, Detail detail) {
    p.save();
    p.setTransform(to, true);
    const QColor gold(230, 189, 66), goldDark(150, 108, 28), goldLight(255, 236, 160);
    const QColor blue(43, 64, 140), blueLight(74, 104, 196);
    if (detail != Detail::Icon) {
        // Laurel branches rising from the ribbon along both sides of the shield.
        for (int side = -1; side <= 1; side += 2) {
            QPainterPath stem;
            for (int k = 0; k <= 20; ++k) {
                const double a = (40 + k * 4.5) * kPi / 180;
                const QPointF q(side * 43 * std::sin(a), 8 + 46 * std::cos(a));
                if (k == 0)
                    stem.moveTo(q);
                else
                    stem.lineTo(q);
            }
            p.setPen(QPen(QColor(60, 90, 40), 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(stem);
            for (int k = 0; k < 9; ++k) {
                const double a = (44 + k * 10) * kPi / 180;
                const QPointF q(side * 43 * std::sin(a), 8 + 46 * std::cos(a));
                // Along the stem, upwards.
                const double along =
                    std::atan2(-46 * std::sin(a), side * 43 * std::cos(a)) * 180 / kPi + 90;
                for (int pair = -1; pair <= 1; pair += 2) {
                    p.save();
                    p.translate(q);
                    p.rotate(along + pair * 32);
                    p.translate(0, -5);
                    QLinearGradient lg(-3, 0, 3, 0);
                    lg.setColorAt(0, QColor(64, 112, 46));
                    lg.setColorAt(1, QColor(136, 180, 84));
                    p.setPen(QPen(QColor(40, 70, 30), 0.4));
                    p.setBrush(lg);
                    p.drawEllipse(QRectF(-2.4, -5.5, 4.8, 11));
                    p.restore();
                }
            }
        }
    }
    // Shadow, rim, field.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, detail == Detail::Icon ? 60 : 80));
    p.drawPath(Shield(1.0).translated(1.6, 2.2));
    QLinearGradient rim(-34, -36, 34, 50);
    rim.setColorAt(0, goldLight);
    rim.setColorAt(0.45, gold);
    rim.setColorAt(1, goldDark);
    p.setBrush(rim);
    p.setPen(QPen(goldDark.darker(130), 0.8));
    p.drawPath(Shield(1.0));
    QRadialGradient field(-6, -14, 60);
    field.setColorAt(0, blueLight);
    field.setColorAt(1, blue.darker(130));
    p.setBrush(field);
    p.setPen(QPen(goldDark, 0.6));
    p.drawPath(Shield(0.88));

    // The open book.
    const QPolygonF left(Polygon({kLeftPage, kLeftPage + 4}));
    const QPolygonF right(Polygon({kRightPage, kRightPage + 4}));
    p.setPen(QPen(QColor(90, 90, 110), 0.6));
    QLinearGradient pg(-24, 0, 24, 0);
    pg.setColorAt(0, QColor(228, 224, 210));
    pg.setColorAt(0.45, QColor(250, 249, 240));
    pg.setColorAt(0.55, QColor(250, 249, 240));
    pg.setColorAt(1, QColor(228, 224, 210));
    p.setBrush(pg);
    p.drawPolygon(left);
    p.drawPolygon(right);
    if (detail != Detail::Icon) {
        p.setPen(QPen(QColor(120, 125, 150), 0.7));
        for (int k = 1; k <= 4; ++k) {
            const double y = 6 + k * 4.8;
            p.drawLine(QPointF(-20, y - 3.3), QPointF(-5, y));
            p.drawLine(QPointF(5, y), QPointF(20, y - 3.3));
        }
    }

    // The star.
    p.setPen(QPen(goldDark, 0.6));
    QRadialGradient sg(kStar.x() - 2, kStar.y() - 3, 10);
    sg.setColorAt(0, goldLight);
    sg.setColorAt(1, gold);
    p.setBrush(sg);
    p.drawPolygon(Polygon(StarPoints(kStar, 9, 3.8)));

    // The Гобла, lying on the book.
    DrawPiece(p, GoblaOnEmblem(), 0, ModelColour(0), detail == Detail::Icon ? 1.2 : 2.0, true,
              detail != Detail::Icon);

    if (detail != Detail::Icon) {
        // The ribbon with the club's name, its ends folded behind the shield.
        QPainterPath ends;
        for (int side = -1; side <= 1; side += 2) {
            QPolygonF e;
            e << QPointF(side * 38, 36) << QPointF(side * 52, 38) << QPointF(side * 47, 44)
              << QPointF(side * 52, 50) << QPointF(side * 38, 48);
            ends.addPolygon(e);
            ends.closeSubpath();
        }
        p.setPen(QPen(QColor(90, 10, 10), 0.6));
        p.setBrush(QColor(140, 22, 22));
        p.drawPath(ends);
        QPainterPath band;
        band.moveTo(-44, 34);
        band.quadTo(0, 28, 44, 34);
        band.lineTo(44, 46);
        band.quadTo(0, 40, -44, 46);
        band.closeSubpath();
        QLinearGradient bg(0, 30, 0, 46);
        bg.setColorAt(0, QColor(214, 48, 40));
        bg.setColorAt(1, QColor(150, 24, 22));
        p.setBrush(bg);
        p.drawPath(band);
        QPainterPath words;
        const QFont f = Font(gSans, 7, true);
        words.addText(0, 0, f, QStringLiteral("ГОБЛНЫЙ КЛУБ"));
        const QRectF wb = words.boundingRect();
        words.translate(-wb.center().x(), 40 - wb.center().y() - 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(goldLight);
        p.drawPath(words);
        if (detail == Detail::Large) {
            QPainterPath year;
            year.addText(0, 0, Font(gSerif, 6, true), QStringLiteral("КВЕЛЬМАР · 1988"));
            const QRectF yb = year.boundingRect();
            year.translate(-yb.center().x(), 56 - yb.center().y());
            p.setBrush(QColor(120, 84, 20));
            p.drawPath(year);
        }
    }
    p.restore();
}

// ---------------------------------------------------------------- GIF

// Palette from giflib's quantizer, pixels mapped to it with serpentine
// Floyd-Steinberg error diffusion so that gradients do not band.
bool WriteGif(const QImage& src, const std::string& path) {
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const size_t n = static_cast<size_t>(w) * h;
    std::vector<GifByteType> r(n), g(n), b(n), idx(n);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            r[i] = static_cast<GifByteType>(qRed(row[x]));
            g[i] = static_cast<GifByteType>(qGreen(row[x]));
            b[i] = static_cast<GifByteType>(qBlue(row[x]));
        }
    }
    int count = 256;
    GifColorType map[256] = {};
    if (GifQuantizeBuffer(static_cast<unsigned>(w), static_cast<unsigned>(h), &count, r.data(),
                          g.data(), b.data(), idx.data(), map) == GIF_ERROR)
        return false;

    // Errors in sixteenths, two rows of them.
    std::vector<int> cur(static_cast<size_t>(w + 2) * 3, 0), next(cur.size(), 0);
    auto nearest = [&](int cr, int cg, int cb) {
        int best = 0, bestD = 1 << 30;
        for (int k = 0; k < count; ++k) {
            const int dr = cr - map[k].Red, dg = cg - map[k].Green, db = cb - map[k].Blue;
            const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (d < bestD) {
                bestD = d;
                best = k;
            }
        }
        return best;
    };
    for (int y = 0; y < h; ++y) {
        std::fill(next.begin(), next.end(), 0);
        const bool ltr = y % 2 == 0;
        for (int s = 0; s < w; ++s) {
            const int x = ltr ? s : w - 1 - s;
            const size_t i = static_cast<size_t>(y) * w + x;
            int want[3] = {r[i], g[i], b[i]};
            int* e = &cur[static_cast<size_t>(x + 1) * 3];
            for (int c = 0; c < 3; ++c)
                want[c] = std::clamp(want[c] + e[c] / 16, 0, 255);
            const int k = nearest(want[0], want[1], want[2]);
            idx[i] = static_cast<GifByteType>(k);
            const int err[3] = {want[0] - map[k].Red, want[1] - map[k].Green,
                                want[2] - map[k].Blue};
            const int dir = ltr ? 1 : -1;
            for (int c = 0; c < 3; ++c) {
                cur[static_cast<size_t>(x + 1 + dir) * 3 + c] += err[c] * 7;
                next[static_cast<size_t>(x + 1 - dir) * 3 + c] += err[c] * 3;
                next[static_cast<size_t>(x + 1) * 3 + c] += err[c] * 5;
                next[static_cast<size_t>(x + 1 + dir) * 3 + c] += err[c] * 1;
            }
        }
        std::swap(cur, next);
    }

    ColorMapObject* cmap = GifMakeMapObject(256, map);
    if (!cmap) return false;
    std::string bytes;
    auto put = [](GifFileType* f, const GifByteType* data, int len) {
        static_cast<std::string*>(f->UserData)
            ->append(reinterpret_cast<const char*>(data), static_cast<size_t>(len));
        return len;
    };
    int err = 0;
    GifFileType* f = EGifOpen(&bytes, put, &err);
    bool ok = f != nullptr;
    if (ok) ok = EGifPutScreenDesc(f, w, h, 8, 0, cmap) == GIF_OK;
    if (ok) ok = EGifPutImageDesc(f, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(f, idx.data() + static_cast<size_t>(y) * w, w) == GIF_OK;
    if (f && EGifCloseFile(f, &err) != GIF_OK) ok = false;
    GifFreeMapObject(cmap);
    return ok && WriteFileBytes(path, bytes);
}

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

void Smooth(QPainter& p) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
}

// ---------------------------------------------------------------- the match table

// Table units (600 by 400, y towards the viewer) to the screen: a desk seen from
// the side of its long edge.
QTransform TableView(const QPolygonF& quad) {
    QTransform t;
    QPolygonF rect;
    rect << QPointF(0, 0) << QPointF(600, 0) << QPointF(600, 400) << QPointF(0, 400);
    QTransform::quadToQuad(rect, quad, t);
    return t;
}

void DrawRoom(QPainter& p) {
    QLinearGradient wall(0, 0, 0, 480);
    wall.setColorAt(0, QColor(92, 84, 70));
    wall.setColorAt(0.55, QColor(160, 146, 118));
    wall.setColorAt(1, QColor(70, 58, 44));
    p.fillRect(QRectF(0, 0, 640, 480), wall);
    // Wallpaper stripes fading into the dark.
    for (int x = 0; x < 640; x += 32)
        p.fillRect(QRectF(x, 0, 12, 300), QColor(255, 240, 210, 18));
    QRadialGradient lamp(320, 60, 420);
    lamp.setColorAt(0, QColor(255, 236, 190, 120));
    lamp.setColorAt(1, QColor(255, 236, 190, 0));
    p.fillRect(QRectF(0, 0, 640, 480), lamp);
}

void DrawTable(QPainter& p, const QTransform& t, const QPolygonF& quad, int seed) {
    // Front face of the desk and its shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    QPolygonF shadow = quad.translated(0, 26);
    p.drawPolygon(shadow);
    QPolygonF front;
    front << quad[3] << quad[2] << quad[2] + QPointF(0, 16) << quad[3] + QPointF(0, 16);
    QLinearGradient fg(0, quad[3].y(), 0, quad[3].y() + 16);
    fg.setColorAt(0, QColor(140, 92, 48));
    fg.setColorAt(1, QColor(88, 56, 28));
    p.setBrush(fg);
    p.drawPolygon(front);
    // Top: the wood drawn through the perspective.
    const QImage wood = Wood(600, 400, seed);
    p.save();
    p.setTransform(t, true);
    p.drawImage(QRectF(0, 0, 600, 400), wood);
    p.restore();
    // Light from the lamp above the middle.
    QRadialGradient glow(320, 250, 330);
    glow.setColorAt(0, QColor(255, 245, 220, 70));
    glow.setColorAt(1, QColor(0, 0, 0, 60));
    p.setBrush(glow);
    p.drawPolygon(quad);
}

// A wall: the wooden ruler on its edge along y = 0 or y = 400 of the table.
void DrawWall(QPainter& p, const QTransform& t, double y, double lift) {
    const double d = y == 0 ? -6 : 6;
    QPolygonF foot;
    foot << t.map(QPointF(0, y)) << t.map(QPointF(600, y)) << t.map(QPointF(600, y + d))
         << t.map(QPointF(0, y + d));
    QPolygonF face;
    const QPointF a = t.map(QPointF(0, y + (d > 0 ? d : 0))),
                  b = t.map(QPointF(600, y + (d > 0 ? d : 0)));
    face << a << b << b - QPointF(0, lift) << a - QPointF(0, lift);
    QPolygonF top = foot.translated(0, -lift);
    p.setPen(QPen(QColor(120, 96, 50), 0.6));
    QLinearGradient fg(0, a.y() - lift, 0, a.y());
    fg.setColorAt(0, QColor(236, 214, 150));
    fg.setColorAt(1, QColor(190, 160, 96));
    p.setBrush(fg);
    p.drawPolygon(face);
    p.setBrush(QColor(246, 230, 176));
    p.drawPolygon(top);
    // Centimetre ticks on the face.
    p.setPen(QPen(QColor(30, 30, 30, 200), 0.8));
    for (int k = 1; k < 60; ++k) {
        const double x = k * 10.0;
        const QPointF q = t.map(QPointF(x, y + (d > 0 ? d : 0)));
        const double len = (k % 5 == 0 ? 0.55 : 0.3) * lift;
        p.drawLine(q - QPointF(0, lift), q - QPointF(0, lift - len));
    }
}

// An obstacle: the purple post with a yellow band of the meshes.
void DrawPipa(QPainter& p, const QTransform& t, double x, double y, double height) {
    QPainterPath circle;
    circle.addEllipse(QPointF(x, y), 11, 11);
    const QPainterPath base = t.map(circle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawPath(base.translated(4, 3));
    for (double d = 0; d < height; d += 0.5) {
        const bool band = d > height * 0.68 && d < height * 0.84;
        p.setBrush(band ? QColor(200, 170, 40) : QColor(100, 52, 150));
        p.drawPath(base.translated(0, -d));
    }
    const QRectF b = base.boundingRect();
    QRadialGradient g(b.center().x() - b.width() * 0.2, b.center().y() - height - b.height() * 0.2,
                      b.width() * 0.7);
    g.setColorAt(0, QColor(196, 150, 236));
    g.setColorAt(1, QColor(120, 70, 176));
    p.setBrush(g);
    p.setPen(QPen(QColor(60, 30, 90), 0.7));
    p.drawPath(base.translated(0, -height));
}

void DrawName(QPainter& p, QPointF at, const QString& name) {
    Text(p, QRectF(at.x() - 80, at.y() - 22, 160, 18), Qt::AlignCenter, name, Font(gSans, 13, true),
         QColor(255, 255, 255), QColor(0, 0, 0, 200));
}

// ---------------------------------------------------------------- slides

QImage SlideLogo() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    QRadialGradient bg(320, 200, 460);
    bg.setColorAt(0, QColor(24, 42, 92));
    bg.setColorAt(1, QColor(2, 4, 14));
    p.fillRect(img.rect(), bg);
    // Faint stars.
    for (int k = 0; k < 140; ++k) {
        const double x = Hash(k, 1, 7) * 640, y = Hash(k, 2, 7) * 480, s = 0.6 + Hash(k, 3, 7);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, static_cast<int>(40 + 120 * Hash(k, 4, 7))));
        p.drawEllipse(QPointF(x, y), s, s);
    }
    // The mark: a golden orb with a ring, a Гобла riding the ring.
    const QPointF c(320, 180);
    p.save();
    p.translate(c);
    p.rotate(-18);
    p.setPen(QPen(QColor(255, 214, 110, 120), 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(-150, -38, 300, 76));
    p.restore();
    QRadialGradient orb(c.x() - 22, c.y() - 26, 90);
    orb.setColorAt(0, QColor(255, 246, 200));
    orb.setColorAt(0.4, QColor(240, 180, 60));
    orb.setColorAt(1, QColor(150, 70, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(orb);
    p.drawEllipse(c, 62, 62);
    // The front half of the ring passes in front of the orb.
    p.save();
    p.translate(c);
    p.rotate(-18);
    p.setPen(QPen(QColor(255, 226, 140), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(-150, -38, 300, 76), 180 * 16, 180 * 16);
    p.restore();
    DrawPiece(p,
              QTransform().rotate(125) * QTransform().scale(1.1, 0.75) *
                  QTransform::fromTranslate(c.x() + 128, c.y() - 12),
              3, QColor(200, 30, 30), 4);
    QLinearGradient gold(0, 300, 0, 350);
    gold.setColorAt(0, QColor(255, 244, 196));
    gold.setColorAt(1, QColor(214, 150, 40));
    Title(p, 320, 336, QStringLiteral("Orvelsoft"), Font(gSans, 58, true), gold, QColor(60, 30, 0),
          1.5);
    Text(p, QRectF(0, 354, 640, 30), Qt::AlignCenter, QStringLiteral("представляет"),
         Font(gSerif, 22), QColor(220, 226, 255));
    Text(p, QRectF(0, 438, 640, 24), Qt::AlignCenter, QStringLiteral("Квельмар · 2003"),
         Font(gSans, 14), QColor(150, 160, 200));
    return img;
}

// Dimmed pieces along both sides of a background, seen from above and a little tilted.
void SidePieces(QPainter& p) {
    const struct {
        double x, y, phi, scale;
        int model;
    } pieces[] = {{70, 150, 0.5, 1.5, 1},  {130, 262, 2.1, 1.3, 0}, {70, 372, 4.0, 1.6, 3},
                  {190, 420, 1.2, 1.1, 2}, {570, 150, 3.3, 1.4, 2}, {510, 262, 5.1, 1.3, 3},
                  {575, 372, 0.8, 1.6, 0}, {450, 420, 2.6, 1.1, 1}};
    for (const auto& pc : pieces)
        DrawPiece(p,
                  QTransform().rotateRadians(pc.phi) *
                      QTransform().scale(pc.scale, pc.scale * 0.7) *
                      QTransform::fromTranslate(pc.x, pc.y),
                  pc.model, Mix(QColor(20, 26, 50), ModelColour(pc.model), 0.45), 3 * pc.scale,
                  true, false);
}

QImage SlideTitle() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    QLinearGradient bg(0, 0, 0, 480);
    bg.setColorAt(0, QColor(8, 12, 34));
    bg.setColorAt(0.6, QColor(34, 50, 104));
    bg.setColorAt(1, QColor(12, 16, 40));
    p.fillRect(img.rect(), bg);
    // The table below, in perspective and half in the dark.
    QPolygonF quad;
    quad << QPointF(130, 300) << QPointF(510, 300) << QPointF(660, 500) << QPointF(-20, 500);
    const QTransform t = TableView(quad);
    p.save();
    p.setTransform(t, true);
    p.drawImage(QRectF(0, 0, 600, 400), Wood(600, 400, 41));
    p.restore();
    QLinearGradient dark(0, 300, 0, 480);
    dark.setColorAt(0, QColor(8, 12, 34, 220));
    dark.setColorAt(1, QColor(8, 12, 34, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(dark);
    p.drawPolygon(quad);
    const struct {
        double x, y, phi;
        int model;
    } pieces[] = {{150, 170, 0.4, 1}, {300, 230, 2.2, 0}, {430, 150, 4.0, 2}, {520, 300, 1.0, 3}};
    for (const auto& pc : pieces)
        DrawPiece(p, OnTable(pc.x, pc.y, pc.phi, t), pc.model, ModelColour(pc.model), 6);
    // Title.
    QLinearGradient gold(0, 120, 0, 190);
    gold.setColorAt(0, QColor(255, 250, 220));
    gold.setColorAt(0.5, QColor(250, 206, 90));
    gold.setColorAt(1, QColor(190, 110, 20));
    Title(p, 320, 150, QStringLiteral("Kvelmar II"), Font(gSerif, 76, true), gold,
          QColor(70, 30, 0), 2);
    QLinearGradient silver(0, 180, 0, 230);
    silver.setColorAt(0, QColor(255, 255, 255));
    silver.setColorAt(1, QColor(150, 180, 230));
    Title(p, 320, 222, QStringLiteral("Zantor"), Font(gSans, 50, true), silver, QColor(10, 20, 60),
          1.5);
    Text(p, QRectF(0, 244, 640, 30), Qt::AlignCenter,
         QStringLiteral("Гобла школьной парты — теперь в трёх измерениях"), Font(gSerif, 20),
         QColor(235, 230, 210));
    Text(p, QRectF(0, 446, 640, 24), Qt::AlignCenter,
         QStringLiteral("Версия 3.0 · билд 1408 · © Orvelsoft, 2003"), Font(gSans, 13),
         QColor(200, 205, 225));
    return img;
}

QImage SlideDesk() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    DrawRoom(p);
    // The old desk "Зантор": a slanted lid, the pencil groove and the inkwell hole.
    QPolygonF lid;
    lid << QPointF(70, 90) << QPointF(570, 90) << QPointF(630, 380) << QPointF(10, 380);
    const QTransform t = TableView(lid);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 100));
    p.drawPolygon(lid.translated(0, 22));
    QPolygonF front;
    front << lid[3] << lid[2] << lid[2] + QPointF(0, 22) << lid[3] + QPointF(0, 22);
    QLinearGradient fg(0, 380, 0, 402);
    fg.setColorAt(0, QColor(90, 62, 34));
    fg.setColorAt(1, QColor(52, 34, 18));
    p.setBrush(fg);
    p.drawPolygon(front);
    p.save();
    p.setTransform(t, true);
    p.drawImage(QRectF(0, 0, 600, 400),
                Wood(600, 400, 17, QColor(176, 124, 72), QColor(104, 64, 32)));
    // Worn varnish in the middle, where the pieces slid for fifty years.
    QRadialGradient worn(300, 230, 260);
    worn.setColorAt(0, QColor(255, 230, 180, 60));
    worn.setColorAt(1, QColor(0, 0, 0, 70));
    p.setBrush(worn);
    p.drawRect(QRectF(0, 0, 600, 400));
    // Pencil groove along the far edge.
    p.setBrush(QColor(60, 38, 20));
    p.drawRoundedRect(QRectF(60, 14, 380, 16), 8, 8);
    p.setBrush(QColor(120, 80, 44));
    p.drawRoundedRect(QRectF(62, 22, 376, 6), 3, 3);
    // The inkwell hole with its brass ring.
    p.setBrush(QColor(200, 160, 70));
    p.drawEllipse(QPointF(520, 24), 20, 20);
    p.setBrush(QColor(20, 14, 10));
    p.drawEllipse(QPointF(520, 24), 14, 14);
    // Carved letters: dark cuts with a light lower edge.
    const QFont carve = Font(gSerif, 46, true);
    QPainterPath word;
    word.addText(0, 0, carve, QStringLiteral("ЗАНТОР"));
    const QRectF wb = word.boundingRect();
    word.translate(300 - wb.center().x(), 330 - wb.center().y());
    p.setBrush(QColor(255, 225, 170, 90));
    p.drawPath(word.translated(1.2, 1.6));
    p.setBrush(QColor(54, 30, 12, 220));
    p.drawPath(word);
    // Scratches.
    p.setPen(QPen(QColor(60, 36, 16, 110), 1.2));
    for (int k = 0; k < 26; ++k) {
        const double x = 40 + Hash(k, 1, 5) * 520, y = 60 + Hash(k, 2, 5) * 300;
        const double a = Hash(k, 3, 5) * kPi, len = 10 + Hash(k, 4, 5) * 40;
        p.drawLine(QPointF(x, y), QPointF(x + len * std::cos(a), y + len * std::sin(a)));
    }
    p.restore();
    // Two river pebbles and a round Гобла of the first workshop batch.
    for (int k = 0; k < 2; ++k) {
        const QTransform at = QTransform().rotate(25 + k * 50) *
                              QTransform::fromTranslate(170 + k * 110, 170 + k * 50) * t;
        p.save();
        p.setTransform(at * QTransform::fromTranslate(4, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawEllipse(QRectF(-26, -17, 52, 34));
        p.setTransform(at);
        QRadialGradient pg(-9, -8, 36);
        pg.setColorAt(0, QColor(200, 198, 188));
        pg.setColorAt(1, QColor(96, 98, 94));
        p.setBrush(pg);
        p.drawEllipse(QRectF(-26, -17, 52, 34));
        p.restore();
    }
    DrawPiece(p, OnTable(420, 190, 0.7, t), 3, QColor(170, 170, 160), 5, true, false);
    Caption(p, QStringLiteral("Парта «Зантор» — с неё всё началось"),
            QStringLiteral("Квельмар, школа № 2, класс 6 «Б», 1953 год"));
    return img;
}

QImage SlideModels() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    QLinearGradient bg(0, 0, 0, 480);
    bg.setColorAt(0, QColor(16, 30, 60));
    bg.setColorAt(1, QColor(60, 84, 130));
    p.fillRect(img.rect(), bg);
    Text(p, QRectF(0, 18, 640, 40), Qt::AlignCenter, QStringLiteral("Четыре модели Гоблы"),
         Font(gSerif, 30, true), QColor(255, 236, 180));
    const struct {
        int model;
        const char* name;
        const char* line1;
        const char* line2;
    } models[4] = {
        {0, "Гобла из ZVR:KT", "капля из игры", "ZVR: Krell Torvane, 1996"},
        {1, "Стандартная Гобла", "по шаблону", "С. Л. Бортника, 1966"},
        {2, "Квадратная Гобла", "из текстолита", "завода «Вельма», 1982"},
        {3, "Круглая Гобла", "потомок речного", "камешка, 1961"},
    };
    for (int k = 0; k < 4; ++k) {
        const double cx = 80 + k * 160, cy = 190;
        QRadialGradient spot(cx, cy + 30, 80);
        spot.setColorAt(0, QColor(255, 255, 255, 60));
        spot.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(spot);
        p.drawEllipse(QPointF(cx, cy + 30), 78, 40);
        // Pieces point their heading up the slide.
        DrawPiece(p,
                  QTransform().rotate(155) * QTransform().scale(2.2, 1.65) *
                      QTransform::fromTranslate(cx, cy),
                  models[k].model, ModelColour(models[k].model), 12);
        Text(p, QRectF(cx - 80, 268, 160, 24), Qt::AlignCenter, QString::fromUtf8(models[k].name),
             Font(gSans, 13, true), QColor(255, 255, 255));
        Text(p, QRectF(cx - 80, 294, 160, 20), Qt::AlignCenter, QString::fromUtf8(models[k].line1),
             Font(gSans, 12), QColor(210, 220, 240));
        Text(p, QRectF(cx - 80, 312, 160, 20), Qt::AlignCenter, QString::fromUtf8(models[k].line2),
             Font(gSans, 12), QColor(210, 220, 240));
    }
    Caption(p, QStringLiteral("Выберите свою Гоблу"),
            QStringLiteral("Форма решает, как она крутится и кого сбивает"));
    return img;
}

QImage SlideMatch() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    DrawRoom(p);
    QPolygonF quad;
    quad << QPointF(120, 120) << QPointF(520, 120) << QPointF(610, 370) << QPointF(30, 370);
    const QTransform t = TableView(quad);
    DrawTable(p, t, quad, 29);
    DrawWall(p, t, 0, 14);
    const QPointF pipas[4] = {{80, 80}, {520, 80}, {80, 320}, {520, 320}};
    for (int k = 0; k < 2; ++k)
        DrawPipa(p, t, pipas[k].x(), pipas[k].y(), 12);
    const struct {
        double x, y, phi;
        int model;
        const char* name;
    } pieces[] = {{210, 150, 0.9, 0, "Шустрик"},
                  {390, 110, 3.6, 1, "Лиза"},
                  {470, 230, 5.0, 2, "Профессор"},
                  {300, 290, 2.0, 3, "Капитан"},
                  {150, 250, 4.4, 1, "Кнопка"}};
    for (const auto& pc : pieces)
        DrawPiece(p, OnTable(pc.x, pc.y, pc.phi, t), pc.model, ModelColour(pc.model), 6);
    // The aim arrow of the player on turn, towards Лиза.
    const QPointF from = t.map(QPointF(300, 268)), to = t.map(QPointF(375, 135));
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    p.setPen(QPen(QColor(255, 230, 60, 220), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    QPolygonF head;
    head << to + QPointF(std::cos(a) * 14, std::sin(a) * 14)
         << to + QPointF(std::cos(a + 2.4) * 12, std::sin(a + 2.4) * 12)
         << to + QPointF(std::cos(a - 2.4) * 12, std::sin(a - 2.4) * 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 60, 230));
    p.drawPolygon(head);
    for (int k = 2; k < 4; ++k)
        DrawPipa(p, t, pipas[k].x(), pipas[k].y(), 12);
    for (const auto& pc : pieces)
        DrawName(p, t.map(QPointF(pc.x, pc.y)) - QPointF(0, 14), QString::fromUtf8(pc.name));
    DrawWall(p, t, 400, 14);
    Text(p, QRectF(12, 8, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("Ходит: Капитан"), Font(gSans, 14, true), QColor(255, 255, 255),
         QColor(0, 0, 0, 220));
    Text(p, QRectF(12, 28, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("Сила удара: 64"), Font(gSans, 14, true), QColor(255, 255, 120),
         QColor(0, 0, 0, 220));
    Caption(p, QStringLiteral("Бей, крути, сбивай!"),
            QStringLiteral("Последняя Гобла на столе — победитель"));
    return img;
}

QImage SlidePot() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    DrawRoom(p);
    QPolygonF quad;
    quad << QPointF(100, 170) << QPointF(540, 170) << QPointF(640, 400) << QPointF(0, 400);
    const QTransform t = TableView(quad);
    DrawTable(p, t, quad, 53);
    const QPointF striker(300, 220);
    // The others fly away from the striker, with streaks behind them.
    const struct {
        double x, y, phi;
        int model;
    } fly[] = {{120, 120, 1.0, 1}, {480, 110, 2.5, 2}, {520, 320, 4.1, 3}, {110, 330, 5.3, 0}};
    for (const auto& f : fly) {
        const QPointF at(f.x, f.y), dir = at - striker;
        for (int s = 1; s <= 5; ++s) {
            const QPointF q = t.map(at - dir * (0.09 * s));
            p.setPen(QPen(QColor(255, 255, 255, 150 - s * 24), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(q, t.map(at - dir * (0.09 * s + 0.05)));
        }
        DrawPiece(p,
                  QTransform().rotateRadians(f.phi) * QTransform::fromTranslate(f.x, f.y) * t *
                      QTransform::fromTranslate(0, -10),
                  f.model, f.model == 0 ? kGrey : ModelColour(f.model), 6);
    }
    // The pot, upside down, just before it lands: its shadow on the table first.
    const QPointF base = t.map(striker);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(base, 52, 18);
    DrawPiece(p, OnTable(striker.x(), striker.y(), 0.3, t), 0, ModelColour(0), 6);
    const double lift = 60;
    const QPointF rim = base - QPointF(0, lift);
    QPainterPath pot;
    pot.moveTo(rim + QPointF(-50, 0));
    pot.lineTo(rim + QPointF(-34, -92));
    pot.quadTo(rim + QPointF(0, -100), rim + QPointF(34, -92));
    pot.lineTo(rim + QPointF(50, 0));
    pot.quadTo(rim + QPointF(0, 16), rim + QPointF(-50, 0));
    QLinearGradient clay(rim.x() - 50, 0, rim.x() + 50, 0);
    clay.setColorAt(0, QColor(130, 54, 28));
    clay.setColorAt(0.35, QColor(222, 120, 70));
    clay.setColorAt(1, QColor(110, 44, 22));
    p.setBrush(clay);
    p.setPen(QPen(QColor(80, 30, 14), 1));
    p.drawPath(pot);
    QPainterPath band;
    band.moveTo(rim + QPointF(-50, 0));
    band.lineTo(rim + QPointF(-47, -16));
    band.quadTo(rim + QPointF(0, -4), rim + QPointF(47, -16));
    band.lineTo(rim + QPointF(50, 0));
    band.quadTo(rim + QPointF(0, 16), rim + QPointF(-50, 0));
    p.setBrush(QColor(180, 84, 46));
    p.drawPath(band);
    p.setBrush(QColor(70, 28, 12));
    p.drawEllipse(QRectF(rim.x() - 50, rim.y() - 6, 100, 16));
    // Falling streaks above the pot.
    p.setPen(QPen(QColor(255, 255, 255, 110), 2, Qt::SolidLine, Qt::RoundCap));
    for (int k = -2; k <= 2; ++k)
        p.drawLine(rim + QPointF(k * 18, -112 - std::abs(k) * 6),
                   rim + QPointF(k * 18, -140 - std::abs(k) * 6));
    Text(p, QRectF(12, 8, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("ГОРШОК: Сила 80"), Font(gSans, 14, true), QColor(255, 255, 120),
         QColor(0, 0, 0, 220));
    Caption(p, QStringLiteral("Горшок!"),
            QStringLiteral("Хозяин остаётся на месте, все остальные — врассыпную"));
    return img;
}

QImage SlideClub() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    QLinearGradient bg(0, 0, 640, 480);
    bg.setColorAt(0, QColor(246, 238, 216));
    bg.setColorAt(1, QColor(206, 188, 150));
    p.fillRect(img.rect(), bg);
    // Pale wallpaper emblems behind, like the club room.
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const QPointF c(x * 100 + (y % 2) * 50, y * 100 + 20);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(150, 120, 70, 26));
            p.drawPath(
                QTransform().scale(0.4, 0.4).translate(c.x() / 0.4, c.y() / 0.4).map(Shield(1.0)));
        }
    DrawEmblem(p, QTransform().scale(3.0, 3.0) * QTransform::fromTranslate(180, 200),
               Detail::Large);
    Text(p, QRectF(340, 80, 290, 44), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("Гоблный Клуб"), Font(gSerif, 34, true), QColor(120, 20, 20),
         QColor(255, 255, 255, 160));
    const QString lines[] = {QStringLiteral("Основан 3 марта 1988 года"),
                             QStringLiteral("в Квельмаре"),
                             QStringLiteral(""),
                             QStringLiteral("Кубок Зантора, рейтинг"),
                             QStringLiteral("и звания: Новичок, Любитель,"),
                             QStringLiteral("Мастер, Гроссмастер Гоблы"),
                             QStringLiteral(""),
                             QStringLiteral("Музей парты «Зантор»"),
                             QStringLiteral("в ДК «Речник»")};
    double y = 136;
    for (const QString& l : lines) {
        Text(p, QRectF(342, y, 290, 22), Qt::AlignLeft | Qt::AlignVCenter, l, Font(gSans, 16),
             QColor(50, 40, 30), QColor(0, 0, 0, 0));
        y += 24;
    }
    Caption(p, QStringLiteral("Гоблный Клуб приглашает"),
            QStringLiteral("Новости, турниры и рейтинг — на странице клуба в главном меню"));
    return img;
}

// The background under "Подождите..." while the main menu loads.
QImage LoadingBackground() {
    QImage img = Canvas(640, 480);
    QPainter p(&img);
    Smooth(p);
    QRadialGradient bg(320, 240, 420);
    bg.setColorAt(0, QColor(52, 76, 140));
    bg.setColorAt(1, QColor(10, 16, 40));
    p.fillRect(img.rect(), bg);
    SidePieces(p);
    // The emblem, dimmed, behind the label in the middle: drawn whole on its own
    // layer first so that its parts do not show through one another.
    QImage layer(640, 480, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter e(&layer);
        Smooth(e);
        DrawEmblem(e, QTransform().scale(2.6, 2.6) * QTransform::fromTranslate(320, 236),
                   Detail::Small);
    }
    p.setOpacity(0.3);
    p.drawImage(0, 0, layer);
    p.setOpacity(1.0);
    QLinearGradient gold(0, 40, 0, 90);
    gold.setColorAt(0, QColor(255, 248, 210));
    gold.setColorAt(1, QColor(210, 150, 40));
    Title(p, 320, 78, QStringLiteral("Kvelmar II: Zantor"), Font(gSerif, 44, true), gold,
          QColor(60, 30, 0), 1.5);
    Text(p, QRectF(0, 440, 640, 24), Qt::AlignCenter, QStringLiteral("Orvelsoft · Гоблный Клуб"),
         Font(gSans, 14), QColor(180, 190, 220));
    return img;
}

QImage EmblemPicture(int size, Detail detail) {
    QImage img = Canvas(size, size);
    QPainter p(&img);
    Smooth(p);
    QRadialGradient bg(size * 0.5, size * 0.42, size * 0.75);
    bg.setColorAt(0, QColor(255, 252, 240));
    bg.setColorAt(1, QColor(222, 206, 170));
    p.fillRect(img.rect(), bg);
    // The emblem spans about x -53..53 and y -40..60 in its own units.
    const double s = size / 112.0;
    DrawEmblem(p, QTransform().scale(s, s) * QTransform::fromTranslate(size * 0.5, size * 0.41),
               detail);
    return img;
}

// ---------------------------------------------------------------- icon

// The desktop icon: shield, star, Гобла and book, without the small words.
QImage IconPng(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        Smooth(p);
        const double s = size / 90.0;
        DrawEmblem(p, QTransform().scale(s, s) * QTransform::fromTranslate(size * 0.5, size * 0.43),
                   Detail::Icon);
    }
    QImage out = img.convertToFormat(QImage::Format_ARGB32);
    out.setDotsPerMeterX(3780);
    out.setDotsPerMeterY(3780);
    return out;
}

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string PointsText(const std::vector<QPointF>& pts) {
    std::string s;
    for (const QPointF& q : pts)
        s += (s.empty() ? "" : " ") + Num(q.x()) + "," + Num(q.y());
    return s;
}

// The same geometry as the PNGs, written as SVG text in emblem units.
std::string IconSvg() {
    std::string s;
    auto shield = [](double k) {
        return "M" + Num(-34 * k) + " " + Num(-36 * k) + "H" + Num(34 * k) + "V" + Num(10 * k) +
               "A" + Num(34 * k) + " " + Num(40 * k) + " 0 0 1 " + Num(-34 * k) + " " +
               Num(10 * k) + "Z";
    };
    std::vector<QPointF> gobla;
    const QTransform gt = GoblaOnEmblem();
    for (const auto& q : kv::tools::UnionOutline(kv::tools::ModelDiscs(0), 12.0))
        gobla.push_back(gt.map(QPointF(q.x, q.y)));
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
         "viewBox=\"-45 -38.7 90 90\">\n";
    s += "  <title>Kvelmar II: Zantor</title>\n";
    s += "  <defs>\n";
    s += "    <linearGradient id=\"rim\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">\n";
    s += "      <stop offset=\"0\" stop-color=\"#ffeca0\"/>\n";
    s += "      <stop offset=\"0.45\" stop-color=\"#e6bd42\"/>\n";
    s += "      <stop offset=\"1\" stop-color=\"#966c1c\"/>\n";
    s += "    </linearGradient>\n";
    s += "    <radialGradient id=\"field\" cx=\"-6\" cy=\"-14\" r=\"60\" "
         "gradientUnits=\"userSpaceOnUse\">\n";
    s += "      <stop offset=\"0\" stop-color=\"#4a68c4\"/>\n";
    s += "      <stop offset=\"1\" stop-color=\"#21316b\"/>\n";
    s += "    </radialGradient>\n";
    s += "    <radialGradient id=\"gobla\" cx=\"0.35\" cy=\"0.3\" r=\"0.85\">\n";
    s += "      <stop offset=\"0\" stop-color=\"#ff4a44\"/>\n";
    s += "      <stop offset=\"0.55\" stop-color=\"#d91f1a\"/>\n";
    s += "      <stop offset=\"1\" stop-color=\"#a11713\"/>\n";
    s += "    </radialGradient>\n";
    s += "  </defs>\n";
    s += "  <path d=\"" + shield(1.0) +
         "\" transform=\"translate(1.6 2.2)\" fill=\"#000\" "
         "fill-opacity=\"0.24\"/>\n";
    s += "  <path d=\"" + shield(1.0) +
         "\" fill=\"url(#rim)\" stroke=\"#73530f\" "
         "stroke-width=\"0.8\"/>\n";
    s += "  <path d=\"" + shield(0.88) +
         "\" fill=\"url(#field)\" stroke=\"#966c1c\" "
         "stroke-width=\"0.6\"/>\n";
    s += "  <polygon points=\"" + PointsText({kLeftPage, kLeftPage + 4}) +
         "\" fill=\"#faf9f0\" stroke=\"#5a5a6e\" stroke-width=\"0.6\"/>\n";
    s += "  <polygon points=\"" + PointsText({kRightPage, kRightPage + 4}) +
         "\" fill=\"#faf9f0\" stroke=\"#5a5a6e\" stroke-width=\"0.6\"/>\n";
    s += "  <polygon points=\"" + PointsText(StarPoints(kStar, 9, 3.8)) +
         "\" fill=\"#f3cf5c\" stroke=\"#966c1c\" stroke-width=\"0.6\"/>\n";
    s += "  <polygon points=\"" + PointsText(gobla) +
         "\" fill=\"url(#gobla)\" stroke=\"#6d100d\" stroke-width=\"0.6\"/>\n";
    s += "</svg>\n";
    return s;
}

// Behind every window of the front end: the desk "Зантор" seen from above, an
// open exercise book with the rules copied out, pieces, a pencil and chalk.
// Dark towards the edges, so that a panel over the middle reads well.
QImage DeskBackground() {
    const int W = 1600, H = 900;
    QImage img(W, H, QImage::Format_RGB32);
    {
        QPainter p(&img);
        p.drawImage(0, 0, Wood(W, H, 41, QColor(168, 114, 64), QColor(96, 58, 28)));
    }
    QPainter p(&img);
    Smooth(p);
    // The exercise book, left: squared paper, a red margin, a few lines of chalk-blue ink.
    p.save();
    p.translate(150, 520);
    p.rotate(-7);
    const QRectF page(-120, -330, 360, 560);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRect(page.translated(10, 12));
    p.setBrush(QColor(246, 243, 228));
    p.drawRect(page);
    p.setPen(QPen(QColor(150, 180, 220, 150), 1));
    for (double x = page.left() + 14; x < page.right(); x += 14)
        p.drawLine(QPointF(x, page.top()), QPointF(x, page.bottom()));
    for (double y = page.top() + 14; y < page.bottom(); y += 14)
        p.drawLine(QPointF(page.left(), y), QPointF(page.right(), y));
    p.setPen(QPen(QColor(205, 60, 60), 2));
    p.drawLine(QPointF(page.left() + 46, page.top()), QPointF(page.left() + 46, page.bottom()));
    const QFont hand = Font(gSerif, 19, false);
    const char* lines[] = {"Правила Гоблы",  "1. Бьют по своей Гобле.", "2. Кто сгинул —",
                           "   тот сгинул.", "3. Последний на парте —", "   победитель!"};
    for (int k = 0; k < 6; ++k)
        Text(p, QRectF(page.left() + 56, page.top() + 30 + 42 * k, 300, 30), Qt::AlignLeft,
             QString::fromUtf8(lines[k]), k == 0 ? Font(gSerif, 22, true) : hand,
             QColor(40, 60, 140), QColor(0, 0, 0, 0));
    p.restore();
    // A pencil across the upper right.
    p.save();
    p.translate(1180, 150);
    p.rotate(-18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    p.drawRect(QRectF(8, 10, 380, 22));
    p.setBrush(QColor(226, 176, 40));
    p.drawRect(QRectF(0, 0, 380, 22));
    p.setBrush(QColor(238, 206, 150));
    p.drawPolygon(QPolygonF({QPointF(380, 0), QPointF(430, 11), QPointF(380, 22)}));
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(416, 7), QPointF(430, 11), QPointF(416, 15)}));
    p.restore();
    // Pieces of all four models, one of the second team, resting on the desk.
    const QTransform desk;
    struct Piece {
        double x, y, phi;
        int model;
        bool grey;
    };
    const Piece pieces[] = {{1230, 470, 0.4, 0, false}, {1380, 610, -0.9, 1, false},
                            {1140, 690, 2.1, 2, false}, {1440, 380, 1.2, 3, false},
                            {560, 170, -0.3, 0, true},  {1000, 820, 0.8, 3, false}};
    for (const Piece& q : pieces)
        DrawPiece(p, QTransform().scale(1.9, 1.9) * OnTable(q.x, q.y, q.phi, desk), q.model,
                  q.grey ? kGrey : ModelColour(q.model), 9);
    // Chalk dust and a chalk stick on the lower right.
    for (int k = 0; k < 160; ++k) {
        const double x = 1320 + Hash(k, 7, 9) * 220, y = 760 + Hash(k, 8, 9) * 110;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 250, 245, static_cast<int>(40 + 80 * Hash(k, 9, 9))));
        p.drawEllipse(QPointF(x, y), 1 + 2 * Hash(k, 10, 9), 1 + 2 * Hash(k, 11, 9));
    }
    p.save();
    p.translate(1420, 820);
    p.rotate(24);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(QRectF(4, 6, 90, 18), 6, 6);
    p.setBrush(QColor(248, 248, 240));
    p.drawRoundedRect(QRectF(0, 0, 90, 18), 6, 6);
    p.restore();
    // Darker towards the edges.
    QRadialGradient vignette(W / 2.0, H / 2.0, W * 0.62);
    vignette.setColorAt(0, QColor(0, 0, 0, 0));
    vignette.setColorAt(0.7, QColor(0, 0, 0, 60));
    vignette.setColorAt(1, QColor(0, 0, 0, 170));
    p.fillRect(img.rect(), vignette);
    return img;
}

struct Slide {
    const char* file;
    QImage (*draw)();
    int ms;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_pictures <gamedata dir> <icons dir>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qargc = 1;
    char* qargv[] = {argv[0], nullptr};
    QGuiApplication app(qargc, qargv);
    if (!LoadFonts()) return 1;

    const std::string root = argv[1], icons = argv[2];
    if (!MakeDirs(root + "/splash") || !MakeDirs(root + "/pic") || !MakeDirs(icons)) {
        std::fprintf(stderr, "gen_pictures: cannot create the folders\n");
        return 1;
    }
    int rc = 0;
    auto gif = [&rc](const QImage& img, const std::string& path) {
        if (!WriteGif(img, path)) {
            std::fprintf(stderr, "gen_pictures: cannot write %s\n", path.c_str());
            rc = 1;
        }
    };

    const Slide slides[] = {{"orvelsoft.gif", SlideLogo, 3000}, {"title.gif", SlideTitle, 3500},
                            {"parta.gif", SlideDesk, 3500},     {"modeli.gif", SlideModels, 4000},
                            {"match.gif", SlideMatch, 3500},    {"gorshok.gif", SlidePot, 3000},
                            {"klub.gif", SlideClub, 3500}};
    std::string media = "[OrvelsoftSlideMedia]\r\n";
    for (const Slide& s : slides) {
        gif(s.draw(), root + "/splash/" + s.file);
        media += std::string(s.file) + "\r\n" + std::to_string(s.ms) + "\r\n";
    }
    if (!WriteFileBytes(root + "/splash/splash.qvmedia", media)) rc = 1;
    gif(LoadingBackground(), root + "/zvr2.gif");
    gif(EmblemPicture(480, Detail::Large), root + "/pic/biggerb.gif");
    gif(EmblemPicture(128, Detail::Small), root + "/pic/smallgerb.gif");
    if (!DeskBackground().save(QString::fromStdString(root + "/pic/deskback.jpg"), "JPG", 85)) {
        std::fprintf(stderr, "gen_pictures: cannot write %s/pic/deskback.jpg\n", root.c_str());
        rc = 1;
    }

    for (int size : {48, 64, 128, 256}) {
        const std::string path = icons + "/kvelmar2-" + std::to_string(size) + ".png";
        if (!IconPng(size).save(QString::fromStdString(path), "PNG")) {
            std::fprintf(stderr, "gen_pictures: cannot write %s\n", path.c_str());
            rc = 1;
        }
    }
    if (!WriteFileBytes(icons + "/kvelmar2.svg", IconSvg())) rc = 1;
    return rc;
}
