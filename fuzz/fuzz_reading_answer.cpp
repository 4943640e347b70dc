// LIBS: qm_core
// Instrument answers through the live reading path, saving on: parsing,
// value classification, what the device line shows and what the record
// gets. The first byte picks how the read ended (success, buffer filled,
// timeout); the rest is the answer. A line shown as saved is exactly one
// more row in the record, holding the number the answer starts with; an
// answer that is not a number is shown as none and saves nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/MeterTool.h"
#include "app/ReadingValues.h"
#include "records/RecordStore.h"
#include "tests/support/ScriptedPrompter.h"
#include "visa/visa_ext.h"

namespace {

std::string* scratch = nullptr;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

struct LastLine : qm::ReadingView {
    void LineUpdated(const qm::LineReading& l) override {
        line = l;
        ++count;
    }
    qm::LineReading line;
    int count = 0;
};

class Bench {
  public:
    Bench() {
        // A scratch folder whose name does not hold "DB" (the folder rule).
        for (;;) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "qm_fuzz_reading_XXXXXX").string();
            Check(::mkdtemp(pattern.data()) != nullptr);
            folder_ = pattern;
            if (folder_.find("DB") == std::string::npos) break;
            ::rmdir(folder_.c_str());
        }
        Check(::chdir(folder_.c_str()) == 0);
        scratch = new std::string(folder_);
        qm::visa::setSimulationClock(clock_);
        Check(qm::visa::useResourceTableText("[USB0::0x1209::0x4101::SN1::INSTR]\nbackend=sim\n"
                                             "model=TX42\nserial=SN1\n")
                  .ok);
        tool_.Refresh();
        tool_.loop().SetView(&view_);
        tool_.loop().SetSaving(0, true, 1);
        tool_.loop().SetAnswerSource([this](int, bool) { return answer_; });
        identity_ = tool_.IdentityOf(0);
    }

    void Run(std::string_view bytes) {
        static constexpr ViStatus kEndings[] = {VI_SUCCESS, VI_SUCCESS_MAX_CNT, VI_ERROR_TMO,
                                                VI_SUCCESS};
        const ViStatus status = bytes.empty() ? VI_SUCCESS : kEndings[bytes[0] & 3];
        if (!bytes.empty()) bytes.remove_prefix(1);
        // As the session hands an answer on: at most 1023 characters, trimmed.
        answer_.text = qm::CleanAnswer(bytes.substr(0, qm::kAnswerBufferSize - 1), true);
        answer_.status = status;
        prompter_.messages.clear();

        qm::ReadingLoop& loop = tool_.loop();
        if (!loop.reading()) {
            answer_.status = VI_SUCCESS;
            const qm::FetchedAnswer kept = answer_;
            Check(loop.OnStartReading());
            answer_ = kept;
            answer_.status = status;
        }
        const long long before = Rows();
        const int lines = view_.count;
        loop.OnTimer();
        const long long after = Rows();

        const qm::ParsedAnswer parsed = qm::ParseReadingAnswer(identity_, answer_.text);
        if (!loop.reading()) {
            // Only an empty answer with a completion code, or three
            // unanswered reads in a row, end the run.
            Check(after == before);
            return;
        }
        Check(view_.count == lines + 1);
        const qm::LineReading& line = view_.line;
        Check(after == before + (line.saved ? 1 : 0));
        if (status < VI_SUCCESS || !parsed.isReading) {
            Check(!line.answered && !line.saved);
            Check(line.notANumber == (status >= VI_SUCCESS));
            return;
        }
        Check(line.answered && !line.mainText.empty());
        Check(line.saved == (status == VI_SUCCESS));
        if (line.saved) {
            Check(LastStored() == qm::StoredReadingValue(parsed.main));
        }
    }

  private:
    long long Rows() {
        if (!reader_.IsOpen()) {
            const std::string path = folder_ + "/DB/Record 1.mdb";
            if (!qm::RecordFileExists(path)) return 0;
            Check(reader_.OpenReadOnly(path).ok());
        }
        qm::Recordset rs;
        Check(rs.Open(reader_, "SELECT count(*) AS n FROM read").ok());
        return static_cast<long long>(rs.GetDouble("n").value_or(-1));
    }

    double LastStored() {
        qm::Recordset rs;
        Check(rs.Open(reader_, "SELECT read_value FROM read ORDER BY rowid DESC LIMIT 1").ok());
        Check(!rs.IsEOF());
        return rs.GetDouble("read_value").value_or(-1);
    }

    std::string folder_;
    qm::ManualClock clock_;
    qm::test::ScriptedPrompter prompter_;
    qm::EnglishTexts texts_;
    qm::MeterTool tool_{prompter_, texts_, clock_};
    LastLine view_;
    qm::FetchedAnswer answer_;
    std::string identity_;
    qm::Database reader_;
};

Bench* bench = nullptr;

// The scratch folder goes with the process; the bench itself is left to the OS.
void RemoveScratch() {
    std::error_code ec;
    if (scratch) std::filesystem::remove_all(*scratch, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!bench) {
        bench = new Bench();
        std::atexit(RemoveScratch);
    }
    bench->Run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
