// The host of a network table: it owns the seats, the settings, the start of
// every match, the turn order and the series; it checks every strike and
// passes it on; it compares the machines' tables after every turn and mends
// one that differs; it keeps a dropped player's seat for the grace time and
// plays it with its own computer after that.
//
// A lobby screen model drives it: Open, the seats and settings, StartMatch
// when CanStart, MatchOver when the match screen closes, Close. Poll runs its
// clocks; TakeEvents says what changed.
#pragma once

#include "net/Link.h"
#include "net/Messages.h"
#include "net/NetEvent.h"
#include "net/NetMatch.h"
#include "net/Wire.h"
#include "state/MatchState.h"
#include "state/Rng.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kv::net {

// One seat of the table, as the host keeps it.
struct HostSeat {
    SeatKind kind = SeatKind::Open;
    std::string name; // a player's, or the host's own seat's ("" keeps the match's)
    i16 model = -1;   // -1: the match's
    bool comp = false;
    i16 level = kLevelMaster;
    bool ready = false;
    ConnId conn = -1; // a player's connection; -1 while away
    std::uint64_t token = 0;
    bool away = false;
    long long awaySince = 0;
    bool takenOver = false; // the host's computer plays it for the rest of the match
};

// How a match of the table is played.
struct MatchPlan {
    std::uint16_t match = 1;
    std::uint16_t matches = 0; // series length (0: a single match)
    std::uint32_t maxStrikes = 0;
};

class HostMatch;

class NetHost : public LinkEvents {
public:
    NetHost(Link& link, Clock clock, Rng& tokens);
    ~NetHost() override;
    NetHost(const NetHost&) = delete;
    NetHost& operator=(const NetHost&) = delete;

    // Opens the table: listens on the address and port chosen, and nowhere
    // else. False with the reason in Russian.
    bool Open(const std::string& address, std::uint16_t port, std::string* why);
    // Says goodbye to everyone and stops listening. SeriesOver is the normal
    // end of the runner's series; Closed, the host leaving.
    void Close(Reason why = Reason::Closed);
    bool IsOpen() const { return open_; }

    // ---- the lobby
    void SetHostName(std::string name);
    void SetSettings(const TableSettings& s); // its password flag follows SetPassword
    void SetPassword(std::string password);
    // 2..8 seats; false while a player sits past the new count.
    bool SetSeatCount(int n);
    // The host's own seats: Open, HostPlayer or HostComputer (with its
    // strength); false where a player sits.
    bool SetSeat(int seat, SeatKind kind, const std::string& name = {}, i16 level = kLevelMaster);
    // The piece model of a seat the host plays (0..3, -1: the match's); a
    // player who joins it and wants none of his own keeps it. False where a
    // player sits.
    bool SetSeatModel(int seat, i16 model);
    // The mass of a seat's piece (1..1000, 0: the match's), whoever sits there.
    bool SetSeatMass(int seat, i16 mass);
    // Removes a player: his seat opens (in a match the host's computer takes it).
    bool Kick(int seat);
    void Say(const std::string& text);
    // Every seat a player took is ready, and nobody is away.
    bool CanStart() const;
    // Seats taken by players who joined.
    int PlayersSeated() const;

    // ---- matches
    // Starts a match from the state the quick game or team screens made (or
    // the results screen's continuation): the seats are written into it (names,
    // models, who plays), it is sent to every machine and read back here as
    // every machine reads it. Null (with *why) when it cannot start. The relay
    // lives until the next StartMatch.
    HostMatch* StartMatch(Module1& m, const MatchPlan& plan, std::string* why);
    HostMatch* Match() { return match_.get(); }
    // The match screen closed; turns: how many ended. last: the series is over.
    void MatchOver(bool last);

    // Hello deadlines, silences, pings, grace times and the turn limit.
    void Poll();

    TablePhase Phase() const { return phase_; }
    const std::vector<HostSeat>& Seats() const { return seats_; }
    int Spectators() const;
    TableView View() const;
    // What the table's beacon says of it, the port being the one it listens on.
    Beacon Advert(std::uint16_t port) const;
    const TableSettings& Settings() const { return settings_; }
    std::vector<NetEvent> TakeEvents();

    // LinkEvents
    void Opened(ConnId c) override;
    void Received(ConnId c, std::string_view bytes) override;
    void Closed(ConnId c, const std::string& why) override;

private:
    friend class HostMatch;
    struct Peer {
        ConnId id = -1;
        enum class State { Greeting, Seated, Watching } state = State::Greeting;
        FrameReader frames{kMaxFromPlayer};
        std::string name;
        int seat = 0;
        long long openedAt = 0, heardAt = 0, sentAt = 0;
        double chatTokens = kChatBurst;
        long long chatAt = 0;
        long long rateStart = 0;
        int rateCount = 0;
        bool inMatch = false;           // has the current match's start
        std::vector<NetStrike> pending; // a strike that came before the host's turn did
        std::map<std::uint32_t, std::uint64_t> digests; // theirs, awaiting the host's
        std::uint32_t trustFrom = 0; // digests before this turn came from a damaged table
        bool repairDue = false;
        std::uint32_t badTurn = 0;
        std::uint64_t badHost = 0, badTheirs = 0;
    };

    void Handle(Peer& p, const Message& msg);
    void Greet(Peer& p, const Hello& h);
    void Refuse(Peer& p, Reason r, const std::string& detail = {});
    void Drop(Peer& p, Reason r, const std::string& detail);
    void Send(Peer& p, const Message& m);
    void SendAll(const Message& m, bool matchOnly = false);
    void TableChanged();
    void Note(NoticeKind k, int seat, const std::string& name, std::uint32_t seconds = 0);
    void Event(EventKind k, std::string text, int seat = 0);
    void SeatLost(int seat, bool keep);
    void TakeOver(int seat);
    void SendCatchUp(Peer& p);
    // A connection to close at the next Poll (found wrong where closing it at
    // once would cut into the match screen's turn).
    void Doom(Peer& p, Reason r);
    bool FloodCheck(Peer& p);
    Peer* PeerOf(ConnId c);

    Link& link_;
    Clock clock_;
    Rng& tokens_;
    bool open_ = false;
    std::string hostName_ = "Хозяин";
    std::string password_;
    TableSettings settings_;
    TablePhase phase_ = TablePhase::Lobby;
    std::uint16_t matchNo_ = 0;
    std::vector<HostSeat> seats_;
    std::array<i16, kMaxSeats> masses_{}; // by seat, kept whoever sits there
    std::map<ConnId, Peer> peers_;
    std::unique_ptr<HostMatch> match_;
    std::vector<NetEvent> events_;
    std::vector<std::pair<ConnId, Reason>> doomed_;
};

// The host's relay: its match screen's turns, and the table's checks of them.
class HostMatch : public NetMatch {
public:
    HostMatch(NetHost& host, MatchStart start, Clock clock);

    TurnOwner TurnBegins(i16 slot) override;
    void StrikeMade(const PlayedStrike& s) override;
    void AimChanged(double pointAngle, double direction, i16 force) override;
    void Say(const std::string& line) override { host_.Say(line); }

    // A player's strike, checked; false when the connection must close (the
    // reason in *r).
    bool Offer(NetHost::Peer& p, const NetStrike& s, Reason* r);
    bool OfferAim(NetHost::Peer& p, const Aim& a, Reason* r);
    bool OfferDigest(NetHost::Peer& p, const TurnDigest& d, Reason* r);
    // Seats whose turn the host's computer plays now; the turn begins again.
    void Retake();
    // The slot whose strike the screen waits for (0: none).
    i16 WaitingFor() const { return Waiting() ? slot_ : 0; }
    i16 Slot() const { return slot_; }
    // The host's own player aims now.
    bool HumanAims() const;
    long long TurnBeganAt() const { return begunAt_; }
    void TimeOut() { timedOut_ = turn_; }
    std::uint64_t OwnDigest(std::uint32_t turn) const;

private:
    void Digested(std::uint32_t turn, std::uint64_t digest) override;
    void Accept(i16 seat, const PlayedStrike& s);
    void Compare(NetHost::Peer& p, std::uint32_t turn, std::uint64_t theirs);
    void SendRepair(NetHost::Peer& p);
    bool HasStrikeFor(std::uint32_t turn) const;

    NetHost& host_;
    i16 slot_ = 0;
    long long begunAt_ = 0;
    long long aimPassedAt_ = -1000000;
    std::int64_t timedOut_ = -1;
    std::int64_t begun_ = -1; // the turn that began last
    // The state as the latest turn began: what a damaged machine is sent.
    std::string snapshot_;
    std::uint32_t snapTurn_ = 0, snapStrikes_ = 0;
    std::uint64_t snapTicks_ = 0;
    bool hasSnap_ = false;
};

} // namespace kv::net
