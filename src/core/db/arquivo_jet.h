#pragma once
// Read-only access to Jet 3 / Jet 4 (.mdb) files through libmdb.
#include "db/tipos.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

struct sqlite3;

namespace tarvo::db {

// True when the first bytes of a file (at least 0x20 of them) are a Jet
// database header, whatever the file's name. An ACE (.accdb) header counts
// too, so that opening one gives ArquivoJet's clear refusal.
bool EhArquivoJet(const QByteArray& inicio);

// One open .mdb file. Not copyable; releases every libmdb handle it holds.
// Not thread-safe: every call shares libmdb's page buffer. A corrupted file
// never crashes the reader; what cannot be read throws ErroBanco.
class ArquivoJet {
public:
    // Opens the file read-only. Throws ErroBanco naming the file and the cause
    // (missing, unreadable, not Jet, truncated, corrupted, encrypted). The
    // header is checked before libmdb sees the file, and the catalogue is
    // read here.
    explicit ArquivoJet(const QString& caminho);
    ~ArquivoJet();
    ArquivoJet(const ArquivoJet&) = delete;
    ArquivoJet& operator=(const ArquivoJet&) = delete;

    QString caminho() const;
    // "JET3" or "JET4".
    QString versao() const;
    // The database password recorded in the header of a Jet 4 file; empty
    // when none is set (and always for Jet 3, whose field is not decoded).
    QString senha() const;
    // User tables, in the file's catalogue order.
    QStringList tabelas() const;
    // The columns of a table, names exactly as stored (accents included).
    // Throws ErroBanco with "não encontrou a tabela de entrada ou consulta"
    // when the table does not exist.
    QList<InfoColuna> colunas(const QString& tabela) const;
    // Creates the table in the SQLite database `destino` (same name, columns
    // declared with NomeTipo) and copies every row into it, one at a time.
    // Dates are written as "YYYY-MM-DD HH:MM:SS" decoded from the stored
    // double (any year 1..9999), booleans as 1/0, currency and numeric as
    // REAL, memo untruncated, OLE as BLOB. Throws ErroBanco naming the file,
    // the table and the cause. The copy runs in a savepoint (nested in any
    // transaction open on `destino`), so a failure leaves `destino` as it
    // was: the table is not created.
    void carregaTabela(const QString& tabela, sqlite3* destino) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tarvo::db
