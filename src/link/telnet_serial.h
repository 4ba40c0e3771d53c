#pragma once
// The client side of telnet with the serial-line options of RFC 2217, as a
// serial device server speaks it: binary transmission both ways, the
// com-port option, and the line set to 9600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. No sockets here: the caller moves the bytes.
// Whatever a server sends, the answers waiting to go out stay few: at most
// one per option and side, the latest (a server that flips an option again
// and again before reading replaces its answer, it does not add one).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

namespace telnet {
constexpr uint8_t Iac = 255, Dont = 254, Do = 253, Wont = 252, Will = 251, Sb = 250, Se = 240;
constexpr uint8_t Binary = 0, Echo = 1, SuppressGoAhead = 3, ComPort = 44;
// Com-port subcommands from the client; the server answers each with 100 more.
constexpr uint8_t SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5;
constexpr uint8_t ServerReply = 100;
constexpr uint8_t ParityNone = 1, OneStopBit = 1, NoFlowControl = 1;
constexpr uint32_t LineBaudRate = 9600;
} // namespace telnet

class TelnetSerialClient {
  public:
    // What the client says first: it will and wants binary transmission and
    // suppressed go-aheads, and it will use the com-port option.
    std::vector<uint8_t> opening();
    // The five line settings, sent once the server has accepted the option.
    std::vector<uint8_t> lineSettings() const;
    // Takes bytes from the server; the answers it needs wait for takeReplies().
    // Ordinary data (a server's banner) is ignored: panels never answer on
    // the serial line.
    void receive(const uint8_t* data, size_t size);
    // The answers waiting to go out, in the order they were first needed;
    // none wait afterwards.
    std::vector<uint8_t> takeReplies();
    // The bytes takeReplies() would give now: never more than MaxPendingReplyBytes.
    size_t pendingReplyBytes() const { return pendingOrder_.size() * 3; }
    static constexpr size_t MaxPendingReplyBytes = 2 * 256 * 3;

    // One data byte as it goes on the wire: 0xFF is doubled.
    static void appendData(std::vector<uint8_t>& out, uint8_t byte);

    bool comPortAccepted() const { return comPortAccepted_; }
    bool comPortRefused() const { return comPortRefused_; }
    // Every setting answered by the server, with the baud rate asked for.
    bool lineConfirmed() const;
    // The baud rate the server reported (0 before its answer).
    uint32_t confirmedBaudRate() const { return baudRate_; }
    // The printable text the server sent outside commands (a device server
    // explains a refusal that way: "Port's device already in use"), at most
    // 200 characters.
    const std::string& serverText() const { return text_; }

  private:
    enum class State { Data, Command, Option, Subnegotiation, SubIac };
    void option(uint8_t verb, uint8_t code);
    // Queues `verb` for `code`, replacing an answer for the same side still waiting.
    void answer(uint8_t verb, uint8_t code);
    void subnegotiation();

    State state_ = State::Data;
    uint8_t verb_ = 0;
    std::vector<uint8_t> sub_;
    std::array<bool, 256> weWill_{};
    std::array<bool, 256> weDo_{};
    // The waiting answer per side (0: WILL/WONT, 1: DO/DONT) and option; 0 for none.
    std::array<std::array<uint8_t, 256>, 2> pendingVerb_{};
    std::vector<uint16_t> pendingOrder_; // side * 256 + option, first needed first
    bool comPortAccepted_ = false;
    bool comPortRefused_ = false;
    std::array<bool, 6> answered_{};
    uint32_t baudRate_ = 0;
    std::string text_;
};

} // namespace vorelux
