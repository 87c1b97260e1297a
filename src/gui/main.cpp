// importador: the wizard that imports a user's data of the old editions
// into the new edition.
#include "aplicacao.h"
#include "capturas.h"
#include "dados.h"
#include "dialogos.h"
#include "principal.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

using namespace tarvo;
using namespace tarvo::gui;

int main(int argc, char** argv) {
    AplicacaoTarvo app(argc, argv);
    const QString titulo = QString::fromUtf8(TituloAplicacao);
    QApplication::setApplicationName(titulo);
    QApplication::setApplicationDisplayName(titulo);
    // Qt's own dialog texts (the file dialog) in Portuguese when the machine
    // has the translation.
    QTranslator traducao;
    if (traducao.load(QLocale(QLocale::Portuguese, QLocale::Brazil), "qtbase", "_",
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traducao);

    // The window is laid out for Tahoma; where the machine lacks it, the
    // nearest in width comes before the platform's default sans serif.
    QFont::insertSubstitutions("Tahoma", {"Liberation Sans", "Arimo", "Arial", "DejaVu Sans Condensed"});

    DialogosQt dialogos;
    app.defineDialogos(&dialogos);

    // The data module first: it opens the users database beside the
    // executable; a failure is kept for the window to show.
    Tdm dm;
    dm.DataModuleCreate(QCoreApplication::applicationDirPath());

    TfrmPrincipal janela(dm, dialogos);
    std::unique_ptr<RoteiroCapturas> roteiro;
    if (const QString pasta = qEnvironmentVariable("TARVO_CAPTURAS"); !pasta.isEmpty())
        roteiro = std::make_unique<RoteiroCapturas>(janela, pasta, qEnvironmentVariable("TARVO_CAPTURAS_DESTINO"),
                                                    qEnvironmentVariable("TARVO_CAPTURAS_SENHA"));
    janela.protege([&] { janela.FormCreate(); });
    janela.show();
    const int codigo = app.exec();
    roteiro.reset();
    return codigo;
}
