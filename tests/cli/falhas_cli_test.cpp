// importador-cli against faults and bad input, as a user meets them: the
// exit status, the last line on standard error and what the destination
// holds afterwards.
#include "amostra/gerador.h"
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

struct Execucao {
    int status = -1;
    QString saida, erros;
};

Execucao cli(const QStringList& args) {
    QProcess p;
    p.start(TARVO_CLI, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// An old database with one company (code 1) and a user's empty database.
struct Bancos {
    Bancos() {
        amostra::OpcoesAntiga opcoes;
        opcoes.empresas = 1;
        opcoes.linhas = 5;
        amostra::GeraBaseAntiga(origem, opcoes);
        amostra::GeraBaseNova(destino, QString());
    }
    QStringList argumentos(const QStringList& areas) const {
        QStringList r{"--origem", origem, "--empresa", "1", "--destino", destino};
        if (areas.isEmpty()) return r << "--tudo";
        return r << "--areas" << areas.join(';');
    }
    PastaTemporaria pasta;
    QString origem = pasta.arquivo("velha.mdb"), destino = pasta.arquivo("ana.tpv");
};

}  // namespace

TEST(CliFalhas, DestinoTravadoPorOutroProcessoSai3SemTocarNele) {
    Bancos b;
    const QByteArray antes = LeArquivo(b.destino);
    // This process is the other one: it holds the file while the runner tries.
    sqlite3* trava = nullptr;
    ASSERT_EQ(sqlite3_open_v2(b.destino.toUtf8().constData(), &trava, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(trava, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const Execucao r = cli(b.argumentos({}));
    sqlite3_exec(trava, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(trava);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.erros.endsWith("Erro: Erro ao conectar com o banco de dados de destino (#01)!\r\n\r\nO banco de "
                                 "dados '" + b.destino + "' está em uso por outro processo (database is locked).\n"))
        << r.erros.toStdString();
    EXPECT_EQ(LeArquivo(b.destino), antes);
    EXPECT_EQ(QDir(b.pasta.caminho()).entryList(QDir::Files), QStringList({"ana.tpv", "velha.mdb"}));
}

TEST(CliFalhas, DestinoSomenteLeituraSai3SemTocarNele) {
    Bancos b;
    // Write version 3 in the header: SQLite opens the file read-only, as it
    // does a file the process may not write (file modes do not stop root).
    {
        QFile f(b.destino);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(18) && f.write("\x03", 1) == 1);
    }
    const QByteArray antes = LeArquivo(b.destino);
    const Execucao r = cli(b.argumentos({}));
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.erros.endsWith("Erro: Erro ao conectar com o banco de dados de destino (#01)!\r\n\r\nNão é "
                                 "possível gravar no banco de dados '" + b.destino +
                                 "': o arquivo é somente leitura.\n"))
        << r.erros.toStdString();
    EXPECT_EQ(LeArquivo(b.destino), antes);
}

TEST(CliFalhas, TabelaDeOrigemIlegivelNaoTerminaComoSucesso) {
    Bancos b;
    {
        auto con = AbreBanco(b.origem);
        ExecutaSqlite(*con, "ALTER TABLE caixa_lancamentos DROP COLUMN cancelado");
    }
    const Execucao r = cli(b.argumentos({"Centros de Custos", "Caixa Pessoal"}));
    // The cash entries could not be read: the run ends, but not as a success.
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.erros.contains("Aviso: O campo 'cancelado' não existe (comando: select * from caixa_lancamentos "
                                 "where empresa=1  and not cancelado order by codigo).\n"))
        << r.erros.toStdString();
    auto con = AbreBanco(b.destino, amostra::SenhaBancoUsuario);
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM centros_custos"), "5");
    EXPECT_EQ(LinhasSqlite(*con, "SELECT descricao, saldo FROM fontes"), "Dinheiro|0");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM lctos"), "0");
}
