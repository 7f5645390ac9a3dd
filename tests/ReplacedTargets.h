// What an export leaves in place of each kind of file a user's backup may
// be: the old file's mode and owner, a link that stays a link, and a folder
// that takes no new file beside it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace tsltest {

namespace replaced {

namespace fs = std::filesystem;

// Starts an export to the path; its status.
using ExportTo = std::function<int(const std::string& path)>;

inline std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().lexically_relative(folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder of its own, so that whatever an export leaves beside its file
// shows.
struct Folder {
    fs::path path;
    Folder() {
        char pattern[] = "/tmp/tsl-replaced-XXXXXX";
        if (mkdtemp(pattern)) path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::vector<std::string> Names() const { return replaced::Names(path); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
};

// The umask most systems start with, so that a file given a new file's
// mode shows against a 0600 or 0640 one.
class Umask {
  public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

  private:
    mode_t saved_;
};

}  // namespace replaced

// Each kind of target through one export: "cfg" is the file, "sub/link" a
// link to it by a relative path (so it is followed from the link's folder,
// not from the current one).
inline void ExpectEachTargetKeepsItsModeAndOwner(const replaced::ExportTo& exportTo,
                                                 const std::string& content) {
    using namespace replaced;
    struct Case {
        const char* name;
        bool throughLink;
        bool existing;
        mode_t mode;        // of the file before, and what it keeps
        bool someoneElses;  // owned by another user and group: root only
    };
    const Case cases[] = {
        {"0600 file", false, true, 0600, false},
        {"0640 file", false, true, 0640, false},
        {"link to a 0600 file", true, true, 0600, false},
        {"dangling link", true, false, 0, false},
        {"new file", false, false, 0, false},
        // Changing the owner clears set-id bits: the mode must come after.
        {"someone else's setgid file", false, true, 02750, true},
    };
    const Umask umask(022);
    constexpr uid_t kOther = 4321;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.someoneElses && geteuid() != 0) continue;
        Folder folder;
        ASSERT_FALSE(folder.path.empty());
        const fs::path file = folder.path / "cfg";
        const fs::path link = folder.path / "sub" / "link";
        if (c.existing) {
            WriteAll(file, std::string(5000, 'x'));
            if (c.someoneElses) {
                ASSERT_EQ(0, chown(file.c_str(), kOther, kOther));
            }
            ASSERT_EQ(0, chmod(file.c_str(), c.mode));
        }
        if (c.throughLink) {
            fs::create_directory(folder.path / "sub");
            fs::create_symlink("../cfg", link);
        }
        const std::vector<std::string> before = Names(folder.path);

        ASSERT_EQ(0, exportTo((c.throughLink ? link : file).string()));
        if (c.throughLink) {
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_EQ(fs::path("../cfg"), fs::read_symlink(link));
        }
        struct stat st;
        ASSERT_EQ(0, lstat(file.c_str(), &st));
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(c.existing ? c.mode : 0644u, st.st_mode & 07777u);
        if (c.someoneElses) {
            EXPECT_EQ(kOther, st.st_uid);
            EXPECT_EQ(kOther, st.st_gid);
        }
        EXPECT_EQ(content, ReadAll(file));
        std::vector<std::string> after = before;
        if (!c.existing) {
            after.push_back("cfg");
            std::sort(after.begin(), after.end());
        }
        EXPECT_EQ(after, Names(folder.path)) << "nothing left beside the file";
    }
}

// A folder that takes no new file for the object's life, holding files
// that can still be written. Permissions do not hold root back, so root
// makes the folder immutable instead; open() is false where neither works.
class RefusingFolder {
  public:
    explicit RefusingFolder(const std::filesystem::path& path) : path_(path) {
        if (geteuid() == 0) {
            fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            int flags = 0;
            if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags |= FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
        } else {
            ::chmod(path.c_str(), 0555);
        }
        const std::string probe = (path / ".probe").string();
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        refuses_ = fd < 0;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
        }
    }
    ~RefusingFolder() {
        if (fd_ >= 0) {
            int flags = 0;
            if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
            ::close(fd_);
        }
        ::chmod(path_.c_str(), 0700);
    }
    RefusingFolder(const RefusingFolder&) = delete;
    RefusingFolder& operator=(const RefusingFolder&) = delete;

    bool refuses() const { return refuses_; }

  private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool refuses_ = false;
};

// A writable file in a folder that takes no temporary is still written,
// in place: it keeps its mode, and nothing else appears. An export that
// fails before its first byte (failTo, where given) leaves it whole.
inline void ExpectWrittenInPlaceWhereTheFolderRefuses(const replaced::ExportTo& exportTo,
                                                      const std::string& content,
                                                      const replaced::ExportTo& failTo = {}) {
    using namespace replaced;
    Folder folder;
    ASSERT_FALSE(folder.path.empty());
    const fs::path file = folder.path / "cfg";
    const std::string previous(5000, 'x');
    WriteAll(file, previous);
    ASSERT_EQ(0, chmod(file.c_str(), 0640));
    {
        RefusingFolder refusing(folder.path);
        if (!refusing.refuses()) GTEST_SKIP() << "no way here to make a folder refuse a new file";
        if (failTo) {
            EXPECT_LT(failTo(file.string()), 0);
            EXPECT_EQ(previous, ReadAll(file));
        }
        ASSERT_EQ(0, exportTo(file.string()));
    }
    struct stat st;
    ASSERT_EQ(0, stat(file.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777u);
    EXPECT_EQ(content, ReadAll(file));
    EXPECT_EQ(std::vector<std::string>{"cfg"}, Names(folder.path));
}

}  // namespace tsltest
