#include "relatorio_importacao.h"

#include "erros.h"
#include "funcoes.h"
#include "rotina.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSaveFile>

namespace tarvo {

namespace {

constexpr char kFormato[] = "tarvo-relatorio-importacao";
constexpr int kVersaoFormato = 1;

QString Html(const QString& texto) { return texto.toHtmlEscaped(); }

QJsonValue TextoOuNulo(const QString& texto) { return texto.isEmpty() ? QJsonValue() : QJsonValue(texto); }

QJsonArray Lista(const QStringList& textos) { return QJsonArray::fromStringList(textos); }

QStringList Textos(const QJsonValue& v) {
    QStringList t;
    for (const QJsonValue& e : v.toArray()) t << e.toString();
    return t;
}

QJsonObject RegistroEmJson(const RegistroImportacao& r) {
    return {{"id", r.id},           {"quando", r.quando}, {"origem", r.origem}, {"soma_origem", r.somaOrigem},
            {"empresa", r.empresa}, {"areas", Lista(r.areas)}, {"contagens", r.contagens}};
}

RegistroImportacao RegistroDeJson(const QJsonObject& o) {
    return {o["id"].toInteger(),      o["quando"].toString(),  o["origem"].toString(), o["soma_origem"].toString(),
            o["empresa"].toInteger(), Textos(o["areas"]), o["contagens"].toString()};
}

QJsonObject VerificacaoEmJson(const VerificacaoArea& v) {
    QJsonObject o{{"area", v.area},
                  {"confere", v.confere()},
                  {"na_origem", v.naOrigem},
                  {"lidas", v.lidas},
                  {"importadas", v.importadas},
                  {"recusadas", v.recusadas},
                  {"outras_empresas", v.outrasEmpresas},
                  {"problemas", Lista(v.problemas)}};
    // Rules that do not apply to an area leave their keys out.
    if (v.filtraCanceladas) o.insert("canceladas", v.canceladas);
    if (v.temContas) o.insert("sem_conta", v.semConta);
    if (v.dinheiro) {
        QJsonArray divergentes;
        for (const SaldoDivergente& s : v.saldosDivergentes)
            divergentes.append(QJsonObject{{"conta", s.conta},
                                           {"descricao", s.descricao},
                                           {"gravado", s.gravado},
                                           {"recalculado", s.recalculado}});
        o.insert("valores", QJsonObject{{"origem", v.valorOrigem}, {"destino", v.valorDestino}});
        o.insert("saldos", QJsonObject{{"contas_conferidas", v.contasConferidas}, {"divergentes", divergentes}});
    }
    return o;
}

VerificacaoArea VerificacaoDeJson(const QJsonObject& o) {
    VerificacaoArea v;
    v.area = o["area"].toString();
    v.naOrigem = o["na_origem"].toInteger();
    v.lidas = o["lidas"].toInteger();
    v.importadas = o["importadas"].toInteger();
    v.recusadas = o["recusadas"].toInteger();
    v.outrasEmpresas = o["outras_empresas"].toInteger();
    v.problemas = Textos(o["problemas"]);
    v.filtraCanceladas = o.contains("canceladas");
    v.canceladas = o["canceladas"].toInteger();
    v.temContas = o.contains("sem_conta");
    v.semConta = o["sem_conta"].toInteger();
    v.dinheiro = o.contains("valores");
    if (v.dinheiro) {
        v.valorOrigem = o["valores"]["origem"].toDouble();
        v.valorDestino = o["valores"]["destino"].toDouble();
        v.contasConferidas = o["saldos"]["contas_conferidas"].toInt();
        for (const QJsonValue& s : o["saldos"]["divergentes"].toArray())
            v.saldosDivergentes.append({s["conta"].toInteger(), s["descricao"].toString(), s["gravado"].toDouble(),
                                        s["recalculado"].toDouble()});
    }
    return v;
}

QString TextoData(const QDateTime& d) { return d.toString("dd/MM/yyyy HH:mm:ss"); }

QString Linha(const QString& titulo, const QString& htmlValor) {
    return "<tr><th>" + Html(titulo) + "</th><td>" + htmlValor + "</td></tr>\n";
}

const char kEstilo[] = R"(@page { size: A4; margin: 14mm 12mm; }
body { font-family: "DejaVu Sans", Tahoma, Verdana, Arial, sans-serif; font-size: 10pt; color: #000;
       margin: 8mm auto; max-width: 190mm; }
h1 { font-size: 16pt; margin: 0 0 1mm; }
p.subtitulo { margin: 0 0 4mm; color: #555; border-bottom: 2px solid #7f7f7f; padding-bottom: 2mm; }
h2 { font-size: 12pt; margin: 6mm 0 2mm; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #a0a0a0; padding: 1mm 2mm; vertical-align: top; text-align: left; }
thead th { background: #d8d8d8; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; break-inside: avoid; }
table.dados th { width: 38mm; background: #f0f0f0; }
.caminho { overflow-wrap: anywhere; }
td.sem-quebra { white-space: nowrap; }
table.resumo tbody tr:nth-child(odd) td { background: #eaeaea; }
td.numero, th.numero { text-align: center; }
td.importados { font-weight: bold; }
td.nao-importados { color: #f00; }
table.verificacao { font-size: 8.5pt; table-layout: fixed; }
table.verificacao th, table.verificacao td { padding: 1mm; }
.confere { color: #006400; font-weight: bold; }
.divergencia { color: #c00000; font-weight: bold; }
h3 { font-size: 10.5pt; margin: 4mm 0 1mm; color: #c00000; }
ul.problemas { margin: 0; padding-left: 6mm; }
p.aviso { border: 2px solid #c00000; padding: 2mm; font-weight: bold; }
pre { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 8pt; white-space: pre-wrap;
      border: 1px solid #a0a0a0; padding: 2mm; margin: 0; }
p.rodape { margin-top: 6mm; color: #777; font-size: 8pt; }
@media print { body { margin: 0; max-width: none; } }
)";

}  // namespace

RelatorioImportacao MontaRelatorio(const PreparacaoImportacao& preparacao, const QList<LinhaResumo>& resumo,
                                   const QString& excecoes, const QList<VerificacaoArea>& verificacao) {
    RelatorioImportacao r;
    r.versao = VersaoDoPrograma();
    r.quando = preparacao.instante;
    r.origem = preparacao.origem;
    r.somaOrigem = preparacao.somaOrigem;
    r.empresa = preparacao.empresa;
    r.nomeEmpresa = preparacao.nomeEmpresa;
    r.destino = preparacao.destino;
    r.areas = preparacao.areas;
    r.copiaSeguranca = preparacao.copiaSeguranca;
    r.repetidas = preparacao.repetidas;
    r.resumo = resumo;
    OrdenaResumo(r.resumo);
    r.verificacao = verificacao;
    r.excecoes = excecoes;
    return r;
}

QJsonDocument RelatorioEmJson(const RelatorioImportacao& r) {
    QJsonArray resumo, verificacao, repetidas;
    for (const LinhaResumo& l : r.resumo)
        resumo.append(QJsonObject{{"cadastro", l.cadastro},
                                  {"total", l.total.toLongLong()},
                                  {"importados", l.importados.toLongLong()},
                                  {"nao_importados", l.naoImportados.toLongLong()}});
    bool confere = true;
    for (const VerificacaoArea& v : r.verificacao) {
        verificacao.append(VerificacaoEmJson(v));
        confere = confere && v.confere();
    }
    for (const RegistroImportacao& i : r.repetidas) repetidas.append(RegistroEmJson(i));
    return QJsonDocument(QJsonObject{
        {"formato", kFormato},
        {"versao_formato", kVersaoFormato},
        {"versao_programa", r.versao},
        {"quando", r.quando.toOffsetFromUtc(r.quando.offsetFromUtc()).toString(Qt::ISODate)},
        {"origem", QJsonObject{{"arquivo", r.origem}, {"blake2b", r.somaOrigem}}},
        {"empresa", QJsonObject{{"codigo", r.empresa}, {"nome", r.nomeEmpresa}}},
        {"destino", r.destino},
        {"areas", Lista(r.areas)},
        {"simulacao", r.simulacao},
        {"copia_seguranca", TextoOuNulo(r.copiaSeguranca)},
        {"reimportacao_de", repetidas},
        {"resumo", resumo},
        {"verificacao", QJsonObject{{"confere", confere}, {"areas", verificacao}}},
        {"excecoes", r.excecoes},
        {"erro", TextoOuNulo(r.erro)},
    });
}

RelatorioImportacao LeRelatorioJson(const QJsonDocument& documento) {
    const QJsonObject o = documento.object();
    if (o["formato"].toString() != kFormato || o["versao_formato"].toInt() != kVersaoFormato)
        throw Erro("O documento não é um relatório de importação do Tarvo (formato 1).");
    RelatorioImportacao r;
    r.versao = o["versao_programa"].toString();
    r.quando = QDateTime::fromString(o["quando"].toString(), Qt::ISODate);
    r.origem = o["origem"]["arquivo"].toString();
    r.somaOrigem = o["origem"]["blake2b"].toString();
    r.empresa = o["empresa"]["codigo"].toInteger();
    r.nomeEmpresa = o["empresa"]["nome"].toString();
    r.destino = o["destino"].toString();
    r.areas = Textos(o["areas"]);
    r.simulacao = o["simulacao"].toBool();
    r.copiaSeguranca = o["copia_seguranca"].toString();
    for (const QJsonValue& i : o["reimportacao_de"].toArray()) r.repetidas.append(RegistroDeJson(i.toObject()));
    for (const QJsonValue& l : o["resumo"].toArray())
        r.resumo.append({l["cadastro"].toString(), QString::number(l["total"].toInteger()),
                         QString::number(l["importados"].toInteger()), QString::number(l["nao_importados"].toInteger())});
    for (const QJsonValue& v : o["verificacao"]["areas"].toArray()) r.verificacao.append(VerificacaoDeJson(v.toObject()));
    r.excecoes = o["excecoes"].toString();
    r.erro = o["erro"].toString();
    return r;
}

QString RelatorioEmHtml(const RelatorioImportacao& r) {
    QString h;
    h += "<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<title>Relatório da importação — " + Html(QFileInfo(r.destino).fileName()) + "</title>\n";
    h += "<style>\n" + QString::fromUtf8(kEstilo) + "</style>\n</head>\n<body>\n";
    h += "<h1>Relatório da importação</h1>\n";
    h += "<p class=\"subtitulo\">Dados do Tarvo Pessoal / Tarvo Veículos importados para o Tarvo Pessoal + "
         "Veículos.</p>\n";
    if (r.simulacao)
        h += "<p class=\"aviso\">Simulação: a importação foi feita numa cópia temporária do destino; o banco de "
             "dados de destino não foi alterado.</p>\n";
    if (!r.erro.isEmpty())
        h += "<p class=\"aviso\">A importação foi interrompida por um erro: " + Html(r.erro) + "</p>\n";

    h += "<table class=\"dados\">\n";
    h += Linha("Data", Html(TextoData(r.quando)));
    auto caminho = [](const QString& c) { return "<span class=\"caminho\">" + Html(c) + "</span>"; };
    h += Linha("Origem", caminho(r.origem) + "<br>BLAKE2b-256: " + caminho(r.somaOrigem));
    h += Linha("Empresa", Html(QString::number(r.empresa) + (r.nomeEmpresa.isEmpty() ? "" : " — " + r.nomeEmpresa)));
    h += Linha("Destino", caminho(r.destino));
    h += Linha("Cópia de segurança",
               r.copiaSeguranca.isEmpty()
                   ? QString(r.simulacao ? "não necessária (simulação)" : "não foi feita")
                   : caminho(r.copiaSeguranca) + "<br>Para desfazer a importação: " +
                         caminho("importador-cli --desfazer \"" + r.copiaSeguranca + "\""));
    h += Linha("Áreas", r.areas.isEmpty() ? QString("nenhuma") : Html(r.areas.join("; ")));
    if (!r.repetidas.isEmpty()) {
        QStringList vezes;
        for (const RegistroImportacao& i : r.repetidas)
            vezes << Html(QDateTime::fromString(i.quando, Qt::ISODate).toString("dd/MM/yyyy HH:mm") +
                          " (" + AreasRepetidas({i}, r.areas).join("; ") + ")");
        h += Linha("Reimportação", "Estes dados já tinham sido importados para este destino em " + vezes.join(", ") +
                                       "; importados novamente a pedido do usuário.");
    }
    h += "</table>\n";

    h += "<h2>Resumo</h2>\n<table class=\"resumo\">\n<thead><tr><th>Cadastro</th><th class=\"numero\">Total</th>"
         "<th class=\"numero\">Importados</th><th class=\"numero\">Não Importados</th></tr></thead>\n<tbody>\n";
    for (const LinhaResumo& l : r.resumo)
        h += "<tr><td>" + Html(l.cadastro) + "</td><td class=\"numero\">" + Html(l.total) +
             "</td><td class=\"numero importados\">" + Html(l.importados) +
             "</td><td class=\"numero nao-importados\">" + Html(l.naoImportados) + "</td></tr>\n";
    if (r.resumo.isEmpty()) h += "<tr><td colspan=\"4\">Nenhuma tabela copiada.</td></tr>\n";
    h += "</tbody>\n</table>\n";

    h += "<h2>Verificação</h2>\n";
    if (r.verificacao.isEmpty()) {
        h += "<p>Não houve verificação.</p>\n";
    } else {
        h += "<p>" + Html(ResumoVerificacao(r.verificacao)) + "</p>\n";
        // Fixed widths keep the table inside the printed page.
        h += "<table class=\"verificacao\">\n<colgroup><col style=\"width:15%\"><col style=\"width:7%\">"
             "<col style=\"width:6%\"><col style=\"width:15%\"><col style=\"width:11%\"><col style=\"width:11%\">"
             "<col style=\"width:14%\"><col style=\"width:9%\"><col style=\"width:12%\"></colgroup>\n"
             "<thead><tr><th>Área</th><th class=\"numero\">Na origem</th><th class=\"numero\">Lidas</th>"
             "<th>Fora por regra</th><th class=\"numero\">Importadas</th><th class=\"numero\">Recusadas</th>"
             "<th>Valores (origem / destino)</th><th>Saldos</th><th>Resultado</th></tr></thead>\n<tbody>\n";
        for (const VerificacaoArea& v : r.verificacao) {
            QStringList fora;
            if (v.filtraCanceladas) fora << QString::number(v.canceladas) + " canceladas";
            fora << QString::number(v.outrasEmpresas) + " de outras empresas";
            if (v.temContas) fora << QString::number(v.semConta) + " sem conta";
            QString valores = "—", saldos = "—";
            if (v.dinheiro) {
                valores = Html(TextoDinheiro(v.valorOrigem)) + "<br>" + Html(TextoDinheiro(v.valorDestino));
                saldos = QString("%1 de %2 conferem")
                             .arg(v.contasConferidas - v.saldosDivergentes.size())
                             .arg(v.contasConferidas);
            }
            const QString resultado = v.confere() ? QString("<span class=\"confere\">Confere</span>")
                                                  : QString("<span class=\"divergencia\">Divergência</span>");
            h += "<tr><td>" + Html(v.area) + "</td><td class=\"numero\">" + QString::number(v.naOrigem) +
                 "</td><td class=\"numero\">" + QString::number(v.lidas) + "</td><td>" + fora.join("<br>") + "</td><td class=\"numero\">" + QString::number(v.importadas) +
                 "</td><td class=\"numero\">" + QString::number(v.recusadas) + "</td><td class=\"sem-quebra\">" +
                 valores + "</td><td>" + saldos + "</td><td>" +
                 resultado + "</td></tr>\n";
        }
        h += "</tbody>\n</table>\n";
        // The reasons go under the table, where a sentence has the page's width.
        QString problemas;
        for (const VerificacaoArea& v : r.verificacao)
            for (const QString& p : v.problemas) problemas += "<li><b>" + Html(v.area) + ":</b> " + Html(p) + "</li>\n";
        if (!problemas.isEmpty()) h += "<h3>Divergências</h3>\n<ul class=\"problemas\">\n" + problemas + "</ul>\n";
    }

    h += "<h2>Exceções ocorridas durante a importação</h2>\n";
    QString excecoes = r.excecoes;
    excecoes.replace("\r\n", "\n");
    if (excecoes.trimmed().isEmpty()) h += "<p>Nenhuma exceção.</p>\n";
    else h += "<pre>" + Html(excecoes) + "</pre>\n";
    h += "<p class=\"rodape\">Gerado pelo Importador do Tarvo Pessoal + Veículos" +
         (r.versao.isEmpty() ? QString() : " v. " + Html(r.versao)) + ".</p>\n";
    h += "</body>\n</html>\n";
    return h;
}

void GravaArquivo(const QString& arquivo, const QByteArray& conteudo) {
    QSaveFile f(arquivo);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size() || !f.commit())
        throw Erro(QString("Não foi possível gravar o arquivo '%1': %2.").arg(arquivo, f.errorString()));
}

}  // namespace tarvo
