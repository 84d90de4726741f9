#include "FuzzCommon.h"
#include "persistence/Settings.h"
#include "persistence/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::SettingsRecord c;
    if (kv::LoadSettingsText(m, c, kv::fuzz::Bytes(data, size), d, size % 2 == 1)) {
        // Whatever loaded is a match the physics can take.
        if (m.MaxGamers < 2 || m.MaxGamers > 8 || !(m.Ftr > 0) || m.VarK < 0 || m.VarK > 0.1f)
            __builtin_trap();
        for (int i = 1; i <= 8; ++i)
            if (m.Gobla(i).M < 1 || m.Gobla(i).M > 1000) __builtin_trap();
        // What was read writes and reads back to the same text.
        const std::string text = kv::SettingsText(m, c, kv::PieceMasses(m));
        kv::Module1 n;
        kv::SettingsRecord back;
        if (!kv::LoadSettingsText(n, back, kv::Utf8ToCp1251(text + "\r\n"), d, size % 2 == 1) ||
            kv::SettingsText(n, back, kv::PieceMasses(n)) != text)
            __builtin_trap();
    }
    return 0;
}
