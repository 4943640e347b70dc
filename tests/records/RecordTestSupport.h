#pragma once
// Shared helpers of the record tests: a temporary folder, raw file bytes,
// local wall-clock instants for a ManualClock.
#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Clock.h"

namespace qm::test {

class TempDir {
  public:
    // The name never holds "DB": the folder rule looks for those letters.
    TempDir() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "qm_records_XXXXXX").string();
            char* made = ::mkdtemp(pattern.data());
            path_ = made ? made : "";
            if (path_.find("DB") == std::string::npos) break;
            ::rmdir(path_.c_str());
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The read_value column of a record file (or read_value_2ND), read straight
// with SQLite.
inline std::vector<double> StoredValues(const std::string& file, bool secondValues = false) {
    std::vector<double> values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           secondValues ? "select read_value_2ND from read"
                                        : "select read_value from read",
                           -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) values.push_back(sqlite3_column_double(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return values;
}

// Changes the working directory for one test and goes back afterwards.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::string& dir) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() {
        std::error_code ec;
        std::filesystem::current_path(saved_, ec);
    }

  private:
    std::filesystem::path saved_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The names in a folder, sorted.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

inline bool Exists(const std::string& path) {
    struct stat sb {};
    return ::lstat(path.c_str(), &sb) == 0;
}

// For the life of the object this thread obeys file permissions even when
// it runs as root (tests run as root in CI): a write-protected file or
// folder is then what it is for any other user.
class ObeyFilePermissions {
  public:
    ObeyFilePermissions() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~ObeyFilePermissions() {
        if (active_) (void)::syscall(SYS_capset, &header_, saved_);
    }
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool active_ = false;
};

// The instant whose local broken-down time is the one given.
inline Clock::WallPoint LocalWall(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    return Clock::WallPoint{} + std::chrono::seconds(t) + std::chrono::milliseconds(ms);
}

}  // namespace qm::test
