#include "app/language_module.h"

#include "common/code_page.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace kvt {

std::string languageModuleFileName(std::int32_t languageCode)
{
    if (languageCode == kLanguageGerman)
        return "Kalvora_Tools_de_de.lang";
    if (languageCode == kLanguageEnglish)
        return "Kalvora_Tools_en_us.lang";
    return {};
}

std::string languageLoadFailureText(const std::filesystem::path& folder, std::int32_t languageCode)
{
    const std::string name
        = languageModuleFileName(languageCode == kLanguageGerman ? kLanguageGerman : kLanguageEnglish);
    return "Can't load " + pathToUtf8(folder / name) + ".";
}

namespace {

std::optional<std::string> unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

std::optional<std::unordered_map<int, std::string>> parseLanguageModule(const std::string& content)
{
    std::unordered_map<int, std::string> texts;
    std::istringstream lines(content);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            return std::nullopt;
        int id = 0;
        const auto [end, error] = std::from_chars(line.data(), line.data() + tab, id);
        if (error != std::errc() || end != line.data() + tab || id <= 0)
            return std::nullopt;
        auto text = unescape(std::string_view(line).substr(tab + 1));
        if (!text)
            return std::nullopt;
        texts[id] = std::move(*text);
    }
    return texts;
}

bool LanguageModule::load(const std::filesystem::path& folder, std::int32_t languageCode)
{
    unload();
    const std::string name = languageModuleFileName(languageCode);
    if (name.empty())
        return false;
    const std::filesystem::path path = folder / name;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxLanguageModuleBytes)
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    // One byte more than the size looked at tells a file that grows meanwhile, which is
    // refused rather than read without end.
    std::string content(static_cast<std::size_t>(size) + 1, '\0');
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (file.bad() || static_cast<std::uintmax_t>(file.gcount()) > size)
        return false;
    content.resize(static_cast<std::size_t>(file.gcount()));
    auto texts = parseLanguageModule(content);
    if (!texts || texts->empty())
        return false;
    m_texts = std::move(*texts);
    m_loaded = true;
    return true;
}

void LanguageModule::unload()
{
    m_loaded = false;
    m_texts.clear();
}

std::string LanguageModule::text(int id, std::string_view builtin) const
{
    if (!m_loaded)
        return std::string(builtin);
    const auto it = m_texts.find(id);
    if (it != m_texts.end())
        return it->second;
    // An id the module lacks still shows something readable: the built-in text
    // without the marker that flags it as untranslated.
    if (!builtin.empty() && builtin.front() == '*')
        builtin.remove_prefix(1);
    return std::string(builtin);
}

} // namespace kvt
