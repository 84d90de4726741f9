// What the host's and a player's table objects tell the screen that shows them.
#pragma once

#include "net/Messages.h"

#include <string>

namespace kv::net {

enum class EventKind {
    Table,   // the lobby changed: seats, names, ready flags, settings
    Chat,    // a chat line: text is "name: line"
    Notice,  // something the players should read (joined, left, dropped, ...)
    Started, // a match begins (or is caught up with): bind a match screen
    Ended,   // the host's match is over
    Closed,  // the table connection ended: text says why
};

struct NetEvent {
    EventKind kind = EventKind::Notice;
    std::string text;
    int seat = 0;
};

// The Russian text of a refusal or a closing, with both versions where they differ.
std::string ReasonText(Reason r, std::uint16_t hostProtocol = kProtocolVersion,
                       i16 hostBuild = kBuild);
// The Russian line of a notice.
std::string NoticeText(const Notice& n);

} // namespace kv::net
