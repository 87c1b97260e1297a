#pragma once
// The dialogs the wizard opens (message box, input box, file dialog and the
// report of an error no handler caught) behind one interface, so that the
// tests can answer them without a person: the program uses DialogosQt.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace tarvo::gui {

// The application title, also the title of the program's message boxes.
inline constexpr char TituloAplicacao[] = "Importador do Tarvo Pessoal + Veículos";

class Dialogos {
public:
    virtual ~Dialogos() = default;

    // A modal message box over `pai` (may be null). `flags` are the
    // message-box flags of tarvo::mb (icon | buttons); returns the answer
    // (mb::RespostaOk, mb::RespostaSim, mb::RespostaNao, 2 for Cancel).
    virtual int mensagem(QWidget* pai, const QString& titulo, const QString& texto, int flags) = 0;

    // A modal input box, the answer typed in plain view; Cancel gives the
    // empty text.
    virtual QString pedeTexto(QWidget* pai, const QString& titulo, const QString& rotulo,
                              const QString& inicial) = 0;

    // A file-open dialog with a filter in Qt's form ("Descrição (*.x);;...");
    // returns the full path chosen, or the empty text when cancelled.
    virtual QString abreArquivo(QWidget* pai, const QString& filtro) = 0;

    // A file-save dialog titled `titulo`, with a filter in Qt's form,
    // offering the file name `nomeSugerido`; returns the full path chosen,
    // or the empty text when cancelled. Writes nothing itself.
    virtual QString salvaArquivo(QWidget* pai, const QString& titulo, const QString& filtro,
                                 const QString& nomeSugerido) = 0;

    // The general error report: an error that ended a click, a run or the
    // window's creation. Shows `texto`; the caller has already printed it on
    // standard error.
    virtual void relataErro(QWidget* pai, const QString& texto) = 0;
};

// The real dialogs, modal, with Portuguese button texts.
class DialogosQt : public Dialogos {
public:
    int mensagem(QWidget* pai, const QString& titulo, const QString& texto, int flags) override;
    QString pedeTexto(QWidget* pai, const QString& titulo, const QString& rotulo, const QString& inicial) override;
    QString abreArquivo(QWidget* pai, const QString& filtro) override;
    // Opens in the user's documents folder.
    QString salvaArquivo(QWidget* pai, const QString& titulo, const QString& filtro,
                         const QString& nomeSugerido) override;
    void relataErro(QWidget* pai, const QString& texto) override;
};

// The icon that the message-box flags ask for (bits 0x70).
QMessageBox::Icon IconeDaCaixa(int flags);
// The buttons that the flags ask for (bits 0x0F): OK, OK/Cancel,
// Yes/No/Cancel or Yes/No.
QMessageBox::StandardButtons BotoesDaCaixa(int flags);
// The button that Enter presses: with mb::SegundoBotaoPadrao the second of
// the buttons the flags ask for (Cancel of OK/Cancel, No of Yes/No and of
// Yes/No/Cancel); otherwise, and for OK alone, NoButton, which leaves the
// choice to the box (its first accepting button).
QMessageBox::StandardButton BotaoPadraoDaCaixa(int flags);
// The answer code of a pressed button (1 OK, 2 Cancel, 6 Yes, 7 No); a box
// closed without a button gives what its Escape would: No for Yes/No, Cancel
// when there is one, otherwise OK.
int RespostaDaCaixa(QMessageBox::StandardButton botao, int flags);

// Converts a filter written as pairs "description|pattern|..." (patterns
// separated by ";") into Qt's "description (patterns);;..." form. A
// description that already ends with its patterns in parentheses is kept
// as it is: "Arquivos Access (*.mdb)|*.mdb" gives "Arquivos Access (*.mdb)".
QString FiltroParaQt(const QString& filtro);

}  // namespace tarvo::gui
