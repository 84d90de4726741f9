// Key/value files read whole into memory: sections, keys and keyed lookup.
#pragma once

#include "state/Ports.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A key made ready for many lookups: upper-cased, with its hash.
struct PreparedKey {
    explicit PreparedKey(std::string_view key);
    std::string upper;
    std::uint64_t hash;
};

// A file read whole into memory, split into lines (CR LF, LF or CR), kept in
// Windows-1251 so that matching is a byte compare of upper-cased text. The
// lines are views into one copy of the bytes (and one upper-cased copy).
class TextLines {
public:
    TextLines() = default;
    // False when the file cannot be read; the error description is in *err.
    bool Load(const std::string& path, std::string* err = nullptr);
    void SetBytes(std::string_view cp1251);
    bool Empty() const { return spans_.empty(); }
    std::size_t Count() const { return spans_.size(); }
    // Raw Windows-1251 line.
    std::string_view Line(std::size_t i) const {
        return {bytes_.data() + spans_[i].first, spans_[i].second};
    }
    std::string_view Upper(std::size_t i) const {
        return {upper_.data() + spans_[i].first, spans_[i].second};
    }
    // Index of the first line after the first header matching the section, or npos.
    std::size_t SectionBody(std::string_view sectionUpper) const;
    // Index of the first line at or after `from` that reads key "=" value, or npos.
    std::size_t FindKey(std::size_t from, std::string_view keyUpper) const;
    std::size_t FindKey(std::size_t from, const PreparedKey& key) const;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    void BuildIndex() const;

    std::string bytes_;
    std::string upper_;
    std::vector<std::pair<std::size_t, std::size_t>> spans_; // offset, length
    // Lines that start with "[", made at the first section lookup; and the
    // keys, made at the first key lookup: a hash table of each key's first
    // line, and from every line the next one with the same key.
    mutable std::vector<std::size_t> headers_;
    mutable bool headersFound_ = false;
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t head = 0, tail = 0;
    };
    mutable std::vector<Slot> slots_;
    mutable std::vector<std::size_t> nextSame_;
    mutable bool indexed_ = false;
};
// Keyed lookup: the raw value (UTF-8) or "".
std::string GetKey(std::string_view section, std::string_view key, const TextLines& file);
std::string GetKeyFromFile(const std::string& path, std::string_view section, std::string_view key);
std::string ReadSection(const TextLines& file, std::string_view section);
// The one open data file of the chronicle.
void OpenServiceFile(const std::string& path, DialogPort& dialogs);
void CloseServiceFile();
const TextLines& ServiceFile();

} // namespace kv
