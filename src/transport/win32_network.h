#pragma once
// The network port over Winsock, on Windows without Qt.
#include "link/network_port.h"

namespace vorelux {

class Win32NetworkPort : public NetworkPort {
  public:
    explicit Win32NetworkPort(int connectTimeoutMs = 5000, int negotiationTimeoutMs = 3000);
};

} // namespace vorelux
