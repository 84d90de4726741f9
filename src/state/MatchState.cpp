#include "state/MatchState.h"

#include <algorithm>
#include <cmath>

namespace kv {

double Hypot(double x, double y) {
    return std::sqrt(x * x + y * y);
}

i16 AliveCount(const Module1& m) {
    if (m.MaxGamers < 1) return 0;
    i16 n = 0;
    for (int i = 1; i <= m.MaxGamers && i <= kPieceSlots; ++i)
        if (m.Gobla(i).Life != 0) ++n;
    return n;
}

bool AllStopped(const Module1& m) {
    for (int i = 1; i <= m.MaxGamers && i <= kPieceSlots; ++i) {
        const GoblaRec& g = m.Gobla(i);
        if (g.Xvec != 0.0 || g.Yvec != 0.0 || g.U != 0.0) return false;
    }
    return true;
}

i32 RoundI32(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    // nearbyint follows the default rounding mode: to nearest, ties to even.
    return static_cast<i32>(std::nearbyint(v));
}

i16 RoundI16(double v) {
    i32 r = RoundI32(v);
    if (r > 32767) return 32767;
    if (r < -32768) return -32768;
    return static_cast<i16>(r);
}

void PlacePieces(Module1& m) {
    const double Pi = m.Pi;
    const double X = m.MaxX;
    const double Y = m.MaxY;
    const int n = m.MaxGamers;
    auto put = [&](int s, double x, double y, double phi) {
        GoblaRec& g = m.Gobla(s);
        g.Xpos = x;
        g.Ypos = y;
        g.Phi = phi;
    };
    put(1, 30, 30, n < 4 ? 3 * Pi / 4 : Pi / 2);
    put(2, X - 30, Y - 30, n < 4 ? -Pi / 4 : -Pi / 2);
    if (n >= 3) put(3, 30, Y - 30, n < 4 ? Pi / 4 : Pi / 2);
    if (n >= 4) put(4, X - 30, 30, -Pi / 2);
    if (n >= 5) put(5, 30, n >= 7 ? Y / 2 - Y / 6 : Y / 2, 3.14159 / 2);
    if (n >= 6) put(6, X - 30, n == 8 ? Y / 2 + Y / 6 : Y / 2, -Pi / 2);
    if (n >= 7) put(7, 30, Y / 2 + Y / 6, Pi / 2);
    if (n >= 8) put(8, X - 30, Y / 2 - Y / 6, -Pi / 2);
    for (int s = 1; s <= n && s <= kMaxPlayers; ++s) {
        GoblaRec& g = m.Gobla(s);
        g.Xvec = 0;
        g.Yvec = 0;
        g.U = 0;
        g.Life = kTrue;
        g.MyNum = static_cast<i16>(s);
    }
    if (m.LoadedGame == 0) {
        for (int s = 9; s <= kPieceSlots; ++s) {
            GoblaRec& g = m.Gobla(s);
            g.MyNum = static_cast<i16>(s);
            g.Xpos = g.Ypos = g.Xvec = g.Yvec = g.U = g.Phi = 0;
            g.Life = kTrue;
        }
    }
}

void SetMatchDefaults(Module1& m) {
    m.PieceRadius = 20;
    m.PieceRadius2 = 14;
    m.PipaRadius = 11;
    m.GPercent = 1.0;
    m.CurSgin = 1;
    m.CurNG = 1;
    m.NewSgin = 0;
    m.MaxGamers = 2;
    PlacePieces(m);
}

void FixDisplaySettings(Module1& m) {
    if (m.ScreenW == 0) m.ScreenW = kDefaultScreenW;
    if (m.ScreenH == 0) m.ScreenH = kDefaultScreenH;
    if (m.Colors == 0) m.Colors = kDefaultColors;
}

int RecordFallen(Module1& m) {
    const int n = m.NewSgin < 0 ? 0 : std::min<int>(m.NewSgin, kPerishListSize);
    m.NewSgin = 0;
    if (n == 0) return 0;
    if (m.CurG >= 1 && m.CurG <= kPieceSlots)
        m.Gobla(m.CurG).Sginul = static_cast<i16>(m.Gobla(m.CurG).Sginul + n);
    if (m.CurSgin < 0) m.CurSgin = 0;
    // A damaged state may leave no room: only what fits is written and counted.
    int written = 0;
    for (int i = 1; i <= n && m.CurSgin + i <= kMaxPlayers; ++i, ++written)
        m.WS(m.CurSgin + i) = m.SginList(n - i + 1);
    m.CurSgin = static_cast<i16>(m.CurSgin + written);
    return n;
}

void SetDefaultSettings(Module1& m) {
    m.MaxX = kDefaultTableX;
    m.MaxY = kDefaultTableY;
    m.Ftr = kDefaultFriction;
    m.Border = kTrue;
    m.BordSimm = kTrue;
    m.BordMode = 1;
    m.PipaOn = kTrue;
    m.IsCompHOD = kFalse;
    m.Sound = kTrue;
    m.MaxGamers = 2;
    m.CurG = 1;
    m.FirstRun = kTrue;
    m.ScreenW = kDefaultScreenW;
    m.ScreenH = kDefaultScreenH;
    m.Colors = kDefaultColors;
    m.UseTex = kFalse;
    m.UseRoom = kTrue; // the modern look's room, on from the first start
    m.DeviceNum = 0;
    m.RenderNum = 0; // hardware first: the software renderer is the fallback
    m.Graphics = kGraphicsModern;
    for (int i = 1; i <= kMaxPlayers; ++i) {
        m.Gobla(i).RName = "Омон" + std::to_string(i);
        m.Gobla(i).Model = 0;
        m.Gobla(i).CompControl = 0;
    }
}

} // namespace kv
