#pragma once
// The pauses of a transfer on the user-interface thread: each one waits on a
// timer while the event loop keeps running, so the window repaints, its
// bars move and a close request is seen at the next step.
#include "link/sleeper.h"

namespace vorelux::app {

class KeepAliveSleeper final : public Sleeper {
  public:
    void sleep(int milliseconds) override;
};

} // namespace vorelux::app
