#include "storage/AtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rigvane {

namespace {

void SetError(std::string* error, const std::string& what, const std::string& path, int err) {
    if (error) *error = what + " " + path + ": " + std::strerror(err);
    errno = err;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Removes NAME.tmpXXXXXX files (six letters or digits), which saves that
// were killed before their rename left beside NAME.
void RemoveStaleTemporaries(const std::string& path) {
    const std::string dir = DirectoryOf(path);
    const size_t slash = path.find_last_of('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!std::all_of(name.begin() + long(prefix.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        const std::string full = dir + "/" + name;
        struct stat st {};
        if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(full.c_str());
    }
    ::closedir(d);
}

} // namespace

std::string TemporaryPathFor(const std::string& path) {
    return path + ".rigvane-tmp";
}

bool WriteFileAtomically(const std::string& linkPath, const std::string& contents,
                         std::string* error) {
    if (linkPath.empty() || linkPath.back() == '/') {
        SetError(error, "Cannot write", linkPath.empty() ? "(no file name)" : linkPath, EINVAL);
        return false;
    }
    // Through a symbolic link the file it points to is replaced, so the link
    // survives; a path that does not resolve (no such file yet) is used as is.
    std::string path = linkPath;
    if (char* real = ::realpath(linkPath.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        SetError(error, "Not a regular file:", path, S_ISDIR(target.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    // One temporary name per target: whatever an interrupted save left there
    // is removed now, with any left under the random names used before.
    const std::string tempPath = TemporaryPathFor(path);
    RemoveStaleTemporaries(path);
    ::unlink(tempPath.c_str());
    const int fd =
        ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetError(error, "Cannot create a temporary file for", path, errno);
        return false;
    }
    auto fail = [&](const std::string& what) {
        const int err = errno;
        ::close(fd);
        ::unlink(tempPath.c_str());
        SetError(error, what, path, err);
        return false;
    };

    // Keep the permissions of the file being replaced; a new file gets the
    // usual 0666 less the umask rather than mkstemp's 0600.
    struct stat old {};
    mode_t mode;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail("Cannot set the permissions of");

    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot write");
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) return fail("Cannot flush");
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tempPath.c_str());
        SetError(error, "Cannot close", path, err);
        return false;
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tempPath.c_str());
        SetError(error, "Cannot replace", path, err);
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    const int dir = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error,
                   bool* missing) {
    if (contents) contents->clear();
    if (missing) *missing = false;
    // Non-blocking, so that a FIFO without a writer is refused, not waited for.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT && missing) *missing = true;
        SetError(error, "Cannot open", path, err);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetError(error, "Cannot read", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        return false;
    }
    std::string data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            SetError(error, "Cannot read", path, err);
            return false;
        }
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (contents) *contents = std::move(data);
    return true;
}

std::FILE* OpenRegularFile(const std::string& path, long long maxBytes, std::string* why) {
    if (why) why->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    const char* refusal = nullptr;
    if (::fstat(fd, &st) != 0)
        refusal = "it cannot be examined";
    else if (S_ISDIR(st.st_mode))
        refusal = ""; // reported as any file that cannot be opened
    else if (!S_ISREG(st.st_mode))
        refusal = "it is not a regular file";
    else if (st.st_size > maxBytes)
        refusal = "it is too large";
    const int flags = refusal ? -1 : ::fcntl(fd, F_GETFL);
    if (refusal || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        if (why && refusal) *why = refusal;
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) ::close(fd);
    return file;
}

} // namespace rigvane
