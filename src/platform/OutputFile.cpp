#include "platform/OutputFile.h"

#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <streambuf>
#include <unistd.h>

namespace mv {

namespace {

// ---- Named temporary files that a signal must remove. The handler may only
// make async-signal-safe calls, so the names live in fixed slots beside the
// folder's descriptor, and the handler removes them with unlinkat.

constexpr std::size_t kPendingSlots = 2048; // more than the most parallel jobs
constexpr std::size_t kTempNameSize = 40;

struct TPendingSlot {
    std::atomic<int> DirFd{-1}; // -1 free, -2 being filled, else the folder
    char Name[kTempNameSize] = {};
};
TPendingSlot gPending[kPendingSlots];

int RegisterPending(int dirFd, const std::string& name) {
    for (std::size_t i = 0; i < kPendingSlots; ++i) {
        int expected = -1;
        if (gPending[i].DirFd.compare_exchange_strong(expected, -2)) {
            std::memcpy(gPending[i].Name, name.c_str(), name.size() + 1);
            gPending[i].DirFd.store(dirFd);
            return static_cast<int>(i);
        }
    }
    return -1; // every slot in use: the file is still removed on every other path
}

void UnregisterPending(int slot) {
    if (slot >= 0) gPending[slot].DirFd.store(-1);
}

void RemovePendingAndDie(int signal) {
    for (TPendingSlot& slot : gPending) {
        const int dirFd = slot.DirFd.load();
        if (dirFd >= 0) ::unlinkat(dirFd, slot.Name, 0);
    }
    // The signal is blocked while its handler runs: raised again with the
    // default action, it ends the process as soon as the handler returns.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::raise(signal);
}

// ---- Test seams.

std::mutex gLimitMutex;
int gLimitError = 0;
std::uint64_t gLimitLeft = 0;
std::atomic<bool> gUnnamedAllowed{true};

// write(2), cut short by the test limit.
ssize_t WriteSome(int fd, const char* data, std::size_t size) {
    {
        std::lock_guard lock(gLimitMutex);
        if (gLimitError != 0) {
            if (gLimitLeft == 0) {
                errno = gLimitError;
                return -1;
            }
            size = static_cast<std::size_t>(std::min<std::uint64_t>(size, gLimitLeft));
            gLimitLeft -= size;
        }
    }
    return ::write(fd, data, size);
}

// Why a write failed, in German for the reasons a user can act on.
std::string WriteFailureReason(int error) {
    switch (error) {
    case ENOSPC:
        return "Auf dem Gerät ist kein Speicherplatz mehr verfügbar";
    case EDQUOT:
        return "Das Speicherkontingent ist überschritten";
    case EFBIG:
        return "Die Datei ist zu groß";
    case EIO:
        return "Ein- oder Ausgabefehler";
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case EROFS:
        return "Das Dateisystem ist nur lesbar";
    case ENOENT:
        return "Datei oder Verzeichnis nicht gefunden";
    case ENAMETOOLONG:
        return "Der Dateiname ist zu lang";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    default:
        break;
    }
    const char* text = ::strerrordesc_np(error);
    return text ? std::string(text) : "Systemfehler " + std::to_string(error);
}

[[noreturn]] void ThrowWriteError(const std::string& path, int error) {
    throw EInOutError("Fehler beim Schreiben der Datei " + path + ": " + WriteFailureReason(error));
}

// Unnamed files are given a name through /proc; without it they cannot be.
bool UnnamedFilesUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable && gUnnamedAllowed.load();
}

std::string RandomTempName() {
    static std::mutex mutex;
    static std::mt19937_64 generator{(std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}() ^
                                     static_cast<std::uint64_t>(::getpid())};
    std::uint64_t value;
    {
        std::lock_guard lock(mutex);
        value = generator();
    }
    char name[kTempNameSize];
    std::snprintf(name, sizeof name, ".metrovane-%016llx.tmp", static_cast<unsigned long long>(value));
    return name;
}

// Buffered writing to a descriptor; a failed write raises the error, which
// the stream passes on because it has badbit among its exceptions.
class TDescriptorBuffer : public std::streambuf {
public:
    TDescriptorBuffer(int fd, const std::string& path) : fd_(fd), path_(path) {
        setp(buffer_, buffer_ + kSize);
    }

    void Flush() {
        WriteOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        setp(buffer_, buffer_ + kSize);
    }

protected:
    int_type overflow(int_type ch) override {
        Flush();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        if (size < static_cast<std::streamsize>(kSize)) return std::streambuf::xsputn(data, size);
        Flush();
        WriteOut(data, static_cast<std::size_t>(size));
        return size;
    }
    int sync() override {
        Flush();
        return 0;
    }

private:
    static constexpr std::size_t kSize = 1 << 16;

    void WriteOut(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = WriteSome(fd_, data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ThrowWriteError(path_, n < 0 ? errno : EIO);
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    int fd_;
    const std::string& path_;
    char buffer_[kSize];
};

} // namespace

class TOutputFile::TImpl {
public:
    explicit TImpl(const std::string& path) : path_(path) {
        const std::string folder = ExtractFilePath(path);
        dir_.Reset(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dir_.IsOpen()) throw EFCreateError(path);
        if (UnnamedFilesUsable())
            file_.Reset(::openat(dir_.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        // Not every file system has unnamed files: then a hidden name.
        for (int attempt = 0; !file_.IsOpen() && attempt < 100; ++attempt) {
            std::string name = RandomTempName();
            // Registered before it exists, so that no signal can come between.
            const int slot = RegisterPending(dir_.Get(), name);
            file_.Reset(::openat(dir_.Get(), name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
            if (file_.IsOpen()) {
                tempName_ = std::move(name);
                slot_ = slot;
                break;
            }
            const int error = errno;
            UnregisterPending(slot);
            if (error != EEXIST) break;
        }
        if (!file_.IsOpen()) throw EFCreateError(path);
        buffer_ = std::make_unique<TDescriptorBuffer>(file_.Get(), path_);
        stream_ = std::make_unique<std::ostream>(buffer_.get());
        stream_->exceptions(std::ios::badbit);
    }

    ~TImpl() { Discard(); }

    std::ostream& Stream() { return *stream_; }

    bool Commit(const std::string& path, bool replace) {
        if (done_) throw std::logic_error("output file already committed or dropped");
        path_ = path; // messages name the file as it is meant to be called now
        if (!*stream_) ThrowWriteError(path_, EIO);
        buffer_->Flush();
        const std::string name = ExtractFileName(path);
        if (tempName_.empty()) {
            if (!CommitUnnamed(name, replace)) return false;
        } else {
            // A named file is closed before it gets its name, so that an error
            // that only close reports still keeps it from being published.
            if (file_.IsOpen() && file_.Close() != 0) ThrowWriteError(path_, errno);
            if (!CommitNamed(name, replace)) return false;
            UnregisterPending(slot_);
            slot_ = -1;
            tempName_.clear();
        }
        done_ = true;
        return true;
    }

    void Discard() noexcept {
        done_ = true;
        file_.Close();
        if (!tempName_.empty()) {
            ::unlinkat(dir_.Get(), tempName_.c_str(), 0);
            UnregisterPending(slot_);
            slot_ = -1;
            tempName_.clear();
        }
    }

private:
    bool CommitUnnamed(const std::string& name, bool replace) {
        const std::string self = "/proc/self/fd/" + std::to_string(file_.Get());
        if (replace) {
            // A link cannot replace: link under a hidden name, then rename.
            std::string temp = RandomTempName();
            const int slot = RegisterPending(dir_.Get(), temp);
            const bool ok =
                ::linkat(AT_FDCWD, self.c_str(), dir_.Get(), temp.c_str(), AT_SYMLINK_FOLLOW) == 0 &&
                ::renameat(dir_.Get(), temp.c_str(), dir_.Get(), name.c_str()) == 0;
            if (!ok) ::unlinkat(dir_.Get(), temp.c_str(), 0);
            UnregisterPending(slot);
            if (!ok) throw EFCreateError(path_);
        } else if (::linkat(AT_FDCWD, self.c_str(), dir_.Get(), name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) return false;
            throw EFCreateError(path_);
        }
        if (file_.Close() != 0) {
            const int error = errno;
            ::unlinkat(dir_.Get(), name.c_str(), 0);
            ThrowWriteError(path_, error);
        }
        return true;
    }

    bool CommitNamed(const std::string& name, bool replace) {
        const int dir = dir_.Get();
        const char* temp = tempName_.c_str();
        if (replace) {
            if (::renameat(dir, temp, dir, name.c_str()) != 0) throw EFCreateError(path_);
            return true;
        }
        if (::renameat2(dir, temp, dir, name.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) return false;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) throw EFCreateError(path_);
        // No such rename on this file system: a second link claims the name.
        if (::linkat(dir, temp, dir, name.c_str(), 0) == 0) {
            ::unlinkat(dir, temp, 0);
            return true;
        }
        if (errno == EEXIST) return false;
        if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) throw EFCreateError(path_);
        // No links either (FAT): claim the name with an empty file, then
        // rename over that claim.
        TFd claim(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!claim.IsOpen()) {
            if (errno == EEXIST) return false;
            throw EFCreateError(path_);
        }
        claim.Close();
        if (::renameat(dir, temp, dir, name.c_str()) != 0) {
            ::unlinkat(dir, name.c_str(), 0);
            throw EFCreateError(path_);
        }
        return true;
    }

    std::string path_;
    TFd dir_;
    TFd file_;
    std::string tempName_; // empty for an unnamed file
    int slot_ = -1;
    bool done_ = false;
    std::unique_ptr<TDescriptorBuffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
};

TOutputFile::TOutputFile(const std::string& path) : impl_(std::make_unique<TImpl>(path)) {}

TOutputFile::~TOutputFile() = default;

std::ostream& TOutputFile::Stream() {
    return impl_->Stream();
}

bool TOutputFile::CommitNew(const std::string& path) {
    return impl_->Commit(path, false);
}

void TOutputFile::CommitReplacing(const std::string& path) {
    impl_->Commit(path, true);
}

void TOutputFile::Discard() {
    impl_->Discard();
}

void RemoveTempFilesOnSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;
            struct sigaction action {};
            action.sa_handler = RemovePendingAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    });
}

void SetOutputWriteLimitForTests(std::uint64_t bytes, int error) {
    std::lock_guard lock(gLimitMutex);
    gLimitLeft = bytes;
    gLimitError = error;
}

void SetUnnamedTempFilesForTests(bool allowed) {
    gUnnamedAllowed.store(allowed);
}

} // namespace mv
