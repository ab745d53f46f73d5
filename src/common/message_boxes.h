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

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const MessageBoxRequest& request) = 0;
};

} // namespace kvt
