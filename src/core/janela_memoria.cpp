#include "janela_memoria.h"

#include "erros.h"

namespace tarvo {

void JanelaMemoria::selecionaEmpresa(int indice) {
    if (indice < 0 || indice >= empresas.size())
        throw Erro(QString("Índice da lista de empresas fora dos limites (%1).").arg(indice));
    selecionada = indice;
}

std::optional<qint64> JanelaMemoria::empresaSelecionada() const {
    if (selecionada < 0 || selecionada >= empresas.size()) return std::nullopt;
    return empresas.at(selecionada).second;
}

bool JanelaMemoria::selecionaEmpresaPorCodigo(qint64 codigo) {
    for (int i = 0; i < empresas.size(); ++i)
        if (empresas.at(i).second == codigo) {
            selecionada = i;
            return true;
        }
    return false;
}

int JanelaMemoria::mensagem(const QString& texto, int flags) {
    mensagens.append({texto, flags});
    if (responde) return responde(texto, flags);
    return (flags & 0xF) == mb::SimNao ? mb::RespostaSim : mb::RespostaOk;
}

QString JanelaMemoria::textoExcecoes() const {
    QString t;
    for (const QString& e : excecoes) t += e + "\r\n";
    return t;
}

}  // namespace tarvo
