#pragma once
// Small databases for tests, made with the project's schemas.
#include <QString>
#include <memory>

#include "db/conexao.h"
#include "impressao.h"

namespace tarvo::testes {

// Creates an SQLite database at `arquivo` from the statements in `sql`,
// recording `senha` as its database password when not empty.
void CriaBanco(const QString& arquivo, const QString& sql, const QString& senha = {});

// Opens a connection on `arquivo` with `senha`; the caller owns it.
std::unique_ptr<db::Conexao> AbreBanco(const QString& arquivo, const QString& senha = {});

// Runs plain SQLite statements (several allowed) on an open connection.
void ExecutaSqlite(db::Conexao& conexao, const QString& sql);

// The first column of the first row of a plain SQLite query, as text
// ("<null>" for null, "<nenhuma>" when there is no row).
QString ValorSqlite(db::Conexao& conexao, const QString& sql);

// Every row of a plain SQLite query, columns joined by "|", rows by "\n";
// null shows as "<null>".
QString LinhasSqlite(db::Conexao& conexao, const QString& sql);

}  // namespace tarvo::testes
