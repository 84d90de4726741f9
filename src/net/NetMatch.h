// One machine's side of a network match: the relay between its match screen
// and the table. It keeps every strike of the match in the host's order and
// hands the screen the next one as soon as the screen's turn is that strike's
// turn; it numbers the turns as they end and digests the table after each.
#pragma once

#include "match/MatchScreen.h"
#include "match/TurnRelay.h"
#include "net/Link.h"
#include "net/Messages.h"
#include "state/Ports.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kv::net {

// Where a network match's recording goes: every step once, in order, also
// after a repair or a catch-up plays strikes again.
class RecordOnce : public ReplayPort {
public:
    explicit RecordOnce(ReplayPort& file) : file_(file) {}
    bool StartReplayRecord(const std::string& path) override;
    void WriteReplayStep(const StrikeRecord& strike, i16 pot) override;
    void CloseReplayRecord() override { file_.CloseReplayRecord(); }
    bool ReadReplayStep(StrikeRecord&, i16&) override { return false; }
    void CloseReplayRead() override {}
    // The screen's next step will be strike `index`; the steps the recording
    // lacks before it are written from `all`.
    void Rewind(std::size_t index, const std::vector<NetStrike>& all);

private:
    ReplayPort& file_;
    std::size_t written_ = 0;
    std::size_t next_ = 0;
};

class NetMatch : public TurnRelay {
public:
    explicit NetMatch(MatchStart start, Clock clock);
    ~NetMatch() override = default;

    const MatchStart& Start() const { return start_; }
    // The header every machine's recording of this match starts with.
    std::string SharedHeader() const;
    // Reads the start into the match state; false with the reason in *why.
    // What the game keeps for itself (sound) stays as it was.
    bool LoadStart(Module1& m, std::string* why) const;

    // The replay port this machine's match screen records through: into
    // `file`, every step once. Made before the screen, then Attach binds the
    // screen (before its Init).
    ReplayPort& RecordInto(ReplayPort& file);
    void Attach(MatchScreen& screen, Module1& m);
    // Strikes the table's host passed on and the machine has not yet caught
    // up with are played out at once (the game; the runner's virtual time is
    // fast enough as it is).
    void SetInstantCatchUp(bool on) { instant_ = on; }

    // Hands the screen the strikes it can execute now. The driver calls it
    // after network events and timer ticks.
    void Pump();
    // The screen waits for a strike that has not come.
    bool Waiting() const;

    std::uint32_t Turn() const { return turn_; }
    std::size_t StrikesKnown() const { return strikes_.size(); }
    std::size_t StrikesPlayed() const { return next_; }
    const std::vector<NetStrike>& Strikes() const { return strikes_; }
    // This machine's digest of the table after each turn.
    const std::vector<std::uint64_t>& Digests() const { return digests_; }
    // The host ended the match after this many turns (a strike limit).
    bool EndKnown() const { return endTurns_ >= 0; }
    // The table is gone: nothing more will come.
    void Orphan() { orphaned_ = true; }
    bool Orphaned() const { return orphaned_; }

    void AddNote(std::string line); // chat and notices, the latest few kept
    void SetCountdown(std::string who, long long untilMs);
    void ClearCountdown() { countdownUntil_ = 0; }
    std::vector<std::string> Notes() const override;

    // TurnRelay: what the sides share.
    void TurnEnded() override;

protected:
    // The side's share of a turn's end: the digest of the table after it.
    virtual void Digested(std::uint32_t turn, std::uint64_t digest) = 0;
    void Add(const NetStrike& s) { strikes_.push_back(s); }
    bool KnowsStrikeFor(std::uint32_t turn) const;
    // The table was replaced by the host's state as turn `turn` began.
    bool Replace(const std::string& snapshot, std::uint32_t turn, std::uint32_t strikes,
                 std::uint64_t ticks, std::string* why);
    void MarkEnd(std::uint32_t turns) { endTurns_ = turns; }

    MatchStart start_;
    Clock clock_;
    MatchScreen* screen_ = nullptr;
    Module1* m_ = nullptr;
    std::vector<NetStrike> strikes_;
    std::size_t next_ = 0;
    std::uint32_t turn_ = 0;
    std::size_t catchUpUntil_ = 0; // strikes played out at once, when instant
    std::vector<std::uint64_t> digests_;
    bool instant_ = false;

private:
    std::unique_ptr<RecordOnce> recorder_;
    long long endTurns_ = -1;
    bool orphaned_ = false;
    bool pumping_ = false;
    std::deque<std::string> notes_;
    std::string countdownWho_;
    long long countdownUntil_ = 0;
};

// Loads a snapshot (SnapshotText) into the match state as a saved game is
// loaded; false with the reason in *why.
bool LoadSnapshot(Module1& m, const std::string& snapshot, std::string* why);

} // namespace kv::net
