#include "options/openssl_options_cipher.h"

#include <algorithm>
#include <climits>
#include <memory>

#include <openssl/evp.h>

#ifndef _WIN32
#include <mutex>

#include <dlfcn.h>
#endif

namespace kvt {

namespace {

// The functions of libcrypto in use, with the names and types of the OpenSSL 3 headers.
struct Crypto {
    decltype(&::PKCS5_PBKDF2_HMAC) PKCS5_PBKDF2_HMAC = nullptr;
    decltype(&::EVP_sha256) EVP_sha256 = nullptr;
    decltype(&::EVP_aes_256_cbc) EVP_aes_256_cbc = nullptr;
    decltype(&::EVP_CIPHER_CTX_new) EVP_CIPHER_CTX_new = nullptr;
    decltype(&::EVP_CIPHER_CTX_free) EVP_CIPHER_CTX_free = nullptr;
    decltype(&::EVP_CipherInit_ex) EVP_CipherInit_ex = nullptr;
    decltype(&::EVP_CIPHER_CTX_set_padding) EVP_CIPHER_CTX_set_padding = nullptr;
    decltype(&::EVP_CipherUpdate) EVP_CipherUpdate = nullptr;
    decltype(&::EVP_CipherFinal_ex) EVP_CipherFinal_ex = nullptr;
};

#ifndef _WIN32

// libcrypto is loaded the first time a key is derived, not with the program: a start
// with options reads them on a thread of its own and a first start reads none, so the
// library and its own start-up cost the first window nothing.

template<typename Function> bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

// nullptr when the library or one of its functions is missing; the options then fail
// with the key's message, as they would with a library that refused to work.
const Crypto* crypto()
{
    static Crypto loaded;
    static const Crypto* usable = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            return;
        }
        Crypto& c = loaded;
        if (resolve(library, "PKCS5_PBKDF2_HMAC", c.PKCS5_PBKDF2_HMAC) && resolve(library, "EVP_sha256", c.EVP_sha256)
            && resolve(library, "EVP_aes_256_cbc", c.EVP_aes_256_cbc)
            && resolve(library, "EVP_CIPHER_CTX_new", c.EVP_CIPHER_CTX_new)
            && resolve(library, "EVP_CIPHER_CTX_free", c.EVP_CIPHER_CTX_free)
            && resolve(library, "EVP_CipherInit_ex", c.EVP_CipherInit_ex)
            && resolve(library, "EVP_CIPHER_CTX_set_padding", c.EVP_CIPHER_CTX_set_padding)
            && resolve(library, "EVP_CipherUpdate", c.EVP_CipherUpdate)
            && resolve(library, "EVP_CipherFinal_ex", c.EVP_CipherFinal_ex)) {
            usable = &loaded;
        }
        // Never unloaded: OpenSSL keeps its own state until the process ends.
    });
    return usable;
}

#else

// Windows links the library with the program.
const Crypto* crypto()
{
    static const Crypto linked {::PKCS5_PBKDF2_HMAC, ::EVP_sha256, ::EVP_aes_256_cbc, ::EVP_CIPHER_CTX_new,
        ::EVP_CIPHER_CTX_free, ::EVP_CipherInit_ex, ::EVP_CIPHER_CTX_set_padding, ::EVP_CipherUpdate,
        ::EVP_CipherFinal_ex};
    return &linked;
}

#endif

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { crypto()->EVP_CIPHER_CTX_free(context); }
};

// One pass of AES-256-CBC over whole blocks. OpenSSL takes int lengths, so the data is
// fed in slices; CBC carries its chaining state in the context between them.
bool runCipher(
    bool encrypting, const OptionsKey& key, std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
{
    if (input.size() != output.size() || input.size() % kCipherBlockSize != 0) {
        return false;
    }
    const Crypto* c = crypto();
    if (!c) {
        return false;
    }
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(c->EVP_CIPHER_CTX_new());
    if (!context) {
        return false;
    }
    const unsigned char zeroIv[kCipherBlockSize] = {};
    if (c->EVP_CipherInit_ex(context.get(), c->EVP_aes_256_cbc(), nullptr, key.data(), zeroIv, encrypting ? 1 : 0)
        != 1) {
        return false;
    }
    if (c->EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1) {
        return false;
    }
    constexpr std::size_t kSlice = std::size_t {1} << 30;
    std::size_t done = 0;
    while (done < input.size()) {
        const std::size_t slice = std::min(kSlice, input.size() - done);
        int written = 0;
        if (c->EVP_CipherUpdate(
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
    return c->EVP_CipherFinal_ex(context.get(), tail, &tailLength) == 1 && tailLength == 0;
}

} // namespace

bool OpenSslOptionsCipher::deriveKey(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
    std::uint32_t iterations, OptionsKey& key)
{
    if (password.size() > INT_MAX || salt.size() > INT_MAX || iterations == 0 || iterations > INT_MAX) {
        return false;
    }
    const Crypto* c = crypto();
    if (!c) {
        return false;
    }
    return c->PKCS5_PBKDF2_HMAC(reinterpret_cast<const char*>(password.data()), static_cast<int>(password.size()),
               salt.data(), static_cast<int>(salt.size()), static_cast<int>(iterations), c->EVP_sha256(),
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
