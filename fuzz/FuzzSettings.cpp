#include "FuzzCommon.h"
#include "persistence/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv::NullDialogs d;
    kv::Module1 m;
    kv::QuickGameModel quick;
    kv::OptionsModel options;
    if (kv::LoadSettingsText(m, quick, options, kv::fuzz::Bytes(data, size), d, size % 2 == 1)) {
        // Whatever loaded is a match the physics can take.
        if (m.MaxGamers < 2 || m.MaxGamers > 8 || !(m.Ftr > 0) || m.VarK < 0 || m.VarK > 0.1f)
            __builtin_trap();
        for (int i = 1; i <= 8; ++i)
            if (m.Gobla(i).M < 1 || m.Gobla(i).M > 1000) __builtin_trap();
        const std::string text = kv::SettingsText(m, quick, options);
        if (text.find('\n') == std::string::npos) __builtin_trap();
    }
    return 0;
}
