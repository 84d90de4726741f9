#include "FuzzCommon.h"
#include "persistence/SaveGame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kv::fuzz::InputFile(data, size, "game.zvr");
    kv::NullDialogs d;
    kv::Module1 m;
    kv::LoadGame(m, path, d);
    if (m.MaxGamers != 0) {
        // What loaded must write and load back to the same snapshot.
        const std::string again = kv::fuzz::Scratch() + "again.zvr";
        std::string err;
        if (!kv::WriteSaveGame(m, again, &err)) __builtin_trap();
        kv::Module1 n;
        kv::LoadGame(n, again, d);
        if (n.MaxGamers == 0 || kv::SnapshotText(n) != kv::SnapshotText(m)) __builtin_trap();
    }
    kv::fuzz::DropLog();
    return 0;
}
