#include "csv.h"

#include <gtest/gtest.h>

namespace tarvo::testes {

QList<LinhaCsv> LeCsv(const QByteArray& conteudo) {
    QList<LinhaCsv> linhas;
    LinhaCsv linha;
    CampoCsv campo;
    const qsizetype n = conteudo.size();
    qsizetype i = 0;
    bool linhaAberta = false;  // something of the current record has been read
    while (i < n) {
        const char c = conteudo[i];
        if (c == '"' && campo.bytes.isEmpty() && !campo.aspas) {
            campo.aspas = true;
            linhaAberta = true;
            ++i;
            for (;;) {
                if (i >= n) {
                    ADD_FAILURE() << "CSV: aspas sem fechamento";
                    linha.append(campo);
                    linhas.append(linha);
                    return linhas;
                }
                if (conteudo[i] == '"') {
                    if (i + 1 < n && conteudo[i + 1] == '"') {
                        campo.bytes.append('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                campo.bytes.append(conteudo[i++]);
            }
            if (i < n && conteudo[i] != ',' && conteudo[i] != '\n' && conteudo[i] != '\r') {
                ADD_FAILURE() << "CSV: texto depois das aspas de fechamento na posição " << i;
                return linhas;
            }
            continue;
        }
        if (c == ',') {
            linha.append(campo);
            campo = CampoCsv();
            linhaAberta = true;
            ++i;
        } else if (c == '\n' || (c == '\r' && i + 1 < n && conteudo[i + 1] == '\n')) {
            linha.append(campo);
            linhas.append(linha);
            linha.clear();
            campo = CampoCsv();
            linhaAberta = false;
            i += c == '\r' ? 2 : 1;
        } else {
            if (c == '"' || campo.aspas) {
                ADD_FAILURE() << "CSV: aspas no meio de um campo na posição " << i;
                return linhas;
            }
            campo.bytes.append(c);
            linhaAberta = true;
            ++i;
        }
    }
    if (linhaAberta) {
        linha.append(campo);
        linhas.append(linha);
    }
    return linhas;
}

}  // namespace tarvo::testes
