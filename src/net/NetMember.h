// A player at a network table (or a spectator): the greeting, the seat and its
// ready flag and wishes, the chat, and every match the host starts, with the
// strikes it passes on. It coming back after a dropped line is a Join with
// the same name and the token its machine kept.
//
// A lobby screen model drives it: Join, SetReady, SetWishes, Say, Leave; Poll
// runs its clocks; TakeEvents says what changed; Match() is the relay of the
// match under way, for the match screen (EventKind::Started says when).
#pragma once

#include "net/Link.h"
#include "net/Messages.h"
#include "net/NetEvent.h"
#include "net/NetMatch.h"
#include "net/Wire.h"

#include <memory>
#include <string>
#include <vector>

namespace kv::net {

struct JoinOptions {
    std::string name;
    std::string password;
    bool spectator = false;
    i16 model = -1;    // -1: the table's
    bool comp = false; // "Комп": this machine's computer plays the seat
    i16 level = kLevelMaster;
    std::uint64_t token = 0; // coming back: the token of the seat
};

class NetMember;

// A player's relay: his own seat's turns are played here, every other turn
// waits for the host's strike.
class PlayerMatch : public NetMatch {
public:
    PlayerMatch(NetMember& member, MatchStart start, std::vector<NetStrike> known, Clock clock);

    TurnOwner TurnBegins(i16 slot) override;
    void StrikeMade(const PlayedStrike& s) override;
    void AimChanged(double pointAngle, double direction, i16 force) override;
    void Say(const std::string& line) override;

    // A strike the host passed on; false when it cannot be one (the host then
    // counts as broken).
    bool Take(const NetStrike& s);
    void ShowAim(const AimShown& a);
    bool ApplyRepair(const Repair& r, std::string* why);
    void End(std::uint32_t turns) { MarkEnd(turns); }
    void FlushAim();

private:
    void Digested(std::uint32_t turn, std::uint64_t digest) override;

    NetMember& member_;
    i16 slot_ = 0;
    std::int64_t sent_ = -1; // the turn whose strike went out from here
    long long aimSentAt_ = -1000000;
    bool aimDue_ = false;
    Aim aim_;
};

class NetMember : public LinkEvents {
public:
    enum class State { Idle, Connecting, Greeting, AtTable, Closed };

    NetMember(Link& link, Clock clock);
    ~NetMember() override;
    NetMember(const NetMember&) = delete;
    NetMember& operator=(const NetMember&) = delete;

    void Join(const std::string& host, std::uint16_t port, const JoinOptions& o);
    void SetReady(bool ready);
    void SetWishes(i16 model, bool comp, i16 level);
    void Say(const std::string& text);
    void Leave();
    // Pings, the host's silence, the aim that waits for its turn to go out.
    void Poll();

    State GetState() const { return state_; }
    int Seat() const { return seat_; }
    bool Spectator() const { return opts_.spectator; }
    std::uint64_t Token() const { return token_; }
    const TableView& Table() const { return table_; }
    // Why the table connection ended, in Russian; and whether that was the
    // series' own end.
    const std::string& CloseText() const { return closeText_; }
    Reason CloseReason() const { return closeReason_; }
    bool NormalEnd() const { return closeReason_ == Reason::SeriesOver; }
    // The matches the host started, in order, each with its strikes; the
    // latest is the one under way. A machine that lags behind plays them in
    // turn, so a match stays until the member goes.
    std::size_t MatchCount() const { return matches_.size(); }
    PlayerMatch* MatchAt(std::size_t i) { return matches_[i].get(); }
    PlayerMatch* Match() { return matches_.empty() ? nullptr : matches_.back().get(); }
    bool LastMatch() const { return last_; }
    std::vector<NetEvent> TakeEvents();

    // LinkEvents
    void Opened(ConnId c) override;
    void Received(ConnId c, std::string_view bytes) override;
    void Closed(ConnId c, const std::string& why) override;

private:
    friend class PlayerMatch;
    void Handle(const Message& m);
    void Send(const Message& m);
    void Fail(Reason r, const std::string& text, const std::string& log);
    void Event(EventKind k, std::string text);

    Link& link_;
    Clock clock_;
    JoinOptions opts_;
    State state_ = State::Idle;
    ConnId conn_ = -1;
    FrameReader frames_{kMaxFromHost};
    int seat_ = 0;
    std::uint64_t token_ = 0;
    TableView table_;
    std::vector<std::unique_ptr<PlayerMatch>> matches_;
    bool last_ = false;
    Reason closeReason_ = Reason::None;
    std::string closeText_;
    long long heardAt_ = 0, sentAt_ = 0;
    std::vector<NetEvent> events_;
};

} // namespace kv::net
