// importador-cli: the import of the old edition's data without a window.
#include "dados.h"
#include "db/consulta.h"
#include "erros.h"
#include "funcoes.h"
#include "janela_console.h"
#include "relatorio.h"
#include "rotina.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <cstdio>

using namespace tarvo;

namespace {

enum Saida { Sucesso = 0, ComFalhas = 1, UsoIncorreto = 2, ErroExecucao = 3 };

const char* kAjuda = R"(Uso:
  importador-cli --origem ARQUIVO --empresa CODIGO --destino ARQUIVO [--senha SENHA]
                 (--tudo | --areas "Área;Área;...") [--relatorio ARQUIVO]
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
  --relatorio ARQUIVO   Grava também o resumo e as exceções neste arquivo.
  --medidas ARQUIVO     Grava, por área importada, as linhas lidas e os
                        segundos gastos (texto separado por tabulações).
  --listar-empresas     Mostra as empresas do banco antigo (código e nome).
  --tabelas             Mostra as tabelas do banco antigo.
  --exportar TABELA     Escreve a tabela do banco antigo em CSV na saída
                        padrão (datas AAAA-MM-DD HH:MM:SS, sim/não como 1/0,
                        números com ponto decimal, binários em hexadecimal).
  -h, --help            Mostra esta ajuda.

Durante a importação o progresso aparece na saída de erros; ao final, a
saída padrão recebe o resumo (Cadastro, Total, Importados, Não Importados,
em ordem de Cadastro) e as exceções ocorridas, como o assistente as mostra.

Códigos de saída:
  0  todos os registros foram importados, sem exceções;
  1  a importação terminou, mas houve exceções (registros não importados,
     campos não copiados ou tabelas não encontradas);
  2  uso incorreto (opção desconhecida ou faltando);
  3  a importação não pôde ser feita ou foi interrompida por um erro.
)";

struct Opcoes {
    QString origem, destino, senha, relatorio, exportar, medidas;
    QString empresa;
    QStringList areas;
    bool tudo = false, listarEmpresas = false, tabelas = false, ajuda = false, temSenha = false;
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

    Tdm dm;
    JanelaConsole janela(dm, stderr);
    dm.setJanela(&janela);
    QString erroFatal;
    // Seconds per area: from its announcement to the next one.
    QElapsedTimer relogio;
    QList<QPair<QString, double>> tempos;
    auto fechaTempo = [&] {
        if (!tempos.isEmpty() && tempos.last().second < 0) tempos.last().second = relogio.nsecsElapsed() / 1e9;
    };
    try {
        ImportaSemJanela(dm, janela, pedido, [&](int passo, const QString& area, bool marcada) {
            fechaTempo();
            janela.anuncia(passo, area, marcada);
            if (marcada) {
                tempos.append({area, -1});
                relogio.start();
            }
        });
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
    const QString relatorio = TextoRelatorio(janela);
    escreve(stdout, relatorio);
    if (!o.relatorio.isEmpty()) {
        QSaveFile f(o.relatorio);
        if (!f.open(QIODevice::WriteOnly) || f.write(relatorio.toUtf8()) < 0 || !f.commit())
            std::fprintf(stderr, "Não foi possível gravar o relatório em '%s': %s\n", qUtf8Printable(o.relatorio),
                         qUtf8Printable(f.errorString()));
    }
    if (!erroFatal.isEmpty()) {
        escreve(stderr, "Erro: " + erroFatal + "\n");
        return ErroExecucao;
    }
    bool falhas = !janela.excecoes.isEmpty();
    for (const LinhaResumo& l : janela.resumo) falhas = falhas || l.naoImportados != "0";
    return falhas ? ComFalhas : Sucesso;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Opcoes o = analisa(app.arguments());
    if (o.ajuda) {
        escreve(stdout, kAjuda);
        return Sucesso;
    }
    if (o.origem.isEmpty()) usoIncorreto("falta --origem.");
    try {
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
