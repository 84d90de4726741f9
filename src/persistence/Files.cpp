#include "persistence/Files.h"

#include "persistence/KeyFile.h"
#include "persistence/Text.h"
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

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

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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
