#include "net/SeatTicket.h"

#include "net/Wire.h"
#include "persistence/ErrorLog.h"
#include "persistence/Files.h"

#include <cstdio>
#include <map>

namespace kv::net {

namespace {

const char* kHeader = "[netseat]";
constexpr std::size_t kMaxBytes = 1024;

bool HostOk(const std::string& h) {
    if (h.empty() || h.size() > 255) return false;
    for (char c : h)
        if (static_cast<unsigned char>(c) <= ' ' || c == '[' || c == ']') return false;
    return true;
}

std::optional<std::uint64_t> Hex(const std::string& s, std::size_t digits) {
    if (s.empty() || s.size() > digits) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<std::uint64_t>(d);
    }
    return v;
}

} // namespace

std::optional<SeatTicket> ReadSeatTicket(const std::string& bytes, std::string& why) {
    if (bytes.size() > kMaxBytes) {
        why = "файл длиннее " + std::to_string(kMaxBytes) + " байт";
        return std::nullopt;
    }
    std::map<std::string, std::string> keys;
    bool header = false;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (!header) {
            if (line != kHeader) break;
            header = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos ||
            !keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) {
            why = "строка «" + CleanText(line, 40) + "»";
            return std::nullopt;
        }
    }
    if (!header) {
        why = "нет заголовка " + std::string(kHeader);
        return std::nullopt;
    }
    SeatTicket t;
    t.host = keys["Host"];
    t.name = keys["Name"];
    const std::string& p = keys["Port"];
    long v = 0;
    bool portOk = !p.empty() && p.size() <= 5;
    for (char c : p)
        portOk = portOk && c >= '0' && c <= '9';
    if (portOk) v = std::stol(p);
    const auto token = Hex(keys["Token"], 16);
    if (!HostOk(t.host))
        why = "адрес стола";
    else if (!portOk || v < 1 || v > 65535)
        why = "порт стола";
    else if (t.name.empty() || CleanName(t.name) != t.name || CharCount(t.name) > kNameChars)
        why = "имя";
    else if (!token || *token == 0)
        why = "жетон места";
    if (!why.empty()) return std::nullopt;
    t.port = static_cast<std::uint16_t>(v);
    t.token = *token;
    return t;
}

std::string SeatTicketText(const SeatTicket& t) {
    char token[17];
    std::snprintf(token, sizeof token, "%016llx", static_cast<unsigned long long>(t.token));
    return std::string(kHeader) + "\nHost=" + t.host + "\nPort=" + std::to_string(t.port) +
           "\nName=" + t.name + "\nToken=" + token + "\n";
}

bool SaveSeatTicket(const std::string& path, const SeatTicket& t, std::string* why) {
    return WriteFileAtomic(path, SeatTicketText(t), why, true);
}

std::optional<SeatTicket> LoadSeatTicket(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    std::string bytes, why;
    if (!ReadFileBytes(path, bytes, &why)) {
        LogError("Место за сетевым столом не прочитано из " + path + ": " + why);
        return std::nullopt;
    }
    std::optional<SeatTicket> t = ReadSeatTicket(bytes, why);
    if (!t)
        LogError("Файл места за сетевым столом " + path + " повреждён (" + why + "): не учтён.");
    return t;
}

void ForgetSeatTicket(const std::string& path) {
    std::remove(path.c_str());
}

bool SeatOutlives(Reason r) {
    return r == Reason::None || r == Reason::Silent;
}

} // namespace kv::net
