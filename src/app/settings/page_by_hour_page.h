#pragma once
// "Página por hora": the twelve page-by-hour items with their times. Every
// change goes to the list model and the page shows the model again.
#include "app/settings/settings_page.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTimeEdit;

namespace vorelux {
class PageByHourList;
}

namespace vorelux::app {

class PageByHourPage final : public SettingsPage {
    Q_OBJECT
  public:
    explicit PageByHourPage(PageByHourList& list, QWidget* parent = nullptr);
    // The controls show the list model again.
    void refresh();
    // The first item selected, as on opening.
    void selectFirst();
    bool scheduleEnabled() const; // " Ativado"

  signals:
    void sendRequested(); // "Enviar"
    // A click turned on the first item: the page by weekday stops.
    void firstItemChecked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectControls();

    PageByHourList& list_;
    QCheckBox* enabledCheck_ = nullptr;
    QListWidget* itemList_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QStackedWidget* timeStack_ = nullptr;
    QTimeEdit* timeEdit_ = nullptr;
    QPushButton* activateButton_ = nullptr;
    bool refreshing_ = false;
    bool anyCheckedAtPress_ = false;
};

} // namespace vorelux::app
