#include "Base/ReplacingFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace tsl {

namespace {

constexpr int kAttempts = 64;

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

void SyncFolder(const std::string& file) {
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
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
    target_ = target;
    struct stat st;
    if (::lstat(target, &st) == 0 && S_ISLNK(st.st_mode)) {
        // Written where the link points, as before: the link stays a link.
        if (char* real = ::realpath(target, nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    if (::stat(target_.c_str(), &st) == 0) {
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
    const std::filesystem::path folder = std::filesystem::path(target_).parent_path();
    for (int i = 0; i < kAttempts; ++i) {
        const std::string name = (folder / (".tessaly-" + RandomTag() + ".part")).string();
        // 0666 under the umask: what the target gets is what a new file gets.
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = name;
            return;
        }
        if (errno != EEXIST) return;
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

bool ReplacingFile::commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    if (temporary_.empty()) {
        const int closed = ::close(fd_);
        fd_ = -1;
        return closed == 0;
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
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    errno = error;
}

}  // namespace tsl
