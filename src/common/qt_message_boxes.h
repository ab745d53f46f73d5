#pragma once
// Real message boxes: application-modal over the active window.

#include "common/message_boxes.h"

namespace kvt {

class QtMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(const MessageBoxRequest& request) override;
};

} // namespace kvt
