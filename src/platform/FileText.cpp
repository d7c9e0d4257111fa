#include "FileText.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : FFd(fd) {}
    ~FileDescriptor() {
        if (FFd >= 0)
            ::close(FFd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return FFd; }
    int release() { return std::exchange(FFd, -1); }

private:
    int FFd;
};

void WriteAll(int fd, const std::string& content, const std::string& path) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t written = ::write(fd, content.data() + done, content.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(path);
        }
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        ThrowErrno(path);
    }
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(path);
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

void ReplaceWholeFile(const std::string& path, const std::string& content) {
    std::string target = path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        target = resolved;

    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0) {
        if (errno != ENOENT)
            ThrowErrno(target);
        // A new file is created in place: there is nothing to keep whole.
        FileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            ThrowErrno(target);
        WriteAll(fd.get(), content, target);
        if (::close(fd.release()) != 0)
            ThrowErrno(target);
        return;
    }
    if (!S_ISREG(existing.st_mode)) {
        errno = EISDIR;
        ThrowErrno(target);
    }
    if (::access(target.c_str(), W_OK) != 0)
        ThrowErrno(target);

    std::string temporary = target + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        ThrowErrno(target);
    try {
        WriteAll(fd.get(), content, target);
        if (::fchmod(fd.get(), existing.st_mode & 07777) != 0 || ::fsync(fd.get()) != 0)
            ThrowErrno(target);
        (void)::fchown(fd.get(), existing.st_uid, existing.st_gid); // only root may; fine if not
        if (::close(fd.release()) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0)
            ThrowErrno(target);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

} // namespace platform
