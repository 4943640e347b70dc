#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <system_error>

#include "platform/RegularFile.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// What identifies one version of a file: any write through a rename changes
// the inode, any write in place the size or a time stamp.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    mode_t mode = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp Of(const struct stat& st) {
        return {st.st_dev, st.st_ino, st.st_size, st.st_mode, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileStamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct CacheEntry {
    std::string key;
    FileStamp stamp;
    std::shared_ptr<const ProfileDocument> doc;
};

constexpr std::size_t kCacheSlots = 8;
std::mutex g_cacheMutex;
std::vector<CacheEntry> g_cache;  // most recently used first
// Serialises read-modify-write cycles within this process.
std::mutex g_writeMutex;

std::string CacheKey(const fs::path& path) {
    std::error_code ec;
    const fs::path abs = fs::absolute(path, ec);
    return (ec ? path : abs).lexically_normal().string();
}

void ForgetCached(const fs::path& path) {
    const std::string key = CacheKey(path);
    std::lock_guard lock(g_cacheMutex);
    std::erase_if(g_cache, [&](const CacheEntry& e) { return e.key == key; });
}

enum class ReadStatus { Ok, Missing, Unreadable };

// Reads the language file whole; a FIFO named like it cannot hang start-up.
ReadStatus ReadProfileFile(const fs::path& path, std::string& bytes, FileStamp& stamp) {
    const FileRead read = ReadRegularFile(path, kMaxProfileFileBytes, bytes);
    if (read.status == FileReadStatus::Missing) return ReadStatus::Missing;
    if (!read.ok()) return ReadStatus::Unreadable;
    stamp = FileStamp::Of(read.info);
    return ReadStatus::Ok;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes a temporary file beside the target and renames it over the target,
// so a crash or a full disk leaves either the old file or the new one.
bool ReplaceFile(const fs::path& target, std::string_view bytes, mode_t mode) {
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

const ProfileDocument& EmptyDocument() {
    static const ProfileDocument empty;
    return empty;
}

}  // namespace

std::shared_ptr<const ProfileDocument> LoadProfile(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const std::string key = CacheKey(path);
    {
        std::lock_guard lock(g_cacheMutex);
        const auto it = std::find_if(g_cache.begin(), g_cache.end(),
                                     [&](const CacheEntry& e) { return e.key == key; });
        if (it != g_cache.end() && it->stamp == FileStamp::Of(st)) {
            std::rotate(g_cache.begin(), it, it + 1);
            return g_cache.front().doc;
        }
    }
    std::string bytes;
    FileStamp stamp;
    if (ReadProfileFile(path, bytes, stamp) != ReadStatus::Ok) return nullptr;
    auto doc = std::make_shared<const ProfileDocument>(ProfileDocument::FromBytes(bytes));
    std::lock_guard lock(g_cacheMutex);
    std::erase_if(g_cache, [&](const CacheEntry& e) { return e.key == key; });
    g_cache.insert(g_cache.begin(), CacheEntry{key, stamp, doc});
    if (g_cache.size() > kCacheSlots) g_cache.pop_back();
    return doc;
}

std::string GetProfileString(const fs::path& path, std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t bufferSize) {
    const auto doc = LoadProfile(path);
    return ProfileLookup(doc ? *doc : EmptyDocument(), section, key, defaultValue, bufferSize);
}

bool WriteProfileString(const fs::path& path, std::string_view section,
                        std::optional<std::string_view> key,
                        std::optional<std::string_view> value) {
    std::lock_guard writeLock(g_writeMutex);
    // Write through a symbolic link to the file it names, keeping the link.
    fs::path target = path;
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        target = fs::weakly_canonical(path, ec);
        if (ec) return false;
    }
    std::string bytes;
    FileStamp stamp;
    const ReadStatus status = ReadProfileFile(target, bytes, stamp);
    if (status == ReadStatus::Unreadable) return false;
    const bool exists = status == ReadStatus::Ok;
    if (!exists) bytes.clear();

    const auto edited = EditProfileBytes(bytes, section, key, value);
    if (!edited) return false;
    if (!exists && (!key || !value)) return true;  // nothing there to remove
    if (exists && *edited == bytes) return true;
    if (edited->size() > kMaxProfileFileBytes) return false;

    const mode_t mode = exists ? (stamp.mode & 07777) : 0644;
    const bool ok = ReplaceFile(target, *edited, mode);
    ForgetCached(path);
    ForgetCached(target);
    return ok;
}

std::vector<std::string> GetProfileSectionNames(const fs::path& path) {
    const auto doc = LoadProfile(path);
    return doc ? doc->SectionNames() : std::vector<std::string>{};
}

std::vector<std::string> GetProfileKeyNames(const fs::path& path, std::string_view section) {
    const auto doc = LoadProfile(path);
    return doc ? doc->KeyNames(section) : std::vector<std::string>{};
}

}  // namespace qm
