// Faults of the environment during an import: a destination that cannot be
// written, locked by another process or full; a source removed or cut short
// under the run; the process killed in the middle of a large table. Every
// test ends by opening the destination again and stating exactly what it
// holds: the tables whose copy was committed, nothing of the copy that
// failed.
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/blocos.h"
#include "apoio/impressao_resumo.h"
#include "esquemas.h"
#include "rotina.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

// The window in memory, with a hook called after every source row (where
// the window lets pending events through): the fault is provoked at an
// exact row of an exact table.
class JanelaComGatilho : public JanelaMemoria {
public:
    void processaEventos() override {
        JanelaMemoria::processaEventos();
        if (aCadaLinha) aCadaLinha(*this);
    }
    std::function<void(const JanelaMemoria&)> aCadaLinha;
};

PedidoImportacao pedido(const AmbienteImportacao& a, const QStringList& areas) {
    PedidoImportacao p;
    p.origem = a.arquivoOrigem;
    p.empresa = 3;
    p.destino = a.arquivoDestino;
    p.areas = areas;
    return p;
}

// The destination opened anew: SQLite's integrity check, then "table=rows"
// for every table that has rows, then the counters in sys_codigos, in the
// order they were written.
QString conteudo(const QString& arquivo) {
    auto con = AbreBanco(arquivo, SenhaBancoDados);
    QStringList tabelas;
    for (const QString& t : con->tabelas()) {
        const QString n = ValorSqlite(*con, "SELECT count(*) FROM \"" + t + "\"");
        if (n != "0") tabelas << t + "=" + n;
    }
    return ValorSqlite(*con, "PRAGMA integrity_check") + " | " + tabelas.join(' ') + " | " +
           LinhasSqlite(*con, "SELECT tabela || '=' || id FROM sys_codigos ORDER BY rowid").replace('\n', ' ');
}

// Marks an SQLite file as one that this version of SQLite may read but not
// write (write version 3 in the header): SQLite then opens it read-only, as
// it does with a file that the process may not write. File permissions would
// not do: the tests run as root.
void tornaSomenteLeitura(const QString& arquivo) {
    QFile f(arquivo);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(18));
    ASSERT_EQ(f.write("\x03", 1), 1);
}

enum class Trava { Exclusiva, Leitura };

// Another process that, when asked, opens a database file with SQLite and
// keeps a lock on it until it ends: an exclusive one ("BEGIN EXCLUSIVE") or
// the shared one of a reader in the middle of a read transaction. Forked
// before the test opens any database, so that the child shares no SQLite
// state with this process; it uses nothing but SQLite and the pipes.
class OutroProcesso {
public:
    OutroProcesso() {
        int pedidos[2], respostas[2];
        if (pipe(pedidos) != 0 || pipe(respostas) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            close(pedidos[1]);
            close(respostas[0]);
            atende(pedidos[0], respostas[1]);
            _exit(0);
        }
        close(pedidos[0]);
        close(respostas[1]);
        pedidos_ = pedidos[1];
        respostas_ = respostas[0];
    }
    ~OutroProcesso() { termina(); }

    // Returns once the other process holds the lock; false if it could not
    // take it.
    bool trava(const QString& arquivo, Trava tipo) {
        const std::string linha = (tipo == Trava::Exclusiva ? "E" : "L") + arquivo.toStdString() + "\n";
        char r = 0;
        return write(pedidos_, linha.data(), linha.size()) == static_cast<ssize_t>(linha.size()) &&
               read(respostas_, &r, 1) == 1 && r == 's';
    }

    // Ends the other process, which releases its lock.
    void termina() {
        if (pid_ <= 0) return;
        close(pedidos_);
        close(respostas_);
        int estado = 0;
        waitpid(pid_, &estado, 0);
        pid_ = -1;
    }

private:
    static void atende(int pedidos, int respostas) {
        std::string linha;
        sqlite3* db = nullptr;
        char c;
        while (read(pedidos, &c, 1) == 1) {
            if (c != '\n') {
                linha += c;
                continue;
            }
            const char* sql = linha[0] == 'E' ? "BEGIN EXCLUSIVE" : "BEGIN; SELECT count(*) FROM sqlite_master";
            const bool ok = sqlite3_open_v2(linha.c_str() + 1, &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                            sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
            const char r = ok ? 's' : 'n';
            if (write(respostas, &r, 1) != 1) break;
            linha.clear();
        }
        // End of the pipe: the test is done with the lock.
    }

    pid_t pid_ = -1;
    int pedidos_ = -1, respostas_ = -1;
};

const char kCentros[] = "INSERT INTO centros_custos VALUES (5,3,'Casa'),(6,3,'Carro'),(7,3,'Lazer'),(8,1,'Outra')";

QString emUso(const QString& arquivo) {
    return QString("O banco de dados '%1' está em uso por outro processo (database is locked).").arg(arquivo);
}

QString somenteLeitura(const QString& arquivo) {
    return QString("Erro ao conectar com o banco de dados de destino (#01)!\r\n\r\nNão é possível gravar no banco "
                   "de dados '%1': o arquivo é somente leitura.")
        .arg(arquivo);
}

QString semEspaco(const QString& arquivo) {
    return QString("Não há espaço para gravar no banco de dados '%1' (database or disk is full).").arg(arquivo);
}

QString faltaTabela(const QString& tabela) {
    return "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta '" + tabela +
           "'. Certifique-se de que ela existe e que seu nome está escrito corretamente.";
}

}  // namespace

// ------------------------------------------------------- read-only destination

// A destination that cannot be written is refused when it is opened, with
// the "(#01)" text, before any area runs.
TEST(DestinoSomenteLeitura, RecusadoAoAbrirSemMudarUmByte) {
    struct Caso {
        const char* nome;
        QStringList areas;
    } casos[] = {
        {"todas as areas", {}},
        {"caixa pessoal", {"Caixa Pessoal"}},
        {"so telefones", {"Contatos e Telefones"}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem(QString(kCentros) + ";INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1,3,10);"
                                     "INSERT INTO contas_bancarias (codigo, empresa, \"descrição\") VALUES (4,3,'Banco')");
        a.dm.dbDestino.close();
        tornaSomenteLeitura(a.arquivoDestino);
        const QByteArray antes = LeArquivo(a.arquivoDestino);
        EXPECT_ERRO(ImportaSemJanela(a.dm, a.janela, pedido(a, c.areas)), somenteLeitura(a.arquivoDestino));
        EXPECT_FALSE(a.dm.dbDestino.connected());
        EXPECT_EQ(a.janela.textoExcecoes(), "");
        EXPECT_TRUE(a.janela.resumo.isEmpty());
        a.dm.DataModuleDestroy();
        EXPECT_EQ(LeArquivo(a.arquivoDestino), antes);
        EXPECT_EQ(conteudo(a.arquivoDestino), "ok |  | ");
    }
}

// ------------------------------------------------- locked by another process

TEST(DestinoTravado, OutroProcessoDesfazACopiaEmCursoEMantemAsAnteriores) {
    struct Caso {
        const char* nome;
        Trava trava;
        // When the other process takes its lock: as this area is announced,
        // or after this row of the running table.
        const char* aoAnunciar;
        int naLinha;
        QString conteudo;
        QList<LinhaResumo> resumo;
    } casos[] = {
        // Nothing can be read or written: the account's counter fails first.
        {"exclusiva antes do caixa", Trava::Exclusiva, "Caixa Pessoal", 0,
         "ok | sys_codigos=1 centros_custos=3 | centros_custos=7", {{"Centros de Custos", "3", "3", "0"}}},
        // The rows are written; the commit cannot wait for the reader.
        {"leitor no meio dos centros de custos", Trava::Leitura, nullptr, 2, "ok |  | ", {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        OutroProcesso outro;
        AmbienteImportacao a;
        a.origem(QString(kCentros) + ";INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1,3,10),(2,3,20)");
        JanelaComGatilho janela;
        a.dm.setJanela(&janela);
        bool travou = false;
        if (c.naLinha > 0)
            janela.aCadaLinha = [&](const JanelaMemoria& j) {
                if (!travou && j.posicaoTabela == c.naLinha) travou = outro.trava(a.arquivoDestino, c.trava);
            };
        EXPECT_ERRO_BANCO(ImportaSemJanela(a.dm, janela, pedido(a, {"Centros de Custos", "Caixa Pessoal"}),
                                           [&](int, const QString& area, bool) {
                                               if (c.aoAnunciar && area == c.aoAnunciar)
                                                   travou = outro.trava(a.arquivoDestino, c.trava);
                                           }),
                          emUso(a.arquivoDestino));
        EXPECT_TRUE(travou);
        EXPECT_FALSE(a.dm.dbDestino.inTransaction());
        EXPECT_EQ(janela.textoExcecoes(), "");
        EXPECT_EQ(janela.resumo, c.resumo);
        outro.termina();
        a.dm.DataModuleDestroy();
        EXPECT_EQ(conteudo(a.arquivoDestino), c.conteudo);
    }
}

// ------------------------------------------------------------------ disk full

TEST(DestinoCheio, TabelaQueNaoCabeEhDesfeitaInteira) {
    struct Caso {
        const char* area;
        QString conteudo;
        QList<LinhaResumo> resumo;
    } casos[] = {
        {"Tarefas", "ok | sys_codigos=2 plano_contas=2 centros_custos=3 | plano_contas=2 centros_custos=7",
         {{"Centros de Custos", "3", "3", "0"}}},
        // The account is saved before its entries are copied.
        {"Caixa Pessoal",
         "ok | sys_codigos=3 plano_contas=2 centros_custos=3 fontes=1 | plano_contas=2 centros_custos=7 fontes=1",
         {{"Centros de Custos", "3", "3", "0"}}},
        // The chart runs before the cost centres: the run stops there, and
        // the chart keeps what it had.
        {"Contas de Receitas e Despesas", "ok | sys_codigos=1 plano_contas=2 | plano_contas=2", {}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.area);
        AmbienteImportacao a;
        a.origem(QString(kCentros) + ";"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<600) "
                 "INSERT INTO tarefas (codigo, empresa, descricao, obs) "
                 "  SELECT i, 3, printf('Tarefa %05d', i), printf('%.300c', 'x') FROM n;"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<600) "
                 "INSERT INTO caixa_lancamentos (codigo, empresa, valor, \"histórico\") "
                 "  SELECT i, 3, i, printf('%.90c', 'h') FROM n;"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
                 "INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") "
                 "  SELECT i, 3, printf('Conta %.30c %d', 'c', i), '1.' || i FROM n");
        a.destino("INSERT INTO plano_contas (id, area, descricao, codigo_conta) VALUES (1, 1, 'Receitas', '1'), "
                  "(2, 1, 'Despesas', '2'); INSERT INTO sys_codigos VALUES (2, 'plano_contas', 1)");
        // Twelve pages more than the file has: the cost centres fit, the
        // rows of the second area do not.
        a.destino(QString("PRAGMA max_page_count = %1").arg(a.valorDestino("PRAGMA page_count").toInt() + 12));
        EXPECT_ERRO_BANCO(ExecutaImportacao(a.dm,
                                            [&](const QString& area) {
                                                a.anuncia(area);
                                                return area == "Centros de Custos" || area == c.area;
                                            }),
                          semEspaco(a.arquivoDestino));
        EXPECT_FALSE(a.dm.dbDestino.inTransaction());
        EXPECT_EQ(a.janela.textoExcecoes(), "");
        EXPECT_EQ(a.janela.resumo, c.resumo);
        a.dm.DataModuleDestroy();
        EXPECT_EQ(conteudo(a.arquivoDestino), c.conteudo);
    }
}

// --------------------------------------------------- source changed under the run

TEST(OrigemAlterada, ApagadaNoMeioDaTabelaAindaEhLidaInteira) {
    AmbienteImportacao a;
    a.origem("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
             "INSERT INTO tarefas (codigo, empresa, descricao) SELECT i, 3, printf('Tarefa %05d', i) FROM n;"
             "INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1,3,10),(2,3,20)");
    JanelaComGatilho janela;
    a.dm.setJanela(&janela);
    bool apagou = false;
    janela.aCadaLinha = [&](const JanelaMemoria& j) {
        if (!apagou && j.onde == "Importando Tarefas..." && j.posicaoTabela == 100)
            apagou = QFile::remove(a.arquivoOrigem);
    };
    // The open file stays readable until the run closes it: nothing is lost.
    ImportaSemJanela(a.dm, janela, pedido(a, {"Tarefas", "Caixa Pessoal"}));
    EXPECT_TRUE(apagou);
    EXPECT_FALSE(QFileInfo::exists(a.arquivoOrigem));
    EXPECT_EQ(janela.textoExcecoes(), "");
    EXPECT_EQ(janela.resumo,
              (QList<LinhaResumo>{{"Tarefas", "2000", "2000", "0"}, {"Caixa Pessoal", "2", "2", "0"}}));
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino), "ok | sys_codigos=3 fontes=1 lctos=2 tarefas=2000 | tarefas=2000 fontes=1 lctos=2");
    auto con = AbreBanco(a.arquivoDestino, SenhaBancoDados);
    EXPECT_EQ(LinhasSqlite(*con, "SELECT min(id), max(id), max(descricao) FROM tarefas"), "1|2000|Tarefa 02000");
}

TEST(OrigemAlterada, EsvaziadaEntreAreasCadaTabelaRestanteFicaNoRegistro) {
    // An empty file is an empty SQLite database: every table still to be
    // read is missing, and the log says so for each.
    AmbienteImportacao a;
    a.origem(QString(kCentros) + ";INSERT INTO tarefas (codigo, empresa, descricao) VALUES (1,3,'t');"
                                 "INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1,3,10)");
    ImportaSemJanela(a.dm, a.janela, pedido(a, {"Centros de Custos", "Tarefas", "Caixa Pessoal"}),
                     [&](int, const QString& area, bool) {
                         if (area == "Tarefas") {
                             ASSERT_TRUE(QFile::resize(a.arquivoOrigem, 0));
                         }
                     });
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Abrindo tabela", "TAREFAS", "TAREFAS", faltaTabela("tarefas")) +
                  BlocoExcecao("Abrindo tabela", "CAIXA_LANCAMENTOS", "LCTOS", faltaTabela("caixa_lancamentos")));
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "3", "3", "0"}}));
    a.dm.DataModuleDestroy();
    // The cash account is created before its entries are looked for, and
    // keeps a zero balance.
    EXPECT_EQ(conteudo(a.arquivoDestino), "ok | sys_codigos=2 centros_custos=3 fontes=1 | centros_custos=7 fontes=1");
}

TEST(OrigemAlterada, CortadaEntreAreasEhDanificadaNaoTabelaInexistente) {
    struct Caso {
        const char* nome;
        int tamanho;  // 1: half the file; 2: its first page only
    } casos[] = {{"metade do arquivo", 1}, {"so a primeira pagina", 2}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem(QString(kCentros) + ";"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2000) "
                 "INSERT INTO tarefas (codigo, empresa, descricao, obs) "
                 "  SELECT i, 3, printf('Tarefa %05d', i), printf('%.300c', 'x') FROM n;"
                 "INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1,3,10)");
        const qint64 tamanho = c.tamanho == 1 ? QFileInfo(a.arquivoOrigem).size() / 2 : 4096;
        ImportaSemJanela(a.dm, a.janela, pedido(a, {"Centros de Custos", "Tarefas", "Caixa Pessoal"}),
                         [&](int, const QString& area, bool) {
                             if (area == "Tarefas") {
                                 ASSERT_TRUE(QFile::resize(a.arquivoOrigem, tamanho));
                             }
                         });
        // Each table read after the cut shows the damage in a message box
        // and copies nothing, as any other failure to read a source table.
        const QString danificado =
            QString("O banco de dados '%1' está danificado ou não é um banco de dados (database disk image is "
                    "malformed).")
                .arg(a.arquivoOrigem);
        EXPECT_EQ(a.janela.mensagens, (QList<QPair<QString, int>>{{danificado, 16}, {danificado, 16}}));
        EXPECT_EQ(a.janela.textoExcecoes(), "");
        EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "3", "3", "0"},
                                                        {"Tarefas", "0", "0", "0"},
                                                        {"Caixa Pessoal", "0", "0", "0"}}));
        a.dm.DataModuleDestroy();
        EXPECT_EQ(conteudo(a.arquivoDestino), "ok | sys_codigos=2 centros_custos=3 fontes=1 | centros_custos=7 fontes=1");
    }
}

// ------------------------------------------------------- killed mid-table

TEST(ProcessoMorto, NoMeioDeUmaTabelaGrandeODestinoVoltaAoUltimoCommit) {
    PastaTemporaria pasta;
    const QString origem = pasta.arquivo("antiga.mdb"), destino = pasta.arquivo("ana.tpv");
    CriaBanco(origem,
              QString(esquemas::antiga()) + ";INSERT INTO empresa VALUES (3, 'Oficina');" + kCentros + ";"
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<20000) "
                  "INSERT INTO caixa_lancamentos (codigo, empresa, data, valor, \"histórico\") "
                  "  SELECT i, 3, '2021-01-01 00:00:00', i, printf('Lançamento %d', i) FROM n",
              SenhaBancoDados);
    CriaBanco(destino, esquemas::nova(), SenhaBancoDados);

    // The child runs the import and stops, still in the transaction of the
    // entries, after 10,000 of the 20,000 rows; this process then kills it.
    int canal[2];
    ASSERT_EQ(pipe(canal), 0);
    const pid_t filho = fork();
    ASSERT_GE(filho, 0);
    if (filho == 0) {
        close(canal[0]);
        Tdm dm;
        JanelaComGatilho janela;
        dm.setJanela(&janela);
        janela.aCadaLinha = [&](const JanelaMemoria& j) {
            if (j.onde == "Importando Caixa Pessoal..." && j.posicaoTabela == 10000) {
                const char c = 'm';
                if (write(canal[1], &c, 1) != 1) _exit(2);
                for (;;) pause();
            }
        };
        PedidoImportacao p;
        p.origem = origem;
        p.empresa = 3;
        p.destino = destino;
        p.areas = QStringList{"Centros de Custos", "Caixa Pessoal"};
        try {
            ImportaSemJanela(dm, janela, p, [&](int, const QString& area, bool) {
                // A small cache pushes the uncommitted pages into the file
                // itself, so that only the journal can undo them.
                if (area == "Caixa Pessoal")
                    sqlite3_exec(dm.dbDestino.handle(), "PRAGMA cache_size = 20", nullptr, nullptr, nullptr);
            });
        } catch (...) {
            _exit(3);
        }
        _exit(4);
    }
    close(canal[1]);
    char c = 0;
    ASSERT_EQ(read(canal[0], &c, 1), 1) << "the child ended before the middle of the table";
    close(canal[0]);
    ASSERT_EQ(kill(filho, SIGKILL), 0);
    int estado = 0;
    ASSERT_EQ(waitpid(filho, &estado, 0), filho);
    EXPECT_TRUE(WIFSIGNALED(estado) && WTERMSIG(estado) == SIGKILL);
    // The half-written transaction is on disk, with its journal.
    EXPECT_TRUE(QFileInfo::exists(destino + "-journal"));

    // Opening it rolls the journal back: the cost centres and the cash
    // account were committed before the entries began; no entry and no
    // entry counter remain.
    EXPECT_EQ(conteudo(destino), "ok | sys_codigos=2 centros_custos=3 fontes=1 | centros_custos=7 fontes=1");
    EXPECT_FALSE(QFileInfo::exists(destino + "-journal"));
    auto con = AbreBanco(destino, SenhaBancoDados);
    EXPECT_EQ(LinhasSqlite(*con, "SELECT id, descricao, tipo, saldo FROM fontes"), "1|Dinheiro|DI|<null>");
}
