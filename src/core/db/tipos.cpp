#include "db/tipos.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>

namespace tarvo::db {

TipoCampo TipoDeclarado(const QString& declarado, int* tamanho) {
    int n = 0;
    QString base = declarado.trimmed().toUpper();
    const int abre = base.indexOf('(');
    if (abre >= 0) {
        const int fecha = base.indexOf(')', abre);
        n = base.mid(abre + 1, fecha < 0 ? -1 : fecha - abre - 1).section(',', 0, 0).trimmed().toInt();
        base = base.left(abre).trimmed();
    }
    auto comTamanho = [&](TipoCampo t, int padrao) {
        if (tamanho) *tamanho = n > 0 ? n : padrao;
        return t;
    };
    if (tamanho) *tamanho = 0;
    if (base == "TEXT") return abre >= 0 ? comTamanho(TipoCampo::Texto, 255) : TipoCampo::Memo;
    if (base == "VARCHAR" || base == "CHAR" || base == "NVARCHAR" || base == "NCHAR" ||
        base == "CHARACTER" || base == "VARYING CHARACTER" || base == "STRING")
        return comTamanho(TipoCampo::Texto, 255);
    if (base == "MEMO" || base == "LONGTEXT" || base == "NTEXT" || base == "CLOB" ||
        base == "LONGCHAR" || base == "HYPERLINK" || base == "MEMO/HYPERLINK")
        return TipoCampo::Memo;
    if (base == "DATETIME" || base == "DATE" || base == "TIME" || base == "TIMESTAMP" ||
        base == "SMALLDATETIME")
        return TipoCampo::DataHora;
    if (base == "BOOLEAN" || base == "BOOL" || base == "BIT" || base == "YESNO" ||
        base == "LOGICAL" || base == "LOGICAL1")
        return TipoCampo::Booleano;
    if (base == "CURRENCY" || base == "MONEY" || base == "SMALLMONEY") return TipoCampo::Moeda;
    if (base == "INTEGER" || base == "INT" || base == "LONG" || base == "LONG INTEGER" ||
        base == "SMALLINT" || base == "SHORT" || base == "BYTE" || base == "TINYINT" ||
        base == "BIGINT" || base == "COUNTER" || base == "AUTOINCREMENT" || base == "INT4" ||
        base == "INT2" || base == "INT8" || base == "INTEGER1" || base == "INTEGER2" ||
        base == "INTEGER4")
        return TipoCampo::Inteiro;
    if (base == "DOUBLE" || base == "DOUBLE PRECISION" || base == "REAL" || base == "FLOAT" ||
        base == "SINGLE" || base == "NUMERIC" || base == "DECIMAL" || base == "FLOAT4" ||
        base == "FLOAT8" || base == "IEEEDOUBLE" || base == "IEEESINGLE")
        return TipoCampo::Flutuante;
    if (base == "BLOB" || base == "OLE" || base == "OLEOBJECT" || base == "LONGBINARY" ||
        base == "BINARY" || base == "VARBINARY" || base == "IMAGE" || base == "GENERAL")
        return TipoCampo::Binario;
    // Anything else follows SQLite's own affinity rules.
    if (base.contains("INT")) return TipoCampo::Inteiro;
    if (base.contains("CHAR") || base.contains("CLOB") || base.contains("TEXT"))
        return n > 0 ? comTamanho(TipoCampo::Texto, n) : TipoCampo::Memo;
    if (base.isEmpty() || base.contains("BLOB")) return TipoCampo::Binario;
    return TipoCampo::Flutuante;
}

QString NomeTipo(TipoCampo tipo, int tamanho) {
    switch (tipo) {
    case TipoCampo::Inteiro: return "INTEGER";
    case TipoCampo::Flutuante: return "DOUBLE";
    case TipoCampo::Moeda: return "CURRENCY";
    case TipoCampo::Booleano: return "BOOLEAN";
    case TipoCampo::DataHora: return "DATETIME";
    case TipoCampo::Texto: return QString("VARCHAR(%1)").arg(tamanho > 0 ? tamanho : 255);
    // Not "MEMO": SQLite would give that name numeric affinity and store a
    // memo holding "007" as the number 7.
    case TipoCampo::Memo: return "LONGTEXT";
    case TipoCampo::Binario: return "BLOB";
    }
    return "BLOB";
}

QDateTime DataHoraZero() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC); }

namespace {

// "YYYY-MM-DD HH:MM:SS", by hand: QDateTime::toString goes through the
// locale and is on the path of every date written.
QString FormataIso(int ano, int mes, int dia, int hora, int minuto, int segundo) {
    if (ano < 0 || ano > 9999) {
        char texto[48];
        std::snprintf(texto, sizeof texto, "%04d-%02d-%02d %02d:%02d:%02d", ano, mes, dia, hora, minuto, segundo);
        return QString::fromLatin1(texto);
    }
    char16_t texto[19];
    auto dois = [&](int pos, int v) {
        texto[pos] = u'0' + v / 10;
        texto[pos + 1] = u'0' + v % 10;
    };
    dois(0, ano / 100);
    dois(2, ano % 100);
    texto[4] = u'-';
    dois(5, mes);
    texto[7] = u'-';
    dois(8, dia);
    texto[10] = u' ';
    dois(11, hora);
    texto[13] = u':';
    dois(14, minuto);
    texto[16] = u':';
    dois(17, segundo);
    return QString(reinterpret_cast<const QChar*>(texto), 19);
}

}  // namespace

QString DataHoraParaIso(const QDateTime& valor) {
    // Qt's own parts where its calendar and the arithmetic below part ways:
    // an invalid value, and years before 1 (Qt has no year 0).
    auto pelasPartesDoQt = [&] {
        const QDateTime v = valor.offsetFromUtc() == 0 ? valor : valor.toUTC();
        const QDate d = v.date();
        const QTime t = v.time();
        return FormataIso(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    };
    if (!valor.isValid()) return pelasPartesDoQt();
    // The civil date of the UTC instant comes from its milliseconds (days
    // to year, month and day by the proleptic Gregorian rules), which costs
    // a fraction of QDateTime's own date and time parts.
    constexpr qint64 kMsPorDia = 86400000;
    const qint64 ms = valor.toMSecsSinceEpoch();
    const qint64 diasEpoca = (ms >= 0 ? ms : ms - (kMsPorDia - 1)) / kMsPorDia;
    const int segundos = int((ms - diasEpoca * kMsPorDia) / 1000);
    // Days since 0000-03-01, in 400-year eras.
    const qint64 z = diasEpoca + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int dia = int(doy - (153 * mp + 2) / 5 + 1);
    const int mes = int(mp < 10 ? mp + 3 : mp - 9);
    const int ano = int(yoe + era * 400 + (mes <= 2 ? 1 : 0));
    if (ano < 1) return pelasPartesDoQt();
    return FormataIso(ano, mes, dia, segundos / 3600, segundos / 60 % 60, segundos % 60);
}

namespace {

std::optional<QDateTime> monta(int ano, int mes, int dia, int h, int m, int s) {
    const QDate d(ano, mes, dia);
    const QTime t(h, m, s);
    if (!d.isValid() || !t.isValid()) return std::nullopt;
    return QDateTime(d, t, Qt::UTC);
}

}  // namespace

namespace {

// "YYYY-MM-DD HH:MM:SS", the form the layer stores, read without a regular
// expression: it is on the path of every date of every row.
std::optional<QDateTime> leIsoExato(const QString& t) {
    if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':')
        return std::nullopt;
    auto num = [&](int ini, int n, bool& ok) {
        int v = 0;
        for (int i = ini; i < ini + n; ++i) {
            const char16_t c = t[i].unicode();
            if (c < '0' || c > '9') ok = false;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    bool ok = true;
    const int ano = num(0, 4, ok), mes = num(5, 2, ok), dia = num(8, 2, ok);
    const int h = num(11, 2, ok), m = num(14, 2, ok), s = num(17, 2, ok);
    if (!ok) return std::nullopt;
    return monta(ano, mes, dia, h, m, s);
}

}  // namespace

std::optional<QDateTime> TextoParaDataHora(const QString& texto) {
    if (auto rapido = leIsoExato(texto)) return rapido;
    static const QRegularExpression iso(
        R"(^\s*(-?\d{1,4})-(\d{1,2})-(\d{1,2})(?:[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.\d+)?)?)?\s*$)");
    static const QRegularExpression br(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2,4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)");
    static const QRegularExpression hora(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*$)");
    auto n = [](const QRegularExpressionMatch& m, int i) { return m.captured(i).toInt(); };
    if (auto m = iso.match(texto); m.hasMatch())
        return monta(n(m, 1), n(m, 2), n(m, 3), n(m, 4), n(m, 5), n(m, 6));
    if (auto m = br.match(texto); m.hasMatch()) {
        int ano = n(m, 3);
        // Two-digit years as the old system read them: 00-29 are 2000s.
        if (m.captured(3).size() <= 2) ano += ano < 30 ? 2000 : 1900;
        return monta(ano, n(m, 2), n(m, 1), n(m, 4), n(m, 5), n(m, 6));
    }
    if (auto m = hora.match(texto); m.hasMatch())
        return monta(1899, 12, 30, n(m, 1), n(m, 2), n(m, 3));
    return std::nullopt;
}

QString DataHoraParaTexto(const QDateTime& valor) {
    const QDateTime v = valor.toUTC();
    const bool semHora = v.time() == QTime(0, 0);
    const bool dataZero = v.date() == QDate(1899, 12, 30);
    if (dataZero && !semHora) return v.toString(QStringLiteral("HH:mm:ss"));
    if (semHora) return v.toString(QStringLiteral("dd/MM/yyyy"));
    return v.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

double DataHoraParaDias(const QDateTime& valor) {
    const qint64 ms = DataHoraZero().msecsTo(valor.toUTC());
    const double dias = std::floor(ms / 86400000.0);
    const double fracao = (ms - dias * 86400000.0) / 86400000.0;
    // Access keeps times before the zero date as a negative day with a
    // positive fraction: -1.25 is 29/12/1899 06:00.
    return dias < 0 ? dias - fracao : dias + fracao;
}

QDateTime DiasParaDataHora(double dias) {
    const double inteiro = std::trunc(dias);
    const double fracao = std::fabs(dias - inteiro);
    const qint64 segundos = std::llround(fracao * 86400.0);
    return DataHoraZero().addDays(static_cast<qint64>(inteiro)).addSecs(segundos);
}

}  // namespace tarvo::db
