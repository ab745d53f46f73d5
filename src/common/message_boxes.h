#pragma once
// Message boxes as core code sees them: a text, a caption, an icon and a set of
// buttons, answered by the user. The Qt windows show real boxes; tests answer them.

#include <string>

namespace kvt {

enum class MessageIcon { None, Information, Warning, Question, Error };
enum class MessageButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

struct MessageBoxRequest {
    std::string text; // UTF-8
    std::string caption;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
};

// The buttons of a box speak the program's language, not the desktop's: a German
// question that says "Ja" must not be answered with "Yes". The controller sets the
// language code (49 German, 44 English) whenever it loads a language module.
void setMessageButtonLanguage(int languageCode);
int messageButtonLanguage();

struct MessageButtonTexts {
    const char* ok;
    const char* yes;
    const char* no;
    const char* cancel;
};
MessageButtonTexts messageButtonTexts(int languageCode);

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageBoxRequest& request) = 0;
};

} // namespace kvt
