// The key/value text files of the game: Windows-1251 on disk with CR LF line
// ends, UTF-8 inside the program; keyed lookup, whole-file reading and
// writing, number conversions and the folders the files live in.
#pragma once

#include "state/Module1.h"
#include "state/Ports.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

inline constexpr const char* NL = "\r\n";
inline constexpr const char* NL2 = "\r\n\r\n";

// Exact for every character Windows-1251 has; any other becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

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

// Upper case of Windows-1251 text (Latin and Cyrillic letters).
std::string UpperCp1251(std::string_view s);
// UTF-8 text ends with `end`, letters compared without regard to case.
bool EndsWithNoCase(std::string_view utf8, std::string_view end);
// Without the given blanks at either end.
std::string Trim(std::string_view s, std::string_view blanks = " ");

bool FileExists(const std::string& path);
// A plain file's bytes; false with the error description in *err.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string* err = nullptr);
// Keyed lookup: the raw value (UTF-8) or "".
std::string GetKey(std::string_view section, std::string_view key, const TextLines& file);
std::string GetKeyFromFile(const std::string& path, std::string_view section, std::string_view key);
// Whole file, each line followed by CR LF; "" when missing or unreadable.
std::string ReadTextFile(const std::string& path, DialogPort& dialogs);
// Replaces the file with text + CR LF; false (after the message) on failure.
bool WriteTextFile(const std::string& path, const std::string& text, DialogPort& dialogs);
std::string ReadSection(const TextLines& file, std::string_view section);
// The one open data file of the chronicle.
void OpenServiceFile(const std::string& path, DialogPort& dialogs);
void CloseServiceFile();
const TextLines& ServiceFile();

// Writes bytes to a temporary file in the same folder and renames it over the
// path: the old file stays whole until the new one is. With durable set the
// data and the rename are also flushed to the disk before returning.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* err,
                     bool durable = false);

// A failure of a numeric conversion during a load.
struct LoadFailure {
    std::string description;
};

// Plain number: leading blanks, sign, digits, ".", fraction, E or D exponent;
// stops at the first character that does not fit; 0 when nothing fits.
double PlainNumber(std::string_view utf8);
// Regional number: the whole value must be a number ("." or "," separator,
// blanks around allowed); throws LoadFailure otherwise or when not finite.
double RegionalNumber(std::string_view utf8);
float RegionalFloat(std::string_view utf8);
// Nearest integer, halves to even; throws LoadFailure outside 16 bits.
i16 ToI16(double v);
i16 IntOf(std::string_view utf8); // ToI16(PlainNumber(s))
i16 FlagOf(std::string_view utf8);

// Shortest text that reads back to the same bits ("." separator, E exponent).
std::string RealText(double v);
std::string RealText(float v);
// The fixed form of replay steps: blank before non-negative values, no zero
// before the point, every digit needed to read back exactly.
std::string FixedText(double v);
std::string FixedText(int v);
// A text value with CR and LF replaced, so that it cannot add lines to a file.
std::string OneLine(std::string_view s);

// Description of an errno value, in Russian.
std::string ErrorText(int err);

// The game's own folder (settings, saves, replays, log), ending in '/', created
// when missing: $KVELMAR2_HOME, else $XDG_DATA_HOME/kvelmar2, else
// ~/.local/share/kvelmar2.
std::string StateDir();
// Whether dir exists or can be made, and takes a new file.
bool StateDirWritable(const std::string& dir);
// The warning given once when the state folder cannot be used.
std::string StateDirUnusableText(const std::string& dir);

// A file that only a build tree has beside its programs: it names the source
// tree's gamedata/, which an installed program never reads.
inline constexpr const char* kSourceDataMarker = "kvelmar2-source-data";
// The data folder of a program in exeDir, ending in '/': the override when it
// is given, else ../share/kvelmar2 beside the program, else the folder the
// build tree's marker names; when none is there, ../share/kvelmar2 all the
// same, for the message to name it.
std::string FindDataDir(const std::string& exeDir, const char* override);
// FindDataDir for this program and $KVELMAR2_DATA.
std::string DataDir();
// Whether dir holds the game's data (its meshes and names list).
bool HasGameData(const std::string& dir);
// The message of a missing data folder.
std::string MissingDataText(const std::string& dir);

// Short date and long time of now: dd.MM.yyyy and HH:mm:ss.
std::string DateText();
std::string TimeText();

} // namespace kv
