#pragma once
// Language texts of QM_TOOL: every user-visible text that can change with the
// language is read from QM_TOOL.ini by numeric key, in the section named after
// the current language, with the built-in English text as the default.
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "platform/TextSource.h"

namespace qm {

// Section names of the three languages in QM_TOOL.ini.
inline constexpr std::string_view kLanguageEnglish = "English(U.S)";
inline constexpr std::string_view kLanguageChineseTraditional = "Chinese(Traditional)";
inline constexpr std::string_view kLanguageChineseSimplified = "Chinese(Simplify)";

// Section "Information": the language last applied, and the list of languages
// (comma-separated section names) that the link engine offers.
inline constexpr std::string_view kInformationSection = "Information";
inline constexpr std::string_view kLanguageIdKey = "LanguageID";
inline constexpr std::string_view kLanguageListKey = "Language";

inline constexpr std::string_view kLanguageFileName = "QM_TOOL.ini";
// Texts are read into buffers of this size (255 bytes at most).
inline constexpr std::size_t kLanguageTextBufferSize = 256;
// Toolbar tooltips are kept in 30-character buffers.
inline constexpr std::size_t kToolTipBufferSize = 30;

// Shown once at start-up when QM_TOOL.ini is missing; the program goes on in English.
inline constexpr std::string_view kMissingLanguageFileMessage =
    "You lost the important file: QM_TOOL.ini , Please reinstall.\n the application. "
    "Otherwise, the application can't support other \nlanguages except English.";
inline constexpr std::string_view kMissingLanguageFileCaption = "Error";

// One text of the main menu: the title of submenu `menu` (item -1) or the
// entry at position `item` of that submenu, with its command identifier.
struct MenuText {
    int menu;
    int item;
    int commandId;  // 0 for a submenu title
    std::string_view key;
    std::string_view englishDefault;
};

// A text shown on a control (label or toolbar button), by identifier.
struct ControlText {
    int id;
    std::string_view key;
    std::string_view englishDefault;
};

// A key of the language file with the English text QM_TOOL.ini carries for it.
struct TextKey {
    std::string_view key;
    std::string_view englishText;
};

// Main menu texts in menu order; the key of an entry is "%d%d" of (menu,
// position + 1), the title's "%d0". Note the defaults: the "Help" title reads
// "About" and the Reading Settings entry reads "Reading manager".
std::span<const MenuText> MainMenuTexts();
// Labels 1125-1129 of the main window (keys 51-55).
std::span<const ControlText> MainWindowLabelTexts();
// Tooltips of the toolbar buttons by command: Start, Stop, Set Device (keys 61-63).
std::span<const ControlText> ToolbarTipTexts();
// Every key that QM_TOOL reads, with the English text of the shipped file.
// Key "02" serves as the Reading Settings page caption ("Reading Settings")
// and as a menu entry (default "Reading manager"); key "89" captions both the
// temperature sensor list ("Sensor") and the thermocouple type ("TYPE").
std::span<const TextKey> AllTextKeys();

// The language section of an entry of the About box's language list:
// 1 Traditional Chinese, 2 Simplified Chinese, anything else English.
std::string_view LanguageForChoice(int entry);

class LanguageTexts final : public TextSource {
  public:
    // Reads the language file of this installation (LanguageFilePath()).
    LanguageTexts();
    explicit LanguageTexts(std::filesystem::path file);

    // The text of key in the current language's section, else the default;
    // at most 255 bytes.
    std::string GetText(std::string_view key, std::string_view englishDefault) const override;

    void SetLanguage(std::string_view name) { language_ = name; }
    const std::string& language() const { return language_; }
    const std::filesystem::path& filePath() const { return file_; }

    bool FileExists() const;
    // Records the current language as Information/LanguageID. A missing file
    // is left missing (so its absence is still reported at the next start);
    // false when nothing was written.
    bool WriteLanguageId() const;

  private:
    std::filesystem::path file_;
    std::string language_{kLanguageEnglish};
};

}  // namespace qm
