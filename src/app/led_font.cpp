#include "app/led_font.h"

#include <QFontDatabase>
#include <QString>

namespace vorelux::app {

int loadPrivateFont() {
    return QFontDatabase::addApplicationFont(QString::fromLatin1(LedFontResource));
}

void removePrivateFont(int handle) {
    if (handle >= 0) QFontDatabase::removeApplicationFont(handle);
}

} // namespace vorelux::app
