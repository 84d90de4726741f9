// The key lookup, sections and the number conversions on arbitrary bytes.
#include "FuzzCommon.h"
#include "persistence/Text.h"
#include "persistence/Numbers.h"
#include "persistence/KeyFile.h"

#include <bit>
#include <cmath>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    // "section \0 key \0 file"
    const auto a = all.find('\0');
    const auto b = a == std::string_view::npos ? a : all.find('\0', a + 1);
    const std::string_view section = a == std::string_view::npos ? "" : all.substr(0, a);
    const std::string_view key = b == std::string_view::npos ? "k" : all.substr(a + 1, b - a - 1);
    const std::string_view body = b == std::string_view::npos ? all : all.substr(b + 1);

    kv::TextLines f;
    f.SetBytes(body);
    const std::string value = kv::GetKey(kv::Cp1251ToUtf8(section), kv::Cp1251ToUtf8(key), f);
    const std::string text = kv::ReadSection(f, kv::Cp1251ToUtf8(section));

    // Text that came from the code page goes back to the same bytes.
    const std::string utf8 = kv::Cp1251ToUtf8(body);
    if (kv::Cp1251ToUtf8(kv::Utf8ToCp1251(utf8)) != utf8) __builtin_trap();
    (void)kv::Utf8ToCp1251(body);

    for (const std::string& s : {value, text, std::string(body.substr(0, 64))}) {
        const double plain = kv::PlainNumber(s);
        if (std::isfinite(plain)) {
            const double back = kv::PlainNumber(kv::FixedText(plain));
            if (std::bit_cast<std::uint64_t>(back) != std::bit_cast<std::uint64_t>(plain))
                __builtin_trap();
        }
        try {
            const double r = kv::RegionalNumber(s);
            const double back = kv::RegionalNumber(kv::RealText(r));
            if (std::bit_cast<std::uint64_t>(back) != std::bit_cast<std::uint64_t>(r))
                __builtin_trap();
            (void)kv::ToI16(r);
        } catch (const kv::LoadFailure&) {
        }
    }
    return 0;
}
