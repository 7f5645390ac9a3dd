#include "Base/ReplacingFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tsl {

namespace {

namespace fs = std::filesystem;

constexpr int kAttempts = 64;
constexpr int kMaxLinks = 40;  // the kernel's own limit on a path's links

// Twelve characters nobody can guess ahead, so no one can plant a file or a
// link where the temporary will be. getrandom waits only before the kernel's
// pool is first ready, early in boot; should it fail, the exclusive create
// still refuses anything planted.
std::string RandomTag() {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12] = {};
    [[maybe_unused]] const ssize_t n = getrandom(bytes, sizeof bytes, 0);
    std::string tag;
    for (unsigned char b : bytes) tag += kAlphabet[b % (sizeof kAlphabet - 1)];
    return tag;
}

// Where a chain of links ends, also when nothing is there yet: the file is
// replaced where it lies and each link stays a link, whether or not it
// pointed at something before. Empty, with errno set, for a loop.
std::string FollowLinks(std::string path) {
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path to = fs::read_symlink(path, error);
        if (error) {
            errno = error.value();
            return {};
        }
        path = to.is_absolute() ? to.string() : (fs::path(path).parent_path() / to).string();
    }
    errno = ELOOP;
    return {};
}

// A replacement that widened who may read the file would hand a user's
// backup (it may hold passwords) to others: the temporary takes the old
// file's owner where this process may give it, then its mode, since a
// change of owner clears the set-id bits. Both before any byte is written.
bool TakeOver(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool RefusesNewFiles(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

void SyncFolder(const std::string& file) {
    fs::path folder = fs::path(file).parent_path();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the rename's durability only: the new file is whole either way
    ::close(fd);
}

}  // namespace

ReplacingFile::ReplacingFile(const char* target) {
    if (!target || !*target) {
        errno = ENOENT;
        return;
    }
    target_ = FollowLinks(target);
    if (target_.empty()) return;
    struct stat st;
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            // A device or a pipe holds no backup to keep, and is not replaced.
            fd_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
            return;
        }
        // A file the caller may not write is not replaced behind its back.
        if (::access(target_.c_str(), W_OK) != 0) return;
    }
    const fs::path folder = fs::path(target_).parent_path();
    for (int i = 0; i < kAttempts; ++i) {
        const std::string name = (folder / (".tessaly-" + RandomTag() + ".part")).string();
        // A new target gets what any new file gets: 0666 under the umask.
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = name;
            if (exists && !TakeOver(fd_, st)) abandon();
            return;
        }
        if (errno != EEXIST) break;
    }
    // A file the user may write is still written where its folder takes no
    // new file beside it, as before: then, unlike elsewhere, an export that
    // fails once it has begun writing leaves the file cut.
    if (exists && RefusesNewFiles(errno)) {
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        // Emptied at the first byte, so a device that refuses at once
        // leaves the old file whole there too.
        truncatePending_ = fd_ >= 0;
    }
}

ReplacingFile::~ReplacingFile() {
    abandon();
}

bool ReplacingFile::write(const void* data, size_t size) {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (!truncateIfPending()) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReplacingFile::truncateIfPending() {
    if (!truncatePending_) return true;
    if (::ftruncate(fd_, 0) != 0) return false;
    truncatePending_ = false;
    return true;
}

bool ReplacingFile::commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (temporary_.empty()) {
        const bool truncated = truncateIfPending();
        const int error = errno;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!truncated) errno = error;
        return truncated && closed;
    }
    bool done = ::fsync(fd_) == 0;
    if (::close(fd_) != 0) done = false;
    fd_ = -1;
    if (done && ::rename(temporary_.c_str(), target_.c_str()) == 0) {
        SyncFolder(target_);
        temporary_.clear();
        return true;
    }
    const int error = errno;
    abandon();
    errno = error;
    return false;
}

void ReplacingFile::abandon() {
    const int error = errno;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    truncatePending_ = false;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    errno = error;
}

}  // namespace tsl
