// Bad input: texts that break quoting, huge memos, bytes that are not text,
// impossible dates, codes at the edges of an integer, odd account codes,
// companies without rows or by the thousand, old databases without tables,
// destinations of another schema and users databases with bad paths. Each
// ends in a clear error or a logged block, and each test states exactly what
// the destination holds afterwards.
#include "amostra/gerador.h"
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/blocos.h"
#include "apoio/impressao_resumo.h"
#include "db/consulta.h"
#include "esquemas.h"
#include "rotina.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

PedidoImportacao pedido(const QString& origem, qint64 empresa, const QString& destino,
                        const QStringList& areas = {}) {
    PedidoImportacao p;
    p.origem = origem;
    p.empresa = empresa;
    p.destino = destino;
    p.areas = areas;
    return p;
}

// Runs the areas of `areas` as the run does, each announced first.
void importa(AmbienteImportacao& a, const QStringList& areas) {
    ExecutaImportacao(a.dm, [&](const QString& area) {
        a.anuncia(area);
        return areas.contains(area);
    });
}

// What the destination holds, opened anew: "table=rows" for every table
// with rows, then the counters in sys_codigos in the order they were written.
QString conteudo(const QString& arquivo) {
    auto con = AbreBanco(arquivo, SenhaBancoDados);
    QStringList tabelas;
    for (const QString& t : con->tabelas()) {
        const QString n = ValorSqlite(*con, "SELECT count(*) FROM \"" + t + "\"");
        if (n != "0") tabelas << t + "=" + n;
    }
    return tabelas.join(' ') + " | " +
           LinhasSqlite(*con, "SELECT tabela || '=' || id FROM sys_codigos ORDER BY rowid").replace('\n', ' ');
}

QString faltaTabela(const QString& tabela) {
    return "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta '" + tabela +
           "'. Certifique-se de que ela existe e que seu nome está escrito corretamente.";
}

QString incompativel(const QString& valor, const QString& tipo, const QString& campo) {
    return QString("Tipo de dados incompatível: o valor '%1' não pode ser gravado no campo %2 '%3'.")
        .arg(valor, tipo, campo);
}

// The blocks of the log, one text each.
QStringList blocos(const JanelaMemoria& janela) {
    QStringList r = janela.textoExcecoes().split(QString(62, '_') + "\r\n\r\n", Qt::SkipEmptyParts);
    return r;
}

// Sets the working folder for the life of the object.
class PastaDeTrabalho {
public:
    explicit PastaDeTrabalho(const QString& pasta) : anterior_(QDir::currentPath()) { QDir::setCurrent(pasta); }
    ~PastaDeTrabalho() { QDir::setCurrent(anterior_); }

private:
    QString anterior_;
};

}  // namespace

// --------------------------------------------------------------- quoting

TEST(TextosComAspas, AspasApostrofosPercentuaisEPontoEVirgulaChegamComoEstao) {
    AmbienteImportacao a;
    // The chart's descriptions are looked up again, as Jet literals, to link
    // the entries: every entry must find its own account.
    a.origem(R"SQL(
INSERT INTO caixa_contas (codigo, empresa, "descrição", "código_conta") VALUES
  (11, 3, 'Aluguel "Centro"', '1.1'), (12, 3, 'D''Ávila', '1.2'), (13, 3, '50% off', '1.3'),
  (14, 3, 'a; DROP TABLE lctos; --', '1.4'), (15, 3, '%1 %2 %s %n', '1.5'), (16, 3, '"', '1.6'),
  (17, 3, '''', '1.7'), (18, 3, '\"', '1.8');
INSERT INTO caixa_lancamentos (codigo, empresa, valor, "histórico", conta, documento) VALUES
  (1, 3, 1, '"aspas"', '1.1', '"'), (2, 3, 2, 'it''s', '1.2', '%'), (3, 3, 3, '100%', '1.3', ';'),
  (4, 3, 4, 'x; y', '1.4', ''''), (5, 3, 5, '%d%%', '1.5', '%1'), (6, 3, 6, '', '1.6', NULL),
  (7, 3, 7, '''''', '1.7', NULL), (8, 3, 8, '\n', '1.8', NULL);
INSERT INTO centros_custos VALUES (1, 3, '%1'), (2, 3, 'a''b"c;d%e');
INSERT INTO agenda (codigo, empresa, "descrição", compromisso_data) VALUES (1, 3, 'Reunião "anual"; 100%', '%1%2');
)SQL");
    importa(a, {"Contas de Receitas e Despesas", "Agenda de Compromissos", "Centros de Custos", "Caixa Pessoal"});
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao, codigo_conta FROM plano_contas ORDER BY id"),
              "11|Aluguel \"Centro\"|1.01\n12|D'Ávila|1.02\n13|50% off|1.03\n14|a; DROP TABLE lctos; --|1.04\n"
              "15|%1 %2 %s %n|1.05\n16|\"|1.06\n17|'|1.07\n18|\\\"|1.08");
    EXPECT_EQ(a.linhasDestino("SELECT id, documento, descricao, id_contacaixa FROM lctos ORDER BY id"),
              "1|\"|\"aspas\"|11\n2|%|it's|12\n3|;|100%|13\n4|'|x; y|14\n5|%1|%d%%|15\n6|<null>||16\n"
              "7|<null>|''|17\n8|<null>|\\n|18");
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM centros_custos ORDER BY id"), "1|%1\n2|a'b\"c;d%e");
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao, data_inicial FROM agenda"), "1|Reunião \"anual\"; 100%|<null>");
    // A percent sign in a value is not taken for a placeholder of the message.
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Mapeando Campos", "AGENDA", "AGENDA",
                                                     "A data '%1%2' do campo 'compromisso_data' não pôde ser lida."));
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Contas de Receitas e Despesas", "8", "8", "0"},
                                                    {"Agenda de Compromissos", "1", "1", "0"},
                                                    {"Centros de Custos", "2", "2", "0"},
                                                    {"Caixa Pessoal", "8", "8", "0"}}));
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino),
              "sys_codigos=5 plano_contas=8 centros_custos=2 fontes=1 lctos=8 agenda=1 | "
              "plano_contas=18 agenda=1 centros_custos=2 fontes=1 lctos=8");
}

// --------------------------------------------------------------- big memo

TEST(MemoGrande, RichTextDeDezMegabytesViraTextoInteiro) {
    AmbienteImportacao a;
    // 524,288 paragraphs of 20 bytes: 10 MiB of rich text.
    const int paragrafos = 524288;
    a.origem(QString("INSERT INTO tarefas (codigo, empresa, descricao, obs) VALUES (1, 3, 'grande', "
                     "'{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Tahoma;}}\\pard ' || (WITH RECURSIVE n(i) AS "
                     "(SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<%1) SELECT group_concat('Linha d\\''e9bito\\par ', "
                     "'') FROM n) || '}')")
                 .arg(paragrafos));
    ASSERT_GT(ValorSqlite(a.dm.dbOrigem, "SELECT length(obs) FROM tarefas").toLongLong(), 10 * 1024 * 1024);
    importa(a, {"Tarefas"});
    EXPECT_EQ(a.janela.textoExcecoes(), "");
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Tarefas", "1", "1", "0"}}));
    a.dm.DataModuleDestroy();
    auto con = AbreBanco(a.arquivoDestino, SenhaBancoDados);
    db::Consulta q(con.get(), "select obs from tarefas");
    q.open();
    EXPECT_EQ(q.fieldByName("obs").asString(), QString("Linha débito\r\n").repeated(paragrafos));
}

// --------------------------------------------------- bytes that are not text

TEST(BytesEstranhos, CaracteresDeControleENuloChegamByteAByte) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (1, 3, CAST(X'01070A0D1B7F09' AS TEXT)), "
             "(2, 3, CAST(X'610062' AS TEXT)), (3, 3, CAST(X'C2A0E2808B' AS TEXT));"
             "INSERT INTO tarefas (codigo, empresa, descricao, obs) VALUES (1, 3, CAST(X'7409' AS TEXT), "
             "CAST(X'410042' AS TEXT))");
    importa(a, {"Centros de Custos", "Tarefas"});
    EXPECT_EQ(a.linhasDestino("SELECT id, hex(descricao) FROM centros_custos ORDER BY id"),
              "1|01070A0D1B7F09\n2|610062\n3|C2A0E2808B");
    // A plain memo gets its closing line break, as every memo does.
    EXPECT_EQ(a.linhasDestino("SELECT id, hex(descricao), hex(obs) FROM tarefas"), "1|7409|4100420D0A");
    EXPECT_EQ(a.janela.textoExcecoes(), "");
    EXPECT_EQ(a.janela.resumo,
              (QList<LinhaResumo>{{"Centros de Custos", "3", "3", "0"}, {"Tarefas", "1", "1", "0"}}));
}

// Text that is not UTF-8 comes from a Windows program writing
// Windows-1252: read as such, the row is kept whole and the log names it.
TEST(BytesEstranhos, UtfInvalidoLidoComoWindows1252ENaoSomeEmSilencio) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (1, 3, CAST(X'41E7E36F' AS TEXT)), (2, 3, CAST(X'41C328' AS TEXT)),"
             "(3, 3, 'válido'), (4, 3, CAST(X'80819D' AS TEXT))");
    importa(a, {"Centros de Custos"});
    // "Ação", "AÃ(", "válido", and the euro sign with the two bytes
    // Windows-1252 leaves undefined kept as their own code points.
    EXPECT_EQ(a.linhasDestino("SELECT id, hex(descricao) FROM centros_custos ORDER BY id"),
              "1|41C3A7C3A36F\n2|41C38328\n3|76C3A16C69646F\n4|E282ACC281C29D");
    const QString inicio = "Ação ..............: Mapeando Campos\r\nTabela de Origem ..: CENTROS_CUSTOS\r\n"
                           "Tabela de Destino .: CENTROS_CUSTOS\r\nExceção: \r\nO texto do campo 'descrição' não é "
                           "UTF-8 válido e foi lido como Windows-1252: '";
    EXPECT_EQ(blocos(a.janela), (QStringList{inicio + "Ação'.\r\n\r\n", inicio + "AÃ('.\r\n\r\n",
                                             inicio + "€\u0081\u009D'.\r\n\r\n"}));
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "4", "4", "0"}}));
}

// ------------------------------------------------------------------- dates

TEST(Datas, IlegiveisViramBlocoECampoVazioValidasNosExtremosFicam) {
    struct Caso {
        const char* valor;     // as the source holds it (SQL)
        const char* gravado;   // the destination's data
        const char* recusado;  // the value the block names; empty: no block
    } casos[] = {
        {"'0100-01-01 00:00:00'", "0100-01-01 00:00:00", ""},
        {"'9999-12-31 23:59:59'", "9999-12-31 23:59:59", ""},
        {"-657434", "0100-01-01 00:00:00", ""},
        {"2958465.5", "9999-12-31 12:00:00", ""},
        {"'31/12/1899'", "1899-12-31 00:00:00", ""},
        {"'1582-10-10'", "1582-10-10 00:00:00", ""},
        {"'0000-00-00 00:00:00'", "<null>", "0000-00-00 00:00:00"},
        {"'10000-01-01 00:00:00'", "<null>", "10000-01-01 00:00:00"},
        {"'2021-02-30 00:00:00'", "<null>", "2021-02-30 00:00:00"},
        {"'2021-13-01'", "<null>", "2021-13-01"},
        {"'24:00:00'", "<null>", "24:00:00"},
        {"'amanhã'", "<null>", "amanhã"},
    };
    AmbienteImportacao a;
    QStringList linhas, esperado;
    QString blocosEsperados;
    int codigo = 0;
    for (const auto& c : casos) {
        ++codigo;
        linhas << QString("(%1, 3, 'p%1', %2)").arg(codigo).arg(c.valor);
        esperado << QString("%1|%2").arg(codigo).arg(c.gravado);
        if (*c.recusado)
            blocosEsperados += BlocoExcecao("Mapeando Campos", "PATRIMONIOS", "PATRIMONIOS",
                                            incompativel(c.recusado, "data/hora", "data"));
    }
    a.origem("INSERT INTO patrimonios (codigo, empresa, descricao, data) VALUES " + linhas.join(','));
    importa(a, {"Patrimônio"});
    EXPECT_EQ(a.linhasDestino("SELECT id, data FROM patrimonios ORDER BY id"), esperado.join('\n'));
    EXPECT_EQ(a.janela.textoExcecoes(), blocosEsperados);
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Patrimônio", "12", "12", "0"}}));
}

TEST(Datas, ForaDoAlcanceDoAccessSaoRecusadasComoAsIlegiveis) {
    AmbienteImportacao a;
    a.origem("INSERT INTO patrimonios (codigo, empresa, descricao, data) VALUES "
             "(1, 3, 'a', '0099-12-31 00:00:00'), (2, 3, 'b', '-0001-01-01 00:00:00'), (3, 3, 'c', 2958466), "
             "(4, 3, 'd', -700000), (5, 3, 'e', 1e10), (6, 3, 'f', 1e300), (7, 3, 'g', '2021-03-05 00:00:00')");
    importa(a, {"Patrimônio"});
    EXPECT_EQ(a.linhasDestino("SELECT id, data FROM patrimonios ORDER BY id"),
              "1|<null>\n2|<null>\n3|<null>\n4|<null>\n5|<null>\n6|<null>\n7|2021-03-05 00:00:00");
    const QStringList b = blocos(a.janela);
    ASSERT_EQ(b.size(), 6);
    for (const QString& bloco : b) {
        EXPECT_TRUE(bloco.contains("\r\nExceção: \r\nTipo de dados incompatível: o valor '")) << bloco.toStdString();
        EXPECT_TRUE(bloco.endsWith("' não pode ser gravado no campo data/hora 'data'.\r\n\r\n")) << bloco.toStdString();
        EXPECT_FALSE(bloco.contains("o valor ''")) << bloco.toStdString();
    }
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Patrimônio", "7", "7", "0"}}));
}

// ------------------------------------------------------- integer overflow

TEST(Inteiros, CodigosNosLimitesFicamExatosEOsQueEstouramViramBloco) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (2147483648, 3, 'além do Long'), (9223372036854775807, 3, 'máximo'),"
             "(-9223372036854775808, 3, 'mínimo'), (0, 3, 'zero');"
             // A LONG column keeps a number too big for 64 bits as a real.
             "INSERT INTO caixa_lancamentos (codigo, empresa, valor, centro_custo) VALUES (1, 3, 1, 1e20),"
             "(2, 3, 2, '99999999999999999999'), (3, 3, 3, 9223372036854775807), (4, 3, 4, '12abc'),"
             "(5, 3, 5, -2147483649)");
    importa(a, {"Centros de Custos", "Caixa Pessoal"});
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM centros_custos ORDER BY id"),
              "-9223372036854775808|mínimo\n0|zero\n2147483648|além do Long\n9223372036854775807|máximo");
    EXPECT_EQ(a.linhasDestino("SELECT id, valor, id_centrocusto FROM lctos ORDER BY id"),
              "1|1|<null>\n2|2|<null>\n3|3|9223372036854775807\n4|4|<null>\n5|5|-2147483649");
    const QString erro1e20 = incompativel("1e+20", "inteiro", "id_centrocusto");
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Mapeando Campos", "CAIXA_LANCAMENTOS", "LCTOS", erro1e20).repeated(2) +
                  BlocoExcecao("Mapeando Campos", "CAIXA_LANCAMENTOS", "LCTOS",
                               incompativel("12abc", "inteiro", "id_centrocusto")));
    EXPECT_EQ(a.janela.resumo,
              (QList<LinhaResumo>{{"Centros de Custos", "4", "4", "0"}, {"Caixa Pessoal", "5", "5", "0"}}));
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino),
              "sys_codigos=3 centros_custos=4 fontes=1 lctos=5 | centros_custos=9223372036854775807 fontes=1 lctos=5");
}

TEST(Inteiros, ContadorNoLimiteNaoDaVoltaParaONegativo) {
    AmbienteImportacao a;
    a.origem("INSERT INTO caixa_lancamentos (codigo, empresa, valor) VALUES (1, 3, 10)");
    a.destino("INSERT INTO sys_codigos VALUES (9223372036854775807, 'fontes', 1)");
    EXPECT_ERRO(importa(a, {"Caixa Pessoal"}),
                "O contador da tabela 'fontes' chegou ao maior código possível (9223372036854775807).");
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino), "sys_codigos=1 | fontes=9223372036854775807");
}

// ------------------------------------------------------------ account codes

TEST(CodigosDeConta, VaziosPontosENiveisVaziosNaoQuebramOPlanoNemOsVinculos) {
    struct Caso {
        const char* codigo;       // código_conta of the old chart (SQL)
        const char* noPlano;      // after the second level is widened
        const char* lancamento;   // an entry naming that code: id_contacaixa|tipo; empty: none
    } casos[] = {
        {"''", "", "2|P"},  // an empty code names no account: the default one
        {"'.'", ".", "12|P"},
        {"'1.'", "1.", "13|R"},
        {"'1..2'", "1..2", "14|R"},
        {"'..'", "..", "15|P"},
        {"NULL", "<null>", "2|P"},
        {"'12'", "12", ""},
        {"'1.a'", "1.a", ""},
        {"'.5'", ".5", ""},
        {"'1.2.3'", "1.02.3", ""},
        {"' 1.2 '", " 1.2 ", ""},
        {"'1.9.'", "1.09.", ""},
        {"'1.-5'", "1.-5", ""},
    };
    AmbienteImportacao a;
    QStringList contas, lancamentos, plano, vinculos;
    int codigo = 10;
    for (const auto& c : casos) {
        ++codigo;
        contas << QString("(%1, 3, 'conta %1', %2)").arg(codigo).arg(c.codigo);
        plano << QString("%1|%2").arg(codigo).arg(c.noPlano);
        if (*c.lancamento) {
            lancamentos << QString("(%1, 3, %1, %2)").arg(lancamentos.size() + 1).arg(c.codigo);
            vinculos << QString("%1|%2").arg(vinculos.size() + 1).arg(c.lancamento);
        }
    }
    a.origem("INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") VALUES " + contas.join(',') +
             ";INSERT INTO caixa_lancamentos (codigo, empresa, valor, conta) VALUES " + lancamentos.join(','));
    importa(a, {"Contas de Receitas e Despesas", "Caixa Pessoal"});
    EXPECT_EQ(a.linhasDestino("SELECT id, codigo_conta FROM plano_contas ORDER BY id"), plano.join('\n'));
    EXPECT_EQ(a.linhasDestino("SELECT id, id_contacaixa, tipo FROM lctos ORDER BY id"), vinculos.join('\n'));
    EXPECT_EQ(a.janela.textoExcecoes(), "");
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Contas de Receitas e Despesas", "13", "13", "0"},
                                                    {"Caixa Pessoal", "6", "6", "0"}}));
}

// --------------------------------------------------------------- companies

TEST(Empresas, SemNenhumaLinhaCadaAreaDaZeroEODestinoFicaComOQueTinha) {
    AmbienteImportacao a;
    const QString destino = a.pasta.arquivo("nova.tpv");
    amostra::GeraBaseNova(destino, QString());
    a.origem("INSERT INTO empresa VALUES (7, 'Sem dados'); INSERT INTO centros_custos VALUES (1, 3, 'de outra')");
    const QString antes = conteudo(destino);
    ASSERT_EQ(antes, "cfg_global=1 sys_codigos=3 plano_contas=2 montadoras=1 modelos=1 | "
                     "plano_contas=2 montadoras=1 modelos=1");
    ImportaSemJanela(a.dm, a.janela, pedido(a.arquivoOrigem, 7, destino));
    EXPECT_EQ(a.janela.textoExcecoes(), "");
    ASSERT_EQ(a.janela.resumo.size(), 21);
    for (const LinhaResumo& l : a.janela.resumo) {
        SCOPED_TRACE(l.cadastro.toStdString());
        EXPECT_EQ(QStringList({l.total, l.importados, l.naoImportados}), QStringList({"0", "0", "0"}));
    }
    a.dm.DataModuleDestroy();
    // The catalogues keep what they had; the three single accounts are
    // created, with a zero balance.
    EXPECT_EQ(conteudo(destino), "cfg_global=1 sys_codigos=4 plano_contas=2 fontes=3 montadoras=1 modelos=1 | "
                                 "plano_contas=2 montadoras=1 modelos=1 fontes=3");
    auto con = AbreBanco(destino, SenhaBancoDados);
    EXPECT_EQ(LinhasSqlite(*con, "SELECT id, descricao, tipo, saldo FROM fontes ORDER BY id"),
              "1|Dinheiro|DI|0\n2|Contas a Pagar|CP|0\n3|Contas a Receber|CR|0");
}

TEST(Empresas, CodigoQueNaoEstaNaOrigemNaoTocaNoDestino) {
    AmbienteImportacao a;
    a.dm.dbDestino.close();
    const QByteArray antes = LeArquivo(a.arquivoDestino);
    EXPECT_ERRO(ImportaSemJanela(a.dm, a.janela, pedido(a.arquivoOrigem, 7, a.arquivoDestino)),
                "A empresa 7 não existe no banco de dados de origem. Empresas: 1 (Casa), 3 (Oficina).");
    EXPECT_FALSE(a.dm.dbDestino.connected());
    EXPECT_EQ(LeArquivo(a.arquivoDestino), antes);
}

TEST(Empresas, DezMilEmpresasNaListaEAUltimaImportada) {
    AmbienteImportacao a;
    a.origem("DELETE FROM empresa;"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
             "INSERT INTO empresa SELECT 10001 - i, printf('Empresa %05d', 10001 - i) FROM n;"
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
             "INSERT INTO centros_custos SELECT i, i, printf('Centro da empresa %d', i) FROM n");
    ImportaSemJanela(a.dm, a.janela, pedido(a.arquivoOrigem, 10000, a.arquivoDestino, {"Centros de Custos"}));
    ASSERT_EQ(a.janela.empresas.size(), 10000);
    EXPECT_EQ(a.janela.empresas.first(), qMakePair(QString("Empresa 00001"), qint64(1)));
    EXPECT_EQ(a.janela.empresas.at(4999), qMakePair(QString("Empresa 05000"), qint64(5000)));
    EXPECT_EQ(a.janela.empresas.last(), qMakePair(QString("Empresa 10000"), qint64(10000)));
    EXPECT_EQ(a.janela.empresaSelecionada(), 10000);
    EXPECT_EQ(a.dm.FiltroEmpresa, " where empresa=10000 ");
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "1", "1", "0"}}));
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino), "sys_codigos=1 centros_custos=1 | centros_custos=10000");
    auto con = AbreBanco(a.arquivoDestino, SenhaBancoDados);
    EXPECT_EQ(LinhasSqlite(*con, "SELECT * FROM centros_custos"), "10000|1|Centro da empresa 10000");
}

// ---------------------------------------------------- old database without tables

TEST(BancoAntigo, SemTabelasRecusadoAntesDeTocarNoDestino) {
    struct Caso {
        const char* nome;
        QByteArray conteudo;  // empty: made by SQLite from `sql`
        QString sql;
        QString erro;         // %1: the file
    } casos[] = {
        {"sqlite sem nenhuma tabela", {}, "CREATE TABLE x (a); DROP TABLE x",
         "Erro ao conectar com o banco de dados de origem (#02)!\r\n\r\n" + faltaTabela("empresa")},
        {"arquivo vazio", QByteArray(), {},
         "Erro ao conectar com o banco de dados de origem (#02)!\r\n\r\nFormato de banco de dados não reconhecido: "
         "'%1'."},
        {"texto qualquer", QByteArray("Tarvo Pessoal\r\n"), {},
         "Erro ao conectar com o banco de dados de origem (#02)!\r\n\r\nFormato de banco de dados não reconhecido: "
         "'%1'."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        const QString origem = a.pasta.arquivo("velha.mdb");
        if (c.sql.isEmpty()) EscreveArquivo(origem, c.conteudo);
        else CriaBanco(origem, c.sql);
        a.dm.dbDestino.close();
        const QByteArray antes = LeArquivo(a.arquivoDestino);
        EXPECT_ERRO(ImportaSemJanela(a.dm, a.janela, pedido(origem, 3, a.arquivoDestino)),
                    c.erro.contains("%1") ? c.erro.arg(origem) : c.erro);
        EXPECT_FALSE(a.dm.dbOrigem.connected());
        EXPECT_EQ(LeArquivo(a.arquivoDestino), antes);
    }
}

TEST(BancoAntigo, SoComEmpresasCadaTabelaAusenteUmBloco) {
    AmbienteImportacao a;
    const QString origem = a.pasta.arquivo("velha.mdb");
    CriaBanco(origem, "CREATE TABLE empresa (codigo INTEGER PRIMARY KEY, nome TEXT(50)); "
                      "INSERT INTO empresa VALUES (3, 'Oficina')");
    ImportaSemJanela(a.dm, a.janela, pedido(origem, 3, a.arquivoDestino));
    // Every source table the run reads, in run order, and where it goes.
    const QList<QPair<QString, QString>> tabelas{
        {"caixa_contas", "plano_contas"},
        {"agenda", "agenda"},
        {"centros_custos", "centros_custos"},
        {"contas_bancarias_historicos", "historicos"},
        {"patrimonios", "patrimonios"},
        {"tarefas", "tarefas"},
        {"contatos", "contatos"},
        {"telefones_contatos", "contatos_fones"},
        {"caixa_lancamentos", "lctos"},
        {"cartoes_credito", "fontes"},
        {"contas_pagar", "lctos"},
        {"contas_receber", "lctos"},
        {"contas_bancarias", "fontes"},
        {"modelos", "modelos"},
        {"montadoras", "montadoras"},
        {"combustiveis", "combustiveis"},
        {"manutencoes", "manutencoes"},
        {"lancamentos", "veiculos_lctos"},
        {"veiculos", "veiculos"},
        {"viagens", "viagens"},
        {"investimentos", "fontes"},
    };
    QString esperado;
    for (const auto& [de, para] : tabelas)
        esperado += BlocoExcecao("Abrindo tabela", de.toUpper(), para.toUpper(), faltaTabela(de));
    EXPECT_EQ(a.janela.textoExcecoes(), esperado);
    // No summary row: every copy stops at its missing table. The three
    // single accounts are still created, before their entries are looked for.
    EXPECT_TRUE(a.janela.resumo.isEmpty());
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(a.arquivoDestino), "sys_codigos=1 fontes=3 | fontes=3");
}

// -------------------------------------------------- destination of another schema

TEST(DestinoDeOutroEsquema, RecusadoAntesDaPrimeiraGravacao) {
    struct Caso {
        const char* nome;
        QString esquema;
        QString senha;
        QString erro;  // %1: the file
    } casos[] = {
        {"banco da edicao antiga", esquemas::antiga(), SenhaBancoDados, faltaTabela("cfg_global")},
        {"banco de usuarios", esquemas::usuarios(), SenhaBancoUsuarios,
         "Erro ao conectar com o banco de dados de destino (#01)!\r\n\r\nNão é uma senha válida para o banco de "
         "dados '%1'."},
        {"edicao nova sem plano de contas", QString(esquemas::nova()) + ";DROP TABLE plano_contas", SenhaBancoDados,
         faltaTabela("plano_contas")},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem("INSERT INTO centros_custos VALUES (5, 3, 'Casa');"
                 "INSERT INTO caixa_contas (codigo, empresa, \"descrição\") VALUES (1, 3, 'Receitas')");
        const QString destino = a.pasta.arquivo("outro.tpv");
        CriaBanco(destino, c.esquema, c.senha);
        const QByteArray antes = LeArquivo(destino);
        EXPECT_ERRO(ImportaSemJanela(a.dm, a.janela, pedido(a.arquivoOrigem, 3, destino)),
                    c.erro.contains("%1") ? c.erro.arg(destino) : c.erro);
        EXPECT_TRUE(a.janela.resumo.isEmpty());
        EXPECT_EQ(a.janela.textoExcecoes(), "");
        a.dm.DataModuleDestroy();
        EXPECT_EQ(LeArquivo(destino), antes);
    }
}

TEST(DestinoDeOutroEsquema, ColunaComOutroNomeUmBlocoPorLinha) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (5, 3, 'Casa'), (6, 3, 'Carro')");
    const QString destino = a.pasta.arquivo("outro.tpv");
    CriaBanco(destino,
              QString(esquemas::nova()) + ";DROP TABLE centros_custos;"
                                          "CREATE TABLE centros_custos (id INTEGER PRIMARY KEY, area INTEGER, nome VARCHAR(50))",
              SenhaBancoDados);
    ImportaSemJanela(a.dm, a.janela, pedido(a.arquivoOrigem, 3, destino, {"Centros de Custos"}));
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Mapeando Campos", "CENTROS_CUSTOS", "CENTROS_CUSTOS",
                           "O campo 'descricao' não foi encontrado em \"centros_custos\".")
                  .repeated(2));
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Centros de Custos", "2", "2", "0"}}));
    a.dm.DataModuleDestroy();
    auto con = AbreBanco(destino, SenhaBancoDados);
    EXPECT_EQ(LinhasSqlite(*con, "SELECT * FROM centros_custos ORDER BY id"), "5|1|<null>\n6|1|<null>");
    EXPECT_EQ(LinhasSqlite(*con, "SELECT tabela, id FROM sys_codigos"), "centros_custos|6");
}

// ------------------------------------------------------------ users database

TEST(BancoDeUsuarios, CaminhosRelativosAusentesVaziosERepetidos) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (5, 3, 'Casa'), (6, 3, 'Carro'), (7, 3, 'Lazer')");
    const QString pasta = a.pasta.caminho();
    const QString ana = pasta + "/usuarios/ana.tpv", carla = pasta + "/usuarios/carla.tpv";
    const QString sumido = pasta + "/usuarios/sumido.tpv";
    QDir().mkpath(pasta + "/usuarios");
    QDir().mkpath(pasta + "/Dados");
    amostra::GeraBaseNova(ana, QString());
    amostra::GeraBaseNova(carla, QString());
    CriaBanco(pasta + "/Dados/Usuarios.zqd",
              QString(esquemas::usuarios()) +
                  QString(";INSERT INTO usuarios VALUES (1, 'Ana', 'usuarios/ana.tpv'), (2, 'Bruno', '%1'), "
                          "(3, 'Vazio', ''), (4, 'Nulo', NULL), (5, 'Carla', '%2'), (6, 'Carla de novo', '%2')")
                      .arg(sumido, carla),
              SenhaBancoUsuarios);
    // Read as the wizard fills its destination list.
    ASSERT_TRUE(a.dm.DataModuleCreate(pasta));
    QStringList caminhos;
    auto q = db::CriaQuery("select * from usuarios", a.dm.dbUsuarios);
    q->open();
    while (!q->eof()) {
        caminhos << q->fieldByName("path").asString();
        q->next();
    }
    ASSERT_EQ(caminhos, QStringList({"usuarios/ana.tpv", sumido, "", "", carla, carla}));

    // A relative path is not looked for beside the users database: from any
    // other working folder it names no file.
    PastaTemporaria outra;
    PastaDeTrabalho trabalho(outra.caminho());
    const QByteArray anaAntes = LeArquivo(ana);
    const QString naoEncontrado = "O arquivo de destino não foi encontrado! Por favor, verifique!";
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(caminhos[i].toStdString());
        JanelaMemoria janela;
        a.dm.setJanela(&janela);
        EXPECT_ERRO(ImportaSemJanela(a.dm, janela, pedido(a.arquivoOrigem, 3, caminhos[i], {"Centros de Custos"})),
                    naoEncontrado);
        EXPECT_TRUE(janela.resumo.isEmpty());
    }
    EXPECT_EQ(LeArquivo(ana), anaAntes);
    EXPECT_FALSE(QFileInfo::exists(sumido));
    EXPECT_EQ(QDir(outra.caminho()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    // Two users on one file: the second import finds every id taken and
    // refuses each row in the log; nothing is lost or doubled.
    JanelaMemoria primeira, segunda;
    a.dm.setJanela(&primeira);
    ImportaSemJanela(a.dm, primeira, pedido(a.arquivoOrigem, 3, caminhos[4], {"Centros de Custos"}));
    EXPECT_EQ(primeira.resumo, (QList<LinhaResumo>{{"Centros de Custos", "3", "3", "0"}}));
    a.dm.setJanela(&segunda);
    ImportaSemJanela(a.dm, segunda, pedido(a.arquivoOrigem, 3, caminhos[5], {"Centros de Custos"}));
    EXPECT_EQ(segunda.resumo, (QList<LinhaResumo>{{"Centros de Custos", "3", "0", "3"}}));
    EXPECT_EQ(segunda.textoExcecoes(),
              BlocoExcecao("Salvando", "CENTROS_CUSTOS", "CENTROS_CUSTOS",
                           "As alterações solicitadas na tabela 'centros_custos' não foram bem-sucedidas, pois "
                           "criariam valores duplicados no índice, chave primária ou relacionamento "
                           "(centros_custos.id).")
                  .repeated(3));
    a.dm.DataModuleDestroy();
    EXPECT_EQ(conteudo(carla), "cfg_global=1 sys_codigos=4 plano_contas=2 centros_custos=3 montadoras=1 modelos=1 | "
                               "plano_contas=2 montadoras=1 modelos=1 centros_custos=7");
}
