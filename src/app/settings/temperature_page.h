#pragma once
// "Temperatura": the adjustments of the indoor and outdoor sensors. The tab
// is shown only after Ctrl+Alt+T.
#include "app/settings/settings_page.h"
#include "link/settings_commands.h"

class QSpinBox;

namespace vorelux::app {

class TemperaturePage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit TemperaturePage(QWidget* parent = nullptr);
    int adjustment(TemperatureSensor sensor) const;

  signals:
    void sendRequested(TemperatureSensor sensor); // that sensor's "Enviar"

  private:
    QWidget* sensorBox(const QString& title, TemperatureSensor sensor);

    QSpinBox* indoorSpin_ = nullptr;
    QSpinBox* outdoorSpin_ = nullptr;
};

} // namespace vorelux::app
