#pragma once
// "Kalvora_Tools --check-installation": what a shop's administrator (and the package
// check) runs to see that an installed program finds the files it needs beside itself,
// without starting a window or touching the user's data.

#include <filesystem>
#include <string>

namespace kvt {

struct InstallationCheck {
    bool complete = false; // every file the program needs was found and read
    std::string text; // one line per file, for the terminal
};

InstallationCheck checkInstallation(const std::filesystem::path& programDirectory);

} // namespace kvt
