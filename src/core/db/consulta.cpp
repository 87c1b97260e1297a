#include "db/consulta.h"

#include "criptografa.h"
#include "erros.h"
#include "funcoes.h"

#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace tarvo::db {

namespace {

// Access holds the years 100 to 9999: days -657434 (0100-01-01) up to,
// not including, 2958466 (10000-01-01).
constexpr double kPrimeiroDiaAccess = -657434.0;
constexpr double kDepoisDoUltimoDiaAccess = 2958466.0;

bool anoDeAccess(const QDateTime& d) {
    const int ano = d.toUTC().date().year();
    return ano >= 100 && ano <= 9999;
}

QString nomeTipo(TipoCampo t) {
    switch (t) {
    case TipoCampo::Inteiro: return "inteiro";
    case TipoCampo::Flutuante: return "numérico";
    case TipoCampo::Moeda: return "moeda";
    case TipoCampo::Booleano: return "sim/não";
    case TipoCampo::DataHora: return "data/hora";
    case TipoCampo::Texto: return "texto";
    case TipoCampo::Memo: return "memorando";
    case TipoCampo::Binario: return "binário";
    }
    return "?";
}

// Numbers as the user types them: "12.5" and "12,5" are the same; a text
// with both separators uses the last one as the decimal point.
// "-123.45" and the like, the form nearly every stored number has, read
// without the locale machinery; nothing when the text has any other form.
std::optional<double> numeroSimples(const QString& t) {
    const qsizetype n = t.size();
    if (n == 0 || n > 40) return std::nullopt;
    char buf[48];
    qsizetype i = 0;
    if (t.at(0) == u'-') buf[i++] = '-';
    const qsizetype inicioDigitos = i;
    bool ponto = false, digitoDepoisDoPonto = false;
    for (; i < n; ++i) {
        const char16_t c = t.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            if (ponto) digitoDepoisDoPonto = true;
        } else if (c == u'.' && !ponto && i > inicioDigitos) {
            ponto = true;
        } else {
            return std::nullopt;
        }
        buf[i] = static_cast<char>(c);
    }
    if (i == inicioDigitos || (ponto && !digitoDepoisDoPonto)) return std::nullopt;
    double d = 0;
    const auto r = std::from_chars(buf, buf + n, d);
    if (r.ec != std::errc() || r.ptr != buf + n || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<double> textoParaNumero(const QString& texto) {
    if (const auto d = numeroSimples(texto)) return d;
    QString t = texto.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const qsizetype ponto = t.lastIndexOf('.'), virgula = t.lastIndexOf(',');
    if (ponto >= 0 && virgula >= 0) {
        if (virgula > ponto) t.remove('.').replace(',', '.');
        else t.remove(',');
    } else if (virgula >= 0) {
        t.replace(',', '.');
    }
    bool ok = false;
    const double d = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<qint64> textoParaInteiro(const QString& texto) {
    bool ok = false;
    const qint64 v = texto.trimmed().toLongLong(&ok);
    if (ok) return v;
    const auto d = textoParaNumero(texto);
    if (!d || std::fabs(*d) >= 9.2e18) return std::nullopt;
    return std::llround(*d);
}

std::optional<bool> textoParaBooleano(const QString& texto) {
    const QString t = texto.trimmed().toLower();
    if (t == "true" || t == "verdadeiro" || t == "sim" || t == "yes" || t == "on" || t == "s") return true;
    if (t == "false" || t == "falso" || t == "não" || t == "nao" || t == "no" || t == "off" || t == "n")
        return false;
    if (const auto d = textoParaNumero(t)) return *d != 0;
    return std::nullopt;
}

QString numeroParaTexto(double d) { return QString::number(d, 'g', QLocale::FloatingPointShortest); }

bool ehNumero(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Long:
    case QMetaType::Short:
        return true;
    default:
        return false;
    }
}

bool ehInteiro(const QVariant& v) { return ehNumero(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float; }

// The column's text. Bytes that are not UTF-8 (an old file filled by a
// Windows program writes Windows-1252) are read as Windows-1252, so nothing
// becomes a replacement character, and `aviso` says so for the log.
QString leTexto(sqlite3_stmt* st, int col, QString& aviso) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    const int tamanho = sqlite3_column_bytes(st, col);
    // Most texts are plain ASCII, valid in both readings.
    if (std::all_of(bytes, bytes + tamanho, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes, tamanho);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8(QByteArrayView(bytes, tamanho));
    if (!utf8.hasError()) return texto;
    texto = Cp1252ParaUtf8(QByteArray(bytes, tamanho));
    aviso = QString("O texto do campo '%1' não é UTF-8 válido e foi lido como Windows-1252: '%2'.")
                .arg(QString::fromUtf8(sqlite3_column_name(st, col)), texto);
    return texto;
}

QVariant leColuna(sqlite3_stmt* st, int col, TipoCampo tipo, bool natural, QString& aviso) {
    const int classe = sqlite3_column_type(st, col);
    if (classe == SQLITE_NULL) return Nulo();
    auto texto = [&] { return leTexto(st, col, aviso); };
    if (natural) {
        switch (classe) {
        case SQLITE_INTEGER: return QVariant::fromValue<qint64>(sqlite3_column_int64(st, col));
        case SQLITE_FLOAT: return sqlite3_column_double(st, col);
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, col)), sqlite3_column_bytes(st, col));
        default: return texto();
        }
    }
    switch (tipo) {
    case TipoCampo::Inteiro:
        if (classe == SQLITE_INTEGER) return QVariant::fromValue<qint64>(sqlite3_column_int64(st, col));
        if (classe == SQLITE_FLOAT) return sqlite3_column_double(st, col);
        return texto();
    case TipoCampo::Flutuante:
    case TipoCampo::Moeda:
        if (classe == SQLITE_INTEGER || classe == SQLITE_FLOAT) return sqlite3_column_double(st, col);
        return texto();
    case TipoCampo::Booleano:
        if (classe == SQLITE_INTEGER || classe == SQLITE_FLOAT) return sqlite3_column_double(st, col) != 0;
        return texto();
    case TipoCampo::DataHora:
        if (classe == SQLITE_INTEGER || classe == SQLITE_FLOAT) {
            const double dias = sqlite3_column_double(st, col);
            // Outside the years Access can hold the number is kept as it is,
            // for a write to refuse it by its value.
            if (!std::isfinite(dias) || dias < kPrimeiroDiaAccess || dias >= kDepoisDoUltimoDiaAccess) return dias;
            return DiasParaDataHora(dias);
        }
        if (const auto d = TextoParaDataHora(texto())) return *d;
        return texto();
    case TipoCampo::Texto:
    case TipoCampo::Memo:
        if (classe == SQLITE_FLOAT) return numeroParaTexto(sqlite3_column_double(st, col));
        return texto();
    case TipoCampo::Binario:
        if (classe == SQLITE_BLOB)
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, col)), sqlite3_column_bytes(st, col));
        if (classe == SQLITE_INTEGER) return QVariant::fromValue<qint64>(sqlite3_column_int64(st, col));
        if (classe == SQLITE_FLOAT) return sqlite3_column_double(st, col);
        return texto();
    }
    return texto();
}

// Binds `v` to parameter `i`. Text and binary values are bound without a
// copy: their bytes are kept in `guarda`, which must outlive the step.
int vincula(sqlite3_stmt* st, int i, const QVariant& v, std::vector<QByteArray>& guarda) {
    if (EhNulo(v)) return sqlite3_bind_null(st, i);
    switch (v.typeId()) {
    case QMetaType::Bool: return sqlite3_bind_int(st, i, v.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Long:
        return sqlite3_bind_int64(st, i, v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, i, v.toDouble());
    case QMetaType::QDateTime: {
        const QByteArray& t = guarda.emplace_back(DataHoraParaIso(v.toDateTime()).toUtf8());
        return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_STATIC);
    }
    case QMetaType::QByteArray: {
        const QByteArray& b = guarda.emplace_back(v.toByteArray());
        return sqlite3_bind_blob(st, i, b.constData(), static_cast<int>(b.size()), SQLITE_STATIC);
    }
    default: {
        const QByteArray& t = guarda.emplace_back(v.toString().toUtf8());
        return sqlite3_bind_text(st, i, t.constData(), static_cast<int>(t.size()), SQLITE_STATIC);
    }
    }
}

QString aspas(const QString& nome) {
    QString n = nome;
    return '"' + n.replace('"', "\"\"") + '"';
}

}  // namespace

// ------------------------------------------------------------------ Campo

QVariant ConverteParaTipo(const QVariant& valor, TipoCampo tipo, const QString& campo) {
    if (EhNulo(valor)) return Nulo();
    auto recusa = [&](const QString& valorTexto) -> QVariant {
        throw ErroBanco(QString("Tipo de dados incompatível: o valor '%1' não pode ser gravado no campo "
                                "%2 '%3'.")
                            .arg(valorTexto, nomeTipo(tipo), campo));
    };
    const bool texto = valor.typeId() == QMetaType::QString || valor.typeId() == QMetaType::QByteArray;
    // The text form, made only when a conversion needs it: building it for
    // every value (a date above all) would cost more than the conversion.
    QString textoCache;
    bool temTexto = false;
    auto comoTexto = [&]() -> const QString& {
        if (!temTexto) {
            textoCache = VarianteParaTexto(valor);
            temTexto = true;
        }
        return textoCache;
    };
    // An empty text stores null in any field that is not a text.
    if (texto && comoTexto().trimmed().isEmpty() && tipo != TipoCampo::Texto && tipo != TipoCampo::Memo &&
        tipo != TipoCampo::Binario)
        return Nulo();
    switch (tipo) {
    case TipoCampo::Inteiro: {
        if (valor.typeId() == QMetaType::Bool) return QVariant::fromValue<qint64>(valor.toBool() ? -1 : 0);
        if (ehInteiro(valor)) return QVariant::fromValue<qint64>(valor.toLongLong());
        if (ehNumero(valor)) {
            const double d = valor.toDouble();
            if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) return recusa(comoTexto());
            return QVariant::fromValue<qint64>(std::llround(d));
        }
        if (valor.typeId() == QMetaType::QDateTime)
            return QVariant::fromValue<qint64>(static_cast<qint64>(std::floor(DataHoraParaDias(valor.toDateTime()))));
        if (const auto v = textoParaInteiro(comoTexto())) return QVariant::fromValue<qint64>(*v);
        return recusa(comoTexto());
    }
    case TipoCampo::Flutuante:
    case TipoCampo::Moeda: {
        double d;
        if (valor.typeId() == QMetaType::Bool) d = valor.toBool() ? -1 : 0;
        else if (ehNumero(valor)) d = valor.toDouble();
        else if (valor.typeId() == QMetaType::QDateTime) d = DataHoraParaDias(valor.toDateTime());
        else if (const auto v = textoParaNumero(comoTexto())) d = *v;
        else return recusa(comoTexto());
        if (!std::isfinite(d)) return recusa(comoTexto());
        // Currency keeps four decimals, as Access stores it.
        if (tipo == TipoCampo::Moeda) d = std::round(d * 10000.0) / 10000.0;
        return d;
    }
    case TipoCampo::Booleano:
        if (valor.typeId() == QMetaType::Bool) return valor.toBool();
        if (ehNumero(valor)) return valor.toDouble() != 0;
        if (const auto b = textoParaBooleano(comoTexto())) return *b;
        return recusa(comoTexto());
    case TipoCampo::DataHora:
        if (valor.typeId() == QMetaType::QDateTime) {
            const QDateTime d = valor.toDateTime();
            if (!d.isValid() || !anoDeAccess(d)) return recusa(d.isValid() ? DataHoraParaIso(d) : comoTexto());
            return d.toUTC();
        }
        if (ehNumero(valor)) {
            const double d = valor.toDouble();
            // Access dates run from year 100 to 9999.
            if (!std::isfinite(d) || d < kPrimeiroDiaAccess || d >= kDepoisDoUltimoDiaAccess) return recusa(comoTexto());
            return DiasParaDataHora(d);
        }
        if (valor.typeId() == QMetaType::Bool) return recusa(comoTexto());
        if (const auto d = TextoParaDataHora(comoTexto()); d && anoDeAccess(*d)) return *d;
        return recusa(comoTexto());
    case TipoCampo::Texto:
    case TipoCampo::Memo:
        if (valor.typeId() == QMetaType::Bool) return QString(valor.toBool() ? "Verdadeiro" : "Falso");
        if (valor.typeId() == QMetaType::QByteArray) return QString::fromUtf8(valor.toByteArray());
        return comoTexto();
    case TipoCampo::Binario:
        if (valor.typeId() == QMetaType::QByteArray || valor.typeId() == QMetaType::QString) return valor;
        return comoTexto();
    }
    return valor;
}

bool Campo::isNull() const { return EhNulo(valor()); }

void Campo::recusa(const QString& valor, const QString& tipo) const {
    throw ErroBanco(QString("'%1' não é um valor %2 válido (campo '%3').").arg(valor, tipo, info_.nome));
}

qint64 Campo::asInteger() const {
    if (isNull()) return 0;
    if (valor().typeId() == QMetaType::Bool) return valor().toBool() ? 1 : 0;
    if (ehInteiro(valor())) return valor().toLongLong();
    if (ehNumero(valor())) {
        const double d = valor().toDouble();
        if (std::fabs(d) >= 9.2e18) recusa(numeroParaTexto(d), "inteiro");
        return std::llround(d);
    }
    if (valor().typeId() == QMetaType::QDateTime)
        return static_cast<qint64>(std::floor(DataHoraParaDias(valor().toDateTime())));
    const QString t = VarianteParaTexto(valor());
    if (t.trimmed().isEmpty()) return 0;
    if (const auto v = textoParaInteiro(t)) return *v;
    recusa(t, "inteiro");
}

QString Campo::asString() const {
    if (isNull()) return {};
    if (valor().typeId() == QMetaType::QDateTime) return DataHoraParaTexto(valor().toDateTime());
    return VarianteParaTexto(valor());
}

double Campo::asFloat() const {
    if (isNull()) return 0;
    if (valor().typeId() == QMetaType::Bool) return valor().toBool() ? 1 : 0;
    if (ehNumero(valor())) return valor().toDouble();
    if (valor().typeId() == QMetaType::QDateTime) return DataHoraParaDias(valor().toDateTime());
    const QString t = VarianteParaTexto(valor());
    if (t.trimmed().isEmpty()) return 0;
    if (const auto v = textoParaNumero(t)) return *v;
    recusa(t, "numérico");
}

bool Campo::asBoolean() const {
    if (isNull()) return false;
    if (valor().typeId() == QMetaType::Bool) return valor().toBool();
    if (ehNumero(valor())) return valor().toDouble() != 0;
    const QString t = VarianteParaTexto(valor());
    if (t.trimmed().isEmpty()) return false;
    if (const auto v = textoParaBooleano(t)) return *v;
    recusa(t, "sim/não");
}

QDateTime Campo::asDateTime() const {
    if (isNull()) return DataHoraZero();
    if (valor().typeId() == QMetaType::QDateTime) return valor().toDateTime();
    if (ehNumero(valor())) return DiasParaDataHora(valor().toDouble());
    const QString t = VarianteParaTexto(valor());
    if (t.trimmed().isEmpty()) return DataHoraZero();
    if (const auto d = TextoParaDataHora(t)) return *d;
    recusa(t, "de data/hora");
}

QVariant Campo::asVariant() const { return isNull() ? Nulo() : valor(); }

void Campo::setValue(const QVariant& valor) {
    if (dono_) dono_->exigeNavegando(nullptr);
    valor_ = ConverteParaTipo(valor, info_.tipo, info_.nome);
    aviso_.clear();
    pendente_ = nullptr;
    alterado_ = true;
}

void Campo::materializa() const {
    sqlite3_stmt* st = pendente_;
    pendente_ = nullptr;
    aviso_.clear();
    valor_ = leColuna(st, coluna_, info_.tipo, natural_, aviso_);
}

void Campo::clear() { setValue(Nulo()); }

// --------------------------------------------------------------- Consulta

Consulta::Consulta(Conexao* conexao, const QString& sql) : conexao_(conexao), sql_(sql) {}

Consulta::~Consulta() { close(); }

void Consulta::setConnection(Conexao* conexao) {
    close();
    conexao_ = conexao;
    abertoCom_.clear();
}

void Consulta::setSql(const QString& sql) {
    close();
    sql_ = sql;
}

QString Consulta::nomeConsulta() const { return tabelaBase_.isEmpty() ? sql_ : tabelaBase_; }

void Consulta::garanteConexao() const {
    if (!conexao_ || !conexao_->connected())
        throw ErroBanco(QString("A conexão do comando \"%1\" não está aberta.").arg(sql_));
}

// Writing a field is allowed only while appending or editing.
void Consulta::exigeNavegando(const char*) const {
    if (estado_ != Estado::Inserindo && estado_ != Estado::Editando)
        throw ErroBanco(QString("O conjunto de dados \"%1\" não está em modo de edição ou inclusão.").arg(nomeConsulta()));
}

void Consulta::montaCampos(const QList<InfoColuna>& cols) {
    atalhos_ = {};
    campos_.clear();
    campos_.reserve(cols.size());
    for (const InfoColuna& c : cols) campos_.push_back(std::make_unique<Campo>(this, c));
}

void Consulta::open() {
    garanteConexao();
    // Reopening the same statement (a counter read for every record, say)
    // keeps the fields and the translation: only the statement runs again.
    const bool mesmoComando = !campos_.empty() && abertoCom_ == sql_ && geracaoAberta_ == conexao_->geracao();
    close();
    if (!mesmoComando) {
        comando_ = Comando();
        gravacao_ = Comando();
        atalhos_ = {};
        campos_.clear();
        naturais_.clear();
        const SqlTraduzido& t = conexao_->traduz(sql_);
        if (t.tipo != TipoComando::Selecao)
            throw ErroBanco(QString("O comando \"%1\" não retorna registros.").arg(sql_));
        sqlTraduzido_ = t.sql;
        tabelaBase_ = t.tabelaBase;
        conexao_->preparaTabelas(t);
        if (!tabelaBase_.isEmpty()) {
            const QList<InfoColuna> cols = conexao_->colunas(tabelaBase_);
            sqlExecutado_ = "SELECT _rowid_, *" + sqlTraduzido_.mid(8);
            comando_ = conexao_->obtem(sqlExecutado_, sql_);
            montaCampos(cols);
            naturais_.assign(cols.size(), false);
            primeiraColuna_ = 1;
        } else {
            sqlExecutado_ = sqlTraduzido_;
            comando_ = conexao_->obtem(sqlExecutado_, sql_);
            sqlite3_stmt* st = comando_.get();
            QList<InfoColuna> cols;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                InfoColuna c;
                c.nome = QString::fromUtf8(sqlite3_column_name(st, i));
                const char* decl = sqlite3_column_decltype(st, i);
                naturais_.push_back(decl == nullptr);
                if (decl) c.tipo = TipoDeclarado(QString::fromUtf8(decl), &c.tamanho);
                cols.append(c);
            }
            montaCampos(cols);
            primeiraColuna_ = 0;
        }
        abertoCom_ = sql_;
        geracaoAberta_ = conexao_->geracao();
    } else {
        if (!comando_) comando_ = conexao_->obtem(sqlExecutado_, sql_);
        for (auto& c : campos_) c->carrega(Nulo());
    }
    estado_ = Estado::Navegando;
    buscou_ = false;
    fim_ = false;
    posicao_ = -1;
    total_ = -1;
    if (afterOpen) afterOpen(*this);
}

void Consulta::materializaPendentes() {
    for (auto& c : campos_)
        if (c->pendente()) c->materializa();
}

void Consulta::close() {
    // The statement stays with the dataset, reset, for a reopening of the
    // same statement; any other opening returns it to the pool. The fields
    // keep the row they stood on.
    materializaPendentes();
    if (comando_) sqlite3_reset(comando_.get());
    salvos_.clear();
    estado_ = Estado::Fechada;
    buscou_ = false;
    fim_ = false;
    posicao_ = -1;
    total_ = -1;
}

bool Consulta::passo() {
    sqlite3_stmt* st = comando_.get();
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < campos_.size(); ++i)
            campos_[i]->adia(st, static_cast<int>(i) + primeiraColuna_, naturais_[i]);
        if (primeiraColuna_) rowid_ = sqlite3_column_int64(st, 0);
        ++posicao_;
        return true;
    }
    // Past the last row there is no current record: what was not read of
    // the last one is gone with it.
    for (auto& c : campos_)
        if (c->pendente()) c->carrega(Nulo());
    if (rc == SQLITE_DONE) {
        fim_ = true;
        return false;
    }
    conexao_->falha(rc, sql_, tabelaBase_);
}

void Consulta::reinicia() {
    materializaPendentes();
    sqlite3_reset(comando_.get());
    buscou_ = true;
    fim_ = false;
    posicao_ = -1;
}

void Consulta::buscaPrimeira() {
    if (buscou_ || estado_ == Estado::Fechada) return;
    buscou_ = true;
    if (passo() && afterScroll) afterScroll(*this);
}

qint64 Consulta::recordCount() {
    if (!active()) throw ErroBanco(QString("O conjunto de dados \"%1\" está fechado.").arg(nomeConsulta()));
    if (total_ < 0) {
        Comando c = conexao_->obtem("SELECT count(*) FROM (" + sqlTraduzido_ + ")", sql_);
        const int rc = sqlite3_step(c.get());
        if (rc != SQLITE_ROW) conexao_->falha(rc, sql_, tabelaBase_);
        total_ = sqlite3_column_int64(c.get(), 0);
    }
    return total_;
}

bool Consulta::eof() {
    if (!active()) return true;
    buscaPrimeira();
    return fim_;
}

void Consulta::next() {
    if (!active()) throw ErroBanco(QString("O conjunto de dados \"%1\" está fechado.").arg(nomeConsulta()));
    if (!buscou_) {
        buscaPrimeira();
        if (fim_) return;
    }
    if (fim_) return;
    passo();
    if (afterScroll) afterScroll(*this);
}

void Consulta::first() {
    if (!active()) throw ErroBanco(QString("O conjunto de dados \"%1\" está fechado.").arg(nomeConsulta()));
    reinicia();
    if (passo() && afterScroll) afterScroll(*this);
}

void Consulta::append() {
    if (!active()) throw ErroBanco(QString("O conjunto de dados \"%1\" está fechado.").arg(nomeConsulta()));
    if (tabelaBase_.isEmpty())
        throw ErroBanco(QString("O comando \"%1\" não permite incluir registros.").arg(sql_));
    if (estado_ != Estado::Navegando) post();
    salvos_.clear();
    // Cancel brings back the record that was current; a dataset that has
    // read no row (a table opened to append to) has none to keep.
    const bool guarda = posicao_ >= 0;
    for (auto& c : campos_) {
        if (guarda) salvos_.push_back(c->bruto());
        c->carrega(Nulo());
    }
    estado_ = Estado::Inserindo;
    if (onNewRecord) onNewRecord(*this);
}

void Consulta::edit() {
    if (!active()) throw ErroBanco(QString("O conjunto de dados \"%1\" está fechado.").arg(nomeConsulta()));
    if (tabelaBase_.isEmpty())
        throw ErroBanco(QString("O comando \"%1\" não permite alterar registros.").arg(sql_));
    if (estado_ != Estado::Navegando) return;
    buscaPrimeira();
    if (posicao_ < 0 || fim_)
        throw ErroBanco(QString("Não há registro atual em \"%1\" para alterar.").arg(nomeConsulta()));
    salvos_.clear();
    for (auto& c : campos_) salvos_.push_back(c->bruto());
    estado_ = Estado::Editando;
}

void Consulta::post() {
    if (estado_ != Estado::Inserindo && estado_ != Estado::Editando) return;
    // The written fields, and their mask, which names the statement.
    std::vector<Campo*> alterados;
    QByteArray mascara(static_cast<qsizetype>(campos_.size()) + 1, '0');
    mascara[0] = estado_ == Estado::Inserindo ? 'I' : 'U';
    for (size_t i = 0; i < campos_.size(); ++i) {
        Campo* c = campos_[i].get();
        if (!c->alterado()) continue;
        mascara[static_cast<qsizetype>(i) + 1] = '1';
        const InfoColuna& info = c->info();
        if (info.tipo == TipoCampo::Texto && info.tamanho > 0 && !c->isNull()) {
            const qsizetype n = c->asString().size();
            if (n > info.tamanho)
                throw ErroBanco(QString("O campo '%1.%2' é pequeno demais para aceitar a quantidade de dados que "
                                        "você tentou adicionar (%3 caracteres; o máximo é %4).")
                                    .arg(tabelaBase_, info.nome)
                                    .arg(n)
                                    .arg(info.tamanho));
        }
        alterados.push_back(c);
    }
    if (estado_ == Estado::Editando && alterados.empty()) {
        estado_ = Estado::Navegando;
        return;
    }
    if (mascara != mascaraGravacao_ || !gravacao_) {
        QString& sql = conexao_->comandoGravacao(tabelaBase_, mascara);
        if (sql.isEmpty()) {
            if (estado_ == Estado::Inserindo) {
                if (alterados.empty()) {
                    sql = "INSERT INTO " + aspas(tabelaBase_) + " DEFAULT VALUES";
                } else {
                    QStringList nomes, marcas;
                    for (Campo* c : alterados) {
                        nomes << aspas(c->fieldName());
                        marcas << "?";
                    }
                    sql = "INSERT INTO " + aspas(tabelaBase_) + " (" + nomes.join(',') + ") VALUES (" +
                          marcas.join(',') + ")";
                }
            } else {
                QStringList sets;
                for (Campo* c : alterados) sets << aspas(c->fieldName()) + "=?";
                sql = "UPDATE " + aspas(tabelaBase_) + " SET " + sets.join(',') + " WHERE _rowid_=?";
            }
        }
        gravacao_ = conexao_->obtem(sql);
        mascaraGravacao_ = mascara;
    }
    sqlite3_stmt* st = gravacao_.get();
    int i = 1;
    std::vector<QByteArray> guarda;
    guarda.reserve(alterados.size());
    for (Campo* c : alterados) vincula(st, i++, c->bruto(), guarda);
    if (estado_ == Estado::Editando) sqlite3_bind_int64(st, i, rowid_);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) {
        try {
            conexao_->falha(rc, gravacao_.sql(), tabelaBase_);
        } catch (...) {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
            throw;
        }
    }
    // The bound bytes die with `guarda`.
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (Campo* c : alterados) c->marcaGravado();
    salvos_.clear();
    estado_ = Estado::Navegando;
}

void Consulta::cancel() {
    if (estado_ != Estado::Inserindo && estado_ != Estado::Editando) return;
    for (size_t i = 0; i < campos_.size(); ++i) campos_[i]->carrega(i < salvos_.size() ? salvos_[i] : Nulo());
    salvos_.clear();
    estado_ = Estado::Navegando;
}

Campo* Consulta::findField(QStringView nome) {
    // Fibonacci hashing of the address: literals lie a few bytes apart.
    const quint64 h = quint64(reinterpret_cast<quintptr>(nome.data())) * 0x9E3779B97F4A7C15ull;
    Atalho& atalho = atalhos_[h >> 58];
    if (atalho.nome == nome.data() && atalho.campo && atalho.campo->fieldName() == nome) return atalho.campo;
    // Names are nearly always written as the table has them: an exact
    // comparison first, letter case ignored only when that finds nothing.
    for (auto& c : campos_)
        if (c->fieldName().size() == nome.size() && c->fieldName() == nome) {
            atalho = {nome.data(), c.get()};
            return c.get();
        }
    for (auto& c : campos_)
        if (c->fieldName().compare(nome, Qt::CaseInsensitive) == 0) return c.get();
    return nullptr;
}

Campo& Consulta::fieldByName(QStringView nome) {
    if (Campo* c = findField(nome)) {
        if (estado_ == Estado::Navegando) buscaPrimeira();
        return *c;
    }
    throw ErroBanco(QString("O campo '%1' não foi encontrado em \"%2\".").arg(nome.toString(), nomeConsulta()));
}

bool Consulta::locate(const QString& campo, const QVariant& valor) {
    Campo& c = fieldByName(campo);
    const qint64 anterior = posicao_;
    const bool estavaNoFim = fim_;
    const QString procurado = VarianteParaTexto(valor);
    reinicia();
    while (passo()) {
        if (c.asString().compare(procurado, Qt::CaseInsensitive) == 0) {
            if (afterScroll) afterScroll(*this);
            return true;
        }
    }
    // Not found: back to where the dataset was.
    reinicia();
    while (posicao_ < anterior && passo()) {
    }
    if (estavaNoFim) {
        while (passo()) {
        }
    }
    return false;
}

int Consulta::execSql() {
    garanteConexao();
    return conexao_->execute(sql_);
}

std::unique_ptr<Consulta> CriaQuery(const QString& sql, Conexao& conexao) {
    return std::make_unique<Consulta>(&conexao, sql);
}

std::unique_ptr<Consulta> CriaQuery(Conexao& conexao, const QString& sql) { return CriaQuery(sql, conexao); }

QString PegaValor(const QString& sql, const QString& campo, Conexao& conexao) {
    auto q = CriaQuery(conexao, sql);
    q->open();
    if (q->eof()) return {};
    return q->fieldByName(campo).asString();
}

}  // namespace tarvo::db
