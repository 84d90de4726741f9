#include "persistence/KeyFile.h"

#include "persistence/Files.h"
#include "persistence/Text.h"

namespace kv {

namespace {

TextLines& ServiceLines() {
    static TextLines file;
    return file;
}

} // namespace

bool TextLines::Load(const std::string& path, std::string* err) {
    SetBytes({});
    std::string bytes;
    if (!ReadFileBytes(path, bytes, err)) return false;
    SetBytes(bytes);
    return true;
}

void TextLines::SetBytes(std::string_view s) {
    bytes_.assign(s);
    upper_ = UpperCp1251(s);
    spans_.clear();
    headers_.clear();
    headersFound_ = false;
    slots_.clear();
    nextSame_.clear();
    indexed_ = false;
    const std::size_t n = bytes_.size();
    spans_.reserve(n / 24 + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = bytes_[i];
        if (c != '\r' && c != '\n') continue;
        spans_.emplace_back(start, i - start);
        if (c == '\r' && i + 1 < n && bytes_[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) spans_.emplace_back(start, n - start);
}

namespace {

std::uint64_t KeyHash(std::string_view k) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : k)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h | 1; // never 0: 0 marks a free slot
}

} // namespace

void TextLines::BuildIndex() const {
    // A file holds few distinct keys (a saved game some 70): the table starts
    // small and doubles when half full.
    slots_.assign(128, Slot{});
    nextSame_.assign(spans_.size(), npos);
    std::size_t used = 0;
    auto place = [this](Slot s) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = s.hash & mask;; at = (at + 1) & mask)
            if (slots_[at].hash == 0) {
                slots_[at] = s;
                return;
            }
    };
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        const std::string_view u = Upper(i);
        const std::size_t eq = u.find('=');
        if (eq == std::string_view::npos) continue;
        const std::uint64_t h = KeyHash(u.substr(0, eq));
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = h & mask;; at = (at + 1) & mask) {
            Slot& s = slots_[at];
            if (s.hash == 0) {
                s = Slot{h, static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(i)};
                if (2 * ++used > slots_.size()) {
                    std::vector<Slot> old(slots_.size() * 2);
                    old.swap(slots_);
                    for (const Slot& o : old)
                        if (o.hash != 0) place(o);
                }
                break;
            }
            if (s.hash == h && Upper(s.head).substr(0, eq + 1) == u.substr(0, eq + 1)) {
                nextSame_[s.tail] = i;
                s.tail = static_cast<std::uint32_t>(i);
                break;
            }
        }
    }
    indexed_ = true;
}

std::size_t TextLines::SectionBody(std::string_view sectionUpper) const {
    std::string header = "[";
    header += sectionUpper;
    header += ']';
    if (!headersFound_) {
        for (std::size_t i = 0; i < spans_.size(); ++i)
            if (spans_[i].second > 0 && upper_[spans_[i].first] == '[') headers_.push_back(i);
        headersFound_ = true;
    }
    // Only lines that start with "[" can be headers; the first match counts.
    for (std::size_t i : headers_)
        if (Upper(i).substr(0, header.size()) == header) return i + 1;
    return npos;
}

PreparedKey::PreparedKey(std::string_view key)
    : upper(UpperCp1251(Utf8ToCp1251(key))), hash(KeyHash(upper)) {}

std::size_t TextLines::FindKey(std::size_t from, std::string_view keyUpper) const {
    PreparedKey k(std::string_view{});
    k.upper.assign(keyUpper);
    k.hash = KeyHash(keyUpper);
    return FindKey(from, k);
}

std::size_t TextLines::FindKey(std::size_t from, const PreparedKey& key) const {
    const std::string_view k = key.upper;
    if (!indexed_) BuildIndex();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = key.hash & mask;; at = (at + 1) & mask) {
        const Slot& s = slots_[at];
        if (s.hash == 0) return npos;
        if (s.hash != key.hash) continue;
        const std::string_view u = Upper(s.head);
        if (u.size() <= k.size() || u[k.size()] != '=' || u.substr(0, k.size()) != k) continue;
        std::size_t line = s.head;
        while (line != npos && line < from)
            line = nextSame_[line];
        return line;
    }
}

std::string GetKey(std::string_view section, std::string_view key, const TextLines& file) {
    const std::string keyU = UpperCp1251(Utf8ToCp1251(key));
    std::size_t i = 0;
    if (!section.empty()) {
        i = file.SectionBody(UpperCp1251(Utf8ToCp1251(section)));
        if (i == TextLines::npos) return {};
    }
    if (keyU.find('=') != std::string::npos) {
        // Not one of the game's keys: the plain scan, which the index cannot answer.
        for (; i < file.Count(); ++i) {
            const std::string_view u = file.Upper(i);
            if (u.size() > keyU.size() && u[keyU.size()] == '=' && u.substr(0, keyU.size()) == keyU)
                return Cp1251ToUtf8(file.Line(i).substr(keyU.size() + 1));
        }
        return {};
    }
    i = file.FindKey(i, keyU);
    if (i == TextLines::npos) return {};
    return Cp1251ToUtf8(file.Line(i).substr(keyU.size() + 1));
}

std::string GetKeyFromFile(const std::string& path, std::string_view section,
                           std::string_view key) {
    if (path.empty()) return {};
    TextLines f;
    if (!f.Load(path)) return {};
    return GetKey(section, key, f);
}

std::string ReadSection(const TextLines& file, std::string_view section) {
    const std::string header = "[" + UpperCp1251(Utf8ToCp1251(section)) + "]";
    std::string result;
    std::size_t i = 0;
    while (i < file.Count()) {
        if (file.Upper(i) != header) {
            ++i;
            continue;
        }
        for (++i; i < file.Count(); ++i) {
            const std::string_view line = file.Line(i);
            if (!line.empty() && line[0] == '[') break;
            if (result.size() >= 2) {
                result += NL;
                result += line;
            } else {
                result = line;
            }
        }
    }
    return Cp1251ToUtf8(result);
}

void OpenServiceFile(const std::string& path, DialogPort& dialogs) {
    if (path.empty()) return;
    if (!ServiceLines().Load(path))
        dialogs.Message("Ошибка при открытии служебного файла.", MsgIcon::Stop, MsgButtons::Ok);
}

void CloseServiceFile() {
    ServiceLines().SetBytes({});
}

const TextLines& ServiceFile() {
    return ServiceLines();
}

} // namespace kv
