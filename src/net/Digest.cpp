#include "net/Digest.h"

#include "physics/Physics.h"
#include "physics/Strike.h"

namespace kv::net {

namespace {

class Fnv {
public:
    void Add(const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (std::size_t i = 0; i < n; ++i)
            h_ = (h_ ^ b[i]) * 1099511628211ull;
    }
    template <typename T> void Add(T v) { Add(&v, sizeof v); }
    std::uint64_t Value() const { return h_; }

private:
    std::uint64_t h_ = 1469598103934665603ull;
};

} // namespace

std::uint64_t TableDigest(const Module1& m) {
    Fnv f;
    for (int s = 1; s <= kPieceSlots; ++s) {
        const GoblaRec& g = m.Gobla(s);
        for (double v : {g.Xpos, g.Ypos, g.Xvec, g.Yvec, g.U, g.Phi})
            f.Add(v);
        for (i16 v : {g.Life, g.Gray, g.Com, g.Sginul, g.Model, g.M})
            f.Add(v);
    }
    for (int i = 1; i <= kMaxPlayers; ++i) {
        f.Add(m.KH(i));
        f.Add(m.WS(i));
    }
    for (i16 v : {m.MaxGamers, m.CurG, m.CurNG, m.CurSgin, m.Winner})
        f.Add(v);
    return f.Value();
}

std::uint64_t RulesDigest() {
    Module1 m;
    BuildShapes(m);
    Fnv f;
    for (const ShapeRec& s : m.Shapes) {
        for (const Circle& c : s.c)
            for (double v : {c.x, c.y, c.r})
                f.Add(v);
        f.Add(s.count);
        f.Add(s.bound);
    }
    for (double v : {m.Pi, m.Ftr, m.GPercent})
        f.Add(v);
    for (i16 v : {m.PieceRadius, m.PieceRadius2, m.PipaRadius, kBuild})
        f.Add(v);
    // The probe: two pieces of different models, walled, one struck into the other.
    m.MaxGamers = 2;
    m.Border = kTrue;
    m.PipaOn = kFalse;
    m.MaxPip = 0;
    PlacePieces(m);
    m.Gobla(1).Model = 0;
    m.Gobla(2).Model = 3;
    m.Gobla(2).Xpos = 80;
    m.Gobla(2).Ypos = 70;
    WriteWalls(m);
    m.CurG = 1;
    PushStrike(m, StrikeRecord{0.7, 2.3, 80});
    for (int t = 0; t < 60; ++t)
        PhysicsStep(m, 1.0, nullptr);
    f.Add(TableDigest(m));
    return f.Value();
}

} // namespace kv::net
