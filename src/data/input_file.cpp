#include "data/input_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace acremark {

namespace {

std::string KindRefusal(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) return path + " is a folder, not a file.";
    return path + " is not a regular file.";
}

std::string SizeRefusal(const std::string& path) {
    return path + " is larger than " + std::to_string(kMaxInputFileBytes >> 20) + " MB.";
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::optional<InputBytes> ReadInputFile(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        throw InputFileError("Cannot read " + path + ": " + std::strerror(errno));
    }
    // Checked before opening: opening a pipe would wait for a writer, a device may never end.
    if (!S_ISREG(st.st_mode)) throw InputFileError(KindRefusal(path, st.st_mode));
    if (uint64_t(st.st_size) > kMaxInputFileBytes) throw InputFileError(SizeRefusal(path));

    Fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) throw InputFileError("Cannot read " + path + ": " + std::strerror(errno));
    // The name may have been replaced since the check: the open file is what counts.
    if (fstat(fd.get(), &st) != 0)
        throw InputFileError("Cannot read " + path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw InputFileError(KindRefusal(path, st.st_mode));
    if (uint64_t(st.st_size) > kMaxInputFileBytes) throw InputFileError(SizeRefusal(path));

    InputBytes bytes(size_t(st.st_size));
    size_t done = 0;
    auto readSome = [&](uint8_t* to, size_t n) {
        for (;;) {
            ssize_t got = read(fd.get(), to, n);
            if (got >= 0) return size_t(got);
            if (errno != EINTR)
                throw InputFileError("Cannot read " + path + ": " + std::strerror(errno));
        }
    };
    while (done < bytes.size()) {
        size_t got = readSome(bytes.data() + done, bytes.size() - done);
        if (got == 0) break; // shorter than it was: what is there is what the reader checks
        done += got;
    }
    uint8_t probe;
    if (done == bytes.size() && readSome(&probe, 1) > 0)
        throw InputFileError("Cannot read " + path + ": the file changed while it was read.");
    bytes.resize(done);
    return bytes;
}

} // namespace acremark
