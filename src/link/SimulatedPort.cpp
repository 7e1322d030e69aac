#include "link/SimulatedPort.h"

#include <algorithm>

namespace rigvane {

SimulatedPort::SimulatedPort(Host& host, std::shared_ptr<SimulatedPeer> peer)
    : host_(host), peer_(std::move(peer)), shared_(std::make_shared<Shared>()) {}

SimulatedPort::~SimulatedPort() {
    shared_->open = false;
}

bool SimulatedPort::Open(const std::string& device, const PortSettings& settings,
                         std::string* error) {
    if (!peer_ || !peer_->PoweredOn() || unplugged_) {
        if (error) *error = "no device at " + device;
        return false;
    }
    // A fresh buffer: replies still travelling to a closed port are dropped.
    shared_ = std::make_shared<Shared>();
    shared_->open = true;
    shared_->wireFreeAt = host_.NowMs();
    settings_ = settings;
    device_ = device;
    return true;
}

void SimulatedPort::Close() {
    shared_->open = false;
    shared_->received.clear();
}

bool SimulatedPort::IsOpen() const {
    return shared_->open;
}

int SimulatedPort::PacingMs(size_t bytes) const {
    if (BaudRate <= 0) return 0;
    return int((int64_t(bytes) * 10 * 1000 + BaudRate - 1) / BaudRate);
}

bool SimulatedPort::Write(const std::string& bytes) {
    if (!shared_->open || unplugged_) return false;
    bytesWritten_ += int64_t(bytes.size());
    const int64_t now = host_.NowMs();
    // The command goes out on the wire; the radio answers once it has it all.
    int64_t start = std::max(now, shared_->wireFreeAt);
    const int64_t heard = start + PacingMs(bytes.size());
    std::string reply = peer_->Receive(bytes, heard);
    shared_->wireFreeAt = heard;
    if (reply.empty() || Silent) return true;
    const int64_t arrives = heard + LatencyMs + PacingMs(reply.size());
    shared_->wireFreeAt = arrives;
    std::weak_ptr<Shared> target = shared_;
    host_.CallLater(int(arrives - now), [target, reply = std::move(reply)] {
        if (auto s = target.lock())
            if (s->open) s->received += reply;
    });
    return true;
}

int SimulatedPort::BytesWaiting() {
    return shared_->open ? int(shared_->received.size()) : 0;
}

std::string SimulatedPort::ReadAll() {
    std::string out;
    out.swap(shared_->received);
    return out;
}

bool SimulatedPort::Cts() {
    return shared_->open && !unplugged_ && peer_->ClearToSend(host_.NowMs());
}

bool SimulatedPort::Dsr() {
    return shared_->open && !unplugged_ && peer_->DataSetReady(host_.NowMs());
}

bool SimulatedPort::Cd() {
    return shared_->open && !unplugged_ && peer_->CarrierDetect(host_.NowMs());
}

void SimulatedPort::RaiseLineError(LineError error, const std::string& detail) {
    if (OnLineError) OnLineError(error, detail);
}

void SimulatedPort::Deliver(const std::string& bytes) {
    if (shared_->open && !unplugged_) shared_->received += bytes;
}

void SimulatedPort::Unplug() {
    unplugged_ = true;
    shared_->open = false;
    shared_->received.clear();
    RaiseLineError(LineError::DeviceLost, "device removed");
}

} // namespace rigvane
