#pragma once
// The program's general error report: errors that no handler caught are
// printed on standard error and shown in the report dialog; the program
// goes on where it was.
#include "dialogos.h"

#include <QApplication>
#include <exception>

namespace tarvo::gui {

// The message of an error: the Portuguese text of the project's own
// errors, what() of any other.
QString MensagemDoErro(const std::exception& erro);

// Prints `texto` on standard error and shows it with `dialogos` over `pai`.
void RelataErroGeral(Dialogos& dialogos, QWidget* pai, const QString& texto);

// The application object. Its notify() is the last net: an error that
// leaves an event handler goes to the general error report instead of
// ending the program. The handlers of the window catch their own errors
// first (TfrmPrincipal::protege), so this only sees the unforeseen.
class AplicacaoTarvo : public QApplication {
public:
    AplicacaoTarvo(int& argc, char** argv);
    // The dialogs that show the report; without them the error is only
    // printed. Not owned.
    void defineDialogos(Dialogos* dialogos) { dialogos_ = dialogos; }
    bool notify(QObject* destino, QEvent* evento) override;

private:
    Dialogos* dialogos_ = nullptr;
};

}  // namespace tarvo::gui
