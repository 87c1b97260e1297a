#include "db/conexao.h"

#include "db/arquivo_jet.h"
#include "erros.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace tarvo::db {

namespace {

// The layer's own bookkeeping table: the database password's hash.
constexpr char kTabelaSenha[] = "msys_senha";

QString hashSenha(const QString& senha) {
    return QString::fromLatin1(
        QCryptographicHash::hash(("tarvo-senha:" + senha).toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString aspas(const QString& nome) {
    QString n = nome;
    return '"' + n.replace('"', "\"\"") + '"';
}

// Splits "a=b;c=d" honouring quoted values.
QList<QPair<QString, QString>> pares(const QString& texto) {
    QList<QPair<QString, QString>> r;
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n) {
        while (i < n && (texto[i] == ';' || texto[i].isSpace())) ++i;
        if (i >= n) break;
        const qsizetype igual = texto.indexOf('=', i);
        if (igual < 0) {
            r.append({texto.mid(i).trimmed(), QString()});
            break;
        }
        const QString chave = texto.mid(i, igual - i).trimmed();
        i = igual + 1;
        while (i < n && texto[i] == ' ') ++i;
        QString valor;
        if (i < n && (texto[i] == '"' || texto[i] == '\'')) {
            const QChar q = texto[i++];
            while (i < n) {
                if (texto[i] == q) {
                    if (i + 1 < n && texto[i + 1] == q) {
                        valor += q;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                valor += texto[i++];
            }
            while (i < n && texto[i] != ';') ++i;
        } else {
            const qsizetype fim = texto.indexOf(';', i);
            valor = texto.mid(i, fim < 0 ? -1 : fim - i).trimmed();
            i = fim < 0 ? n : fim;
        }
        r.append({chave, valor});
    }
    return r;
}

// SQLite would take a double-quoted name that is not a column as a text
// literal: a misspelt column in a filter would then select nothing instead
// of failing. The translator quotes every name, so this must be off.
void desligaAspasDuplasComoTexto(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

}  // namespace

QString MensagemTabelaInexistente(const QString& tabela) {
    return QString("O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta '%1'. "
                   "Certifique-se de que ela existe e que seu nome está escrito corretamente.")
        .arg(tabela);
}

ParametrosConexao AnalisaConnectionString(const QString& texto) {
    ParametrosConexao p;
    bool temFonte = false;
    for (const auto& [chave, valor] : pares(texto)) {
        const QString k = chave.toLower().simplified();
        if (k == "provider") p.provedor = valor;
        else if (k == "data source") {
            p.arquivo = valor;
            temFonte = true;
        } else if (k == "jet oledb:database password") p.senha = valor;
    }
    if (p.provedor.compare("Microsoft.Jet.OLEDB.4.0", Qt::CaseInsensitive) != 0)
        throw ErroBanco(p.provedor.isEmpty()
                            ? QString("O texto de conexão não indica o provedor.")
                            : QString("Provedor não reconhecido: '%1'.").arg(p.provedor));
    if (!temFonte || p.arquivo.isEmpty())
        throw ErroBanco("O texto de conexão não indica o arquivo do banco de dados (Data Source).");
    return p;
}

namespace {

// A value that would break the text (a ";", quotes, blanks at the ends) is
// quoted, so that a path such as "/d/a;b.mdb" reaches the right file.
QString valorSeguro(const QString& v) {
    if (!v.contains(';') && !v.startsWith('"') && !v.startsWith('\'') && v.trimmed() == v) return v;
    QString q = v;
    return '"' + q.replace('"', "\"\"") + '"';
}

}  // namespace

QString MontaConnectionString(const QString& arquivo, const QString& senha) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + valorSeguro(arquivo) +
           ";Persist Security Info=False;Jet OLEDB:Database Password=" + valorSeguro(senha) + ";";
}

// ---------------------------------------------------------------- Comando

Comando::~Comando() { devolve(); }

Comando::Comando(Comando&& o) noexcept
    : dono_(o.dono_), sql_(std::move(o.sql_)), stmt_(o.stmt_), geracao_(o.geracao_) {
    o.stmt_ = nullptr;
    o.dono_ = nullptr;
}

Comando& Comando::operator=(Comando&& o) noexcept {
    if (this != &o) {
        devolve();
        dono_ = o.dono_;
        sql_ = std::move(o.sql_);
        stmt_ = o.stmt_;
        geracao_ = o.geracao_;
        o.stmt_ = nullptr;
        o.dono_ = nullptr;
    }
    return *this;
}

void Comando::devolve() {
    if (!stmt_) return;
    if (dono_) dono_->devolve(sql_, stmt_, geracao_);
    else sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

// ---------------------------------------------------------------- Conexao

Conexao::Conexao() = default;

Conexao::~Conexao() { close(); }

bool Conexao::somenteLeitura() const {
    return backend_ == Backend::Jet || (db_ && sqlite3_db_readonly(db_, "main") == 1);
}

void Conexao::open() {
    close();
    parametros_ = AnalisaConnectionString(connectionString_);
    const QString& arq = parametros_.arquivo;
    QFileInfo info(arq);
    if (!info.exists())
        throw ErroBanco(QString("Não foi possível encontrar o arquivo '%1'.").arg(arq));
    if (info.isDir())
        throw ErroBanco(QString("'%1' é uma pasta, não um arquivo de banco de dados.").arg(arq));
    QFile f(arq);
    if (!f.open(QIODevice::ReadOnly))
        throw ErroBanco(QString("Não foi possível abrir o arquivo '%1': %2.").arg(arq, f.errorString()));
    const QByteArray inicio = f.read(64);
    f.close();
    try {
        if (inicio.startsWith(QByteArray("SQLite format 3\0", 16))) {
            abreSQLite();
        } else if (EhArquivoJet(inicio)) {
            abreJet();
        } else {
            throw ErroBanco(QString("Formato de banco de dados não reconhecido: '%1'.").arg(arq));
        }
        verificaSenha();
    } catch (...) {
        close();
        throw;
    }
}

void Conexao::abreSQLite() {
    backend_ = Backend::SQLite;
    const int rc = sqlite3_open_v2(parametros_.arquivo.toUtf8().constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString("sem memória");
        throw ErroBanco(QString("Não foi possível abrir o banco de dados '%1': %2.").arg(parametros_.arquivo, msg));
    }
    sqlite3_extended_result_codes(db_, 1);
    desligaAspasDuplasComoTexto(db_);
    sqlite3_busy_timeout(db_, 3000);
    // A larger page cache keeps a copy of hundreds of thousands of rows from
    // rereading the pages it has just written (32 MB at most).
    sqlite3_exec(db_, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    RegistraFuncoesJet(db_);
    // Reading the catalogue proves that the file really is a database.
    char* erro = nullptr;
    const int rc2 = sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &erro);
    sqlite3_free(erro);
    if (rc2 != SQLITE_OK) falha(rc2, QString());
}

void Conexao::abreJet() {
    backend_ = Backend::Jet;
    jet_ = std::make_unique<ArquivoJet>(parametros_.arquivo);
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        throw ErroBanco("Não foi possível criar o banco de dados em memória.");
    sqlite3_extended_result_codes(db_, 1);
    desligaAspasDuplasComoTexto(db_);
    RegistraFuncoesJet(db_);
    for (const QString& t : jet_->tabelas()) jetPorNome_.insert(t.toLower(), t);
}

void Conexao::verificaSenha() {
    const QString invalida =
        QString("Não é uma senha válida para o banco de dados '%1'.").arg(parametros_.arquivo);
    if (backend_ == Backend::Jet) {
        const QString gravada = jet_->senha();
        if (!gravada.isEmpty() && gravada != parametros_.senha) throw ErroBanco(invalida);
        return;
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT hash FROM msys_senha", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return;  // no record: any password opens the file, as with the old driver
    }
    QString gravada;
    if (sqlite3_step(st) == SQLITE_ROW)
        gravada = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (!gravada.isEmpty() && gravada != hashSenha(parametros_.senha)) throw ErroBanco(invalida);
}

void Conexao::finalizaTudo() {
    for (auto& [sql, st] : livres_) sqlite3_finalize(st);
    livres_.clear();
}

void Conexao::close() {
    if (!db_) {
        jet_.reset();
        backend_ = Backend::Nenhum;
        return;
    }
    if (emTransacao_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    emTransacao_ = false;
    finalizaTudo();
    // close_v2 waits for statements that datasets still hold.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    ++geracao_;
    jet_.reset();
    jetPorNome_.clear();
    jetCarregadas_.clear();
    traducoes_.clear();
    colunas_.clear();
    comandosGravacao_.clear();
    backend_ = Backend::Nenhum;
}

void Conexao::beginTrans() {
    if (!db_) throw ErroBanco("A conexão está fechada.");
    if (emTransacao_) throw ErroBanco(QString("Já há uma transação aberta em '%1'.").arg(arquivo()));
    const int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) falha(rc, "iniciar a transação");
    emTransacao_ = true;
}

void Conexao::commitTrans() {
    if (!db_ || !emTransacao_) throw ErroBanco("Não há transação aberta para confirmar.");
    const int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) falha(rc, "confirmar a transação");
    emTransacao_ = false;
}

void Conexao::rollbackTrans() {
    if (!db_ || !emTransacao_) throw ErroBanco("Não há transação aberta para desfazer.");
    emTransacao_ = false;
    // After some errors SQLite has already rolled back by itself.
    if (sqlite3_get_autocommit(db_)) return;
    const int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) falha(rc, "desfazer a transação");
}

const SqlTraduzido& Conexao::traduz(const QString& sqlJet) {
    auto it = traducoes_.find(sqlJet);
    if (it == traducoes_.end()) it = traducoes_.insert(sqlJet, TraduzJetSql(sqlJet));
    return it.value();
}

void Conexao::preparaTabelas(const SqlTraduzido& sql) {
    if (backend_ != Backend::Jet) return;
    for (const QString& t : sql.tabelas) {
        const QString chave = t.toLower();
        if (jetCarregadas_.value(chave)) continue;
        const auto it = jetPorNome_.find(chave);
        if (it == jetPorNome_.end()) continue;  // SQLite reports it missing
        // A table half loaded by a failed attempt is dropped before retrying.
        sqlite3_exec(db_, ("DROP TABLE IF EXISTS " + aspas(it.value())).toUtf8().constData(), nullptr, nullptr,
                     nullptr);
        jet_->carregaTabela(it.value(), db_);
        jetCarregadas_.insert(chave, true);
    }
}

Comando Conexao::obtem(const QString& sqlSqlite, const QString& contexto) {
    if (!db_) throw ErroBanco("A conexão está fechada.");
    if (auto it = livres_.find(sqlSqlite); it != livres_.end()) {
        sqlite3_stmt* st = it->second;
        livres_.erase(it);
        return Comando(this, sqlSqlite, st, geracao_);
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sqlSqlite.toUtf8();
    const int rc = sqlite3_prepare_v3(db_, utf8.constData(), static_cast<int>(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        falha(rc, contexto.isEmpty() ? sqlSqlite : contexto);
    }
    return Comando(this, sqlSqlite, st, geracao_);
}

void Conexao::devolve(const QString& sql, sqlite3_stmt* stmt, quint64 geracao) {
    if (!db_ || geracao != geracao_) {
        // Prepared on an earlier opening: its database may be a zombie that
        // close_v2 keeps alive until this finalize.
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    livres_.emplace(sql, stmt);
}

int Conexao::execute(const QString& sqlJet) {
    const SqlTraduzido& t = traduz(sqlJet);
    preparaTabelas(t);
    Comando c = obtem(t.sql, sqlJet);
    int rc;
    while ((rc = sqlite3_step(c.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) falha(rc, sqlJet, t.tabelas.value(0));
    return sqlite3_changes(db_);
}

void Conexao::executaNativo(const QString& sqlSqlite) {
    if (!db_) throw ErroBanco("A conexão está fechada.");
    const int rc = sqlite3_exec(db_, sqlSqlite.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) falha(rc, sqlSqlite);
}

const QList<InfoColuna>& Conexao::colunas(const QString& tabela) {
    const QString chave = tabela.toLower();
    if (auto it = colunas_.find(chave); it != colunas_.end()) return it.value();
    if (!db_) throw ErroBanco("A conexão está fechada.");
    SqlTraduzido t;
    t.tabelas = {tabela};
    preparaTabelas(t);
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = ("PRAGMA table_info(" + aspas(tabela) + ")").toUtf8();
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        falha(sqlite3_errcode(db_), QString::fromUtf8(sql));
    }
    QList<InfoColuna> cols;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        InfoColuna c;
        c.nome = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        c.tipo = TipoDeclarado(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))),
                               &c.tamanho);
        c.obrigatorio = sqlite3_column_int(st, 3) != 0;
        cols.append(c);
    }
    sqlite3_finalize(st);
    // A damaged file must not pass for a missing table, which the copy
    // engine skips.
    if (rc != SQLITE_DONE) falha(rc, QString::fromUtf8(sql));
    if (cols.isEmpty()) throw ErroBanco(MensagemTabelaInexistente(tabela));
    return colunas_.insert(chave, cols).value();
}

bool Conexao::existeTabela(const QString& tabela) {
    if (backend_ == Backend::Jet) return jetPorNome_.contains(tabela.toLower());
    return tabelas().contains(tabela, Qt::CaseInsensitive);
}

QStringList Conexao::tabelas() {
    if (backend_ == Backend::Jet) return jet_->tabelas();
    QStringList r;
    if (!db_) return r;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_,
                       "SELECT name FROM sqlite_master WHERE type IN ('table','view') "
                       "AND name NOT LIKE 'sqlite_%' AND name <> 'msys_senha' ORDER BY rowid",
                       -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        r.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    return r;
}

void Conexao::falha(int codigo, const QString& contexto, const QString& tabela) const {
    throw ErroBanco(mensagemFalha(codigo, contexto, tabela), codigo);
}

QString Conexao::mensagemFalha(int codigo, const QString& contexto, const QString& tabela) const {
    const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(codigo));
    const QString& arq = parametros_.arquivo;
    if (msg.startsWith("no such table: ")) return MensagemTabelaInexistente(msg.mid(15));
    if (msg.startsWith("no such column: "))
        return QString("O campo '%1' não existe (comando: %2).").arg(msg.mid(16), contexto);
    if (codigo == SQLITE_CONSTRAINT_PRIMARYKEY || codigo == SQLITE_CONSTRAINT_UNIQUE)
        return QString("As alterações solicitadas na tabela '%1' não foram bem-sucedidas, pois criariam valores "
                       "duplicados no índice, chave primária ou relacionamento (%2).")
            .arg(tabela, msg.section(':', 1).trimmed());
    if (codigo == SQLITE_CONSTRAINT_NOTNULL)
        return QString("O campo '%1' não pode conter um valor nulo.").arg(msg.section(':', 1).trimmed());
    switch (codigo & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QString("O banco de dados '%1' está em uso por outro processo (%2).").arg(arq, msg);
    case SQLITE_READONLY:
        return QString("Não é possível atualizar: o banco de dados '%1' é somente leitura (%2).").arg(arq, msg);
    case SQLITE_FULL:
        return QString("Não há espaço para gravar no banco de dados '%1' (%2).").arg(arq, msg);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return QString("O banco de dados '%1' está danificado ou não é um banco de dados (%2).").arg(arq, msg);
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return QString("Erro de leitura ou gravação no banco de dados '%1' (%2).").arg(arq, msg);
    default:
        break;
    }
    return contexto.isEmpty() ? QString("Erro no banco de dados '%1': %2.").arg(arq, msg)
                              : QString("Erro no banco de dados '%1' ao executar \"%2\": %3.").arg(arq, contexto, msg);
}

bool Conexao::transacaoPerdida() const { return emTransacao_ && db_ && sqlite3_get_autocommit(db_); }

bool ErroDoArquivo(const ErroBanco& erro) {
    switch (erro.codigoSqlite() & 0xff) {
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_NOMEM:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return true;
    default:
        return false;
    }
}

void GravaSenhaBanco(Conexao& conexao, const QString& senha) {
    if (!conexao.connected() || conexao.backend() != Backend::SQLite)
        throw ErroBanco("A senha só pode ser gravada num banco SQLite aberto.");
    sqlite3* db = conexao.handle();
    auto exec = [&](const QString& sql) {
        const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) conexao.falha(rc, sql);
    };
    exec(QString("CREATE TABLE IF NOT EXISTS %1 (hash TEXT)").arg(kTabelaSenha));
    exec(QString("DELETE FROM %1").arg(kTabelaSenha));
    if (!senha.isEmpty()) exec(QString("INSERT INTO %1 VALUES ('%2')").arg(kTabelaSenha, hashSenha(senha)));
}

}  // namespace tarvo::db
