// The seeds of each fuzz target (fuzz/corpus/<alvo>/) and every input that
// once made it fail (fuzz/regressoes/<alvo>/), fed again to the same code the
// target runs (fuzz/exercicios.h): the same entry point, the same promised
// properties. Each input runs in a child process, so that a crash fails this
// test naming the file instead of ending the whole suite; in the sanitizer
// build the child also stops on any sanitizer report, leaks included.
#include "../../fuzz/exercicios.h"

#include "apoio/pasta_temporaria.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

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
const BugConhecido kBugsConhecidos[] = {
    {"fuzz_tradutor_sql", "achado-format-parenteses.sql",
     "TraduzJetSql: Format( e 965 parênteses aninhados (achado do fuzz_tradutor_sql) estouram a pilha nos builds "
     "com AddressSanitizer (Tradutor::primaria -> expressao -> ... -> multiplicativa, tradutor_sql.cpp:564)"},
    {"fuzz_tradutor_sql", "parenteses-aninhados.sql",
     "TraduzJetSql desce recursivamente sem limite de profundidade: 10000 parênteses aninhados estouram a pilha "
     "(Tradutor::primaria -> expressao -> ou -> ... -> primaria, tradutor_sql.cpp) em vez de lançar ErroBanco"},
    {"fuzz_tradutor_sql", "funcoes-aninhadas.sql",
     "TraduzJetSql: 5000 Mid() aninhadas estouram a pilha pela mesma recursão sem limite (argumentos das funções)"},
    {"fuzz_tradutor_sql", "negacoes-encadeadas.sql",
     "TraduzJetSql: 25000 NOT seguidos estouram a pilha (Tradutor::negacao chama a si mesma sem limite)"},
    {"fuzz_tradutor_sql", "sinais-encadeados.sql",
     "TraduzJetSql: 60000 sinais de menos seguidos estouram a pilha (Tradutor::unaria chama a si mesma sem limite)"},
};

const char* CausaConhecida(const char* alvo, const QString& arquivo) {
    for (const BugConhecido& b : kBugsConhecidos)
        if (qstrcmp(b.alvo, alvo) == 0 && arquivo == QLatin1String(b.arquivo)) return b.causa;
    return nullptr;
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
    QStringList bugs;
    int sementes = 0;
    for (const char* grupo : {"corpus", "regressoes"}) {
        const QDir dir(QStringLiteral(TARVO_PASTA_FONTES "/fuzz/%1/%2").arg(QLatin1String(grupo), QLatin1String(alvo.nome)));
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE(info.filePath().toStdString());
            if (qstrcmp(grupo, "corpus") == 0) ++sementes;
            const QByteArray entrada = testes::LeArquivo(info.filePath());
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
