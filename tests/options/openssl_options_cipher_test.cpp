// Known answers computed with the OpenSSL command line, so that a wrong mode, a wrong
// IV, padding or a changed salt cannot hide behind a round trip:
//   openssl kdf -keylen 32 -kdfopt digest:SHA256 -kdfopt hexpass:... -kdfopt hexsalt:... -kdfopt iter:1000 PBKDF2
//   openssl enc -aes-256-cbc -nopad -K 000102...1f -iv 00000000000000000000000000000000

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "options/openssl_options_cipher.h"
#include "options/options_file.h"

namespace kvt {
namespace {

std::vector<std::uint8_t> fromHex(std::string_view hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

std::vector<std::uint8_t> fromText(std::string_view text)
{
    return {text.begin(), text.end()};
}

template<std::size_t N> std::vector<std::uint8_t> toVector(const std::array<std::uint8_t, N>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

struct KeyCase {
    const char* name;
    std::vector<std::uint8_t> password;
    std::vector<std::uint8_t> salt;
    const char* expectedKey;

    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
};

class DeriveKey : public testing::TestWithParam<KeyCase> { };

TEST_P(DeriveKey, MatchesOpenSslCommandLine)
{
    OpenSslOptionsCipher cipher;
    OptionsKey key {};
    ASSERT_TRUE(cipher.deriveKey(GetParam().password, GetParam().salt, 1000, key));
    EXPECT_EQ(std::vector<std::uint8_t>(key.begin(), key.end()), fromHex(GetParam().expectedKey));
}

INSTANTIATE_TEST_SUITE_P(Pbkdf2Sha256, DeriveKey,
    testing::Values(KeyCase {"PlainPasswordAndSalt", fromText("password"), fromText("salt"),
                        "632c2812e46d4604102ba7618e9d6d7d2f8128f6266b4a03264d2a0460b7dcb3"},
        // The key of every options file: a change here makes all
        // existing files unreadable.
        KeyCase {"OptionsFileKey", toVector(optionsKeyPassword()), toVector(optionsKeySalt()),
            "57ed0d64ca06eb75c719cc8c8082f90e8bd7aa5341f7487e67802e95b50d8e62"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsKeyMaterial, PasswordIsTheUtf16LeText)
{
    EXPECT_EQ(
        toVector(optionsKeyPassword()), fromHex("710037007700640032006b00390072006d0034007400780038006e0063007000"));
}

OptionsKey testKey()
{
    OptionsKey key {};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(i);
    }
    return key;
}

TEST(AesCbc, TwoBlocksMatchOpenSslCommandLineBothWays)
{
    // The first block is the AES-256 example of FIPS-197; the second shows the chaining.
    const auto plain = fromHex("00112233445566778899aabbccddeeff00000000000000000000000000000000");
    const auto expected = fromHex("8ea2b7ca516745bfeafc49904b496089664a3455d8e9dbdb03158b52b93c288a");
    OpenSslOptionsCipher cipher;
    std::vector<std::uint8_t> encrypted(plain.size());
    ASSERT_TRUE(cipher.encrypt(testKey(), plain, encrypted));
    EXPECT_EQ(encrypted, expected);
    std::vector<std::uint8_t> decrypted(plain.size());
    ASSERT_TRUE(cipher.decrypt(testKey(), encrypted, decrypted));
    EXPECT_EQ(decrypted, plain);
    // In place, as the options file decrypts, the chaining still uses the cipher text.
    std::vector<std::uint8_t> inPlace = encrypted;
    ASSERT_TRUE(cipher.decrypt(testKey(), inPlace, inPlace));
    EXPECT_EQ(inPlace, plain);
}

TEST(AesCbc, RefusesPartialBlocksAndMismatchedOutput)
{
    OpenSslOptionsCipher cipher;
    std::vector<std::uint8_t> input(31), output(31);
    EXPECT_FALSE(cipher.encrypt(testKey(), input, output));
    EXPECT_FALSE(cipher.decrypt(testKey(), input, output));
    std::vector<std::uint8_t> whole(32), shorter(16);
    EXPECT_FALSE(cipher.encrypt(testKey(), whole, shorter));
    std::size_t length = 0;
    EXPECT_FALSE(cipher.encryptedLength(31, length));
    ASSERT_TRUE(cipher.encryptedLength(kOptionsStoredSize, length));
    EXPECT_EQ(length, kOptionsStoredSize);
}

} // namespace
} // namespace kvt
