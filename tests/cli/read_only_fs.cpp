// Preloaded into the program by the resource tests: the file system of one folder turns
// read-only in the middle of a run, as a disk does when the kernel remounts it read-only after
// an error. After the first LI_READ_ONLY_AFTER writes to files in LI_READ_ONLY_DIR, every
// write, truncation, creation or removal there fails with EROFS. With LI_READ_ONLY_COUNT set,
// the number of writes the run made is written to that file at exit (how a test learns where
// the middle of a run is).
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::atomic<long> g_writes{0};

const std::string& folder() {
    static const std::string dir = [] {
        const char* d = std::getenv("LI_READ_ONLY_DIR");
        return std::string(d ? d : "");
    }();
    return dir;
}

long limit() {
    static const long n = [] {
        const char* v = std::getenv("LI_READ_ONLY_AFTER");
        return v && *v ? std::atol(v) : -1;
    }();
    return n;
}

bool in_folder(const char* path) {
    if (folder().empty() || path == nullptr) return false;
    char full[PATH_MAX];
    std::string p = path;
    if (p.empty() || p[0] != '/') {
        if (::getcwd(full, sizeof full) == nullptr) return false;
        p = std::string(full) + "/" + p;
    }
    return p.compare(0, folder().size(), folder()) == 0;
}

bool fd_in_folder(int fd) {
    char link[64];
    char target[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = '\0';
    return in_folder(target);
}

bool read_only_now() {
    return limit() >= 0 && g_writes.load() >= limit();
}

// A write to the folder: refused once the folder is read-only, else counted.
bool refuse_write(int fd) {
    if (!fd_in_folder(fd)) return false;
    if (read_only_now()) {
        errno = EROFS;
        return true;
    }
    ++g_writes;
    return false;
}

bool refuse_change(const char* path) {
    if (read_only_now() && in_folder(path)) {
        errno = EROFS;
        return true;
    }
    return false;
}

template <typename F>
F next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

struct CountAtExit {
    ~CountAtExit() {
        if (const char* out = std::getenv("LI_READ_ONLY_COUNT"); out && *out) {
            if (FILE* f = std::fopen(out, "w")) {
                std::fprintf(f, "%ld\n", g_writes.load());
                std::fclose(f);
            }
        }
    }
} count_at_exit;

bool writes_or_creates(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

// The mode argument an open call carries when it may create the file.
mode_t mode_of(int flags, va_list ap) {
    return (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(ap, int)) : 0;
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* buf, size_t n) {
    static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    return refuse_write(fd) ? -1 : real(fd, buf, n);
}

ssize_t pwrite(int fd, const void* buf, size_t n, off_t at) {
    static auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    return refuse_write(fd) ? -1 : real(fd, buf, n, at);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t at) {
    static auto real = next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    return refuse_write(fd) ? -1 : real(fd, buf, n, at);
}

int ftruncate(int fd, off_t size) {
    static auto real = next<int (*)(int, off_t)>("ftruncate");
    return refuse_write(fd) ? -1 : real(fd, size);
}

int ftruncate64(int fd, off64_t size) {
    static auto real = next<int (*)(int, off64_t)>("ftruncate64");
    return refuse_write(fd) ? -1 : real(fd, size);
}

int unlink(const char* path) {
    static auto real = next<int (*)(const char*)>("unlink");
    return refuse_change(path) ? -1 : real(path);
}

int open(const char* path, int flags, ...) {
    static auto real = next<int (*)(const char*, int, ...)>("open");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_of(flags, ap);
    va_end(ap);
    if (writes_or_creates(flags) && refuse_change(path)) return -1;
    return real(path, flags, mode);
}

// On 64-bit Linux open64 is open itself.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

int openat(int dirfd, const char* path, int flags, ...) {
    static auto real = next<int (*)(int, const char*, int, ...)>("openat");
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = mode_of(flags, ap);
    va_end(ap);
    if (writes_or_creates(flags) && refuse_change(path)) return -1;
    return real(dirfd, path, flags, mode);
}

}  // extern "C"
