#include "FuzzCommon.h"
#include "persistence/Teams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kv::fuzz::InputFile(data, size, "zvr.nam");
    kv::NullDialogs d;
    kv::Module1 m;
    kv::QuickGameModel quick;
    kv::TeamScreenModel teams;
    kv::LoadNames(m, quick, teams, d, path);
    kv::Rng rng(size);
    for (int i = 0; i < 4; ++i) {
        std::string box;
        if (kv::PickName(m, rng, box, d, path) && box.size() > 150) __builtin_trap();
    }
    return 0;
}
