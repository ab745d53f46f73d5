#pragma once
// Language modules: "Kalvora_Tools_de_de.lang" and "Kalvora_Tools_en_us.lang" beside
// the program, UTF-8 lines of "id<TAB>text" with "\n", "\t" and "\\" escaped. A
// module is loaded whole or not at all; without one the built-in German texts are used.

#include "common/language_codes.h"
#include "common/text_lookup.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

namespace kvt {

// File name of the module for a language code; empty for codes without a module.
std::string languageModuleFileName(std::int32_t languageCode);
// A module larger than this is no language module; reading it whole could exhaust memory.
inline constexpr std::uintmax_t kMaxLanguageModuleBytes = 4u << 20;

// Text of the message shown when the module of a language cannot be loaded from the
// folder: it names the file that was looked for, with its folder.
std::string languageLoadFailureText(const std::filesystem::path& folder, std::int32_t languageCode);

// Parses a module's text; nullopt when a line is malformed, so that a damaged module
// is refused as a whole instead of leaving some texts missing.
std::optional<std::unordered_map<int, std::string>> parseLanguageModule(const std::string& content);

class LanguageModule final : public TextLookup {
public:
    // Loads the module of the language code from the folder; false (and no module)
    // when the file is missing, unreadable, damaged, larger than
    // kMaxLanguageModuleBytes or not a regular file (a FIFO or a device would block or
    // never end).
    bool load(const std::filesystem::path& folder, std::int32_t languageCode);
    void unload();
    bool loaded() const { return m_loaded; }

    std::string text(int id, std::string_view builtin) const override;

private:
    bool m_loaded = false;
    std::unordered_map<int, std::string> m_texts;
};

} // namespace kvt
