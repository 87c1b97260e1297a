// The report a user keeps: JSON read back, HTML escaped and self-contained.
#include "apoio/afirmacoes.h"
#include "apoio/ambiente.h"
#include "apoio/impressao_resumo.h"
#include "apoio/origem_pequena.h"
#include "relatorio_importacao.h"
#include "rotina.h"

#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::testes;

namespace {

// The small database imported with every part of the safety net, one cost
// centre refused on the way.
struct Importada {
    Importada() {
        a.origem(kOrigemPequena);
        a.destino("INSERT INTO centros_custos (id, area, descricao) VALUES (1, 1, 'já existe')");
        PedidoImportacao p;
        p.origem = a.arquivoOrigem;
        p.empresa = 3;
        p.destino = a.arquivoDestino;
        p.areas = kAreasPequenas;
        p.verifica = p.registra = p.copiaSeguranca = true;
        p.instante = InstanteFixo();
        ImportaSemJanela(a.dm, a.janela, p, {}, &r);
        relatorio = MontaRelatorio(r.preparacao, a.janela.resumo, a.janela.textoExcecoes(), r.verificacao);
    }
    AmbienteImportacao a;
    ResultadoImportacao r;
    RelatorioImportacao relatorio;
};

}  // namespace

TEST(RelatorioImportacao, MontadoDaPreparacaoEDaExecucao) {
    Importada i;
    const RelatorioImportacao& r = i.relatorio;
    EXPECT_EQ(r.versao, TARVO_VERSAO);
    EXPECT_EQ(r.quando, InstanteFixo());
    EXPECT_EQ(r.origem, QFileInfo(i.a.arquivoOrigem).canonicalFilePath());
    EXPECT_EQ(r.somaOrigem, SomaDoArquivo(i.a.arquivoOrigem));
    EXPECT_EQ(r.empresa, 3);
    EXPECT_EQ(r.nomeEmpresa, "Oficina");
    EXPECT_EQ(r.destino, QFileInfo(i.a.arquivoDestino).canonicalFilePath());
    EXPECT_EQ(r.areas, kAreasPequenas);
    EXPECT_EQ(r.copiaSeguranca, i.a.pasta.arquivo("ana.antes-da-importacao-20240305-140709.tpv"));
    // Sorted as the grid shows them.
    EXPECT_EQ(r.resumo, (QList<LinhaResumo>{{"Caixa Pessoal", "2", "2", "0"},
                                            {"Centros de Custos", "2", "1", "1"},
                                            {"Controle Bancário", "1", "1", "0"},
                                            {"Controle Bancário", "2", "2", "0"}}));
    EXPECT_TRUE(r.excecoes.startsWith("Ação ..............: Salvando\r\nTabela de Origem ..: CENTROS_CUSTOS\r\n"));
    EXPECT_EQ(r.verificacao.size(), 3);
}

TEST(RelatorioImportacao, JsonLidoDeVoltaIgual) {
    Importada i;
    RelatorioImportacao r = i.relatorio;
    r.simulacao = true;
    r.erro = "Um erro \"qualquer\" <depois>";
    r.repetidas = {{7, "2024-01-02T03:04:05-03:00", "/d/a.mdb", "abc", 3, {"Caixa Pessoal"}, "{\"x\":1}"}};
    r.verificacao[1].saldosDivergentes = {{1, "Dinheiro", 70.5, 60.5}};
    r.verificacao[1].problemas = {"Um problema."};
    const QByteArray texto = RelatorioEmJson(r).toJson(QJsonDocument::Indented);
    QJsonParseError erro;
    const QJsonDocument lido = QJsonDocument::fromJson(texto, &erro);
    ASSERT_EQ(erro.error, QJsonParseError::NoError) << erro.errorString().toStdString();
    EXPECT_EQ(LeRelatorioJson(lido), r);

    // What another program finds in it.
    const QJsonObject o = lido.object();
    EXPECT_EQ(o["formato"].toString(), "tarvo-relatorio-importacao");
    EXPECT_EQ(o["quando"].toString(), "2024-03-05T14:07:09-03:00");
    EXPECT_EQ(o["empresa"].toObject(), (QJsonObject{{"codigo", 3}, {"nome", "Oficina"}}));
    EXPECT_EQ(o["resumo"].toArray()[1].toObject(),
              (QJsonObject{{"cadastro", "Centros de Custos"}, {"total", 2}, {"importados", 1}, {"nao_importados", 1}}));
    const QJsonObject caixa = o["verificacao"]["areas"][1].toObject();
    EXPECT_EQ(caixa, (QJsonObject{{"area", "Caixa Pessoal"},
                                  {"confere", false},
                                  {"na_origem", 4},
                                  {"lidas", 2},
                                  {"importadas", 2},
                                  {"recusadas", 0},
                                  {"outras_empresas", 1},
                                  {"canceladas", 1},
                                  {"problemas", QJsonArray{"Um problema."}},
                                  {"valores", QJsonObject{{"origem", 140.5}, {"destino", 140.5}}},
                                  {"saldos", QJsonObject{{"contas_conferidas", 1},
                                                         {"divergentes", QJsonArray{QJsonObject{
                                                                             {"conta", 1},
                                                                             {"descricao", "Dinheiro"},
                                                                             {"gravado", 70.5},
                                                                             {"recalculado", 60.5}}}}}}}));
    EXPECT_EQ(o["verificacao"]["confere"].toBool(), false);
    EXPECT_EQ(o["verificacao"]["areas"][0].toObject().keys(),
              QStringList({"area", "confere", "importadas", "lidas", "na_origem", "outras_empresas", "problemas",
                           "recusadas"}));
    EXPECT_TRUE(o["copia_seguranca"].isString());
    EXPECT_EQ(o["erro"].toString(), "Um erro \"qualquer\" <depois>");
}

TEST(RelatorioImportacao, JsonDeOutraCoisaRecusado) {
    struct Caso {
        const char* nome;
        QJsonDocument documento;
    } casos[] = {
        {"vazio", QJsonDocument()},
        {"outro formato", QJsonDocument(QJsonObject{{"formato", "outro"}, {"versao_formato", 1}})},
        {"versao futura", QJsonDocument(QJsonObject{{"formato", "tarvo-relatorio-importacao"}, {"versao_formato", 2}})},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_ERRO(LeRelatorioJson(c.documento), "O documento não é um relatório de importação do Tarvo (formato 1).");
    }
}

TEST(RelatorioImportacao, HtmlEscapadoEAutossuficiente) {
    Importada i;
    RelatorioImportacao r = i.relatorio;
    r.excecoes += "<script>alert('x')</script> & \"aspas\"\r\n";
    const QString h = RelatorioEmHtml(r);
    EXPECT_TRUE(h.startsWith("<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n"
                             "<title>Relatório da importação — ana.tpv</title>\n<style>\n"));
    EXPECT_TRUE(h.endsWith("</body>\n</html>\n"));
    for (const char* proibido : {"<script", "http:", "https:", "src=", "<link", "url("}) {
        SCOPED_TRACE(proibido);
        EXPECT_FALSE(h.contains(QString::fromUtf8(proibido), Qt::CaseInsensitive));
    }
    EXPECT_TRUE(h.contains("&lt;script&gt;alert('x')&lt;/script&gt; &amp; &quot;aspas&quot;\n</pre>"));
    EXPECT_TRUE(h.contains("<tr><td>Centros de Custos</td><td class=\"numero\">2</td><td class=\"numero "
                           "importados\">1</td><td class=\"numero nao-importados\">1</td></tr>"));
    EXPECT_TRUE(h.contains("<tr><th>Empresa</th><td>3 — Oficina</td></tr>"));
    EXPECT_TRUE(h.contains("<tr><th>Data</th><td>05/03/2024 14:07:09</td></tr>"));
    EXPECT_TRUE(h.contains("<p>Verificação: as 3 áreas conferem.</p>"));
    EXPECT_TRUE(h.contains("<td class=\"sem-quebra\">R$ 70,00<br>R$ 70,00</td>"));
    EXPECT_FALSE(h.contains("Simulação"));
    EXPECT_FALSE(h.contains("class=\"aviso\""));

    // A divergence lists its problems; a dry run and an error are announced.
    r.verificacao[2].problemas = {"O saldo gravado na conta 2 (Banco <Central> & Cia) é R$ 30,00."};
    r.simulacao = true;
    r.erro = "Parou <aqui>.";
    const QString d = RelatorioEmHtml(r);
    EXPECT_TRUE(d.contains("<p>Verificação: divergências em Controle Bancário.</p>"));
    EXPECT_TRUE(d.contains("<td><span class=\"divergencia\">Divergência</span></td></tr>"));
    EXPECT_TRUE(d.contains("<h3>Divergências</h3>\n<ul class=\"problemas\">\n<li><b>Controle Bancário:</b> O saldo "
                           "gravado na conta 2 (Banco &lt;Central&gt; &amp; Cia) é R$ 30,00.</li>\n</ul>\n"));
    EXPECT_FALSE(h.contains("<h3>Divergências</h3>"));
    EXPECT_TRUE(d.contains("<p class=\"aviso\">Simulação: a importação foi feita numa cópia temporária do destino; o "
                           "banco de dados de destino não foi alterado.</p>"));
    EXPECT_TRUE(d.contains("<p class=\"aviso\">A importação foi interrompida por um erro: Parou &lt;aqui&gt;.</p>"));
}

TEST(RelatorioImportacao, GravaArquivoInteiroOuNada) {
    PastaTemporaria pasta;
    const QString arquivo = pasta.arquivo("r.json");
    GravaArquivo(arquivo, "{\"a\": 1}\n");
    EXPECT_EQ(LeArquivo(arquivo), "{\"a\": 1}\n");
    const QString semPasta = pasta.arquivo("nao/existe/r.json");
    EXPECT_ERRO(GravaArquivo(semPasta, "x"),
                "Não foi possível gravar o arquivo '" + semPasta + "': No such file or directory.");
}
