// LIBS: qm_platform
// Profile text from outside: the parser, the lookups and the line edits must
// hold up against any bytes, and an edit must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ProfileDocument.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qm::ProfileDocument doc = qm::ProfileDocument::FromBytes(bytes);

    for (std::string_view section : {"Information", "English(U.S)", "chinese(traditional)", ""})
        for (std::string_view key : {"LanguageID", "1000", "0.01", "156", ""})
            for (std::size_t buffer : {0u, 1u, 5u, 256u})
                Check(qm::ProfileLookup(doc, section, key, "default", buffer).size() <
                      (buffer == 0 ? 1 : buffer));
    for (const std::string& name : doc.SectionNames()) (void)doc.KeyNames(name);

    // Set a key, read it back; remove it and its section again.
    const auto set = qm::EditProfileBytes(bytes, "English(U.S)", "1000", "No Device Connected");
    Check(set.has_value());
    const qm::ProfileDocument edited = qm::ProfileDocument::FromBytes(*set);
    Check(qm::ProfileLookup(edited, "english(u.s)", "1000", "") == "No Device Connected");

    const auto removedKey = qm::EditProfileBytes(*set, "English(U.S)", "1000", std::nullopt);
    Check(removedKey.has_value());
    Check(!qm::ProfileDocument::FromBytes(*removedKey).Find("English(U.S)", "1000"));

    const auto removedSection =
        qm::EditProfileBytes(*set, "English(U.S)", std::nullopt, std::nullopt);
    Check(removedSection.has_value());
    Check(!qm::ProfileDocument::FromBytes(*removedSection).HasSection("English(U.S)"));
    return 0;
}
