#pragma once
// The network port over QTcpSocket.
//
// The port may be used on any thread that has a Qt event dispatcher or can
// have one (the window's, a transfer's worker), but all its calls on the
// same one: its socket lives there. While it connects and negotiates it runs
// that thread's events, so the wait can be cancelled through the cancel
// check, checked every few milliseconds.
#include "link/network_port.h"

#include <functional>

namespace vorelux {

class QtSocket;

class QtNetworkPort : public NetworkPort {
  public:
    explicit QtNetworkPort(int connectTimeoutMs = 5000, int negotiationTimeoutMs = 3000);
    // True when the operator wants the wait for the server to end: open()
    // then fails at once with a reason that says so.
    void setCancelCheck(std::function<bool()> cancelled);

  private:
    explicit QtNetworkPort(std::unique_ptr<QtSocket> socket, int connectTimeoutMs,
                           int negotiationTimeoutMs);
    QtSocket& qtSocket_;
};

} // namespace vorelux
