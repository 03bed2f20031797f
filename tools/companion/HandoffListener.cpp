#include "tools/companion/HandoffListener.h"

#include <QByteArray>
#include <xcb/xcb.h>

namespace fwut::companion {

bool HandoffListener::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != QByteArrayLiteral("xcb_generic_event_t")) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The top bit marks an event that came from XSendEvent.
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) {
        return false;
    }
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type != m_atom || client->format != 32) {
        return false;
    }
    m_handler(client->data.data32[0], client->data.data32[1], client->data.data32[2]);
    return true;
}

}  // namespace fwut::companion
