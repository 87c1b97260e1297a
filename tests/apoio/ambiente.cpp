#include "ambiente.h"

#include "esquemas.h"

#include <gtest/gtest.h>

namespace tarvo::testes {

AmbienteImportacao::AmbienteImportacao(qint64 empresa) {
    arquivoOrigem = pasta.arquivo("antiga.mdb");
    arquivoDestino = pasta.arquivo("ana.tpv");
    CriaBanco(arquivoOrigem, QString(esquemas::antiga()) +
                                 ";INSERT INTO empresa VALUES (3, 'Oficina'), (1, 'Casa');",
              SenhaBancoDados);
    CriaBanco(arquivoDestino, esquemas::nova(), SenhaBancoDados);
    EXPECT_TRUE(dm.ConectaOrigem(arquivoOrigem));
    EXPECT_TRUE(dm.ConectaDestino(arquivoDestino));
    EXPECT_TRUE(janela.selecionaEmpresaPorCodigo(empresa));
    dm.cbbAreaChange();
    anuncia("Teste");
}

void AmbienteImportacao::origem(const QString& sql) { ExecutaSqlite(dm.dbOrigem, sql); }
void AmbienteImportacao::destino(const QString& sql) { ExecutaSqlite(dm.dbDestino, sql); }
QString AmbienteImportacao::linhasDestino(const QString& sql) { return LinhasSqlite(dm.dbDestino, sql); }
QString AmbienteImportacao::valorDestino(const QString& sql) { return ValorSqlite(dm.dbDestino, sql); }

}  // namespace tarvo::testes
