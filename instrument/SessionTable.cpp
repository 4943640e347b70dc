#include "instrument/SessionTable.h"

#include <algorithm>

namespace qm {

bool IsQueryCommand(std::string_view command) {
    const auto pos = command.find('?');
    return pos != std::string_view::npos && pos > 0;
}

std::string CleanAnswer(std::string_view raw, bool removeQuotes) {
    // The answer is C text: it ends at the first NUL the instrument sent.
    const auto nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    std::string out;
    out.reserve(raw.size());
    for (char c : raw)
        if (!(removeQuotes && c == '"')) out.push_back(c);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r' ||
                            out.back() == '\n' || out.back() == '\v' || out.back() == '\f'))
        out.pop_back();
    return out;
}

SessionTable::~SessionTable() { CloseAll(); }

ViSession SessionTable::slotSession(int slot) const {
    return validSlot(slot) ? m_slotSession[static_cast<std::size_t>(slot)] : VI_NULL;
}

ViSession SessionTable::SessionForSlot(int slot, std::string* refusal) const {
    const int raw = validSlot(slot) ? m_slotToRaw[static_cast<std::size_t>(slot)] : -1;
    if (raw < 0 || raw >= m_rawCount) {
        *refusal = "No instrument in slot " + std::to_string(slot) + ".";
        return VI_NULL;
    }
    return m_rawSession[static_cast<std::size_t>(raw)];
}

namespace {

// More than this many further reads of one answer (4 MiB) is a meter that
// talks for ever; the exchange stops there.
constexpr int kMaxFurtherReads = 4096;

// Reads on while the previous read stopped because the buffer was full
// (VI_SUCCESS_MAX_CNT) rather than at the end of the answer; `keep` receives
// the further bytes, or they are read away. Returns the status of the last read.
ViStatus ReadRestOfAnswer(ViSession session, ViStatus status, std::string* keep) {
    unsigned char buf[kAnswerBufferSize];
    for (int reads = 0; status == VI_SUCCESS_MAX_CNT && reads < kMaxFurtherReads; ++reads) {
        ViUInt32 more = 0;
        status = viRead(session, buf, static_cast<ViUInt32>(kAnswerBufferSize), &more);
        if (keep && status >= VI_SUCCESS)
            keep->append(reinterpret_cast<const char*>(buf),
                         std::min<ViUInt32>(more, static_cast<ViUInt32>(kAnswerBufferSize)));
    }
    return status;
}

}  // namespace

ViStatus SessionTable::ReadInto(ViSession session, QueryVariant variant, std::string& out) {
    unsigned char buf[kAnswerBufferSize];
    ViUInt32 got = 0;
    const ViStatus status = viRead(session, buf, static_cast<ViUInt32>(kAnswerBufferSize), &got);
    m_retCount = got;
    got = std::min<ViUInt32>(got, static_cast<ViUInt32>(kAnswerBufferSize));
    if (variant == QueryVariant::MultipleReadings) {
        // Long answers come in several reads, joined. Whether more follows is
        // the read's status, not its byte count: an answer of exactly 1024
        // bytes ends with its read, and a further one would wait a whole timeout.
        out.assign(reinterpret_cast<const char*>(buf), got);
        return ReadRestOfAnswer(session, status, &out);
    }
    // One read: the text handed on ends within the buffer, so at most 1023
    // characters reach the caller.
    out.assign(reinterpret_cast<const char*>(buf),
               std::min<ViUInt32>(got, static_cast<ViUInt32>(kAnswerBufferSize - 1)));
    // The rest of an over-long answer would otherwise be taken as the answer
    // to the next command: read it away so the session stays in step.
    ReadRestOfAnswer(session, status, nullptr);
    return status;
}

QueryResult SessionTable::QueryEx(int slot, std::string_view command, QueryVariant variant) {
    QueryResult result;
    const ViSession session = SessionForSlot(slot, &result.refusal);
    if (session == VI_NULL) return Refuse(std::move(result));
    return Exchange(session, command, variant);
}

QueryResult SessionTable::QueryDiscoveryIndex(int index, std::string_view command) {
    QueryResult result;
    if (index < 0 || index >= m_rawCount ||
        m_rawSession[static_cast<std::size_t>(index)] == VI_NULL) {
        result.refusal = "No instrument at discovery index " + std::to_string(index) + ".";
        return Refuse(std::move(result));
    }
    return Exchange(m_rawSession[static_cast<std::size_t>(index)], command,
                    QueryVariant::MainWindow);
}

QueryResult SessionTable::Refuse(QueryResult result) {
    m_answerBuf.clear();
    m_lastReadOk = 0;
    m_status = VI_ERROR_INV_OBJECT;
    result.readStatus = m_status;
    return result;
}

QueryResult SessionTable::Exchange(ViSession session, std::string_view command,
                                   QueryVariant variant) {
    QueryResult result;
    m_answerBuf.clear();
    if (command.size() > kMaxCommandLength) {
        // The command buffer holds 99 characters: a longer command is refused
        // whole rather than cut and sent half.
        result.refusal = "The command is longer than " + std::to_string(kMaxCommandLength) +
                         " characters; nothing was sent.";
        m_lastReadOk = 0;
        return result;
    }

    if (variant == QueryVariant::MainWindow) {
        ViUInt32 written = 0;
        result.writeStatus = viWrite(session, reinterpret_cast<ViConstBuf>(command.data()),
                                     static_cast<ViUInt32>(command.size()), &written);
        m_retCount = written;
    } else {
        // Text from the user or an instrument is data, never a format.
        const std::string text(command);
        result.writeStatus = viPrintf(session, "%s", text.c_str());
    }
    result.sent = result.writeStatus >= VI_SUCCESS;

    if (!IsQueryCommand(command)) return result;
    if (!result.sent) {
        // No point waiting the whole timeout for an answer to a command that
        // never left: report the failed write as the status of this exchange.
        m_status = result.writeStatus;
        m_lastReadOk = 0;
        result.readStatus = result.writeStatus;
        return result;
    }

    result.readAttempted = true;
    std::string raw;
    const ViStatus status = ReadInto(session, variant, raw);
    m_status = status;
    m_lastReadOk = status == VI_SUCCESS ? 1 : 0;
    result.readStatus = status;
    if (status < VI_SUCCESS) {
        // A read that failed left nothing usable; after a timeout the transfer
        // is cleared so that a late answer cannot pass for the next one.
        raw.clear();
        if (status == VI_ERROR_TMO) viClear(session);
    }
    m_answerBuf = raw;
    result.answer = CleanAnswer(raw, variant == QueryVariant::MainWindow);
    return result;
}

std::string SessionTable::Query(int slot, std::string_view command, QueryVariant variant) {
    return QueryEx(slot, command, variant).answer;
}

ViStatus SessionTable::WriteRaw(int slot, std::string_view text, std::size_t count) {
    const ViSession session = slotSession(slot);
    if (session == VI_NULL) return VI_ERROR_INV_OBJECT;
    count = std::min(count, text.size());
    ViUInt32 written = 0;
    const ViStatus status = viWrite(session, reinterpret_cast<ViConstBuf>(text.data()),
                                    static_cast<ViUInt32>(count), &written);
    m_retCount = written;
    return status;
}

RawRead SessionTable::ReadRaw(int slot) {
    RawRead result;
    const ViSession session = slotSession(slot);
    if (session == VI_NULL) {
        result.status = VI_ERROR_INV_OBJECT;
    } else {
        std::string raw;
        result.status = ReadInto(session, QueryVariant::DeviceSettings, raw);
        if (result.status >= VI_SUCCESS) result.text = CleanAnswer(raw, false);
    }
    m_status = result.status;
    m_lastReadOk = result.status == VI_SUCCESS ? 1 : 0;
    m_answerBuf = result.text;
    return result;
}

ViStatus SessionTable::Clear(int slot) {
    const ViSession session = slotSession(slot);
    return session == VI_NULL ? VI_ERROR_INV_OBJECT : viClear(session);
}

ViStatus SessionTable::SetTimeout(int slot, ViUInt32 ms) {
    const ViSession session = slotSession(slot);
    return session == VI_NULL ? VI_ERROR_INV_OBJECT
                              : viSetAttribute(session, VI_ATTR_TMO_VALUE, ms);
}

void SessionTable::CloseAll() {
    // Every session discovery opened is closed, accepted or not; closing the
    // resource managers would close them anyway.
    for (int i = 0; i < m_rawCount; ++i) {
        auto& s = m_rawSession[static_cast<std::size_t>(i)];
        if (s != VI_NULL) viClose(s);
        s = VI_NULL;
    }
    for (auto& f : m_findList) {
        if (f != VI_NULL) viClose(f);
        f = VI_NULL;
    }
    for (auto& rm : m_rm) {
        if (rm != VI_NULL) viClose(rm);
        rm = VI_NULL;
    }
    m_rawCount = 0;
    m_slotCount = 0;
    m_slotSession.fill(VI_NULL);
    m_slotToRaw.fill(0);
    m_findCount[0] = m_findCount[1] = 0;
}

}  // namespace qm
