#include "platform/RegularFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm {

namespace {

FileReadStatus Classify(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return FileReadStatus::Ok;
    return S_ISDIR(st.st_mode) ? FileReadStatus::Folder : FileReadStatus::NotRegular;
}

FileRead Failed(FileReadStatus status, int error = 0) {
    FileRead r;
    r.status = status;
    r.error = error;
    return r;
}

FileRead FromErrno(int error) {
    return Failed(error == ENOENT || error == ENOTDIR ? FileReadStatus::Missing
                                                      : FileReadStatus::Unreadable,
                  error);
}

}  // namespace

FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                         std::string& bytes) {
    bytes.clear();
    // Look before opening: opening a FIFO for reading waits for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return FromErrno(errno);
    if (Classify(st) != FileReadStatus::Ok) return Failed(Classify(st));
    // O_NONBLOCK still keeps a FIFO swapped in since the look from blocking.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return FromErrno(errno);
    FileRead result;
    result.status = FileReadStatus::Ok;
    if (::fstat(fd, &st) != 0) {
        result = Failed(FileReadStatus::Unreadable, errno);
    } else if (Classify(st) != FileReadStatus::Ok) {
        result = Failed(Classify(st));
    } else if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        result = Failed(FileReadStatus::TooLarge);
    } else {
        result.info = st;
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                result = Failed(FileReadStatus::Unreadable, errno);
                break;
            }
            if (n == 0) break;
            bytes.append(buffer, static_cast<std::size_t>(n));
            // The file grew while being read: still bounded.
            if (bytes.size() > maxBytes) {
                result = Failed(FileReadStatus::TooLarge);
                break;
            }
        }
    }
    ::close(fd);
    if (!result.ok()) bytes.clear();
    return result;
}

std::string DescribeFileRead(const FileRead& read) {
    switch (read.status) {
        case FileReadStatus::Ok:
            return "read";
        case FileReadStatus::Missing:
            return "no such file";
        case FileReadStatus::Folder:
            return "a folder, not a file";
        case FileReadStatus::NotRegular:
            return "not a regular file (a pipe, socket or device)";
        case FileReadStatus::TooLarge:
            return "too large";
        case FileReadStatus::Unreadable:
            break;
    }
    return read.error != 0 ? std::string("cannot be read: ") + std::strerror(read.error)
                           : std::string("cannot be read");
}

}  // namespace qm
