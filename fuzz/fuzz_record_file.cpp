// LIBS: qm_core
// Record files as the records layer opens them: any bytes under a record's
// name. Looking at a file (the lists, the start-of-saving check) never
// changes it and leaves nothing beside it; a file that is not a readable
// record is refused for saving too, still unchanged.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "records/RecordLabels.h"
#include "records/RecordStore.h"

namespace {

std::string* scratch = nullptr;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void RemoveScratch() {
    std::error_code ec;
    if (scratch) std::filesystem::remove_all(*scratch, ec);
}

const std::string& Folder() {
    if (!scratch) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qm_fuzz_records_XXXXXX").string();
        Check(::mkdtemp(pattern.data()) != nullptr);
        scratch = new std::string(pattern);
        std::atexit(RemoveScratch);
    }
    return *scratch;
}

void Write(const std::string& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat sb {};
    return ::lstat(path.c_str(), &sb) == 0;
}

void CheckUntouched(const std::string& path, std::string_view bytes) {
    Check(Read(path) == bytes);
    Check(!Exists(path + "-wal") && !Exists(path + "-shm") && !Exists(path + "-journal"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& folder = Folder();
    for (qm::RecordFormat format : {qm::RecordFormat::Current, qm::RecordFormat::Earlier}) {
        const std::string path = qm::RecordFilePath(folder, 3, format);
        Write(path, bytes);

        const qm::RecordFileInfo info = qm::ProbeRecordFile(path, format);
        CheckUntouched(path, bytes);
        Check(info.state != qm::RecordFileState::Missing);
        Check((info.state == qm::RecordFileState::Unreadable) == !info.problem.empty());

        // Every list names the file once: listed as it reads, or as unreadable.
        int named = 0;
        for (const auto& e : qm::RecordViewEntries(folder)) {
            Check(e.recordNo == 3 && e.format == format);
            Check(e.unreadable == (info.state == qm::RecordFileState::Unreadable));
            Check(qm::ParseRecordNumber(e.label) == 3);
            ++named;
        }
        Check(named == (info.state == qm::RecordFileState::Unreadable || info.hasDate ? 1 : 0));
        CheckUntouched(path, bytes);

        if (info.state == qm::RecordFileState::Unreadable) {
            qm::Database db;
            Check(!qm::OpenRecordDatabase(db, path, format).ok());
            db.Close();
            CheckUntouched(path, bytes);
        }
        std::filesystem::remove(path);
    }
    return 0;
}
