#include "net/NetMatch.h"

#include "net/Digest.h"
#include "persistence/KeyFile.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "persistence/Text.h"

namespace kv::net {

namespace {

// Collects what a load would have shown instead of showing it.
class QuietDialogs : public DialogPort {
public:
    MsgAnswer Message(const std::string& text, MsgIcon, MsgButtons buttons,
                      const std::string& = {}) override {
        said += text;
        return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                            : MsgAnswer::No;
    }
    void SetBusy(bool) override {}
    std::string said;
};

constexpr std::size_t kNotesKept = 4;

} // namespace

bool LoadSnapshot(Module1& m, const std::string& snapshot, std::string* why) {
    TextLines f;
    f.SetBytes(Utf8ToCp1251(snapshot));
    QuietDialogs d;
    if (detail::ReadSnapshot(m, f, "сетевая игра", detail::SnapshotKind::Game, d)) return true;
    if (why) *why = d.said.empty() ? "состояние стола не прочитано" : d.said;
    return false;
}

bool RecordOnce::StartReplayRecord(const std::string& path) {
    written_ = next_ = 0;
    return file_.StartReplayRecord(path);
}

void RecordOnce::WriteReplayStep(const StrikeRecord& strike, i16 pot) {
    if (next_++ < written_) return;
    file_.WriteReplayStep(strike, pot);
    ++written_;
}

void RecordOnce::Rewind(std::size_t index, const std::vector<NetStrike>& all) {
    for (; written_ < index && written_ < all.size(); ++written_) {
        const PlayedStrike& s = all[written_].s;
        file_.WriteReplayStep(s.pot ? StrikeRecord{} : s.strike, s.pot ? s.potForce : i16{0});
    }
    next_ = index;
}

NetMatch::NetMatch(MatchStart start, Clock clock)
    : start_(std::move(start)), clock_(std::move(clock)) {}

std::string NetMatch::SharedHeader() const {
    return ReplayHeaderText(start_.snapshot, start_.stamp);
}

bool NetMatch::LoadStart(Module1& m, std::string* why) const {
    const i16 sound = m.Sound;
    if (!LoadSnapshot(m, start_.snapshot, why)) return false;
    for (int i = 1; i <= kMaxPlayers; ++i)
        m.CompLevel(i) = start_.levels[static_cast<std::size_t>(i - 1)];
    m.Sound = sound;
    m.IsCompHOD = kFalse;
    m.LoadedGame = kFalse;
    m.Winner = 0;
    return true;
}

ReplayPort& NetMatch::RecordInto(ReplayPort& file) {
    recorder_ = std::make_unique<RecordOnce>(file);
    return *recorder_;
}

void NetMatch::Attach(MatchScreen& screen, Module1& m) {
    screen_ = &screen;
    m_ = &m;
    screen.SetRelay(this);
}

bool NetMatch::KnowsStrikeFor(std::uint32_t turn) const {
    return next_ < strikes_.size() && strikes_[next_].turn == turn;
}

void NetMatch::Pump() {
    if (!screen_ || pumping_) return;
    pumping_ = true;
    while (KnowsStrikeFor(turn_) && screen_->TakesStrike()) {
        const bool catchUp = instant_ && next_ < catchUpUntil_;
        screen_->PlayStrike(strikes_[next_++].s);
        if (catchUp) screen_->PlayOut();
    }
    pumping_ = false;
}

bool NetMatch::Waiting() const {
    return screen_ && screen_->Phase() == TurnPhase::Elsewhere && screen_->TakesStrike() &&
           !KnowsStrikeFor(turn_);
}

void NetMatch::TurnEnded() {
    if (!m_) return;
    const std::uint64_t d = TableDigest(*m_);
    digests_.resize(turn_ + 1, 0);
    digests_[turn_] = d;
    Digested(turn_, d);
    ++turn_;
}

bool NetMatch::Replace(const std::string& snapshot, std::uint32_t turn, std::uint32_t strikes,
                       std::uint64_t ticks, std::string* why) {
    if (!screen_ || !m_ || strikes > strikes_.size()) {
        if (why) *why = "состояние пришло раньше ударов";
        return false;
    }
    Module1 loaded = *m_;
    if (!LoadSnapshot(loaded, snapshot, why)) return false;
    loaded.Sound = m_->Sound;
    loaded.IsCompHOD = kFalse;
    *m_ = loaded;
    turn_ = turn;
    next_ = strikes;
    if (recorder_) recorder_->Rewind(strikes, strikes_);
    screen_->Resync(static_cast<long>(strikes), static_cast<long>(ticks));
    return true;
}

void NetMatch::AddNote(std::string line) {
    notes_.push_back(std::move(line));
    while (notes_.size() > kNotesKept)
        notes_.pop_front();
}

void NetMatch::SetCountdown(std::string who, long long untilMs) {
    countdownWho_ = std::move(who);
    countdownUntil_ = untilMs;
}

std::vector<std::string> NetMatch::Notes() const {
    std::vector<std::string> out(notes_.begin(), notes_.end());
    if (countdownUntil_ > 0) {
        const long long left = (countdownUntil_ - clock_() + 999) / 1000;
        if (left > 0)
            out.push_back("Ждём игрока " + countdownWho_ + ": " + std::to_string(left) +
                          " с, потом за него сыграет компьютер.");
    }
    return out;
}

} // namespace kv::net
