#include "FuzzCommon.h"
#include "persistence/Teams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::TeamsFile teams;
    kv::LoadComText(m, teams, kv::fuzz::Bytes(data, size), "zvr.cmd", d);
    if (m.NextTeam < 1 || m.NextTeam > 8) __builtin_trap();
    if (teams.perTeam < 1 || teams.perTeam > 4) __builtin_trap();
    if (m.NextTeam > 1) {
        kv::Module1 n;
        kv::TeamsFile back;
        kv::LoadComText(n, back, kv::TeamsText(m, teams.perTeam, m.rc(1).RType), "out.cmd", d);
        if (n.NextTeam != m.NextTeam || back.perTeam != teams.perTeam) __builtin_trap();
        for (int t = 1; t < m.NextTeam; ++t)
            if (n.rc(t).ComName != m.rc(t).ComName) __builtin_trap();
    }
    return 0;
}
