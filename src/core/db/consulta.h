#pragma once
// Datasets over a connection: a statement in Jet SQL, opened, read row by
// row (streamed, never held whole in memory), appended to, edited and saved.
#include "db/conexao.h"
#include "db/tipos.h"

#include <QHash>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace tarvo::db {

class Consulta;

// One field of a dataset's current record. Reads convert from the stored
// value the way the old driver did; writes convert to the field's kind at
// once and throw ErroBanco when the value cannot be converted (a text over
// the field's length is refused on save instead).
class Campo {
public:
    Campo(Consulta* dono, InfoColuna info) : dono_(dono), info_(std::move(info)) {}

    const QString& fieldName() const { return info_.nome; }
    TipoCampo tipo() const { return info_.tipo; }
    int tamanho() const { return info_.tamanho; }
    bool isNull() const;
    // Memo and binary fields: the copy engine treats them as rich text.
    bool isBlob() const { return info_.tipo == TipoCampo::Memo || info_.tipo == TipoCampo::Binario; }

    qint64 asInteger() const;      // null gives 0
    QString asString() const;      // null gives ""
    double asFloat() const;        // null gives 0
    bool asBoolean() const;        // null gives false
    QDateTime asDateTime() const;  // null gives the zero date-time
    QVariant asVariant() const;    // null is tarvo::Nulo()

    void setValue(const QVariant& valor);
    void setAsInteger(qint64 v) { setValue(QVariant::fromValue(v)); }
    void setAsString(const QString& v) { setValue(QVariant(v)); }
    void setAsFloat(double v) { setValue(QVariant(v)); }
    void setAsBoolean(bool v) { setValue(QVariant(v)); }
    void setAsDateTime(const QDateTime& v) { setValue(QVariant(v)); }
    void clear();  // null

    // --- for the dataset ---
    void carrega(QVariant valor, QString aviso = {}) {
        valor_ = std::move(valor);
        aviso_ = std::move(aviso);
        pendente_ = nullptr;
        alterado_ = false;
    }
    // The value is column `coluna` of the row `comando` stands on; it is
    // read from there when first asked for, so columns nobody reads cost
    // nothing. The statement must stay on that row until then (the dataset
    // reads every pending field before it moves or resets it).
    void adia(sqlite3_stmt* comando, int coluna, bool natural) {
        pendente_ = comando;
        coluna_ = coluna;
        natural_ = natural;
        alterado_ = false;
    }
    bool pendente() const { return pendente_ != nullptr; }
    void materializa() const;
    // What reading the current value had to repair (text that was not
    // UTF-8), empty when it was read as stored.
    const QString& aviso() const {
        if (pendente_) materializa();
        return aviso_;
    }
    bool alterado() const { return alterado_; }
    void marcaGravado() { alterado_ = false; }
    const QVariant& bruto() const { return valor(); }
    const InfoColuna& info() const { return info_; }

private:
    [[noreturn]] void recusa(const QString& valor, const QString& tipo) const;
    Consulta* dono_;
    InfoColuna info_;
    const QVariant& valor() const {
        if (pendente_) materializa();
        return valor_;
    }
    mutable QVariant valor_;
    mutable QString aviso_;
    mutable sqlite3_stmt* pendente_ = nullptr;
    int coluna_ = 0;
    bool natural_ = false;
    bool alterado_ = false;
};

// Converts a value to a field kind as a write into such a field would.
// Throws ErroBanco naming `campo` when the value cannot be converted.
QVariant ConverteParaTipo(const QVariant& valor, TipoCampo tipo, const QString& campo);

class Consulta {
public:
    enum class Estado { Fechada, Navegando, Editando, Inserindo };

    // The dataset does not own the connection, which must outlive it.
    explicit Consulta(Conexao* conexao = nullptr, const QString& sql = {});
    ~Consulta();
    Consulta(const Consulta&) = delete;
    Consulta& operator=(const Consulta&) = delete;

    void setConnection(Conexao* conexao);
    Conexao* connection() const { return conexao_; }
    // Replacing the statement closes the dataset.
    void setSql(const QString& sql);
    const QString& sql() const { return sql_; }

    // Runs the statement. The first row is fetched when first needed, so
    // opening "select * from T" to append reads no row. Fires afterOpen.
    // Throws ErroBanco (a missing table: "não encontrou a tabela de entrada
    // ou consulta"); the dataset then stays closed.
    void open();
    void close();
    bool active() const { return estado_ != Estado::Fechada; }
    Estado state() const { return estado_; }

    // Number of rows of the result, known before any row is read (counted by
    // the database, not by reading the rows here).
    qint64 recordCount();
    bool eof();
    bool isEmpty() { return eof() && posicao_ <= 0; }
    // Moves to the next row; fires afterScroll (also when that reaches the end).
    void next();
    // Back to the first row; fires afterScroll.
    void first();

    // A new record, all fields null; fires onNewRecord.
    void append();
    // Edits the current row.
    void edit();
    // Saves the record being appended or edited. Only fields that were
    // written are stored; a text longer than its field, a duplicate key or
    // a missing required value throws ErroBanco and the record stays in
    // edit, so that the caller can cancel it.
    void post();
    void cancel();

    // Field of the current record by name (letter case ignored). Throws
    // ErroBanco naming the field when it does not exist.
    Campo& fieldByName(QStringView nome);
    Campo& fieldByName(const QString& nome) { return fieldByName(QStringView(nome)); }
    Campo& fieldByName(const char* nome) { return fieldByName(QString::fromUtf8(nome)); }
    // The same, nullptr when it does not exist.
    Campo* findField(QStringView nome);
    Campo* findField(const QString& nome) { return findField(QStringView(nome)); }
    Campo* findField(const char* nome) { return findField(QString::fromUtf8(nome)); }
    const std::vector<std::unique_ptr<Campo>>& fields() { return campos_; }

    // Moves to the first row whose field equals `valor` as text, letter case
    // ignored. Returns false (and stays where it was) when there is none.
    bool locate(const QString& campo, const QVariant& valor);

    // Runs the statement as one that returns no rows; the rows changed.
    int execSql();

    // Events, as the old components raised them.
    std::function<void(Consulta&)> afterOpen;
    std::function<void(Consulta&)> afterScroll;
    std::function<void(Consulta&)> onNewRecord;

    const QString& tabelaBase() const { return tabelaBase_; }

private:
    friend class Campo;
    void garanteConexao() const;
    void buscaPrimeira();
    bool passo();            // next row into the fields; false at the end
    void reinicia();         // statement back to the start, no row read
    void materializaPendentes();
    void montaCampos(const QList<InfoColuna>& cols);
    void exigeNavegando(const char* operacao) const;
    QString nomeConsulta() const;

    Conexao* conexao_ = nullptr;
    QString sql_;
    Estado estado_ = Estado::Fechada;
    QString sqlTraduzido_;
    QString sqlExecutado_;
    QString abertoCom_;          // the statement the fields were made for
    quint64 geracaoAberta_ = 0;  // and the opening of the connection
    QString tabelaBase_;
    Comando comando_;
    Comando gravacao_;            // the last INSERT/UPDATE, for the same fields
    QByteArray mascaraGravacao_;
    std::vector<std::unique_ptr<Campo>> campos_;
    // Fields found by name, by where the name's characters are: the rules
    // ask for the same fields by the same literal names on every record.
    // A hit is checked against the field's name, so a reused address
    // cannot give a wrong field.
    struct Atalho {
        const QChar* nome = nullptr;
        Campo* campo = nullptr;
    };
    std::array<Atalho, 64> atalhos_{};
    std::vector<QVariant> salvos_;  // field values before edit/append
    std::vector<bool> naturais_;    // columns without a declared type
    int primeiraColuna_ = 0;   // 1 when column 0 is the rowid
    bool buscou_ = false;      // first row fetched
    bool fim_ = false;
    qint64 posicao_ = -1;      // index of the current row
    qint64 rowid_ = 0;
    qint64 total_ = -1;
};

// A dataset over `conexao` with an optional statement; not opened. The
// caller owns it.
std::unique_ptr<Consulta> CriaQuery(const QString& sql, Conexao& conexao);
std::unique_ptr<Consulta> CriaQuery(Conexao& conexao, const QString& sql);

// Opens `sql` and returns field `campo` of its first row as text; empty when
// there is no row or the value is null. Errors of the layer reach the caller.
QString PegaValor(const QString& sql, const QString& campo, Conexao& conexao);

}  // namespace tarvo::db
