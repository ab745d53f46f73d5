#include "common/message_boxes.h"

#include "common/language_codes.h"

#include <atomic>

namespace kvt {

namespace {
std::atomic<int> g_buttonLanguage {kLanguageGerman};
} // namespace

void setMessageButtonLanguage(int languageCode)
{
    g_buttonLanguage.store(languageCode, std::memory_order_relaxed);
}

int messageButtonLanguage()
{
    return g_buttonLanguage.load(std::memory_order_relaxed);
}

MessageButtonTexts messageButtonTexts(int languageCode)
{
    if (languageCode == kLanguageEnglish)
        return {"OK", "&Yes", "&No", "Cancel"};
    return {"OK", "&Ja", "&Nein", "Abbrechen"};
}

} // namespace kvt
