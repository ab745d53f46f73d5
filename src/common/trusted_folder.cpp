#include "common/trusted_folder.h"

#if defined(_WIN32)
#include <aclapi.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvt {

namespace {

#if defined(_WIN32)
// Refuses a folder whose access list lets Everyone write or create files in it.
bool othersMayWrite(const std::filesystem::path& folder)
{
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(
            folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return true;
    bool writable = acl == nullptr; // no access list: everybody may do everything
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!writable && AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        TRUSTEE_W trustee {};
        BuildTrusteeWithSidW(&trustee, everyone);
        ACCESS_MASK rights = 0;
        if (GetEffectiveRightsFromAclW(acl, &trustee, &rights) != ERROR_SUCCESS)
            writable = true;
        else
            writable
                = (rights & (FILE_ADD_FILE | FILE_WRITE_DATA | FILE_ADD_SUBDIRECTORY | WRITE_DAC | WRITE_OWNER)) != 0;
        FreeSid(everyone);
    } else if (!writable) {
        writable = true;
    }
    LocalFree(descriptor);
    return writable;
}
#else
bool othersMayWrite(const std::filesystem::path& folder)
{
    struct stat info { };
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return true;
    if (info.st_uid != ::geteuid() && info.st_uid != 0)
        return true;
    return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}
#endif

} // namespace

std::optional<std::filesystem::path> folderOthersMayWrite(std::span<const std::filesystem::path> folders)
{
    for (const std::filesystem::path& folder : folders) {
        if (othersMayWrite(folder))
            return folder;
    }
    return std::nullopt;
}

} // namespace kvt
