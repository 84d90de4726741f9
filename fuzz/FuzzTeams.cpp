#include "FuzzCommon.h"
#include "persistence/Teams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kv::fuzz::InputFile(data, size, "zvr.cmd");
    kv::NullDialogs d;
    kv::Module1 m;
    kv::TeamScreenModel teams;
    kv::LoadCom(m, teams, path, d);
    if (m.NextTeam < 1 || m.NextTeam > 8) __builtin_trap();
    if (teams.countSlider < 1 || teams.countSlider > 4) __builtin_trap();
    if (m.NextTeam > 1) {
        const std::string out = kv::fuzz::Scratch() + "out.cmd";
        kv::SaveCom(m, teams, out, d);
        kv::Module1 n;
        kv::TeamScreenModel back;
        kv::LoadCom(n, back, out, d);
        if (back.teamList != teams.teamList) __builtin_trap();
    }
    return 0;
}
