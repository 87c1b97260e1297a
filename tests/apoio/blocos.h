#pragma once
// The exception log's block, as the memo shows it, for comparing whole texts.
#include <QString>

namespace tarvo::testes {

inline QString BlocoExcecao(const QString& acao, const QString& origem, const QString& destino, const QString& erro) {
    return "Ação ..............: " + acao + "\r\nTabela de Origem ..: " + origem +
           "\r\nTabela de Destino .: " + destino + "\r\nExceção: \r\n" + erro + "\r\n\r\n" + QString(62, '_') +
           "\r\n\r\n";
}

}  // namespace tarvo::testes
