#include "host/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Closes a descriptor when it goes.
struct descriptor {
    int fd;
    explicit descriptor(int f) : fd(f) {}
    ~descriptor() {
        if (fd >= 0) ::close(fd);
    }
    descriptor(const descriptor&) = delete;
    descriptor& operator=(const descriptor&) = delete;
};

std::string describe_size(uint64_t bytes) {
    char text[64];
    if (bytes >= (1u << 20))
        std::snprintf(text, sizeof text, "%llu MB", static_cast<unsigned long long>(bytes >> 20));
    else
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    return text;
}

std::string larger_than(size_t limit) { return "it is larger than " + describe_size(limit); }

bool write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

std::string folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

host_read host_read_file(const char* path, size_t limit, std::string& text, std::string& reason) {
    text.clear();
    reason.clear();
    // Without O_NONBLOCK a FIFO would hold the open until a writer came.
    descriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) {
        if (errno == ENOENT) return host_read::missing;
        reason = std::strerror(errno);
        return host_read::refused;
    }
    struct stat status;
    if (::fstat(file.fd, &status) != 0) {
        reason = std::strerror(errno);
        return host_read::refused;
    }
    if (S_ISDIR(status.st_mode)) {
        reason = "it is a folder, not a file";
        return host_read::refused;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = "it is not a regular file (a FIFO, a socket or a device)";
        return host_read::refused;
    }
    if (static_cast<uint64_t>(status.st_size) > limit) {
        reason = larger_than(limit);
        return host_read::refused;
    }
    // The size may change while the file is read: read up to one byte past
    // the limit to notice a file that grew beyond it.
    text.resize(static_cast<size_t>(status.st_size) + 1);
    size_t got = 0;
    for (;;) {
        if (got == text.size()) {
            if (text.size() > limit) {
                text.clear();
                reason = larger_than(limit);
                return host_read::refused;
            }
            text.resize(std::min(text.size() * 2, limit + 1));
        }
        const ssize_t n = ::read(file.fd, text.data() + got, text.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            reason = std::strerror(errno);
            text.clear();
            return host_read::refused;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    text.resize(got);
    return host_read::ok;
}

bool host_replace_file(const char* path, std::string_view data, std::string& reason) {
    reason.clear();
    // Replace the file a symbolic link names, not the link.
    std::string target = path;
    struct stat old;
    const bool exists = ::stat(path, &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            reason = "it is a folder, not a file";
            return false;
        }
        // A file the user made read-only stays as it is.
        if (::access(path, W_OK) != 0) {
            reason = std::strerror(errno);
            return false;
        }
        if (char* resolved = ::realpath(path, nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const std::string temporary = target + ".new";
    bool ok = false;
    {
        descriptor file(::open(temporary.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0666));
        struct stat status;
        if (file.fd < 0) {
            reason = temporary + ": " + std::strerror(errno);
            return false;
        }
        if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            // Something other than a file of ours sits at the temporary name.
            reason = temporary + " is not a regular file";
            return false;
        }
        if (exists) ::fchmod(file.fd, old.st_mode & 07777);
        if (!write_all(file.fd, data) || ::fsync(file.fd) != 0)
            reason = std::strerror(errno);
        else
            ok = true;
        if (::close(file.fd) != 0 && ok) {
            reason = std::strerror(errno);
            ok = false;
        }
        file.fd = -1;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself lasts only once the folder is on the disk.
    descriptor folder(::open(folder_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0) ::fsync(folder.fd);
    return true;
}
