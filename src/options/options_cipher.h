#pragma once
// The cipher behind "Options.kvt": a key derived with PBKDF2-HMAC-SHA256 and AES-256
// in CBC mode without padding and with a zero initial vector. Core code sees only this
// interface; the OpenSSL implementation lives in openssl_options_cipher.h, and tests
// put in fakes that fail on purpose. Every operation reports success or failure so the
// options file can show the message that belongs to the failing step.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kvt {

inline constexpr std::size_t kOptionsKeySize = 32; // AES-256
inline constexpr std::size_t kCipherBlockSize = 16; // AES block

using OptionsKey = std::array<std::uint8_t, kOptionsKeySize>;

class OptionsCipher {
public:
    virtual ~OptionsCipher() = default;

    // PBKDF2 with HMAC-SHA256, `iterations` rounds, kOptionsKeySize bytes of output.
    virtual bool deriveKey(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
        std::uint32_t iterations, OptionsKey& key)
        = 0;

    // Bytes that encrypt() produces for `plainLength` bytes. Without padding this is the
    // same length, and only whole blocks can be encrypted.
    virtual bool encryptedLength(std::size_t plainLength, std::size_t& length)
    {
        if (plainLength % kCipherBlockSize != 0) {
            return false;
        }
        length = plainLength;
        return true;
    }

    // AES-256-CBC, zero initial vector, no padding. `input` and `output` have the same
    // size, a multiple of kCipherBlockSize, and are either the same bytes (in place) or
    // do not overlap at all.
    virtual bool encrypt(const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
        = 0;
    virtual bool decrypt(const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
        = 0;
};

} // namespace kvt
