#pragma once
// The send tests' pseudo-terminal pair: the shared one.
#include "support/pty.h"

namespace vorelux::sendtest {
using Pty = vorelux::testing::Pty;
} // namespace vorelux::sendtest
