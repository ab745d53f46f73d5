#include "app/field_context_menu.h"

namespace kvt {

namespace {

FieldMenuItem item(FieldCommand command, int commandId, const TextLookup& texts)
{
    switch (command) {
    case FieldCommand::Calculate:
        return {command, commandId, texts.text(64972, "*Berechnen")};
    case FieldCommand::Copy:
        return {command, commandId, texts.text(64969, "*Kopieren")};
    case FieldCommand::Paste:
        return {command, commandId, texts.text(64970, "*Einfügen")};
    case FieldCommand::ClearField:
        return {command, commandId, texts.text(64973, "*Feld löschen")};
    case FieldCommand::ClearCorresponding:
        return {command, commandId, texts.text(64971, "*Korrespondierende Felder löschen")};
    case FieldCommand::Separator:
        break;
    }
    return {FieldCommand::Separator, 0, {}};
}

// Calculate, copy, paste and one clearing item: the menus of the windows with
// corresponding fields share this shape with their own command ids.
std::vector<FieldMenuItem> fourItems(
    int calculate, int copy, int paste, FieldCommand clear, int clearId, const TextLookup& texts)
{
    return {item(FieldCommand::Calculate, calculate, texts), item(FieldCommand::Copy, copy, texts),
        item(FieldCommand::Paste, paste, texts), item(clear, clearId, texts)};
}

} // namespace

std::vector<FieldMenuItem> fieldContextMenu(int menuId, const TextLookup& texts)
{
    using C = FieldCommand;
    switch (menuId) {
    case 425:
        return {item(C::Calculate, 428, texts), item(C::Separator, 0, texts), item(C::Copy, 426, texts),
            item(C::Paste, 427, texts), item(C::Separator, 0, texts), item(C::ClearField, 429, texts)};
    case 416:
        return fourItems(421, 418, 419, C::ClearField, 422, texts);
    case 417:
        return fourItems(421, 418, 419, C::ClearCorresponding, 420, texts);
    case 453:
        return fourItems(458, 455, 456, C::ClearField, 459, texts);
    case 454:
        return fourItems(458, 455, 456, C::ClearCorresponding, 457, texts);
    case 460:
        return fourItems(465, 462, 463, C::ClearField, 466, texts);
    case 461:
        return fourItems(465, 462, 463, C::ClearCorresponding, 464, texts);
    case 470:
        return fourItems(475, 472, 473, C::ClearField, 476, texts);
    case 480:
        return {item(C::Copy, 482, texts)};
    case 485:
        return {item(C::Copy, 487, texts), item(C::Paste, 488, texts), item(C::ClearField, 489, texts)};
    default:
        return {};
    }
}

} // namespace kvt
