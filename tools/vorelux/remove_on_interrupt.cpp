#include "remove_on_interrupt.h"

#include "model/native_path.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vorelux::cli {

namespace {

#ifdef _WIN32
using PathChar = wchar_t;
#else
using PathChar = char;
#endif

// Read by the handler: the path is complete before `armed` is set and is
// not touched while it is.
std::array<PathChar, 4096> armedPath{};
volatile std::sig_atomic_t armed = 0;

extern "C" void removeArmedAndReraise(int signal) {
    if (armed) {
#ifdef _WIN32
        ::_wunlink(armedPath.data());
#else
        ::unlink(armedPath.data());
#endif
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

#ifndef _WIN32
struct sigaction previousInt {
}, previousTerm{};
#else
void (*previousInt)(int) = SIG_DFL;
void (*previousTerm)(int) = SIG_DFL;
#endif

} // namespace

// A signal the tool was started ignoring (a background job, nohup) stays
// ignored: the tool goes on and cleans up as usual.
RemoveOnInterrupt::RemoveOnInterrupt() {
#ifndef _WIN32
    // The signal stays blocked while the handler runs, so the one it raises
    // again is delivered, with the default action, once it returns.
    struct sigaction action {};
    action.sa_handler = removeArmedAndReraise;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    for (auto [signal, previous] :
         {std::pair{SIGINT, &previousInt}, std::pair{SIGTERM, &previousTerm}}) {
        ::sigaction(signal, nullptr, previous);
        if (previous->sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
#else
    for (auto [signal, previous] :
         {std::pair{SIGINT, &previousInt}, std::pair{SIGTERM, &previousTerm}}) {
        *previous = std::signal(signal, removeArmedAndReraise);
        if (*previous == SIG_IGN) std::signal(signal, SIG_IGN);
    }
#endif
}

RemoveOnInterrupt::~RemoveOnInterrupt() {
    armed = 0;
#ifndef _WIN32
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
#else
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
#endif
}

void RemoveOnInterrupt::arm(const std::string& path) {
    armed = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    const auto native = nativePath(path).native();
    if (native.empty() || native.size() >= armedPath.size()) return;
    std::copy(native.begin(), native.end(), armedPath.begin());
    armedPath[native.size()] = PathChar(0);
    std::atomic_signal_fence(std::memory_order_seq_cst); // the path before the flag
    armed = 1;
}

} // namespace vorelux::cli
