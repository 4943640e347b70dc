#include "console/CommandConsole.h"

#include <algorithm>
#include <array>

#include "instrument/Discovery.h"
#include "instrument/SessionTable.h"
#include "platform/TextSource.h"

namespace qm {

std::string ConsoleTooLongMessage() {
    return "The command is longer than " + std::to_string(kConsoleCommandLimit) +
           " characters; nothing was sent.";
}

std::string ConsoleCutAnswerNote() {
    return "(The answer was longer than " + std::to_string(kConsoleAnswerLimit) +
           " bytes; the rest was discarded.)";
}

void CommandConsole::SetDevices(const std::vector<DeviceSlot>& devices) {
    m_devices.clear();
    // Only labelled meters get an entry in the device choice.
    for (const DeviceSlot& d : devices)
        if (!d.label.empty()) m_devices.push_back({d.label, d.session});
}

ConsoleOpening CommandConsole::Open() {
    ConsoleOpening view;
    m_history.Clear();
    for (const Device& d : m_devices) view.entries.push_back(d.label);
    view.enabled = !m_devices.empty();
    if (!view.enabled) view.entries.push_back(m_texts.GetText("1000", "No Device Connected"));
    view.sendText = std::string(kConsoleInitialCommand);
    return view;
}

std::string CommandConsole::RefusalOf(std::string_view sendText) const {
    // A blank command would only earn a wait for an answer that never comes.
    if (sendText.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return std::string(kConsoleEmptyCommand);
    // The text is cut nowhere: half a command could set something else than
    // what was typed.
    if (sendText.size() > kConsoleCommandLimit) return ConsoleTooLongMessage();
    if (sendText.find('\0') != std::string_view::npos) return std::string(kConsoleNulInCommand);
    return {};
}

ViSession CommandConsole::SessionOf(int entry) const {
    if (entry < 0 || entry >= deviceCount()) return VI_NULL;
    return m_devices[static_cast<std::size_t>(entry)].session;
}

ConsoleResult CommandConsole::NoMeter() const {
    return {ConsoleOutcome::Refused, m_texts.GetText("1000", "No Device Connected")};
}

void CommandConsole::WriteText(ViSession session, std::string_view sendText) {
    std::string buffer(sendText);
    buffer += '\n';
    // The typed text is data: it goes out as itself, whatever '%' it holds.
    m_lastStatus = viPrintf(session, "%s", buffer.c_str());
}

ConsoleResult CommandConsole::ReadAnswer(ViSession session) {
    std::array<unsigned char, kAnswerBufferSize> buffer{};
    std::string raw;
    ViStatus status = VI_SUCCESS;
    ViUInt32 got = 0;
    do {
        got = 0;
        status = viRead(session, buffer.data(), static_cast<ViUInt32>(buffer.size()), &got);
        got = std::min<ViUInt32>(got, static_cast<ViUInt32>(buffer.size()));
        raw.append(reinterpret_cast<const char*>(buffer.data()), got);
        // A full buffer without the end of the message: the rest follows.
    } while (status == VI_SUCCESS_MAX_CNT && raw.size() < kConsoleAnswerLimit);
    m_lastStatus = status;
    m_lastByteCount = got;

    if (status < VI_SUCCESS) {
        // After a timeout the transfer is cleared, so that a late answer
        // cannot pass for the answer to the next command.
        if (status == VI_ERROR_TMO) viClear(session);
        return {ConsoleOutcome::Failed, std::string(kConsoleNoValue)};
    }
    ConsoleResult result{ConsoleOutcome::Answered, CleanAnswer(raw, /*removeQuotes=*/false)};
    if (status == VI_SUCCESS_MAX_CNT) {
        // Cut at the limit: what is left of the message is dropped, not
        // kept for the next read.
        viClear(session);
        result.received += '\n';
        result.received += ConsoleCutAnswerNote();
    }
    return result;
}

std::optional<ConsoleResult> CommandConsole::Send(int entry, std::string_view sendText,
                                                  ViSession& session) {
    const std::string refusal = RefusalOf(sendText);
    if (!refusal.empty()) return ConsoleResult{ConsoleOutcome::Refused, refusal};
    session = SessionOf(entry);
    if (session == VI_NULL) return NoMeter();
    WriteText(session, sendText);
    m_history.Add(sendText);
    return std::nullopt;
}

ConsoleResult CommandConsole::Query(int entry, std::string_view sendText) {
    ViSession session = VI_NULL;
    if (std::optional<ConsoleResult> refused = Send(entry, sendText, session)) return *refused;
    // A command that never left gets no answer: no point waiting the whole
    // session timeout for one.
    if (m_lastStatus < VI_SUCCESS) return {ConsoleOutcome::Failed, std::string(kConsoleNoValue)};
    return ReadAnswer(session);
}

ConsoleResult CommandConsole::Write(int entry, std::string_view sendText) {
    ViSession session = VI_NULL;
    if (std::optional<ConsoleResult> refused = Send(entry, sendText, session)) return *refused;
    if (m_lastStatus < VI_SUCCESS)
        return {ConsoleOutcome::Failed, std::string(kConsoleWriteFailed)};
    return {ConsoleOutcome::Answered, std::string()};
}

ConsoleResult CommandConsole::Read(int entry) {
    const ViSession session = SessionOf(entry);
    if (session == VI_NULL) return NoMeter();
    return ReadAnswer(session);
}

}  // namespace qm
