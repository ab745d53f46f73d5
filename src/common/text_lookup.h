#pragma once
// Every visible text is looked up by its string id in the loaded language module;
// without a module the program's own German text (starting with '*') is used.

#include <string>
#include <string_view>

namespace kvt {

class TextLookup {
public:
    virtual ~TextLookup() = default;
    // UTF-8 text for the id, or the built-in text when no module is loaded.
    virtual std::string text(int id, std::string_view builtin) const = 0;
};

// The lookup used when no language module is loaded, and in tests.
class BuiltinTexts final : public TextLookup {
public:
    std::string text(int, std::string_view builtin) const override { return std::string(builtin); }
};

} // namespace kvt
