// Files of the wrong kind where a test expects a file: a FIFO, a huge sparse
// file, and a way to meet a file without read permission even when the tests
// run as root (who may read anything).
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace bad_files {

// A FIFO at path; false when it cannot be made.
inline bool make_fifo(const std::filesystem::path& path) { return ::mkfifo(path.c_str(), 0644) == 0; }

// A file of size bytes that takes no room on the disk.
inline bool make_sparse(const std::filesystem::path& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    ::close(fd);
    return ok;
}

inline bool make_folder(const std::filesystem::path& path) { return std::filesystem::create_directory(path); }

// A file one byte larger than the 16 MB a settings file or script may have.
inline bool make_oversized(const std::filesystem::path& path) { return make_sparse(path, (16u << 20) + 1); }

// What the host's text files (settings, control script) may meet in their
// place, and the reason given when it is refused.
struct text_file_refusal {
    const char* what;
    bool (*make)(const std::filesystem::path&);
    const char* reason;
};
inline const text_file_refusal text_file_refusals[] = {
    {"folder", make_folder, "it is a folder, not a file"},
    {"FIFO", make_fifo, "it is not a regular file (a FIFO, a socket or a device)"},
    {"oversized", make_oversized, "it is larger than 16 MB"},
};

// Runs body in a child process as an ordinary user (nobody, when the tests run
// as root; folder is then opened to everyone so that user can work in it) and
// returns body's result, or -1 when the child did not end normally. A file of
// mode 0200 is then unreadable, as it is for the user who meets one.
inline int as_ordinary_user(const std::filesystem::path& folder, const std::function<int()>& body) {
    const bool root = ::geteuid() == 0;
    if (root) std::filesystem::permissions(folder, std::filesystem::perms::all);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace bad_files
