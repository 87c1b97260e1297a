#include "verificacao.h"

#include "db/consulta.h"
#include "erros.h"
#include "rotina.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace tarvo {

namespace {

// How the importers read a source table.
struct RegraTabela {
    const char* tabela;
    bool filtraCanceladas = false;     // " and not cancelado"
    const char* tabelaContas = nullptr; // entries read per account of this table
    const char* colunaConta = nullptr;  // the entry's column naming the account's old code
    bool valor = false;                 // entries whose valor the money check adds
};

struct RegraArea {
    const char* area;
    const char* tipoConta;  // "" when the area moves no money
    std::vector<RegraTabela> tabelas;
};

// The source tables of each area and the rules their importers read them
// by (the company filter always; the others as marked).
const std::vector<RegraArea>& RegrasDasAreas() {
    static const std::vector<RegraArea> regras{
        {"Contas de Receitas e Despesas", "", {{"caixa_contas"}}},
        {"Agenda de Compromissos", "", {{"agenda"}}},
        {"Centros de Custos", "", {{"centros_custos"}}},
        {"Históricos (Bancos)", "", {{"contas_bancarias_historicos"}}},
        {"Patrimônio", "", {{"patrimonios"}}},
        {"Tarefas", "", {{"tarefas"}}},
        {"Contatos e Telefones", "", {{"contatos"}, {"telefones_contatos"}}},
        {"Caixa Pessoal", "DI", {{"caixa_lancamentos", true, nullptr, nullptr, true}}},
        {"Cartões de Crédito", "CA",
         {{"cartoes_credito"}, {"cartoes_credito_lancamentos", true, "cartoes_credito", "código_cartão", true}}},
        {"Contas a Pagar", "CP", {{"contas_pagar", true, nullptr, nullptr, true}}},
        {"Contas a Receber", "CR", {{"contas_receber", true, nullptr, nullptr, true}}},
        {"Controle Bancário", "BA",
         {{"contas_bancarias"},
          {"contas_bancarias_lancamentos", true, "contas_bancarias", "conta_bancaria", true}}},
        {"Modelos (Veículos)", "", {{"modelos"}}},
        {"Montadoras (Veículos)", "", {{"montadoras"}}},
        {"Tipos de Combustíveis (Veículos)", "", {{"combustiveis"}}},
        {"Manutenções (Veículos)", "", {{"manutencoes"}}},
        {"Lançamentos (Veículos)", "", {{"lancamentos"}}},
        {"Cadastro de Veículos", "", {{"veiculos"}}},
        {"Viagens (Veículos)", "", {{"viagens"}}},
        // The investments' entries are read whatever their state.
        {"Investimentos", "IN",
         {{"investimentos"}, {"investimentos_lancamentos", false, "investimentos", "codigo_investimento", true}}},
    };
    return regras;
}

const RegraArea* RegraDe(const QString& area) {
    for (const RegraArea& r : RegrasDasAreas())
        if (area.compare(QString::fromUtf8(r.area), Qt::CaseInsensitive) == 0) return &r;
    return nullptr;
}

struct Contagem {
    qint64 linhas = 0;
    double valor = 0;
};

Contagem Conta(db::Conexao& conexao, const QString& tabela, const QString& condicao, bool somaValor) {
    auto q = db::CriaQuery("select count(*) as n" + QString(somaValor ? ", sum(valor) as s" : "") + " from " +
                               tabela + condicao,
                           conexao);
    q->open();
    Contagem c{q->fieldByName("n").asInteger(), 0};
    if (somaValor) c.valor = q->fieldByName("s").asFloat();
    return c;
}

PrevisaoTabela PreveTabela(db::Conexao& origem, const RegraTabela& regra, qint64 empresa) {
    PrevisaoTabela p;
    p.tabela = QString::fromUtf8(regra.tabela);
    if (!origem.existeTabela(p.tabela)) {
        p.existe = false;
        return p;
    }
    try {
        const QString daEmpresa = " where empresa=" + QString::number(empresa);
        const QString lidas = daEmpresa + (regra.filtraCanceladas ? " and not cancelado" : "");
        p.naOrigem = Conta(origem, p.tabela, "", false).linhas;
        const qint64 linhasDaEmpresa = Conta(origem, p.tabela, daEmpresa, false).linhas;
        p.outrasEmpresas = p.naOrigem - linhasDaEmpresa;
        const Contagem selecionadas = Conta(origem, p.tabela, lidas, regra.valor && !regra.tabelaContas);
        p.canceladas = linhasDaEmpresa - selecionadas.linhas;
        if (!regra.tabelaContas) {
            p.aLer = selecionadas.linhas;
            p.valor = selecionadas.valor;
            return p;
        }
        // Entries are read account by account, by the old code the
        // account carries; entries naming no account stay behind.
        const QString contas = QString::fromUtf8(regra.tabelaContas);
        QSet<QString> vistos;
        qint64 comConta = 0;
        if (origem.existeTabela(contas)) {
            auto q = db::CriaQuery("select codigo from " + contas + daEmpresa + " order by codigo", origem);
            q->open();
            while (!q->eof()) {
                const QString codigo = q->fieldByName("codigo").asString();
                const Contagem c = Conta(origem, p.tabela, lidas + " and " + QString::fromUtf8(regra.colunaConta) +
                                                              "=" + (codigo.isEmpty() ? QString("0") : codigo),
                                         regra.valor);
                p.aLer += c.linhas;
                p.valor += c.valor;
                if (!vistos.contains(codigo)) comConta += c.linhas;
                vistos.insert(codigo);
                q->next();
            }
        }
        p.semConta = selecionadas.linhas - comConta;
    } catch (const Erro& e) {
        p.erro = e.mensagem();
    }
    return p;
}

qint64 Centavos(double valor) { return std::llround(valor * 100); }

QString Quantos(qint64 n, const char* singular, const char* plural) {
    return QString::number(n) + ' ' + QString::fromUtf8(n == 1 ? singular : plural);
}

// The saldo CalculaSaldo gives, worked out here from the entries one by
// one: an independent account of the same rule.
double RecalculaSaldo(db::Conexao& destino, qint64 conta, qint64 tipoSaldo, double* somaValor) {
    const bool quitados = tipoSaldo == 1;
    auto q = db::CriaQuery("select quitado, total, valor, tipo from lctos where area=1 and id_fonte=" +
                               QString::number(conta),
                           destino);
    q->open();
    qint64 saldo = 0, soma = 0;
    while (!q->eof()) {
        const db::Campo& valor = q->fieldByName("valor");
        if (!valor.isNull()) soma += Centavos(valor.asFloat());
        const db::Campo& quitado = q->fieldByName("quitado");
        if (!quitado.isNull() && quitado.asBoolean() == quitados) {
            const db::Campo& quantia = quitados ? q->fieldByName("total") : valor;
            if (!quantia.isNull()) {
                const bool receita = q->fieldByName("tipo").asString().compare("R", Qt::CaseInsensitive) == 0;
                saldo += (receita ? 1 : -1) * Centavos(quantia.asFloat());
            }
        }
        q->next();
    }
    *somaValor += soma / 100.0;
    return saldo / 100.0;
}

}  // namespace

qint64 PrevisaoArea::aLer() const {
    qint64 n = 0;
    for (const PrevisaoTabela& t : tabelas) n += t.aLer;
    return n;
}

QList<PrevisaoArea> PreveOrigem(db::Conexao& origem, qint64 empresa, const QStringList& areas) {
    for (const QString& a : areas)
        if (!RegraDe(a)) throw Erro(QString("Área desconhecida: \"%1\".").arg(a));
    QList<PrevisaoArea> previsao;
    for (const AreaImportacao& ordem : OrdemDasAreas()) {
        const QString area = QString::fromUtf8(ordem.nome);
        if (!areas.contains(area, Qt::CaseInsensitive)) continue;
        const RegraArea& regra = *RegraDe(area);
        PrevisaoArea p{area, QString::fromUtf8(regra.tipoConta), {}};
        for (const RegraTabela& t : regra.tabelas) p.tabelas.append(PreveTabela(origem, t, empresa));
        previsao.append(p);
    }
    return previsao;
}

QSet<qint64> ContasDoDestino(db::Conexao& destino) {
    QSet<qint64> ids;
    auto q = db::CriaQuery("select id from fontes where area=1", destino);
    q->open();
    while (!q->eof()) {
        ids.insert(q->fieldByName("id").asInteger());
        q->next();
    }
    return ids;
}

QList<VerificacaoArea> VerificaImportacao(db::Conexao& destino, const QList<PrevisaoArea>& previsao,
                                          const QSet<qint64>& contasAntes, const QList<LinhaResumo>& resumo) {
    QList<VerificacaoArea> resultado;
    for (const PrevisaoArea& p : previsao) {
        const RegraArea* regra = RegraDe(p.area);
        VerificacaoArea v;
        v.area = p.area;
        v.dinheiro = !p.tipoConta.isEmpty();
        for (const RegraTabela& t : regra->tabelas) {
            v.filtraCanceladas = v.filtraCanceladas || t.filtraCanceladas;
            v.temContas = v.temContas || t.tabelaContas;
        }
        for (const PrevisaoTabela& t : p.tabelas) {
            v.naOrigem += t.naOrigem;
            v.outrasEmpresas += t.outrasEmpresas;
            v.canceladas += t.canceladas;
            v.semConta += t.semConta;
            v.valorOrigem += t.valor;
            if (!t.erro.isEmpty())
                v.problemas << QString("Não foi possível contar a tabela '%1' da origem: %2").arg(t.tabela, t.erro);
        }
        for (const LinhaResumo& l : resumo) {
            if (l.cadastro != p.area) continue;
            v.lidas += l.total.toLongLong();
            v.importadas += l.importados.toLongLong();
            v.recusadas += l.naoImportados.toLongLong();
        }

        const qint64 explicadas = v.lidas + v.canceladas + v.outrasEmpresas + v.semConta;
        if (explicadas < v.naOrigem) {
            const qint64 n = v.naOrigem - explicadas;
            v.problemas << (n == 1 ? QString("1 linha da origem não foi lida nem deixada de fora por regra.")
                                   : QString("%1 linhas da origem não foram lidas nem deixadas de fora por regra.")
                                         .arg(n));
        } else if (explicadas > v.naOrigem) {
            const qint64 n = explicadas - v.naOrigem;
            v.problemas << (n == 1 ? QString("Foi lida 1 linha a mais do que a origem tem.")
                                   : QString("Foram lidas %1 linhas a mais do que a origem tem.").arg(n));
        }
        if (v.lidas != v.importadas + v.recusadas)
            v.problemas << QString("As linhas lidas (%1) não são a soma das importadas (%2) e das recusadas (%3).")
                               .arg(v.lidas)
                               .arg(v.importadas)
                               .arg(v.recusadas);

        if (v.dinheiro) {
            auto contas = db::CriaQuery(
                "select id, descricao, tipo_saldo, saldo from fontes where area=1 and tipo=\"" + p.tipoConta + "\"",
                destino);
            contas->open();
            while (!contas->eof()) {
                const qint64 id = contas->fieldByName("id").asInteger();
                if (!contasAntes.contains(id)) {
                    const double recalculado = RecalculaSaldo(destino, id, contas->fieldByName("tipo_saldo").asInteger(),
                                                              &v.valorDestino);
                    const double gravado = contas->fieldByName("saldo").asFloat();
                    ++v.contasConferidas;
                    if (Centavos(gravado) != Centavos(recalculado)) {
                        const QString descricao = contas->fieldByName("descricao").asString();
                        v.saldosDivergentes.append({id, descricao, gravado, recalculado});
                        v.problemas << QString("O saldo gravado na conta %1 (%2) é %3, mas os seus lançamentos dão %4.")
                                           .arg(id)
                                           .arg(descricao, TextoDinheiro(gravado), TextoDinheiro(recalculado));
                    }
                }
                contas->next();
            }
            if (Centavos(v.valorOrigem) != Centavos(v.valorDestino))
                v.problemas << QString("Os valores dos lançamentos diferem: %1 na origem, %2 no destino.")
                                   .arg(TextoDinheiro(v.valorOrigem), TextoDinheiro(v.valorDestino));
        }
        resultado.append(v);
    }
    return resultado;
}

QString TextoDinheiro(double valor) {
    const QLocale br(QLocale::Portuguese, QLocale::Brazil);
    const qint64 centavos = Centavos(valor);
    const QString numero = br.toString(std::abs(static_cast<double>(centavos)) / 100.0, 'f', 2);
    return (centavos < 0 ? "-R$ " : "R$ ") + numero;
}

QString TextoVerificacao(const VerificacaoArea& v) {
    QStringList fora{Quantos(v.lidas, "lida", "lidas")};
    if (v.filtraCanceladas) fora << Quantos(v.canceladas, "cancelada", "canceladas");
    fora << QString::number(v.outrasEmpresas) + " de outras empresas";
    if (v.temContas) fora << QString::number(v.semConta) + " sem conta";
    const bool somaOrigem = v.naOrigem == v.lidas + v.canceladas + v.outrasEmpresas + v.semConta;
    QString t = v.area + (v.confere() ? ": confere — " : ": DIVERGÊNCIA — ");
    t += QString("origem %1 %2 %3").arg(v.naOrigem).arg(somaOrigem ? "=" : "≠", fora.join(" + "));
    t += QString("; %1 %2 %3 + %4")
             .arg(Quantos(v.lidas, "lida", "lidas"), v.lidas == v.importadas + v.recusadas ? "=" : "≠",
                  Quantos(v.importadas, "importada", "importadas"), Quantos(v.recusadas, "recusada", "recusadas"));
    if (v.dinheiro) {
        t += QString("; valores: %1 na origem %2 %3 no destino")
                 .arg(TextoDinheiro(v.valorOrigem),
                      Centavos(v.valorOrigem) == Centavos(v.valorDestino) ? "=" : "≠", TextoDinheiro(v.valorDestino));
        t += QString("; saldos conferidos: %1 de %2")
                 .arg(v.contasConferidas - v.saldosDivergentes.size())
                 .arg(Quantos(v.contasConferidas, "conta", "contas"));
    }
    t += '.';
    if (!v.confere()) t += " " + v.problemas.join(' ');
    return t;
}

QStringList TextosVerificacao(const QList<VerificacaoArea>& v) {
    QStringList linhas;
    for (const VerificacaoArea& a : v) linhas << TextoVerificacao(a);
    return linhas;
}

QString ResumoVerificacao(const QList<VerificacaoArea>& v) {
    QStringList divergentes;
    for (const VerificacaoArea& a : v)
        if (!a.confere()) divergentes << a.area;
    if (v.isEmpty()) return "Verificação: nenhuma área importada.";
    if (!divergentes.isEmpty()) return "Verificação: divergências em " + divergentes.join("; ") + ".";
    if (v.size() == 1) return "Verificação: a área importada confere.";
    return QString("Verificação: as %1 áreas conferem.").arg(v.size());
}

std::optional<qint64> EstimaSegundosRestantes(qint64 feitas, qint64 total, qint64 decorridoMs) {
    if (feitas <= 0 || decorridoMs < 0) return std::nullopt;
    const qint64 faltam = std::max<qint64>(0, total - feitas);
    const double ms = static_cast<double>(decorridoMs) * static_cast<double>(faltam) / static_cast<double>(feitas);
    return std::llround(ms / 1000.0);
}

QString TextoTempoRestante(qint64 segundos) {
    if (segundos < 1) return "menos de 1 s";
    if (segundos < 60) return QString("%1 s").arg(segundos);
    if (segundos < 3600) return QString("%1 min %2 s").arg(segundos / 60).arg(segundos % 60, 2, 10, QChar('0'));
    const qint64 minutos = (segundos + 59) / 60;
    return QString("%1 h %2 min").arg(minutos / 60).arg(minutos % 60, 2, 10, QChar('0'));
}

}  // namespace tarvo
