// The twenty importers: the whole run over a hand-made old database, and the
// behaviour of each kind of importer at its edges (balances, carriers,
// replaced catalogues, phones, vehicles).
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/blocos.h"
#include "apoio/impressao_resumo.h"
#include "rotina.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

QString faltaTabela(const QString& tabela) {
    return "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta '" + tabela +
           "'. Certifique-se de que ela existe e que seu nome está escrito corretamente.";
}

// The run order, as the wizard announces the areas.
const QStringList kOrdem{"Contas de Receitas e Despesas",
                         "Agenda de Compromissos",
                         "Centros de Custos",
                         "Históricos (Bancos)",
                         "Patrimônio",
                         "Tarefas",
                         "Contatos e Telefones",
                         "Caixa Pessoal",
                         "Cartões de Crédito",
                         "Contas a Pagar",
                         "Contas a Receber",
                         "Controle Bancário",
                         "Modelos (Veículos)",
                         "Montadoras (Veículos)",
                         "Tipos de Combustíveis (Veículos)",
                         "Manutenções (Veículos)",
                         "Lançamentos (Veículos)",
                         "Cadastro de Veículos",
                         "Viagens (Veículos)",
                         "Investimentos"};

using Importador = void (Tdm::*)();

// Announces `area` and runs its importer, as the run does for a ticked area.
void importa(AmbienteImportacao& a, const QString& area, Importador importador) {
    a.anuncia(area);
    (a.dm.*importador)();
}

QList<LinhaResumo> linhas(const QString& cadastro, const QList<QStringList>& contagens) {
    QList<LinhaResumo> r;
    for (const QStringList& c : contagens) r.append({cadastro, c.at(0), c.at(1), c.at(2)});
    return r;
}

// The old database of the whole run: company 3 with something in every area,
// company 1 with rows that must stay behind, and cancelled entries.
const char kOrigemCompleta[] = R"SQL(
INSERT INTO caixa_contas (codigo, empresa, "descrição", "código_conta", dedutivel_ir, conta_imposto, conta_repete, tipo_conta) VALUES
  (10, 3, 'Salário', '1.1', 0, 0, 1, 'R'),
  (11, 3, 'Aluguel', '2.3.1', 1, 0, 1, 'D'),
  (12, 3, 'Juros', '1.10', 0, 1, 0, 'R'),
  (13, 3, 'Vendas "Balcão"', '11.2', 0, 0, 0, 'R'),
  (14, 3, 'Mercado', '2.1', 0, 0, 0, 'D'),
  (15, 1, 'Outra empresa', '2.2', 0, 0, 0, 'D');
INSERT INTO agenda (codigo, empresa, "descrição", local, cliente, tipo, "anotação", status, anexos, avisar_compromisso,
                    avisar_usuario, compromisso_data, compromisso_hora, avisar_data, avisar_hora) VALUES
  (4, 3, 'Dentista', 'Centro', 12, 'Saúde', NULL, 'Marcado', NULL, 1, 0, '2021-03-05 00:00:00', '1899-12-30 14:00:00',
   '2021-03-05 00:00:00', '1899-12-30 13:00:00'),
  (5, 1, 'Outra empresa', NULL, NULL, NULL, NULL, NULL, NULL, 0, 0, '2021-03-05 00:00:00', NULL, NULL, NULL);
INSERT INTO centros_custos VALUES (5, 3, 'Casa'), (6, 1, 'Firma');
INSERT INTO contas_bancarias_historicos VALUES (2, 3, 'Depósito'), (3, 1, 'Saque');
INSERT INTO patrimonios VALUES (7, 3, 'Geladeira', '2019-07-01 00:00:00', 'P-1', 'Bom', 1500.5, 'Em uso'),
                               (8, 1, 'Torno', NULL, NULL, NULL, NULL, NULL);
INSERT INTO tarefas VALUES (3, 3, 'Pagar IPVA', 1, NULL, 30, '2021-01-20 00:00:00', 'Alta'),
                           (4, 1, 'Outra empresa', 0, NULL, NULL, NULL, 'Baixa');
INSERT INTO contatos (codigo, empresa, nome, "endereço", estado, e_mail, empresa_empr, estado_empr, conjuge, nome_pai) VALUES
  (12, 3, 'Ana Souza', 'Rua A, 1', 'SP', 'ana@exemplo.com', 'Acme', 'RJ', 'Rui', 'José'),
  (13, 1, 'Outra empresa', NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO telefones_contatos VALUES (1, 3, 12, 'Celular', '11', '99999-0000', 'pessoal'),
                                      (2, 3, 12, 'Casa', '11', '3333-0000', NULL),
                                      (3, 1, 12, 'Fax', '21', '2222-0000', NULL);
INSERT INTO caixa_lancamentos (codigo, empresa, data, documento, valor, "histórico", centro_custo, conta, cancelado) VALUES
  (1, 3, '2021-01-10 00:00:00', 'D1', 100, 'Salário jan', 5, '1.1', 0),
  (2, 3, '2021-01-11 00:00:00', 'D2', 30, 'Aluguel jan', 5, '2.3.1', 0),
  (3, 3, '2021-01-12 00:00:00', NULL, 20, 'Cancelado', NULL, '1.1', 1),
  (4, 3, '2021-01-13 00:00:00', NULL, 7, 'Sem conta', NULL, '', 0),
  (5, 1, '2021-01-13 00:00:00', NULL, 999, 'Outra empresa', NULL, '1.1', 0),
  (6, 3, '2021-01-14 00:00:00', NULL, 15, 'Venda', NULL, '1.99', 0);
INSERT INTO cartoes_credito VALUES (4, 3, 'Visa', 10, 5), (5, 3, 'Master', 15, NULL), (6, 1, 'Elo', 1, 1);
INSERT INTO cartoes_credito_lancamentos (codigo, empresa, "código_cartão", data, valor, "histórico", "observações", baixado,
                                         "data_compensação", vencimento, centro_custo, conta_caixa, cancelado) VALUES
  (1, 3, 4, '2021-02-01 00:00:00', 50, 'Livros', NULL, 1, '2021-02-10 00:00:00', '2021-02-10 00:00:00', 5, '2.1', 0),
  (2, 3, 4, '2021-02-02 00:00:00', 40, 'Jantar', NULL, 0, NULL, '2021-03-10 00:00:00', NULL, NULL, 0),
  (3, 3, 4, '2021-02-03 00:00:00', 25, 'Cancelada', NULL, 0, NULL, NULL, NULL, NULL, 1),
  (4, 1, 4, '2021-02-04 00:00:00', 60, 'Outra empresa', NULL, 0, NULL, NULL, NULL, NULL, 0);
INSERT INTO contas_pagar (codigo, empresa, documento, "descrição", data_conta, data_vencimento, data_pagamento, valor, total,
                          "previsão", centro_custo, "código_fornecedor", conta_caixa, cancelado) VALUES
  (1, 3, 'NF1', 'Luz', '2021-01-05 00:00:00', '2021-01-20 00:00:00', NULL, 80, 0, 0, 5, 12, '2.1', 0),
  (2, 3, 'NF2', 'Água', '2021-01-06 00:00:00', '2021-01-21 00:00:00', '2021-01-19 00:00:00', 75, 75, 1, NULL, 12, '11.2', 0),
  (3, 3, 'NF3', 'Cancelada', '2021-01-07 00:00:00', NULL, NULL, 500, 0, 0, NULL, NULL, NULL, 1),
  (4, 1, 'NF4', 'Outra empresa', '2021-01-07 00:00:00', NULL, NULL, 500, 0, 0, NULL, NULL, NULL, 0);
INSERT INTO contas_receber (codigo, empresa, documento, "descrição", "código_cliente", data_conta, data_vencimento,
                            data_pagamento, valor, total, "previsão", conta_caixa, cancelado) VALUES
  (1, 3, 'R1', 'Consultoria', 12, '2021-02-01 00:00:00', '2021-02-15 00:00:00', NULL, 200, 0, 0, '1.1', 0),
  (2, 3, 'R2', 'Aula', 12, '2021-02-02 00:00:00', '2021-02-16 00:00:00', '2021-02-16 00:00:00', 60, 60, 0, NULL, 0),
  (3, 3, 'R3', 'Cancelada', 12, '2021-02-03 00:00:00', NULL, NULL, 900, 0, 0, NULL, 1);
INSERT INTO contas_bancarias VALUES (7, 3, 'Banco A', '2020-01-01 00:00:00', 341, '0001', '12345-6'),
                                    (8, 3, 'Banco B', '2020-06-01 00:00:00', 1, '0002', '999-1'),
                                    (9, 1, 'Banco X', '2020-01-01 00:00:00', 33, '0003', '1-1');
INSERT INTO contas_bancarias_lancamentos (codigo, empresa, conta_bancaria, data, "pré_datado", bom_para, "histórico", "número",
                                          valor, "data_compensação", centro_custo, baixado, tipo, conta_caixa, cancelado) VALUES
  (1, 3, 7, '2021-03-01 00:00:00', 0, NULL, 'Depósito', '001', 100, '2021-03-01 00:00:00', 5, 1, 2, '1.1', 0),
  (2, 3, 7, '2021-03-02 00:00:00', 0, NULL, 'Tarifa', '002', 30, '2021-03-02 00:00:00', NULL, 1, 1, '2.3.1', 0),
  (3, 3, 7, '2021-03-03 00:00:00', 1, '2021-03-20 00:00:00', 'Cheque a receber', '003', 50, NULL, NULL, 0, 4, NULL, 0),
  (4, 3, 7, '2021-03-04 00:00:00', 0, NULL, 'Cancelado', '004', 1000, NULL, NULL, 1, 2, NULL, 1),
  (5, 1, 7, '2021-03-05 00:00:00', 0, NULL, 'Outra empresa', '005', 1000, NULL, NULL, 1, 2, NULL, 0);
INSERT INTO montadoras VALUES (30, 3, 'VW', 'Nacional'), (31, 1, 'Fiat', 'Nacional');
INSERT INTO modelos VALUES (20, 3, 'Gol', 30, 'Carro', 1600, 4, '101 cv'), (21, 1, 'Uno', 31, 'Carro', 1000, 4, '70 cv');
INSERT INTO combustiveis VALUES (1, 3, 'Gasolina', 'BR'), (2, 1, 'Diesel', 'Shell');
INSERT INTO manutencoes VALUES (2, 3, 'Troca de óleo', 10000, 6, '2021-01-15 00:00:00', 50000, 15, 500, 5, 14, 9),
                               (3, 1, 'Outra empresa', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
INSERT INTO lancamentos VALUES (40, 3, 51000, 1, 200, 2, 'Posto Sul', 1, 77, 5, '2021-04-01 00:00:00', 9, 40.5, 'Abastecimento', 'C'),
                               (41, 1, 1, 0, 1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Outra empresa', NULL);
INSERT INTO veiculos (codigo, empresa, montadora, modelo, placa, cor, ano_fabricacao, ano_modelo, odometro, comprado_de,
                      seguradora, data_venda, vendido_para, odomentro_venda, vendido_por, inativo, zerokm) VALUES
  (9, 3, 30, 20, 'ABC1D23', 'Prata', 2019, 2020, 51400, 14, 15, '2022-01-10 00:00:00', 16, 88000, 17, 1, 1),
  (10, 1, 31, 21, 'XYZ9A87', 'Preto', 2010, 2010, 1, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0);
INSERT INTO viagens VALUES (11, 3, '2021-04-02 08:00:00', '2021-04-02 12:30:00', 51000, 51400, 30.5, 'Santos', NULL,
                            'São Paulo', 'Praia', NULL, 9, 'Lazer'),
                           (12, 1, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Outra empresa', NULL, NULL, NULL);
INSERT INTO investimentos VALUES (3, 3, 'Poupança'), (4, 3, 'CDB'), (5, 1, 'Outro');
INSERT INTO investimentos_lancamentos VALUES
  (1, 3, 3, '2021-05-01 00:00:00', 'Aplicação', 1000, 'C', '1.1', 0),
  (2, 3, 3, '2021-05-02 00:00:00', 'Resgate', 300, 'D', NULL, 0),
  (3, 3, 3, '2021-05-03 00:00:00', 'Juros cancelados', 50, 'C', NULL, 1),
  (4, 1, 3, '2021-05-04 00:00:00', 'Outra empresa', 5000, 'C', NULL, 0);
)SQL";

}  // namespace

// ------------------------------------------------------------ whole run

TEST(ImportacaoCompleta, TodasAsAreasDaEmpresa3) {
    AmbienteImportacao a;
    a.origem(kOrigemCompleta);
    QStringList anunciadas;
    ImportaSemJanela(a.dm, a.janela, {a.arquivoOrigem, 3, a.arquivoDestino, "", {}},
                     [&](int passo, const QString& area, bool marcada) {
                         EXPECT_EQ(passo, anunciadas.size() + 1);
                         EXPECT_TRUE(marcada) << area.toStdString();
                         anunciadas << area;
                     });
    EXPECT_EQ(anunciadas, kOrdem);
    EXPECT_EQ(a.janela.textoExcecoes(), "");

    // Chart: old codes as ids, second level widened, company 1 left behind.
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, codigo_conta, dedutivel_ir, imposto, repete_mes, tipo_conta "
                              "FROM plano_contas ORDER BY id"),
              "10|1|Salário|1.01|0|0|1|R\n"
              "11|1|Aluguel|2.03.1|1|0|1|D\n"
              "12|1|Juros|1.10|0|1|0|R\n"
              "13|1|Vendas \"Balcão\"|11.2|0|0|0|R\n"
              "14|1|Mercado|2.01|0|0|0|D");

    // Simple registers, appointments, tasks, contacts and phones.
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, localizacao, id_contato, tipo, obs, situacao, anexos, avisar, "
                              "avisar_usuario, mostrar_como, data_inicial, data_final, opcoes, avisar_em FROM agenda"),
              "4|1|Dentista|Centro|12|Saúde|<null>|Marcado|<null>|1|0|0|2021-03-05 14:00:00|2021-03-05 14:30:00|2|"
              "2021-03-05 13:00:00");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao FROM centros_custos"), "5|1|Casa");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao FROM historicos"), "2|1|Depósito");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM patrimonios"), "7|1|Geladeira|2019-07-01 00:00:00|P-1|Bom|1500.5|Em uso");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM tarefas"), "3|1|Pagar IPVA|1|<null>|30|2021-01-20 00:00:00|A");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, nome, endereco, uf, email, e_empresa, e_uf, c_conjuge, c_pai FROM contatos"),
              "12|1|Ana Souza|Rua A, 1|SP|ana@exemplo.com|Acme|RJ|Rui|José");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM contatos_fones ORDER BY id"),
              "1|1|12|Celular|11|99999-0000|pessoal\n"
              "2|1|12|Casa|11|3333-0000|<null>");

    // Accounts: counter ids in run order, balances, carriers emptied (a
    // card keeps its grace days), visualizar only on copied accounts.
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, tipo, tipo_saldo, saldo, visualizar, data, id_banco, agencia, "
                              "conta, dia_vcto, dias_carencia FROM fontes ORDER BY id"),
              "1|1|Dinheiro|DI|1|78|<null>|<null>|<null>|<null>|<null>|<null>|<null>\n"
              "2|1|Visa|CA|2|-40|1|<null>|<null>|<null>||10|5\n"
              "3|1|Master|CA|2|0|1|<null>|<null>|<null>||15|<null>\n"
              "4|1|Contas a Pagar|CP|2|-80|<null>|<null>|<null>|<null>|<null>|<null>|<null>\n"
              "5|1|Contas a Receber|CR|2|200|<null>|<null>|<null>|<null>|<null>|<null>|<null>\n"
              "6|1|Banco A|BA|1|70|1|2020-01-01 00:00:00|341|0001|12345-6|<null>|<null>\n"
              "7|1|Banco B|BA|1|0|1|2020-06-01 00:00:00|1|0002|999-1|<null>|<null>\n"
              "8|1|Poupança|IN|1|750|1|<null>|<null>|<null>|<null>|<null>|<null>\n"
              "9|1|CDB|IN|1|0|1|<null>|<null>|<null>|<null>|<null>|<null>");

    // Entries: ids from the lctos counter, kind, settlement and dates by
    // source table, chart link by the old description (1 / 2 otherwise).
    EXPECT_EQ(a.linhasDestino("SELECT id, area, id_fonte, tipo, quitado, data, data_vencimento, data_quitado, data_baixa, "
                              "descricao, documento, valor, total, id_centrocusto, id_contacaixa, id_contato, "
                              "banco_pre_datado, crediario_previsao FROM lctos ORDER BY id"),
              // Caixa Pessoal: conta 1... is R; every entry settled on its date.
              "1|1|1|R|1|2021-01-10 00:00:00|2021-01-10 00:00:00|2021-01-10 00:00:00|2021-01-10 00:00:00|Salário jan|D1|"
              "100|100|5|10|<null>|<null>|<null>\n"
              "2|1|1|P|1|2021-01-11 00:00:00|2021-01-11 00:00:00|2021-01-11 00:00:00|2021-01-11 00:00:00|Aluguel jan|D2|"
              "30|30|5|11|<null>|<null>|<null>\n"
              "3|1|1|P|1|2021-01-13 00:00:00|2021-01-13 00:00:00|2021-01-13 00:00:00|2021-01-13 00:00:00|Sem conta|<null>|"
              "7|7|<null>|2|<null>|<null>|<null>\n"
              "4|1|1|R|1|2021-01-14 00:00:00|2021-01-14 00:00:00|2021-01-14 00:00:00|2021-01-14 00:00:00|Venda|<null>|"
              "15|15|<null>|1|<null>|<null>|<null>\n"
              // Cartões: always P, data_baixa from data_quitado.
              "5|1|2|P|1|2021-02-01 00:00:00|2021-02-10 00:00:00|2021-02-10 00:00:00|2021-02-10 00:00:00|Livros|<null>|"
              "50|50|5|14|<null>|<null>|<null>\n"
              "6|1|2|P|0|2021-02-02 00:00:00|2021-03-10 00:00:00|<null>|1899-12-30 00:00:00|Jantar|<null>|"
              "40|<null>|<null>|2|<null>|<null>|<null>\n"
              // Contas a Pagar: settled when total is not 0.
              "7|1|4|P|0|2021-01-05 00:00:00|2021-01-20 00:00:00|<null>|1899-12-30 00:00:00|Luz|NF1|"
              "80|0|5|14|12|<null>|0\n"
              "8|1|4|P|1|2021-01-06 00:00:00|2021-01-21 00:00:00|2021-01-19 00:00:00|2021-01-19 00:00:00|Água|NF2|"
              "75|75|<null>|13|12|<null>|1\n"
              // Contas a Receber.
              "9|1|5|R|0|2021-02-01 00:00:00|2021-02-15 00:00:00|<null>|1899-12-30 00:00:00|Consultoria|R1|"
              "200|0|<null>|10|12|<null>|0\n"
              "10|1|5|R|1|2021-02-02 00:00:00|2021-02-16 00:00:00|2021-02-16 00:00:00|2021-02-16 00:00:00|Aula|R2|"
              "60|60|<null>|1|12|<null>|0\n"
              // Controle Bancário: tipo 1/3 is P; an empty bom_para takes data.
              "11|1|6|R|1|2021-03-01 00:00:00|2021-03-01 00:00:00|2021-03-01 00:00:00|<null>|Depósito|001|"
              "100|100|5|10|<null>|0|<null>\n"
              "12|1|6|P|1|2021-03-02 00:00:00|2021-03-02 00:00:00|2021-03-02 00:00:00|<null>|Tarifa|002|"
              "30|30|<null>|11|<null>|0|<null>\n"
              "13|1|6|R|0|2021-03-03 00:00:00|2021-03-20 00:00:00|<null>|<null>|Cheque a receber|003|"
              "50|<null>|<null>|1|<null>|1|<null>\n"
              // Investimentos: C is R, settled on its date, cancelled ones copied.
              "14|1|8|R|1|2021-05-01 00:00:00|2021-05-01 00:00:00|2021-05-01 00:00:00|2021-05-01 00:00:00|Aplicação|<null>|"
              "1000|1000|<null>|10|<null>|<null>|<null>\n"
              "15|1|8|P|1|2021-05-02 00:00:00|2021-05-02 00:00:00|2021-05-02 00:00:00|2021-05-02 00:00:00|Resgate|<null>|"
              "300|300|<null>|2|<null>|<null>|<null>\n"
              "16|1|8|R|1|2021-05-03 00:00:00|2021-05-03 00:00:00|2021-05-03 00:00:00|2021-05-03 00:00:00|"
              "Juros cancelados|<null>|50|50|<null>|1|<null>|<null>|<null>");

    // Vehicle areas: old codes everywhere, no account lookup.
    EXPECT_EQ(a.linhasDestino("SELECT * FROM modelos"), "20|1|Gol|30|Carro|1600|4|101 cv");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM montadoras"), "30|1|VW|Nacional");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM combustiveis"), "1|1|Gasolina|BR");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM manutencoes"),
              "2|1|Troca de óleo|10000|6|2021-01-15 00:00:00|50000|15|500|5|14|9");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM veiculos_lctos"),
              "40|1|51000|1|200|2|Posto Sul|1|77|5|2021-04-01 00:00:00|9|40.5|Abastecimento|C");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, id_montadora, id_modelo, placa, cor, ano_fabricacao, ano_modelo, odometro, "
                              "id_vendedor, id_seguradora, data_venda, id_comprador, odometro_venda, id_vendido_por, "
                              "inativo, zero_km, ar_condicionado FROM veiculos"),
              "9|1|30|20|ABC1D23|Prata|2019|2020|51400|14|15|2022-01-10 00:00:00|16|88000|17|1|1|0");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM viagens"),
              "11|1|2021-04-02 08:00:00|2021-04-02 12:30:00|51000|51400|30.5|Santos|<null>|São Paulo|Praia|<null>|9|Lazer");

    // Counters: the largest kept code per table; fontes and lctos from
    // PegaCodigo; contatos_fones never.
    EXPECT_EQ(a.linhasDestino("SELECT tabela, id, area FROM sys_codigos ORDER BY tabela"),
              "agenda|4|1\ncentros_custos|5|1\ncombustiveis|1|1\ncontatos|12|1\nfontes|9|1\nhistoricos|2|1\n"
              "lctos|16|1\nmanutencoes|2|1\nmodelos|20|1\nmontadoras|30|1\npatrimonios|7|1\nplano_contas|14|1\n"
              "tarefas|3|1\nveiculos|9|1\nveiculos_lctos|40|1\nviagens|11|1");

    const QList<LinhaResumo> emOrdemDeChamada{
        {"Contas de Receitas e Despesas", "5", "5", "0"},
        {"Agenda de Compromissos", "1", "1", "0"},
        {"Centros de Custos", "1", "1", "0"},
        {"Históricos (Bancos)", "1", "1", "0"},
        {"Patrimônio", "1", "1", "0"},
        {"Tarefas", "1", "1", "0"},
        {"Contatos e Telefones", "1", "1", "0"},
        {"Contatos e Telefones", "2", "2", "0"},
        {"Caixa Pessoal", "4", "4", "0"},
        {"Cartões de Crédito", "2", "2", "0"},
        {"Cartões de Crédito", "2", "2", "0"},
        {"Cartões de Crédito", "0", "0", "0"},
        {"Contas a Pagar", "2", "2", "0"},
        {"Contas a Receber", "2", "2", "0"},
        {"Controle Bancário", "2", "2", "0"},
        {"Controle Bancário", "3", "3", "0"},
        {"Controle Bancário", "0", "0", "0"},
        {"Modelos (Veículos)", "1", "1", "0"},
        {"Montadoras (Veículos)", "1", "1", "0"},
        {"Tipos de Combustíveis (Veículos)", "1", "1", "0"},
        {"Manutenções (Veículos)", "1", "1", "0"},
        {"Lançamentos (Veículos)", "1", "1", "0"},
        {"Cadastro de Veículos", "1", "1", "0"},
        {"Viagens (Veículos)", "1", "1", "0"},
        {"Investimentos", "2", "2", "0"},
        {"Investimentos", "3", "3", "0"},
        {"Investimentos", "0", "0", "0"},
    };
    EXPECT_EQ(a.janela.resumo, emOrdemDeChamada);

    // The grid's order: by Cadastro; rows of one area keep their order.
    QList<LinhaResumo> grade = a.janela.resumo;
    OrdenaResumo(grade);
    EXPECT_EQ(grade, (QList<LinhaResumo>{
                         {"Agenda de Compromissos", "1", "1", "0"},
                         {"Cadastro de Veículos", "1", "1", "0"},
                         {"Caixa Pessoal", "4", "4", "0"},
                         {"Cartões de Crédito", "2", "2", "0"},
                         {"Cartões de Crédito", "2", "2", "0"},
                         {"Cartões de Crédito", "0", "0", "0"},
                         {"Centros de Custos", "1", "1", "0"},
                         {"Contas a Pagar", "2", "2", "0"},
                         {"Contas a Receber", "2", "2", "0"},
                         {"Contas de Receitas e Despesas", "5", "5", "0"},
                         {"Contatos e Telefones", "1", "1", "0"},
                         {"Contatos e Telefones", "2", "2", "0"},
                         {"Controle Bancário", "2", "2", "0"},
                         {"Controle Bancário", "3", "3", "0"},
                         {"Controle Bancário", "0", "0", "0"},
                         {"Históricos (Bancos)", "1", "1", "0"},
                         {"Investimentos", "2", "2", "0"},
                         {"Investimentos", "3", "3", "0"},
                         {"Investimentos", "0", "0", "0"},
                         {"Lançamentos (Veículos)", "1", "1", "0"},
                         {"Manutenções (Veículos)", "1", "1", "0"},
                         {"Modelos (Veículos)", "1", "1", "0"},
                         {"Montadoras (Veículos)", "1", "1", "0"},
                         {"Patrimônio", "1", "1", "0"},
                         {"Tarefas", "1", "1", "0"},
                         {"Tipos de Combustíveis (Veículos)", "1", "1", "0"},
                         {"Viagens (Veículos)", "1", "1", "0"},
                     }));
}

// ------------------------------------------------------------------- run

TEST(Execucao, AnunciaAsVinteAreasNaOrdemEChamaSoAsMarcadas) {
    struct Caso {
        const char* nome;
        QStringList marcadas;
        QList<LinhaResumo> resumo;
    } casos[] = {
        {"nenhuma marcada", {}, {}},
        {"so Investimentos, chamada no passo 20", {"Investimentos"},
         {{"Investimentos", "1", "1", "0"}, {"Investimentos", "0", "0", "0"}}},
        {"so o plano de contas, chamado no passo 1", {"Contas de Receitas e Despesas"},
         {{"Contas de Receitas e Despesas", "1", "1", "0"}}},
        {"tarefas e agenda na ordem da rotina", {"Tarefas", "Agenda de Compromissos"},
         {{"Agenda de Compromissos", "1", "1", "0"}, {"Tarefas", "1", "1", "0"}}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.origem("INSERT INTO investimentos VALUES (3, 3, 'Poupança');"
                 "INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") VALUES (1, 3, 'Receitas', '1');"
                 "INSERT INTO agenda (codigo, empresa, \"descrição\") VALUES (1, 3, 'Dentista');"
                 "INSERT INTO tarefas (codigo, empresa, descricao) VALUES (1, 3, 'Pagar IPVA')");
        QStringList anunciadas;
        QList<qsizetype> linhasAoAnunciar;
        ExecutaImportacao(a.dm, [&](const QString& area) {
            a.anuncia(area);
            anunciadas << area;
            linhasAoAnunciar << a.janela.resumo.size();
            return c.marcadas.contains(area);
        });
        EXPECT_EQ(anunciadas, kOrdem);
        EXPECT_EQ(a.janela.resumo, c.resumo);
        EXPECT_EQ(a.janela.textoExcecoes(), "");
        // The area ran right after its own announcement.
        for (qsizetype i = 0; i < kOrdem.size(); ++i) {
            qsizetype antes = 0;
            for (const LinhaResumo& l : c.resumo)
                if (kOrdem.indexOf(l.cadastro) < i) ++antes;
            EXPECT_EQ(linhasAoAnunciar.value(i), antes) << kOrdem.at(i).toStdString();
        }
    }
}

// ----------------------------------------------------------- balance

TEST(CalculaSaldo, LancamentosDaContaPeloTipoDeSaldo) {
    // Entries of account 1: settled R 100, settled P 30, open R 50; noise of
    // another account and of area 2.
    const QString exemplo =
        "(1, 1, 1, 'R', 1, 100, 100), (2, 1, 1, 'P', 1, 30, 30), (3, 1, 1, 'R', 0, 50, NULL),"
        "(4, 1, 2, 'R', 1, 1000, 1000), (5, 1, 2, 'R', 0, 1000, NULL),"
        "(6, 2, 1, 'R', 1, 500, 500), (7, 2, 1, 'R', 0, 500, NULL)";
    struct Caso {
        const char* nome;
        const char* tipoSaldo;
        QString lctos;  // (id, area, id_fonte, tipo, quitado, valor, total)
        QString saldo;
    } casos[] = {
        {"tipo 1 conta os liquidados pelo total", "1", exemplo, "70"},
        {"tipo 2 conta os abertos pelo valor", "2", exemplo, "50"},
        {"tipo 0 como o 2", "0", exemplo, "50"},
        {"tipo 3 como o 2", "3", exemplo, "50"},
        {"tipo nulo como o 2", "NULL", exemplo, "50"},
        {"sem lancamentos", "1", "(1, 1, 2, 'R', 1, 10, 10)", "0"},
        {"tipo nulo ou outro texto subtrai", "1", "(1, 1, 1, NULL, 1, 10, 10), (2, 1, 1, 'X', 1, 4, 4)", "-14"},
        {"liquidado sem total nao conta", "1", "(1, 1, 1, 'R', 1, 40, NULL), (2, 1, 1, 'R', 1, 5, 5)", "5"},
        {"aberto do tipo 2 ignora o total", "2", "(1, 1, 1, 'P', 0, 80, 75)", "-80"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.destino(QString("INSERT INTO fontes (id, area, tipo_saldo, saldo) VALUES (1, 1, %1, 999), (2, 1, 1, 999);"
                          "INSERT INTO lctos (id, area, id_fonte, tipo, quitado, valor, total) VALUES %2")
                      .arg(c.tipoSaldo, c.lctos));
        a.dm.CalculaSaldo(1);
        EXPECT_EQ(a.linhasDestino("SELECT id, saldo FROM fontes ORDER BY id"), "1|" + c.saldo + "\n2|999");
    }
}

// ------------------------------------------- account-and-entries areas

TEST(ContasComLancamentos, TresContasBancariasNumDestinoSemContasDaoQuatroLinhas) {
    AmbienteImportacao a;
    a.origem(R"SQL(
INSERT INTO contas_bancarias (codigo, empresa, "descrição") VALUES (7, 3, 'A'), (8, 3, 'B'), (9, 3, 'C');
INSERT INTO contas_bancarias_lancamentos (codigo, empresa, conta_bancaria, valor, baixado, tipo) VALUES
  (1, 3, 9, 10, 1, 2), (2, 3, 7, 4, 1, 3), (3, 3, 9, 1, 1, 1), (4, 3, 0, 99, 1, 2);
)SQL");
    importa(a, "Controle Bancário", &Tdm::ImportaControleBancario);
    EXPECT_EQ(a.janela.resumo, linhas("Controle Bancário", {{"3", "3", "0"}, {"1", "1", "0"}, {"0", "0", "0"},
                                                            {"2", "2", "0"}}));
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao, saldo, dias_carencia FROM fontes ORDER BY id"),
              "1|A|-4|<null>\n2|B|0|<null>\n3|C|9|<null>");
    EXPECT_EQ(a.linhasDestino("SELECT id, id_fonte, tipo, valor FROM lctos ORDER BY id"),
              "1|1|P|4\n2|3|R|10\n3|3|P|1");
}

TEST(ContasComLancamentos, ContaDoMesmoTipoQueODestinoJaTinhaFicaComoEstava) {
    struct Caso {
        const char* nome;
        const char* area;
        Importador importador;
        QString destino;  // the account the destination already had: id 1, carrier = an old code
        QString origem;   // one old account and one entry of it
        QString colunaCarregadora;
        QString fontes;   // id|descricao|saldo|carrier
    } casos[] = {
        {"banco com dias_carencia 7", "Controle Bancário", &Tdm::ImportaControleBancario,
         "INSERT INTO fontes (id, area, descricao, tipo, tipo_saldo, saldo, dias_carencia) VALUES "
         "(1, 1, 'Conta antiga', 'BA', 1, 123, 7)",
         "INSERT INTO contas_bancarias (codigo, empresa, \"descrição\") VALUES (7, 3, 'Banco A');"
         "INSERT INTO contas_bancarias_lancamentos (codigo, empresa, conta_bancaria, valor, baixado, tipo) VALUES "
         "(1, 3, 7, 100, 1, 2)",
         "dias_carencia", "1|Conta antiga|123|7\n2|Banco A|100|<null>"},
        {"cartao com conta 4", "Cartões de Crédito", &Tdm::ImportaCartoesCredito,
         "INSERT INTO fontes (id, area, descricao, tipo, tipo_saldo, saldo, conta, dias_carencia) VALUES "
         "(1, 1, 'Cartão antigo', 'CA', 2, -5, '4', 3)",
         "INSERT INTO cartoes_credito VALUES (4, 3, 'Visa', 10, 6);"
         "INSERT INTO cartoes_credito_lancamentos (codigo, empresa, \"código_cartão\", valor, baixado) VALUES "
         "(1, 3, 4, 40, 0)",
         "conta", "1|Cartão antigo|-5|4\n2|Visa|-40|"},
        {"investimento com dias_carencia 3", "Investimentos", &Tdm::ImportaInvestimentos,
         "INSERT INTO fontes (id, area, descricao, tipo, tipo_saldo, saldo, dias_carencia) VALUES "
         "(1, 1, 'Aplicação antiga', 'IN', 1, 9, 3)",
         "INSERT INTO investimentos VALUES (3, 3, 'Poupança');"
         "INSERT INTO investimentos_lancamentos (codigo, empresa, codigo_investimento, valor, tipo) VALUES "
         "(1, 3, 3, 1000, 'C')",
         "dias_carencia", "1|Aplicação antiga|9|3\n2|Poupança|1000|<null>"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.destino(c.destino + ";INSERT INTO sys_codigos VALUES (1, 'fontes', 1), (1, 'lctos', 1);"
                              "INSERT INTO lctos (id, area, id_fonte, tipo, quitado, valor, total) VALUES "
                              "(1, 1, 1, 'R', 1, 7, 7)");
        a.origem(c.origem);
        importa(a, c.area, c.importador);
        EXPECT_EQ(a.linhasDestino("SELECT id, descricao, saldo, " + c.colunaCarregadora + " FROM fontes ORDER BY id"),
                  c.fontes);
        // Only the new account received entries.
        EXPECT_EQ(a.linhasDestino("SELECT id, id_fonte FROM lctos ORDER BY id"), "1|1\n2|2");
        EXPECT_EQ(a.janela.resumo, linhas(c.area, {{"1", "1", "0"}, {"1", "1", "0"}}));
    }
}

TEST(ContasComLancamentos, SemTabelaDeLancamentosAsContasFicamComSaldoZeroELimpas) {
    AmbienteImportacao a;
    a.origem("INSERT INTO investimentos VALUES (3, 3, 'Poupança'), (4, 3, 'CDB'); DROP TABLE investimentos_lancamentos");
    importa(a, "Investimentos", &Tdm::ImportaInvestimentos);
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao, saldo, dias_carencia FROM fontes ORDER BY id"),
              "1|Poupança|0|<null>\n2|CDB|0|<null>");
    EXPECT_EQ(a.janela.resumo, linhas("Investimentos", {{"2", "2", "0"}}));
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Abrindo tabela", "INVESTIMENTOS_LANCAMENTOS", "LCTOS",
                                              faltaTabela("investimentos_lancamentos"))
                                            .repeated(2));
}

// ------------------------------------------------- single-account areas

TEST(ContaUnica, TabelaVaziaOuAusenteAindaCriaAContaComSaldoZero) {
    struct Caso {
        const char* area;
        Importador importador;
        const char* tabela;
        QString conta;  // descricao|tipo|tipo_saldo
    } tipos[] = {
        {"Caixa Pessoal", &Tdm::ImportaCaixaPessoal, "caixa_lancamentos", "Dinheiro|DI|1"},
        {"Contas a Pagar", &Tdm::ImportaContasPagar, "contas_pagar", "Contas a Pagar|CP|2"},
        {"Contas a Receber", &Tdm::ImportaContasReceber, "contas_receber", "Contas a Receber|CR|2"},
    };
    for (const auto& t : tipos) {
        for (const bool ausente : {false, true}) {
            SCOPED_TRACE(QString("%1, tabela %2").arg(t.area, ausente ? "ausente" : "vazia").toStdString());
            AmbienteImportacao a;
            // Only a cancelled entry and one of company 1: nothing to copy.
            a.origem(QString("INSERT INTO %1 (codigo, empresa, valor, cancelado) VALUES (1, 3, 5, 1), (2, 1, 5, 0)")
                         .arg(t.tabela));
            if (ausente) a.origem(QString("DROP TABLE %1").arg(t.tabela));
            a.destino("INSERT INTO sys_codigos VALUES (41, 'fontes', 1)");
            importa(a, t.area, t.importador);
            EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, tipo, tipo_saldo, saldo, visualizar FROM fontes"),
                      "42|1|" + t.conta + "|0|<null>");
            EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos"), "fontes|42");
            EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "0");
            EXPECT_EQ(a.janela.resumo, ausente ? QList<LinhaResumo>{} : linhas(t.area, {{"0", "0", "0"}}));
            EXPECT_EQ(a.janela.textoExcecoes(),
                      ausente ? BlocoExcecao("Abrindo tabela", QString(t.tabela).toUpper(), "LCTOS", faltaTabela(t.tabela))
                              : QString());
        }
    }
}

TEST(ContaUnica, CaixaReceitaPelaContaQueComecaPor1) {
    AmbienteImportacao a;
    a.origem(R"SQL(
INSERT INTO caixa_lancamentos (codigo, empresa, data, valor, conta) VALUES
  (1, 3, '2021-06-01 00:00:00', 10, '1.02'), (2, 3, '2021-06-02 00:00:00', 3, '2.01'),
  (3, 3, '2021-06-03 00:00:00', 2, ''), (4, 3, '2021-06-04 00:00:00', 1, NULL);
)SQL");
    importa(a, "Caixa Pessoal", &Tdm::ImportaCaixaPessoal);
    EXPECT_EQ(a.linhasDestino("SELECT id, tipo, quitado, data, data_vencimento, data_quitado, data_baixa, total, "
                              "id_contacaixa FROM lctos ORDER BY id"),
              "1|R|1|2021-06-01 00:00:00|2021-06-01 00:00:00|2021-06-01 00:00:00|2021-06-01 00:00:00|10|1\n"
              "2|P|1|2021-06-02 00:00:00|2021-06-02 00:00:00|2021-06-02 00:00:00|2021-06-02 00:00:00|3|2\n"
              "3|P|1|2021-06-03 00:00:00|2021-06-03 00:00:00|2021-06-03 00:00:00|2021-06-03 00:00:00|2|2\n"
              "4|P|1|2021-06-04 00:00:00|2021-06-04 00:00:00|2021-06-04 00:00:00|2021-06-04 00:00:00|1|2");
    EXPECT_EQ(a.valorDestino("SELECT saldo FROM fontes"), "4");
}

TEST(ContaUnica, PagarEReceberContamOsAbertosPeloValor) {
    struct Caso {
        const char* area;
        Importador importador;
        const char* tabela;
        QString tipo, saldo;
    } casos[] = {
        {"Contas a Pagar", &Tdm::ImportaContasPagar, "contas_pagar", "P", "-100"},
        {"Contas a Receber", &Tdm::ImportaContasReceber, "contas_receber", "R", "100"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.area);
        AmbienteImportacao a;
        // Total 0 and valor 80: open. Total 75: settled, out of the balance.
        // Total empty: open.
        a.origem(QString("INSERT INTO %1 (codigo, empresa, valor, total) VALUES (1, 3, 80, 0), (2, 3, 90, 75), "
                         "(3, 3, 20, NULL)")
                     .arg(c.tabela));
        importa(a, c.area, c.importador);
        EXPECT_EQ(a.linhasDestino("SELECT id, tipo, quitado, valor, total FROM lctos ORDER BY id"),
                  QString("1|%1|0|80|0\n2|%1|1|90|75\n3|%1|0|20|<null>").arg(c.tipo));
        EXPECT_EQ(a.valorDestino("SELECT saldo FROM fontes"), c.saldo);
        EXPECT_EQ(a.janela.resumo, linhas(c.area, {{"3", "3", "0"}}));
    }
}

// ----------------------------------------------- chart and catalogues

TEST(PlanoContas, SubstituiOPlanoAnteriorEAlargaOSegundoNivel) {
    AmbienteImportacao a;
    a.destino("INSERT INTO plano_contas (id, area, descricao, codigo_conta) VALUES (1, 1, 'Receitas', '1'), "
              "(2, 2, 'Despesas', '2'), (300, 1, 'Sobra', '3');"
              "INSERT INTO sys_codigos VALUES (300, 'plano_contas', 1)");
    a.origem(R"SQL(
INSERT INTO caixa_contas (codigo, empresa, "descrição", "código_conta") VALUES
  (3, 3, 'Receitas', '1'), (5, 3, 'Salário', '1.1'), (7, 3, 'Aluguel', '2.3.1'), (9, 3, 'Juros', '1.10'),
  (11, 3, 'Vendas', '11.2'), (13, 3, 'Impostos', '1.12.3'), (250, 3, 'Outros', '101'), (251, 1, 'Outra empresa', '2.2');
)SQL");
    importa(a, "Contas de Receitas e Despesas", &Tdm::ImportaPlanoContas);
    EXPECT_EQ(a.linhasDestino("SELECT id, area, descricao, codigo_conta FROM plano_contas ORDER BY id"),
              "3|1|Receitas|1\n5|1|Salário|1.01\n7|1|Aluguel|2.03.1\n9|1|Juros|1.10\n11|1|Vendas|11.2\n"
              "13|1|Impostos|1.12.3\n250|1|Outros|1001");
    EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos"), "plano_contas|250");
    EXPECT_EQ(a.janela.resumo, linhas("Contas de Receitas e Despesas", {{"7", "7", "0"}}));
}

TEST(Catalogos, SemLinhasImportadasODestinoFicaComOQueTinha) {
    const QString anterior =
        "INSERT INTO plano_contas (id, area, descricao, codigo_conta) VALUES (1, 1, 'Receitas', '1.1'), (2, 1, 'Despesas', '2');"
        "INSERT INTO modelos (id, area, descricao) VALUES (1, 1, 'Fusca');"
        "INSERT INTO montadoras (id, area, descricao) VALUES (1, 1, 'VW');"
        "INSERT INTO sys_codigos VALUES (2, 'plano_contas', 1), (1, 'modelos', 1), (1, 'montadoras', 1)";
    struct Caso {
        const char* nome;
        const char* area;
        Importador importador;
        const char* origem;   // source table
        const char* destino;  // destination table
        QString preparo;
        // The destination table afterwards; the chart's "1.1" stays as it
        // was, so the code rewrite did not run.
        QString linhas;
        QList<LinhaResumo> resumo;
    } casos[] = {
        {"plano sem caixa_contas", "Contas de Receitas e Despesas", &Tdm::ImportaPlanoContas, "caixa_contas",
         "plano_contas", "DROP TABLE caixa_contas", "1|Receitas|1.1\n2|Despesas|2", {}},
        {"plano sem contas da empresa", "Contas de Receitas e Despesas", &Tdm::ImportaPlanoContas, "caixa_contas",
         "plano_contas",
         "INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") VALUES (9, 1, 'Outra', '2.2')",
         "1|Receitas|1.1\n2|Despesas|2", linhas("Contas de Receitas e Despesas", {{"0", "0", "0"}})},
        {"modelos sem tabela", "Modelos (Veículos)", &Tdm::ImportaModelos, "modelos", "modelos", "DROP TABLE modelos",
         "1|Fusca", {}},
        {"modelos sem linhas da empresa", "Modelos (Veículos)", &Tdm::ImportaModelos, "modelos", "modelos",
         "INSERT INTO modelos (codigo, empresa, descricao) VALUES (9, 1, 'Uno')", "1|Fusca",
         linhas("Modelos (Veículos)", {{"0", "0", "0"}})},
        {"montadoras sem tabela", "Montadoras (Veículos)", &Tdm::ImportaMontadoras, "montadoras", "montadoras",
         "DROP TABLE montadoras", "1|VW", {}},
        {"montadoras sem linhas da empresa", "Montadoras (Veículos)", &Tdm::ImportaMontadoras, "montadoras",
         "montadoras", "INSERT INTO montadoras (codigo, empresa, descricao) VALUES (9, 1, 'Fiat')", "1|VW",
         linhas("Montadoras (Veículos)", {{"0", "0", "0"}})},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        AmbienteImportacao a;
        a.destino(anterior);
        a.origem(c.preparo);
        importa(a, c.area, c.importador);
        const QString colunas = QString(c.destino) == "plano_contas" ? "id, descricao, codigo_conta" : "id, descricao";
        EXPECT_EQ(a.linhasDestino("SELECT " + colunas + " FROM " + c.destino + " ORDER BY id"), c.linhas);
        EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos ORDER BY rowid"),
                  "plano_contas|2\nmodelos|1\nmontadoras|1");
        EXPECT_EQ(a.janela.resumo, c.resumo);
        EXPECT_EQ(a.janela.textoExcecoes(),
                  c.resumo.isEmpty() ? BlocoExcecao("Abrindo tabela", QString(c.origem).toUpper(),
                                             QString(c.destino).toUpper(), faltaTabela(c.origem))
                                     : QString());
    }
}

TEST(Catalogos, TodasAsLinhasRecusadasODestinoFicaComAsLinhasEOContadorQueTinha) {
    struct Caso {
        const char* area;
        Importador importador;
        const char* origem;
        const char* destino;
        QString preparoOrigem, preparoDestino, linhas;
    } casos[] = {
        {"Contas de Receitas e Despesas", &Tdm::ImportaPlanoContas, "caixa_contas", "plano_contas",
         "INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") VALUES (7, 3, '%1', '3')",
         "INSERT INTO plano_contas (id, area, descricao, codigo_conta) VALUES (1, 1, 'Receitas', '1.1'), "
         "(2, 1, 'Despesas', '2')",
         "1|Receitas\n2|Despesas"},
        {"Modelos (Veículos)", &Tdm::ImportaModelos, "modelos", "modelos",
         "INSERT INTO modelos (codigo, empresa, descricao) VALUES (7, 3, '%1')",
         "INSERT INTO modelos (id, area, descricao) VALUES (1, 1, 'Fusca'), (2, 1, 'Brasília')", "1|Fusca\n2|Brasília"},
        {"Montadoras (Veículos)", &Tdm::ImportaMontadoras, "montadoras", "montadoras",
         "INSERT INTO montadoras (codigo, empresa, descricao) VALUES (7, 3, '%1')",
         "INSERT INTO montadoras (id, area, descricao) VALUES (1, 1, 'VW'), (2, 1, 'Gurgel')", "1|VW\n2|Gurgel"},
    };
    const QString longa(51, 'x');
    for (const auto& c : casos) {
        SCOPED_TRACE(c.area);
        AmbienteImportacao a;
        a.destino(c.preparoDestino + QString(";INSERT INTO sys_codigos VALUES (2, '%1', 1)").arg(c.destino));
        a.origem(c.preparoOrigem.arg(longa));
        importa(a, c.area, c.importador);
        EXPECT_EQ(a.linhasDestino(QString("SELECT id, descricao FROM %1 ORDER BY id").arg(c.destino)), c.linhas);
        EXPECT_EQ(a.janela.resumo, linhas(c.area, {{"1", "0", "1"}}));
        EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos"), QString(c.destino) + "|2");
    }
}

TEST(Catalogos, SemPlanoNaOrigemOsLancamentosUsamAsContasPadrao) {
    AmbienteImportacao a;
    a.destino("INSERT INTO plano_contas (id, area, descricao) VALUES (1, 1, 'Receitas'), (2, 1, 'Despesas')");
    a.origem("DROP TABLE caixa_contas;"
             "INSERT INTO contas_receber (codigo, empresa, valor, total, conta_caixa) VALUES (1, 3, 10, 10, '1.1');"
             "INSERT INTO contas_pagar (codigo, empresa, valor, total, conta_caixa) VALUES (1, 3, 4, 0, '2.1')");
    ExecutaImportacao(a.dm, [&](const QString& area) {
        a.anuncia(area);
        return area == "Contas de Receitas e Despesas" || area == "Contas a Pagar" || area == "Contas a Receber";
    });
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM plano_contas ORDER BY id"), "1|Receitas\n2|Despesas");
    EXPECT_EQ(a.linhasDestino("SELECT id_fonte, tipo, id_contacaixa FROM lctos ORDER BY id"), "1|P|2\n2|R|1");
    // The missing chart is reported once, by the chart's own copy.
    EXPECT_EQ(a.janela.textoExcecoes(),
              BlocoExcecao("Abrindo tabela", "CAIXA_CONTAS", "PLANO_CONTAS", faltaTabela("caixa_contas")));
}

TEST(Catalogos, ModelosEMontadorasSubstituemCombustiveisSeSomam) {
    AmbienteImportacao a;
    a.destino("INSERT INTO modelos (id, area, descricao) VALUES (1, 1, 'Fusca');"
              "INSERT INTO montadoras (id, area, descricao) VALUES (2, 1, 'Gurgel');"
              "INSERT INTO combustiveis (id, area, descricao) VALUES (50, 1, 'Etanol');"
              "INSERT INTO sys_codigos VALUES (50, 'combustiveis', 1)");
    a.origem("INSERT INTO modelos VALUES (20, 3, 'Gol', 99, 'Carro', 1600, 4, '101 cv');"
             "INSERT INTO montadoras VALUES (30, 3, 'VW', 'Nacional');"
             "INSERT INTO combustiveis VALUES (1, 3, 'Gasolina', 'BR'), (2, 1, 'Diesel', 'Shell')");
    importa(a, "Modelos (Veículos)", &Tdm::ImportaModelos);
    importa(a, "Montadoras (Veículos)", &Tdm::ImportaMontadoras);
    importa(a, "Tipos de Combustíveis (Veículos)", &Tdm::ImportaCombustiveis);
    // A manufacturer code that names no manufacturer is kept as it is.
    EXPECT_EQ(a.linhasDestino("SELECT * FROM modelos"), "20|1|Gol|99|Carro|1600|4|101 cv");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM montadoras"), "30|1|VW|Nacional");
    EXPECT_EQ(a.linhasDestino("SELECT id, descricao FROM combustiveis ORDER BY id"), "1|Gasolina\n50|Etanol");
    EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos ORDER BY tabela"),
              "combustiveis|50\nmodelos|20\nmontadoras|30");
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Modelos (Veículos)", "1", "1", "0"},
                                                    {"Montadoras (Veículos)", "1", "1", "0"},
                                                    {"Tipos de Combustíveis (Veículos)", "1", "1", "0"}}));
}

// -------------------------------------------------------------- contacts

TEST(Contatos, TelefonesRecebemIdsDoDestinoEOContadorNaoMuda) {
    AmbienteImportacao a;
    a.destino("INSERT INTO contatos_fones (id, area, id_contato, fone) VALUES (5, 1, 1, '1234');"
              "INSERT INTO sys_codigos VALUES (3, 'contatos_fones', 1)");
    a.origem("INSERT INTO contatos (codigo, empresa, nome) VALUES (12, 3, 'Ana'), (13, 1, 'Outra empresa');"
             "INSERT INTO telefones_contatos VALUES (1, 3, 12, 'Celular', '11', '99999-0000', NULL),"
             "(2, 1, 12, 'Fax', '21', '2222-0000', NULL), (3, 3, 99, 'Casa', '11', '3333-0000', 'sem contato'),"
             "(4, 3, 12, 'Recado', '11', '4444-0000', NULL)");
    importa(a, "Contatos e Telefones", &Tdm::ImportaContatos);
    EXPECT_EQ(a.linhasDestino("SELECT id, nome FROM contatos"), "12|Ana");
    EXPECT_EQ(a.linhasDestino("SELECT * FROM contatos_fones ORDER BY id"),
              "5|1|1|<null>|<null>|1234|<null>\n"
              "6|1|12|Celular|11|99999-0000|<null>\n"
              "7|1|99|Casa|11|3333-0000|sem contato\n"
              "8|1|12|Recado|11|4444-0000|<null>");
    EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos ORDER BY tabela"), "contatos|12\ncontatos_fones|3");
    EXPECT_EQ(a.janela.resumo, linhas("Contatos e Telefones", {{"1", "1", "0"}, {"3", "3", "0"}}));
}

TEST(Contatos, SemTabelaDeTelefonesOsContatosAindaChegam) {
    AmbienteImportacao a;
    a.origem("INSERT INTO contatos (codigo, empresa, nome) VALUES (12, 3, 'Ana'); DROP TABLE telefones_contatos");
    importa(a, "Contatos e Telefones", &Tdm::ImportaContatos);
    EXPECT_EQ(a.linhasDestino("SELECT id, area, nome FROM contatos"), "12|1|Ana");
    EXPECT_EQ(a.janela.resumo, linhas("Contatos e Telefones", {{"1", "1", "0"}}));
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Abrindo tabela", "TELEFONES_CONTATOS", "CONTATOS_FONES",
                                              faltaTabela("telefones_contatos")));
}

// -------------------------------------------------------------- vehicles

TEST(Veiculos, OrigemSemOdomentroVendaUmBlocoPorVeiculo) {
    AmbienteImportacao a;
    a.origem("ALTER TABLE veiculos RENAME COLUMN odomentro_venda TO odometro_venda;"
             "INSERT INTO veiculos (codigo, empresa, placa, odometro_venda, vendido_por, zerokm) VALUES "
             "(9, 3, 'ABC1D23', 88000, 17, 1), (10, 3, 'XYZ9A87', 5, NULL, 0)");
    importa(a, "Cadastro de Veículos", &Tdm::ImportaVeiculos);
    EXPECT_EQ(a.linhasDestino("SELECT id, placa, odometro_venda, id_vendido_por, zero_km FROM veiculos ORDER BY id"),
              "9|ABC1D23|<null>|17|1\n10|XYZ9A87|<null>|<null>|0");
    EXPECT_EQ(a.janela.textoExcecoes(), BlocoExcecao("Mapeando Campos", "VEICULOS", "VEICULOS",
                                              "O campo 'odomentro_venda' não foi encontrado em \"veiculos\".")
                                            .repeated(2));
    EXPECT_EQ(a.janela.resumo, linhas("Cadastro de Veículos", {{"2", "2", "0"}}));
}

TEST(UsoDosVeiculos, CodigosAntigosSemConsultaAoPlanoNemAoContadorDeLctos) {
    AmbienteImportacao a;
    // A chart in which conta_caixa 77 would find an account by description:
    // the vehicle areas must not look it up.
    a.origem("INSERT INTO caixa_contas (codigo, empresa, \"descrição\", \"código_conta\") VALUES (77, 3, 'Combustível', '77');"
             "INSERT INTO manutencoes (codigo, empresa, descricao, conta_caixa, veiculo) VALUES (2, 3, 'Óleo', 77, 9);"
             "INSERT INTO lancamentos (codigo, empresa, valor, categoria, conta_caixa, veiculo, tipo_lcto) VALUES "
             "(40, 3, 200, 2, 77, 9, 'C'), (41, 1, 1, 1, 1, 1, 'C');"
             "INSERT INTO viagens (codigo, empresa, veiculo, categoria) VALUES (11, 3, 9, 'Trabalho')");
    a.destino("INSERT INTO plano_contas (id, area, descricao) VALUES (5, 1, 'Combustível');"
              "INSERT INTO sys_codigos VALUES (16, 'lctos', 1)");
    importa(a, "Manutenções (Veículos)", &Tdm::ImportaManutencoes);
    importa(a, "Lançamentos (Veículos)", &Tdm::ImportaLancamentosVeiculos);
    importa(a, "Viagens (Veículos)", &Tdm::ImportaViagens);
    EXPECT_EQ(a.linhasDestino("SELECT id, area, id_contacaixa, id_veiculo FROM manutencoes"), "2|1|77|9");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, valor, id_manutencao, id_contacaixa, id_veiculo, tipo_lcto "
                              "FROM veiculos_lctos"),
              "40|1|200|2|77|9|C");
    EXPECT_EQ(a.linhasDestino("SELECT id, area, id_veiculo, categoria FROM viagens"), "11|1|9|Trabalho");
    EXPECT_EQ(a.valorDestino("SELECT count(*) FROM lctos"), "0");
    EXPECT_EQ(a.linhasDestino("SELECT tabela, id FROM sys_codigos ORDER BY tabela"),
              "lctos|16\nmanutencoes|2\nveiculos_lctos|40\nviagens|11");
    EXPECT_EQ(a.janela.resumo, (QList<LinhaResumo>{{"Manutenções (Veículos)", "1", "1", "0"},
                                                    {"Lançamentos (Veículos)", "1", "1", "0"},
                                                    {"Viagens (Veículos)", "1", "1", "0"}}));
}
