#pragma once
// Reading a whole file that came from outside (a language file, a resource
// table): only a regular file is read, a folder, pipe or device is refused
// without blocking, and the size is bounded even if the file grows meanwhile.
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <string>

namespace qm {

enum class FileReadStatus {
    Ok,
    Missing,     // no such file
    Folder,      // a folder stands under that name
    NotRegular,  // a pipe, socket or device
    TooLarge,    // more than the caller's limit
    Unreadable,  // any other failure (permissions, I/O error); errno is kept
};

struct FileRead {
    FileReadStatus status = FileReadStatus::Unreadable;
    int error = 0;       // errno of an Unreadable failure
    struct stat info {}; // the file's status when it was read
    bool ok() const { return status == FileReadStatus::Ok; }
};

// Reads `path` (following symbolic links) into `bytes`; at most `maxBytes`.
FileRead ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                         std::string& bytes);

// "no such file", "a folder, not a file", ... for messages that name the file.
std::string DescribeFileRead(const FileRead& read);

}  // namespace qm
