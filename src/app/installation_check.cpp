#include "app/installation_check.h"

#include "app/language_module.h"
#include "common/language_codes.h"

#include <system_error>

namespace kvt {

namespace {

std::string calculationsLibraryFileName()
{
#if defined(_WIN32)
    return "Kalvora_Tools_Calculations_Common_x86.dll";
#else
    return "libKalvora_Tools_Calculations_Common_x86.so";
#endif
}

} // namespace

InstallationCheck checkInstallation(const std::filesystem::path& programDirectory)
{
    InstallationCheck check;
    check.complete = true;
    check.text = "Program directory: " + programDirectory.string() + "\n";
    for (const std::int32_t language : {kLanguageGerman, kLanguageEnglish}) {
        const std::filesystem::path file = programDirectory / languageModuleFileName(language);
        LanguageModule module;
        const bool loaded = module.load(programDirectory, language);
        check.complete = check.complete && loaded;
        check.text += (loaded ? "ok       " : "MISSING  ") + file.string() + "\n";
    }
    // The calculations library is optional: without it "Berechnungen" opens nothing.
    std::error_code error;
    const std::filesystem::path library = programDirectory / calculationsLibraryFileName();
    check.text += (std::filesystem::is_regular_file(library, error) ? "ok       " : "absent   ") + library.string()
        + " (optional)\n";
    return check;
}

} // namespace kvt
