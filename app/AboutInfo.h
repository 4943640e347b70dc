#pragma once
// What the About box says: the program's name and version, the maker's
// notice and web address, and the language choice it offers.
#include <array>
#include <string_view>

namespace qm {

inline constexpr std::string_view kAboutCaption = "About Vidazuvazu Zize";
inline constexpr std::string_view kAboutProgramTitle = "DA-VIVO";
// The version line and the systems the program runs on.
inline constexpr std::string_view kAboutVersionText =
    "Version  2.04\nFor Linux desktops (Debian 12 or later)";
inline constexpr std::string_view kAboutNotice = "Copyright (C) Varnet. All rights reserved.";
inline constexpr std::string_view kAboutWebAddress = "https://www.varnet.example/";

// The entries of the language list, in the order LanguageForChoice() maps
// them to language sections.
inline constexpr std::array<std::string_view, 3> kLanguageChoiceTexts = {
    "English(U.S)", "Chinese(T.C)", "Chinese(S.C)"};

// The About box's tab captions: keys 200 and 201.
inline constexpr std::string_view kAboutTabKey = "200";
inline constexpr std::string_view kAboutTabDefault = "About";
inline constexpr std::string_view kLanguageTabKey = "201";
inline constexpr std::string_view kLanguageTabDefault = "Language";

}  // namespace qm
