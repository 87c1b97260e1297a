// The check after a run: rows read and left out, amounts and balances; the
// time-left estimate.
#include "amostra/gerador.h"
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/bancos.h"
#include "apoio/origem_pequena.h"
#include "rotina.h"
#include "verificacao.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

// The small database imported with the verification on.
struct Verificada {
    Verificada() {
        a.origem(kOrigemPequena);
        PedidoImportacao p;
        p.origem = a.arquivoOrigem;
        p.empresa = 3;
        p.destino = a.arquivoDestino;
        p.areas = kAreasPequenas;
        p.verifica = true;
        p.instante = InstanteFixo();
        ImportaSemJanela(a.dm, a.janela, p, {}, &r);
    }
    QList<VerificacaoArea> verificaDeNovo() {
        return VerificaImportacao(a.dm.dbDestino, r.preparacao.previsao, r.preparacao.contasAntes, a.janela.resumo);
    }
    AmbienteImportacao a;
    ResultadoImportacao r;
};

}  // namespace

TEST(Verificacao, ContaLidasDeixadasDeForaValoresESaldos) {
    Verificada v;
    // Counted before the run: company 3 of the small database.
    ASSERT_EQ(v.r.preparacao.previsao.size(), 3);
    const PrevisaoTabela& lancamentos = v.r.preparacao.previsao[2].tabelas[1];
    EXPECT_EQ(lancamentos.tabela, "contas_bancarias_lancamentos");
    EXPECT_EQ(lancamentos.naOrigem, 5);
    EXPECT_EQ(lancamentos.outrasEmpresas, 1);
    EXPECT_EQ(lancamentos.canceladas, 1);
    EXPECT_EQ(lancamentos.semConta, 1);
    EXPECT_EQ(lancamentos.aLer, 2);
    EXPECT_EQ(lancamentos.valor, 70);
    EXPECT_EQ(v.r.preparacao.linhasPrevistas(), 7);
    EXPECT_EQ(v.r.preparacao.contasAntes, QSet<qint64>());

    EXPECT_EQ(TextosVerificacao(v.r.verificacao),
              QStringList({"Centros de Custos: confere — origem 3 = 2 lidas + 1 de outras empresas; 2 lidas = 2 "
                           "importadas + 0 recusadas.",
                           "Caixa Pessoal: confere — origem 4 = 2 lidas + 1 cancelada + 1 de outras empresas; 2 lidas "
                           "= 2 importadas + 0 recusadas; valores: R$ 140,50 na origem = R$ 140,50 no destino; saldos "
                           "conferidos: 1 de 1 conta.",
                           "Controle Bancário: confere — origem 7 = 3 lidas + 1 cancelada + 2 de outras empresas + 1 "
                           "sem conta; 3 lidas = 3 importadas + 0 recusadas; valores: R$ 70,00 na origem = R$ 70,00 no "
                           "destino; saldos conferidos: 1 de 1 conta."}));
    EXPECT_EQ(ResumoVerificacao(v.r.verificacao), "Verificação: as 3 áreas conferem.");
}

TEST(Verificacao, SaldoFalsificadoEApontado) {
    Verificada v;
    EXPECT_EQ(v.a.valorDestino("SELECT saldo FROM fontes WHERE id = 1"), "60.5");
    v.a.destino("UPDATE fontes SET saldo = 70.5 WHERE id = 1");
    const QList<VerificacaoArea> r = v.verificaDeNovo();
    ASSERT_EQ(r.size(), 3);
    EXPECT_TRUE(r[0].confere());
    EXPECT_FALSE(r[1].confere());
    EXPECT_TRUE(r[2].confere());
    EXPECT_EQ(r[1].saldosDivergentes, (QList<SaldoDivergente>{{1, "Dinheiro", 70.5, 60.5}}));
    EXPECT_EQ(TextoVerificacao(r[1]),
              "Caixa Pessoal: DIVERGÊNCIA — origem 4 = 2 lidas + 1 cancelada + 1 de outras empresas; 2 lidas = 2 "
              "importadas + 0 recusadas; valores: R$ 140,50 na origem = R$ 140,50 no destino; saldos conferidos: 0 de "
              "1 conta. O saldo gravado na conta 1 (Dinheiro) é R$ 70,50, mas os seus lançamentos dão R$ 60,50.");
    EXPECT_EQ(ResumoVerificacao(r), "Verificação: divergências em Caixa Pessoal.");
}

TEST(Verificacao, FalhasApontadas) {
    struct Caso {
        const char* nome;
        const char* falsificacao;         // on the destination, after the run
        std::function<void(QList<LinhaResumo>&)> resumo;  // on the summary rows
        int area;
        QStringList problemas;
    } casos[] = {
        {"lancamento apagado", "DELETE FROM lctos WHERE id_fonte = 2 AND valor = 20", nullptr, 2,
         {"O saldo gravado na conta 2 (Banco <Central> & Cia) é R$ 30,00, mas os seus lançamentos dão R$ 50,00.",
          "Os valores dos lançamentos diferem: R$ 70,00 na origem, R$ 50,00 no destino."}},
        {"valor mudado", "UPDATE lctos SET valor = 41 WHERE id_fonte = 1 AND valor = 40", nullptr, 1,
         {"Os valores dos lançamentos diferem: R$ 140,50 na origem, R$ 141,50 no destino."}},
        {"linha de resumo perdida", "",
         [](QList<LinhaResumo>& l) { l.removeAt(0); }, 0,
         {"2 linhas da origem não foram lidas nem deixadas de fora por regra."}},
        {"uma linha a mais", "",
         [](QList<LinhaResumo>& l) { l[1].total = "3"; }, 1,
         {"Foi lida 1 linha a mais do que a origem tem.",
          "As linhas lidas (3) não são a soma das importadas (2) e das recusadas (0)."}},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Verificada v;
        if (*c.falsificacao) v.a.destino(c.falsificacao);
        QList<LinhaResumo> resumo = v.a.janela.resumo;
        if (c.resumo) c.resumo(resumo);
        const QList<VerificacaoArea> r =
            VerificaImportacao(v.a.dm.dbDestino, v.r.preparacao.previsao, v.r.preparacao.contasAntes, resumo);
        for (int i = 0; i < r.size(); ++i) EXPECT_EQ(r[i].problemas, i == c.area ? c.problemas : QStringList());
    }
}

TEST(Verificacao, RecusadasSaoContadasEDinheiroQueFaltaApontado) {
    AmbienteImportacao a;
    a.origem(kOrigemPequena);
    // Ids 1 of the cost centres taken: one old row is refused.
    a.destino("INSERT INTO centros_custos (id, area, descricao) VALUES (1, 1, 'já existe')");
    PedidoImportacao p;
    p.origem = a.arquivoOrigem;
    p.empresa = 3;
    p.destino = a.arquivoDestino;
    p.areas = {"Centros de Custos"};
    p.verifica = true;
    ResultadoImportacao r;
    ImportaSemJanela(a.dm, a.janela, p, {}, &r);
    EXPECT_EQ(TextosVerificacao(r.verificacao),
              QStringList({"Centros de Custos: confere — origem 3 = 2 lidas + 1 de outras empresas; 2 lidas = 1 "
                           "importada + 1 recusada."}));
}

TEST(Verificacao, ContaQueNaoPodeSerContadaEApontada) {
    AmbienteImportacao a;
    // An old cash book without the cancelled column.
    a.origem("DROP TABLE caixa_lancamentos; CREATE TABLE caixa_lancamentos (codigo INTEGER PRIMARY KEY, empresa LONG, "
             "valor CURRENCY); INSERT INTO caixa_lancamentos VALUES (1, 3, 10);");
    const QList<PrevisaoArea> p = PreveOrigem(a.dm.dbOrigem, 3, {"caixa pessoal", "Viagens (Veículos)"});
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0].area, "Caixa Pessoal");
    EXPECT_EQ(p[0].tipoConta, "DI");
    EXPECT_EQ(p[0].tabelas[0].erro,
              "O campo 'cancelado' não existe (comando: select count(*) as n, sum(valor) as s from caixa_lancamentos "
              "where empresa=3 and not cancelado).");
    EXPECT_EQ(p[1].area, "Viagens (Veículos)");
    EXPECT_EQ(p[1].tipoConta, "");
    EXPECT_TRUE(p[1].tabelas[0].existe);
    EXPECT_EQ(p[1].tabelas[0].naOrigem, 0);
    EXPECT_ERRO(PreveOrigem(a.dm.dbOrigem, 3, {"Caixa"}), "Área desconhecida: \"Caixa\".");

    const QList<VerificacaoArea> v = VerificaImportacao(a.dm.dbDestino, p, {}, {});
    EXPECT_EQ(v[0].problemas,
              QStringList({"Não foi possível contar a tabela 'caixa_lancamentos' da origem: O campo 'cancelado' não "
                           "existe (comando: select count(*) as n, sum(valor) as s from caixa_lancamentos where "
                           "empresa=3 and not cancelado).",
                           "1 linha da origem não foi lida nem deixada de fora por regra."}));
}

TEST(Verificacao, TabelaAusenteNaOrigem) {
    AmbienteImportacao a;
    a.origem("DROP TABLE viagens");
    const QList<PrevisaoArea> p = PreveOrigem(a.dm.dbOrigem, 3, {"Viagens (Veículos)"});
    EXPECT_FALSE(p[0].tabelas[0].existe);
    EXPECT_EQ(TextosVerificacao(VerificaImportacao(a.dm.dbDestino, p, {}, {})),
              QStringList({"Viagens (Veículos): confere — origem 0 = 0 lidas + 0 de outras empresas; 0 lidas = 0 "
                           "importadas + 0 recusadas."}));
}

// The sample maker's database, every company, every area: everything the
// rules read arrives, to the cent.
TEST(Verificacao, AmostraInteiraConfereEmCadaEmpresa) {
    for (qint64 empresa : {1, 2, 3}) {
        SCOPED_TRACE(empresa);
        PastaTemporaria pasta;
        const QString origem = pasta.arquivo("antiga.mdb"), destino = pasta.arquivo("ana.tpv");
        amostra::GeraBaseAntiga(origem, {3, 300, 11, false});
        amostra::GeraBaseNova(destino, "");
        JanelaMemoria janela;
        Tdm dm(&janela);
        PedidoImportacao p;
        p.origem = origem;
        p.empresa = empresa;
        p.destino = destino;
        p.verifica = true;
        ResultadoImportacao r;
        ImportaSemJanela(dm, janela, p, {}, &r);
        ASSERT_EQ(r.verificacao.size(), 20);
        qint64 lidas = 0;
        for (const VerificacaoArea& v : r.verificacao) {
            EXPECT_TRUE(v.confere()) << TextoVerificacao(v).toStdString();
            lidas += v.lidas;
        }
        EXPECT_EQ(lidas, r.preparacao.linhasPrevistas());
    }
}

// ------------------------------------------------------------- estimate

TEST(EstimaSegundosRestantes, RitmoAteAquiAplicadoAoQueFalta) {
    struct Caso {
        qint64 feitas, total, decorridoMs;
        std::optional<qint64> segundos;
    } casos[] = {
        {0, 100, 5000, std::nullopt}, {50, 100, 5000, 5},  {100, 100, 9000, 0}, {150, 100, 1000, 0},
        {1, 3601, 1000, 3600},        {3, 4, 1000, 0},     {2, 4, 1000, 1},     {-1, 4, 1000, std::nullopt},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(testing::Message() << c.feitas << " de " << c.total << " em " << c.decorridoMs << " ms");
        EXPECT_EQ(EstimaSegundosRestantes(c.feitas, c.total, c.decorridoMs), c.segundos);
    }
}

TEST(TextoTempoRestante, SegundosMinutosHoras) {
    struct Caso {
        qint64 segundos;
        const char* texto;
    } casos[] = {
        {0, "menos de 1 s"}, {1, "1 s"},           {59, "59 s"},          {60, "1 min 00 s"},
        {185, "3 min 05 s"}, {3599, "59 min 59 s"}, {3600, "1 h 00 min"}, {3720, "1 h 02 min"},
        {3601, "1 h 01 min"}, {90000, "25 h 00 min"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.segundos);
        EXPECT_EQ(TextoTempoRestante(c.segundos), QString::fromUtf8(c.texto));
    }
}

TEST(TextoDinheiro, ReaisComoOProdutoMostra) {
    struct Caso {
        double valor;
        const char* texto;
    } casos[] = {
        {0, "R$ 0,00"}, {1234.5, "R$ 1.234,50"}, {-80, "-R$ 80,00"}, {1234567.891, "R$ 1.234.567,89"},
        {-0.001, "R$ 0,00"}, {0.125, "R$ 0,13"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.valor);
        EXPECT_EQ(TextoDinheiro(c.valor), QString::fromUtf8(c.texto));
    }
}
