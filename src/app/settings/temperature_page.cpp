#include "app/settings/temperature_page.h"

#include "app/settings/page_widgets.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vorelux::app {

TemperaturePage::TemperaturePage(QWidget* parent) : SettingsPage(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        sensorBox(QStringLiteral(" Temperatura interna "), TemperatureSensor::Indoor));
    layout->addWidget(
        sensorBox(QStringLiteral(" Temperatura externa "), TemperatureSensor::Outdoor));
    layout->addStretch(1);
}

QWidget* TemperaturePage::sensorBox(const QString& title, TemperatureSensor sensor) {
    const bool indoor = sensor == TemperatureSensor::Indoor;
    auto* box = new QGroupBox(title);
    auto* spin = new QSpinBox;
    spin->setObjectName(indoor ? QStringLiteral("indoorTemperatureSpin")
                               : QStringLiteral("outdoorTemperatureSpin"));
    spin->setRange(TemperatureAdjustMin, TemperatureAdjustMax);
    spin->setMinimumWidth(80);
    (indoor ? indoorSpin_ : outdoorSpin_) = spin;
    auto* send =
        settingsButton(indoor ? "sendIndoorTemperatureButton" : "sendOutdoorTemperatureButton",
                       QStringLiteral("Enviar"));
    connect(send, &QPushButton::clicked, this, [this, sensor] { emit sendRequested(sensor); });
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(QStringLiteral("Ajuste:")));
    row->addWidget(spin);
    row->addStretch(1);
    row->addWidget(send);
    return box;
}

int TemperaturePage::adjustment(TemperatureSensor sensor) const {
    return (sensor == TemperatureSensor::Indoor ? indoorSpin_ : outdoorSpin_)->value();
}

} // namespace vorelux::app
