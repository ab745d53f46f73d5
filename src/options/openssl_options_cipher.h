#pragma once
// OptionsCipher on OpenSSL 3 libcrypto (EVP). Gives the same bytes as the Windows
// BCrypt primitives for the same key, so options files move between the platforms.

#include "options/options_cipher.h"

namespace kvt {

class OpenSslOptionsCipher final : public OptionsCipher {
public:
    bool deriveKey(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt, std::uint32_t iterations,
        OptionsKey& key) override;
    bool encrypt(const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output) override;
    bool decrypt(const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output) override;
};

} // namespace kvt
