#include "app/installation_check.h"

#include "app/language_module.h"
#include "common/language_codes.h"

#include <system_error>
#include <vector>

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

// The modules the program loads when their work is first asked for.
std::vector<std::string> laterModuleFileNames()
{
#if defined(_WIN32)
    return {"Kalvora_Tools_Network.dll", "Kalvora_Tools_Print.dll"};
#else
    return {"libKalvora_Tools_Network.so", "libKalvora_Tools_Print.so"};
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
    // The network and print modules are loaded only when the server is asked or a report
    // printed, so their absence would otherwise show first as a connection that never
    // works or a print command that fails.
    std::error_code error;
    for (const std::string& name : laterModuleFileNames()) {
        const std::filesystem::path module = programDirectory / name;
        const bool there = std::filesystem::is_regular_file(module, error);
        check.complete = check.complete && there;
        check.text += (there ? "ok       " : "MISSING  ") + module.string() + "\n";
    }
    // The calculations library is optional: without it "Berechnungen" opens nothing.
    const std::filesystem::path library = programDirectory / calculationsLibraryFileName();
    check.text += (std::filesystem::is_regular_file(library, error) ? "ok       " : "absent   ") + library.string()
        + " (optional)\n";
    return check;
}

} // namespace kvt
