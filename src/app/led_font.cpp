#include "app/led_font.h"

#include <QFontDatabase>
#include <QString>

namespace vorelux::app {

int LoadPrivateFont() {
    return QFontDatabase::addApplicationFont(QString::fromLatin1(LedFontResource));
}

void RemovePrivateFont(int handle) {
    if (handle >= 0) QFontDatabase::removeApplicationFont(handle);
}

} // namespace vorelux::app
