// importador-amostra: writes sample databases for the importer's
// demonstrations, tests and benchmarks.
#include "amostra/gerador.h"
#include "erros.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <limits>

using namespace tarvo;
using namespace tarvo::amostra;

namespace {

constexpr char kAjuda[] = R"(Uso: importador-amostra COMANDO ARGUMENTOS [OPÇÕES]

Gera bancos de dados de exemplo para o Importador do Tarvo Pessoal + Veículos.

Comandos:
  antiga ARQUIVO [--empresas N] [--linhas N] [--semente S]
      Banco da edição antiga (um arquivo SQLite; pode ter a extensão .mdb).
        --empresas N   número de empresas, de 1 a 1000 (padrão: 3)
        --linhas N     linhas de CADA tabela de lançamentos (padrão: 200);
                       as demais tabelas crescem na mesma proporção
        --semente S    semente dos dados (padrão: 1): a mesma semente gera
                       sempre o mesmo arquivo
  nova ARQUIVO [--senha SENHA]
      Banco vazio de um usuário da edição nova, com os dados iniciais da
      edição; sem --senha, o usuário não tem senha.
  usuarios PASTA ARQUIVO...
      Banco de usuários PASTA/Dados/Usuarios.zqd, que lista os bancos de
      usuário ARQUIVO... pelo caminho completo.
  demo PASTA
      Pasta de demonstração: TarvoPessoal.mdb (3 empresas), usuarios/ana.tpv
      (sem senha), usuarios/bruno.tpv (senha "tarvo123"), Dados/Usuarios.zqd
      e registro-usuario.reg, o registro do usuário com o caminho do banco
      antigo (aponte TARVO_REGISTRO_USUARIO para ele).

Opções de todos os comandos:
  --sobrescrever   substitui os arquivos que já existem (sem ela, recusa)
  -h, --help       mostra esta ajuda

Código de saída: 0 sucesso, 1 falha, 2 uso incorreto.
)";

constexpr char kPrograma[] = "importador-amostra";

// A command line that does not make sense: exit status 2.
struct ErroUso {
    QString mensagem;
};

void Escreve(std::FILE* saida, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), saida);
}

QString Numero(qint64 n) { return QLocale(QLocale::Portuguese, QLocale::Brazil).toString(n); }

// The command's arguments: positionals, options with a value and the flag.
struct Linha {
    QStringList posicionais;
    QHash<QString, QString> valores;
    bool sobrescrever = false;
};

Linha Analisa(const QStringList& argumentos, const QStringList& opcoesComValor) {
    Linha r;
    bool soPosicionais = false;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (soPosicionais || !a.startsWith('-') || a == "-") {
            r.posicionais << a;
            continue;
        }
        if (a == "--") {
            soPosicionais = true;
            continue;
        }
        const qsizetype igual = a.indexOf('=');
        const QString nome = igual < 0 ? a : a.left(igual);
        if (nome == "--sobrescrever") {
            if (igual >= 0) throw ErroUso{"a opção --sobrescrever não recebe valor."};
            r.sobrescrever = true;
            continue;
        }
        if (!opcoesComValor.contains(nome)) throw ErroUso{QString("opção desconhecida: %1").arg(a)};
        if (r.valores.contains(nome)) throw ErroUso{QString("a opção %1 foi dada mais de uma vez.").arg(nome)};
        QString valor;
        if (igual >= 0) valor = a.mid(igual + 1);
        else if (i + 1 < argumentos.size()) valor = argumentos[++i];
        else throw ErroUso{QString("falta o valor da opção %1.").arg(nome)};
        r.valores.insert(nome, valor);
    }
    return r;
}

qint64 Inteiro(const Linha& linha, const QString& opcao, qint64 padrao, qint64 minimo, qint64 maximo) {
    if (!linha.valores.contains(opcao)) return padrao;
    const QString texto = linha.valores.value(opcao);
    bool ok = false;
    const qint64 v = texto.toLongLong(&ok);
    if (!ok || v < minimo || v > maximo)
        throw ErroUso{QString("valor inválido para %1: '%2' (esperado um número inteiro de %3 a %4).")
                          .arg(opcao, texto, Numero(minimo), Numero(maximo))};
    return v;
}

void ExigePosicionais(const Linha& linha, const QString& comando, qsizetype minimo, qsizetype maximo,
                      const QString& uso) {
    const qsizetype n = linha.posicionais.size();
    if (n < minimo) throw ErroUso{QString("o comando %1 precisa %2.").arg(comando, uso)};
    if (n > maximo)
        throw ErroUso{QString("argumento a mais para o comando %1: '%2'.").arg(comando, linha.posicionais[maximo])};
}

void EscreveContagens(const QList<ContagemTabela>& contagens) {
    qint64 total = 0;
    for (const ContagemTabela& c : contagens) {
        Escreve(stdout, QString("  %1 %2\n").arg(c.tabela.leftJustified(30, ' '), Numero(c.linhas).rightJustified(13)));
        total += c.linhas;
    }
    Escreve(stdout,
            QString("  %1 %2\n").arg(QString("total").leftJustified(30, ' '), Numero(total).rightJustified(13)));
}

int Antiga(const QStringList& argumentos) {
    const Linha linha = Analisa(argumentos, {"--empresas", "--linhas", "--semente"});
    ExigePosicionais(linha, "antiga", 1, 1, "do nome do ARQUIVO a gravar");
    OpcoesAntiga opcoes;
    opcoes.empresas = static_cast<int>(Inteiro(linha, "--empresas", opcoes.empresas, 1, 1000));
    opcoes.linhas = Inteiro(linha, "--linhas", opcoes.linhas, 0, std::numeric_limits<qint32>::max());
    if (linha.valores.contains("--semente")) {
        bool ok = false;
        const QString texto = linha.valores.value("--semente");
        opcoes.semente = texto.toULongLong(&ok);
        if (!ok)
            throw ErroUso{QString("valor inválido para --semente: '%1' (esperado um número inteiro não negativo).")
                              .arg(texto)};
    }
    opcoes.sobrescrever = linha.sobrescrever;
    const QString arquivo = QFileInfo(linha.posicionais[0]).absoluteFilePath();
    const QList<ContagemTabela> contagens = GeraBaseAntiga(arquivo, opcoes);
    Escreve(stdout, QString("Banco da edição antiga gravado em %1\n"
                            "  %2 empresas, %3 linhas em cada tabela de lançamentos, semente %4\n")
                        .arg(arquivo, Numero(opcoes.empresas), Numero(opcoes.linhas))
                        .arg(opcoes.semente));
    EscreveContagens(contagens);
    return 0;
}

int Nova(const QStringList& argumentos) {
    const Linha linha = Analisa(argumentos, {"--senha"});
    ExigePosicionais(linha, "nova", 1, 1, "do nome do ARQUIVO a gravar");
    const QString arquivo = QFileInfo(linha.posicionais[0]).absoluteFilePath();
    const QString senha = linha.valores.value("--senha");
    if (linha.valores.contains("--senha") && senha.isEmpty())
        throw ErroUso{"a senha dada em --senha está vazia; para um usuário sem senha, omita a opção."};
    GeraBaseNova(arquivo, senha, linha.sobrescrever);
    Escreve(stdout, QString("Banco de usuário da edição nova gravado em %1 (%2)\n")
                        .arg(arquivo, senha.isEmpty() ? QString("usuário sem senha") : QString("usuário com senha")));
    return 0;
}

int Usuarios(const QStringList& argumentos) {
    const Linha linha = Analisa(argumentos, {});
    ExigePosicionais(linha, "usuarios", 2, std::numeric_limits<qsizetype>::max(),
                     "da PASTA e de pelo menos um ARQUIVO de usuário");
    const QStringList bases = linha.posicionais.mid(1);
    const QString arquivo = GeraBaseUsuarios(linha.posicionais[0], bases, linha.sobrescrever);
    Escreve(stdout, QString("Banco de usuários gravado em %1, listando:\n").arg(arquivo));
    for (const QString& base : bases) Escreve(stdout, QString("  %1\n").arg(QFileInfo(base).absoluteFilePath()));
    return 0;
}

int Demo(const QStringList& argumentos) {
    const Linha linha = Analisa(argumentos, {});
    ExigePosicionais(linha, "demo", 1, 1, "da PASTA a preencher");
    const ResumoDemo r = GeraDemo(linha.posicionais[0], linha.sobrescrever);
    Escreve(stdout, QString("Demonstração gravada:\n"
                            "  banco antigo:        %1 (3 empresas)\n"
                            "  usuário ana:         %2 (sem senha)\n"
                            "  usuário bruno:       %3 (senha \"%4\")\n"
                            "  banco de usuários:   %5\n"
                            "  registro do usuário: %6\n"
                            "Linhas do banco antigo:\n")
                        .arg(r.baseAntiga, r.basesNovas.value(0), r.basesNovas.value(1),
                             QString::fromLatin1(SenhaDemoBruno), r.baseUsuarios, r.registro));
    EscreveContagens(r.linhasAntiga);
    Escreve(stdout, QString("Para que o importador ache o banco antigo: export TARVO_REGISTRO_USUARIO='%1'\n")
                        .arg(r.registro));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication aplicacao(argc, argv);
    QStringList argumentos = QCoreApplication::arguments().mid(1);
    try {
        if (argumentos.isEmpty()) throw ErroUso{"falta o comando (antiga, nova, usuarios ou demo)."};
        if (argumentos.contains("-h") || argumentos.contains("--help") || argumentos.first() == "ajuda") {
            Escreve(stdout, QString::fromUtf8(kAjuda));
            return 0;
        }
        const QString comando = argumentos.takeFirst();
        if (comando == "antiga") return Antiga(argumentos);
        if (comando == "nova") return Nova(argumentos);
        if (comando == "usuarios") return Usuarios(argumentos);
        if (comando == "demo") return Demo(argumentos);
        throw ErroUso{QString("comando desconhecido: '%1' (use antiga, nova, usuarios ou demo).").arg(comando)};
    } catch (const ErroUso& e) {
        Escreve(stderr, QString("%1: %2\nUse '%1 --help' para ver o uso.\n").arg(kPrograma, e.mensagem));
        return 2;
    } catch (const ErroArquivoExiste& e) {
        Escreve(stderr, QString("%1: %2 Use --sobrescrever para substituí-lo.\n").arg(kPrograma, e.mensagem()));
        return 1;
    } catch (const Erro& e) {
        Escreve(stderr, QString("%1: %2\n").arg(kPrograma, e.mensagem()));
        return 1;
    } catch (const std::exception& e) {
        Escreve(stderr, QString("%1: falha inesperada: %2\n").arg(kPrograma, QString::fromUtf8(e.what())));
        return 1;
    }
}
