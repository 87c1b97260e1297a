#include "relatorio.h"

#include "rotina.h"

namespace tarvo {

QString TextoRelatorio(const JanelaMemoria& janela, const QString& meio) {
    QList<LinhaResumo> linhas = janela.resumo;
    OrdenaResumo(linhas);
    const QStringList titulos{"Cadastro", "Total", "Importados", "Não Importados"};
    QList<qsizetype> larguras;
    for (const QString& t : titulos) larguras << t.size();
    for (const LinhaResumo& l : linhas) {
        larguras[0] = std::max(larguras[0], l.cadastro.size());
        larguras[1] = std::max(larguras[1], l.total.size());
        larguras[2] = std::max(larguras[2], l.importados.size());
        larguras[3] = std::max(larguras[3], l.naoImportados.size());
    }
    auto linha = [&](const QStringList& c) {
        return c[0].leftJustified(larguras[0]) + "  " + c[1].rightJustified(larguras[1]) + "  " +
               c[2].rightJustified(larguras[2]) + "  " + c[3].rightJustified(larguras[3]) + "\n";
    };
    QString texto = "Resumo da importação\n\n" + linha(titulos);
    texto += QString(larguras[0], '-') + "  " + QString(larguras[1], '-') + "  " + QString(larguras[2], '-') +
             "  " + QString(larguras[3], '-') + "\n";
    for (const LinhaResumo& l : linhas) texto += linha({l.cadastro, l.total, l.importados, l.naoImportados});
    if (linhas.isEmpty()) texto += "(nenhuma tabela copiada)\n";
    texto += meio;
    texto += "\nExceções ocorridas durante a importação:\n";
    texto += janela.textoExcecoes();
    return texto;
}

}  // namespace tarvo
