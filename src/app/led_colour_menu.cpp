#include "app/led_colour_menu.h"

#include "app/prompter.h"
#include "files/appearance_file.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace vorelux::app {

namespace {

// The items with their mnemonics, in the order of AllLedColours.
const char* const ItemTexts[] = {"&Vermelho", "Â&mbar", "V&erde", "&Branco", "&Azul"};

} // namespace

LedColourMenu::LedColourMenu(QMenuBar* bar, QString settingsPath, Prompter& prompter,
                             std::function<void(LedColour)> apply, QObject* parent)
    : QObject(parent), settingsPath_(std::move(settingsPath)), prompter_(prompter),
      apply_(std::move(apply)) {
    colour_ = readLedColourSetting(settingsPath_.toStdString());
    auto* options = new QMenu(QStringLiteral("E&xibir"), bar);
    options->setObjectName(QStringLiteral("optionsMenu"));
    QMenu* colours = options->addMenu(QStringLiteral("&Cor dos LEDs"));
    colours->setObjectName(QStringLiteral("ledColourMenu"));
    auto* group = new QActionGroup(colours);
    group->setExclusive(true);
    for (size_t i = 0; i < AllLedColours.size(); ++i) {
        const LedColour colour = AllLedColours[i];
        QAction* item = colours->addAction(QString::fromUtf8(ItemTexts[i]));
        item->setObjectName(QStringLiteral("ledColour_") + QLatin1String(ledColourWord(colour)));
        item->setCheckable(true);
        item->setChecked(colour == colour_);
        group->addAction(item);
        actions_[i] = item;
        connect(item, &QAction::triggered, this, [this, colour] { choose(colour); });
    }
    const QList<QAction*> menus = bar->actions();
    bar->insertMenu(menus.isEmpty() ? nullptr : menus.back(), options);
    apply_(colour_);
}

QAction* LedColourMenu::action(LedColour colour) const {
    for (size_t i = 0; i < AllLedColours.size(); ++i)
        if (AllLedColours[i] == colour) return actions_[i];
    return nullptr;
}

void LedColourMenu::choose(LedColour colour) {
    if (QAction* item = action(colour)) item->setChecked(true);
    const bool changed = colour != colour_;
    colour_ = colour;
    apply_(colour);
    if (!changed) return;
    std::string error;
    if (!writeLedColourSetting(settingsPath_.toStdString(), colour, error))
        prompter_.message("Não foi possível gravar a cor dos LEDs em \"" +
                          settingsPath_.toStdString() + "\": " + error + ".");
}

} // namespace vorelux::app
