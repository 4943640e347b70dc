#pragma once
// The command console without its widgets: free SCPI write, read and query
// to one of the meters the main window found, the answer as text, and the
// history of sent commands. The console page and `qmcli console` both drive it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/CommandHistory.h"
#include "visa/visa.h"

namespace qm {

class TextSource;
struct DeviceSlot;

// The command buffer holds 100 bytes: the text, its line feed and the
// terminator, so at most 98 characters of text are written.
inline constexpr std::size_t kConsoleCommandLimit = 98;
// Beyond this an answer is cut: a meter that never ends its message must not
// hold the program for ever nor fill its memory.
inline constexpr std::size_t kConsoleAnswerLimit = std::size_t{1} << 20;

inline constexpr std::string_view kConsoleInitialCommand = "*IDN?";
inline constexpr std::string_view kConsoleNoValue = "Couldn't return a value.";
inline constexpr std::string_view kConsoleWriteFailed = "FAIL.";
inline constexpr std::string_view kConsoleEmptyCommand = "The command is empty; nothing was sent.";
inline constexpr std::string_view kConsoleNulInCommand =
    "The command holds a NUL character; nothing was sent.";

// "The command is longer than 98 characters; nothing was sent."
std::string ConsoleTooLongMessage();
// The line put under an answer that was cut at kConsoleAnswerLimit bytes.
std::string ConsoleCutAnswerNote();

// What the page shows when it opens; entry 0 of the device choice is selected.
struct ConsoleOpening {
    std::vector<std::string> entries;  // the device choice
    // The send edit, the received edit and the three action buttons.
    bool enabled = false;
    std::string sendText;
    std::string receivedText;
};

enum class ConsoleOutcome {
    Answered,  // Query and Read: the meter answered; Write: the command went out
    Failed,    // the write or the read failed
    Refused,   // nothing was sent (empty or over-long command, no meter)
};

struct ConsoleResult {
    ConsoleOutcome outcome = ConsoleOutcome::Refused;
    std::string received;  // what the received edit shows
    bool ok() const { return outcome == ConsoleOutcome::Answered; }
};

class CommandConsole {
  public:
    explicit CommandConsole(const TextSource& texts) : m_texts(texts) {}

    // The meters of the last discovery: their labels and sessions. The
    // console opens and closes no session of its own.
    void SetDevices(const std::vector<DeviceSlot>& devices);
    int deviceCount() const { return static_cast<int>(m_devices.size()); }

    // Opening the page: the device choice, the initial texts; the history
    // starts empty, as it lives only as long as the page is open.
    ConsoleOpening Open();

    // `entry` is the position in the device choice. Query and Write record
    // the text in the history once it has been sent.
    ConsoleResult Query(int entry, std::string_view sendText);
    ConsoleResult Write(int entry, std::string_view sendText);
    ConsoleResult Read(int entry);

    const CommandHistory& history() const { return m_history; }
    ViStatus lastStatus() const { return m_lastStatus; }
    ViUInt32 lastByteCount() const { return m_lastByteCount; }

  private:
    struct Device {
        std::string label;
        ViSession session = VI_NULL;
    };

    // Why `sendText` cannot go out, or empty when it can.
    std::string RefusalOf(std::string_view sendText) const;
    ViSession SessionOf(int entry) const;
    ConsoleResult NoMeter() const;
    void WriteText(ViSession session, std::string_view sendText);
    // Writes the text to the meter of `entry` and records it in the history;
    // what the user is told instead when nothing could be sent.
    std::optional<ConsoleResult> Send(int entry, std::string_view sendText, ViSession& session);
    // One whole answer, in as many reads of 1024 bytes as it takes.
    ConsoleResult ReadAnswer(ViSession session);

    const TextSource& m_texts;
    std::vector<Device> m_devices;
    CommandHistory m_history;
    ViStatus m_lastStatus = VI_SUCCESS;
    ViUInt32 m_lastByteCount = 0;
};

}  // namespace qm
