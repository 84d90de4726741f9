#include "FuzzCommon.h"
#include "persistence/Teams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = kv::fuzz::Bytes(data, size);
    kv::NullDialogs d;
    kv::Module1 m;
    m.NameCount = kv::CountNames(bytes);
    kv::Rng rng(size);
    for (int i = 0; i < 4; ++i) {
        std::string box;
        if (kv::PickNameText(m, rng, box, bytes, d) && box.size() > 150) __builtin_trap();
    }
    return 0;
}
