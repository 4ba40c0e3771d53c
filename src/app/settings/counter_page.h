#pragma once
// "Contagem progressiva" / "Contagem regressiva": the date a day count
// starts from or ends on.
#include "app/settings/settings_page.h"

#include <QDate>

class QDateEdit;

namespace vorelux::app {

class CounterPage final : public SettingsPage {
    Q_OBJECT
  public:
    enum class Direction { Up, Down };
    explicit CounterPage(Direction direction, QWidget* parent = nullptr);
    QDate date() const;

  signals:
    void sendRequested(); // "Enviar"

  private:
    QDateEdit* dateEdit_ = nullptr;
};

} // namespace vorelux::app
