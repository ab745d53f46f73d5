#pragma once
// The controller's options storage: "Options.kvt" encrypted with OpenSSL.

#include "app/platform.h"
#include "options/openssl_options_cipher.h"
#include "options/options_file.h"

#include <filesystem>
#include <thread>

namespace kvt {

class OptionsStorageFile final : public OptionsStorage {
public:
    // With a file named, the file is read and decrypted ahead on the key thread, so that
    // the start-up does not wait for it. The first read() of that file takes the result
    // when the file on disk is still the very one read ahead, and reads afresh otherwise.
    explicit OptionsStorageFile(std::filesystem::path readAhead = {});
    ~OptionsStorageFile() override;
    OptionsStorageFile(const OptionsStorageFile&) = delete;
    OptionsStorageFile& operator=(const OptionsStorageFile&) = delete;
    OptionsReadOutcome read(const std::filesystem::path& file, OptionsRecord& record) override;
    std::optional<std::string> write(const std::filesystem::path& file, OptionsRecord& record) override;

    // Whether the last read() took the file read ahead.
    bool lastReadWasAhead() const { return m_lastReadWasAhead; }
    // Waits until the key thread is done; read() and write() wait for it themselves.
    void finishReadAhead();

private:
    // What is known of the file read ahead: kept open, so that its identity cannot pass
    // to another file while the result waits.
    struct FileIdentity {
        unsigned long long device = 0;
        unsigned long long inode = 0;
        long long size = 0;
        long long modifiedSeconds = 0;
        long long modifiedNanoseconds = 0;
        long long changedSeconds = 0;
        long long changedNanoseconds = 0;
        bool operator==(const FileIdentity&) const = default;
    };

    void readAhead();
    bool takeReadAhead(const std::filesystem::path& file, OptionsRecord& record);
    void dropReadAhead();

    OpenSslOptionsCipher m_cipher;
    OptionsFile m_file;
    std::filesystem::path m_readAheadFile;
    LoadedOptions m_readAhead;
    FileIdentity m_readAheadIdentity;
    int m_readAheadHandle = -1;
    bool m_lastReadWasAhead = false;
    // Loads the cipher library, derives the key and reads the file ahead while the
    // start-up does other work; none without a file to read ahead.
    std::thread m_keyThread;
};

} // namespace kvt
