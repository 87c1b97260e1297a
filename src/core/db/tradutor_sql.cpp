// Translation of Jet SQL into SQLite SQL: a tokenizer and a recursive-descent
// parser that rebuild the statement in SQLite's syntax, plus the SQL functions
// and the collation that give the translated text Jet's results.
//
// What the translator knows (anything else is refused with ErroBanco, never
// passed through):
//   SELECT [DISTINCT] (* | expr [AS nome], ...) FROM tabela
//          [WHERE expr] [ORDER BY expr [ASC|DESC], ...]
//   DELETE [*] FROM tabela [WHERE expr]
//   UPDATE tabela SET coluna = expr, ... [WHERE expr]
//   INSERT INTO tabela [(coluna, ...)] VALUES (expr, ...)
// optionally followed by ";". Expressions follow Jet's precedence, from the
// loosest: OR, AND, NOT, comparison (= <> < > <= >= IS [NOT] NULL), "&",
// "+" "-", "*" "/", unary minus. As in VBA, "&" binds more loosely than the
// arithmetic operators: "a" & 1 + 2 is "a3".
//
// Jet semantics kept in the translated text:
//   - every identifier is double-quoted and every literal single-quoted, so
//     SQLite never takes a Jet "text" for a column or the reverse;
//   - true/false become 1/0, the way the layer stores booleans;
//   - "+" becomes jet_mais (texts concatenate, numbers add, null propagates),
//     "&" becomes jet_concat (null is empty text), "/" divides as reals;
//   - a comparison with text on one side (a literal, or an expression that
//     always yields text such as Mid or Format) gets COLLATE JETNOCASE, Jet's
//     case-insensitive comparison. Comparisons between two columns or with
//     numbers keep SQLite's own, so integer keys still use their indexes;
//   - NOT, AND and OR are logical (Jet's are bitwise, which on the stored 1/0
//     would make "not 1" true);
//   - iif becomes CASE WHEN, which like Jet takes null as false;
//   - Mid becomes substr, Len length, Format jet_format.
// Errors read "Comando SQL não suportado: <construção>. Comando: <texto>" for
// a construct it does not know (a function, a keyword, a character, a
// subquery, a join) and "Comando SQL inválido: <motivo>. Comando: <texto>"
// for a statement that is not Jet SQL at all.
//
// Known differences, none of which the program's statements meet: ORDER BY
// compares texts with SQLite's binary order (Jet ignores case); "-" "*" and
// "/" on a text that is not a number give SQLite's 0 instead of Jet's error,
// and division by zero gives null; Mid with a start below 1 follows substr
// instead of failing; identifiers differing only in the case of accented
// letters are different names for SQLite.
#include "db/tradutor_sql.h"

#include "erros.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace tarvo::db {
namespace {

// ---------------------------------------------------------------- errors

[[noreturn]] void Falha(const QString& jet, const QString& natureza, const QString& detalhe) {
    throw ErroBanco(QStringLiteral("Comando SQL ") + natureza + QStringLiteral(": ") + detalhe +
                    QStringLiteral(". Comando: ") + jet.trimmed());
}

[[noreturn]] void NaoSuportado(const QString& jet, const QString& construcao) {
    Falha(jet, QStringLiteral("não suportado"), construcao);
}

[[noreturn]] void Invalido(const QString& jet, const QString& motivo) {
    Falha(jet, QStringLiteral("inválido"), motivo);
}

// ---------------------------------------------------------------- tokens

enum class TipoToken { Nome, Numero, Texto, Simbolo, Fim };

struct Token {
    TipoToken tipo = TipoToken::Fim;
    // Nome: the identifier (without brackets); Texto: the literal's value;
    // Numero and Simbolo: as written.
    QString texto;
    bool colchetes = false;  // a [bracketed] name, never a keyword
};

bool EhDigitoAscii(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Identifiers may hold any letter (código_cartão) and combining marks, for
// names typed in decomposed form.
bool IniciaNome(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool ContinuaNome(QChar c) { return c.isLetterOrNumber() || c.isMark() || c == QLatin1Char('_'); }

QList<Token> Tokeniza(const QString& jet) {
    QList<Token> tokens;
    const qsizetype n = jet.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jet[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        if (c == QLatin1Char('[')) {
            const qsizetype fim = jet.indexOf(QLatin1Char(']'), i + 1);
            if (fim < 0) Invalido(jet, QStringLiteral("nome entre colchetes sem ']' de fechamento"));
            t.tipo = TipoToken::Nome;
            t.texto = jet.mid(i + 1, fim - i - 1);
            t.colchetes = true;
            if (t.texto.trimmed().isEmpty()) Invalido(jet, QStringLiteral("nome vazio entre colchetes"));
            i = fim + 1;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // Jet accepts both quotes; the same quote doubled stands for itself.
            t.tipo = TipoToken::Texto;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n) Invalido(jet, QStringLiteral("texto sem aspas de fechamento"));
                if (jet[j] == c) {
                    if (j + 1 < n && jet[j + 1] == c) {
                        t.texto += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.texto += jet[j++];
            }
            i = j + 1;
        } else if (EhDigitoAscii(c)) {
            qsizetype j = i;
            while (j < n && EhDigitoAscii(jet[j])) ++j;
            if (j + 1 < n && jet[j] == QLatin1Char('.') && EhDigitoAscii(jet[j + 1])) {
                ++j;
                while (j < n && EhDigitoAscii(jet[j])) ++j;
            }
            if (j < n && (jet[j] == QLatin1Char('e') || jet[j] == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (jet[k] == QLatin1Char('+') || jet[k] == QLatin1Char('-'))) ++k;
                if (k < n && EhDigitoAscii(jet[k])) {
                    j = k;
                    while (j < n && EhDigitoAscii(jet[j])) ++j;
                }
            }
            t.tipo = TipoToken::Numero;
            t.texto = jet.mid(i, j - i);
            i = j;
        } else if (IniciaNome(c)) {
            qsizetype j = i + 1;
            while (j < n && ContinuaNome(jet[j])) ++j;
            t.tipo = TipoToken::Nome;
            t.texto = jet.mid(i, j - i);
            i = j;
        } else {
            t.tipo = TipoToken::Simbolo;
            const QString dois = jet.mid(i, 2);
            if (dois == QLatin1String("<>") || dois == QLatin1String("<=") || dois == QLatin1String(">=")) {
                t.texto = dois;
                i += 2;
            } else if (QStringLiteral("=<>+-*/&(),;.").contains(c)) {
                t.texto = c;
                ++i;
            } else {
                NaoSuportado(jet, QStringLiteral("caractere '") + c + QLatin1Char('\''));
            }
        }
        tokens.append(t);
    }
    tokens.append(Token{});
    return tokens;
}

// Words that structure the statements the translator knows.
const QSet<QString>& PalavrasConhecidas() {
    static const QSet<QString> p = {
        "SELECT", "DISTINCT", "FROM", "WHERE", "ORDER", "BY", "ASC", "DESC", "AS", "DELETE", "UPDATE",
        "SET", "INSERT", "INTO", "VALUES", "AND", "OR", "NOT", "IS", "NULL", "TRUE", "FALSE",
    };
    return p;
}

// Jet words the translator does not know: met anywhere, they are named in
// the error instead of being taken for a column.
const QSet<QString>& PalavrasNaoSuportadas() {
    static const QSet<QString> p = {
        "GROUP", "HAVING", "UNION", "JOIN", "INNER", "LEFT", "RIGHT", "OUTER", "FULL", "ON",
        "TOP", "PERCENT", "DISTINCTROW", "IN", "BETWEEN", "LIKE", "EXISTS", "ALL", "ANY", "SOME",
        "XOR", "EQV", "IMP", "MOD", "TRANSFORM", "PIVOT", "PARAMETERS", "WITH", "CREATE", "DROP",
        "ALTER",
    };
    return p;
}

QString Aspas(const QString& nome) {
    QString s = nome;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString Apostrofos(const QString& texto) {
    QString s = texto;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// A Format pattern that jet_format knows: one or more zeros.
bool EhFormatoDeZeros(const QString& formato) {
    if (formato.isEmpty()) return false;
    for (QChar c : formato)
        if (c != QLatin1Char('0')) return false;
    return true;
}

// ---------------------------------------------------------------- parser

// Binding strength of the SQLite text produced for a node; a child weaker
// than its place requires is put in parentheses.
constexpr int kOu = 1;
constexpr int kE = 2;
constexpr int kNao = 3;
constexpr int kComparacao = 4;
constexpr int kAditiva = 6;
constexpr int kMultiplicativa = 7;
constexpr int kUnaria = 8;
constexpr int kPrimaria = 10;

struct Expressao {
    explicit Expressao(QString texto, int forcaDoTexto = kPrimaria) : sql(std::move(texto)), forca(forcaDoTexto) {}

    QString sql;
    int forca = kPrimaria;
    bool texto = false;                  // always yields text (or null)
    std::optional<QString> literalTexto;  // the value, when a string literal
    bool literalNumero = false;
};

QString Envolve(const Expressao& e, int minimo) {
    return e.forca < minimo ? QLatin1Char('(') + e.sql + QLatin1Char(')') : e.sql;
}

struct Funcao {
    int minimo;
    int maximo;
};

const QHash<QString, Funcao>& Funcoes() {
    static const QHash<QString, Funcao> f = {
        {"IIF", {3, 3}}, {"MID", {2, 3}}, {"LEN", {1, 1}},   {"FORMAT", {2, 2}}, {"SUM", {1, 1}},
        {"MAX", {1, 1}}, {"MIN", {1, 1}}, {"COUNT", {1, 1}}, {"AVG", {1, 1}}};
    return f;
}

class Tradutor {
public:
    explicit Tradutor(const QString& jet) : jet_(jet), tokens_(Tokeniza(jet)) {}

    SqlTraduzido traduz() {
        if (atual().tipo == TipoToken::Fim) throw ErroBanco(QStringLiteral("Comando SQL vazio."));
        SqlTraduzido r;
        if (ehPalavra("SELECT")) {
            selecao(r);
        } else if (ehPalavra("DELETE")) {
            exclusao(r);
        } else if (ehPalavra("UPDATE")) {
            atualizacao(r);
        } else if (ehPalavra("INSERT")) {
            insercao(r);
        } else if (atual().tipo == TipoToken::Nome && !atual().colchetes) {
            NaoSuportado(jet_, QStringLiteral("comando '") + atual().texto.toUpper() + QLatin1Char('\''));
        } else {
            inesperado(QStringLiteral("SELECT, DELETE, UPDATE ou INSERT"));
        }
        if (ehSimbolo(";")) avanca();
        if (atual().tipo != TipoToken::Fim) inesperado(QStringLiteral("o fim do comando"));
        return r;
    }

private:
    const Token& atual() const { return tokens_[pos_]; }
    const Token& seguinte() const { return tokens_[qMin(pos_ + 1, tokens_.size() - 1)]; }
    void avanca() {
        if (pos_ + 1 < tokens_.size()) ++pos_;
    }

    bool ehSimbolo(const char* s) const {
        return atual().tipo == TipoToken::Simbolo && atual().texto == QLatin1String(s);
    }
    bool ehPalavra(const char* p) const {
        return atual().tipo == TipoToken::Nome && !atual().colchetes &&
               atual().texto.compare(QLatin1String(p), Qt::CaseInsensitive) == 0;
    }
    bool ehReservada(const Token& t) const {
        if (t.tipo != TipoToken::Nome || t.colchetes) return false;
        const QString p = t.texto.toUpper();
        return PalavrasConhecidas().contains(p) || PalavrasNaoSuportadas().contains(p);
    }

    static QString descreve(const Token& t) {
        switch (t.tipo) {
        case TipoToken::Fim: return QStringLiteral("o fim do comando");
        case TipoToken::Texto: return QStringLiteral("o texto \"") + t.texto + QLatin1Char('"');
        case TipoToken::Nome:
            if (t.colchetes) return QStringLiteral("'[") + t.texto + QStringLiteral("]'");
            [[fallthrough]];
        default: return QLatin1Char('\'') + t.texto + QLatin1Char('\'');
        }
    }

    // The current token does not fit. A Jet word the translator does not know
    // is named as such; anything else is a syntax error.
    [[noreturn]] void inesperado(const QString& esperado) const {
        const Token& t = atual();
        if (t.tipo == TipoToken::Nome && !t.colchetes && PalavrasNaoSuportadas().contains(t.texto.toUpper()))
            NaoSuportado(jet_, QStringLiteral("palavra-chave '") + t.texto.toUpper() + QLatin1Char('\''));
        Invalido(jet_, QStringLiteral("esperava ") + esperado + QStringLiteral(" e encontrou ") + descreve(t));
    }

    void exigeSimbolo(const char* s) {
        if (!ehSimbolo(s)) inesperado(QLatin1Char('\'') + QLatin1String(s) + QLatin1Char('\''));
        avanca();
    }
    void exigePalavra(const char* p) {
        if (!ehPalavra(p)) inesperado(QLatin1String(p));
        avanca();
    }

    // A table, column or alias name: a plain word that is not a keyword, or
    // any [bracketed] name.
    QString nome(const QString& oQue) {
        if (atual().tipo != TipoToken::Nome || ehReservada(atual())) inesperado(oQue);
        const QString n = atual().texto;
        avanca();
        return n;
    }

    QString tabela(SqlTraduzido& r) {
        if (ehSimbolo("(")) NaoSuportado(jet_, QStringLiteral("subconsulta"));
        const QString t = nome(QStringLiteral("o nome de uma tabela"));
        r.tabelas.append(t);
        return t;
    }

    QString ondeOpcional() {
        if (!ehPalavra("WHERE")) return {};
        avanca();
        return QStringLiteral(" WHERE ") + expressao().sql;
    }

    void selecao(SqlTraduzido& r) {
        avanca();
        r.tipo = TipoComando::Selecao;
        bool distinto = false;
        if (ehPalavra("DISTINCT")) {
            avanca();
            distinto = true;
        }
        QString lista;
        const bool estrela = ehSimbolo("*");
        if (estrela) {
            avanca();
            lista = QStringLiteral("*");
        } else {
            for (;;) {
                QString item = expressao().sql;
                if (ehPalavra("AS")) {
                    avanca();
                    item += QStringLiteral(" AS ") + Aspas(nome(QStringLiteral("o nome da coluna")));
                }
                lista += item;
                if (!ehSimbolo(",")) break;
                avanca();
                lista += QStringLiteral(", ");
            }
        }
        exigePalavra("FROM");
        const QString t = tabela(r);
        if (ehSimbolo(",")) NaoSuportado(jet_, QStringLiteral("junção de tabelas"));
        r.sql = QStringLiteral("SELECT ") + (distinto ? QStringLiteral("DISTINCT ") : QString()) + lista +
                QStringLiteral(" FROM ") + Aspas(t) + ondeOpcional();
        if (ehPalavra("ORDER")) {
            avanca();
            exigePalavra("BY");
            r.sql += QStringLiteral(" ORDER BY ");
            for (;;) {
                // SQLite reads a bare number here as a column position; Jet
                // does not. Refused rather than guessed.
                if (atual().tipo == TipoToken::Numero)
                    NaoSuportado(jet_, QStringLiteral("número de coluna em ORDER BY"));
                r.sql += expressao().sql;
                if (ehPalavra("ASC")) {
                    avanca();
                } else if (ehPalavra("DESC")) {
                    avanca();
                    r.sql += QStringLiteral(" DESC");
                }
                if (!ehSimbolo(",")) break;
                avanca();
                r.sql += QStringLiteral(", ");
            }
        }
        // Only a plain "select * from T" can be edited or appended to.
        if (estrela && !distinto) r.tabelaBase = t;
    }

    void exclusao(SqlTraduzido& r) {
        avanca();
        r.tipo = TipoComando::Exclusao;
        if (ehSimbolo("*")) avanca();  // Jet's "delete * from"
        exigePalavra("FROM");
        r.sql = QStringLiteral("DELETE FROM ") + Aspas(tabela(r));
        r.sql += ondeOpcional();
    }

    void atualizacao(SqlTraduzido& r) {
        avanca();
        r.tipo = TipoComando::Atualizacao;
        r.sql = QStringLiteral("UPDATE ") + Aspas(tabela(r));
        exigePalavra("SET");
        r.sql += QStringLiteral(" SET ");
        for (;;) {
            r.sql += Aspas(nome(QStringLiteral("o nome de uma coluna")));
            exigeSimbolo("=");
            r.sql += QStringLiteral(" = ") + expressao().sql;
            if (!ehSimbolo(",")) break;
            avanca();
            r.sql += QStringLiteral(", ");
        }
        r.sql += ondeOpcional();
    }

    void insercao(SqlTraduzido& r) {
        avanca();
        r.tipo = TipoComando::Insercao;
        exigePalavra("INTO");
        r.sql = QStringLiteral("INSERT INTO ") + Aspas(tabela(r));
        if (ehSimbolo("(")) {
            avanca();
            QStringList colunas;
            for (;;) {
                colunas.append(Aspas(nome(QStringLiteral("o nome de uma coluna"))));
                if (!ehSimbolo(",")) break;
                avanca();
            }
            exigeSimbolo(")");
            r.sql += QStringLiteral(" (") + colunas.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        if (ehPalavra("SELECT")) NaoSuportado(jet_, QStringLiteral("INSERT com SELECT"));
        exigePalavra("VALUES");
        exigeSimbolo("(");
        QStringList valores;
        for (;;) {
            valores.append(expressao().sql);
            if (!ehSimbolo(",")) break;
            avanca();
        }
        exigeSimbolo(")");
        r.sql += QStringLiteral(" VALUES (") + valores.join(QStringLiteral(", ")) + QLatin1Char(')');
    }

    // ------------------------------------------------------- expressions

    // Every nesting (parentheses, function arguments, NOT, signs) passes
    // through here or through negacao/unaria, so one counter bounds the
    // recursion: a hostile or damaged filter must end in an error, not in a
    // stack overflow. Real filters nest a handful of levels.
    static constexpr int kProfundidadeMaxima = 200;
    class Nivel {
    public:
        Nivel(Tradutor& t) : t_(t) {
            // The command is cut in the message: it may be megabytes long.
            if (++t_.profundidade_ > kProfundidadeMaxima)
                Invalido(t_.jet_.size() > 120 ? t_.jet_.left(120) + QStringLiteral("...") : t_.jet_,
                         QStringLiteral("mais de %1 níveis aninhados de parênteses, funções ou operadores")
                             .arg(kProfundidadeMaxima));
        }
        ~Nivel() { --t_.profundidade_; }
        Nivel(const Nivel&) = delete;
        Nivel& operator=(const Nivel&) = delete;

    private:
        Tradutor& t_;
    };

    Expressao expressao() {
        const Nivel nivel(*this);
        return ou();
    }

    Expressao ou() {
        Expressao e = conjuncao();
        while (ehPalavra("OR")) {
            avanca();
            const Expressao d = conjuncao();
            e = Expressao{Envolve(e, kOu) + QStringLiteral(" OR ") + Envolve(d, kOu), kOu};
        }
        return e;
    }

    Expressao conjuncao() {
        Expressao e = negacao();
        while (ehPalavra("AND")) {
            avanca();
            const Expressao d = negacao();
            e = Expressao{Envolve(e, kE) + QStringLiteral(" AND ") + Envolve(d, kE), kE};
        }
        return e;
    }

    Expressao negacao() {
        if (!ehPalavra("NOT")) return comparacao();
        const Nivel nivel(*this);
        avanca();
        const Expressao e = negacao();
        return Expressao{QStringLiteral("NOT ") + Envolve(e, kNao), kNao};
    }

    Expressao comparacao() {
        Expressao e = concatenacao();
        for (;;) {
            if (ehPalavra("IS")) {
                avanca();
                bool nao = false;
                if (ehPalavra("NOT")) {
                    avanca();
                    nao = true;
                }
                exigePalavra("NULL");
                e = Expressao{Envolve(e, kComparacao + 1) +
                                  (nao ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")),
                              kComparacao};
                continue;
            }
            static const char* const operadores[] = {"=", "<>", "<", ">", "<=", ">="};
            const char* op = nullptr;
            for (const char* o : operadores)
                if (ehSimbolo(o)) op = o;
            if (!op) return e;
            avanca();
            const Expressao d = concatenacao();
            e = compara(e, QLatin1String(op), d);
        }
    }

    // Jet compares texts ignoring case. The collation goes on the literal
    // side when there is one (as the statement reads), else on the side that
    // is text by construction; two columns keep SQLite's comparison.
    static Expressao compara(const Expressao& e, QLatin1String op, const Expressao& d) {
        QString esq = Envolve(e, kComparacao + 1);
        QString dir = Envolve(d, kComparacao + 1);
        const QString colacao = QStringLiteral(" COLLATE JETNOCASE");
        if (d.literalTexto)
            dir += colacao;
        else if (e.literalTexto || e.texto)
            esq += colacao;
        else if (d.texto)
            dir += colacao;
        return Expressao{esq + QLatin1Char(' ') + op + QLatin1Char(' ') + dir, kComparacao};
    }

    Expressao concatenacao() {
        Expressao e = aditiva();
        while (ehSimbolo("&")) {
            avanca();
            const Expressao d = aditiva();
            Expressao r{QStringLiteral("jet_concat(") + e.sql + QStringLiteral(", ") + d.sql + QLatin1Char(')')};
            r.texto = true;
            e = r;
        }
        return e;
    }

    Expressao aditiva() {
        Expressao e = multiplicativa();
        for (;;) {
            if (ehSimbolo("+")) {
                avanca();
                const Expressao d = multiplicativa();
                // Jet's "+" concatenates texts and adds numbers: only known
                // when the values are.
                e = Expressao{QStringLiteral("jet_mais(") + e.sql + QStringLiteral(", ") + d.sql + QLatin1Char(')')};
            } else if (ehSimbolo("-")) {
                avanca();
                const Expressao d = multiplicativa();
                e = Expressao{Envolve(e, kAditiva) + QStringLiteral(" - ") + Envolve(d, kAditiva + 1), kAditiva};
            } else {
                return e;
            }
        }
    }

    Expressao multiplicativa() {
        Expressao e = unaria();
        for (;;) {
            if (ehSimbolo("*")) {
                avanca();
                const Expressao d = unaria();
                e = Expressao{Envolve(e, kMultiplicativa) + QStringLiteral(" * ") + Envolve(d, kMultiplicativa + 1),
                              kMultiplicativa};
            } else if (ehSimbolo("/")) {
                avanca();
                const Expressao d = unaria();
                // Jet's "/" always divides as reals (7/2 is 3.5); SQLite's
                // truncates between integers.
                e = Expressao{QStringLiteral("CAST(") + e.sql + QStringLiteral(" AS REAL) / ") +
                                  Envolve(d, kMultiplicativa + 1),
                              kMultiplicativa};
            } else {
                return e;
            }
        }
    }

    Expressao unaria() {
        if (!ehSimbolo("+") && !ehSimbolo("-")) return primaria();
        const Nivel nivel(*this);
        if (ehSimbolo("+")) {
            avanca();
            return unaria();
        }
        avanca();
        const Expressao e = unaria();
        // A nested minus goes in parentheses: "--" would start a comment.
        return Expressao{QLatin1Char('-') + Envolve(e, kUnaria + 1), kUnaria};
    }

    Expressao primaria() {
        const Token t = atual();
        switch (t.tipo) {
        case TipoToken::Numero: {
            avanca();
            Expressao e{t.texto};
            e.literalNumero = true;
            return e;
        }
        case TipoToken::Texto: {
            avanca();
            Expressao e{Apostrofos(t.texto)};
            e.texto = true;
            e.literalTexto = t.texto;
            return e;
        }
        case TipoToken::Simbolo:
            if (ehSimbolo("(")) {
                avanca();
                if (ehPalavra("SELECT")) NaoSuportado(jet_, QStringLiteral("subconsulta"));
                Expressao e = expressao();
                exigeSimbolo(")");
                return e;
            }
            break;
        case TipoToken::Nome: {
            if (t.colchetes) return coluna();
            const QString palavra = t.texto.toUpper();
            if (seguinte().tipo == TipoToken::Simbolo && seguinte().texto == QLatin1String("(") &&
                !PalavrasConhecidas().contains(palavra))
                return chamada();
            if (palavra == QLatin1String("TRUE") || palavra == QLatin1String("FALSE")) {
                avanca();
                Expressao e{palavra == QLatin1String("TRUE") ? QStringLiteral("1") : QStringLiteral("0")};
                e.literalNumero = true;
                return e;
            }
            if (palavra == QLatin1String("NULL")) {
                avanca();
                return Expressao{QStringLiteral("NULL")};
            }
            if (!ehReservada(t)) return coluna();
            break;
        }
        case TipoToken::Fim: break;
        }
        inesperado(QStringLiteral("uma expressão"));
    }

    Expressao coluna() {
        QString n = Aspas(nome(QStringLiteral("o nome de uma coluna")));
        if (ehSimbolo(".")) {
            avanca();
            n += QLatin1Char('.') + Aspas(nome(QStringLiteral("o nome de uma coluna")));
        }
        return Expressao{n};
    }

    Expressao chamada() {
        const QString nomeJet = atual().texto.toUpper();
        const auto it = Funcoes().constFind(nomeJet);
        if (it == Funcoes().constEnd()) NaoSuportado(jet_, QStringLiteral("função '") + nomeJet + QLatin1Char('\''));
        avanca();
        exigeSimbolo("(");
        if (nomeJet == QLatin1String("COUNT") && ehSimbolo("*")) {
            avanca();
            exigeSimbolo(")");
            return Expressao{QStringLiteral("count(*)")};
        }
        QList<Expressao> args;
        if (!ehSimbolo(")")) {
            for (;;) {
                args.append(expressao());
                if (!ehSimbolo(",")) break;
                avanca();
            }
        }
        exigeSimbolo(")");
        const Funcao f = it.value();
        if (args.size() < f.minimo || args.size() > f.maximo) {
            const QString pede = f.minimo == f.maximo
                                     ? QString::number(f.minimo)
                                     : QString::number(f.minimo) + QStringLiteral(" ou ") + QString::number(f.maximo);
            Invalido(jet_, QStringLiteral("a função '") + nomeJet + QStringLiteral("' pede ") + pede +
                               (f.maximo == 1 ? QStringLiteral(" argumento") : QStringLiteral(" argumentos")) +
                               QStringLiteral(" e recebeu ") + QString::number(args.size()));
        }
        QStringList sqls;
        for (const Expressao& a : args) sqls.append(a.sql);
        const QString lista = sqls.join(QStringLiteral(", "));

        if (nomeJet == QLatin1String("IIF")) {
            Expressao e{QStringLiteral("CASE WHEN ") + args[0].sql + QStringLiteral(" THEN ") + args[1].sql +
                        QStringLiteral(" ELSE ") + args[2].sql + QStringLiteral(" END")};
            e.texto = args[1].texto && args[2].texto;
            return e;
        }
        if (nomeJet == QLatin1String("MID")) {
            Expressao e{QStringLiteral("substr(") + lista + QLatin1Char(')')};
            e.texto = true;
            return e;
        }
        if (nomeJet == QLatin1String("LEN")) return Expressao{QStringLiteral("length(") + lista + QLatin1Char(')')};
        if (nomeJet == QLatin1String("FORMAT")) {
            if (args[1].literalTexto && !EhFormatoDeZeros(*args[1].literalTexto))
                NaoSuportado(jet_, QStringLiteral("formato '") + *args[1].literalTexto + QStringLiteral("' em FORMAT"));
            Expressao e{QStringLiteral("jet_format(") + lista + QLatin1Char(')')};
            e.texto = true;
            return e;
        }
        // The aggregates: SQLite's behave as Jet's (null for no rows).
        return Expressao{nomeJet.toLower() + QLatin1Char('(') + lista + QLatin1Char(')')};
    }

    QString jet_;
    QList<Token> tokens_;
    int profundidade_ = 0;
    qsizetype pos_ = 0;
};

// ---------------------------------------------------------------- SQL functions

QString TextoDoValor(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void ResultaTexto(sqlite3_context* ctx, const QString& texto) {
    const QByteArray utf8 = texto.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void ResultaErro(sqlite3_context* ctx, const QString& mensagem) {
    const QByteArray utf8 = mensagem.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), static_cast<int>(utf8.size()));
}

struct Numero {
    bool inteiro = true;
    qint64 i = 0;
    double d = 0;
    double real() const { return inteiro ? static_cast<double>(i) : d; }
};

// A text that reads as a number, as Jet converts it in arithmetic: blanks
// around it are ignored and the decimal separator is the point (the layer
// stores numbers in that form, whatever the machine's locale).
std::optional<Numero> TextoComoNumero(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qint64 i = t.toLongLong(&ok, 10);
    if (ok) return Numero{true, i, 0};
    const double d = t.toDouble(&ok);
    if (ok && std::isfinite(d)) return Numero{false, 0, d};
    return std::nullopt;
}

// jet_mais(a, b): Jet's "+". Null on either side gives null; two texts
// concatenate; two numbers add, staying integer when both are integers (an
// integer overflow gives the real sum); a text and a number add when the text
// reads as a number (integer when it is one) and are an error otherwise,
// which is Jet's "type mismatch".
void JetMais(sqlite3_context* ctx, int, sqlite3_value** argv) {
    const int ta = sqlite3_value_type(argv[0]);
    const int tb = sqlite3_value_type(argv[1]);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) {
        ResultaErro(ctx, QStringLiteral("Tipos incompatíveis em '+': valor binário"));
        return;
    }
    if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
        ResultaTexto(ctx, TextoDoValor(argv[0]) + TextoDoValor(argv[1]));
        return;
    }
    Numero n[2];
    for (int k = 0; k < 2; ++k) {
        sqlite3_value* v = argv[k];
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: n[k] = Numero{true, sqlite3_value_int64(v), 0}; break;
        case SQLITE_FLOAT: n[k] = Numero{false, 0, sqlite3_value_double(v)}; break;
        default: {
            const QString texto = TextoDoValor(v);
            const auto lido = TextoComoNumero(texto);
            if (!lido) {
                ResultaErro(ctx, QStringLiteral("Tipos incompatíveis em '+': o texto '") + texto +
                                     QStringLiteral("' não é um número"));
                return;
            }
            n[k] = *lido;
        }
        }
    }
    qint64 soma = 0;
    if (n[0].inteiro && n[1].inteiro && !__builtin_add_overflow(n[0].i, n[1].i, &soma)) {
        sqlite3_result_int64(ctx, soma);
        return;
    }
    sqlite3_result_double(ctx, n[0].real() + n[1].real());
}

// jet_concat(a, b): Jet's "&". Null counts as empty text, but two nulls give
// null. A real is written with up to 15 significant digits and no trailing
// ".0" (3.0 & "" is "3").
void JetConcat(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL && sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QString r;
    for (int k = 0; k < 2; ++k) {
        sqlite3_value* v = argv[k];
        switch (sqlite3_value_type(v)) {
        case SQLITE_NULL: break;
        case SQLITE_FLOAT: r += QString::number(sqlite3_value_double(v), 'g', 15); break;
        case SQLITE_BLOB: ResultaErro(ctx, QStringLiteral("Tipos incompatíveis em '&': valor binário")); return;
        default: r += TextoDoValor(v);
        }
    }
    ResultaTexto(ctx, r);
}

// Digits (no sign) left-padded with zeros to the width of the pattern.
QString PreencheZeros(QString digitos, bool negativo, qsizetype largura) {
    while (digitos.size() > 1 && digitos.startsWith(QLatin1Char('0'))) digitos.remove(0, 1);
    if (digitos == QLatin1String("0")) negativo = false;
    return (negativo ? QStringLiteral("-") : QString()) + digitos.rightJustified(largura, QLatin1Char('0'));
}

QString FormataReal(double d, qsizetype largura) {
    // Format rounds halves away from zero (2.5 gives 3), unlike Round.
    const double r = std::round(d);
    return PreencheZeros(QString::number(std::fabs(r), 'f', 0), r < 0, largura);
}

// jet_format(x, formato): Jet's Format with the patterns "0", "00", "000"...
// A number, or a text that reads as one, is rounded to an integer and padded
// with zeros to the pattern's width (never cut: Format(123, "00") is "123");
// null gives null; any other text, the empty text included, comes back
// unchanged. Any other pattern is an error naming it.
void JetFormat(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) != SQLITE_TEXT) {
        ResultaErro(ctx, QStringLiteral("Format: o formato deve ser um texto de zeros, como '00'"));
        return;
    }
    const QString formato = TextoDoValor(argv[1]);
    if (!EhFormatoDeZeros(formato)) {
        ResultaErro(ctx, QStringLiteral("Format: o formato '") + formato +
                             QStringLiteral("' não é suportado (só zeros, como '00')"));
        return;
    }
    const qsizetype largura = formato.size();
    sqlite3_value* v = argv[0];
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: sqlite3_result_null(ctx); return;
    case SQLITE_INTEGER: {
        const qint64 i = sqlite3_value_int64(v);
        QString digitos = QString::number(i);
        if (i < 0) digitos.remove(0, 1);
        ResultaTexto(ctx, PreencheZeros(digitos, i < 0, largura));
        return;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        if (std::isfinite(d))
            ResultaTexto(ctx, FormataReal(d, largura));
        else
            sqlite3_result_value(ctx, v);
        return;
    }
    case SQLITE_BLOB: ResultaErro(ctx, QStringLiteral("Format: valor binário")); return;
    default: break;
    }
    const QString texto = TextoDoValor(v);
    QString t = texto.trimmed();
    bool negativo = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negativo = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    // An integer text keeps every digit, however long.
    if (!t.isEmpty() && std::all_of(t.cbegin(), t.cend(), EhDigitoAscii)) {
        ResultaTexto(ctx, PreencheZeros(t, negativo, largura));
        return;
    }
    if (const auto n = TextoComoNumero(texto)) {
        ResultaTexto(ctx, FormataReal(n->real(), largura));
        return;
    }
    ResultaTexto(ctx, texto);
}

// JETNOCASE: Jet's text comparison, ignoring case with Unicode case folding
// (Ç equals ç).
int ComparaSemCaixa(void*, int na, const void* a, int nb, const void* b) {
    // Plain ASCII on both sides (table names, codes, most descriptions)
    // folds byte by byte, in the same order as the Unicode comparison.
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    bool ascii = true;
    for (int i = 0; i < na && ascii; ++i) ascii = pa[i] < 0x80;
    for (int i = 0; i < nb && ascii; ++i) ascii = pb[i] < 0x80;
    if (ascii) {
        const int n = std::min(na, nb);
        for (int i = 0; i < n; ++i) {
            const int x = pa[i] >= 'A' && pa[i] <= 'Z' ? pa[i] + 32 : pa[i];
            const int y = pb[i] >= 'A' && pb[i] <= 'Z' ? pb[i] + 32 : pb[i];
            if (x != y) return x < y ? -1 : 1;
        }
        return na == nb ? 0 : (na < nb ? -1 : 1);
    }
    const QString x = QString::fromUtf8(static_cast<const char*>(a), na);
    const QString y = QString::fromUtf8(static_cast<const char*>(b), nb);
    const int c = x.compare(y, Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString DescreveBanco(sqlite3* db) {
    const char* arquivo = sqlite3_db_filename(db, "main");
    if (!arquivo || !*arquivo) return QStringLiteral("no banco em memória");
    return QStringLiteral("no banco '") + QString::fromUtf8(arquivo) + QLatin1Char('\'');
}

}  // namespace

SqlTraduzido TraduzJetSql(const QString& jet) { return Tradutor(jet).traduz(); }

void RegistraFuncoesJet(sqlite3* db) {
    if (!db) throw ErroBanco(QStringLiteral("Não foi possível registrar as funções do Jet: conexão fechada."));
    struct Registro {
        const char* nome;
        void (*funcao)(sqlite3_context*, int, sqlite3_value**);
    };
    static const Registro funcoes[] = {{"jet_mais", JetMais}, {"jet_concat", JetConcat}, {"jet_format", JetFormat}};
    for (const Registro& f : funcoes) {
        const int rc = sqlite3_create_function_v2(db, f.nome, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                                  nullptr, f.funcao, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw ErroBanco(QStringLiteral("Não foi possível registrar a função '") + QLatin1String(f.nome) +
                            QStringLiteral("' ") + DescreveBanco(db) + QStringLiteral(": ") +
                            QString::fromUtf8(sqlite3_errmsg(db)));
    }
    const int rc = sqlite3_create_collation_v2(db, "JETNOCASE", SQLITE_UTF8, nullptr, ComparaSemCaixa, nullptr);
    if (rc != SQLITE_OK)
        throw ErroBanco(QStringLiteral("Não foi possível registrar a comparação de textos 'JETNOCASE' ") +
                        DescreveBanco(db) + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db)));
}

}  // namespace tarvo::db
