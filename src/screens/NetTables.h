// The network screen: the player's name, the tables heard on the local
// network, an address for a table elsewhere, and the ways to a table: open
// one ("Создать стол") or sit at one ("Присоединиться").
#pragma once

#include "net/SeatTicket.h"
#include "net/TableList.h"
#include "screens/ScreenContext.h"

#include <optional>
#include <string>
#include <vector>

namespace kv::screens {

class LobbyScreen;

class NetScreen {
public:
    explicit NetScreen(LobbyScreen& lobby) : lobby_(lobby) {}

    std::string name;    // the player's name at the table
    std::string port;    // the port a table of this machine listens on
    std::string address; // "host:port" of a table elsewhere
    std::string password;
    bool spectator = false;
    std::vector<net::FoundTable> tables;
    int selected = -1; // in tables
    // The seat this machine kept at a table it lost: "Вернуться за стол".
    std::optional<net::SeatTicket> seat;

    // The screen is shown: the list of tables starts listening.
    void Open(ScreenContext& g);
    // The tables heard so far; the selection follows its table.
    void Refresh(ScreenContext& g);
    // "table — host, seated/seats, version" of each table heard.
    std::vector<std::string> TableLines() const;
    void Select(int row);

    Next Host(ScreenContext& g);
    Next Join(ScreenContext& g);
    // Back to the kept seat, under its name and token (and the password typed).
    Next Rejoin(ScreenContext& g);
    std::string RejoinHint() const;
    Next Back(ScreenContext& g);
    Next Exit(ScreenContext& g);

private:
    bool NameOk(ScreenContext& g);
    void Leave(ScreenContext& g);

    LobbyScreen& lobby_;
};

} // namespace kv::screens
