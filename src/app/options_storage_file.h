#pragma once
// The controller's options storage: "Options.kvt" encrypted with OpenSSL.

#include "app/platform.h"
#include "options/openssl_options_cipher.h"
#include "options/options_file.h"

namespace kvt {

class OptionsStorageFile final : public OptionsStorage {
public:
    OptionsStorageFile();
    OptionsReadOutcome read(const std::filesystem::path& file, OptionsRecord& record) override;
    std::optional<std::string> write(const std::filesystem::path& file, OptionsRecord& record) override;

private:
    OpenSslOptionsCipher m_cipher;
    OptionsFile m_file;
};

} // namespace kvt
