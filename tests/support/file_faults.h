// Real file system faults for tests, made without mounts: a full disk as a
// file size limit, a read-only folder as a folder this process may not
// write (also when the tests run as root, whom a folder's mode does not stop).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

// While it lives, a write that would make any file of this process larger
// than `bytes` fails with EFBIG, as a write to a full disk fails with ENOSPC:
// what fits is written, the rest is refused.  SIGXFSZ, which would end the
// process, is ignored meanwhile.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        savedHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        if (::getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~ScopedFileSizeLimit() {
        if (active_) ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, savedHandler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_{};
    sighandler_t savedHandler_ = SIG_DFL;
    bool active_ = false;
};

// While it lives, `folder` cannot be written by this process: its mode is
// r-x for all, and a process running as root takes the effective user and
// group 65534 (nobody) meanwhile.  A file created in it as a probe tells
// whether that worked; `reason()` says why not, for a skipped test.
class ScopedReadOnlyFolder {
public:
    static constexpr uid_t Nobody = 65534;

    explicit ScopedReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        namespace fs = std::filesystem;
        std::error_code ec;
        savedMode_ = fs::status(folder_, ec).permissions();
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec,
                        ec);
        if (::geteuid() == 0) {
            savedGid_ = ::getegid();
            gidDropped_ = ::setegid(Nobody) == 0;
            uidDropped_ = gidDropped_ && ::seteuid(Nobody) == 0;
            if (!uidDropped_) {
                reason_ = std::string("cannot act as user 65534: ") + std::strerror(errno);
                restoreUser();
                return;
            }
        }
        const std::string probe = (folder_ / ".probe").string();
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            reason_ = "this process may still write " + folder_.string();
        }
    }
    ~ScopedReadOnlyFolder() {
        restoreUser();
        std::error_code ec;
        std::filesystem::permissions(folder_, savedMode_, ec);
    }
    ScopedReadOnlyFolder(const ScopedReadOnlyFolder&) = delete;
    ScopedReadOnlyFolder& operator=(const ScopedReadOnlyFolder&) = delete;

    // Empty when the folder is read-only to this process.
    const std::string& reason() const { return reason_; }

private:
    // Back to root: the user first, who may then change the group.
    void restoreUser() {
        if (uidDropped_ && ::seteuid(0) == 0) uidDropped_ = false;
        if (gidDropped_ && ::setegid(savedGid_) == 0) gidDropped_ = false;
    }

    std::filesystem::path folder_;
    std::filesystem::perms savedMode_ = std::filesystem::perms::none;
    gid_t savedGid_ = 0;
    bool gidDropped_ = false;
    bool uidDropped_ = false;
    std::string reason_;
};
