#pragma once
// What the editor's process sets up before its main window exists: Qt's own
// Portuguese texts, the private LED font and the application's name.
#include <QTranslator>

namespace vorelux::app {

struct ApplicationSetup {
    QTranslator qtTranslator;
    int fontHandle = -1;
};

// Call once after the QApplication exists; keep the result alive for the run
// and pass it to finishApplication at the end.
void prepareApplication(ApplicationSetup& setup);
void finishApplication(ApplicationSetup& setup);

} // namespace vorelux::app
