// The modern look's picture of the match: players' colours, the ring of the
// turn, pieces going over the edge, banners and the force bar. Nothing here
// changes the match; the classic look never sees it.
#include "match/MatchScreen.h"

#include "state/SceneUnits.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr long kFallMs = 500;
constexpr long kBannerMs = 1800;
constexpr long kBannerInMs = 150;
constexpr long kBannerOutMs = 500;
constexpr std::size_t kBannersWaiting = 3;

// sRGB, chosen so that every two stay far apart in CIELAB for normal sight and
// under protanopia and deuteranopia alike; the first two are the usual pair.
constexpr unsigned kPalette[kMaxPlayers] = {0xE6801A, 0x26B2FF, 0xFFFF1A, 0x0059E6,
                                            0x00B280, 0x99338C, 0xFFFFFF, 0x99331A};

float Linear(unsigned channel) {
    const double s = channel / 255.0;
    return static_cast<float>(s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4));
}

} // namespace

void MatchScreen::SnapshotPieces() {
    for (int k = 1; k <= kPieceSlots; ++k) {
        const GoblaRec& g = m_.Gobla(k);
        was_[static_cast<std::size_t>(k)] = {g.Xpos, g.Ypos, g.Xvec, g.Yvec};
    }
}

void MatchScreen::NoteFall(i16 k) {
    if (k < 1 || k > kPieceSlots) return;
    const PieceWas w = was_[static_cast<std::size_t>(k)];
    const double X = m_.MaxX, Y = m_.MaxY;
    // Where it crossed the edge: along its motion from where it last stood, or,
    // standing, over the nearest edge.
    double dx = w.vx, dy = w.vy;
    const double speed = std::hypot(dx, dy);
    if (speed > 1e-9 && std::isfinite(speed)) {
        dx /= speed;
        dy /= speed;
    } else {
        const double d[4] = {w.x, X - w.x, w.y, Y - w.y};
        const int e = static_cast<int>(std::min_element(d, d + 4) - d);
        dx = e == 0 ? -1 : e == 1 ? 1 : 0;
        dy = e == 2 ? -1 : e == 3 ? 1 : 0;
    }
    constexpr double kFar = 1e18;
    const double sx = dx > 0 ? (X - w.x) / dx : dx < 0 ? -w.x / dx : kFar;
    const double sy = dy > 0 ? (Y - w.y) / dy : dy < 0 ? -w.y / dy : kFar;
    const double s = std::max(0.0, std::min(sx, sy));
    const double ex = std::clamp(w.x + dx * s, 0.0, X);
    const double ey = std::clamp(w.y + dy * s, 0.0, Y);

    PieceLook& p = look_.pieces[static_cast<std::size_t>(k)];
    p.fallX = SceneX(ex);
    p.fallY = 0;
    p.fallZ = SceneZ(ey);
    p.fallDirX = static_cast<float>(dx);
    p.fallDirZ = static_cast<float>(-dy);
    fallMs_[static_cast<std::size_t>(k)] = lookMs_;
    if (k <= m_.MaxGamers && k <= kMaxPlayers) Banner("Гобла " + m_.Gobla(k).RName + " сгинула!");
}

void MatchScreen::Banner(std::string text) {
    if (banners_.empty()) bannerMs_ = lookMs_;
    // Those that would come too late to mean anything give way.
    if (banners_.size() >= kBannersWaiting) banners_.erase(banners_.begin() + 1);
    banners_.push_back(std::move(text));
}

void MatchScreen::Present() {
    // The banner in front goes once its time is up, and the next comes.
    while (!banners_.empty() && lookMs_ - bannerMs_ >= kBannerMs) {
        banners_.erase(banners_.begin());
        bannerMs_ += kBannerMs;
        if (lookMs_ - bannerMs_ >= kBannerMs) bannerMs_ = lookMs_;
    }
    if (banners_.empty()) {
        look_.banner.clear();
        look_.bannerAlpha = 0;
    } else {
        const long t = lookMs_ - bannerMs_;
        look_.banner = banners_.front();
        look_.bannerAlpha = static_cast<float>(
            std::clamp(std::min(static_cast<double>(t + 1) / kBannerInMs,
                                static_cast<double>(kBannerMs - t) / kBannerOutMs),
                       0.0, 1.0));
    }

    const int players = std::clamp<int>(m_.MaxGamers, 0, kMaxPlayers);
    for (int k = 1; k <= kPieceSlots; ++k) {
        PieceLook& p = look_.pieces[static_cast<std::size_t>(k)];
        if (k <= players) {
            const unsigned c = kPalette[k - 1];
            p.tint[0] = Linear((c >> 16) & 0xFF);
            p.tint[1] = Linear((c >> 8) & 0xFF);
            p.tint[2] = Linear(c & 0xFF);
        }
        p.turn = k == m_.CurG && !gameOver_ && m_.Gobla(k).Life != 0;
        const long since = fallMs_[static_cast<std::size_t>(k)];
        p.fall =
            since < 0
                ? 0.f
                : static_cast<float>(std::min(1.0, static_cast<double>(lookMs_ - since) / kFallMs));
    }
    const bool charging = turnPhase_ == TurnPhase::Charge || turnPhase_ == TurnPhase::PotCharge;
    look_.force =
        charging && !gameOver_ ? std::clamp(m_.StrikeForce, i16{0}, i16{100}) / 100.f : -1.f;
    if (Modern()) p_.scene.ShowLook(look_);
}

} // namespace kv
