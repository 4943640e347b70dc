#pragma once
// The thin layer between the program and the VISA library: the two resource
// managers, the table of open sessions, and the one query operation every
// page uses to send a SCPI command and read the answer back as text.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "instrument/Slots.h"
#include "visa/visa.h"

namespace qm {

inline constexpr std::size_t kAnswerBufferSize = 1024;
inline constexpr std::size_t kMaxCommandLength = 99;  // 100-byte command buffer incl. terminator
inline constexpr ViUInt32 kSessionTimeoutMs = 20000;

// The pages' copies of the query operation differ only in these ways.
enum class QueryVariant {
    MainWindow,        // viWrite; one read; quotes removed
    MultipleReadings,  // viPrintf; reads on while a read ends before the end of the answer
    DeviceSettings,    // viPrintf; one read; quotes kept
    ReadingSettings,   // viPrintf; one read; quotes kept
};

struct QueryResult {
    std::string answer;         // trimmed text handed to the caller
    bool sent = false;          // the command reached the bus
    bool readAttempted = false;
    ViStatus writeStatus = VI_SUCCESS;
    ViStatus readStatus = VI_SUCCESS;
    std::string refusal;        // why nothing was sent (empty when sent)
};

struct RawRead {
    std::string text;  // bytes received up to the first NUL, at most 1023
    ViStatus status = VI_SUCCESS;
    bool ok() const { return status == VI_SUCCESS; }
};

// Only a query reads: a '?' after the first character.
bool IsQueryCommand(std::string_view command);
// Removes every double quote (when asked) and trailing white space.
std::string CleanAnswer(std::string_view raw, bool removeQuotes);

class SessionTable {
public:
    SessionTable() = default;
    ~SessionTable();
    SessionTable(const SessionTable&) = delete;
    SessionTable& operator=(const SessionTable&) = delete;

    // The shared query/write operation, addressed to the meter of a device
    // slot whatever the command says: a user's "*IDN?" to a slot asks that
    // slot's meter, not the instrument discovery happened to open at that index.
    std::string Query(int slot, std::string_view command,
                      QueryVariant variant = QueryVariant::MainWindow);
    QueryResult QueryEx(int slot, std::string_view command,
                        QueryVariant variant = QueryVariant::MainWindow);
    // The same, addressed by discovery index: discovery asks every
    // instrument it opened before any of them has a slot.
    QueryResult QueryDiscoveryIndex(int index, std::string_view command);

    // Direct write of the first `count` bytes of `text` (the live loop's
    // "read?" and "*cls" without their line feed).
    ViStatus WriteRaw(int slot, std::string_view text, std::size_t count);
    // Direct read of at most 1024 bytes (pipelined live reading).
    RawRead ReadRaw(int slot);
    // Device clear.
    ViStatus Clear(int slot);
    ViStatus SetTimeout(int slot, ViUInt32 ms);
    // Closes every session opened by the last discovery, then both resource managers.
    void CloseAll();

    int slotCount() const { return m_slotCount; }
    ViSession slotSession(int slot) const;
    bool validSlot(int slot) const { return slot >= 0 && slot < m_slotCount; }

    // Discovery fills these (names kept from the system's vocabulary).
    ViSession m_rm[2] = {VI_NULL, VI_NULL};
    ViFindList m_findList[2] = {VI_NULL, VI_NULL};
    ViUInt32 m_findCount[2] = {0, 0};
    std::array<ViSession, kMaxSessions> m_rawSession{};
    int m_rawCount = 0;  // raw sessions opened by the last discovery
    std::array<ViSession, kMaxSessions> m_slotSession{};
    std::array<int, kMaxSessions> m_slotToRaw{};
    int m_slotCount = 0;

    ViStatus m_status = VI_SUCCESS;  // status of the last open, find or read
    ViUInt32 m_retCount = 0;
    std::string m_answerBuf;         // the text of the last answer read
    int m_lastReadOk = 0;

private:
    ViSession SessionForSlot(int slot, std::string* refusal) const;
    QueryResult Exchange(ViSession session, std::string_view command, QueryVariant variant);
    QueryResult Refuse(QueryResult result);
    ViStatus ReadInto(ViSession session, QueryVariant variant, std::string& out);
};

}  // namespace qm
