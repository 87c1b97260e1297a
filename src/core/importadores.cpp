// The importers of the twenty areas and the balance calculation.
#include "dados.h"

#include "erros.h"
#include "funcoes.h"

namespace tarvo {

namespace {

const QStringList kNenhumFixo{""};

}  // namespace

// --------------------------------------------------------------- balance

void Tdm::CalculaSaldo(qint64 id) {
    auto conta = db::CriaQuery("select * from fontes where area=1 and id=" + QString::number(id), dbDestino);
    conta->open();
    const qint64 tipoSaldo = conta->fieldByName("tipo_saldo").asInteger();
    auto soma = db::CriaQuery(
        "select sum( iif(quitado, total, valor) * iif( tipo=\"R\", 1, -1 ) ) as soma from lctos where area=1 and "
        "id_fonte=" +
            QString::number(id) + " " + "and quitado=" + IIf(tipoSaldo == 1, "true", "false").toString(),
        dbDestino);
    soma->open();
    conta->edit();
    conta->fieldByName("saldo").setAsFloat(soma->fieldByName("soma").asFloat());
    conta->post();
}

// ------------------------------------------------- chart and catalogues

// Replaces the content of `tabela` with what `copia` brings. The old rows and
// the table's counter are kept aside first: when the copy brings no row (no
// source table, no row of the company, every row refused) they are put back,
// so the destination keeps what it had. `depois` runs only when the new rows
// stay.
void Tdm::substituiTabela(const QString& tabela, const std::function<void()>& copia,
                          const std::function<void()>& depois) {
    const QString reserva = "temp.\"reserva_" + tabela + "\"";
    const QString reservaCodigos = "temp.\"reserva_codigos_" + tabela + "\"";
    const QString nome = "'" + QString(tabela).replace('\'', "''") + "'";
    dbDestino.executaNativo("DROP TABLE IF EXISTS " + reserva + ";CREATE TABLE " + reserva +
                            " AS SELECT * FROM \"" + tabela + "\";DROP TABLE IF EXISTS " + reservaCodigos +
                            ";CREATE TABLE " + reservaCodigos +
                            " AS SELECT _rowid_ AS linha, id, tabela, area FROM sys_codigos WHERE tabela=" + nome);
    auto devolve = [&] {
        dbDestino.executaNativo("DELETE FROM \"" + tabela + "\";INSERT INTO \"" + tabela + "\" SELECT * FROM " +
                                reserva + ";DELETE FROM sys_codigos WHERE tabela=" + nome +
                                ";INSERT INTO sys_codigos (_rowid_, id, tabela, area) SELECT linha, id, tabela, area "
                                "FROM " + reservaCodigos);
    };
    auto descarta = [&] { dbDestino.executaNativo("DROP TABLE " + reserva + ";DROP TABLE " + reservaCodigos); };
    auto q = db::CriaQuery(dbDestino, QString());
    q->setSql("delete * from " + tabela);
    q->execSql();
    try {
        copia();
        if (PegaValor("select count(*) as n from " + tabela, "n", dbDestino) == "0") devolve();
        else if (depois) depois();
    } catch (...) {
        devolve();
        descarta();
        throw;
    }
    descarta();
}

void Tdm::ImportaPlanoContas() {
    substituiTabela(
        "plano_contas",
        [this] {
            SalvaRegistros("caixa_contas", "plano_contas",
                           {"descrição", "código_conta", "dedutivel_ir", "conta_imposto", "conta_repete", "tipo_conta"},
                           {"descricao", "codigo_conta", "dedutivel_ir", "imposto", "repete_mes", "tipo_conta"},
                           kNenhumFixo, "");
        },
        [this] {
            auto q = db::CriaQuery(dbDestino, QString());
            q->setSql("update plano_contas set codigo_conta=  mid( codigo_conta, 1, 2) + Format( mid( codigo_conta, "
                      "3, 1 ), \"00\" ) + mid( codigo_conta, 4, len(codigo_conta ))  where len( codigo_conta ) > 1 "
                      "and ( mid( codigo_conta, 4, 1 ) = \"\" or   mid( codigo_conta, 4, 1 ) = \".\")");
            q->execSql();
        });
}

void Tdm::ImportaModelos() {
    substituiTabela("modelos", [this] {
        SalvaRegistros("modelos", "modelos",
                       {"descricao", "cod_montadora", "tipo", "cilindradas", "nro_cilindros", "potencia"},
                       {"descricao", "id_montadora", "tipo", "cilindradas", "nro_cilindradas", "potencia"},
                       kNenhumFixo, "");
    });
}

void Tdm::ImportaMontadoras() {
    substituiTabela("montadoras", [this] {
        SalvaRegistros("montadoras", "montadoras", {"descricao", "tipo"}, {"descricao", "tipo"}, kNenhumFixo, "");
    });
}

void Tdm::ImportaCombustiveis() {
    SalvaRegistros("combustiveis", "combustiveis", {"descricao", "distribuidora"}, {"descricao", "distribuidora"},
                   kNenhumFixo, "");
}

// ------------------------------------------------------ simple registers

void Tdm::ImportaCentrosCustos() {
    SalvaRegistros("centros_custos", "centros_custos", {"descrição"}, {"descricao"}, kNenhumFixo, "");
}

void Tdm::ImportaHistoricos() {
    SalvaRegistros("contas_bancarias_historicos", "historicos", {"descrição"}, {"descricao"}, kNenhumFixo, "");
}

void Tdm::ImportaPatrimonio() {
    const QStringList campos{"descricao", "data", "nro_patrimonio", "estado", "valor", "situacao"};
    SalvaRegistros("patrimonios", "patrimonios", campos, campos, kNenhumFixo, "");
}

void Tdm::ImportaAgenda() {
    SalvaRegistros("agenda", "agenda",
                   {"descrição", "local", "cliente", "tipo", "anotação", "status", "anexos", "avisar_compromisso",
                    "avisar_usuario"},
                   {"descricao", "localizacao", "id_contato", "tipo", "obs", "situacao", "anexos", "avisar",
                    "avisar_usuario"},
                   kNenhumFixo, "");
}

void Tdm::ImportaTarefas() {
    SalvaRegistros("tarefas", "tarefas", {"descricao", "completa", "obs", "duracao", "concluidaem"},
                   {"descricao", "concluida", "obs", "duracao", "concluida_em"}, kNenhumFixo, "");
}

void Tdm::ImportaContatos() {
    SalvaRegistros(
        "contatos", "contatos",
        {"nome",          "data_nascimento",  "sexo",        "endereço",          "complemento",  "bairro",
         "cidade",        "estado",           "cep",         "pais",              "caixa_postal", "obs",
         "e_mail",        "home_page",        "documento",   "confidencial",      "anexos",       "empresa_empr",
         "departamento_empr", "endereco_empr", "bairro_empr", "cidade_empr",      "estado_empr",  "cep_empr",
         "pais_empr",     "caixa_postal_empr", "e_mail_empr", "home_page_empr",   "complemento_empr", "conjuge",
         "nasc_conj",     "cas_conj",         "nome_pai",    "nome_mae",          "obs_filhos"},
        {"nome",          "data_nascimento",  "sexo",        "endereco",          "complemento",  "bairro",
         "cidade",        "uf",               "cep",         "pais",              "caixa_postal", "obs",
         "email",         "home_page",        "documento",   "confidencial",      "anexos",       "e_empresa",
         "e_departamento", "e_endereco",      "e_bairro",    "e_cidade",          "e_uf",         "e_cep",
         "e_pais",        "e_caixa_postal",   "e_email",     "e_home_page",       "e_complemento", "c_conjuge",
         "c_data_nascimento", "c_data_casamento", "c_pai",   "c_mae",             "c_obs"},
        kNenhumFixo, "");
    SalvaRegistros("telefones_contatos", "contatos_fones", {"contato", "tipo", "ddd", "numero", "obs"},
                   {"id_contato", "tipo", "ddd", "fone", "obs"}, kNenhumFixo, "");
}

// ------------------------------------------------------- vehicle areas

void Tdm::ImportaVeiculos() {
    QStringList origem{"montadora", "modelo", "placa", "cor", "ano_fabricacao", "ano_modelo", "odometro", "obs",
                       "renavam", "chassis", "nro_motor", "potencia", "cilindradas", "nro_cilindros", "combustivel",
                       "nro_portas", "data_compra", "comprado_de", "valor_pago", "tipo_pgto", "odometro_compra",
                       "garantia_ate", "obs_compra", "seguradora", "seguro_valido_ate", "seguro_cobertura",
                       "seguro_valor", "ar_condicionado", "freios_abs", "direcao_hidraulica", "cambio_automatico",
                       "anexos", "data_venda", "vendido_para", "valor_recebido", "tipo_recebimento",
                       "odomentro_venda", "vendido_por", "obs_venda", "extras", "blindado", "tipo_cambio",
                       "seguro_avisar_dias", "obs_seguro", "descricao_modelo", "seguro_avisar_vcto", "inativo",
                       "ipva_vcto", "ipva_valor", "ipva_data_pgto", "ipva_tipo_pgto", "ipva_avisar_vcto",
                       "ipva_avisar_dias", "lice_vcto", "lice_valor", "lice_data_pgto", "lice_tipo_pgto",
                       "lice_avisar_vcto", "lice_avisar_dias", "zerokm"};
    QStringList destino = origem;
    // The eight pairs whose names differ.
    destino[0] = "id_montadora";
    destino[1] = "id_modelo";
    destino[17] = "id_vendedor";
    destino[23] = "id_seguradora";
    destino[33] = "id_comprador";
    destino[36] = "odometro_venda";
    destino[37] = "id_vendido_por";
    destino[59] = "zero_km";
    SalvaRegistros("veiculos", "veiculos", origem, destino, kNenhumFixo, "");
}

void Tdm::ImportaManutencoes() {
    SalvaRegistros("manutencoes", "manutencoes",
                   {"descricao", "cada_km", "cada_meses", "ultima_manutencao_data", "ultima_manutencao_km",
                    "avisar_dias", "avisar_km", "centro_custo", "conta_caixa", "veiculo"},
                   {"descricao", "cada_km", "cada_meses", "ultima_manutencao_data", "ultima_manutencao_km",
                    "avisar_dias", "avisar_km", "id_centrocusto", "id_contacaixa", "id_veiculo"},
                   kNenhumFixo, "");
}

void Tdm::ImportaLancamentosVeiculos() {
    SalvaRegistros("lancamentos", "veiculos_lctos",
                   {"km", "tanque_cheio", "valor", "categoria", "local", "codigo_combustivel", "conta_caixa",
                    "centro_custo", "data", "veiculo", "qtde", "descricao", "tipo_lcto"},
                   {"km", "tanque_cheio", "valor", "id_manutencao", "local", "id_combustivel", "id_contacaixa",
                    "id_centrocusto", "data", "id_veiculo", "qtde_combustivel", "descricao", "tipo_lcto"},
                   kNenhumFixo, "");
}

void Tdm::ImportaViagens() {
    SalvaRegistros("viagens", "viagens",
                   {"saida", "chegada", "km_saida", "km_chegada", "qtde_combustivel", "destino", "obs", "origem",
                    "descricao", "anexos", "veiculo", "categoria"},
                   {"saida", "chegada", "km_saida", "km_chegada", "qtde_combustivel", "destino", "obs", "origem",
                    "descricao", "anexos", "id_veiculo", "categoria"},
                   kNenhumFixo, "");
}

// ------------------------------------------------- single-account areas

struct Tdm::TipoContaUnica {
    QString descricao, tipo, tipoSaldo, tabela, filtro;
    QStringList origem, destino;
};

void Tdm::importaContaUnica(const TipoContaUnica& t) {
    const qint64 id = PegaCodigo("fontes");
    auto conta = db::CriaQuery("select * from fontes where area=1", dbDestino);
    conta->open();
    conta->append();
    conta->fieldByName("id").setAsInteger(id);
    conta->fieldByName("area").setAsInteger(1);
    conta->fieldByName("descricao").setAsString(t.descricao);
    conta->fieldByName("tipo").setAsString(t.tipo);
    conta->fieldByName("tipo_saldo").setAsString(t.tipoSaldo);
    conta->post();
    SalvaRegistros(t.tabela, "lctos", t.origem, t.destino, {"id_fonte=" + QString::number(id)}, t.filtro);
    CalculaSaldo(id);
}

void Tdm::ImportaCaixaPessoal() {
    importaContaUnica({"Dinheiro", "DI", "1", "caixa_lancamentos", " and not cancelado",
                       {"data", "documento", "valor", "histórico", "centro_custo"},
                       {"data", "documento", "valor", "descricao", "id_centrocusto"}});
}

void Tdm::ImportaContasPagar() {
    importaContaUnica({"Contas a Pagar", "CP", "2", "contas_pagar", " and not cancelado ",
                       {"documento", "descrição", "data_conta", "data_vencimento", "data_pagamento", "valor", "total",
                        "observações", "previsão", "centro_custo", "anexos", "código_fornecedor"},
                       {"documento", "descricao", "data", "data_vencimento", "data_quitado", "valor", "total", "obs",
                        "crediario_previsao", "id_centrocusto", "anexos", "id_contato"}});
}

void Tdm::ImportaContasReceber() {
    importaContaUnica({"Contas a Receber", "CR", "2", "contas_receber", " and not cancelado ",
                       {"documento", "descrição", "código_cliente", "data_conta", "data_vencimento", "data_pagamento",
                        "valor", "total", "observações", "previsão", "anexos", "centro_custo"},
                       {"documento", "descricao", "id_contato", "data", "data_vencimento", "data_quitado", "valor",
                        "total", "obs", "crediario_previsao", "anexos", "id_centrocusto"}});
}

// -------------------------------------------- account-and-entries areas

struct Tdm::TipoConta {
    QString tabelaContas, tabelaLancamentos, tipo, tipoSaldo, carregador, prefixoFiltro;
    QStringList origemContas, destinoContas, origemLancamentos, destinoLancamentos;
};

void Tdm::importaContasComLancamentos(const TipoConta& t) {
    contasCriadas_.clear();
    SalvaRegistros(t.tabelaContas, "fontes", t.origemContas, t.destinoContas,
                   {"tipo=" + t.tipo, "tipo_saldo=" + t.tipoSaldo}, "");
    // Only the accounts this run created carry old codes: accounts of the
    // kind that the destination already had keep their data and entries.
    const QList<qint64> criadas = contasCriadas_;
    contasCriadas_.clear();

    auto lista = db::CriaQuery(dbDestino, "select * from fontes where area=1 and tipo=\"" + t.tipo + "\"");
    lista->open();
    while (!lista->eof()) {
        const qint64 id = lista->fieldByName("id").asInteger();
        if (criadas.contains(id)) {
            const QString fixo = "id_fonte=" + lista->fieldByName("id").asString();
            const QString codigo = Nvl(lista->fieldByName(t.carregador).asVariant(), "0").toString();
            SalvaRegistros(t.tabelaLancamentos, "lctos", t.origemLancamentos, t.destinoLancamentos, {fixo},
                           t.prefixoFiltro + codigo);
        }
        lista->next();
    }
    lista->first();
    while (!lista->eof()) {
        const qint64 id = lista->fieldByName("id").asInteger();
        if (criadas.contains(id)) {
            CalculaSaldo(id);
            lista->edit();
            lista->fieldByName(t.carregador).setAsString("");
            lista->post();
        }
        lista->next();
    }
}

void Tdm::ImportaControleBancario() {
    importaContasComLancamentos(
        {"contas_bancarias", "contas_bancarias_lancamentos", "BA", "1", "dias_carencia",
         " and not cancelado and conta_bancaria=",
         {"descrição", "data_abertura", "código_banco", "agência", "conta", "codigo"},
         {"descricao", "data", "id_banco", "agencia", "conta", "dias_carencia"},
         {"data", "pré_datado", "bom_para", "histórico", "número", "valor", "data_compensação", "observações",
          "centro_custo", "baixado"},
         {"data", "banco_pre_datado", "data_vencimento", "descricao", "documento", "valor", "data_quitado", "obs",
          "id_centrocusto", "quitado"}});
}

void Tdm::ImportaCartoesCredito() {
    importaContasComLancamentos(
        {"cartoes_credito", "cartoes_credito_lancamentos", "CA", "2", "conta", " and not cancelado and código_cartão=",
         {"nome_cartão", "dia_recebimento", "carência", "codigo"},
         {"descricao", "dia_vcto", "dias_carencia", "conta"},
         {"data", "valor", "histórico", "observações", "baixado", "data_compensação", "vencimento", "centro_custo"},
         {"data", "valor", "descricao", "obs", "quitado", "data_quitado", "data_vencimento", "id_centrocusto"}});
}

void Tdm::ImportaInvestimentos() {
    importaContasComLancamentos({"investimentos", "investimentos_lancamentos", "IN", "1", "dias_carencia",
                                 " and codigo_investimento=",
                                 {"descricao", "codigo"},
                                 {"descricao", "dias_carencia"},
                                 {"data", "descricao", "valor"},
                                 {"data", "descricao", "valor"}});
}

}  // namespace tarvo
