#include "link/telnet_serial.h"

namespace vorelux {

using namespace telnet;

namespace {

void appendCommand(std::vector<uint8_t>& out, uint8_t verb, uint8_t code) {
    out.push_back(Iac);
    out.push_back(verb);
    out.push_back(code);
}

// IAC SB COM-PORT-OPTION code value... IAC SE, 0xFF in the value doubled.
void appendSetting(std::vector<uint8_t>& out, uint8_t code, const std::vector<uint8_t>& value) {
    out.push_back(Iac);
    out.push_back(Sb);
    out.push_back(ComPort);
    out.push_back(code);
    for (uint8_t b : value) TelnetSerialClient::appendData(out, b);
    out.push_back(Iac);
    out.push_back(Se);
}

bool weMayDo(uint8_t code) {
    return code == Binary || code == SuppressGoAhead;
}

bool weMayWill(uint8_t code) {
    return code == Binary || code == SuppressGoAhead || code == ComPort;
}

} // namespace

std::vector<uint8_t> TelnetSerialClient::opening() {
    std::vector<uint8_t> out;
    for (uint8_t code : {Binary, SuppressGoAhead, ComPort}) {
        appendCommand(out, Will, code);
        weWill_[code] = true;
    }
    for (uint8_t code : {Binary, SuppressGoAhead}) {
        appendCommand(out, Do, code);
        weDo_[code] = true;
    }
    return out;
}

std::vector<uint8_t> TelnetSerialClient::lineSettings() const {
    std::vector<uint8_t> out;
    const uint32_t baud = LineBaudRate;
    std::vector<uint8_t> baudBytes;
    baudBytes.reserve(4);
    for (int shift = 24; shift >= 0; shift -= 8)
        baudBytes.push_back(static_cast<uint8_t>((baud >> shift) & 0xFF));
    appendSetting(out, SetBaudRate, baudBytes);
    appendSetting(out, SetDataSize, {8});
    appendSetting(out, SetParity, {ParityNone});
    appendSetting(out, SetStopSize, {OneStopBit});
    appendSetting(out, SetControl, {NoFlowControl});
    return out;
}

void TelnetSerialClient::appendData(std::vector<uint8_t>& out, uint8_t byte) {
    out.push_back(byte);
    if (byte == Iac) out.push_back(Iac);
}

bool TelnetSerialClient::lineConfirmed() const {
    for (uint8_t code = SetBaudRate; code <= SetControl; ++code)
        if (!answered_[code]) return false;
    return baudRate_ == LineBaudRate;
}

void TelnetSerialClient::receive(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        switch (state_) {
        case State::Data:
            if (b == Iac)
                state_ = State::Command;
            else if (b >= 32 && b < 127 && text_.size() < 200)
                text_.push_back(static_cast<char>(b));
            break;
        case State::Command:
            if (b == Will || b == Wont || b == Do || b == Dont) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == Sb) {
                sub_.clear();
                state_ = State::Subnegotiation;
            } else {
                state_ = State::Data; // IAC IAC (a data 0xFF) or a one-byte command
            }
            break;
        case State::Option:
            option(verb_, b);
            state_ = State::Data;
            break;
        case State::Subnegotiation:
            if (b == Iac)
                state_ = State::SubIac;
            else if (sub_.size() < 64)
                sub_.push_back(b);
            break;
        case State::SubIac:
            if (b == Se) {
                subnegotiation();
                state_ = State::Data;
            } else {
                if (sub_.size() < 64) sub_.push_back(b); // IAC IAC inside: one 0xFF
                state_ = State::Subnegotiation;
            }
            break;
        }
    }
}

// Answers only what changes a side's state, so two peers never loop.
void TelnetSerialClient::option(uint8_t verb, uint8_t code) {
    if (verb == Do) {
        if (code == ComPort) comPortAccepted_ = true;
        if (weWill_[code]) return;
        const bool agree = weMayWill(code);
        weWill_[code] = agree;
        answer(agree ? Will : Wont, code);
    } else if (verb == Dont) {
        if (code == ComPort) comPortRefused_ = true;
        if (!weWill_[code]) return;
        weWill_[code] = false;
        answer(Wont, code);
    } else if (verb == Will) {
        if (weDo_[code]) return;
        const bool agree = weMayDo(code);
        weDo_[code] = agree;
        answer(agree ? Do : Dont, code);
    } else if (verb == Wont) {
        if (!weDo_[code]) return;
        weDo_[code] = false;
        answer(Dont, code);
    }
}

void TelnetSerialClient::answer(uint8_t verb, uint8_t code) {
    const size_t side = verb == Will || verb == Wont ? 0 : 1;
    uint8_t& pending = pendingVerb_[side][code];
    if (pending == 0) pendingOrder_.push_back(static_cast<uint16_t>(side * 256 + code));
    pending = verb;
}

std::vector<uint8_t> TelnetSerialClient::takeReplies() {
    std::vector<uint8_t> out;
    out.reserve(pendingReplyBytes());
    for (uint16_t key : pendingOrder_) {
        uint8_t& verb = pendingVerb_[key / 256][key % 256];
        appendCommand(out, verb, static_cast<uint8_t>(key % 256));
        verb = 0;
    }
    pendingOrder_.clear();
    return out;
}

void TelnetSerialClient::subnegotiation() {
    if (sub_.size() < 2 || sub_[0] != ComPort) return;
    const int code = sub_[1] - ServerReply;
    if (code < SetBaudRate || code > SetControl) return; // line and modem state notices
    answered_[static_cast<size_t>(code)] = true;
    if (code == SetBaudRate && sub_.size() >= 6)
        baudRate_ = (uint32_t(sub_[2]) << 24) | (uint32_t(sub_[3]) << 16) |
                    (uint32_t(sub_[4]) << 8) | uint32_t(sub_[5]);
}

} // namespace vorelux
