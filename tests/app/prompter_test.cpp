// The numbered prompts as real message boxes: caption, text, icon, buttons
// and the value of the button pressed.
#include "app/qt_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace vorelux;
using vorelux::app::QtPrompter;

namespace {

struct Seen {
    bool shown = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Watches for the next message box, records it and presses `press`.
void answerNextBox(Seen& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextBox(seen, press);
            return;
        }
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
        seen.buttons.sort();
        box->button(press)->click();
    });
}

} // namespace

class PrompterTest : public QObject {
    Q_OBJECT
  private slots:
    void boxes_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("press");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("result");
        const QStringList yesNo{"&Não", "&Sim"};
        QTest::newRow("2 fixed caption, page number, Yes")
            << 2 << int(QMessageBox::Yes) << "Limpar página"
            << "Atenção.\n\n Deseja realmente limpar a página 3?" << int(QMessageBox::Question)
            << yesNo << 6;
        QTest::newRow("19 three buttons, Cancel")
            << 19 << int(QMessageBox::Cancel) << "Janela - Alterações"
            << "Desja salvar as alterações?" << int(QMessageBox::Question)
            << QStringList{"&Não", "&Sim", "Cancelar"} << 2;
        QTest::newRow("19 No") << 19 << int(QMessageBox::No) << "Janela - Alterações"
                               << "Desja salvar as alterações?" << int(QMessageBox::Question)
                               << QStringList{"&Não", "&Sim", "Cancelar"} << 7;
        QTest::newRow("3 OK with question icon")
            << 3 << int(QMessageBox::Ok) << "Janela - Excesso de caracteres"
            << "Não é possível adicionar mais caracteres na página, pois o número máximo de "
               "caracteres por página foi atingido.\n\nSugestão:\nContinue em outra página e "
               "junte-as na hora de enviar."
            << int(QMessageBox::Question) << QStringList{"OK"} << 1;
        QTest::newRow("10 Yes/No error") << 10 << int(QMessageBox::No) << "Janela - Mensagem"
                                         << "Não foi possível ler as configuração.\nDeseja ler "
                                            "as configurações default?"
                                         << int(QMessageBox::Critical) << yesNo << 7;
        QTest::newRow("16 OK error") << 16 << int(QMessageBox::Ok) << "Janela - Código errado"
                                     << "O código digitado é inválido, por favor digite um "
                                        "código de erro válido."
                                     << int(QMessageBox::Critical) << QStringList{"OK"} << 1;
        QTest::newRow("9 information") << 9 << int(QMessageBox::Ok) << "Janela - Mensagem"
                                       << "Não há nenhuma mensagem para ser exibida na página 3."
                                       << int(QMessageBox::Information) << QStringList{"OK"} << 1;
    }
    void boxes() {
        QFETCH(int, number);
        QFETCH(int, press);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QStringList, buttons);
        QFETCH(int, result);
        QtPrompter prompter(
            nullptr, [] { return QStringLiteral("Janela"); }, [] { return 3; });
        Seen seen;
        answerNextBox(seen, QMessageBox::StandardButton(press));
        QCOMPARE(prompter.showPrompt(unsigned(number)), result);
        QVERIFY(seen.shown);
        QCOMPARE(seen.title, title);
        QCOMPARE(seen.text, text);
        QCOMPARE(int(seen.icon), icon);
        QCOMPARE(seen.buttons, buttons);
    }

    void numbersWithoutEntryShowNothing() {
        QtPrompter prompter(
            nullptr, [] { return QStringLiteral("Janela"); }, [] { return 1; });
        bool boxSeen = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget()) {
                boxSeen = true;
                QApplication::activeModalWidget()->close();
            }
        });
        watch.start(1);
        for (unsigned number : {0u, 8u, 24u, 1000u}) QCOMPARE(prompter.showPrompt(number), 0);
        QTest::qWait(20);
        QVERIFY(!boxSeen);
    }

    // An error with the error icon, a success with the information icon.
    void plainMessages() {
        QtPrompter prompter(
            nullptr, [] { return QStringLiteral("Janela"); }, [] { return 1; });
        Seen seen;
        answerNextBox(seen, QMessageBox::Ok);
        prompter.message("Arquivo danificado.\r\nNada foi alterado.");
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, QStringLiteral("Arquivo danificado.\nNada foi alterado."));
        QCOMPARE(int(seen.icon), int(QMessageBox::Critical));
        QCOMPARE(seen.buttons, QStringList{"OK"});
        Seen told;
        answerNextBox(told, QMessageBox::Ok);
        prompter.inform("GIF gravado em \"a.gif\" (2,5 s).");
        QVERIFY(told.shown);
        QCOMPARE(int(told.icon), int(QMessageBox::Information));
    }

    // A question of its own text: Sim or Não, the question icon; closing the
    // box counts as Não, so nothing happens that the operator did not agree to.
    void question() {
        QtPrompter prompter(
            nullptr, [] { return QStringLiteral("Janela"); }, [] { return 1; });
        const std::string text = "O arquivo \"a.vpg\" foi alterado por outro programa desde que "
                                 "foi aberto. Substituir mesmo assim?";
        for (auto [press, result] : {std::pair{QMessageBox::Yes, int(ButtonYes)},
                                     std::pair{QMessageBox::No, int(ButtonNo)}}) {
            Seen seen;
            answerNextBox(seen, press);
            QCOMPARE(prompter.question(text), result);
            QVERIFY(seen.shown);
            QCOMPARE(seen.text, QString::fromStdString(text));
            QCOMPARE(int(seen.icon), int(QMessageBox::Question));
            QCOMPARE(seen.buttons, (QStringList{"&Não", "&Sim"}));
        }
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        QCOMPARE(prompter.question(text), int(ButtonNo));
    }
};

QTEST_MAIN(PrompterTest)
#include "prompter_test.moc"
