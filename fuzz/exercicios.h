#pragma once
// What each fuzz target does with one input, shared with the regression test
// (tests/core/regressoes_fuzz_test.cpp), which feeds the seeds and every saved
// finding to the same code. Each function calls one entry point of the core
// the way the program may meet it, swallows only the tarvo::Erro that the
// entry point documents, and checks the properties its contract promises; a
// broken promise aborts, which libFuzzer keeps as a finding like a crash.
#include "criptografa.h"
#include "db/arquivo_jet.h"
#include "db/conexao.h"
#include "db/tradutor_sql.h"
#include "erros.h"
#include "rtf.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tarvo::fuzz {

inline void Exige(bool condicao, const char* promessa) {
    if (condicao) return;
    std::fprintf(stderr, "Propriedade violada: %s\n", promessa);
    std::abort();
}

// The bytes read as UTF-8, as the program's texts are stored; an invalid
// sequence becomes U+FFFD, so every input is some text.
inline QString TextoDe(const uint8_t* dados, size_t tamanho) {
    return QString::fromUtf8(reinterpret_cast<const char*>(dados), qsizetype(tamanho));
}

struct FechaBanco {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Banco = std::unique_ptr<sqlite3, FechaBanco>;

struct FinalizaComando {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Comando = std::unique_ptr<sqlite3_stmt, FinalizaComando>;

inline Banco AbreBancoEmMemoria() {
    sqlite3* aberto = nullptr;
    const int rc = sqlite3_open(":memory:", &aberto);
    Banco db(aberto);
    Exige(rc == SQLITE_OK, "o banco em memória abre");
    return db;
}

// ---------------------------------------------------------------- fuzz_rtf

// LeRtf may refuse a text that does not begin with \rtf, nothing else;
// RtfParaTexto never fails, ends every line with CR LF and gives the empty
// text for the empty text.
inline void ExercitaRtf(const uint8_t* dados, size_t tamanho) {
    const QString texto = TextoDe(dados, tamanho);
    try {
        (void)LeRtf(texto);
    } catch (const Erro&) {
    }
    const QString plano = RtfParaTexto(texto);
    Exige(plano.isEmpty() || plano.endsWith(QStringLiteral("\r\n")), "RtfParaTexto termina cada linha com CR LF");
    Exige(!texto.isEmpty() || plano.isEmpty(), "RtfParaTexto do texto vazio é o texto vazio");
}

// -------------------------------------------------------- fuzz_criptografa

// The password scrambler, mainly in the unscrambling direction, which reads
// whatever a users database holds. The input is a key length (first byte, up
// to 63), the key, then the text. Unscrambling never fails; scrambling a text
// and unscrambling it under the same key gives it back; the Windows-1252
// conversions are inverse to each other on bytes.
// The stored format reduces modulo 255, so codes 0 and 255 may come back as
// each other (255 after a scrambled byte 255 comes back as 0, 0 as 255 unless
// after a 255): the round trip is checked on texts of codes 1 to 254.
inline void ExercitaCriptografa(const uint8_t* dados, size_t tamanho) {
    if (tamanho == 0) return;
    const size_t tamanhoChave = std::min<size_t>(dados[0] & 63, tamanho - 1);
    const QByteArray chave(reinterpret_cast<const char*>(dados + 1), qsizetype(tamanhoChave));
    const QByteArray texto(reinterpret_cast<const char*>(dados + 1 + tamanhoChave),
                           qsizetype(tamanho - 1 - tamanhoChave));

    // Each pair of hexadecimal digits after the seed gives at most one byte.
    const QByteArray aberto = Criptografa(texto, chave, false);
    Exige(aberto.size() <= texto.size() / 2, "cada byte vem de um par de dígitos");

    // The program-text form goes through Windows-1252 on both sides.
    (void)Criptografa(Cp1252ParaUtf8(texto), Cp1252ParaUtf8(chave), false);

    QByteArray plano = texto;
    plano.replace('\0', '\x01').replace('\xff', '\xfe');
    const QByteArray fechado = CriptografaComSemente(plano, chave, static_cast<uint8_t>(tamanho));
    Exige(fechado.size() == 2 + 2 * plano.size(), "o texto cifrado tem 2 + 2n dígitos");
    Exige(Criptografa(fechado, chave, false) == plano, "decifrar desfaz cifrar");

    Exige(Utf8ParaCp1252(Cp1252ParaUtf8(texto)) == texto, "Windows-1252 ida e volta");
}

// ------------------------------------------------------- fuzz_tradutor_sql

// Two tables whose rows hold the values that break arithmetic and formatting
// most easily: integer limits, huge and tiny reals, texts that read as numbers
// and that do not, empty texts, accents, nulls, blobs.
inline constexpr char kDadosSql[] = R"sql(
CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER, b TEXT, c REAL, d, "código" TEXT);
INSERT INTO t VALUES
  (1, 1, 'abc', 1.5, NULL, 'Ç'),
  (2, 9223372036854775807, ' 12 ', -2.5, 'x', 'ç'),
  (3, -9223372036854775808, '1e400', 1e308, '', NULL),
  (4, NULL, NULL, NULL, NULL, ''),
  (5, 0, '-0.5', -1e308, x'00ff', '1.10'),
  (6, -1, '9223372036854775808', 4.9e-324, 2147483648, 'Aluguel "Centro"'),
  (7, 2147483647, '', 0.5, -2.5, 'ação');
CREATE TABLE u (id INTEGER, t TEXT);
INSERT INTO u VALUES (1, '0'), (2, '00'), (NULL, 'x');
)sql";

// Stops a statement that runs too long (a cross product, a huge sort), so
// that a slow input is not taken for a hang.
inline int InterrompeSqlLongo(void* contador) { return ++*static_cast<int*>(contador) > 2000; }

// The translator may refuse a statement (ErroBanco), nothing else. What it
// translates runs on the tables above with the Jet functions registered, so
// that jet_mais, jet_concat, jet_format and JETNOCASE meet every kind of
// value; SQLite refusing or failing a translated statement (an unknown table
// or column, a type mismatch raised by a Jet function) is not a finding.
inline void ExercitaTradutorSql(const uint8_t* dados, size_t tamanho) {
    db::SqlTraduzido traduzido;
    try {
        traduzido = db::TraduzJetSql(TextoDe(dados, tamanho));
    } catch (const ErroBanco&) {
        return;
    }
    Exige(traduzido.tabelaBase.isEmpty() || traduzido.sql.startsWith(QStringLiteral("SELECT * FROM ")),
          "com tabelaBase, a tradução começa com SELECT * FROM");

    Banco banco = AbreBancoEmMemoria();
    // As the connections do: a double-quoted name is never taken for a text.
    sqlite3_db_config(banco.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(banco.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    db::RegistraFuncoesJet(banco.get());
    Exige(sqlite3_exec(banco.get(), kDadosSql, nullptr, nullptr, nullptr) == SQLITE_OK, "os dados de teste entram");

    int passos = 0;
    sqlite3_progress_handler(banco.get(), 1000, InterrompeSqlLongo, &passos);
    const QByteArray sql = traduzido.sql.toUtf8();
    sqlite3_stmt* preparado = nullptr;
    if (sqlite3_prepare_v2(banco.get(), sql.constData(), int(sql.size()), &preparado, nullptr) != SQLITE_OK) return;
    Comando comando(preparado);
    for (int linhas = 0; linhas < 1000 && sqlite3_step(comando.get()) == SQLITE_ROW; ++linhas)
        for (int c = 0; c < sqlite3_column_count(comando.get()); ++c) (void)sqlite3_column_text(comando.get(), c);
}

// ------------------------------------------------------------ fuzz_conexao

// The parser may refuse the text (ErroBanco: provider not Jet 4.0, no data
// source), nothing else. What it accepts names a file, and the text that
// MontaConnectionString makes for that file and password reads back as the
// same two values: quoting is what lets a path with ";" or quotes reach the
// right file.
inline void ExercitaConexao(const uint8_t* dados, size_t tamanho) {
    db::ParametrosConexao p;
    try {
        p = db::AnalisaConnectionString(TextoDe(dados, tamanho));
    } catch (const ErroBanco&) {
        return;
    }
    Exige(!p.arquivo.isEmpty(), "um texto aceito nomeia o arquivo");
    db::ParametrosConexao volta;
    try {
        volta = db::AnalisaConnectionString(db::MontaConnectionString(p.arquivo, p.senha));
    } catch (const ErroBanco&) {
        Exige(false, "o texto de MontaConnectionString é aceito");
    }
    Exige(volta.arquivo == p.arquivo, "MontaConnectionString preserva o arquivo");
    Exige(volta.senha == p.senha, "MontaConnectionString preserva a senha");
}

// ---------------------------------------------------------------- fuzz_mdb

inline bool ExisteTabela(sqlite3* db, const QString& nome) {
    sqlite3_stmt* preparado = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1, &preparado,
                       nullptr);
    Comando comando(preparado);
    const QByteArray utf8 = nome.toUtf8();
    sqlite3_bind_text(comando.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return sqlite3_step(comando.get()) == SQLITE_ROW;
}

// The bytes are written to `caminho` (overwritten), opened with ArquivoJet,
// and every table it lists is described and loaded into an in-memory SQLite
// database. A corrupted file never crashes the reader: what it cannot read
// throws ErroBanco, and a table whose load fails is not left in the
// destination.
inline void ExercitaMdb(const QString& caminho, const uint8_t* dados, size_t tamanho) {
    {
        QFile arquivo(caminho);
        Exige(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate), "o arquivo temporário abre");
        Exige(arquivo.write(reinterpret_cast<const char*>(dados), qint64(tamanho)) == qint64(tamanho),
              "o arquivo temporário é gravado");
    }
    std::unique_ptr<db::ArquivoJet> jet;
    try {
        jet = std::make_unique<db::ArquivoJet>(caminho);
    } catch (const ErroBanco&) {
        return;
    }
    const QString versao = jet->versao();
    Exige(versao == QLatin1String("JET3") || versao == QLatin1String("JET4"), "a versão é JET3 ou JET4");
    (void)jet->senha();

    Banco destino = AbreBancoEmMemoria();
    // Each table on its own: one that cannot be read must not hide the others.
    for (const QString& tabela : jet->tabelas()) {
        try {
            (void)jet->colunas(tabela);
        } catch (const ErroBanco&) {
        }
        try {
            jet->carregaTabela(tabela, destino.get());
            Exige(ExisteTabela(destino.get(), tabela), "uma tabela carregada existe no destino");
        } catch (const ErroBanco&) {
            Exige(!ExisteTabela(destino.get(), tabela), "uma carga que falha não deixa a tabela no destino");
        }
    }
}

}  // namespace tarvo::fuzz
