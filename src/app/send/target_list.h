#pragma once
// The " Enviar para : " check list of the send dialog and of the panel
// chooser: item 0 "  TODOS OS PAINÉIS", item n "  PAINEL n" (1..255), and the
// caption of its group, which counts the targets.
#include "link/panel_link.h"

#include <QGroupBox>
#include <QString>
#include <vector>

class QListWidget;
class QListWidgetItem;

namespace vorelux::app {

// The group caption for c targets, item 0 checked or not.
QString targetGroupCaption(int count, bool everyPanelChecked);

class TargetList final : public QGroupBox {
    Q_OBJECT
  public:
    static inline const QString AllPanelsItem = QStringLiteral("  TODOS OS PAINÉIS");
    static constexpr int ItemCount = 256;

    explicit TargetList(QWidget* parent = nullptr);

    // On opening: checks the entries of the stored list, nothing else, and
    // counts the stored entries in the caption.
    void load(const std::vector<uint8_t>& panels);
    // The indexes of the checked items, in item order.
    std::vector<uint8_t> checkedItems() const;
    TargetChecks checks() const;
    void setChecked(int item, bool checked);
    bool isChecked(int item) const;
    void uncheckAll();
    // The caption for the checked items (after a click).
    void updateCaptionFromChecks();

    QListWidget* list() const { return list_; }

  signals:
    // The operator checked or unchecked an item.
    void clicked();

  private:
    QListWidget* list_;
    bool loading_ = false;
};

} // namespace vorelux::app
