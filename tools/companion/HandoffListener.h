// Receives the update program's hand-off messages: ClientMessages of the
// hand-off atom that arrive at this program's windows on the X display.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

namespace fwut::companion {

class HandoffListener final : public QAbstractNativeEventFilter {
public:
    using Handler = std::function<void(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam)>;

    // handoffAtom: the server's number for the hand-off atom.
    HandoffListener(std::uint32_t handoffAtom, Handler handler) : m_atom(handoffAtom), m_handler(std::move(handler)) { }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::uint32_t m_atom;
    Handler m_handler;
};

}  // namespace fwut::companion
