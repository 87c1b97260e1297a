// The safety net: checksums, the record of imports and the refusal of a
// repeated one, the copy of the destination and its restoring, the dry run.
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/bancos.h"
#include "apoio/impressao_resumo.h"
#include "apoio/origem_pequena.h"
#include "apoio/pasta_temporaria.h"
#include "db/copia_banco.h"
#include "rotina.h"
#include "seguranca.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

PedidoImportacao PedidoPequeno(const AmbienteImportacao& a) {
    PedidoImportacao p;
    p.origem = a.arquivoOrigem;
    p.empresa = 3;
    p.destino = a.arquivoDestino;
    p.areas = kAreasPequenas;
    p.instante = InstanteFixo();
    return p;
}

QString Canonico(const QString& caminho) { return QFileInfo(caminho).canonicalFilePath(); }

QStringList ArquivosDa(const PastaTemporaria& pasta) {
    return QDir(pasta.caminho()).entryList(QDir::Files, QDir::Name);
}

}  // namespace

// ---------------------------------------------------------------- checksum

TEST(SomaDoArquivo, Blake2b256EmHexadecimal) {
    PastaTemporaria pasta;
    struct Caso {
        const char* nome;
        QByteArray conteudo;
        QString soma;
        int blocos;  // calls of the callback: one per megabyte read
    } casos[] = {
        {"vazio", "", "0e5751c026e543b2e8ab2eb06099daa1d1e5df47778f7787faab45cdf12fe3a8", 0},
        {"abc", "abc", "bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319", 1},
        {"um mega de zeros", QByteArray(1 << 20, '\0'),
         "c74860dd7480e7f4b5ae705f9137e90a0aa0bc67d6e90cf8078dd6697dbdb6ad", 1},
        {"um mega e um byte", QByteArray((1 << 20) + 1, 'x'),
         "bd16f5ffd23a994f79b3cf5ff174b73be31e86a5e19450eeef0e365a2d24e9af", 2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const QString arquivo = pasta.arquivo(c.nome);
        EscreveArquivo(arquivo, c.conteudo);
        int blocos = 0;
        EXPECT_EQ(SomaDoArquivo(arquivo, [&] { ++blocos; }), c.soma);
        EXPECT_EQ(blocos, c.blocos);
        EXPECT_EQ(SomaDoArquivo(arquivo), c.soma);
    }
    const QString falta = pasta.arquivo("nao-existe.mdb");
    EXPECT_ERRO(SomaDoArquivo(falta),
                "Não foi possível ler o arquivo '" + falta + "': No such file or directory.");
}

// ------------------------------------------------------------ copy's name

TEST(NomeCopiaSeguranca, AoLadoDoDestinoComDataEHora) {
    const QDateTime instante = InstanteFixo();
    struct Caso {
        const char* destino;
        const char* copia;
    } casos[] = {
        {"/d/ana.tpv", "/d/ana.antes-da-importacao-20240305-140709.tpv"},
        {"/d/dados.ana.tpv", "/d/dados.ana.antes-da-importacao-20240305-140709.tpv"},
        {"/d/ana", "/d/ana.antes-da-importacao-20240305-140709"},
        {"/pasta com espaço/Ána.TPV", "/pasta com espaço/Ána.antes-da-importacao-20240305-140709.TPV"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.destino);
        EXPECT_EQ(NomeCopiaSeguranca(QString::fromUtf8(c.destino), instante), QString::fromUtf8(c.copia));
        EXPECT_EQ(DestinoDaCopia(QString::fromUtf8(c.copia)), std::optional<QString>(QString::fromUtf8(c.destino)));
    }
}

TEST(DestinoDaCopia, ReconheceSoNomesDeCopia) {
    struct Caso {
        const char* copia;
        std::optional<QString> destino;
    } casos[] = {
        {"/d/ana.antes-da-importacao-20240305-140709-2.tpv", "/d/ana.tpv"},
        {"/d/ana.antes-da-importacao-20240305-140709-12", "/d/ana"},
        {"/d/ana.tpv", std::nullopt},
        {"/d/ana.antes-da-importacao-2024.tpv", std::nullopt},
        {"/d/ana.antes-da-importacao-20240305-1407.tpv", std::nullopt},
        {"/d/.antes-da-importacao-20240305-140709.tpv", std::nullopt},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.copia);
        EXPECT_EQ(DestinoDaCopia(QString::fromUtf8(c.copia)), c.destino);
    }
}

// ------------------------------------------------------ copy and restore

TEST(CopiaSeguranca, CopiaComConexaoAbertaERestauraByteAByte) {
    PastaTemporaria pasta;
    const QString destino = pasta.arquivo("ana.tpv");
    CriaBanco(destino, "CREATE TABLE t (id INTEGER PRIMARY KEY, nome VARCHAR(20));"
                       "INSERT INTO t VALUES (1, 'um'), (2, 'dois');",
              "quillbend");
    QFile::setPermissions(destino, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QFileDevice::Permissions permissoes = QFile::permissions(destino);
    const QByteArray antes = LeArquivo(destino);

    auto con = AbreBanco(destino, "quillbend");
    const QString copia = FazCopiaSeguranca(*con, InstanteFixo());
    EXPECT_EQ(copia, pasta.arquivo("ana.antes-da-importacao-20240305-140709.tpv"));
    // The same second again: the name is taken.
    EXPECT_EQ(FazCopiaSeguranca(*con, InstanteFixo()), pasta.arquivo("ana.antes-da-importacao-20240305-140709-2.tpv"));

    // The import writes; the copy keeps what was there, with its password.
    ExecutaSqlite(*con, "INSERT INTO t VALUES (3, 'três'); DELETE FROM t WHERE id = 1;");
    auto daCopia = AbreBanco(copia, "quillbend");
    EXPECT_EQ(LinhasSqlite(*daCopia, "SELECT * FROM t ORDER BY id"), "1|um\n2|dois");
    EXPECT_ERRO_BANCO(AbreBanco(copia, "outra"), "Não é uma senha válida para o banco de dados '" + copia + "'.");
    daCopia.reset();
    con.reset();

    DesfazImportacao(copia, destino);
    const QByteArray depois = LeArquivo(destino);
    EXPECT_EQ(depois, LeArquivo(copia));
    EXPECT_EQ(QFile::permissions(destino), permissoes);
    EXPECT_FALSE(permissoes & (QFileDevice::ReadOther | QFileDevice::ReadGroup));
    // The online backup gives the same pages; only the header's change
    // counter, schema cookie and version-valid-for number are its own.
    ASSERT_EQ(depois.size(), antes.size());
    QList<int> diferentes;
    for (int i = 0; i < antes.size(); ++i)
        if (antes[i] != depois[i]) diferentes << i;
    for (int i : diferentes) {
        SCOPED_TRACE(i);
        EXPECT_TRUE((i >= 24 && i < 28) || (i >= 40 && i < 44) || (i >= 92 && i < 96));
    }
    con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(LinhasSqlite(*con, "SELECT * FROM t ORDER BY id"), "1|um\n2|dois");
}

TEST(CopiaSeguranca, DesfazerRecusadoSemMexerNoDestino) {
    PastaTemporaria pasta;
    const QString destino = pasta.arquivo("ana.tpv");
    CriaBanco(destino, "CREATE TABLE t (id INTEGER PRIMARY KEY);INSERT INTO t VALUES (1);");
    auto con = AbreBanco(destino);
    const QString copia = FazCopiaSeguranca(*con, InstanteFixo());
    con.reset();
    ExecutaSqlite(*AbreBanco(destino), "INSERT INTO t VALUES (2)");
    const QByteArray atual = LeArquivo(destino);
    const QString texto = pasta.arquivo("texto.tpv");
    EscreveArquivo(texto, "não sou um banco de dados");
    const QString falta = pasta.arquivo("falta.tpv");

    // A reader inside a transaction holds a lock that an exclusive one
    // cannot pass; a writer leaves its journal beside the file.
    auto leitor = AbreBanco(destino);
    ExecutaSqlite(*leitor, "BEGIN; SELECT count(*) FROM t;");
    EXPECT_ERRO_BANCO(DesfazImportacao(copia, destino),
                      "O banco de dados '" + destino + "' está em uso por outro programa: feche-o e tente novamente.");
    ExecutaSqlite(*leitor, "COMMIT");
    leitor.reset();
    auto escritor = AbreBanco(destino);
    ExecutaSqlite(*escritor, "BEGIN; INSERT INTO t VALUES (3);");
    EXPECT_ERRO_BANCO(DesfazImportacao(copia, destino),
                      "O banco de dados '" + destino + "' tem uma transação em andamento ou interrompida (arquivo '" +
                          destino + "-journal'): feche o programa que o usa e tente novamente.");
    ExecutaSqlite(*escritor, "ROLLBACK");
    escritor.reset();

    EXPECT_ERRO_BANCO(DesfazImportacao(texto, destino),
                      "O arquivo '" + texto + "' não é um banco de dados íntegro: não é um banco de dados SQLite.");
    EXPECT_ERRO_BANCO(DesfazImportacao(falta, destino), "Não foi possível encontrar o arquivo '" + falta + "'.");
    EXPECT_EQ(LeArquivo(destino), atual);
}

// A large destination is copied in blocks of 1024 pages with the caller's
// callback between them, and the copy holds all of it.
TEST(CopiaSeguranca, EmBlocosComOChamadorEntreEles) {
    PastaTemporaria pasta;
    const QString destino = pasta.arquivo("grande.tpv");
    CriaBanco(destino,
              "CREATE TABLE t (id INTEGER PRIMARY KEY, b BLOB);"
              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000) "
              "INSERT INTO t SELECT i, zeroblob(3000) || randomblob(8) FROM n;");
    auto con = AbreBanco(destino);
    const qint64 paginas = ValorSqlite(*con, "PRAGMA page_count").toLongLong();
    ASSERT_GT(paginas, 2048);
    int blocos = 0;
    const QString copia = FazCopiaSeguranca(*con, InstanteFixo(), [&] { ++blocos; });
    EXPECT_EQ(blocos, (paginas - 1) / 1024);
    const QString conteudo = "SELECT count(*), sum(length(b)), hex(max(b)) FROM t";
    EXPECT_EQ(LinhasSqlite(*AbreBanco(copia), conteudo), LinhasSqlite(*con, conteudo));
}

// While the guard lives, a long statement on either connection lets the
// window handle its events; before and after, it does not.
TEST(EventosDuranteSql, ConsultaLongaDeixaAJanelaViva) {
    AmbienteImportacao a;
    const QString longa = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<200000) "
                          "SELECT count(*) FROM n";
    EXPECT_EQ(ValorSqlite(a.dm.dbDestino, longa), "200000");
    EXPECT_EQ(a.janela.eventos, 0);
    {
        EventosDuranteSql guarda(a.dm);
        EXPECT_EQ(ValorSqlite(a.dm.dbDestino, longa), "200000");
        const int noDestino = a.janela.eventos;
        EXPECT_GT(noDestino, 10);
        EXPECT_EQ(ValorSqlite(a.dm.dbOrigem, longa), "200000");
        EXPECT_GT(a.janela.eventos, noDestino);
    }
    const int depois = a.janela.eventos;
    EXPECT_EQ(ValorSqlite(a.dm.dbDestino, longa), "200000");
    EXPECT_EQ(ValorSqlite(a.dm.dbOrigem, longa), "200000");
    EXPECT_EQ(a.janela.eventos, depois);
}

TEST(CopiaSeguranca, SoDeBancoSqliteAbertoENuncaPorCima) {
    PastaTemporaria pasta;
    const QString destino = pasta.arquivo("ana.tpv");
    CriaBanco(destino, "CREATE TABLE t (id INTEGER)");
    db::Conexao fechada;
    EXPECT_ERRO_BANCO(db::CopiaBancoAberto(fechada, pasta.arquivo("x.tpv")),
                      "Só é possível copiar um banco de dados SQLite aberto.");
    auto con = AbreBanco(destino);
    const QString existente = pasta.arquivo("existe.tpv");
    EscreveArquivo(existente, "meu");
    EXPECT_ERRO_BANCO(db::CopiaBancoAberto(*con, existente),
                      "A cópia '" + existente + "' não foi feita: já existe um arquivo com esse nome.");
    EXPECT_EQ(LeArquivo(existente), "meu");
    const QString semPasta = pasta.arquivo("nao/existe/x.tpv");
    EXPECT_ERRO_BANCO(db::CopiaBancoAberto(*con, semPasta),
                      "Não foi possível abrir o banco de dados '" + semPasta + "': unable to open database file.");
    EXPECT_FALSE(QFileInfo::exists(semPasta));
}

TEST(CopiaSeguranca, FalhaDaCopiaImpedeAImportacao) {
    // A name so long that the copy's, longer still, cannot be created.
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    const QString destino = a.pasta.arquivo(QString(230, 'a') + ".tpv");
    QFile::copy(a.arquivoDestino, destino);
    PedidoImportacao pedido = PedidoPequeno(a);
    pedido.destino = destino;
    pedido.copiaSeguranca = true;
    const QString copia = a.pasta.arquivo(QString(230, 'a') + ".antes-da-importacao-20240305-140709.tpv");
    EXPECT_ERRO_BANCO(ImportaSemJanela(a.dm, a.janela, pedido),
                      "A cópia de segurança do destino não pôde ser feita, e nada foi importado. Não foi possível abrir "
                      "o banco de dados '" + copia + "': unable to open database file.");
    auto con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM centros_custos"), "0");
    EXPECT_EQ(ArquivosDa(a.pasta), QStringList({QString(230, 'a') + ".tpv", "ana.tpv", "antiga.mdb"}));
}

// ------------------------------------------------------ repeated imports

TEST(Reimportacao, SegundaImportacaoRecusadaComOsDadosDaPrimeira) {
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    PedidoImportacao pedido = PedidoPequeno(a);
    pedido.registra = true;
    ImportaSemJanela(a.dm, a.janela, pedido);
    const QString soma = SomaDoArquivo(a.arquivoOrigem);
    EXPECT_EQ(a.linhasDestino("SELECT id, quando, origem, soma_origem, empresa, areas FROM importacoes_tarvo"),
              "1|2024-03-05T14:07:09-03:00|" + Canonico(a.arquivoOrigem) + "|" + soma +
                  "|3|Centros de Custos;Caixa Pessoal;Controle Bancário");
    EXPECT_EQ(QJsonDocument::fromJson(a.valorDestino("SELECT contagens FROM importacoes_tarvo").toUtf8()).object(),
              QJsonObject({{"Centros de Custos", QJsonObject{{"lidas", 2}, {"importadas", 2}, {"recusadas", 0}}},
                           {"Caixa Pessoal", QJsonObject{{"lidas", 2}, {"importadas", 2}, {"recusadas", 0}}},
                           {"Controle Bancário", QJsonObject{{"lidas", 3}, {"importadas", 3}, {"recusadas", 0}}}}));
    const QString lctos = a.valorDestino("SELECT count(*) FROM lctos");
    EXPECT_EQ(lctos, "4");

    // Only the run order of the areas in common, and nothing written.
    pedido.areas = QStringList{"Tarefas", "Caixa Pessoal", "Centros de Custos"};
    pedido.instante = InstanteFixo().addDays(1);
    try {
        ImportaSemJanela(a.dm, a.janela, pedido);
        ADD_FAILURE() << "a repeated import ran";
    } catch (const ErroReimportacao& e) {
        EXPECT_EQ(e.mensagem(),
                  "A empresa 3 (Oficina) deste banco de dados de origem já foi importada para este destino em "
                  "05/03/2024 às 14:07 (Centros de Custos; Caixa Pessoal). Importar novamente duplicaria as contas e "
                  "os lançamentos já importados, e os saldos ficariam incorretos.");
        ASSERT_EQ(e.repetidas().size(), 1);
        EXPECT_EQ(e.repetidas()[0].id, 1);
    }
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), lctos);
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM importacoes_tarvo"), "1");

    // Asked to go on, it runs and is recorded in its turn.
    pedido.reimporta = true;
    ImportaSemJanela(a.dm, a.janela, pedido);
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "6");
    EXPECT_EQ(a.linhasDestino("SELECT id, quando, areas FROM importacoes_tarvo ORDER BY id"),
              "1|2024-03-05T14:07:09-03:00|Centros de Custos;Caixa Pessoal;Controle Bancário\n"
              "2|2024-03-06T14:07:09-03:00|Centros de Custos;Tarefas;Caixa Pessoal");
    // The counts are this run's own: the cost centres, whose ids are the
    // old codes, are refused the second time.
    EXPECT_EQ(QJsonDocument::fromJson(a.valorDestino("SELECT contagens FROM importacoes_tarvo WHERE id = 2").toUtf8())
                  .object(),
              QJsonObject({{"Centros de Custos", QJsonObject{{"lidas", 2}, {"importadas", 0}, {"recusadas", 2}}},
                           {"Tarefas", QJsonObject{{"lidas", 0}, {"importadas", 0}, {"recusadas", 0}}},
                           {"Caixa Pessoal", QJsonObject{{"lidas", 2}, {"importadas", 2}, {"recusadas", 0}}}}));
}

TEST(Reimportacao, QuandoOImportadoERepetido) {
    const RegistroImportacao anterior{1, "2024-03-05T14:07:09-03:00", "/d/antigo.mdb", "abc", 3,
                                      {"Centros de Custos", "Caixa Pessoal"}, "{}"};
    struct Caso {
        const char* nome;
        QString soma, origem;
        qint64 empresa;
        QStringList areas;
        bool repetida;
    } casos[] = {
        {"mesmo arquivo", "abc", "/d/antigo.mdb", 3, {"Caixa Pessoal"}, true},
        {"copia com outro nome", "abc", "/e/copia.mdb", 3, {"Caixa Pessoal"}, true},
        {"mesmo caminho, arquivo mudado", "def", "/d/antigo.mdb", 3, {"Centros de Custos"}, true},
        {"letra das areas", "abc", "/d/antigo.mdb", 3, {"caixa pessoal"}, true},
        {"outra empresa", "abc", "/d/antigo.mdb", 1, {"Caixa Pessoal"}, false},
        {"outras areas", "abc", "/d/antigo.mdb", 3, {"Tarefas", "Contas a Pagar"}, false},
        {"outro arquivo", "def", "/e/outro.mdb", 3, {"Caixa Pessoal"}, false},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const auto repetidas = ImportacoesRepetidas({anterior}, c.soma, c.origem, c.empresa, c.areas);
        EXPECT_EQ(repetidas.size(), c.repetida ? 1 : 0);
    }
}

TEST(Reimportacao, PerguntaDoAssistente) {
    const QList<RegistroImportacao> repetidas{
        {1, "2024-03-05T14:07:09-03:00", "/d/a.mdb", "abc", 1, {"Caixa Pessoal", "Tarefas"}, "{}"},
        {4, "2024-04-10T09:30:00-03:00", "/d/a.mdb", "abc", 1, {"Contas a Pagar"}, "{}"},
    };
    EXPECT_EQ(TextoPerguntaReimportacao(repetidas, {"Tarefas", "Caixa Pessoal", "Contas a Pagar", "Investimentos"}, 1,
                                        "Família Conceição"),
              "A empresa 1 (Família Conceição) deste banco de dados de origem já foi importada para este usuário em "
              "05/03/2024 às 14:07 (Tarefas; Caixa Pessoal) e em 10/04/2024 às 09:30 (Contas a Pagar)!\r\n\r\n"
              "Importar novamente irá duplicar as contas e os lançamentos já importados, e os saldos ficarão "
              "incorretos.\r\n\r\nDeseja importar novamente mesmo assim ?");
    EXPECT_EQ(mb::SegundoBotaoPadrao, 0x100);
}

// ------------------------------------------------- the run's safety net

TEST(ImportaSemJanelaSegura, CopiaAntesDaPrimeiraGravacao) {
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    const QByteArray antes = LeArquivo(a.arquivoDestino);
    PedidoImportacao pedido = PedidoPequeno(a);
    pedido.copiaSeguranca = true;
    pedido.verifica = true;
    ResultadoImportacao r;
    QStringList eventos;
    pedido.aoPreparar = [&](const PreparacaoImportacao& p) {
        eventos << QString("preparada: cópia %1, %2 linhas a ler")
                       .arg(QFileInfo(p.copiaSeguranca).fileName())
                       .arg(p.linhasPrevistas());
    };
    pedido.aoConcluir = [&] { eventos << QString("concluída: %1 áreas verificadas").arg(r.verificacao.size()); };
    ImportaSemJanela(
        a.dm, a.janela, pedido,
        [&](int, const QString& area, bool marcada) {
            if (marcada) eventos << area;
        },
        &r);
    EXPECT_EQ(eventos, QStringList({"preparada: cópia ana.antes-da-importacao-20240305-140709.tpv, 7 linhas a ler",
                                    "Centros de Custos", "Caixa Pessoal", "Controle Bancário",
                                    "concluída: 0 áreas verificadas"}));
    EXPECT_EQ(r.verificacao.size(), 3);
    const QString copia = a.pasta.arquivo("ana.antes-da-importacao-20240305-140709.tpv");
    EXPECT_EQ(r.preparacao.copiaSeguranca, copia);
    EXPECT_TRUE(r.concluida);
    auto daCopia = AbreBanco(copia, "quillbend");
    EXPECT_EQ(ValorSqlite(*daCopia, "SELECT count(*) FROM lctos"), "0");
    EXPECT_EQ(ValorSqlite(*daCopia, "SELECT count(*) FROM centros_custos"), "0");
    daCopia.reset();
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "4");

    a.dm.DataModuleDestroy();
    DesfazImportacao(copia, a.arquivoDestino);
    EXPECT_EQ(LeArquivo(a.arquivoDestino), LeArquivo(copia));
    EXPECT_EQ(LeArquivo(a.arquivoDestino).size(), antes.size());
    auto desfeito = AbreBanco(a.arquivoDestino, "quillbend");
    EXPECT_EQ(ValorSqlite(*desfeito, "SELECT count(*) FROM lctos"), "0");
}

TEST(ImportaSemJanelaSegura, SimulacaoNaoAlteraODestino) {
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    const QString somaAntes = SomaDoArquivo(a.arquivoDestino);
    PedidoImportacao pedido = PedidoPequeno(a);
    pedido.simulacao = true;
    pedido.registra = true;
    pedido.verifica = true;
    pedido.copiaSeguranca = true;  // a dry run needs none and takes none
    ResultadoImportacao r;
    ImportaSemJanela(a.dm, a.janela, pedido, {}, &r);
    EXPECT_EQ(SomaDoArquivo(a.arquivoDestino), somaAntes);
    EXPECT_EQ(r.preparacao.copiaSeguranca, "");
    EXPECT_EQ(ArquivosDa(a.pasta), QStringList({"ana.tpv", "antiga.mdb"}));
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "2", "2", "0"},
                                                   {"Caixa Pessoal", "2", "2", "0"},
                                                   {"Controle Bancário", "1", "1", "0"},
                                                   {"Controle Bancário", "2", "2", "0"}}));
    ASSERT_EQ(r.verificacao.size(), 3);
    for (const VerificacaoArea& v : r.verificacao) EXPECT_TRUE(v.confere()) << v.area.toStdString();
    // The module writes into the copy, which holds the run and its record.
    EXPECT_EQ(a.dm.dbDestino.arquivo(), r.arquivoSimulado);
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "4");
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM importacoes_tarvo"), "1");
    auto real = AbreBanco(a.arquivoDestino, "quillbend");
    EXPECT_EQ(ValorSqlite(*real, "SELECT count(*) FROM lctos"), "0");
    real.reset();
    a.dm.DataModuleDestroy();
    const QString pastaSimulacao = r.pastaSimulacao->path();
    r = ResultadoImportacao();
    EXPECT_FALSE(QFileInfo::exists(pastaSimulacao));
}

TEST(ImportaSemJanelaSegura, SemAsOpcoesNadaMuda) {
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    ResultadoImportacao r;
    ImportaSemJanela(a.dm, a.janela, PedidoPequeno(a), {}, &r);
    EXPECT_EQ(ArquivosDa(a.pasta), QStringList({"ana.tpv", "antiga.mdb"}));
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM sqlite_master WHERE name = 'importacoes_tarvo'"), "0");
    EXPECT_FALSE(r.preparada);
    EXPECT_TRUE(r.concluida);
    EXPECT_TRUE(r.verificacao.isEmpty());
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "4");
}
