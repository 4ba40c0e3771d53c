#pragma once
// Keeps the transmitter logic fed on the user-interface thread: rescans the
// HID bus on a timer (hidapi tells nothing of arrivals), runs a reader thread
// for the held transmitter and hands each input report over to the
// user-interface thread, and turns a failed read into a removal.
#include "link/transmitter.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace vorelux {

// Reads input reports of one device on its own thread.
class HidReader : public QThread {
    Q_OBJECT
  public:
    explicit HidReader(std::shared_ptr<HidDevice> device, QObject* parent = nullptr);
    ~HidReader() override;
    void requestStop() { stop_ = true; }

  signals:
    void reportRead(const QString& path, const QByteArray& report);
    void readFailed(const QString& path);

  protected:
    void run() override;

  private:
    std::shared_ptr<HidDevice> device_;
    std::atomic<bool> stop_{false};
};

class TransmitterWatcher : public QObject, public TransmitterObserver {
    Q_OBJECT
  public:
    static constexpr int DefaultRescanMs = 1500;

    explicit TransmitterWatcher(Transmitter& transmitter, QObject* parent = nullptr);
    ~TransmitterWatcher() override;

    // Scans once the event loop runs, then every rescanMs.
    void start(int rescanMs = DefaultRescanMs);
    void stop();

  public slots:
    // Scans now (a device-change notification of the platform).
    void rescanNow();

  signals:
    // The text for the main window's last status panel.
    void statusTextChanged(const QString& text);
    void transmitterAttachedChanged(bool attached);

  private slots:
    void onReport(const QString& path, const QByteArray& report);
    void onReadFailed(const QString& path);

  private:
    void transmitterAttached(const std::shared_ptr<HidDevice>& device) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>& device) override;
    void linkStatusChanged(const std::string& text) override;
    void stopReader();

    Transmitter& transmitter_;
    QTimer timer_;
    HidReader* reader_ = nullptr;
};

} // namespace vorelux
