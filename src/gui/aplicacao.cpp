#include "aplicacao.h"

#include "erros.h"

#include <cstdio>

namespace tarvo::gui {

QString MensagemDoErro(const std::exception& erro) {
    if (const auto* e = dynamic_cast<const Erro*>(&erro)) return e->mensagem();
    return QString::fromUtf8(erro.what());
}

void RelataErroGeral(Dialogos& dialogos, QWidget* pai, const QString& texto) {
    std::fprintf(stderr, "importador: erro: %s\n", texto.toUtf8().constData());
    std::fflush(stderr);
    dialogos.relataErro(pai, texto);
}

AplicacaoTarvo::AplicacaoTarvo(int& argc, char** argv) : QApplication(argc, argv) {}

bool AplicacaoTarvo::notify(QObject* destino, QEvent* evento) {
    QString texto;
    try {
        return QApplication::notify(destino, evento);
    } catch (const std::exception& e) {
        texto = MensagemDoErro(e);
    } catch (...) {
        texto = QString::fromUtf8("Erro desconhecido.");
    }
    if (dialogos_)
        RelataErroGeral(*dialogos_, activeWindow(), texto);
    else
        std::fprintf(stderr, "importador: erro: %s\n", texto.toUtf8().constData());
    return false;
}

}  // namespace tarvo::gui
