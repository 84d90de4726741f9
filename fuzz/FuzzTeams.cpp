#include "FuzzCommon.h"
#include "persistence/Teams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::TeamScreenModel teams;
    kv::LoadComText(m, teams, kv::fuzz::Bytes(data, size), "zvr.cmd", d);
    if (m.NextTeam < 1 || m.NextTeam > 8) __builtin_trap();
    if (teams.countSlider < 1 || teams.countSlider > 4) __builtin_trap();
    if (m.NextTeam > 1) {
        kv::Module1 n;
        kv::TeamScreenModel back;
        kv::LoadComText(n, back, kv::TeamsText(m, teams), "out.cmd", d);
        if (back.teamList != teams.teamList) __builtin_trap();
    }
    return 0;
}
