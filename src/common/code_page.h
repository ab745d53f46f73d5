#pragma once
// Text conversions between the core's UTF-8 strings, the UTF-16 arrays of the state
// blocks and the 8-bit "ANSI" form that reports, DXF files and NC programs use on disk.
// The 8-bit form is Windows-1252; a character it cannot hold becomes '?', as the
// Windows conversion does with its default character.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace kvt {

inline constexpr char kAnsiReplacement = '?';

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// 8-bit code page conversions. Invalid UTF-8 bytes and lone surrogates count as
// characters the code page cannot hold.
std::string utf8ToAnsi(std::string_view utf8);
std::string utf16ToAnsi(std::u16string_view utf16);
std::string ansiToUtf8(std::string_view ansi);
std::u16string ansiToUtf16(std::string_view ansi);

// The fixed, zero-terminated UTF-16 arrays of the state blocks. Reading stops at the
// terminator or at the end of the array, whichever comes first; writing cuts at a
// character boundary and always leaves a terminator.
std::u16string_view fixedText(std::span<const char16_t> array);
// Returns false when the text had to be cut to fit.
bool setFixedText(std::span<char16_t> array, std::u16string_view text);

// Number of characters (code points) in a UTF-8 text, and the byte length of its first
// `count` characters.
std::size_t utf8Length(std::string_view utf8);
std::size_t utf8PrefixBytes(std::string_view utf8, std::size_t count);

std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

} // namespace kvt
