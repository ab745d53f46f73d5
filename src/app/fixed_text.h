#pragma once
// The state keeps texts and paths in fixed UTF-16 arrays with a terminating zero.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

// Copies the text with its terminating zero; false (and the array unchanged) when it
// does not fit, so a path is never stored cut off.
template<std::size_t N> bool setFixedText(char16_t (&target)[N], std::u16string_view text)
{
    if (text.size() >= N)
        return false;
    text.copy(target, text.size());
    target[text.size()] = u'\0';
    return true;
}

template<std::size_t N> std::u16string fixedText(const char16_t (&source)[N])
{
    std::size_t length = 0;
    while (length < N && source[length] != u'\0')
        ++length;
    return std::u16string(source, length);
}

template<std::size_t N> bool setFixedPath(char16_t (&target)[N], const std::filesystem::path& path)
{
    return setFixedText(target, path.u16string());
}

template<std::size_t N> std::filesystem::path fixedPath(const char16_t (&source)[N])
{
    return std::filesystem::path(fixedText(source));
}

} // namespace kvt
