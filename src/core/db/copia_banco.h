#pragma once
// Whole-file copies of SQLite databases: the copy taken before an import
// writes anything, its integrity check, and putting it back.
#include "db/conexao.h"

#include <QString>
#include <functional>

namespace tarvo::db {

// Copies the database that `conexao` has open (an SQLite file) into the new
// file `arquivo`, through SQLite's online backup: the copy is consistent
// even though the connection stays open, and a transaction that another
// connection has not committed is not part of it. `arquivo` must not exist.
// Throws ErroBanco naming both files and the cause; a failure removes what
// was written of `arquivo` and leaves the open database untouched.
// `aCadaBloco`, when given, is called after every 4 MB copied (so that a
// window can handle its events).
void CopiaBancoAberto(Conexao& conexao, const QString& arquivo, const std::function<void()>& aCadaBloco = {});

// Checks that `arquivo` is an intact SQLite database (SQLite's quick check),
// opening it read-only. Throws ErroBanco naming the file and the cause.
void ConfereBanco(const QString& arquivo);

// Puts the bytes of the database copy `copia` in place of the file
// `arquivo`, exactly as they are. Refuses (ErroBanco, nothing changed) when
// the copy is missing or not an intact database, when `arquivo` has a
// transaction journal beside it (a transaction is under way or was left
// unfinished), or when another connection holds a lock on it (reading or
// writing at this moment): SQLite cannot tell a program that keeps the file
// open without using it. The new content is written beside `arquivo` and
// renamed over it, so a failure part-way leaves `arquivo` as it was; the
// file keeps its permissions. `arquivo` need not exist.
void RestauraBanco(const QString& copia, const QString& arquivo);

}  // namespace tarvo::db
