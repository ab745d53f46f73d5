#pragma once
// The controller's options storage: "Options.kvt" encrypted with OpenSSL.

#include "app/platform.h"
#include "options/openssl_options_cipher.h"
#include "options/options_file.h"

#include <thread>

namespace kvt {

class OptionsStorageFile final : public OptionsStorage {
public:
    OptionsStorageFile();
    ~OptionsStorageFile() override;
    OptionsStorageFile(const OptionsStorageFile&) = delete;
    OptionsStorageFile& operator=(const OptionsStorageFile&) = delete;
    OptionsReadOutcome read(const std::filesystem::path& file, OptionsRecord& record) override;
    std::optional<std::string> write(const std::filesystem::path& file, OptionsRecord& record) override;

private:
    void waitForKey();

    OpenSslOptionsCipher m_cipher;
    OptionsFile m_file;
    // Loads the cipher library and derives the key while the start-up does other work.
    std::thread m_keyThread;
};

} // namespace kvt
