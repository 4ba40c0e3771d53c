#pragma once
// "Reset de Ajustes": which settings go back to the factory ones.
#include "app/settings/settings_page.h"
#include "link/panel_settings.h"

#include <array>

class QCheckBox;
class QPushButton;

namespace vorelux::app {

class ResetPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit ResetPage(QWidget* parent = nullptr);
    ResetSelection selection() const;

  signals:
    // "Restaurar": a mouse press acts at once, the keyboard through a click.
    void restoreRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Velocidade, Brilho, Em pé, Pág. por Hora/dia, Horário lig/deslig
    std::array<QCheckBox*, 5> checks_{};
    QPushButton* restoreButton_ = nullptr;
};

} // namespace vorelux::app
