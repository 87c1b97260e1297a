#include "amostra/gerador.h"
#include "apoio/afirmacoes.h"
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"
#include "criptografa.h"
#include "db/conexao.h"
#include "db/consulta.h"
#include "registro.h"
#include "rtf.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace tarvo;
using namespace tarvo::amostra;
using namespace tarvo::db;
using namespace tarvo::testes;

namespace {

QString GeraAntiga(const PastaTemporaria& pasta, const QString& nome, int empresas, qint64 linhas,
                   quint64 semente = 1) {
    const QString arquivo = pasta.arquivo(nome);
    OpcoesAntiga opcoes;
    opcoes.empresas = empresas;
    opcoes.linhas = linhas;
    opcoes.semente = semente;
    GeraBaseAntiga(arquivo, opcoes);
    return arquivo;
}

qint64 Numero(Conexao& con, const QString& sql) { return ValorSqlite(con, sql).toLongLong(); }

// The first column of the first row, whole (line breaks included).
QString TextoSqlite(Conexao& con, const QString& sql) {
    sqlite3_stmt* st = nullptr;
    QString r;
    if (sqlite3_prepare_v2(con.handle(), sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        r = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    else
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(con.handle());
    sqlite3_finalize(st);
    return r;
}

// The distinct values of one column, null as "<null>".
QSet<QString> Valores(Conexao& con, const QString& tabela, const QString& coluna) {
    const QString linhas = LinhasSqlite(con, QString("SELECT DISTINCT \"%1\" FROM %2").arg(coluna, tabela));
    const QStringList lista = linhas.split('\n');
    return QSet<QString>(lista.begin(), lista.end());
}

const QStringList kTabelasLancamento = {"caixa_lancamentos",           "contas_pagar",
                                        "contas_receber",              "contas_bancarias_lancamentos",
                                        "cartoes_credito_lancamentos", "investimentos_lancamentos"};

}  // namespace

TEST(AmostraAntiga, MesmaSementeDaOsMesmosBytes) {
    PastaTemporaria pasta;
    const QByteArray a = LeArquivo(GeraAntiga(pasta, "a.mdb", 2, 300, 7));
    const QByteArray b = LeArquivo(GeraAntiga(pasta, "b.mdb", 2, 300, 7));
    const QByteArray c = LeArquivo(GeraAntiga(pasta, "c.mdb", 2, 300, 8));
    ASSERT_GT(a.size(), 0);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
}

struct CasoContagem {
    const char* nome;
    int empresas;
    qint64 linhas;
    QList<QPair<QString, qint64>> esperado;  // every table, in writing order
};

class AmostraContagens : public ::testing::TestWithParam<CasoContagem> {};

TEST_P(AmostraContagens, LinhasPorTabelaEEmpresa) {
    const CasoContagem& caso = GetParam();
    PastaTemporaria pasta;
    const QString arquivo = pasta.arquivo("antiga.mdb");
    OpcoesAntiga opcoes;
    opcoes.empresas = caso.empresas;
    opcoes.linhas = caso.linhas;
    const QList<ContagemTabela> contagens = GeraBaseAntiga(arquivo, opcoes);
    ASSERT_EQ(contagens.size(), caso.esperado.size());
    auto con = AbreBanco(arquivo, QString::fromLatin1(SenhaBancoUsuario));
    EXPECT_EQ(con->tabelas().size(), caso.esperado.size());
    for (qsizetype i = 0; i < contagens.size(); ++i) {
        const auto& [tabela, linhas] = caso.esperado[i];
        SCOPED_TRACE(tabela.toStdString());
        EXPECT_EQ(contagens[i].tabela, tabela);
        EXPECT_EQ(contagens[i].linhas, linhas);
        EXPECT_EQ(Numero(*con, "SELECT count(*) FROM " + tabela), linhas);
        // Codes run from 1 without gaps.
        EXPECT_EQ(Numero(*con, "SELECT coalesce(max(codigo), 0) FROM " + tabela), linhas);
        if (tabela == "empresa" || linhas < caso.empresas) continue;
        // Every company has rows, read the way the importer reads them.
        for (int empresa = 1; empresa <= caso.empresas; ++empresa) {
            auto q = CriaQuery(QString("select * from %1 where empresa=%2  order by codigo").arg(tabela).arg(empresa),
                               *con);
            q->open();
            EXPECT_GT(q->recordCount(), 0) << "empresa " << empresa;
        }
        EXPECT_EQ(Numero(*con, QString("SELECT count(*) FROM %1 WHERE empresa NOT BETWEEN 1 AND %2")
                                   .arg(tabela)
                                   .arg(caso.empresas)),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Amostra, AmostraContagens,
    ::testing::Values(
        CasoContagem{"tres_empresas_200_linhas", 3, 200,
                     {{"empresa", 3},           {"caixa_contas", 90},
                      {"centros_custos", 15},   {"contas_bancarias_historicos", 24},
                      {"contas_bancarias", 9},  {"cartoes_credito", 6},
                      {"investimentos", 6},     {"contatos", 20},
                      {"telefones_contatos", 40}, {"patrimonios", 10},
                      {"agenda", 10},           {"tarefas", 10},
                      {"montadoras", 18},       {"modelos", 36},
                      {"combustiveis", 12},     {"veiculos", 6},
                      {"manutencoes", 12},      {"lancamentos", 20},
                      {"viagens", 10},          {"caixa_lancamentos", 200},
                      {"contas_pagar", 200},    {"contas_receber", 200},
                      {"contas_bancarias_lancamentos", 200}, {"cartoes_credito_lancamentos", 200},
                      {"investimentos_lancamentos", 200}}},
        CasoContagem{"uma_empresa_sem_lancamentos", 1, 0,
                     {{"empresa", 1},          {"caixa_contas", 30},
                      {"centros_custos", 5},   {"contas_bancarias_historicos", 8},
                      {"contas_bancarias", 3}, {"cartoes_credito", 2},
                      {"investimentos", 2},    {"contatos", 1},
                      {"telefones_contatos", 2}, {"patrimonios", 1},
                      {"agenda", 1},           {"tarefas", 1},
                      {"montadoras", 6},       {"modelos", 12},
                      {"combustiveis", 4},     {"veiculos", 2},
                      {"manutencoes", 4},      {"lancamentos", 1},
                      {"viagens", 1},          {"caixa_lancamentos", 0},
                      {"contas_pagar", 0},     {"contas_receber", 0},
                      {"contas_bancarias_lancamentos", 0}, {"cartoes_credito_lancamentos", 0},
                      {"investimentos_lancamentos", 0}}},
        CasoContagem{"sete_empresas_5000_linhas", 7, 5000,
                     {{"empresa", 7},            {"caixa_contas", 210},
                      {"centros_custos", 35},    {"contas_bancarias_historicos", 56},
                      {"contas_bancarias", 21},  {"cartoes_credito", 14},
                      {"investimentos", 14},     {"contatos", 500},
                      {"telefones_contatos", 1000}, {"patrimonios", 250},
                      {"agenda", 250},           {"tarefas", 250},
                      {"montadoras", 42},        {"modelos", 84},
                      {"combustiveis", 28},      {"veiculos", 50},
                      {"manutencoes", 100},      {"lancamentos", 500},
                      {"viagens", 250},          {"caixa_lancamentos", 5000},
                      {"contas_pagar", 5000},    {"contas_receber", 5000},
                      {"contas_bancarias_lancamentos", 5000}, {"cartoes_credito_lancamentos", 5000},
                      {"investimentos_lancamentos", 5000}}}),
    [](const ::testing::TestParamInfo<CasoContagem>& info) { return std::string(info.param.nome); });

TEST(AmostraAntiga, ReferenciasApontamParaLinhasDaMesmaEmpresa) {
    PastaTemporaria pasta;
    auto con = AbreBanco(GeraAntiga(pasta, "antiga.mdb", 4, 2000, 3));
    struct Referencia {
        const char* tabela;
        const char* coluna;
        const char* alvo;
    };
    const Referencia referencias[] = {
        {"contas_bancarias_lancamentos", "conta_bancaria", "contas_bancarias"},
        {"cartoes_credito_lancamentos", "código_cartão", "cartoes_credito"},
        {"investimentos_lancamentos", "codigo_investimento", "investimentos"},
        {"caixa_lancamentos", "centro_custo", "centros_custos"},
        {"contas_pagar", "centro_custo", "centros_custos"},
        {"contas_pagar", "código_fornecedor", "contatos"},
        {"contas_receber", "código_cliente", "contatos"},
        {"telefones_contatos", "contato", "contatos"},
        {"agenda", "cliente", "contatos"},
        {"modelos", "cod_montadora", "montadoras"},
        {"veiculos", "modelo", "modelos"},
        {"veiculos", "montadora", "montadoras"},
        {"veiculos", "comprado_de", "contatos"},
        {"veiculos", "vendido_para", "contatos"},
        {"manutencoes", "veiculo", "veiculos"},
        {"manutencoes", "conta_caixa", "caixa_contas"},
        {"lancamentos", "veiculo", "veiculos"},
        {"lancamentos", "categoria", "manutencoes"},
        {"lancamentos", "codigo_combustivel", "combustiveis"},
        {"lancamentos", "conta_caixa", "caixa_contas"},
        {"viagens", "veiculo", "veiculos"},
    };
    for (const Referencia& r : referencias) {
        SCOPED_TRACE(QString("%1.%2").arg(r.tabela, r.coluna).toStdString());
        const QString coluna = QString("x.\"%1\"").arg(QString::fromUtf8(r.coluna));
        EXPECT_GT(Numero(*con, QString("SELECT count(*) FROM %1 x WHERE %2 IS NOT NULL").arg(r.tabela, coluna)), 0);
        EXPECT_EQ(Numero(*con, QString("SELECT count(*) FROM %1 x LEFT JOIN %2 a ON a.codigo = %3 "
                                       "WHERE %3 IS NOT NULL AND (a.codigo IS NULL OR a.empresa <> x.empresa)")
                                   .arg(r.tabela, r.alvo, coluna)),
                  0);
    }
    // The model and the manufacturer of a vehicle agree, and a service entry
    // names a plan of its own vehicle.
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM veiculos v JOIN modelos m ON m.codigo = v.modelo "
                           "WHERE m.cod_montadora <> v.montadora"),
              0);
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM lancamentos l JOIN manutencoes m ON m.codigo = l.categoria "
                           "WHERE m.veiculo <> l.veiculo"),
              0);
}

TEST(AmostraAntiga, PlanoDeContasECodigosNosLancamentos) {
    PastaTemporaria pasta;
    auto con = AbreBanco(GeraAntiga(pasta, "antiga.mdb", 3, 1000));
    for (int empresa = 1; empresa <= 3; ++empresa) {
        SCOPED_TRACE(empresa);
        const QSet<QString> codigos = [&] {
            const QStringList l =
                LinhasSqlite(*con, QString("SELECT \"código_conta\" FROM caixa_contas WHERE empresa=%1").arg(empresa))
                    .split('\n');
            return QSet<QString>(l.begin(), l.end());
        }();
        for (const char* c : {"1", "1.1", "1.2", "1.10", "2", "2.3", "2.3.1", "11.2", "3.A", "3.b"})
            EXPECT_TRUE(codigos.contains(c)) << c;
        // Codes and descriptions are unique in a company, codes whatever their case.
        EXPECT_EQ(Numero(*con, QString("SELECT count(DISTINCT lower(\"código_conta\")) - count(*) FROM caixa_contas "
                                       "WHERE empresa=%1")
                                   .arg(empresa)),
                  0);
        EXPECT_EQ(Numero(*con, QString("SELECT count(DISTINCT \"descrição\") - count(*) FROM caixa_contas "
                                       "WHERE empresa=%1")
                                   .arg(empresa)),
                  0);
    }
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM caixa_contas WHERE instr(\"descrição\", '\"') > 0"), 0);
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM caixa_contas WHERE instr(\"descrição\", '''') > 0"), 0);

    // Each entry table names chart codes as typed: as in the chart, empty,
    // null, or a code the company's chart lacks; codes with letters also in
    // the other case.
    for (const QString& tabela : kTabelasLancamento) {
        SCOPED_TRACE(tabela.toStdString());
        const QString coluna = tabela == "caixa_lancamentos" ? "conta" : "conta_caixa";
        const QString base = QString("SELECT count(*) FROM %1 x WHERE ").arg(tabela);
        const QString existe = QString("EXISTS (SELECT 1 FROM caixa_contas c WHERE c.empresa = x.empresa "
                                       "AND c.\"código_conta\" = x.%1 %2)")
                                   .arg(coluna);
        EXPECT_GT(Numero(*con, base + existe.arg("")), 0) << "iguais";
        EXPECT_GT(Numero(*con, base + QString("x.%1 = ''").arg(coluna)), 0) << "vazios";
        EXPECT_GT(Numero(*con, base + QString("x.%1 IS NULL").arg(coluna)), 0) << "nulos";
        EXPECT_GT(Numero(*con, base + QString("x.%1 <> '' AND NOT %2").arg(coluna, existe.arg("COLLATE NOCASE"))), 0)
            << "ausentes";
        if (tabela == "contas_receber" || tabela == "cartoes_credito_lancamentos") continue;  // no letter codes
        EXPECT_GT(Numero(*con, base + QString("NOT %1 AND %2").arg(existe.arg(""), existe.arg("COLLATE NOCASE"))), 0)
            << "outra caixa";
    }
}

TEST(AmostraAntiga, TextosCabemNosCampos) {
    PastaTemporaria pasta;
    auto con = AbreBanco(GeraAntiga(pasta, "antiga.mdb", 4, 3000, 5));
    int colunasTexto = 0;
    for (const QString& tabela : con->tabelas()) {
        for (const InfoColuna& c : con->colunas(tabela)) {
            if (c.tipo != TipoCampo::Texto) continue;
            ++colunasTexto;
            SCOPED_TRACE(QString("%1.%2").arg(tabela, c.nome).toStdString());
            EXPECT_LE(Numero(*con, QString("SELECT coalesce(max(length(\"%1\")), 0) FROM %2").arg(c.nome, tabela)),
                      c.tamanho);
        }
    }
    EXPECT_GT(colunasTexto, 90);  // the layer sees the TEXT(n) columns as texts with a length
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM contatos WHERE nome GLOB '*[ÁÂÃÉÊÍÓÔÕÚáâãçéêíóôõú]*'"), 0);
}

TEST(AmostraAntiga, MemosRicosECancelados) {
    PastaTemporaria pasta;
    auto con = AbreBanco(GeraAntiga(pasta, "antiga.mdb", 3, 1000));
    // A memo is rich text, plain text or null; read back as plain text, the
    // rich ones say what the plain ones say (accents, braces, backslashes and
    // line breaks survive the escaping).
    for (const QString& coluna : {QString("observações"), QString("anexos")}) {
        SCOPED_TRACE(coluna.toStdString());
        QSet<QString> ricos, simples;
        int nulos = 0;
        const QString linhas =
            LinhasSqlite(*con, QString("SELECT coalesce(replace(\"%1\", char(10), '<LF>'), '<null>') FROM contas_pagar")
                                   .arg(coluna));
        for (QString m : linhas.split('\n')) {
            m.replace("<LF>", "\n");
            if (m == "<null>") ++nulos;
            else if (m.startsWith("{\\rtf1\\ansi\\ansicpg1252")) ricos.insert(RtfParaTexto(m));
            else simples.insert(RtfParaTexto(m));
        }
        EXPECT_GT(nulos, 0);
        ASSERT_FALSE(ricos.isEmpty());
        ASSERT_FALSE(simples.isEmpty());
        for (const QString& r : ricos) EXPECT_TRUE(simples.contains(r)) << r.toStdString();
    }
    EXPECT_EQ(RtfParaTexto(TextoSqlite(*con, "SELECT \"observações\" FROM contas_pagar WHERE \"observações\" "
                                             "LIKE '{%Boleto enviado%' LIMIT 1")),
              "Boleto enviado por e-mail.\r\nGuardar o comprovante na pasta azul.\r\n");

    // About 5 % of the entries are cancelled, in every entry table.
    for (const QString& tabela : kTabelasLancamento) {
        SCOPED_TRACE(tabela.toStdString());
        const qint64 cancelados = Numero(*con, "SELECT count(*) FROM " + tabela + " WHERE cancelado = 1");
        EXPECT_GE(cancelados, 20);
        EXPECT_LE(cancelados, 90);
        EXPECT_EQ(Numero(*con, "SELECT count(*) FROM " + tabela + " WHERE cancelado NOT IN (0, 1)"), 0);
    }
}

TEST(AmostraAntiga, ValoresQueOImportadorDistingue) {
    PastaTemporaria pasta;
    auto con = AbreBanco(GeraAntiga(pasta, "antiga.mdb", 3, 1000));
    EXPECT_EQ(Valores(*con, "contas_bancarias_lancamentos", "tipo"),
              (QSet<QString>{"<null>", "0", "1", "2", "3", "4"}));
    EXPECT_EQ(Valores(*con, "investimentos_lancamentos", "tipo"), (QSet<QString>{"C", "D", "c"}));
    EXPECT_EQ(Valores(*con, "tarefas", "prioridade"), (QSet<QString>{"Alta", "Média", "Baixa", ""}));
    // Payables and receivables: open with total 0 or null, settled with a
    // payment date and a total.
    for (const char* tabela : {"contas_pagar", "contas_receber"}) {
        SCOPED_TRACE(tabela);
        const QString base = QString("SELECT count(*) FROM %1 WHERE ").arg(tabela);
        EXPECT_GT(Numero(*con, base + "total = 0 AND data_pagamento IS NULL"), 0);
        EXPECT_GT(Numero(*con, base + "total IS NULL AND data_pagamento IS NULL"), 0);
        EXPECT_GT(Numero(*con, base + "total > 0 AND data_pagamento IS NOT NULL"), 0);
        EXPECT_EQ(Numero(*con, base + "(total > 0) <> (data_pagamento IS NOT NULL)"), 0);
    }
    // Dates of 1995 to 2025, stored as the layer stores them.
    for (const QString& tabela : QStringList{"caixa_lancamentos", "contas_bancarias_lancamentos",
                                             "cartoes_credito_lancamentos", "investimentos_lancamentos"}) {
        SCOPED_TRACE(tabela.toStdString());
        EXPECT_EQ(ValorSqlite(*con, "SELECT min(data) >= '1995-01-01' AND max(data) < '2026-01-01' FROM " + tabela),
                  "1");
        EXPECT_EQ(Numero(*con, "SELECT count(*) FROM " + tabela + " WHERE data NOT GLOB "
                               "'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'"),
                  0);
    }
    // Appointment times are times on the zero date; a reminder has both
    // fields or neither; some start at 23:45 and so end the next day.
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM agenda WHERE compromisso_hora NOT LIKE '1899-12-30 %' "
                           "OR avisar_hora NOT LIKE '1899-12-30 %'"),
              0);
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM agenda WHERE (avisar_data IS NULL) <> (avisar_hora IS NULL)"), 0);
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM agenda WHERE avisar_data IS NULL"), 0);
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM agenda WHERE compromisso_hora = '1899-12-30 23:45:00'"), 0);
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM agenda WHERE compromisso_data NOT LIKE '% 00:00:00'"), 0);

    // Vehicles: plates like ABC-1234; most rows have every column filled,
    // and a sold vehicle has all its sale data.
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM veiculos WHERE placa NOT GLOB "
                           "'[A-Z][A-Z][A-Z]-[0-9][0-9][0-9][0-9]'"),
              0);
    QStringList preenchidas;
    for (const InfoColuna& c : con->colunas("veiculos")) preenchidas << QString("\"%1\" IS NOT NULL").arg(c.nome);
    EXPECT_GT(2 * Numero(*con, "SELECT count(*) FROM veiculos WHERE " + preenchidas.join(" AND ")),
              Numero(*con, "SELECT count(*) FROM veiculos"));
    EXPECT_GT(Numero(*con, "SELECT count(*) FROM veiculos WHERE data_venda IS NOT NULL"), 0);
    EXPECT_EQ(Numero(*con, "SELECT count(*) FROM veiculos WHERE data_venda IS NOT NULL AND (vendido_para IS NULL "
                           "OR valor_recebido IS NULL OR tipo_recebimento IS NULL OR odomentro_venda IS NULL "
                           "OR vendido_por IS NULL OR obs_venda IS NULL OR inativo <> 1)"),
              0);
}

TEST(AmostraAntiga, NaoSubstituiSemPedirEOpcoesInvalidas) {
    PastaTemporaria pasta;
    const QString arquivo = GeraAntiga(pasta, "antiga.mdb", 2, 50, 1);
    const QByteArray antes = LeArquivo(arquivo);
    OpcoesAntiga opcoes;
    opcoes.semente = 2;
    EXPECT_ERRO(GeraBaseAntiga(arquivo, opcoes),
                QString("O arquivo '%1' já existe e não foi substituído.").arg(arquivo));
    EXPECT_TRUE(LeArquivo(arquivo) == antes);
    opcoes.sobrescrever = true;
    GeraBaseAntiga(arquivo, opcoes);
    EXPECT_FALSE(LeArquivo(arquivo) == antes);
    EXPECT_EQ(QDir(pasta.caminho()).entryList(QDir::Files), QStringList{"antiga.mdb"});

    const QString outro = pasta.arquivo("outro.mdb");
    opcoes.empresas = 0;
    EXPECT_ERRO(GeraBaseAntiga(outro, opcoes), "O número de empresas deve estar entre 1 e 1000 (pedido: 0).");
    opcoes.empresas = 2;
    opcoes.linhas = -1;
    EXPECT_ERRO(GeraBaseAntiga(outro, opcoes), "O número de linhas não pode ser negativo (pedido: -1).");
    EXPECT_FALSE(QFileInfo::exists(outro));
}

TEST(AmostraNova, SoAbreComASenhaDoBancoEGuardaADoUsuario) {
    PastaTemporaria pasta;
    const QString arquivo = pasta.arquivo("usuarios/ana.tpv");
    const QString senha = QString::fromUtf8("Conceição#1");
    GeraBaseNova(arquivo, senha);
    EXPECT_ERRO_BANCO(AbreBanco(arquivo, "errada"),
                      QString("Não é uma senha válida para o banco de dados '%1'.").arg(arquivo));
    auto con = AbreBanco(arquivo, QString::fromLatin1(SenhaBancoUsuario));

    // Read through the layer's own datasets, as the importer reads it.
    auto cfg = CriaQuery("select * from cfg_global", *con);
    cfg->open();
    ASSERT_EQ(cfg->recordCount(), 1);
    EXPECT_EQ(cfg->fieldByName("id").asInteger(), 1);
    EXPECT_EQ(cfg->fieldByName("area").asInteger(), 1);
    EXPECT_EQ(Criptografa(cfg->fieldByName("senha").asString(), QString::fromLatin1(ChaveSenhaUsuario), false), senha);

    EXPECT_EQ(LinhasSqlite(*con, "SELECT id, area, descricao, codigo_conta, tipo_conta FROM plano_contas ORDER BY id"),
              "1|1|Receitas diversas|1|R\n2|1|Despesas diversas|2|D");
    EXPECT_EQ(LinhasSqlite(*con, "SELECT tabela, id, area FROM sys_codigos ORDER BY tabela"),
              "modelos|1|1\nmontadoras|1|1\nplano_contas|2|1");
    // Each counter holds its table's highest id, as the edition numbers them.
    for (const char* tabela : {"modelos", "montadoras", "plano_contas"})
        EXPECT_EQ(ValorSqlite(*con, QString("SELECT max(id) FROM %1").arg(tabela)),
                  ValorSqlite(*con, QString("SELECT id FROM sys_codigos WHERE tabela='%1'").arg(tabela)))
            << tabela;
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM modelos m JOIN montadoras a ON a.id = m.id_montadora"), "1");
    for (const char* vazia : {"lctos", "fontes", "contatos", "agenda", "veiculos", "combustiveis"})
        EXPECT_EQ(ValorSqlite(*con, QString("SELECT count(*) FROM %1").arg(vazia)), "0") << vazia;

    const QString semSenha = pasta.arquivo("bruno.tpv");
    GeraBaseNova(semSenha, QString());
    EXPECT_EQ(ValorSqlite(*AbreBanco(semSenha, QString::fromLatin1(SenhaBancoUsuario)), "SELECT senha FROM cfg_global"),
              "<null>");
    EXPECT_ERRO(GeraBaseNova(semSenha, QString()),
                QString("O arquivo '%1' já existe e não foi substituído.").arg(semSenha));
    EXPECT_ERRO(GeraBaseNova(pasta.arquivo("longa.tpv"), QString(50, 'x')),
                "A senha do usuário é longa demais: o campo 'senha' da tabela 'cfg_global' guarda no máximo 49 "
                "caracteres.");
}

TEST(AmostraUsuarios, ListaOsCaminhosCompletos) {
    PastaTemporaria pasta;
    const QString ana = pasta.arquivo("usuarios/ana.tpv");
    // Paths are kept absolute and clean, and names come from the file names.
    const QString arquivo =
        GeraBaseUsuarios(pasta.caminho(), {ana, pasta.caminho() + QString::fromUtf8("/usuarios/../josé da silva.tpv")});
    EXPECT_EQ(arquivo, pasta.arquivo("Dados/Usuarios.zqd"));
    EXPECT_ERRO_BANCO(AbreBanco(arquivo, QString::fromLatin1(SenhaBancoUsuario)),
                      QString("Não é uma senha válida para o banco de dados '%1'.").arg(arquivo));
    auto con = AbreBanco(arquivo, QString::fromLatin1(SenhaBancoUsuarios));
    EXPECT_EQ(LinhasSqlite(*con, "SELECT id, nome, path FROM usuarios ORDER BY id"),
              QString::fromUtf8("1|Ana|%1\n2|José da silva|%2")
                  .arg(ana, pasta.arquivo(QString::fromUtf8("josé da silva.tpv"))));

    const QString longo = pasta.caminho() + "/" + QString(260, 'a') + ".tpv";
    EXPECT_ERRO(GeraBaseUsuarios(pasta.arquivo("outra"), {longo}),
                QString("O caminho '%1' passa dos 255 caracteres do campo 'path' da tabela 'usuarios'.").arg(longo));
    EXPECT_FALSE(QFileInfo::exists(pasta.arquivo("outra/Dados/Usuarios.zqd")));
}

TEST(AmostraDemo, PastaCompletaParaODemonstrativo) {
    PastaTemporaria pasta;
    qunsetenv("TARVO_REGISTRO_USUARIO");
    const ResumoDemo r = GeraDemo(pasta.caminho());
    EXPECT_FALSE(qEnvironmentVariableIsSet("TARVO_REGISTRO_USUARIO"));
    EXPECT_EQ(r.baseAntiga, pasta.arquivo("TarvoPessoal.mdb"));
    EXPECT_EQ(r.basesNovas, (QStringList{pasta.arquivo("usuarios/ana.tpv"), pasta.arquivo("usuarios/bruno.tpv")}));
    EXPECT_EQ(r.baseUsuarios, pasta.arquivo("Dados/Usuarios.zqd"));
    EXPECT_EQ(r.registro, pasta.arquivo("registro-usuario.reg"));

    auto antiga = AbreBanco(r.baseAntiga);
    EXPECT_EQ(ValorSqlite(*antiga, "SELECT count(*) FROM empresa"), "3");
    EXPECT_EQ(ValorSqlite(*antiga, "SELECT count(*) FROM caixa_lancamentos"), "500");

    const QString chave = QString::fromLatin1(ChaveSenhaUsuario);
    auto ana = AbreBanco(r.basesNovas[0], QString::fromLatin1(SenhaBancoUsuario));
    EXPECT_EQ(ValorSqlite(*ana, "SELECT senha FROM cfg_global"), "<null>");
    auto bruno = AbreBanco(r.basesNovas[1], QString::fromLatin1(SenhaBancoUsuario));
    EXPECT_EQ(Criptografa(ValorSqlite(*bruno, "SELECT senha FROM cfg_global"), chave, false),
              QString::fromLatin1(SenhaDemoBruno));

    auto usuarios = AbreBanco(r.baseUsuarios, QString::fromLatin1(SenhaBancoUsuarios));
    EXPECT_EQ(LinhasSqlite(*usuarios, "SELECT nome, path FROM usuarios ORDER BY id"),
              QString("Ana|%1\nBruno|%2").arg(r.basesNovas[0], r.basesNovas[1]));

    qputenv("TARVO_REGISTRO_USUARIO", QFile::encodeName(r.registro));
    qputenv("TARVO_REGISTRO_MAQUINA", QFile::encodeName(pasta.arquivo("nao-existe.reg")));
    EXPECT_EQ(PegaCaminhoBase(), r.baseAntiga);
    qunsetenv("TARVO_REGISTRO_USUARIO");
    qunsetenv("TARVO_REGISTRO_MAQUINA");

    EXPECT_ERRO(GeraDemo(pasta.caminho()),
                QString("O arquivo '%1' já existe e não foi substituído.").arg(r.baseAntiga));
    const ResumoDemo outra = GeraDemo(pasta.caminho(), true);
    EXPECT_EQ(outra.linhasAntiga.size(), r.linhasAntiga.size());
}
