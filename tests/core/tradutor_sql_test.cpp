// The Jet SQL translator: every statement the importer issues, translated to
// an exact SQLite text and run on a small database to compare its rows with
// what Jet gives; the constructs it refuses and their messages; the SQL
// functions that carry Jet's semantics.
#include "db/tradutor_sql.h"
#include "erros.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

namespace tarvo::db {
namespace {

struct FechaBanco {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Banco = std::unique_ptr<sqlite3, FechaBanco>;

struct FinalizaComando {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Comando = std::unique_ptr<sqlite3_stmt, FinalizaComando>;

// The tables the statements read, with rows chosen so that every condition
// both keeps and drops something.
const char* const kDados = R"sql(
CREATE TABLE empresa (codigo INTEGER, nome TEXT);
INSERT INTO empresa VALUES (3, 'Três'), (1, 'Um'), (2, 'Dois');
CREATE TABLE caixa_lancamentos (codigo INTEGER, empresa INTEGER, cancelado INTEGER, descricao TEXT);
INSERT INTO caixa_lancamentos VALUES (2, 3, 0, 'b'), (1, 3, 0, 'a'), (3, 3, 1, 'c'), (4, 1, 0, 'd'), (5, 3, NULL, 'e');
CREATE TABLE contas_pagar (codigo INTEGER, empresa INTEGER, cancelado INTEGER, valor REAL);
INSERT INTO contas_pagar VALUES (8, 3, 0, 10.5), (7, 3, 1, 20), (6, 3, 0, 30), (9, 2, 0, 40);
CREATE TABLE centros_custos (codigo INTEGER, empresa INTEGER, nome TEXT);
INSERT INTO centros_custos VALUES (2, 3, 'Casa'), (1, 3, 'Carro'), (3, 4, 'Outro');
CREATE TABLE contas_bancarias_lancamentos (codigo INTEGER, empresa INTEGER, cancelado INTEGER, conta_bancaria INTEGER);
INSERT INTO contas_bancarias_lancamentos VALUES (4, 3, 0, 5), (1, 3, 0, 5), (2, 3, 0, 6), (3, 3, 1, 5), (5, 1, 0, 5);
CREATE TABLE cartoes_credito_lancamentos (codigo INTEGER, empresa INTEGER, cancelado INTEGER, "código_cartão" INTEGER);
INSERT INTO cartoes_credito_lancamentos VALUES (5, 3, 0, 0), (1, 3, 0, 0), (2, 3, 0, 1), (3, 3, 1, 0), (4, 2, 0, 0);
CREATE TABLE investimentos_lancamentos (codigo INTEGER, empresa INTEGER, codigo_investimento INTEGER);
INSERT INTO investimentos_lancamentos VALUES (3, 3, 7), (1, 3, 8), (2, 3, 7), (4, 1, 7);
CREATE TABLE caixa_contas (codigo INTEGER, empresa INTEGER, "código_conta" TEXT, "descrição" TEXT);
INSERT INTO caixa_contas VALUES (1, 3, '1.1', 'Aluguel'), (2, 1, '1.2', 'Luz'), (3, 3, '2', 'Salário');
CREATE TABLE "Histórico Bancário" (codigo INTEGER, empresa INTEGER, texto TEXT);
INSERT INTO "Histórico Bancário" VALUES (1, 3, 'Tarifa'), (2, 1, 'Juros');
CREATE TABLE sys_codigos (id INTEGER, tabela TEXT, area INTEGER);
INSERT INTO sys_codigos VALUES (10, 'lctos', 1), (7, 'Fontes', 1), (9, 'fontes', 2);
CREATE TABLE plano_contas (id INTEGER, area INTEGER, codigo_conta TEXT, descricao TEXT);
INSERT INTO plano_contas VALUES
  (1, 1, '1', 'Receitas'), (2, 1, '1.1', 'Aluguel'), (3, 1, '2.3.1', 'Aluguel "Centro"'),
  (4, 1, '1.10', 'ação'), (5, 1, '11.2', 'Luz'), (6, 1, '1.12.3', 'Água'), (7, 1, '101', 'Gás'),
  (8, 1, '1.', 'Outros'), (9, 1, '12', 'Impostos'), (10, 1, NULL, 'Sem código');
CREATE TABLE lctos (id INTEGER, area INTEGER, id_fonte INTEGER, quitado INTEGER, tipo TEXT, valor INTEGER, total INTEGER);
INSERT INTO lctos VALUES
  (1, 1, 5, 1, 'R', 90, 100), (2, 1, 5, 1, 'P', 25, 30), (3, 1, 5, 0, 'R', 50, NULL),
  (4, 1, 6, 1, 'R', 1000, 1000), (5, 2, 5, 1, 'R', 1000, 1000), (6, 1, 6, 0, 'P', 7, NULL);
CREATE TABLE fontes (id INTEGER, area INTEGER, tipo TEXT, descricao TEXT);
INSERT INTO fontes VALUES (12, 1, 'BA', 'Banco A'), (13, 1, 'CA', 'Cartão'), (14, 1, 'ba', 'Banco B'), (15, 2, 'BA', 'Outra área');
CREATE TABLE cfg_global (senha TEXT);
INSERT INTO cfg_global VALUES ('abc');
CREATE TABLE usuarios (nome TEXT, arquivo TEXT);
INSERT INTO usuarios VALUES ('Ana', 'Dados/ana.zqd'), ('José', 'Dados/jose.zqd');
)sql";

void ExecutaOuFalha(sqlite3* db, const char* sql) {
    char* erro = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &erro) != SQLITE_OK) {
        ADD_FAILURE() << "SQLite refused: " << (erro ? erro : "?") << "\n" << sql;
        sqlite3_free(erro);
    }
}

Banco AbreBanco() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    Banco banco(db);
    RegistraFuncoesJet(db);
    ExecutaOuFalha(db, kDados);
    return banco;
}

struct Resultado {
    std::vector<std::string> linhas;  // cells joined by "|", null as NULL
    std::string erro;
    int alteradas = 0;
};

Resultado Executa(sqlite3* db, const QString& sql) {
    Resultado r;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        r.erro = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        return r;
    }
    Comando comando(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList celulas;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            if (sqlite3_column_type(st, i) == SQLITE_NULL)
                celulas.append(QStringLiteral("NULL"));
            else
                celulas.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                                 sqlite3_column_bytes(st, i)));
        }
        r.linhas.push_back(celulas.join(QLatin1Char('|')).toStdString());
    }
    if (rc != SQLITE_DONE) r.erro = sqlite3_errmsg(db);
    r.alteradas = sqlite3_changes(db);
    return r;
}

struct CasoComando {
    const char* nome;
    const char* jet;
    const char* sqlite;      // the exact translation
    TipoComando tipo;
    const char* tabelaBase;
    const char* tabela;      // the one table the statement names
    const char* preparo;     // SQLite run before the statement, or ""
    const char* verificacao; // for a change: the SQLite query of its result
    int alteradas;           // for a change: the rows it changes
    std::vector<std::string> linhas;
};

TEST(TradutorSql, TraduzEExecutaOsComandosDoPrograma) {
    const TipoComando S = TipoComando::Selecao;
    const std::vector<CasoComando> casos = {
        {"empresas em ordem de código", "select codigo, nome from empresa order by codigo",
         R"(SELECT "codigo", "nome" FROM "empresa" ORDER BY "codigo")", S, "", "empresa", "", "", 0,
         {"1|Um", "2|Dois", "3|Três"}},
        {"caixa sem cancelados (nulo também fica de fora)",
         "select * from caixa_lancamentos where empresa=3  and not cancelado order by codigo",
         R"(SELECT * FROM "caixa_lancamentos" WHERE "empresa" = 3 AND NOT "cancelado" ORDER BY "codigo")", S,
         "caixa_lancamentos", "caixa_lancamentos", "", "", 0, {"1|3|0|a", "2|3|0|b"}},
        {"contas a pagar com filtro terminado em branco",
         "select * from contas_pagar where empresa=3  and not cancelado  order by codigo",
         R"(SELECT * FROM "contas_pagar" WHERE "empresa" = 3 AND NOT "cancelado" ORDER BY "codigo")", S,
         "contas_pagar", "contas_pagar", "", "", 0, {"6|3|0|30.0", "8|3|0|10.5"}},
        {"filtro de empresa sem filtro próprio", "select * from centros_custos where empresa=3  order by codigo",
         R"(SELECT * FROM "centros_custos" WHERE "empresa" = 3 ORDER BY "codigo")", S, "centros_custos",
         "centros_custos", "", "", 0, {"1|3|Carro", "2|3|Casa"}},
        {"lançamentos de uma conta bancária",
         "select * from contas_bancarias_lancamentos where empresa=3  and not cancelado and conta_bancaria=5 order "
         "by codigo",
         R"(SELECT * FROM "contas_bancarias_lancamentos" WHERE "empresa" = 3 AND NOT "cancelado" AND "conta_bancaria" = 5 ORDER BY "codigo")",
         S, "contas_bancarias_lancamentos", "contas_bancarias_lancamentos", "", "", 0, {"1|3|0|5", "4|3|0|5"}},
        {"coluna com acentos", "select * from cartoes_credito_lancamentos where empresa=3  and not cancelado and código_cartão=0 order by codigo",
         R"(SELECT * FROM "cartoes_credito_lancamentos" WHERE "empresa" = 3 AND NOT "cancelado" AND "código_cartão" = 0 ORDER BY "codigo")",
         S, "cartoes_credito_lancamentos", "cartoes_credito_lancamentos", "", "", 0, {"1|3|0|0", "5|3|0|0"}},
        {"lançamentos de um investimento",
         "select * from investimentos_lancamentos where empresa=3  and codigo_investimento=7 order by codigo",
         R"(SELECT * FROM "investimentos_lancamentos" WHERE "empresa" = 3 AND "codigo_investimento" = 7 ORDER BY "codigo")",
         S, "investimentos_lancamentos", "investimentos_lancamentos", "", "", 0, {"2|3|7", "3|3|7"}},
        {"plano antigo com branco no fim", "select * from caixa_contas where empresa=3 ",
         R"(SELECT * FROM "caixa_contas" WHERE "empresa" = 3)", S, "caixa_contas", "caixa_contas", "", "", 0,
         {"1|3|1.1|Aluguel", "3|3|2|Salário"}},
        {"contador ignora maiúsculas", R"(select * from sys_codigos where area=1 and tabela="fontes")",
         R"(SELECT * FROM "sys_codigos" WHERE "area" = 1 AND "tabela" = 'fontes' COLLATE JETNOCASE)", S,
         "sys_codigos", "sys_codigos", "", "", 0, {"7|Fontes|1"}},
        {"maior id", "select max(id) as aa from plano_contas", R"(SELECT max("id") AS "aa" FROM "plano_contas")", S,
         "", "plano_contas", "", "", 0, {"10"}},
        {"maior id de tabela vazia", "select max(id) as aa from plano_contas",
         R"(SELECT max("id") AS "aa" FROM "plano_contas")", S, "", "plano_contas", "DELETE FROM plano_contas", "", 0,
         {"NULL"}},
        {"descrição com aspas duplas", R"(select id from plano_contas where descricao="Aluguel ""Centro""")",
         R"(SELECT "id" FROM "plano_contas" WHERE "descricao" = 'Aluguel "Centro"' COLLATE JETNOCASE)", S, "",
         "plano_contas", "", "", 0, {"3"}},
        {"descrição acentuada ignora maiúsculas", R"(select id from plano_contas where descricao="AÇÃO")",
         R"(SELECT "id" FROM "plano_contas" WHERE "descricao" = 'AÇÃO' COLLATE JETNOCASE)", S, "", "plano_contas",
         "", "", 0, {"4"}},
        {"saldo dos quitados",
         R"(select sum( iif(quitado, total, valor) * iif( tipo="R", 1, -1 ) ) as soma from lctos where area=1 and id_fonte=5 and quitado=true)",
         R"(SELECT sum(CASE WHEN "quitado" THEN "total" ELSE "valor" END * CASE WHEN "tipo" = 'R' COLLATE JETNOCASE THEN 1 ELSE -1 END) AS "soma" FROM "lctos" WHERE "area" = 1 AND "id_fonte" = 5 AND "quitado" = 1)",
         S, "", "lctos", "", "", 0, {"70"}},
        {"saldo dos abertos",
         R"(select sum( iif(quitado, total, valor) * iif( tipo="R", 1, -1 ) ) as soma from lctos where area=1 and id_fonte=5 and quitado=false)",
         R"(SELECT sum(CASE WHEN "quitado" THEN "total" ELSE "valor" END * CASE WHEN "tipo" = 'R' COLLATE JETNOCASE THEN 1 ELSE -1 END) AS "soma" FROM "lctos" WHERE "area" = 1 AND "id_fonte" = 5 AND "quitado" = 0)",
         S, "", "lctos", "", "", 0, {"50"}},
        {"contas de um tipo", R"(select * from fontes where area=1 and tipo="BA")",
         R"(SELECT * FROM "fontes" WHERE "area" = 1 AND "tipo" = 'BA' COLLATE JETNOCASE)", S, "fontes", "fontes", "",
         "", 0, {"12|1|BA|Banco A", "14|1|ba|Banco B"}},
        {"conta pelo id", "select * from fontes where area=1 and id=12",
         R"(SELECT * FROM "fontes" WHERE "area" = 1 AND "id" = 12)", S, "fontes", "fontes", "", "", 0,
         {"12|1|BA|Banco A"}},
        {"delete com asterisco", "delete * from plano_contas", R"(DELETE FROM "plano_contas")",
         TipoComando::Exclusao, "", "plano_contas", "", "SELECT count(*) FROM plano_contas", 10, {"0"}},
        {"delete sem asterisco, com condição",
         R"(delete from plano_contas where codigo_conta is null or descricao = "GÁS")",
         R"(DELETE FROM "plano_contas" WHERE "codigo_conta" IS NULL OR "descricao" = 'GÁS' COLLATE JETNOCASE)",
         TipoComando::Exclusao, "", "plano_contas", "", "SELECT id FROM plano_contas ORDER BY id", 2,
         {"1", "2", "3", "4", "5", "6", "8", "9"}},
        {"códigos do plano com dois dígitos",
         R"(update plano_contas set codigo_conta=  mid( codigo_conta, 1, 2) + Format( mid( codigo_conta, 3, 1 ), "00" ) + mid( codigo_conta, 4, len(codigo_conta ))  where len( codigo_conta ) > 1 and ( mid( codigo_conta, 4, 1 ) = "" or   mid( codigo_conta, 4, 1 ) = "."))",
         R"(UPDATE "plano_contas" SET "codigo_conta" = jet_mais(jet_mais(substr("codigo_conta", 1, 2), jet_format(substr("codigo_conta", 3, 1), '00')), substr("codigo_conta", 4, length("codigo_conta"))) WHERE length("codigo_conta") > 1 AND (substr("codigo_conta", 4, 1) = '' COLLATE JETNOCASE OR substr("codigo_conta", 4, 1) = '.' COLLATE JETNOCASE))",
         TipoComando::Atualizacao, "", "plano_contas", "", "SELECT codigo_conta FROM plano_contas ORDER BY id", 5,
         {"1", "1.01", "2.03.1", "1.10", "11.2", "1.12.3", "1001", "1.", "12", "NULL"}},
        {"configuração", "select * from cfg_global", R"(SELECT * FROM "cfg_global")", S, "cfg_global", "cfg_global",
         "", "", 0, {"abc"}},
        {"usuários", "select * from usuarios", R"(SELECT * FROM "usuarios")", S, "usuarios", "usuarios", "", "", 0,
         {"Ana|Dados/ana.zqd", "José|Dados/jose.zqd"}},
        // Constructs beyond the program's own statements.
        {"nomes entre colchetes e com acentos",
         R"(select [descrição], código_conta from [caixa_contas] where [código_conta]="1.1")",
         R"(SELECT "descrição", "código_conta" FROM "caixa_contas" WHERE "código_conta" = '1.1' COLLATE JETNOCASE)", S,
         "", "caixa_contas", "", "", 0, {"Aluguel|1.1"}},
        {"tabela com branco no nome e ponto e vírgula", "select * from [Histórico Bancário] where empresa=3;",
         R"(SELECT * FROM "Histórico Bancário" WHERE "empresa" = 3)", S, "Histórico Bancário", "Histórico Bancário",
         "", "", 0, {"1|3|Tarifa"}},
        {"& concatena e / divide como real",
         R"(select nome & " - " & codigo as rotulo, codigo / 2 as metade from empresa order by codigo desc)",
         R"(SELECT jet_concat(jet_concat("nome", ' - '), "codigo") AS "rotulo", CAST("codigo" AS REAL) / 2 AS "metade" FROM "empresa" ORDER BY "codigo" DESC)",
         S, "", "empresa", "", "", 0, {"Três - 3|1.5", "Dois - 2|1.0", "Um - 1|0.5"}},
        {"precedência de OR, AND, NOT e IS NULL",
         "select id from plano_contas where codigo_conta is null or id = 1 and not (id < -2)",
         R"(SELECT "id" FROM "plano_contas" WHERE "codigo_conta" IS NULL OR "id" = 1 AND NOT "id" < -2)", S, "",
         "plano_contas", "", "", 0, {"1", "10"}},
        {"distinct não é editável", "SELECT DISTINCT empresa FROM caixa_lancamentos Order By empresa",
         R"(SELECT DISTINCT "empresa" FROM "caixa_lancamentos" ORDER BY "empresa")", S, "", "caixa_lancamentos", "",
         "", 0, {"1", "3"}},
        {"count(*) e + entre números", "select count(*) as n, max(codigo) + 1 as proximo from contas_pagar where empresa = 3",
         R"(SELECT count(*) AS "n", jet_mais(max("codigo"), 1) AS "proximo" FROM "contas_pagar" WHERE "empresa" = 3)",
         S, "", "contas_pagar", "", "", 0, {"3|9"}},
        {"+ entre textos e coluna qualificada",
         R"sql(update fontes set descricao = fontes.descricao + " (antiga)" where tipo = "ca")sql",
         R"(UPDATE "fontes" SET "descricao" = jet_mais("fontes"."descricao", ' (antiga)') WHERE "tipo" = 'ca' COLLATE JETNOCASE)",
         TipoComando::Atualizacao, "", "fontes", "", "SELECT descricao FROM fontes WHERE id = 13", 1,
         {"Cartão (antiga)"}},
        {"insert com aspas duplas", R"(insert into usuarios (nome, arquivo) values ("Zé", 'Dados/ze.zqd'))",
         R"(INSERT INTO "usuarios" ("nome", "arquivo") VALUES ('Zé', 'Dados/ze.zqd'))", TipoComando::Insercao, "",
         "usuarios", "", "SELECT nome FROM usuarios ORDER BY rowid", 1, {"Ana", "José", "Zé"}},
    };
    for (const CasoComando& c : casos) {
        SCOPED_TRACE(c.nome);
        SqlTraduzido t;
        try {
            t = TraduzJetSql(QString::fromUtf8(c.jet));
        } catch (const ErroBanco& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(t.sql.toStdString(), c.sqlite);
        EXPECT_EQ(t.tipo, c.tipo);
        EXPECT_EQ(t.tabelaBase.toStdString(), c.tabelaBase);
        EXPECT_EQ(t.tabelas, QStringList{QString::fromUtf8(c.tabela)});
        if (!t.tabelaBase.isEmpty()) {
            EXPECT_TRUE(t.sql.startsWith(QStringLiteral("SELECT * FROM ")));
        }

        Banco banco = AbreBanco();
        if (*c.preparo) ExecutaOuFalha(banco.get(), c.preparo);
        const Resultado r = Executa(banco.get(), t.sql);
        EXPECT_EQ(r.erro, "");
        if (c.tipo == TipoComando::Selecao) {
            EXPECT_EQ(r.linhas, c.linhas);
        } else {
            EXPECT_EQ(r.alteradas, c.alteradas);
            EXPECT_EQ(Executa(banco.get(), QString::fromUtf8(c.verificacao)).linhas, c.linhas);
        }
    }
}

TEST(TradutorSql, RecusaComMensagemQueNomeiaAConstrucao) {
    struct Caso {
        const char* nome;
        const char* jet;
        const char* mensagem;
    };
    const Caso casos[] = {
        {"função desconhecida", R"(select dlookup("id", "fontes") as x from fontes)",
         R"(Comando SQL não suportado: função 'DLOOKUP'. Comando: select dlookup("id", "fontes") as x from fontes)"},
        {"comando desconhecido", "create table x (a integer)",
         "Comando SQL não suportado: comando 'CREATE'. Comando: create table x (a integer)"},
        {"texto sem fechamento", R"(select * from fontes where tipo="BA)",
         R"(Comando SQL inválido: texto sem aspas de fechamento. Comando: select * from fontes where tipo="BA)"},
        {"colchete sem fechamento", "select * from [fontes where id=1",
         "Comando SQL inválido: nome entre colchetes sem ']' de fechamento. Comando: select * from [fontes where id=1"},
        {"duas tabelas", "select * from fontes, lctos",
         "Comando SQL não suportado: junção de tabelas. Comando: select * from fontes, lctos"},
        {"join", "select * from fontes inner join lctos on fontes.id = lctos.id_fonte",
         "Comando SQL não suportado: palavra-chave 'INNER'. Comando: select * from fontes inner join lctos on "
         "fontes.id = lctos.id_fonte"},
        {"subconsulta", "select * from lctos where id_fonte = (select max(id) from fontes)",
         "Comando SQL não suportado: subconsulta. Comando: select * from lctos where id_fonte = (select max(id) from "
         "fontes)"},
        {"group by", "select tipo, sum(valor) as s from lctos group by tipo",
         "Comando SQL não suportado: palavra-chave 'GROUP'. Comando: select tipo, sum(valor) as s from lctos group by "
         "tipo"},
        {"like", R"(select * from fontes where descricao like "Banco*")",
         R"(Comando SQL não suportado: palavra-chave 'LIKE'. Comando: select * from fontes where descricao like "Banco*")"},
        {"top", "select top 5 * from fontes",
         "Comando SQL não suportado: palavra-chave 'TOP'. Comando: select top 5 * from fontes"},
        {"data entre cerquilhas", "select * from lctos where data=#2024-01-31#",
         "Comando SQL não suportado: caractere '#'. Comando: select * from lctos where data=#2024-01-31#"},
        {"formato que não é de zeros", R"(select Format(valor, "#,##0.00") as v from lctos)",
         R"(Comando SQL não suportado: formato '#,##0.00' em FORMAT. Comando: select Format(valor, "#,##0.00") as v from lctos)"},
        {"número de coluna em order by", "select codigo, nome from empresa order by 2",
         "Comando SQL não suportado: número de coluna em ORDER BY. Comando: select codigo, nome from empresa order by 2"},
        {"argumentos a menos", "select mid(descricao) as m from fontes",
         "Comando SQL inválido: a função 'MID' pede 2 ou 3 argumentos e recebeu 1. Comando: select mid(descricao) as "
         "m from fontes"},
        {"parêntese sem fechamento", "select * from fontes where (id = 1",
         "Comando SQL inválido: esperava ')' e encontrou o fim do comando. Comando: select * from fontes where (id = 1"},
        {"sobra depois do comando", "select * from fontes where id=1 x",
         "Comando SQL inválido: esperava o fim do comando e encontrou 'x'. Comando: select * from fontes where id=1 x"},
        {"comando vazio", "   ", "Comando SQL vazio."},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        try {
            TraduzJetSql(QString::fromUtf8(c.jet));
            ADD_FAILURE() << "translated without error";
        } catch (const ErroBanco& e) {
            EXPECT_EQ(e.mensagem().toStdString(), c.mensagem);
        }
    }
}

// Nesting is bounded: the filter itself is one level, so 199 nested levels
// of any kind translate and one more is an error instead of a stack
// overflow, whatever builds the nesting.
TEST(TradutorSql, LimitaOAninhamento) {
    struct Caso {
        const char* nome;
        const char* abre;   // repeated n times before "1"
        const char* fecha;  // repeated n times after it
    };
    const Caso casos[] = {
        {"parênteses", "(", ")"},
        {"argumentos de função", "mid(", ",1)"},
        {"not", "not ", ""},
        {"sinais", "-", ""},
        {"sinais de mais", "+", ""},
    };
    for (const Caso& c : casos) {
        for (const int n : {199, 200, 20000}) {
            SCOPED_TRACE(std::string(c.nome) + " x" + std::to_string(n));
            QString jet = QStringLiteral("select * from fontes where ");
            for (int i = 0; i < n; ++i) jet += QLatin1String(c.abre);
            jet += QLatin1Char('1');
            for (int i = 0; i < n; ++i) jet += QLatin1String(c.fecha);
            if (n == 199) {
                EXPECT_NO_THROW(TraduzJetSql(jet));
                continue;
            }
            try {
                TraduzJetSql(jet);
                ADD_FAILURE() << "translated without error";
            } catch (const ErroBanco& e) {
                EXPECT_EQ(e.mensagem().toStdString(),
                          "Comando SQL inválido: mais de 200 níveis aninhados de parênteses, funções ou operadores. "
                          "Comando: " + jet.left(120).toStdString() + "...");
            }
        }
    }
}

// jet_format, jet_mais, jet_concat and the JETNOCASE collation, called
// directly; "tipo|valor" as SQLite gives them back.
TEST(TradutorSql, FuncoesComASemanticaDoJet) {
    struct Caso {
        const char* expressao;
        const char* valor;  // typeof|value, or the error message
    };
    const Caso casos[] = {
        {"jet_format('3', '00')", "text|03"},
        {"jet_format(12, '00')", "text|12"},
        {"jet_format(123, '00')", "text|123"},
        {"jet_format(7, '000')", "text|007"},
        {"jet_format('007', '00')", "text|07"},
        {"jet_format(-3, '00')", "text|-03"},
        {"jet_format(2.5, '0')", "text|3"},
        {"jet_format(' 3.49 ', '00')", "text|03"},
        {"jet_format('', '00')", "text|"},
        {"jet_format('.', '00')", "text|."},
        {"jet_format('a', '000')", "text|a"},
        {"jet_format(NULL, '00')", "null|NULL"},
        {"jet_format(3, 'dd/mm')", "Format: o formato 'dd/mm' não é suportado (só zeros, como '00')"},
        {"jet_mais(1, 2)", "integer|3"},
        {"jet_mais(1, 2.5)", "real|3.5"},
        {"jet_mais('1.', '01')", "text|1.01"},
        {"jet_mais('3', 4)", "integer|7"},
        {"jet_mais(1, ' 2.5')", "real|3.5"},
        {"jet_mais(NULL, 'a')", "null|NULL"},
        {"jet_mais('a', NULL)", "null|NULL"},
        {"jet_mais(9223372036854775807, 1)", "real|9.22337203685478e+18"},
        {"jet_mais('abc', 1)", "Tipos incompatíveis em '+': o texto 'abc' não é um número"},
        {"jet_mais('', 1)", "Tipos incompatíveis em '+': o texto '' não é um número"},
        {"jet_concat('a', NULL)", "text|a"},
        {"jet_concat(NULL, NULL)", "null|NULL"},
        {"jet_concat(3.0, 'x')", "text|3x"},
        {"jet_concat(12, '')", "text|12"},
        {"'ação' = 'AÇÃO' COLLATE JETNOCASE", "integer|1"},
        {"'a' < 'B' COLLATE JETNOCASE", "integer|1"},
    };
    Banco banco = AbreBanco();
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.expressao);
        const Resultado r = Executa(banco.get(), QStringLiteral("SELECT typeof(x), x FROM (SELECT ") +
                                                     QString::fromUtf8(c.expressao) + QStringLiteral(" AS x)"));
        if (!r.erro.empty()) {
            EXPECT_EQ(r.erro, c.valor);
        } else {
            ASSERT_EQ(r.linhas.size(), 1u);
            EXPECT_EQ(r.linhas[0], c.valor);
        }
    }
}

TEST(TradutorSql, RegistroRecusadoPeloSqliteViraErroBanco) {
    Banco banco = AbreBanco();
    // SQLite refuses to replace a function while a statement is running.
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(banco.get(), "SELECT 1 UNION ALL SELECT 2", -1, &st, nullptr), SQLITE_OK);
    Comando ativo(st);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    try {
        RegistraFuncoesJet(banco.get());
        ADD_FAILURE() << "registered while a statement was running";
    } catch (const ErroBanco& e) {
        EXPECT_EQ(e.mensagem().toStdString(),
                  "Não foi possível registrar a função 'jet_mais' no banco em memória: unable to delete/modify "
                  "user-function due to active statements");
    }
}

}  // namespace
}  // namespace tarvo::db
