#include "app/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorelux::app {

QString editorVersion() {
    return QStringLiteral(VORELUX_VERSION);
}

std::vector<LibraryNotice> linkedLibraries() {
    std::vector<LibraryNotice> libraries;
    libraries.push_back(
        {QStringLiteral("Qt %1 (Core, Gui, Widgets, SerialPort, Network)").arg(qVersion()),
         QStringLiteral("janelas, desenho, portas seriais e de rede"), QStringLiteral("LGPLv3")});
#if defined(VORELUX_HAVE_HIDAPI)
    libraries.push_back({QStringLiteral("hidapi"), QStringLiteral("o Transmissor KQ (USB)"),
                         QStringLiteral("BSD (à escolha: GPLv3, BSD ou licença HIDAPI)")});
#endif
#if defined(VORELUX_HAVE_X11)
    libraries.push_back({QStringLiteral("Xlib (libX11)"),
                         QStringLiteral("estado do Caps Lock no X11"), QStringLiteral("MIT/X11")});
#endif
    return libraries;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("Sobre"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);

    auto* title = new QLabel(QStringLiteral("<b style='font-size:14pt'>Vorelux Editor</b><br>"
                                            "Versão %1")
                                 .arg(editorVersion()),
                             this);
    title->setObjectName(QStringLiteral("aboutTitle"));
    layout->addWidget(title);
    layout->addWidget(new QLabel(QString::fromUtf8("Editor de mensagens para painéis de LED "
                                                   "de 7 × 64 pontos."),
                                 this));

    QString table = QStringLiteral("<p>Bibliotecas usadas:</p><table cellspacing='0' "
                                   "cellpadding='3'><tr><th align='left'>Biblioteca</th>"
                                   "<th align='left'>Para</th><th align='left'>Licença</th></tr>");
    for (const LibraryNotice& library : linkedLibraries())
        table += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                     .arg(library.name.toHtmlEscaped(), library.use.toHtmlEscaped(),
                          library.licence.toHtmlEscaped());
    table += QStringLiteral("</table>");
    auto* libraries = new QLabel(table, this);
    libraries->setObjectName(QStringLiteral("aboutLibraries"));
    libraries->setTextFormat(Qt::RichText);
    layout->addWidget(libraries);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    QPushButton* aboutQt =
        buttons->addButton(QStringLiteral("Sobre o Qt"), QDialogButtonBox::ActionRole);
    aboutQt->setObjectName(QStringLiteral("aboutQtButton"));
    connect(aboutQt, &QPushButton::clicked, this, [this] { QApplication::aboutQt(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace vorelux::app
