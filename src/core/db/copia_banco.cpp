#include "db/copia_banco.h"

#include "erros.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>
#include <sqlite3.h>

namespace tarvo::db {

namespace {

struct FechaBanco {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using BancoProprio = std::unique_ptr<sqlite3, FechaBanco>;

struct FinalizaComando {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using ComandoProprio = std::unique_ptr<sqlite3_stmt, FinalizaComando>;

// A connection of its own on `arquivo`, outside the layer's pool: these
// operations work on whole files, not on tables.
BancoProprio AbreArquivo(const QString& arquivo, int modo) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(arquivo.toUtf8().constData(), &db, modo | SQLITE_OPEN_NOMUTEX, nullptr);
    BancoProprio banco(db);
    if (rc != SQLITE_OK) {
        const QString causa = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        throw ErroBanco(QString("Não foi possível abrir o banco de dados '%1': %2.").arg(arquivo, causa));
    }
    sqlite3_extended_result_codes(db, 1);
    return banco;
}

QString CausaDe(sqlite3* db, int rc) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
}

}  // namespace

void CopiaBancoAberto(Conexao& conexao, const QString& arquivo, const std::function<void()>& aCadaBloco) {
    if (!conexao.connected() || conexao.backend() != Backend::SQLite)
        throw ErroBanco("Só é possível copiar um banco de dados SQLite aberto.");
    if (QFileInfo::exists(arquivo))
        throw ErroBanco(QString("A cópia '%1' não foi feita: já existe um arquivo com esse nome.").arg(arquivo));
    auto falha = [&](const QString& causa) {
        throw ErroBanco(QString("Não foi possível copiar o banco de dados '%1' para '%2': %3.")
                            .arg(conexao.arquivo(), arquivo, causa));
    };
    try {
        BancoProprio alvo = AbreArquivo(arquivo, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* copia = sqlite3_backup_init(alvo.get(), "main", conexao.handle(), "main");
        if (!copia) falha(CausaDe(alvo.get(), SQLITE_ERROR));
        // In blocks of pages, with the callback between them. A commit of
        // another connection in between makes SQLite start the copy over,
        // so the copy is still of one moment.
        // A busy or locked source fails the copy, as a single step would.
        constexpr int kPaginasPorBloco = 1024;  // 4 MB with SQLite's default pages
        int passo = SQLITE_OK;
        while ((passo = sqlite3_backup_step(copia, kPaginasPorBloco)) == SQLITE_OK)
            if (aCadaBloco) aCadaBloco();
        const int fim = sqlite3_backup_finish(copia);
        if (passo != SQLITE_DONE) falha(QString::fromUtf8(sqlite3_errstr(passo)));
        if (fim != SQLITE_OK) falha(CausaDe(alvo.get(), fim));
        const int fecha = sqlite3_close(alvo.release());
        if (fecha != SQLITE_OK) falha(QString::fromUtf8(sqlite3_errstr(fecha)));
    } catch (const ErroBanco&) {
        // The target's connection is closed by now: nothing of it remains.
        QFile::remove(arquivo);
        throw;
    }
}

void ConfereBanco(const QString& arquivo) {
    if (!QFileInfo(arquivo).isFile())
        throw ErroBanco(QString("Não foi possível encontrar o arquivo '%1'.").arg(arquivo));
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        throw ErroBanco(QString("Não foi possível abrir o arquivo '%1': %2.").arg(arquivo, f.errorString()));
    const bool ehSqlite = f.read(16) == QByteArray("SQLite format 3\0", 16);
    f.close();
    const QString danificado = QString("O arquivo '%1' não é um banco de dados íntegro: %2.");
    if (!ehSqlite) throw ErroBanco(danificado.arg(arquivo, "não é um banco de dados SQLite"));
    BancoProprio banco = AbreArquivo(arquivo, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(banco.get(), "PRAGMA quick_check", -1, &st, nullptr);
    ComandoProprio comando(st);
    if (rc != SQLITE_OK) throw ErroBanco(danificado.arg(arquivo, CausaDe(banco.get(), rc)));
    rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) throw ErroBanco(danificado.arg(arquivo, CausaDe(banco.get(), rc)));
    const QString resultado = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    if (resultado != "ok") throw ErroBanco(danificado.arg(arquivo, resultado));
}

void RestauraBanco(const QString& copia, const QString& arquivo) {
    ConfereBanco(copia);
    for (const char* sufixo : {"-journal", "-wal"}) {
        if (QFileInfo::exists(arquivo + sufixo))
            throw ErroBanco(QString("O banco de dados '%1' tem uma transação em andamento ou interrompida "
                                    "(arquivo '%2'): feche o programa que o usa e tente novamente.")
                                .arg(arquivo, arquivo + sufixo));
    }

    // An exclusive lock, taken without waiting, proves that no connection
    // is reading or writing the file now; it is held until the new content
    // has taken the file's place.
    BancoProprio trava;
    if (QFileInfo::exists(arquivo)) {
        trava = AbreArquivo(arquivo, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(trava.get(), 0);
        const int rc = sqlite3_exec(trava.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            throw ErroBanco(QString("O banco de dados '%1' está em uso por outro programa: feche-o e tente "
                                    "novamente.")
                                .arg(arquivo));
        if (rc != SQLITE_OK)
            throw ErroBanco(QString("Não foi possível reservar o banco de dados '%1': %2.")
                                .arg(arquivo, CausaDe(trava.get(), rc)));
    }

    QFile origem(copia);
    if (!origem.open(QIODevice::ReadOnly))
        throw ErroBanco(QString("Não foi possível abrir o arquivo '%1': %2.").arg(copia, origem.errorString()));
    QSaveFile alvo(arquivo);
    auto falha = [&](const QString& causa) {
        alvo.cancelWriting();
        throw ErroBanco(QString("Não foi possível restaurar '%1' a partir de '%2': %3.").arg(arquivo, copia, causa));
    };
    if (!alvo.open(QIODevice::WriteOnly)) falha(alvo.errorString());
    while (!origem.atEnd()) {
        const QByteArray bloco = origem.read(1 << 20);
        if (bloco.isEmpty() && origem.error() != QFileDevice::NoError) falha(origem.errorString());
        if (alvo.write(bloco) != bloco.size()) falha(alvo.errorString());
    }
    if (!alvo.commit())
        throw ErroBanco(QString("Não foi possível restaurar '%1' a partir de '%2': %3.")
                            .arg(arquivo, copia, alvo.errorString()));
    // The lock was on the file that has just been replaced: closing it
    // touches nothing of the new one.
    if (trava) sqlite3_exec(trava.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace tarvo::db
