#include "transport/hid_watcher.h"

namespace vorelux {

namespace {
constexpr int ReadTimeoutMs = 100; // how soon a stop request is seen
}

HidReader::HidReader(std::shared_ptr<HidDevice> device, QObject* parent)
    : QThread(parent), device_(std::move(device)) {}

HidReader::~HidReader() {
    requestStop();
    wait();
}

void HidReader::run() {
    const QString path = QString::fromStdString(device_->path());
    std::vector<uint8_t> report;
    while (!stop_) {
        int got = device_->read(report, ReadTimeoutMs);
        if (got < 0) {
            if (!stop_) emit readFailed(path);
            return;
        }
        if (got > 0 && !stop_)
            emit reportRead(path, QByteArray(reinterpret_cast<const char*>(report.data()),
                                             static_cast<qsizetype>(report.size())));
    }
}

TransmitterWatcher::TransmitterWatcher(Transmitter& transmitter, QObject* parent)
    : QObject(parent), transmitter_(transmitter) {
    transmitter_.addObserver(this);
    connect(&timer_, &QTimer::timeout, this, &TransmitterWatcher::rescanNow);
}

TransmitterWatcher::~TransmitterWatcher() {
    timer_.stop();
    stopReader();
    transmitter_.removeObserver(this);
}

void TransmitterWatcher::start(int rescanMs) {
    timer_.start(rescanMs);
    QTimer::singleShot(0, this, &TransmitterWatcher::rescanNow);
}

void TransmitterWatcher::stop() {
    timer_.stop();
}

void TransmitterWatcher::rescanNow() {
    transmitter_.scanDevices();
}

void TransmitterWatcher::onReport(const QString& path, const QByteArray& report) {
    transmitter_.deviceReport(path.toStdString(),
                              std::vector<uint8_t>(report.begin(), report.end()));
}

void TransmitterWatcher::onReadFailed(const QString& path) {
    transmitter_.deviceUnplugged(path.toStdString());
}

void TransmitterWatcher::transmitterAttached(const std::shared_ptr<HidDevice>& device) {
    stopReader();
    reader_ = new HidReader(device, this);
    connect(reader_, &HidReader::reportRead, this, &TransmitterWatcher::onReport,
            Qt::QueuedConnection);
    connect(reader_, &HidReader::readFailed, this, &TransmitterWatcher::onReadFailed,
            Qt::QueuedConnection);
    reader_->start();
    emit transmitterAttachedChanged(true);
}

void TransmitterWatcher::transmitterRemoved(const std::shared_ptr<HidDevice>&) {
    stopReader();
    emit transmitterAttachedChanged(transmitter_.attached());
}

void TransmitterWatcher::linkStatusChanged(const std::string& text) {
    emit statusTextChanged(QString::fromStdString(text));
}

void TransmitterWatcher::stopReader() {
    if (!reader_) return;
    reader_->requestStop();
    reader_->wait();
    delete reader_;
    reader_ = nullptr;
}

} // namespace vorelux
