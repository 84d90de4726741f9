#include "persistence/Replay.h"

#include "persistence/ErrorLog.h"
#include "persistence/Files.h"
#include "persistence/KeyFile.h"
#include "persistence/Numbers.h"
#include "persistence/SaveGame.h"
#include "persistence/Text.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

// Writes all bytes and waits until they are on the disk.
int WriteDurable(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

} // namespace

std::string ReplayHeaderText(const std::string& snapshot, const std::string& stamp) {
    return ";Kvelmar II: Zantor - сохраненный повтор:" + stamp + NL + snapshot + "[game]" + NL;
}

std::string ReplayHeaderText(const Module1& m) {
    return Utf8ToCp1251(ReplayHeaderText(SnapshotText(m), DateText() + " " + TimeText()));
}

std::string ReplayStepText(const StrikeRecord& strike, i16 pot) {
    return "ba=" + FixedText(strike.ba) + NL + "pa=" + FixedText(strike.pa) + NL +
           "si=" + FixedText(static_cast<int>(strike.si)) + NL +
           "G=" + FixedText(static_cast<int>(pot)) + NL;
}

FileReplay::FileReplay(Module1& m, DialogPort& dialogs) : m_(m), dialogs_(dialogs) {}

FileReplay::~FileReplay() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileReplay::StartReplayRecord(const std::string& named) {
    const std::string& path = recordPath_.empty() ? named : recordPath_;
    CloseReplayRead();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    writingPath_ = path;
    writeError_.clear();
    std::string err;
    const std::string header =
        sharedHeader_.empty() ? ReplayHeaderText(m_) : Utf8ToCp1251(sharedHeader_);
    if (WriteFileAtomic(path, header, &err, true)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd_ >= 0) return true;
        err = ErrorText(errno);
    }
    writeError_ = err;
    const std::string msg =
        std::string("Ошибка при записи игры!") + NL2 + "Описание ошибки: " + err + ". Продолжить?";
    LogError(msg);
    return dialogs_.Message(msg, MsgIcon::Information, MsgButtons::YesNo, "Запись игры") ==
           MsgAnswer::Yes;
}

void FileReplay::WriteReplayStep(const StrikeRecord& strike, i16 pot) {
    const int e = fd_ < 0 ? EBADF : WriteDurable(fd_, ReplayStepText(strike, pot));
    if (e == 0) return;
    if (writeError_.empty()) writeError_ = ErrorText(e);
    LogError(std::string("Ошибка при записи хода игрока в файл повтора!") + NL2 + ErrorText(e));
}

void FileReplay::CloseReplayRecord() {
    if (fd_ < 0) return;
    const std::string end =
        sharedHeader_.empty() ? ";Конец записи: " + TimeText() : ";Конец записи";
    int e = WriteDurable(fd_, Utf8ToCp1251(end + NL));
    if (::close(fd_) != 0 && e == 0) e = errno;
    fd_ = -1;
    if (e == 0) return;
    if (writeError_.empty()) writeError_ = ErrorText(e);
    LogError(std::string("Ошибка при закрытии файла повтора! ") + NL2 + ErrorText(e));
}

void FileReplay::LoadReplay(const std::string& path) {
    std::string bytes, err;
    if (!ReadFileBytes(path, bytes, &err)) {
        CloseReplayRead();
        for (int i = 1; i <= kMaxPlayers; ++i)
            m_.SavedMass(i) = m_.Gobla(i).M;
        detail::FailLoad(m_, path, detail::SnapshotKind::Replay, err, dialogs_);
        return;
    }
    LoadReplayText(bytes, path);
}

void FileReplay::LoadReplayText(std::string_view bytes, const std::string& path) {
    CloseReplayRead();
    dialogs_.SetBusy(true);
    for (int i = 1; i <= kMaxPlayers; ++i)
        m_.SavedMass(i) = m_.Gobla(i).M;
    lines_.SetBytes(bytes);
    if (!detail::ReadSnapshot(m_, lines_, path, detail::SnapshotKind::Replay, dialogs_)) {
        lines_.SetBytes({});
        dialogs_.SetBusy(false);
        return;
    }
    for (std::size_t i = 0; i < lines_.Count(); ++i) {
        if (lines_.Upper(i) == "[GAME]") {
            pos_ = i + 1;
            reading_ = true;
            // Counted once, for the viewer's "удар k из n"; a damaged step ends the count.
            steps_ = 0;
            StrikeRecord s;
            i16 pot = 0;
            for (std::size_t at = pos_; ParseReplayStep(lines_, at, s, pot);)
                ++steps_;
            dialogs_.SetBusy(false);
            return;
        }
    }
    const std::string msg =
        "Ошибка при чтении файла повтора! Возможно, он поврежден или не содержит сохраненную игру.";
    LogError(msg);
    dialogs_.SetBusy(false);
    dialogs_.Message(msg, MsgIcon::Stop, MsgButtons::Ok);
    m_.MaxGamers = 0;
    lines_.SetBytes({});
}

bool FileReplay::ReadReplayStep(StrikeRecord& strike, i16& pot) {
    if (!reading_) return false;
    std::string err;
    if (ParseReplayStep(lines_, pos_, strike, pot, &err)) return true;
    // A damaged step ends the playback rather than feed the physics.
    if (!err.empty()) LogError(std::string("Ошибка при чтении хода из файла повтора!") + NL2 + err);
    reading_ = false;
    return false;
}

bool ParseReplayStep(const TextLines& lines, std::size_t& pos, StrikeRecord& strike, i16& pot,
                     std::string* error) {
    double v[4] = {};
    for (int k = 0; k < 4; ++k) {
        while (pos < lines.Count() && lines.Line(pos).empty())
            ++pos;
        if (pos >= lines.Count()) return false;
        const std::string_view line = lines.Line(pos++);
        const std::size_t skip = k < 3 ? 3 : 2;
        v[k] = line.size() > skip ? PlainNumber(line.substr(skip)) : 0.0;
    }
    try {
        if (!std::isfinite(v[0]) || !std::isfinite(v[1]))
            throw LoadFailure{"Недопустимое значение угла"};
        StrikeRecord s;
        s.ba = v[0];
        s.pa = v[1];
        s.si = ToI16(v[2]);
        const i16 g = ToI16(v[3]);
        strike = s;
        pot = g;
        return true;
    } catch (const LoadFailure& e) {
        if (error) *error = e.description;
        return false;
    }
}

void FileReplay::CloseReplayRead() {
    reading_ = false;
    pos_ = 0;
    lines_.SetBytes({});
}

bool LoadReplayFile(Module1& m, const std::string& path, DialogPort& dialogs, FileReplay& out) {
    out.LoadReplay(path);
    if (m.MaxGamers == 0) return false;
    if (!CheckLoadedTable(m, dialogs)) {
        out.CloseReplayRead();
        return false;
    }
    return true;
}

std::string NextReplayPath(Module1& m, const std::string& dir) {
    m.ReplaySlot = static_cast<i16>(m.ReplaySlot >= 5 || m.ReplaySlot < 0 ? 1 : m.ReplaySlot + 1);
    std::string d = dir;
    if (!d.empty() && d.back() != '/') d += '/';
    return d + "replay" + std::to_string(m.ReplaySlot) + ".sav";
}

} // namespace kv
