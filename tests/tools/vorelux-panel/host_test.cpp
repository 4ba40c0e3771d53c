// The virtual panel's log: every line is handed on as it comes, and only the
// newest lines are kept, however long the panel runs.
#include "panel_host.h"

#include <gtest/gtest.h>

namespace vorelux::panel {
namespace {

TEST(PanelHostLog, KeepsTheNewestLinesAndHandsOnEveryOne) {
    PanelHost host{2};
    int handedOn = 0;
    QString lastHandedOn;
    QObject::connect(&host, &PanelHost::logLine, [&](const QString& line) {
        ++handedOn;
        lastHandedOn = line;
    });
    const int total = 5 * int(PanelHost::LogCapacity) + 17;
    for (int i = 0; i < total; ++i) host.note(QStringLiteral("linha %1.").arg(i));

    EXPECT_EQ(handedOn, total);
    EXPECT_TRUE(lastHandedOn.endsWith(QStringLiteral("  linha %1.").arg(total - 1)));
    const QStringList& lines = host.lines();
    ASSERT_EQ(lines.size(), PanelHost::LogCapacity);
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const qsizetype expected = total - PanelHost::LogCapacity + k; // oldest first
        ASSERT_TRUE(lines[k].endsWith(QStringLiteral("  linha %1.").arg(expected)))
            << k << ": " << lines[k].toStdString();
    }
}

} // namespace
} // namespace vorelux::panel
