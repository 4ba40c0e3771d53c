#pragma once
// SettingsPage: one tab of the panel settings dialog. A page owns its
// controls; it reads what it shows from the connection settings in load(),
// writes what the operator changed back in apply(), and tells the dialog
// through signals what is to be sent. Sending itself is the dialog's work.
#include "files/conn_cfg.h"

#include <QWidget>

namespace vorelux::app {

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
    // The page shows what `cfg` holds.
    virtual void load(const ConnectionSettings& cfg) { (void)cfg; }
    // The page's changes go into `cfg`.
    virtual void apply(ConnectionSettings& cfg) const { (void)cfg; }
};

} // namespace vorelux::app
