// A file written beside its target and put in the target's place only once
// it is whole, so a write that fails or is abandoned leaves whatever the
// target held before (a user's previous backup) as it was. The new file
// keeps the old one's mode and, where the process may set them, its owner
// and group.
#pragma once

#include <cstddef>
#include <string>

namespace tsl {

class ReplacingFile {
  public:
    // Creates the temporary in the target's folder, or opens a writable
    // target itself where that folder takes no new file; open() tells
    // whether it could. errno holds the reason when it could not.
    explicit ReplacingFile(const char* target);
    ~ReplacingFile();  // abandons what was not committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool open() const { return fd_ >= 0; }
    bool write(const void* data, size_t size);
    // On disk, then in the target's place. False: the temporary is gone and
    // the target untouched (unless written in place); errno holds the reason.
    bool commit();
    void abandon();

  private:
    bool truncateIfPending();

    std::string target_;
    std::string temporary_;  // empty when writing the target itself
    int fd_ = -1;
    bool truncatePending_ = false;
};

}  // namespace tsl
