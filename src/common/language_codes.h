#pragma once
// The language codes the program keeps in its settings.

namespace kvt {

inline constexpr int kLanguageGerman = 49;
inline constexpr int kLanguageEnglish = 44;

} // namespace kvt
