#include "funcoes.h"

#include "db/tipos.h"

#include <QDateTime>
#include <QLocale>

namespace tarvo {

Variante Nulo() {
    // Built once: every new record starts with all its fields null.
    static const QVariant nulo = QVariant::fromValue(nullptr);
    return nulo;
}

bool EhNulo(const Variante& v) {
    return !v.isValid() || v.typeId() == QMetaType::Nullptr;
}

QString VarianteParaTexto(const Variante& v) {
    if (EhNulo(v)) return {};
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDateTime: return db::DataHoraParaTexto(v.toDateTime());
    case QMetaType::QByteArray: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
    }
}

Variante IIf(bool condicao, const Variante& seVerdadeiro, const Variante& seFalso) {
    return condicao ? seVerdadeiro : seFalso;
}

Variante Nvl(const Variante& valor, const Variante& padrao) {
    return IIf(EhNulo(valor) || VarianteParaTexto(valor).isEmpty(), padrao, valor);
}

namespace {

QString normalizaAscii(const QString& s) {
    qsizetype ini = 0, fim = s.size();
    while (ini < fim && s.at(ini).unicode() <= 32) ++ini;
    while (fim > ini && s.at(fim - 1).unicode() <= 32) --fim;
    QString r = s.mid(ini, fim - ini);
    for (QChar& c : r)
        if (c.unicode() >= 'a' && c.unicode() <= 'z') c = QChar(c.unicode() - 32);
    return r;
}

}  // namespace

int IndiceNoArray(const QStringList& lista, const QString& texto) {
    const QString procurado = normalizaAscii(texto);
    for (int i = 0; i < lista.size(); ++i)
        if (normalizaAscii(lista.at(i)) == procurado) return i;
    return -1;
}

QString Maiusculas(const QString& texto) {
    static const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    return brasil.toUpper(texto);
}

QString QuebraLinhas(int quantidade) {
    return quantidade > 0 ? QStringLiteral("\r\n").repeated(quantidade) : QString();
}

QString VersaoDoPrograma() {
#ifdef TARVO_VERSAO
    return QString::fromUtf8(TARVO_VERSAO);
#else
    return {};
#endif
}

}  // namespace tarvo
