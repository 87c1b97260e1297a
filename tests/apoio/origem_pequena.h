#pragma once
// A small old database for the safety-net tests (company 3 imported,
// company 1 left behind): cost centres, a cash book with a cancelled entry,
// a bank account whose entries include a cancelled one and one naming no
// account. Goes on top of AmbienteImportacao's empty old schema.
#include <QDateTime>
#include <QStringList>
#include <QTimeZone>

namespace tarvo::testes {

inline constexpr char kOrigemPequena[] = R"SQL(
INSERT INTO centros_custos (codigo, empresa, "descrição") VALUES (1, 3, 'Casa'), (2, 3, 'Carro'), (3, 1, 'Outra empresa');
INSERT INTO caixa_lancamentos (codigo, empresa, data, documento, valor, "histórico", centro_custo, conta, cancelado) VALUES
  (1, 3, '2021-01-05 00:00:00', 'R-1', 100.5, 'Salário', 1, '1.01', 0),
  (2, 3, '2021-01-06 00:00:00', 'D-1', 40, 'Mercado', 1, '2.01', 0),
  (3, 3, '2021-01-07 00:00:00', 'D-2', 7, 'Cancelado', NULL, '2.01', 1),
  (4, 1, '2021-01-08 00:00:00', 'X-1', 999, 'Outra empresa', NULL, '1.01', 0);
INSERT INTO contas_bancarias (codigo, empresa, "descrição", conta) VALUES (1, 3, 'Banco <Central> & Cia', '123'),
  (2, 1, 'Outra', '9');
INSERT INTO contas_bancarias_lancamentos (codigo, empresa, conta_bancaria, data, "histórico", valor, baixado, tipo,
                                          cancelado) VALUES
  (1, 3, 1, '2021-02-01 00:00:00', 'Depósito', 50, 1, 2, 0),
  (2, 3, 1, '2021-02-02 00:00:00', 'Tarifa', 20, 1, 1, 0),
  (3, 3, 9, '2021-02-03 00:00:00', 'Sem conta', 5, 1, 2, 0),
  (4, 3, 1, '2021-02-04 00:00:00', 'Cancelado', 30, 1, 2, 1),
  (5, 1, 2, '2021-02-05 00:00:00', 'Outra empresa', 70, 1, 2, 0);
)SQL";

// The three areas the small database fills, as the check list names them.
inline const QStringList kAreasPequenas{"Centros de Custos", "Caixa Pessoal", "Controle Bancário"};

// 5 March 2024, 14:07:09 at UTC-3: a fixed start for the runs, whatever the
// machine's zone.
inline QDateTime InstanteFixo() {
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(-3 * 3600));
}

}  // namespace tarvo::testes
