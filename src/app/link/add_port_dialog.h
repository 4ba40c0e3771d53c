#pragma once
// "Adicionar porta": a port the system does not list, by device path or by
// the network address of a serial device server.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vorelux {

class AddPortDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AddPortDialog(QWidget* parent = nullptr);
    // What the operator typed, trimmed.
    QString address() const;

  private:
    QLineEdit* addressEdit_;
    QPushButton* addButton_;
};

} // namespace vorelux
