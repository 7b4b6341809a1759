#include "framework/MessageMap.h"

#include "framework/CmdUI.h"

const MessageMap CCmdTarget::messageMap{nullptr, {}};

const MessageMapEntry* MessageMap::FindMessage(UINT message) const
{
    for (const MessageMap* map = this; map; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            if (e.kind == MessageMapEntry::Kind::Message && e.message == message)
                return &e;
            if (e.kind == MessageMapEntry::Kind::RegisteredMessage && e.registered && *e.registered != 0 &&
                *e.registered == message)
                return &e;
        }
    }
    return nullptr;
}

const MessageMapEntry* MessageMap::FindCommand(UINT id, UINT code) const
{
    for (const MessageMap* map = this; map; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            const bool inRange = id >= e.firstId && id <= e.lastId;
            if (e.kind == MessageMapEntry::Kind::Command && code == 0 && inRange)
                return &e;
            if (e.kind == MessageMapEntry::Kind::Notify && e.code == code && inRange)
                return &e;
        }
    }
    return nullptr;
}

const MessageMapEntry* MessageMap::FindUpdate(UINT id) const
{
    for (const MessageMap* map = this; map; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            if (e.kind == MessageMapEntry::Kind::UpdateCommand && id >= e.firstId && id <= e.lastId)
                return &e;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI)
{
    const MessageMap* map = GetMessageMap();
    const MessageMapEntry* entry = cmdUI ? map->FindUpdate(id) : map->FindCommand(id, code);
    if (!entry)
        return false;
    MessageCall call;
    call.message = WM_COMMAND;
    call.wParam = MAKEWPARAM(id, code);
    call.id = id;
    call.cmdUI = cmdUI;
    entry->handler(*this, call);
    return true;
}

bool CCmdTarget::HasCommandHandler(UINT id) const
{
    return GetMessageMap()->FindCommand(id, 0) != nullptr;
}
