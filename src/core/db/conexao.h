#pragma once
// Connections opened by the old driver's connection text, over SQLite files
// (read-write) and Jet .mdb files (read-only, loaded table by table into an
// in-memory SQLite database on first use).
#include "db/tipos.h"
#include "db/tradutor_sql.h"
#include "erros.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvo::db {

class ArquivoJet;

// The pieces of a connection text
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<path>;Persist Security Info=False;Jet OLEDB:Database Password=<password>;".
struct ParametrosConexao {
    QString provedor;
    QString arquivo;
    QString senha;
};

// Parses a connection text. Keys are case-insensitive, values may be quoted
// with " or '. Throws ErroBanco when the provider is not the Jet 4.0 one or
// the data source is missing.
ParametrosConexao AnalisaConnectionString(const QString& texto);

// The connection text for a file and a database password.
QString MontaConnectionString(const QString& arquivo, const QString& senha);

enum class Backend { Nenhum, SQLite, Jet };

class Conexao;

// A prepared SQLite statement borrowed from a connection's pool; returned
// (reset, bindings cleared) when the handle dies. Not copyable.
class Comando {
public:
    Comando() = default;
    Comando(Conexao* dono, QString sql, sqlite3_stmt* stmt, quint64 geracao)
        : dono_(dono), sql_(std::move(sql)), stmt_(stmt), geracao_(geracao) {}
    ~Comando();
    Comando(Comando&& o) noexcept;
    Comando& operator=(Comando&& o) noexcept;
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }
    const QString& sql() const { return sql_; }

private:
    void devolve();
    Conexao* dono_ = nullptr;
    QString sql_;
    sqlite3_stmt* stmt_ = nullptr;
    quint64 geracao_ = 0;  // which opening of the connection prepared it
};

class Conexao {
public:
    Conexao();
    ~Conexao();
    Conexao(const Conexao&) = delete;
    Conexao& operator=(const Conexao&) = delete;

    void setConnectionString(const QString& texto) { connectionString_ = texto; }
    const QString& connectionString() const { return connectionString_; }

    // Opens the file named by the connection text; the backend is chosen by
    // the file's first bytes. Throws ErroBanco (Portuguese, naming the file
    // and the cause) and leaves the connection closed on failure. Opening an
    // open connection closes it first.
    void open();
    // Closes; a no-op when closed. An open transaction is rolled back.
    void close();
    bool connected() const { return db_ != nullptr; }

    Backend backend() const { return backend_; }
    const QString& arquivo() const { return parametros_.arquivo; }
    bool somenteLeitura() const;

    // One level of transaction, as the program uses them. Each throws
    // ErroBanco on failure (a transaction already begun, none to end).
    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const { return emTransacao_; }
    // True when a transaction was begun but SQLite has rolled it back by
    // itself (a full disk, an I/O error): what follows would be written
    // outside any transaction.
    bool transacaoPerdida() const;

    // Runs a Jet SQL statement that returns no rows; returns the rows changed.
    int execute(const QString& sqlJet);
    // Runs SQLite statements as they stand (the layer's own bookkeeping,
    // such as keeping a copy of a table). Throws ErroBanco.
    void executaNativo(const QString& sqlSqlite);

    // The columns of a table (cached until the connection closes). Throws
    // ErroBanco with "não encontrou a tabela de entrada ou consulta" when the
    // table does not exist.
    const QList<InfoColuna>& colunas(const QString& tabela);
    bool existeTabela(const QString& tabela);
    // User tables of the database (the layer's own bookkeeping excluded).
    QStringList tabelas();

    // --- for datasets ---
    // The translation of a Jet statement, cached by its text.
    const SqlTraduzido& traduz(const QString& sqlJet);
    // Makes sure every table a statement names is ready (Jet: loaded).
    void preparaTabelas(const SqlTraduzido& sql);
    // A prepared statement from the pool. Throws ErroBanco in Portuguese,
    // naming `contexto` (the program's own statement) when given.
    Comando obtem(const QString& sqlSqlite, const QString& contexto = {});
    sqlite3* handle() const { return db_; }
    // Which opening of the connection this is; statements and fields made
    // for an earlier one are stale.
    quint64 geracao() const { return geracao_; }
    // The INSERT or UPDATE text a dataset built for `tabela` and the set of
    // fields `mascara` names; empty until the dataset stores it here.
    QString& comandoGravacao(const QString& tabela, const QByteArray& mascara) {
        return comandosGravacao_[tabela + QLatin1Char('|') + QLatin1String(mascara)];
    }
    // Raises the Portuguese form of the connection's last SQLite error.
    [[noreturn]] void falha(int codigo, const QString& contexto, const QString& tabela = {}) const;
    QString mensagemFalha(int codigo, const QString& contexto, const QString& tabela = {}) const;

private:
    friend class Comando;
    void devolve(const QString& sql, sqlite3_stmt* stmt, quint64 geracao);
    void abreSQLite();
    void abreJet();
    void verificaSenha();
    void finalizaTudo();

    QString connectionString_;
    ParametrosConexao parametros_;
    Backend backend_ = Backend::Nenhum;
    sqlite3* db_ = nullptr;
    std::unique_ptr<ArquivoJet> jet_;
    QHash<QString, QString> jetPorNome_;  // lower-case name -> name in the file
    QHash<QString, bool> jetCarregadas_;
    bool emTransacao_ = false;
    quint64 geracao_ = 0;
    std::unordered_multimap<QString, sqlite3_stmt*> livres_;
    QHash<QString, SqlTraduzido> traducoes_;
    QHash<QString, QList<InfoColuna>> colunas_;
    QHash<QString, QString> comandosGravacao_;
};

// Whether an error is about the database file itself (full, read-only,
// locked, damaged, unreadable) rather than about one record: such an error
// ends a copy instead of being logged as a refused record.
bool ErroDoArquivo(const tarvo::ErroBanco& erro);

// The message of a missing table, as the copy engine recognises it.
QString MensagemTabelaInexistente(const QString& tabela);

// Records `senha` as the database password of an SQLite file that the
// connection has open: from then on the file opens only with it. An empty
// password removes the record. Throws ErroBanco.
void GravaSenhaBanco(Conexao& conexao, const QString& senha);

}  // namespace tarvo::db
