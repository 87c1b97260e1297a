// The copy engine: statements, guarded failures, ids and counters, value
// rules, exception blocks and progress.
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/blocos.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

const QString kFaltaAgendas =
    "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta 'agendas'. "
    "Certifique-se de que ela existe e que seu nome está escrito corretamente.";

}  // namespace

TEST(Conexoes, EmpresasEmOrdemDeCodigoPrimeiraEscolhida) {
    AmbienteImportacao a(1);
    a.origem("INSERT INTO empresa VALUES (2, 'Sítio')");
    ASSERT_TRUE(a.dm.ConectaOrigem(a.arquivoOrigem));
    ASSERT_EQ(a.janela.empresas.size(), 3);
    EXPECT_EQ(a.janela.empresas[0], qMakePair(QString("Casa"), qint64(1)));
    EXPECT_EQ(a.janela.empresas[1], qMakePair(QString("Sítio"), qint64(2)));
    EXPECT_EQ(a.janela.empresas[2], qMakePair(QString("Oficina"), qint64(3)));
    EXPECT_EQ(a.dm.FiltroEmpresa, " where empresa=1 ");
    a.janela.selecionaEmpresa(2);
    a.dm.cbbAreaChange();
    EXPECT_EQ(a.dm.FiltroEmpresa, " where empresa=3 ");
}

TEST(Conexoes, FalhasMostramOsTextosNumerados) {
    AmbienteImportacao a;
    const QString falta = a.pasta.arquivo("nada.mdb");
    EXPECT_FALSE(a.dm.ConectaDestino(falta));
    EXPECT_FALSE(a.dm.dbDestino.connected());
    EXPECT_FALSE(a.dm.ConectaOrigem(falta));
    const QString semEmpresas = a.pasta.arquivo("sem.mdb");
    CriaBanco(semEmpresas, "CREATE TABLE empresa (codigo INTEGER, nome TEXT(50))");
    EXPECT_FALSE(a.dm.ConectaOrigem(semEmpresas));
    EXPECT_FALSE(a.dm.DataModuleCreate(a.pasta.caminho()));
    const QString usuarios = a.pasta.arquivo("Dados/Usuarios.zqd");
    EXPECT_EQ(a.janela.erros,
              QStringList({"Erro ao conectar com o banco de dados de destino (#01)!\r\n\r\nNão foi possível "
                           "encontrar o arquivo '" + falta + "'.",
                           "Erro ao conectar com o banco de dados de origem (#02)!\r\n\r\nNão foi possível "
                           "encontrar o arquivo '" + falta + "'.",
                           "Erro ao conectar com o banco de dados de origem (#02)!\r\n\r\nO banco de dados de "
                           "origem não tem nenhuma empresa cadastrada.",
                           "Erro ao conectar com o banco de dados de usuários (#03)!\r\n\r\nNão foi possível "
                           "encontrar o arquivo '" + usuarios + "'."}));
    EXPECT_EQ(a.dm.erroUsuarios(), a.janela.erros.last());
}

TEST(Motor, ComandoDeOrigemComOsBrancosExatos) {
    AmbienteImportacao a;
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.dm.quOrigem.sql(), "select * from centros_custos where empresa=3  order by codigo");
    a.dm.SalvaRegistros("caixa_lancamentos", "lctos", {"data"}, {"data"}, {""}, " and not cancelado");
    EXPECT_EQ(a.dm.quOrigem.sql(), "select * from caixa_lancamentos where empresa=3  and not cancelado order by codigo");
    EXPECT_TRUE(a.janela.excecoes.isEmpty());
}

TEST(Motor, CopiaSoAEmpresaEmOrdemComIdDoCodigoEContador) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (9,3,'Carro'),(5,3,'Casa'),(7,3,'Lazer'),(6,1,'Outra')");
    a.destino("INSERT INTO sys_codigos VALUES (20, 'centros_custos', 1)");
    a.anuncia("Centros de Custos");
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao FROM centros_custos ORDER BY rowid"),
              "5|1|Casa\n7|1|Lazer\n9|1|Carro");
    EXPECT_EQ(a.linhasDestino("SELECT id, tabela, area FROM sys_codigos"), "9|centros_custos|1");
    EXPECT_EQ(a.janela.resumo, QList<LinhaResumo>({{"Centros de Custos", "3", "3", "0"}}));
    EXPECT_FALSE(a.dm.dbDestino.inTransaction());
    // pb: reset once with the row count, advanced N + 1 times.
    EXPECT_EQ(a.janela.reinicios, 1);
    EXPECT_EQ(a.janela.maximoTabela, 3);
    EXPECT_EQ(a.janela.avancos, 4);
    EXPECT_EQ(a.janela.eventos, 4);
}

TEST(Motor, ContadorSeguemOMaiorIdOuFicaQuietoSemLinhas) {
    struct Caso {
        const char* nome;
        const char* contadorAntes;  // SQL or empty
        const char* origem;
        QString esperado;
    } casos[] = {
        {"contador 3 sobe a 9", "INSERT INTO sys_codigos VALUES (3,'centros_custos',1)", "(5,3,'a'),(9,3,'b'),(7,3,'c')", "9|centros_custos|1"},
        {"contador 20 desce a 9", "INSERT INTO sys_codigos VALUES (20,'centros_custos',1)", "(5,3,'a'),(9,3,'b'),(7,3,'c')", "9|centros_custos|1"},
        {"sem contador cria", "", "(5,3,'a')", "5|centros_custos|1"},
        {"fonte vazia nao mexe", "INSERT INTO sys_codigos VALUES (20,'centros_custos',1)", "(5,1,'de outra empresa')", "20|centros_custos|1"},
        {"fonte vazia sem contador", "", "(5,1,'x')", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem(QString("INSERT INTO centros_custos VALUES ") + c.origem);
        if (*c.contadorAntes) a.destino(c.contadorAntes);
        a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, "");
        EXPECT_EQ(a.linhasDestino("SELECT id, tabela, area FROM sys_codigos"), c.esperado);
    }
}

TEST(Motor, PegaCodigo) {
    AmbienteImportacao a;
    EXPECT_EQ(a.dm.PegaCodigo("fontes"), 1);
    EXPECT_EQ(a.linhasDestino("SELECT id, tabela, area FROM sys_codigos"), "1|fontes|1");
    a.destino("UPDATE sys_codigos SET id = 41");
    EXPECT_EQ(a.dm.PegaCodigo("fontes"), 42);
    a.destino("UPDATE sys_codigos SET id = NULL");
    EXPECT_EQ(a.dm.PegaCodigo("fontes"), 1);
    // Only area 1 counts.
    a.destino("INSERT INTO sys_codigos VALUES (500, 'lctos', 2)");
    EXPECT_EQ(a.dm.PegaCodigo("lctos"), 1);
    EXPECT_EQ(a.linhasDestino("SELECT id, tabela, area FROM sys_codigos ORDER BY rowid"),
              "1|fontes|1\n500|lctos|2\n1|lctos|1");
}

// Inside a copy the entry counter moves on once per record, as PegaCodigo
// alone would: the first counter row of the table (letter case ignored)
// ends at the last id given, a later duplicate row stays as it was, and a
// copy that fails leaves the counter where it was.
TEST(Motor, ContadorDosLancamentosDentroDaCopia) {
    struct Caso {
        const char* nome;
        const char* contadores;  // rows of sys_codigos before the copy
        const char* fixos;       // ValoresFixos: "sem_igual" makes the copy fail
        const char* ids;         // lctos ids afterwards
        const char* depois;      // sys_codigos afterwards, in rowid order
    } casos[] = {
        {"sem contador", "", "id_fonte=7", "1,2,3", "3|lctos|1"},
        {"contador em maiúsculas e duplicado", "(10,'LCTOS',1),(99,'lctos',1),(50,'lctos',2)", "id_fonte=7",
         "11,12,13", "13|LCTOS|1\n99|lctos|1\n50|lctos|2"},
        {"cópia que falha", "(10,'lctos',1)", "sem_igual", "", "10|lctos|1"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem("INSERT INTO caixa_lancamentos (codigo, empresa, data, valor, cancelado) VALUES "
                 "(1, 3, '2024-01-02', 10, 0), (2, 3, '2024-01-03', 20, 0), (3, 3, '2024-01-04', 30, 0)");
        if (*c.contadores) a.destino(QString("INSERT INTO sys_codigos VALUES ") + c.contadores);
        try {
            a.dm.SalvaRegistros("caixa_lancamentos", "lctos", {"data", "valor"}, {"data", "valor"}, {c.fixos}, "");
        } catch (const ErroBanco&) {
        }
        EXPECT_EQ(a.linhasDestino("SELECT id FROM lctos ORDER BY id"), QString(c.ids).replace(',', '\n'));
        EXPECT_EQ(a.linhasDestino("SELECT id, tabela, area FROM sys_codigos ORDER BY rowid"), c.depois);
        // Outside a copy the counter is written at once.
        if (*c.ids) {
            EXPECT_EQ(a.dm.PegaCodigo("lctos"), QString(c.ids).section(',', -1).toLongLong() + 1);
            EXPECT_EQ(a.valorDestino("SELECT id FROM sys_codigos ORDER BY rowid LIMIT 1"),
                      QString::number(QString(c.ids).section(',', -1).toLongLong() + 1));
        }
    }
}

TEST(Motor, TabelaDeOrigemInexistenteUmBlocoSemTransacaoNemResumo) {
    AmbienteImportacao a;
    a.dm.SalvaRegistros("agendas", "agenda", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Abrindo tabela", "AGENDAS", "AGENDA", kFaltaAgendas));
    EXPECT_TRUE(a.janela.resumo.isEmpty());
    EXPECT_FALSE(a.dm.quDestino.active());
    EXPECT_EQ(a.janela.reinicios, 0);
}

TEST(Motor, OutraFalhaDaOrigemAvisaEFazResumoZerado) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (5,3,'a')");
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, " and cancelado");
    ASSERT_EQ(a.janela.mensagens.size(), 1);
    EXPECT_EQ(a.janela.mensagens[0].first,
              "O campo 'cancelado' não existe (comando: select * from centros_custos where empresa=3  and "
              "cancelado order by codigo).");
    EXPECT_EQ(a.janela.mensagens[0].second, 16);
    EXPECT_EQ(a.janela.resumo, QList<LinhaResumo>({{"Teste", "0", "0", "0"}}));
    EXPECT_FALSE(a.dm.dbDestino.inTransaction());
    EXPECT_TRUE(a.janela.excecoes.isEmpty());
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM centros_custos"), "0");
}

TEST(Motor, CampoDeOrigemInexistenteUmBlocoPorLinhaELinhasImportadas) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (5,3,'a'),(6,3,'b')");
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descricao", "descrição"}, {"descricao", "descricao"},
                        {""}, "");
    const QString erro = "O campo 'descricao' não foi encontrado em \"centros_custos\".";
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Mapeando Campos", "CENTROS_CUSTOS", "CENTROS_CUSTOS", erro).repeated(2));
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM centros_custos"), "5|a\n6|b");
    EXPECT_EQ(a.janela.resumo, QList<LinhaResumo>({{"Teste", "2", "2", "0"}}));
}

TEST(Motor, GravacaoRecusadaContaECancela) {
    AmbienteImportacao a;
    a.origem(QString("INSERT INTO centros_custos VALUES (5,3,'curto'),(6,3,'%1'),(7,3,'ok')").arg(QString(51, 'x')));
    a.destino("INSERT INTO centros_custos VALUES (7, 1, 'já existia')");
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Salvando", "CENTROS_CUSTOS", "CENTROS_CUSTOS",
                    "O campo 'centros_custos.descricao' é pequeno demais para aceitar a quantidade de dados que "
                    "você tentou adicionar (51 caracteres; o máximo é 50).") +
                  BlocoExcecao("Salvando", "CENTROS_CUSTOS", "CENTROS_CUSTOS",
                        "As alterações solicitadas na tabela 'centros_custos' não foram bem-sucedidas, pois "
                        "criariam valores duplicados no índice, chave primária ou relacionamento "
                        "(centros_custos.id)."));
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM centros_custos ORDER BY id"), "5|curto\n7|já existia");
    EXPECT_EQ(a.janela.resumo, QList<LinhaResumo>({{"Teste", "3", "1", "2"}}));
}

TEST(Motor, ValoresFixos) {
    struct Caso {
        const char* nome;
        QStringList fixos;
        QString esperado;  // descricao|area
    } casos[] = {
        {"nenhum", {""}, "a|1"},
        {"so o primeiro decide", {"", "descricao=X"}, "a|1"},
        {"igual dentro do valor", {"descricao=a=b=c"}, "a=b=c|1"},
        {"valor vazio", {"descricao="}, "|1"},
        {"area sobrescrita", {"area=2", "descricao=Z"}, "Z|2"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem("INSERT INTO centros_custos VALUES (5,3,'a')");
        a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, c.fixos, "");
        EXPECT_EQ(a.linhasDestino("SELECT descricao, area FROM centros_custos"), c.esperado);
    }
}

TEST(Motor, PassoSemGuardaDesfazATransacaoDaChamada) {
    AmbienteImportacao a;
    a.origem("INSERT INTO centros_custos VALUES (5,3,'a'),(6,3,'b')");
    a.destino("INSERT INTO centros_custos VALUES (1, 1, 'antigo')");
    EXPECT_ERRO_BANCO(a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"},
                                          {"sem_igual"}, ""),
                      "O campo '' não foi encontrado em \"centros_custos\".");
    EXPECT_FALSE(a.dm.dbDestino.inTransaction());
    EXPECT_FALSE(a.dm.quOrigem.active());
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM centros_custos"), "1|antigo");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM sys_codigos"), "");
    EXPECT_TRUE(a.janela.resumo.isEmpty());
    // The module is usable afterwards.
    a.dm.SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM centros_custos"), "3");
}

TEST(Motor, MemoComRichTextViraTextoSimples) {
    AmbienteImportacao a;
    a.origem("INSERT INTO tarefas (codigo, empresa, descricao, obs, prioridade) VALUES "
             "(1,3,'t1','{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Tahoma;}}\\pard Pagamento em d\\''e9bito\\par "
             "Segunda linha\\par }','Alta'),"
             "(2,3,'t2','simples','Média'),(3,3,'t3',NULL,''),(4,3,'t4','x',NULL)");
    a.dm.SalvaRegistros("tarefas", "tarefas", {"descricao", "obs"}, {"descricao", "obs"}, {""}, "");
    EXPECT_EQ(a.linhasDestino("SELECT id, obs, prioridade FROM tarefas ORDER BY id"),
              "1|Pagamento em débito\r\nSegunda linha\r\n|A\n2|simples\r\n|M\n3|<null>|\n4|x\r\n|");
}

TEST(RegraAgenda, InstantesDoCompromissoEDoAviso) {
    AmbienteImportacao a;
    a.origem("INSERT INTO agenda (codigo, empresa, \"descrição\", compromisso_data, compromisso_hora, avisar_data, "
             "avisar_hora) VALUES "
             "(1,3,'normal','2021-03-05 00:00:00','1899-12-30 14:00:00','2021-03-05 00:00:00','1899-12-30 13:30:00'),"
             "(2,3,'virada','2021-12-31 00:00:00','1899-12-30 23:45:00',NULL,NULL),"
             "(3,3,'como texto','05/03/2021','09:15',NULL,'08:00'),"
             "(4,3,'hora com data','2021-03-05 10:00:00','2020-01-01 16:20:00',NULL,NULL),"
             "(5,3,'ilegivel','amanhã','14:00',NULL,NULL)");
    a.anuncia("Agenda de Compromissos");
    a.dm.SalvaRegistros("agenda", "agenda", {"descrição"}, {"descricao"}, {""}, "");
    EXPECT_EQ(a.linhasDestino("SELECT id, mostrar_como, opcoes, data_inicial, data_final, avisar_em FROM agenda ORDER BY id"),
              "1|0|2|2021-03-05 14:00:00|2021-03-05 14:30:00|2021-03-05 13:30:00\n"
              "2|0|2|2021-12-31 23:45:00|2022-01-01 00:15:00|1899-12-30 00:00:00\n"
              "3|0|2|2021-03-05 09:15:00|2021-03-05 09:45:00|1899-12-30 08:00:00\n"
              "4|0|2|2021-03-05 16:20:00|2021-03-05 16:50:00|1899-12-30 00:00:00\n"
              "5|0|2|<null>|1899-12-30 00:30:00|1899-12-30 00:00:00");
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Mapeando Campos", "AGENDA", "AGENDA",
                    "A data 'amanhã' do campo 'compromisso_data' não pôde ser lida."));
    EXPECT_EQ(a.janela.resumo, QList<LinhaResumo>({{"Agenda de Compromissos", "5", "5", "0"}}));
}

TEST(RegraConta, IdDoContadorEVisualizar) {
    AmbienteImportacao a;
    a.origem("INSERT INTO investimentos VALUES (8,3,'Poupança'),(9,3,'CDB')");
    a.destino("INSERT INTO sys_codigos VALUES (4,'fontes',1)");
    a.dm.SalvaRegistros("investimentos", "fontes", {"descricao", "codigo"}, {"descricao", "dias_carencia"},
                        {"tipo=IN", "tipo_saldo=1"}, "");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, dias_carencia, visualizar, tipo, tipo_saldo FROM fontes"),
              "5|1|Poupança|8|1|IN|1\n6|1|CDB|9|1|IN|1");
    EXPECT_EQ(a.linhasDestino("SELECT id, tabela FROM sys_codigos"), "6|fontes");
}

namespace {

// One entry of each source table through the entry rules; returns the
// destination columns that the rules decide.
QString lancamento(AmbienteImportacao& a, const QString& tabela, const QString& colunas, const QString& valores,
                   const QStringList& origem, const QStringList& destino) {
    a.origem(QString("DELETE FROM %1; INSERT INTO %1 (codigo, empresa, %2) VALUES (1, 3, %3)")
                 .arg(tabela, colunas, valores));
    a.destino("DELETE FROM lctos");
    a.dm.SalvaRegistros(tabela, "lctos", origem, destino, {"id_fonte=7"}, "");
    return a.linhasDestino("SELECT tipo, quitado, data, data_vencimento, data_quitado, data_baixa, valor, total, "
                           "id_contacaixa, id_fonte FROM lctos");
}

}  // namespace

TEST(RegraLancamento, CadaTabelaDeOrigem) {
    AmbienteImportacao a;
    a.origem("INSERT INTO caixa_contas (codigo, empresa, \"código_conta\", \"descrição\") VALUES "
             "(1,3,'1.01','Salário'),(2,3,'2.A','Aluguel \"Centro\"'),(3,3,'2.a','Duplicada'),(4,1,'9','Outra empresa'),"
             "(5,3,'2.05','Sem par no plano')");
    a.destino("INSERT INTO plano_contas (id, descricao) VALUES (40,'SALÁRIO'),(41,'Aluguel \"Centro\"'),(42,'Outra empresa')");
    const QStringList cx{"data", "valor", "conta"};
    const QStringList cxd{"data", "valor", "documento"};
    const QString d = "'2021-03-05 00:00:00'";
    struct Caso {
        const char* nome;
        const char* tabela;
        QString colunas, valores;
        QStringList origem, destino;
        QString esperado;
    } casos[] = {
        {"caixa com conta 1 e receita e liquidada", "caixa_lancamentos", "data, valor, conta", d + ", 25.5, '1.01'", cx, cxd,
         "R|1|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|25.5|25.5|40|7"},
        {"caixa com conta em outra caixa e aspas", "caixa_lancamentos", "data, valor, conta", d + ", 10, '2.a'", cx, cxd,
         "P|1|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|10|10|41|7"},
        {"caixa sem conta e sem data", "caixa_lancamentos", "valor, conta", "3, ''", cx, cxd,
         "P|1|<null>|1899-12-30 00:00:00|1899-12-30 00:00:00|1899-12-30 00:00:00|3|3|2|7"},
        {"caixa com conta de outra empresa", "caixa_lancamentos", "valor, conta", "3, '9'", cx, cxd,
         "P|1|<null>|1899-12-30 00:00:00|1899-12-30 00:00:00|1899-12-30 00:00:00|3|3|2|7"},
        {"caixa com descricao fora do plano", "caixa_lancamentos", "valor, conta", "3, '2.05'", cx, cxd,
         "P|1|<null>|1899-12-30 00:00:00|1899-12-30 00:00:00|1899-12-30 00:00:00|3|3|2|7"},
        {"pagar aberta", "contas_pagar", "valor, total, data_pagamento, conta_caixa", "80, 0, NULL, '1.01'",
         {"valor", "total", "data_pagamento", "conta_caixa"}, {"valor", "total", "data_quitado", "documento"},
         "P|0|<null>|<null>|<null>|1899-12-30 00:00:00|80|0|40|7"},
        {"pagar total vazio", "contas_pagar", "valor, total", "80, NULL", {"valor", "total"}, {"valor", "total"},
         "P|0|<null>|<null>|<null>|1899-12-30 00:00:00|80|<null>|2|7"},
        {"receber paga", "contas_receber", "valor, total, data_pagamento", "90, 75, " + d,
         {"valor", "total", "data_pagamento"}, {"valor", "total", "data_quitado"},
         "R|1|<null>|<null>|2021-03-05 00:00:00|2021-03-05 00:00:00|90|75|1|7"},
        {"cartao", "cartoes_credito_lancamentos", "valor, baixado, \"data_compensação\"", "12, 1, " + d,
         {"valor", "baixado", "data_compensação"}, {"valor", "quitado", "data_quitado"},
         "P|1|<null>|<null>|2021-03-05 00:00:00|2021-03-05 00:00:00|12|12|2|7"},
        {"banco tipo 3 sem vencimento", "contas_bancarias_lancamentos", "data, valor, tipo", d + ", 5, 3",
         {"data", "valor", "bom_para"}, {"data", "valor", "data_vencimento"},
         "P|<null>|2021-03-05 00:00:00|2021-03-05 00:00:00|<null>|<null>|5|<null>|2|7"},
        {"banco tipo 4 com vencimento", "contas_bancarias_lancamentos", "data, valor, tipo, bom_para",
         d + ", 5, 4, '2021-04-01 00:00:00'", {"data", "valor", "bom_para"}, {"data", "valor", "data_vencimento"},
         "R|<null>|2021-03-05 00:00:00|2021-04-01 00:00:00|<null>|<null>|5|<null>|1|7"},
        {"banco tipo vazio", "contas_bancarias_lancamentos", "data, valor, tipo", d + ", 5, NULL",
         {"data", "valor"}, {"data", "valor"},
         "R|<null>|2021-03-05 00:00:00|2021-03-05 00:00:00|<null>|<null>|5|<null>|1|7"},
        {"investimento C", "investimentos_lancamentos", "data, valor, tipo", d + ", 100, 'C'", {"data", "valor"},
         {"data", "valor"},
         "R|1|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|100|100|1|7"},
        {"investimento c minusculo", "investimentos_lancamentos", "data, valor, tipo", d + ", 100, 'c'",
         {"data", "valor"}, {"data", "valor"},
         "P|1|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|2021-03-05 00:00:00|100|100|2|7"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(lancamento(a, c.tabela, c.colunas, c.valores, c.origem, c.destino), c.esperado);
    }
    EXPECT_EQ(a.janela.textoExcecoes(), "");
    // Every entry took its id from the lctos counter.
    EXPECT_EQ(a.valorDestino("SELECT id FROM sys_codigos WHERE tabela='lctos'"), QString::number(std::size(casos)));
}

TEST(RegraLancamento, SemPlanoDeContasNaOrigemUsaAsContasPadrao) {
    AmbienteImportacao a;
    a.origem("DROP TABLE caixa_contas; INSERT INTO caixa_lancamentos (codigo, empresa, valor, conta) VALUES (1,3,5,'1')");
    a.dm.SalvaRegistros("caixa_lancamentos", "lctos", {"valor"}, {"valor"}, {""}, " and not cancelado");
    EXPECT_EQ(a.linhasDestino("SELECT tipo, id_contacaixa FROM lctos"), "R|1");
    EXPECT_EQ(a.janela.textoExcecoes(), "");
}
