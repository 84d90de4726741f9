#include "FuzzCommon.h"
#include "persistence/SaveGame.h"
#include "persistence/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::LoadGameText(m, kv::fuzz::Bytes(data, size), "game.zvr", d);
    if (m.MaxGamers != 0) {
        // What loaded must write and load back to the same snapshot.
        const std::string again = kv::SnapshotText(m);
        kv::Module1 n;
        kv::LoadGameText(n, kv::Utf8ToCp1251(again), "again.zvr", d);
        if (n.MaxGamers == 0 || kv::SnapshotText(n) != again) __builtin_trap();
    }
    return 0;
}
