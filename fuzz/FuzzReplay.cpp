#include "FuzzCommon.h"
#include "persistence/Replay.h"

#include <bit>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kv::fuzz::InputFile(data, size, "replay.sav");
    kv::NullDialogs d;
    kv::Module1 m;
    kv::FileReplay play(m, d);
    if (kv::LoadReplayFile(m, path, d, play)) {
        kv::StrikeRecord s;
        kv::i16 pot = 0;
        std::size_t steps = 0;
        kv::FileReplay rec(m, d);
        const std::string out = kv::fuzz::Scratch() + "rec.sav";
        if (!rec.StartReplayRecord(out)) __builtin_trap();
        std::vector<std::pair<kv::StrikeRecord, kv::i16>> seen;
        while (play.ReadReplayStep(s, pot)) {
            if (!std::isfinite(s.ba) || !std::isfinite(s.pa)) __builtin_trap();
            if (++steps > size) __builtin_trap(); // every step consumes input lines
            rec.WriteReplayStep(s, pot);
            seen.push_back({s, pot});
        }
        rec.CloseReplayRecord();
        // The recording of what was read reads back bit for bit.
        kv::Module1 n;
        kv::FileReplay again(n, d);
        again.LoadReplay(out);
        if (n.MaxGamers == 0) __builtin_trap();
        for (const auto& [r, g] : seen) {
            kv::StrikeRecord t;
            kv::i16 h = 0;
            if (!again.ReadReplayStep(t, h)) __builtin_trap();
            if (std::bit_cast<std::uint64_t>(t.ba) != std::bit_cast<std::uint64_t>(r.ba) ||
                std::bit_cast<std::uint64_t>(t.pa) != std::bit_cast<std::uint64_t>(r.pa) ||
                t.si != r.si || h != g)
                __builtin_trap();
        }
    }
    kv::fuzz::DropLog();
    return 0;
}
