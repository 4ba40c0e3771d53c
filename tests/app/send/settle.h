#pragma once
// Lets the sending windows' runs end: they run on a worker, and their end
// reaches the window through the event loop.
#include "app/send/send_dialog.h"
#include "app/send/send_features.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace vorelux::app {

// The send dialog's transfers, the resume on closing included.
inline void settle(SendPagesDialog& dialog) {
    while (dialog.running()) {
        QSignalSpy ended(&dialog, &SendPagesDialog::runFinished);
        ASSERT_TRUE(ended.wait(10000)) << "the transfer did not end";
    }
}

// The power commands, the chooser and the panel-number display.
inline void settle(SendFeatures& features) {
    while (features.running()) {
        QSignalSpy ended(&features, &SendFeatures::runFinished);
        ASSERT_TRUE(ended.wait(10000)) << "the run did not end";
    }
}

} // namespace vorelux::app
