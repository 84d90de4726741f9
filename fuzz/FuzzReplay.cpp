// Replays: the snapshot as the saved game's reader takes it (fuzz_savegame
// checks its round trip), then the steps, which must write and read back bit
// for bit.
#include "FuzzCommon.h"
#include "persistence/Replay.h"
#include "persistence/SaveGame.h"
#include "persistence/KeyFile.h"

#include <bit>
#include <cmath>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::FileReplay play(m, d);
    play.LoadReplayText(kv::fuzz::Bytes(data, size), "replay.sav");
    if (m.MaxGamers == 0 || !kv::CheckLoadedTable(m, d)) return 0;
    kv::StrikeRecord s;
    kv::i16 pot = 0;
    std::size_t steps = 0;
    std::string rec;
    std::vector<std::pair<kv::StrikeRecord, kv::i16>> seen;
    while (play.ReadReplayStep(s, pot)) {
        if (!std::isfinite(s.ba) || !std::isfinite(s.pa)) __builtin_trap();
        if (++steps > size) __builtin_trap(); // every step consumes input lines
        rec += kv::ReplayStepText(s, pot);
        seen.push_back({s, pot});
    }
    kv::TextLines back;
    back.SetBytes(rec);
    std::size_t pos = 0;
    for (const auto& [r, g] : seen) {
        kv::StrikeRecord t;
        kv::i16 h = 0;
        if (!kv::ParseReplayStep(back, pos, t, h)) __builtin_trap();
        if (std::bit_cast<std::uint64_t>(t.ba) != std::bit_cast<std::uint64_t>(r.ba) ||
            std::bit_cast<std::uint64_t>(t.pa) != std::bit_cast<std::uint64_t>(r.pa) ||
            t.si != r.si || h != g)
            __builtin_trap();
    }
    if (kv::ParseReplayStep(back, pos, s, pot)) __builtin_trap();
    return 0;
}
