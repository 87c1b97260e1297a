// importador-cli: the import of the old edition's data without a window.
#include "dados.h"
#include "db/consulta.h"
#include "erros.h"
#include "funcoes.h"
#include "janela_console.h"
#include "relatorio.h"
#include "relatorio_importacao.h"
#include "rotina.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <cstdio>

using namespace tarvo;

namespace {

enum Saida { Sucesso = 0, ComFalhas = 1, UsoIncorreto = 2, ErroExecucao = 3, Repetida = 4 };

const char* kAjuda = R"(Uso:
  importador-cli --origem ARQUIVO --empresa CODIGO --destino ARQUIVO [--senha SENHA]
                 (--tudo | --areas "Área;Área;...") [--relatorio ARQUIVO]
                 [--json ARQUIVO] [--html ARQUIVO] [--simular] [--reimportar]
                 [--sem-copia]
  importador-cli --desfazer COPIA [--destino ARQUIVO]
  importador-cli --origem ARQUIVO --listar-empresas
  importador-cli --origem ARQUIVO --tabelas
  importador-cli --origem ARQUIVO --exportar TABELA

Importa os dados do Tarvo Pessoal / Tarvo Veículos (banco de dados antigo)
para o banco de dados de um usuário do Tarvo Pessoal + Veículos, sem janela,
com o mesmo motor de importação do assistente.

Opções:
  --origem ARQUIVO      Banco de dados antigo (.mdb do Access, ou SQLite).
  --empresa CODIGO      Código da empresa do banco antigo a importar
                        (veja --listar-empresas).
  --destino ARQUIVO     Banco de dados do usuário que receberá os dados.
  --senha SENHA         Senha do usuário de destino, quando ele tiver uma.
  --tudo                Importa as vinte áreas.
  --areas "A;B;..."     Importa só as áreas indicadas, pelos nomes exatos:
                        Agenda de Compromissos; Cadastro de Veículos;
                        Caixa Pessoal; Cartões de Crédito; Centros de Custos;
                        Contas a Pagar; Contas a Receber;
                        Contas de Receitas e Despesas; Contatos e Telefones;
                        Controle Bancário; Históricos (Bancos); Investimentos;
                        Lançamentos (Veículos); Manutenções (Veículos);
                        Modelos (Veículos); Montadoras (Veículos); Patrimônio;
                        Tarefas; Tipos de Combustíveis (Veículos);
                        Viagens (Veículos).
                        As áreas são sempre importadas na ordem fixa do
                        assistente, começando pelas Contas de Receitas e
                        Despesas.
  --relatorio ARQUIVO   Grava também o resumo, a verificação e as exceções
                        neste arquivo (o mesmo texto da saída padrão).
  --json ARQUIVO        Grava o relatório da importação (resumo,
                        verificação, exceções, origem, destino, cópia de
                        segurança) em JSON.
  --html ARQUIVO        Grava o mesmo relatório como uma página HTML,
                        pronta para imprimir.
  --simular             Faz a importação inteira numa cópia temporária do
                        destino e mostra o resumo, a verificação e as
                        exceções; o destino não é alterado.
  --reimportar          Importa mesmo que esta empresa deste banco antigo já
                        tenha sido importada para este destino (as áreas já
                        importadas ficarão duplicadas). Sem esta opção, uma
                        importação repetida é recusada.
  --sem-copia           Não faz a cópia de segurança do destino antes de
                        importar.
  --desfazer COPIA      Desfaz uma importação: põe a cópia de segurança
                        COPIA de volta no lugar do destino, byte a byte. O
                        destino é o nome da cópia sem
                        ".antes-da-importacao-AAAAMMDD-HHMMSS" (ou --destino).
                        Recusado enquanto outro programa usa o destino.
  --medidas ARQUIVO     Grava, por área importada, as linhas lidas e os
                        segundos gastos (texto separado por tabulações).
  --listar-empresas     Mostra as empresas do banco antigo (código e nome).
  --tabelas             Mostra as tabelas do banco antigo.
  --exportar TABELA     Escreve a tabela do banco antigo em CSV na saída
                        padrão (datas AAAA-MM-DD HH:MM:SS, sim/não como 1/0,
                        números com ponto decimal, binários em hexadecimal).
  -h, --help            Mostra esta ajuda.

Durante a importação o progresso aparece na saída de erros, com o tempo
restante estimado a partir das linhas contadas antes de começar; ao final,
a saída padrão recebe o resumo (Cadastro, Total, Importados, Não
Importados, em ordem de Cadastro), a verificação de cada área, onde está a
cópia de segurança e as exceções ocorridas, como o assistente as mostra.

Antes de gravar qualquer coisa, o destino é copiado ao lado dele mesmo, com
o nome ARQUIVO.antes-da-importacao-AAAAMMDD-HHMMSS.EXT. Cada importação
concluída fica registrada no destino (tabela importacoes_tarvo).

A verificação confere, por área: linhas da origem = lidas + canceladas +
de outras empresas + sem conta; lidas = importadas + recusadas; nas áreas
de dinheiro, a soma dos valores da origem = a soma dos lançamentos das
contas criadas, e o saldo gravado de cada conta criada = o saldo
recalculado a partir dos seus lançamentos.

Códigos de saída:
  0  todos os registros foram importados, sem exceções, e a verificação
     conferiu;
  1  a importação terminou, mas houve exceções (registros não importados,
     campos não copiados ou tabelas não encontradas) ou divergências na
     verificação;
  2  uso incorreto (opção desconhecida ou faltando);
  3  a importação (ou o desfazer) não pôde ser feita ou foi interrompida
     por um erro;
  4  importação repetida recusada (veja --reimportar); nada foi alterado.
)";

struct Opcoes {
    QString origem, destino, senha, relatorio, exportar, medidas, json, html, desfazer;
    QString empresa;
    QStringList areas;
    bool tudo = false, listarEmpresas = false, tabelas = false, ajuda = false, temSenha = false;
    bool simular = false, reimportar = false, semCopia = false;
};

[[noreturn]] void usoIncorreto(const QString& msg) {
    std::fprintf(stderr, "importador-cli: %s\nUse --help para ver as opções.\n", qUtf8Printable(msg));
    std::exit(UsoIncorreto);
}

Opcoes analisa(const QStringList& args) {
    Opcoes o;
    auto valor = [&](qsizetype& i) -> QString {
        if (i + 1 >= args.size()) usoIncorreto(QString("a opção %1 precisa de um valor.").arg(args[i]));
        return args[++i];
    };
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--origem") o.origem = valor(i);
        else if (a == "--destino") o.destino = valor(i);
        else if (a == "--empresa") o.empresa = valor(i);
        else if (a == "--senha") {
            o.senha = valor(i);
            o.temSenha = true;
        } else if (a == "--relatorio") o.relatorio = valor(i);
        else if (a == "--medidas") o.medidas = valor(i);
        else if (a == "--json") o.json = valor(i);
        else if (a == "--html") o.html = valor(i);
        else if (a == "--desfazer") o.desfazer = valor(i);
        else if (a == "--simular") o.simular = true;
        else if (a == "--reimportar") o.reimportar = true;
        else if (a == "--sem-copia") o.semCopia = true;
        else if (a == "--exportar") o.exportar = valor(i);
        else if (a == "--areas") {
            for (const QString& area : valor(i).split(';', Qt::SkipEmptyParts))
                if (!area.trimmed().isEmpty()) o.areas << area.trimmed();
            if (o.areas.isEmpty()) usoIncorreto("--areas não indica nenhuma área.");
        } else if (a == "--tudo") o.tudo = true;
        else if (a == "--listar-empresas") o.listarEmpresas = true;
        else if (a == "--tabelas") o.tabelas = true;
        else if (a == "-h" || a == "--help" || a == "--ajuda") o.ajuda = true;
        else usoIncorreto(QString("opção desconhecida: %1").arg(a));
    }
    return o;
}

void escreve(FILE* f, const QString& texto) {
    const QByteArray b = texto.toUtf8();
    std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), f);
    std::fflush(f);
}

std::unique_ptr<db::Conexao> abreOrigem(const QString& arquivo) {
    auto c = std::make_unique<db::Conexao>();
    c->setConnectionString(db::MontaConnectionString(arquivo, SenhaBancoDados));
    c->open();
    return c;
}

QString campoCsv(const db::Campo& c) {
    if (c.isNull()) return {};
    const QVariant v = c.asVariant();
    switch (c.tipo()) {
    case db::TipoCampo::Inteiro:
        return QString::number(c.asInteger());
    case db::TipoCampo::Flutuante:
    case db::TipoCampo::Moeda:
        return QString::number(c.asFloat(), 'g', QLocale::FloatingPointShortest);
    case db::TipoCampo::Booleano:
        return c.asBoolean() ? "1" : "0";
    case db::TipoCampo::DataHora:
        if (v.typeId() == QMetaType::QDateTime) return '"' + db::DataHoraParaIso(v.toDateTime()) + '"';
        break;
    case db::TipoCampo::Binario:
        if (v.typeId() == QMetaType::QByteArray) return '"' + QString::fromLatin1(v.toByteArray().toHex().toUpper()) + '"';
        break;
    default:
        break;
    }
    QString t = c.asString();
    return '"' + t.replace('"', "\"\"") + '"';
}

int exporta(const Opcoes& o) {
    auto con = abreOrigem(o.origem);
    if (!con->existeTabela(o.exportar))
        throw Erro(db::MensagemTabelaInexistente(o.exportar));
    db::Consulta q(con.get(), "select * from [" + o.exportar + "]");
    q.open();
    QStringList cabecalho;
    for (const auto& c : q.fields()) cabecalho << c->fieldName();
    escreve(stdout, cabecalho.join(',') + "\n");
    while (!q.eof()) {
        QStringList valores;
        for (const auto& c : q.fields()) valores << campoCsv(*c);
        escreve(stdout, valores.join(',') + "\n");
        q.next();
    }
    return Sucesso;
}

// The middle of the text report: the verification, then where the copy
// of the destination is (or that nothing was written, for a dry run).
QString TextoSeguranca(const ResultadoImportacao& r, bool simulacao) {
    QString t;
    if (!r.verificacao.isEmpty()) {
        t += "\n" + ResumoVerificacao(r.verificacao) + "\n";
        for (const QString& linha : TextosVerificacao(r.verificacao)) t += linha + "\n";
    }
    if (simulacao && r.concluida) {
        t += "\nSimulação: a importação foi feita numa cópia temporária; o destino não foi alterado.\n";
    } else if (!r.preparacao.copiaSeguranca.isEmpty()) {
        t += "\nCópia de segurança do destino: " + r.preparacao.copiaSeguranca + "\n";
        t += "Para desfazer a importação: importador-cli --desfazer \"" + r.preparacao.copiaSeguranca + "\"\n";
    }
    return t;
}

void GravaOuAvisa(const QString& arquivo, const QByteArray& conteudo, const char* oque) {
    try {
        GravaArquivo(arquivo, conteudo);
    } catch (const Erro& e) {
        std::fprintf(stderr, "Não foi possível gravar %s: %s\n", oque, qUtf8Printable(e.mensagem()));
    }
}

int importa(const Opcoes& o) {
    if (o.destino.isEmpty()) usoIncorreto("falta --destino.");
    if (o.empresa.isEmpty()) usoIncorreto("falta --empresa (veja --listar-empresas).");
    if (!o.tudo && o.areas.isEmpty()) usoIncorreto("indique --tudo ou --areas.");
    if (o.tudo && !o.areas.isEmpty()) usoIncorreto("use --tudo ou --areas, não os dois.");
    bool ok = false;
    PedidoImportacao pedido;
    pedido.empresa = o.empresa.toLongLong(&ok);
    if (!ok) usoIncorreto(QString("o código de empresa '%1' não é um número.").arg(o.empresa));
    pedido.origem = o.origem;
    pedido.destino = o.destino;
    pedido.senha = o.senha;
    pedido.areas = o.areas;
    pedido.verifica = true;
    pedido.registra = true;
    pedido.reimporta = o.reimportar;
    pedido.simulacao = o.simular;
    pedido.copiaSeguranca = !o.semCopia && !o.simular;

    Tdm dm;
    JanelaConsole janela(dm, stderr);
    dm.setJanela(&janela);
    pedido.aoPreparar = [&](const PreparacaoImportacao& p) {
        if (!p.repetidas.isEmpty())
            escreve(stderr, "Aviso: " + TextoRecusaReimportacao(p.repetidas, p.areas, p.empresa, p.nomeEmpresa) +
                                " Importando novamente, como pedido por --reimportar.\n");
        janela.definePrevisao(p.linhasPrevistas());
    };
    QString erroFatal;
    bool repetida = false;
    ResultadoImportacao resultado;
    // Seconds per area: from its announcement to the next one.
    QElapsedTimer relogio;
    QList<QPair<QString, double>> tempos;
    auto fechaTempo = [&] {
        if (!tempos.isEmpty() && tempos.last().second < 0) tempos.last().second = relogio.nsecsElapsed() / 1e9;
    };
    // The verification after the run is not part of the last area's time.
    pedido.aoConcluir = fechaTempo;
    try {
        ImportaSemJanela(
            dm, janela, pedido,
            [&](int passo, const QString& area, bool marcada) {
                fechaTempo();
                janela.anuncia(passo, area, marcada);
                if (marcada) {
                    tempos.append({area, -1});
                    relogio.start();
                }
            },
            &resultado);
    } catch (const ErroReimportacao& e) {
        erroFatal = e.mensagem() + " Para importar mesmo assim, use --reimportar.";
        repetida = true;
    } catch (const std::exception& e) {
        const auto* erro = dynamic_cast<const Erro*>(&e);
        erroFatal = erro ? erro->mensagem() : QString::fromUtf8(e.what());
    }
    fechaTempo();
    janela.conclui();
    if (!o.medidas.isEmpty()) {
        QString texto = "area\tlinhas\tsegundos\n";
        for (const auto& [area, segundos] : tempos) {
            qint64 linhas = 0;
            for (const LinhaResumo& l : janela.resumo)
                if (l.cadastro == area) linhas += l.total.toLongLong();
            texto += QString("%1\t%2\t%3\n").arg(area).arg(linhas).arg(segundos, 0, 'f', 6);
        }
        QSaveFile f(o.medidas);
        if (!f.open(QIODevice::WriteOnly) || f.write(texto.toUtf8()) < 0 || !f.commit())
            std::fprintf(stderr, "Não foi possível gravar as medidas em '%s'.\n", qUtf8Printable(o.medidas));
    }
    const QString relatorio = TextoRelatorio(janela, TextoSeguranca(resultado, o.simular));
    escreve(stdout, relatorio);
    if (!o.relatorio.isEmpty()) {
        QSaveFile f(o.relatorio);
        if (!f.open(QIODevice::WriteOnly) || f.write(relatorio.toUtf8()) < 0 || !f.commit())
            std::fprintf(stderr, "Não foi possível gravar o relatório em '%s': %s\n", qUtf8Printable(o.relatorio),
                         qUtf8Printable(f.errorString()));
    }
    if (!o.json.isEmpty() || !o.html.isEmpty()) {
        PreparacaoImportacao p = resultado.preparacao;
        if (!resultado.preparada) {
            // The run stopped before it was prepared: the request says the rest.
            p.origem = QFileInfo(o.origem).absoluteFilePath();
            p.destino = QFileInfo(o.destino).absoluteFilePath();
            p.empresa = pedido.empresa;
            p.instante = QDateTime::currentDateTime();
            p.instante = p.instante.addMSecs(-p.instante.time().msec());
        }
        RelatorioImportacao rel = MontaRelatorio(p, janela.resumo, janela.textoExcecoes(), resultado.verificacao);
        rel.simulacao = o.simular;
        rel.erro = erroFatal;
        // Without --reimportar the earlier imports were a refusal, not a repetition.
        if (repetida) rel.repetidas.clear();
        if (!o.json.isEmpty()) GravaOuAvisa(o.json, RelatorioEmJson(rel).toJson(QJsonDocument::Indented), "o JSON");
        if (!o.html.isEmpty()) GravaOuAvisa(o.html, RelatorioEmHtml(rel).toUtf8(), "o HTML");
    }
    if (!erroFatal.isEmpty()) {
        if (!resultado.preparacao.copiaSeguranca.isEmpty())
            escreve(stderr, "O destino foi copiado antes da importação; para voltar a ele: importador-cli --desfazer \"" +
                                resultado.preparacao.copiaSeguranca + "\"\n");
        escreve(stderr, "Erro: " + erroFatal + "\n");
        return repetida ? Repetida : ErroExecucao;
    }
    bool falhas = !janela.excecoes.isEmpty();
    for (const LinhaResumo& l : janela.resumo) falhas = falhas || l.naoImportados != "0";
    for (const VerificacaoArea& v : resultado.verificacao) falhas = falhas || !v.confere();
    return falhas ? ComFalhas : Sucesso;
}

int desfaz(const Opcoes& o) {
    QString destino = o.destino;
    if (destino.isEmpty()) {
        const auto derivado = DestinoDaCopia(o.desfazer);
        if (!derivado)
            usoIncorreto(QString("'%1' não tem o nome de uma cópia de segurança "
                                 "(ARQUIVO.antes-da-importacao-AAAAMMDD-HHMMSS.EXT): indique --destino.")
                             .arg(o.desfazer));
        destino = *derivado;
    }
    DesfazImportacao(o.desfazer, destino);
    escreve(stdout, "Importação desfeita: '" + destino + "' voltou a ser a cópia '" + o.desfazer + "'.\n");
    return Sucesso;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Opcoes o = analisa(app.arguments());
    if (o.ajuda) {
        escreve(stdout, kAjuda);
        return Sucesso;
    }
    try {
        if (!o.desfazer.isEmpty()) return desfaz(o);
        if (o.origem.isEmpty()) usoIncorreto("falta --origem.");
        if (o.listarEmpresas) {
            auto con = abreOrigem(o.origem);
            db::Consulta q(con.get(), "select codigo, nome from empresa order by codigo");
            q.open();
            while (!q.eof()) {
                escreve(stdout, q.fieldByName("codigo").asString() + "\t" + q.fieldByName("nome").asString() + "\n");
                q.next();
            }
            return Sucesso;
        }
        if (o.tabelas) {
            auto con = abreOrigem(o.origem);
            for (const QString& t : con->tabelas()) escreve(stdout, t + "\n");
            return Sucesso;
        }
        if (!o.exportar.isEmpty()) return exporta(o);
        return importa(o);
    } catch (const std::exception& e) {
        const auto* erro = dynamic_cast<const Erro*>(&e);
        escreve(stderr, "Erro: " + (erro ? erro->mensagem() : QString::fromUtf8(e.what())) + "\n");
        return ErroExecucao;
    }
}
