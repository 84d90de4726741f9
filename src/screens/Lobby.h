// A network table as its window shows it: the host's settings and seats, a
// player's own seat, the ready flags, the chat, and the hand-over of every
// match the table starts to the match screen, which the table's relay feeds.
#pragma once

#include "net/NetHost.h"
#include "net/NetMember.h"
#include "net/TableList.h"
#include "screens/ScreenContext.h"
#include "state/Rng.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv::screens {

// What the machine gives network play: the table's connections, the beacon of
// an open table and the tables heard, a steady clock.
class NetPort {
public:
    virtual ~NetPort() = default;
    virtual net::Link& TableLink() = 0;
    virtual long long NowMs() = 0;
    // Where an open table listens: every address of the machine, or loopback.
    virtual std::string ListenAddress() = 0;
    // Sends the beacon once a second until StopAdvertising; false with why.
    virtual bool Advertise(std::function<net::Beacon()> what, std::string* why) = 0;
    virtual void StopAdvertising() = 0;
    // Listens for beacons while the network screen is shown.
    virtual bool StartFinding(std::string* why) = 0;
    virtual void StopFinding() = 0;
    virtual std::vector<net::FoundTable> Tables() = 0;
};

class QuickGameScreen;
class OptionsScreen;
class ResultsScreen;

// The host's seat choices, as the seat list's menu offers them.
enum class SeatChoice { Open = 0, Computer = 1 };
inline constexpr const char* kSeatChoices[] = {"Открыто", "Комп хозяина"};

class LobbyScreen {
public:
    LobbyScreen(QuickGameScreen& quick, OptionsScreen& options, ResultsScreen& results);
    ~LobbyScreen();
    LobbyScreen(const LobbyScreen&) = delete;
    LobbyScreen& operator=(const LobbyScreen&) = delete;

    // The network screen's two ways in; false (after the message) when the
    // table cannot be opened.
    bool OpenTable(ScreenContext& g, const std::string& name, std::uint16_t port);
    // With a seat's token it is the way back to that seat; a player's seat
    // is kept in the state folder until he leaves it or the table ends it.
    void JoinTable(ScreenContext& g, const std::string& host, std::uint16_t port,
                   const std::string& name, const std::string& password, bool spectator,
                   std::uint64_t token = 0);

    bool Hosting() const { return host_ != nullptr; }
    bool AtTable() const { return host_ != nullptr || member_ != nullptr; }

    // ---- what the window shows
    std::string Title() const;
    std::string Status() const;
    std::vector<std::string> SeatLines() const;
    int SeatCount() const;
    std::vector<std::string> chat; // the latest lines, oldest first
    long chatSaid = 0;             // lines ever added: a window sees a new one
    std::string line;              // the chat line being typed
    int selectedSeat = -1;         // 0-based
    // The host's table settings; the window edits them through SetSettings.
    net::TableSettings settings;
    std::string password;
    // This machine's own seat.
    bool ownComp = false;
    i16 ownLevel = kLevelMaster;
    bool ready = false;

    // ---- the host's commands
    void SetSettings(ScreenContext& g);
    void SetSeatCount(ScreenContext& g, int n);
    // Two teams of perTeam (1..4) on as many seats, odd seats the first team
    // and even the second; 0: every player for himself.
    void SetTeams(ScreenContext& g, int perTeam);
    void SetSeat(ScreenContext& g, int seat, SeatChoice c, i16 level);
    // The piece of a seat: its model (the host's own seats; a player brings
    // his) and its mass (any seat), as the quick game screen sets them.
    void SetSeatModel(ScreenContext& g, int seat, i16 model);
    void SetSeatMass(ScreenContext& g, int seat, i16 mass);
    i16 SeatModel(int seat) const;
    i16 SeatMass(int seat) const;
    bool SeatModelEditable(int seat) const;
    // The friction as the options screen's three levels.
    int FrictionLevel() const;
    void SetFrictionLevel(ScreenContext& g, int level);
    void Kick(ScreenContext& g);
    bool StartEnabled() const;
    Next Start(ScreenContext& g);
    // ---- everyone's
    void SetOwnComp(ScreenContext& g, bool on, i16 level);
    void SetReady(bool on);
    void Say();
    Next Back(ScreenContext& g);
    Next Exit(ScreenContext& g);

    // Run by the front end's timer, whatever window is shown: the table's
    // clocks and events. A match the host started, or the table gone, asks
    // for another screen; `current` is the one shown.
    Next Tick(ScreenContext& g, ScreenId current);
    // The relay of the match about to start or under way; null outside a table.
    net::NetMatch* Relay();
    // The flow starts a match: the host sends it to every machine. False
    // (after the message) when it cannot start.
    bool MatchStarting(ScreenContext& g);
    // The match screen closed: the results are this table's.
    void MatchClosed(ScreenContext& g, ResultsScreen& results);
    // The host left mid-match and the pieces rest: the match is saved as it
    // stands, and the player is told where it and its recording are.
    void Orphaned(ScreenContext& g);

private:
    void Leave();
    // Leaving a table that is still there gives up the seat for good.
    void GiveUpSeat();
    void Chat(const std::string& text);
    // The match from the table's seats and settings; a series goes on from
    // the last match's scores unless `fresh`.
    bool SetUpHostMatch(ScreenContext& g, bool fresh);
    net::JoinOptions joinOpts_;

    QuickGameScreen& quick_;
    OptionsScreen& options_;
    ResultsScreen& results_;
    Rng tokens_;
    std::unique_ptr<net::NetHost> host_;
    std::unique_ptr<net::NetMember> member_;
    NetPort* port_ = nullptr;
    std::string hostName_;
    std::string table_; // "host:port" of the table joined
    std::string joinHost_;
    std::uint16_t joinPort_ = 0;
    std::string ticketPath_; // where the seat is kept; empty: nowhere
    std::size_t played_ = 0; // a player's matches handed to the match screen
    net::NetMatch* relay_ = nullptr;
    bool inMatch_ = false;
    bool orphanDue_ = false; // the host went mid-match: save once the pieces rest
};

} // namespace kv::screens
