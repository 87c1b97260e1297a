// The seeds of each fuzz target (fuzz/corpus/<alvo>/) and every input that
// once made it fail (fuzz/regressoes/<alvo>/), fed again to the same code the
// target runs (fuzz/exercicios.h): the same entry point, the same promised
// properties. Each input runs in a child process, so that a crash fails this
// test naming the file instead of ending the whole suite; in the sanitizer
// build the child also stops on any sanitizer report, leaks included.
// An input made from a sample .mdb file is kept as its difference from the
// sample (a ".remendo" file), since the samples stay out of the repository.
#include "../../fuzz/exercicios.h"

#include "apoio/pasta_temporaria.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <vector>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TARVO_COM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVO_COM_ASAN 1
#endif
#endif
#ifdef TARVO_COM_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace tarvo {
namespace {

// `temporario`: a file the input may be written to (the .mdb reader opens
// files, not bytes).
using Exercicio = void (*)(const QString& temporario, const QByteArray& entrada);

const uint8_t* Bytes(const QByteArray& entrada) { return reinterpret_cast<const uint8_t*>(entrada.constData()); }

struct Alvo {
    const char* nome;  // the fuzz target, and its folders' name
    Exercicio exercicio;
};

const Alvo kAlvos[] = {
    {"fuzz_rtf", [](const QString&, const QByteArray& e) { fuzz::ExercitaRtf(Bytes(e), size_t(e.size())); }},
    {"fuzz_criptografa",
     [](const QString&, const QByteArray& e) { fuzz::ExercitaCriptografa(Bytes(e), size_t(e.size())); }},
    {"fuzz_tradutor_sql",
     [](const QString&, const QByteArray& e) { fuzz::ExercitaTradutorSql(Bytes(e), size_t(e.size())); }},
    {"fuzz_conexao", [](const QString&, const QByteArray& e) { fuzz::ExercitaConexao(Bytes(e), size_t(e.size())); }},
    {"fuzz_mdb", [](const QString& t, const QByteArray& e) { fuzz::ExercitaMdb(t, Bytes(e), size_t(e.size())); }},
};

// Findings not fixed yet. Such a file still fails, and the test is skipped
// naming the bug; once the bug is fixed the file passes like any other and
// its line here goes.
struct BugConhecido {
    const char* alvo;
    const char* arquivo;
    const char* causa;
};
const std::vector<BugConhecido> kBugsConhecidos = {};

const char* CausaConhecida(const char* alvo, const QString& arquivo) {
    for (const BugConhecido& b : kBugsConhecidos)
        if (qstrcmp(b.alvo, alvo) == 0 && arquivo == QLatin1String(b.arquivo)) return b.causa;
    return nullptr;
}

// The input a ".remendo" file describes: lines "amostra NAME" (a file of
// the sample folder), "sha256 HEX" (that file's digest) and "OFFSET VALUE"
// (hexadecimal: the byte at OFFSET becomes VALUE); "#" starts a comment.
// Empty, with `ausente` set, when the sample folder is not there; a malformed
// file or a different sample fails the test.
QByteArray AplicaRemendo(const QString& caminho, bool& ausente) {
    ausente = false;
    QString amostra, sha256;
    QList<QPair<qsizetype, char>> trocas;
    const QStringList linhas = QString::fromUtf8(testes::LeArquivo(caminho)).split(QLatin1Char('\n'));
    for (const QString& linha : linhas) {
        const QStringList partes = linha.section(QLatin1Char('#'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (partes.isEmpty()) continue;
        bool ok1 = false, ok2 = false;
        if (partes.size() == 2 && partes[0] == QLatin1String("amostra")) {
            amostra = partes[1];
        } else if (partes.size() == 2 && partes[0] == QLatin1String("sha256")) {
            sha256 = partes[1];
        } else if (partes.size() == 2) {
            const qsizetype pos = partes[0].toLongLong(&ok1, 16);
            const int valor = partes[1].toInt(&ok2, 16);
            if (!ok1 || !ok2 || valor < 0 || valor > 255) {
                ADD_FAILURE() << "linha inválida: " << linha.toStdString();
                return {};
            }
            trocas.append({pos, char(valor)});
        } else {
            ADD_FAILURE() << "linha inválida: " << linha.toStdString();
            return {};
        }
    }
    if (amostra.isEmpty() || sha256.isEmpty() || trocas.isEmpty()) {
        ADD_FAILURE() << "faltam a amostra, o sha256 ou as trocas";
        return {};
    }
    const QString base = QStringLiteral(TARVO_AMOSTRAS_MDB "/") + amostra;
    if (!QFileInfo::exists(QStringLiteral(TARVO_AMOSTRAS_MDB))) {
        ausente = true;
        return {};
    }
    QByteArray entrada = testes::LeArquivo(base);
    if (QCryptographicHash::hash(entrada, QCryptographicHash::Sha256).toHex() != sha256.toLatin1()) {
        ADD_FAILURE() << base.toStdString() << " não é a amostra de que a entrada foi feita";
        return {};
    }
    for (const auto& [pos, valor] : trocas) {
        if (pos >= entrada.size()) {
            ADD_FAILURE() << "posição 0x" << std::hex << pos << " além do fim da amostra";
            return {};
        }
        entrada[pos] = valor;
    }
    return entrada;
}

// Runs `f` in a child process whose standard error goes to `saidaErros`.
// Returns how the child failed, or the empty text when it ended normally.
QString ExecutaEmProcessoFilho(const std::function<void()>& f, const QString& saidaErros) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return QStringLiteral("fork falhou: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (pid == 0) {
        const int fd = open(QFile::encodeName(saidaErros).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) dup2(fd, STDERR_FILENO);
        try {
            f();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "exceção não documentada: %s\n", e.what());
            _exit(3);
        } catch (...) {
            std::fprintf(stderr, "exceção não documentada\n");
            _exit(3);
        }
#ifdef TARVO_COM_ASAN
        // _exit skips the check LeakSanitizer makes at exit; a leak makes
        // this call end the child with an error.
        __lsan_do_leak_check();
#endif
        _exit(0);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return QStringLiteral("waitpid falhou");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    if (WIFSIGNALED(status))
        return QStringLiteral("terminou pelo sinal %1 (%2)")
            .arg(WTERMSIG(status))
            .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status))));
    return QStringLiteral("saiu com o código %1").arg(WEXITSTATUS(status));
}

void PrintTo(const Alvo& alvo, std::ostream* saida) { *saida << alvo.nome; }

class RegressoesFuzz : public ::testing::TestWithParam<Alvo> {};

TEST_P(RegressoesFuzz, SementesEAchadosPassamSemFalhar) {
    const Alvo& alvo = GetParam();
    testes::PastaTemporaria pasta;
    const QString temporario = pasta.arquivo(QStringLiteral("entrada"));
    const QString erros = pasta.arquivo(QStringLiteral("erros.txt"));
    QStringList bugs, semAmostra;
    int sementes = 0;
    for (const char* grupo : {"corpus", "regressoes"}) {
        const QDir dir(QStringLiteral(TARVO_PASTA_FONTES "/fuzz/%1/%2").arg(QLatin1String(grupo), QLatin1String(alvo.nome)));
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE(info.filePath().toStdString());
            if (qstrcmp(grupo, "corpus") == 0) ++sementes;
            QByteArray entrada;
            if (info.suffix() == QLatin1String("remendo")) {
                bool ausente = false;
                entrada = AplicaRemendo(info.filePath(), ausente);
                if (ausente) semAmostra.append(info.fileName());
                if (entrada.isEmpty()) continue;
            } else {
                entrada = testes::LeArquivo(info.filePath());
            }
            const QString falha = ExecutaEmProcessoFilho([&] { alvo.exercicio(temporario, entrada); }, erros);
            if (falha.isEmpty()) continue;
            if (const char* causa = CausaConhecida(alvo.nome, info.fileName())) {
                bugs.append(info.fileName() + QStringLiteral(": ") + QString::fromUtf8(causa));
                continue;
            }
            // The end of the report: the sanitizer's summary or the broken property.
            const QString relatorio = QString::fromUtf8(testes::LeArquivo(erros)).right(6000);
            ADD_FAILURE() << "o processo " << falha.toStdString() << "\n" << relatorio.toStdString();
        }
    }
    EXPECT_GT(sementes, 0) << "fuzz/corpus/" << alvo.nome << " não tem sementes";
    if (!bugs.isEmpty()) GTEST_SKIP() << "BUG: " << bugs.join(QStringLiteral("\nBUG: ")).toStdString();
    if (!semAmostra.isEmpty())
        GTEST_SKIP() << "sem a pasta de amostras " TARVO_AMOSTRAS_MDB ", não verificadas: "
                     << semAmostra.join(QStringLiteral(", ")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Alvos, RegressoesFuzz, ::testing::ValuesIn(kAlvos),
                         [](const ::testing::TestParamInfo<Alvo>& info) {
                             // fuzz_tradutor_sql -> TradutorSql
                             std::string nome;
                             bool maiuscula = true;
                             for (const char* c = info.param.nome + 5; *c; ++c) {
                                 if (*c == '_') {
                                     maiuscula = true;
                                     continue;
                                 }
                                 nome += maiuscula ? char(std::toupper(static_cast<unsigned char>(*c))) : *c;
                                 maiuscula = false;
                             }
                             return nome;
                         });

}  // namespace
}  // namespace tarvo
