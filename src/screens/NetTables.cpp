#include "screens/NetTables.h"

#include "net/Wire.h"
#include "persistence/ErrorLog.h"
#include "screens/Lobby.h"

#include <optional>

namespace kv::screens {

namespace {

const char* kBadAddress = "Адрес стола пишется как хост:порт, например 192.168.1.5:27415; без "
                          "порта берётся 27415.";

// The name the settings file keeps; one that no table would take gives way
// to the first row's.
std::string KeptName(ScreenContext& g) {
    const std::string& kept = g.settings.netName;
    if (kept.empty()) return g.settings.rows[0].name;
    if (net::CleanName(kept) == kept && net::CharCount(kept) <= net::kNameChars) return kept;
    LogError("Имя для сетевой игры в настройках повреждено: «" + net::CleanText(kept, 40) +
             "»; взято имя по умолчанию.");
    return g.settings.rows[0].name;
}

} // namespace

void NetScreen::Open(ScreenContext& g) {
    if (name.empty()) name = KeptName(g);
    if (port.empty()) port = std::to_string(net::kDefaultPort);
    tables.clear();
    selected = -1;
    seat.reset();
    if (!g.s.stateDir.empty()) seat = net::LoadSeatTicket(g.s.stateDir + net::kSeatTicketFile);
    if (!g.s.net) return;
    std::string why;
    // Without the list a table is still reached by its address.
    if (!g.s.net->StartFinding(&why)) LogError("Список столов недоступен: " + why);
}

void NetScreen::Refresh(ScreenContext& g) {
    if (!g.s.net) return;
    const std::string was =
        selected >= 0 && selected < static_cast<int>(tables.size())
            ? tables[static_cast<std::size_t>(selected)].address + ":" +
                  std::to_string(tables[static_cast<std::size_t>(selected)].beacon.port)
            : std::string();
    tables = g.s.net->Tables();
    selected = -1;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (tables[i].address + ":" + std::to_string(tables[i].beacon.port) == was)
            selected = static_cast<int>(i);
}

std::vector<std::string> NetScreen::TableLines() const {
    std::vector<std::string> out;
    for (const net::FoundTable& t : tables) {
        const net::Beacon& b = t.beacon;
        std::string line = b.table + " — " + b.host + ", " + std::to_string(b.seated) + "/" +
                           std::to_string(b.seats) + ", Билд " + std::to_string(b.build);
        if (b.build != kBuild) line += " (другая версия)";
        if (b.password) line += ", с паролем";
        if (b.phase != net::TablePhase::Lobby) line += ", идёт игра";
        out.push_back(line);
    }
    return out;
}

void NetScreen::Select(int row) {
    selected = row >= 0 && row < static_cast<int>(tables.size()) ? row : -1;
    if (selected >= 0) {
        const net::FoundTable& t = tables[static_cast<std::size_t>(selected)];
        const bool v6 = t.address.find(':') != std::string::npos;
        address = (v6 ? "[" + t.address + "]" : t.address) + ":" + std::to_string(t.beacon.port);
    }
}

bool NetScreen::NameOk(ScreenContext& g) {
    const std::string clean = net::CleanName(name);
    if (clean.empty()) {
        g.s.dialogs.Message("Введите своё имя: под ним вас увидят за столом.", MsgIcon::Exclamation,
                            MsgButtons::Ok);
        return false;
    }
    if (net::CharCount(clean) > net::kNameChars) {
        g.s.dialogs.Message("Имя за столом — не длиннее " + std::to_string(net::kNameChars) +
                                " знаков.",
                            MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    name = clean;
    // Kept for the next time, whatever table it goes to.
    if (g.settings.netName != name) {
        g.settings.netName = name;
        g.SaveSettings();
    }
    return true;
}

void NetScreen::Leave(ScreenContext& g) {
    if (g.s.net) g.s.net->StopFinding();
}

Next NetScreen::Host(ScreenContext& g) {
    if (!NameOk(g)) return Next::Stay();
    const auto p = net::ParsePort(port);
    if (!p) {
        g.s.dialogs.Message("Порт стола — число от 1 до 65535.", MsgIcon::Exclamation,
                            MsgButtons::Ok);
        return Next::Stay();
    }
    Leave(g);
    if (!lobby_.OpenTable(g, name, *p)) {
        Open(g);
        return Next::Stay();
    }
    return Next::To(ScreenId::NetLobby);
}

Next NetScreen::Join(ScreenContext& g) {
    if (!NameOk(g)) return Next::Stay();
    std::string host;
    std::uint16_t p = net::kDefaultPort;
    if (!net::ParseAddress(address, host, p)) {
        LogError("Неверный адрес стола: " + address);
        g.s.dialogs.Message(address.empty() ? "Выберите стол в списке или введите его адрес."
                                            : kBadAddress,
                            MsgIcon::Exclamation, MsgButtons::Ok);
        return Next::Stay();
    }
    Leave(g);
    lobby_.JoinTable(g, host, p, name, password, spectator);
    return Next::To(ScreenId::NetLobby);
}

Next NetScreen::Rejoin(ScreenContext& g) {
    if (!seat) return Next::Stay();
    const net::SeatTicket t = *seat;
    Leave(g);
    lobby_.JoinTable(g, t.host, t.port, t.name, password, false, t.token);
    return Next::To(ScreenId::NetLobby);
}

std::string NetScreen::RejoinHint() const {
    if (!seat) return "Вы не держите места ни за одним столом.";
    const bool v6 = seat->host.find(':') != std::string::npos;
    return "Вернуться на своё место за столом " + (v6 ? "[" + seat->host + "]" : seat->host) + ":" +
           std::to_string(seat->port) + " под именем " + seat->name;
}

Next NetScreen::Back(ScreenContext& g) {
    Leave(g);
    return Next::To(ScreenId::MainMenu);
}

Next NetScreen::Exit(ScreenContext& g) {
    Leave(g);
    return Next::Quit();
}

} // namespace kv::screens
