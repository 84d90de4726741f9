// The network's decoder: whatever arrives, as a stream of frames from either
// side and as a beacon. What decodes must encode to the same bytes: nothing
// is read but what was there.
#include "FuzzCommon.h"
#include "net/Messages.h"
#include "net/TableList.h"
#include "net/Wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv::net;
    const std::string_view bytes = kv::fuzz::Bytes(data, size);
    for (From from : {From::Player, From::Host}) {
        if (const std::optional<Message> m = Decode(bytes, from)) {
            const auto* hello = std::get_if<Hello>(&*m);
            // Another protocol's greeting is read only as far as its version.
            if (!(hello && hello->protocol != kProtocolVersion) && Encode(*m) != bytes)
                __builtin_trap();
        }
    }
    // The bytes as a stream, cut where its first byte says.
    FrameReader frames(kMaxFromPlayer);
    const std::size_t step = size == 0 ? 1 : 1 + data[0] % 16;
    std::size_t n = 0;
    for (std::size_t at = 0; at < size; at += step) {
        frames.Feed(bytes.substr(at, step));
        while (const std::optional<std::string> f = frames.Next()) {
            if (f->size() > kMaxFromPlayer) __builtin_trap();
            Decode(*f, From::Player);
            Decode(*f, From::Host);
            ++n;
        }
    }
    if (n > size / 4 + 1) __builtin_trap(); // every frame takes its length prefix
    TableList list;
    list.Heard("127.0.0.1", bytes, 0);
    for (const FoundTable& t : list.Current(0))
        if (CharCount(t.beacon.host) > 200 || t.beacon.seated > t.beacon.seats) __builtin_trap();
    CleanName(bytes);
    return 0;
}
