#include "options/openssl_options_cipher.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <openssl/evp.h>

namespace kvt {

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

// One pass of AES-256-CBC over whole blocks. OpenSSL takes int lengths, so the data is
// fed in slices; CBC carries its chaining state in the context between them.
bool runCipher(
    bool encrypting, const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
{
    if (input.size() != output.size() || input.size() % kCipherBlockSize != 0) {
        return false;
    }
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
    if (!context) {
        return false;
    }
    const unsigned char zeroIv[kCipherBlockSize] = {};
    if (EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, key.data(), zeroIv, encrypting ? 1 : 0) != 1) {
        return false;
    }
    if (EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return false;
    }
    constexpr std::size_t kSlice = std::size_t {1} << 30;
    std::size_t done = 0;
    while (done < input.size()) {
        const std::size_t slice = std::min(kSlice, input.size() - done);
        int written = 0;
        if (EVP_CipherUpdate(
                context.get(), output.data() + done, &written, input.data() + done, static_cast<int>(slice))
                != 1
            || static_cast<std::size_t>(written) != slice) {
            return false;
        }
        done += slice;
    }
    // Without padding nothing is held back; Final only checks that no partial block is left.
    unsigned char tail[kCipherBlockSize];
    int tailLength = 0;
    return EVP_CipherFinal_ex(context.get(), tail, &tailLength) == 1 && tailLength == 0;
}

} // namespace

bool OpenSslOptionsCipher::deriveKey(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
    std::uint32_t iterations, OptionsKey& key)
{
    if (password.size() > INT_MAX || salt.size() > INT_MAX || iterations == 0 || iterations > INT_MAX) {
        return false;
    }
    return PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(password.data()), static_cast<int>(password.size()),
               salt.data(), static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
               static_cast<int>(key.size()), key.data())
        == 1;
}

bool OpenSslOptionsCipher::encrypt(
    const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
{
    return runCipher(true, key, input, output);
}

bool OpenSslOptionsCipher::decrypt(
    const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
{
    return runCipher(false, key, input, output);
}

} // namespace kvt
