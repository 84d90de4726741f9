#include "persistence/TextFile.h"

#include <algorithm>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

// Code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F. 0x98 has none.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char32_t CodeOf(unsigned char b) {
    if (b < 0x80) return b;
    if (b >= 0xC0) return 0x0410 + (b - 0xC0);
    return kHigh[b - 0x80];
}

int ByteOf(char32_t c) {
    if (c < 0x80) return static_cast<int>(c);
    if (c >= 0x0410 && c <= 0x044F) return static_cast<int>(0xC0 + (c - 0x0410));
    for (int i = 0; i < 64; ++i)
        if (kHigh[static_cast<std::size_t>(i)] == c && c != 0) return 0x80 + i;
    return '?';
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

unsigned char UpperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
    if (b >= 0xE0) return static_cast<unsigned char>(b - 32);
    switch (b) {
    case 0xB8:
        return 0xA8;
    case 0x90:
        return 0x80;
    case 0x83:
        return 0x81;
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9D:
        return 0x8D;
    case 0x9E:
        return 0x8E;
    case 0x9F:
        return 0x8F;
    case 0xA2:
        return 0xA1;
    case 0xB3:
        return 0xB2;
    case 0xB4:
        return 0xA5;
    case 0xBA:
        return 0xAA;
    case 0xBC:
        return 0xA3;
    case 0xBE:
        return 0xBD;
    case 0xBF:
        return 0xAF;
    default:
        return b;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

const std::string kTypeMismatch = "Несоответствие типов";
const std::string kOverflow = "Переполнение";

// Digits and signs gathered by the number readers, turned into a double
// with a correctly rounded conversion.
double Convert(bool neg, const std::string& mant, bool expNeg, const std::string& expDigits) {
    std::string text = mant;
    if (!expDigits.empty()) {
        text += 'e';
        if (expNeg) text += '-';
        text += expDigits;
    }
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Only the exponent can push a value out of range: huge or tiny.
        bool nonzero = false;
        for (char c : mant)
            if (c >= '1' && c <= '9') nonzero = true;
        v = (!nonzero || expNeg) ? 0.0 : HUGE_VAL;
    } else if (r.ec != std::errc()) {
        v = 0;
    }
    return neg ? -v : v;
}

// Parses sign, mantissa and exponent from s at i; false when no digit was found.
bool ScanNumber(std::string_view s, std::size_t& i, bool commaToo, bool& neg, std::string& mant,
                bool& expNeg, std::string& expDigits) {
    neg = false;
    expNeg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    bool digits = false;
    while (i < s.size() && IsDigit(s[i])) {
        mant += s[i++];
        digits = true;
    }
    if (i < s.size() && (s[i] == '.' || (commaToo && s[i] == ','))) {
        ++i;
        mant += '.';
        while (i < s.size() && IsDigit(s[i])) {
            mant += s[i++];
            digits = true;
        }
    }
    if (!digits) return false;
    if (mant.front() == '.') mant.insert(mant.begin(), '0');
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool en = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) en = s[j++] == '-';
        std::string ed;
        while (j < s.size() && IsDigit(s[j]))
            ed += s[j++];
        if (!ed.empty()) {
            // Strip leading zeros so that a long run of them cannot look large.
            const auto nz = ed.find_first_not_of('0');
            ed = nz == std::string::npos ? "0" : ed.substr(nz);
            if (ed.size() > 6) ed = "999999";
            expNeg = en;
            expDigits = ed;
            i = j;
        }
    }
    return true;
}

TextLines& ServiceLines() {
    static TextLines file;
    return file;
}

} // namespace

std::string Utf8ToCp1251(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool ok = i + len <= s.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        out += static_cast<char>(ByteOf(c));
        i += len;
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 2);
    for (char ch : s) {
        const char32_t c = CodeOf(static_cast<unsigned char>(ch));
        if (c == 0 && ch != 0) {
            out += '?';
            continue;
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool EndsWithNoCase(std::string_view utf8, std::string_view end) {
    if (utf8.size() < end.size()) return false;
    return UpperCp1251(Utf8ToCp1251(utf8.substr(utf8.size() - end.size()))) ==
           UpperCp1251(Utf8ToCp1251(end));
}

std::string Trim(std::string_view s, std::string_view blanks) {
    const auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(blanks) - b + 1));
}

std::string UpperCp1251(std::string_view s) {
    // Every file's every byte goes through here: a table, not a chain of tests.
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[static_cast<std::size_t>(b)] = UpperByte(static_cast<unsigned char>(b));
        return t;
    }();
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

bool TextLines::Load(const std::string& path, std::string* err) {
    SetBytes({});
    std::string bytes;
    if (!ReadFileBytes(path, bytes, err)) return false;
    SetBytes(bytes);
    return true;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* err) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (err) *err = ErrorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        if (err) *err = ErrorText(e);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() + 4096);
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            if (err) *err = ErrorText(e);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
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

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

std::string ReadTextFile(const std::string& path, DialogPort& dialogs) {
    if (path.empty() || !FileExists(path)) return {};
    dialogs.SetBusy(true);
    TextLines f;
    std::string out;
    if (!f.Load(path)) {
        dialogs.SetBusy(false);
        dialogs.Message("Ошибка при чтении файла. Возможно, он поврежден или слишком большой.",
                        MsgIcon::Warning, MsgButtons::Ok, "Чтение файла");
        return {};
    }
    for (std::size_t i = 0; i < f.Count(); ++i) {
        out += f.Line(i);
        out += NL;
    }
    dialogs.SetBusy(false);
    return Cp1251ToUtf8(out);
}

bool WriteTextFile(const std::string& path, const std::string& text, DialogPort& dialogs) {
    dialogs.SetBusy(true);
    std::string err;
    const bool ok = WriteFileAtomic(path, Utf8ToCp1251(text + NL), &err);
    dialogs.SetBusy(false);
    if (!ok)
        dialogs.Message("Ошибка при записи файла:" + path +
                            ". Возможно, имя неверное или текст слишком большой." + NL2 + err,
                        MsgIcon::Warning, MsgButtons::Ok, "Запись файла");
    return ok;
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

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* err,
                     bool durable) {
    auto fail = [&](int e) {
        if (err) *err = ErrorText(e);
        return false;
    };
    if (path.empty()) return fail(ENOENT);
    std::string tmpl = path + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return fail(errno);
    ::fchmod(fd, 0644);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            return fail(e);
        }
        done += static_cast<std::size_t>(n);
    }
    if ((durable && ::fsync(fd) != 0) || ::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        return fail(e);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        return fail(e);
    }
    if (!durable) return true;
    // The rename itself must survive a power cut too.
    const std::string dir = std::filesystem::path(path).parent_path().string();
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

double PlainNumber(std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size() && (utf8[i] == ' ' || utf8[i] == '\t'))
        ++i;
    bool neg = false, expNeg = false;
    std::string mant, expDigits;
    if (!ScanNumber(utf8, i, false, neg, mant, expNeg, expDigits)) return 0;
    return Convert(neg, mant, expNeg, expDigits);
}

double RegionalNumber(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    const std::string_view t = s.substr(b, e - b);
    std::size_t i = 0;
    bool neg = false, expNeg = false;
    std::string mant, expDigits;
    if (!ScanNumber(t, i, true, neg, mant, expNeg, expDigits) || i != t.size())
        throw LoadFailure{kTypeMismatch};
    const double v = Convert(neg, mant, expNeg, expDigits);
    if (!std::isfinite(v)) throw LoadFailure{kOverflow};
    return v;
}

float RegionalFloat(std::string_view s) {
    // Through the double text: a float's shortest text parsed as float directly.
    const double d = RegionalNumber(s);
    std::string t(s);
    for (char& c : t)
        if (c == ',') c = '.';
    const auto b = t.find_first_not_of(" \t");
    float f = static_cast<float>(d);
    if (b != std::string::npos) {
        std::size_t start = b + (t[b] == '+' ? 1 : 0);
        float g = 0;
        const auto r = std::from_chars(t.data() + start, t.data() + t.size(), g);
        if (r.ec == std::errc()) f = g;
    }
    if (!std::isfinite(f)) throw LoadFailure{kOverflow};
    return f;
}

i16 ToI16(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw LoadFailure{kOverflow};
    return static_cast<i16>(r);
}

i16 IntOf(std::string_view s) {
    return ToI16(PlainNumber(s));
}

i16 FlagOf(std::string_view s) {
    return PlainNumber(s) != 0 ? kTrue : kFalse;
}

namespace {

// Shortest text that reads back to the same value, exponent as "E".
template <typename Real> std::string ShortestText(Real v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

} // namespace

std::string RealText(double v) {
    return ShortestText(v);
}

std::string RealText(float v) {
    return ShortestText(v);
}

std::string FixedText(double v) {
    std::string s = RealText(v);
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    if (s[0] != '-') s.insert(s.begin(), ' ');
    return s;
}

std::string FixedText(int v) {
    return v < 0 ? std::to_string(v) : " " + std::to_string(v);
}

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string ErrorText(int err) {
    switch (err) {
    case ENOENT:
        return "Файл не найден";
    case ENOTDIR:
        return "Путь не найден";
    case EACCES:
    case EPERM:
        return "Доступ запрещен";
    case ENOSPC:
        return "Недостаточно места на диске";
    case EDQUOT:
        return "Превышена квота диска";
    case EROFS:
        return "Диск защищен от записи";
    case EISDIR:
        return "Указана папка, а не файл";
    case ENAMETOOLONG:
        return "Слишком длинное имя файла";
    case EIO:
        return "Ошибка ввода-вывода на устройстве";
    case EMFILE:
    case ENFILE:
        return "Слишком много открытых файлов";
    case EBADF:
        return "Файл не открыт";
    case EFBIG:
        return "Файл слишком велик для этого диска";
    default:
        return "Системная ошибка " + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
}

std::string StateDir() {
    std::string dir;
    const char* home = std::getenv("KVELMAR2_HOME");
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* user = std::getenv("HOME");
    if (home && *home)
        dir = home;
    else if (xdg && *xdg)
        dir = std::string(xdg) + "/kvelmar2";
    else if (user && *user)
        dir = std::string(user) + "/.local/share/kvelmar2";
    else
        dir = ".";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool StateDirWritable(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return false;
    std::string probe = dir;
    if (probe.back() != '/') probe += '/';
    probe += ".probe.XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string StateDirUnusableText(const std::string& dir) {
    return "Не удалось создать папку игры или записать в нее:" + std::string(NL) + dir + NL2 +
           "Игра продолжится, но настройки, команды, сохраненные игры, повторы и журнал "
           "ошибок не будут сохранены.";
}

std::string FindDataDir(const std::string& exeDir, const char* override) {
    namespace fs = std::filesystem;
    auto slashed = [](std::string d) {
        if (d.empty() || d.back() != '/') d += '/';
        return d;
    };
    if (override && *override) return slashed(override);
    std::error_code ec;
    const fs::path installed = (fs::path(exeDir) / "../share/kvelmar2").lexically_normal();
    if (fs::is_directory(installed, ec)) return slashed(installed.string());
    std::ifstream marker(fs::path(exeDir) / kSourceDataMarker);
    std::string source;
    if (marker && std::getline(marker, source) && !source.empty() && fs::is_directory(source, ec))
        return slashed(source);
    return slashed(installed.string());
}

std::string DataDir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return FindDataDir(ec ? std::string(".") : exe.parent_path().string(),
                       std::getenv("KVELMAR2_DATA"));
}

bool HasGameData(const std::string& dir) {
    std::error_code ec;
    return std::filesystem::is_directory(dir + "mesh", ec) &&
           std::filesystem::is_regular_file(dir + "zvr.nam", ec);
}

std::string MissingDataText(const std::string& dir) {
    return "Не найдена папка с данными игры:" + std::string(NL) + dir + NL2 +
           "Переустановите игру или укажите папку с данными в переменной окружения "
           "KVELMAR2_DATA.";
}

std::string DateText() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y", &tm);
    return buf;
}

std::string TimeText() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
    return buf;
}

} // namespace kv
