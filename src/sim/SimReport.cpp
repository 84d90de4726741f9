#include "sim/SimReport.h"

#include "persistence/Numbers.h"

#include <cmath>

namespace kv::sim {

std::string RealText(double v) {
    return std::isfinite(v) ? kv::RealText(v) : "null";
}

namespace {

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                static const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

const char* Bool(bool b) {
    return b ? "true" : "false";
}

int Players(const Module1& m) {
    return m.MaxGamers < 0 ? 0 : m.MaxGamers > kMaxPlayers ? kMaxPlayers : m.MaxGamers;
}

} // namespace

std::string ResultJson(const Module1& m, const RunResult& r) {
    std::string s = "{\"finished\": ";
    s += Bool(r.finished);
    s += ", \"winner\": " + std::to_string(r.winner);
    s += ", \"strikes\": " + std::to_string(r.strikes);
    s += ", \"ticks\": " + std::to_string(r.ticks);
    s += ", \"virtual_ms\": " + std::to_string(r.virtualMs);
    s += ", \"guard_hits\": " + std::to_string(r.guardHits);
    s += ", \"finishing_order\": [";
    const int n = Players(m);
    for (int i = 1; i <= n; ++i)
        s += (i > 1 ? ", " : "") + std::to_string(m.WS(i));
    s += "], \"pieces\": [";
    for (int i = 1; i <= n; ++i) {
        const GoblaRec& g = m.Gobla(i);
        if (i > 1) s += ", ";
        s += "{\"slot\": " + std::to_string(i) + ", \"name\": " + JsonString(g.RName) +
             ", \"alive\": " + Bool(g.Life != 0) + ", \"x\": " + RealText(g.Xpos) +
             ", \"y\": " + RealText(g.Ypos) + ", \"phi\": " + RealText(g.Phi) +
             ", \"sginul\": " + std::to_string(g.Sginul) + "}";
    }
    s += "]}";
    return s;
}

std::string ResultText(const Module1& m, const RunResult& r) {
    std::string s;
    if (!r.finished) {
        s += "Матч не закончен.\n";
    } else if (r.winner == -1) {
        s += "Матч закончен: все сгинули.\n";
    } else if (m.ZI != 0 && r.winner >= 1 && r.winner <= kTeams) {
        s += "Матч закончен. Победила команда " + m.rc(r.winner).ComName + ".\n";
    } else if (r.winner >= 1 && r.winner <= kPieceSlots) {
        s += "Матч закончен. Победил игрок " + m.Gobla(r.winner).RName + ".\n";
    }
    s += "Ударов: " + std::to_string(r.strikes) + ", шагов физики: " + std::to_string(r.ticks) +
         ", время матча: " + std::to_string(r.virtualMs / 1000) + " с.\n";
    if (r.guardHits > 0)
        s += "Шагов физики, прерванных защитой от зацикливания: " + std::to_string(r.guardHits) +
             ".\n";
    const int n = Players(m);
    for (int i = 1; i <= n; ++i) {
        const GoblaRec& g = m.Gobla(i);
        s += "  " + std::to_string(i) + ". " + g.RName + (g.Life != 0 ? ": на столе" : ": сгинул") +
             ", сбил: " + std::to_string(g.Sginul) + "\n";
    }
    return s;
}

namespace {

std::string Array(const Module1& m, i16 GoblaRec::*f) {
    std::string s = "[";
    for (int i = 1; i <= Players(m); ++i)
        s += (i > 1 ? ", " : "") + std::to_string(m.Gobla(i).*f);
    return s + "]";
}

std::string Scores(const Module1& m, i16 GoblaRec::*f1, i16 GoblaRec::*lin, i16 GoblaRec::*all) {
    return "{\"formula1\": " + Array(m, f1) + ", \"linear\": " + Array(m, lin) +
           ", \"all\": " + Array(m, all) + "}";
}

std::string Places(const Module1& m, const Table1<i16, kMaxPlayers>& t) {
    std::string s = "[";
    for (int i = 1; i <= Players(m); ++i)
        s += (i > 1 ? ", " : "") + std::to_string(t(i));
    return s + "]";
}

} // namespace

std::string TurnOrderJson(const Module1& m) {
    return Places(m, m.KH);
}

std::string SeriesMatchJson(const Module1& m, const std::string& turnOrder) {
    std::string json =
        "{\"turn_order\": " + turnOrder + ", \"finishing_order\": " + Places(m, m.WS) +
        ", \"winner\": " + std::to_string(m.Winner > 0 ? m.Winner : 0) +
        ", \"alive\": " + std::to_string(AliveCount(m)) +
        ", \"round\": " + Scores(m, &GoblaRec::ScoreF, &GoblaRec::ScoreL, &GoblaRec::ScoreA) +
        ", \"total\": " +
        Scores(m, &GoblaRec::ScoreFTotal, &GoblaRec::ScoreLTotal, &GoblaRec::ScoreATotal);
    if (m.ZI != 0)
        json += ", \"team_scores\": [" + std::to_string(m.rc(m.N1).Score) + ", " +
                std::to_string(m.rc(m.N2).Score) + "]";
    return json + "}";
}

std::string SeriesJson(const std::vector<std::string>& matches) {
    std::string json = "{\"matches\": [";
    for (std::size_t i = 0; i < matches.size(); ++i)
        json += (i > 0 ? ", " : "") + matches[i];
    return json + "]}";
}

} // namespace kv::sim
