#pragma once
// The data directory: one folder per report kind, the tool database with its ten
// machine folders and the folders for customer calculation libraries. The tree is
// created at every start; the options dialog deletes reports older than a few days.

#include "common/clock.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace kvt {

// In the order they are created, after the data directory itself.
inline constexpr std::array<std::string_view, 27> kDataDirectoryLayout = {
    "KSM",
    "RS232",
    "SDR",
    "PSH",
    "AMDWS",
    "BTB",
    "FLA",
    "MIC",
    "STFT",
    "TA",
    "SLN",
    "TDW",
    "ToolsDatabase",
    "GAL",
    "CustomCalculations",
    "CustomCalculations/32",
    "CustomCalculations/64",
    "ToolsDatabase/Machine00",
    "ToolsDatabase/Machine01",
    "ToolsDatabase/Machine02",
    "ToolsDatabase/Machine03",
    "ToolsDatabase/Machine04",
    "ToolsDatabase/Machine05",
    "ToolsDatabase/Machine06",
    "ToolsDatabase/Machine07",
    "ToolsDatabase/Machine08",
    "ToolsDatabase/Machine09",
};

// Folders whose old ".txt" files the clean-up deletes, in this order. GAL is not among
// them.
inline constexpr std::array<std::string_view, 13> kCleanedReportFolders = {
    "KSM",
    "RS232",
    "SDR",
    "PSH",
    "AMDWS",
    "BTB",
    "FLA",
    "MIC",
    "STFT",
    "TA",
    "SLN",
    "TDW",
    "ToolsDatabase",
};

// The ages the options page offers ("*3 Tage", "*7 Tage", "*30 Tage").
inline constexpr std::array<int, 3> kReportAgeChoices = {3, 7, 30};

// Creates what is missing; a folder that cannot be created is skipped. Returns the
// number of folders that are missing afterwards (0 when all is well).
int createDataDirectories(const std::filesystem::path& dataDirectory);

// Deletes the ".txt" files of `folder` whose age in whole days is greater than `days`:
// a file exactly `days` days old stays. Returns the number of files deleted. A negative
// `days` deletes nothing.
int deleteOldFiles(const std::filesystem::path& folder, int days, const Clock& clock);

// deleteOldFiles on each existing folder of kCleanedReportFolders.
int deleteOldReports(const std::filesystem::path& dataDirectory, int days, const Clock& clock);

} // namespace kvt
