#include "panel_host.h"

#include <QDateTime>
#include <cstdio>

namespace vorelux::panel {

PanelHost::PanelHost(uint8_t id, QObject* parent) : QObject(parent) {
    panel_ = std::make_unique<Panel>(id, clock_);
    panel_->onLog = [this](const std::string& text) { note(QString::fromStdString(text)); };
    panel_->onChange = [this] { emit changed(); };
    connect(&input_, &SerialInput::bytesReceived, this, &PanelHost::receive);
    connect(&input_, &SerialInput::notice, this, &PanelHost::note);
    tick_.setInterval(250);
    connect(&tick_, &QTimer::timeout, this, [this] { panel_->tick(); });
    tick_.start();
}

void PanelHost::receive(const QByteArray& bytes) {
    panel_->receive(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

void PanelHost::note(const QString& text) {
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")) + "  " + text;
    lines_.append(line);
    if (lines_.size() > LogCapacity) lines_.removeFirst();
    if (logToStdout_) {
        std::fputs(line.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    emit logLine(line);
}

} // namespace vorelux::panel
