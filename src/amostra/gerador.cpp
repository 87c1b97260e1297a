#include "amostra/gerador.h"

#include "criptografa.h"
#include "db/conexao.h"
#include "db/tipos.h"
#include "erros.h"
#include "esquemas.h"
#include "registro.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tarvo::amostra {

ErroArquivoExiste::ErroArquivoExiste(const QString& arquivo)
    : Erro(QString("O arquivo '%1' já existe e não foi substituído.").arg(arquivo)), arquivo_(arquivo) {}

namespace {

using Texto = std::optional<std::string>;  // nullopt is a null field

// ------------------------------------------------------------ random numbers

// splitmix64: tiny, fast, and the same sequence on every machine and
// compiler, which the standard library's distributions do not promise.
// Each table draws from a stream of its own (seed mixed with the table's
// name), so the rows of one table do not depend on how many rows the tables
// written before it had.
class Sorteio {
public:
    Sorteio(quint64 semente, std::string_view fluxo) {
        quint64 h = 1469598103934665603ull;  // FNV-1a
        for (unsigned char c : fluxo) {
            h ^= c;
            h *= 1099511628211ull;
        }
        estado_ = semente * 0x9E3779B97F4A7C15ull ^ h;
        proximo();
    }
    quint64 proximo() {
        quint64 z = (estado_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [a, b] (the modulo bias is far below anything visible here).
    qint64 entre(qint64 a, qint64 b) {
        return a + static_cast<qint64>(proximo() % static_cast<quint64>(b - a + 1));
    }
    // True `porMil` times in a thousand.
    bool chance(int porMil) { return entre(0, 999) < porMil; }
    template <typename T, std::size_t N>
    const T& um(const T (&lista)[N]) {
        return lista[entre(0, static_cast<qint64>(N) - 1)];
    }

private:
    quint64 estado_ = 0;
};

// ------------------------------------------------------------ texts and dates

std::string Formata(const char* formato, ...) {
    char buf[256];
    va_list args;
    va_start(args, formato);
    const int n = std::vsnprintf(buf, sizeof buf, formato, args);
    va_end(args);
    return std::string(buf, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buf - 1));
}

std::string Digitos(Sorteio& s, int quantos) {
    std::string r;
    for (int i = 0; i < quantos; ++i) r += static_cast<char>('0' + s.entre(0, 9));
    return r;
}

std::string Letras(Sorteio& s, int quantos) {
    std::string r;
    for (int i = 0; i < quantos; ++i) r += static_cast<char>('A' + s.entre(0, 25));
    return r;
}

// Swaps the case of the ASCII letters: "3.A" gives "3.a".
std::string TrocaCaixa(std::string t) {
    for (char& c : t) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return t;
}

bool TemLetra(std::string_view t) {
    for (char c : t)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
    return false;
}

// Decodes one UTF-8 character at `i` (advancing `i`). The sources of this
// file are well-formed UTF-8, so no validation beyond the lead byte.
char32_t ProximoCaractere(std::string_view t, std::size_t& i) {
    const unsigned char c = static_cast<unsigned char>(t[i++]);
    if (c < 0x80) return c;
    int extras = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    char32_t cp = c & (0x3F >> extras);
    while (extras-- > 0 && i < t.size()) cp = (cp << 6) | (static_cast<unsigned char>(t[i++]) & 0x3F);
    return cp;
}

// Cuts a UTF-8 text to at most `maximo` characters (Access lengths count
// characters, not bytes).
std::string_view Corta(std::string_view t, int maximo) {
    if (maximo <= 0 || static_cast<int>(t.size()) <= maximo) return t;
    int caracteres = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if ((static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) continue;
        if (caracteres == maximo) return t.substr(0, i);
        ++caracteres;
    }
    return t;
}

// A memo as a Windows rich-edit control saves it: Windows-1252 text with
// the characters above ASCII as \'hh, lines ended by \par.
std::string Rtf(std::string_view texto) {
    std::string r = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\\viewkind4\\uc1\\pard\\f0\\fs16 ";
    for (std::size_t i = 0; i < texto.size();) {
        const char32_t cp = ProximoCaractere(texto, i);
        if (cp == '\n') r += "\\par\r\n";
        else if (cp == '\\' || cp == '{' || cp == '}') {
            r += '\\';
            r += static_cast<char>(cp);
        } else if (cp < 0x80) r += static_cast<char>(cp);
        else {
            const QByteArray b = Utf8ParaCp1252(QString::fromUcs4(&cp, 1));
            if (b == "?") r += Formata("\\u%d?", static_cast<int>(static_cast<qint16>(cp)));
            else r += Formata("\\'%02x", static_cast<unsigned char>(b.at(0)));
        }
    }
    r += "\\par }";
    return r;
}

// Plain memo text as a Windows program stores it: lines ended by CR LF.
std::string TextoSimples(std::string_view texto) {
    std::string r;
    for (char c : texto) {
        if (c == '\n') r += "\r\n";
        else r += c;
    }
    return r;
}

// A memo column: null `nulos` times in a thousand, otherwise rich text or
// plain text, half and half.
Texto Memo(Sorteio& s, std::string_view texto, int nulos = 350) {
    const qint64 r = s.entre(0, 999);
    if (r < nulos) return std::nullopt;
    if (r < nulos + (1000 - nulos) / 2) return Rtf(texto);
    return TextoSimples(texto);
}

std::string SemAcentos(std::string_view t) {
    const QString d = QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()))
                          .normalized(QString::NormalizationForm_D);
    std::string r;
    for (QChar c : d)
        if (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == '.')) r += static_cast<char>(c.toLower().unicode());
    return r;
}

// Days since 1970-01-01 of a Gregorian date, and back (Howard Hinnant's
// algorithms): no time zones, no Qt date objects on the hot path.
constexpr qint64 DiasDe(int a, int m, int d) {
    a -= m <= 2;
    const qint64 era = (a >= 0 ? a : a - 399) / 400;
    const qint64 ano = a - era * 400;
    const qint64 diaAno = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 diaEra = ano * 365 + ano / 4 - ano / 100 + diaAno;
    return era * 146097 + diaEra - 719468;
}

struct Civil {
    int ano, mes, dia;
};

constexpr Civil CivilDe(qint64 z) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 diaEra = z - era * 146097;
    const qint64 ano = (diaEra - diaEra / 1460 + diaEra / 36524 - diaEra / 146096) / 365;
    const qint64 diaAno = diaEra - (365 * ano + ano / 4 - ano / 100);
    const qint64 mp = (5 * diaAno + 2) / 153;
    const int d = static_cast<int>(diaAno - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(ano + era * 400 + (m <= 2)), m, d};
}

constexpr qint64 kPrimeiroDia = DiasDe(1995, 1, 1);
constexpr qint64 kUltimoDia = DiasDe(2025, 12, 31);
constexpr qint64 kDiaZero = DiasDe(1899, 12, 30);  // the date of a time alone

// The stored form of a date-time, "YYYY-MM-DD HH:MM:SS".
std::string Iso(qint64 dias, int segundos = 0) {
    const Civil c = CivilDe(dias + segundos / 86400);
    segundos %= 86400;
    return Formata("%04d-%02d-%02d %02d:%02d:%02d", c.ano, c.mes, c.dia, segundos / 3600, segundos / 60 % 60,
                   segundos % 60);
}

int AnoDe(qint64 dias) { return CivilDe(dias).ano; }

// ------------------------------------------------------------ SQLite, RAII

// The file being written: beside the target under another name, renamed
// over the target by conclui(); removed by the destructor otherwise.
class ArquivoParcial {
public:
    ArquivoParcial(const QString& destino, bool sobrescrever)
        : destino_(QDir::cleanPath(QFileInfo(destino).absoluteFilePath())) {
        const QFileInfo info(destino_);
        if (info.isDir()) throw Erro(QString("'%1' é uma pasta, não um arquivo.").arg(destino_));
        if (info.exists() && !sobrescrever) throw ErroArquivoExiste(destino_);
        const QString pasta = info.absolutePath();
        if (!QDir().mkpath(pasta)) throw Erro(QString("Não foi possível criar a pasta '%1'.").arg(pasta));
        parcial_ = destino_ + ".gerando";
        removeParcial();  // left over by an interrupted run
    }
    ~ArquivoParcial() {
        if (!concluido_) removeParcial();
    }
    ArquivoParcial(const ArquivoParcial&) = delete;
    ArquivoParcial& operator=(const ArquivoParcial&) = delete;

    const QString& caminho() const { return parcial_; }
    const QString& destino() const { return destino_; }

    void conclui() {
        std::error_code erro;
        // rename() replaces the target in one step, so a reader never sees
        // a half-written file under the target's name.
        std::filesystem::rename(QFile::encodeName(parcial_).toStdString(), QFile::encodeName(destino_).toStdString(),
                                erro);
        if (erro)
            throw Erro(QString("Não foi possível gravar o arquivo '%1': %2.")
                           .arg(destino_, QString::fromLocal8Bit(erro.message().c_str())));
        concluido_ = true;
    }

private:
    void removeParcial() const {
        QFile::remove(parcial_);
        QFile::remove(parcial_ + "-journal");
    }
    QString destino_;
    QString parcial_;
    bool concluido_ = false;
};

// An SQLite database being created. Messages name the target file, not the
// temporary name it is written under.
class Banco {
public:
    Banco(const QString& caminho, const QString& nome) : nome_(nome) {
        const int rc = sqlite3_open_v2(caminho.toUtf8().constData(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            const QString causa = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close(db_);
            db_ = nullptr;
            throw ErroBanco(QString("Não foi possível criar o banco de dados '%1': %2.").arg(nome_, causa));
        }
        sqlite3_extended_result_codes(db_, 1);
    }
    ~Banco() {
        // An open transaction is rolled back by the close; every statement
        // (Insercao) has been finalized by its own destructor before.
        if (db_) sqlite3_close_v2(db_);
    }
    Banco(const Banco&) = delete;
    Banco& operator=(const Banco&) = delete;

    sqlite3* handle() const { return db_; }
    const QString& nome() const { return nome_; }

    void executa(const QString& sql, const QString& acao, const QString& tabela = {}) {
        char* erro = nullptr;
        const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &erro);
        sqlite3_free(erro);
        if (rc != SQLITE_OK) falha(acao, tabela);
    }
    // Rows go in batches: one transaction per kLote rows keeps the writing
    // fast without letting the journal (when there is one) grow with the file.
    void inicia() { executa("BEGIN", "iniciar a transação"); }
    void confirma() { executa("COMMIT", "confirmar a transação"); }
    void linhaGravada() {
        if (++pendentes_ < kLote) return;
        confirma();
        inicia();
        pendentes_ = 0;
    }

    [[noreturn]] void falha(const QString& acao, const QString& tabela) const {
        const QString causa = QString::fromUtf8(sqlite3_errmsg(db_));
        if (tabela.isEmpty())
            throw ErroBanco(QString("Erro ao %1 no banco de dados '%2': %3.").arg(acao, nome_, causa));
        throw ErroBanco(
            QString("Erro ao %1 na tabela '%2' do banco de dados '%3': %4.").arg(acao, tabela, nome_, causa));
    }

private:
    static constexpr int kLote = 20000;
    sqlite3* db_ = nullptr;
    QString nome_;
    int pendentes_ = 0;
};

// A prepared INSERT into one table. Values are bound in the order of the
// columns given; texts longer than their column are cut to its length.
class Insercao {
public:
    Insercao(Banco& banco, const char* tabela, std::initializer_list<const char*> colunas)
        : banco_(banco), tabela_(QString::fromUtf8(tabela)) {
        const QHash<QString, QString> tipos = tiposDasColunas();
        QStringList nomes, marcas;
        for (const char* c : colunas) {
            const QString nome = QString::fromUtf8(c);
            const auto tipo = tipos.find(nome);
            if (tipo == tipos.end())
                throw ErroBanco(QString("A tabela '%1' do banco de dados '%2' não tem o campo '%3'.")
                                    .arg(tabela_, banco_.nome(), nome));
            int tamanho = 0;
            const db::TipoCampo t = db::TipoDeclarado(tipo.value(), &tamanho);
            limites_.push_back(t == db::TipoCampo::Texto ? tamanho : 0);
            nomes << '"' + nome + '"';
            marcas << "?";
        }
        const QByteArray sql =
            QString("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(tabela_, nomes.join(','), marcas.join(',')).toUtf8();
        if (sqlite3_prepare_v2(banco_.handle(), sql.constData(), -1, &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            banco_.falha("preparar a gravação", tabela_);
        }
    }
    ~Insercao() { sqlite3_finalize(stmt_); }
    Insercao(const Insercao&) = delete;
    Insercao& operator=(const Insercao&) = delete;

    Insercao& nulo() { return confere(sqlite3_bind_null(stmt_, proxima())); }
    Insercao& texto(std::string_view t) {
        const int i = proxima();
        const std::string_view v = Corta(t, limites_[i - 1]);
        return confere(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
    }
    Insercao& texto(const char* t) { return texto(std::string_view(t)); }
    Insercao& texto(const std::string& t) { return texto(std::string_view(t)); }
    Insercao& texto(const Texto& t) { return t ? texto(std::string_view(*t)) : nulo(); }
    Insercao& texto(const QString& t) {
        const QByteArray utf8 = t.toUtf8();
        return texto(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    }
    Insercao& inteiro(qint64 v) { return confere(sqlite3_bind_int64(stmt_, proxima(), v)); }
    Insercao& inteiro(std::optional<qint64> v) { return v ? inteiro(*v) : nulo(); }
    Insercao& real(double v) { return confere(sqlite3_bind_double(stmt_, proxima(), v)); }
    Insercao& moeda(qint64 centavos) { return real(static_cast<double>(centavos) / 100.0); }
    Insercao& moeda(std::optional<qint64> centavos) { return centavos ? moeda(*centavos) : nulo(); }
    Insercao& logico(bool v) { return inteiro(v ? 1 : 0); }
    Insercao& data(qint64 dias, int segundos = 0) { return texto(Iso(dias, segundos)); }
    Insercao& data(std::optional<qint64> dias) { return dias ? data(*dias) : nulo(); }

    // Writes the row whose values were all bound.
    void grava() {
        if (posicao_ != static_cast<int>(limites_.size()))
            throw Erro(QString("Gravação incompleta na tabela '%1': %2 de %3 campos.")
                           .arg(tabela_)
                           .arg(posicao_)
                           .arg(limites_.size()));
        if (sqlite3_step(stmt_) != SQLITE_DONE) banco_.falha("gravar", tabela_);
        sqlite3_reset(stmt_);
        posicao_ = 0;
        ++gravadas_;
        banco_.linhaGravada();
    }
    qint64 gravadas() const { return gravadas_; }
    const QString& tabela() const { return tabela_; }

private:
    QHash<QString, QString> tiposDasColunas() const {
        QHash<QString, QString> r;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QString("PRAGMA table_info(\"%1\")").arg(tabela_).toUtf8();
        if (sqlite3_prepare_v2(banco_.handle(), sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            banco_.falha("ler os campos", tabela_);
        }
        while (sqlite3_step(st) == SQLITE_ROW)
            r.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                     QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))));
        sqlite3_finalize(st);
        if (r.isEmpty()) throw ErroBanco(db::MensagemTabelaInexistente(tabela_));
        return r;
    }
    int proxima() {
        if (posicao_ >= static_cast<int>(limites_.size()))
            throw Erro(QString("Valores demais para a tabela '%1'.").arg(tabela_));
        return ++posicao_;
    }
    Insercao& confere(int rc) {
        if (rc != SQLITE_OK) banco_.falha("gravar", tabela_);
        return *this;
    }

    Banco& banco_;
    QString tabela_;
    sqlite3_stmt* stmt_ = nullptr;
    std::vector<int> limites_;  // per column: maximum characters, 0 = none
    int posicao_ = 0;
    qint64 gravadas_ = 0;
};

// ------------------------------------------------------------ fixed data

const char* const kEmpresas[] = {
    "Família Conceição",
    "José & Filhos Comércio Ltda.",
    "Ação Imobiliária São Paulo Ltda.",
    "Padaria Pão de Açúcar",
    "Oficina Mecânica do Zé",
    "Consultório Dra. Lúcia Magalhães",
    "Ateliê Coração de Maria",
    "Escritório Contábil Falcão & Simões",
};

// The chart every company of the old edition starts from: two-level codes
// as the old edition numbered them (the importer widens "1.1" to "1.01"),
// a few deeper ones, a two-digit first level and codes with letters.
struct ContaModelo {
    const char* codigo;
    const char* descricao;
    const char* tipo;
    bool dedutivel, imposto, repete;
};

const ContaModelo kPlano[] = {
    {"1", "Receitas", "R", false, false, false},
    {"1.1", "Salário", "R", false, false, true},
    {"1.2", "Aluguéis recebidos", "R", false, false, true},
    {"1.2.1", "Aluguel do apartamento da Rua São João", "R", false, false, true},
    {"1.3", "Rendimentos de aplicações", "R", false, false, false},
    {"1.4", "Vendas e serviços", "R", false, false, false},
    {"1.5", "Reembolsos", "R", false, false, false},
    {"1.10", "Prêmios e \"bônus\"", "R", false, false, false},
    {"11", "Outras receitas", "R", false, false, false},
    {"11.2", "Restituição do imposto de renda", "R", false, true, false},
    {"2", "Despesas", "D", false, false, false},
    {"2.1", "Alimentação", "D", false, false, false},
    {"2.2", "Moradia", "D", false, false, true},
    {"2.3", "Transporte", "D", false, false, false},
    {"2.3.1", "Combustível", "D", false, false, false},
    {"2.3.2", "Manutenção do veículo", "D", false, false, false},
    {"2.4", "Saúde", "D", true, false, false},
    {"2.5", "Educação", "D", true, false, true},
    {"2.6", "Lazer", "D", false, false, false},
    {"2.7", "Impostos e taxas", "D", false, true, false},
    {"2.8", "Conta d'água", "D", false, false, true},
    {"2.9", "Energia elétrica", "D", false, false, true},
    {"2.10", "Telefone e Internet", "D", false, false, true},
    {"2.11", "Vestuário", "D", false, false, false},
    {"3", "Movimentação financeira", "D", false, false, false},
    {"3.A", "Aplicações", "D", false, false, false},
    {"3.b", "Resgates", "R", false, false, false},
    {"3.C", "Transferências entre contas", "D", false, false, false},
    {"4", "Doações", "D", false, false, false},
    {"4.1", "Dízimo e ofertas", "D", true, false, true},
};
constexpr int kContasPorEmpresa = sizeof kPlano / sizeof kPlano[0];
// Positions in kPlano of the accounts the vehicle tables name by code.
constexpr int kContaTransporte = 13, kContaCombustivel = 14, kContaManutencao = 15;

// Codes an old entry may hold although its chart never had them.
const char* const kCodigosAusentes[] = {"9.9", "2.99", "1.11", "7"};

const char* const kCentros[] = {"Casa", "Trabalho", "Veículos", "Lazer e viagens", "Saúde e educação"};
constexpr int kCentroVeiculos = 3;  // 1-based position in kCentros

const char* const kHistoricos[] = {"Depósito em dinheiro", "Depósito em cheque", "Saque no caixa eletrônico",
                                   "Cheque compensado", "Tarifa de manutenção da conta",
                                   "Transferência entre contas", "Pagamento de título", "Crédito de salário"};

struct BancoModelo {
    const char* descricao;
    int codigo;
};
const BancoModelo kBancos[] = {{"Banco do Brasil — Conta corrente", 1}, {"Itaú — Conta conjunta", 341},
                          {"Bradesco — Poupança", 237},           {"Caixa Econômica Federal", 104},
                          {"Santander — Conta salário", 33}};
const char* const kCartoes[] = {"Visa Ouro Banco do Brasil", "Mastercard Platinum Itaú", "Diners Club",
                                "American Express Green", "Hipercard"};
const char* const kInvestimentos[] = {"Poupança Caixa", "CDB Banco do Brasil", "Fundo de Ações Itaú",
                                      "Tesouro Direto — IPCA+"};

const char* const kNomesMasculinos[] = {"José", "João", "Antônio", "Francisco", "Luís", "Sebastião",
                                        "Raimundo", "Vinícius", "Cláudio", "Rogério", "Sérgio", "Otávio"};
const char* const kNomesFemininos[] = {"Maria", "Ana", "Conceição", "Márcia", "Fátima", "Mônica",
                                       "Inês", "Cecília", "Lúcia", "Tânia", "Thaís", "Letícia"};
const char* const kSobrenomes[] = {"da Silva", "dos Santos", "Conceição", "Gonçalves", "Araújo", "Magalhães",
                                   "Brandão", "Simões", "Guimarães", "Assunção", "Damião", "Lopes", "Falcão",
                                   "Peçanha", "Estêvão", "Sá", "Loureiro", "Rodrigues", "Ferreira", "Ribeiro",
                                   "Câmara", "Mendonça", "Figueirôa", "D'Ávila"};

struct Cidade {
    const char* nome;
    const char* uf;
    const char* ddd;
};
const Cidade kCidades[] = {
    {"São Paulo", "SP", "11"},      {"Rio de Janeiro", "RJ", "21"},   {"Belo Horizonte", "MG", "31"},
    {"Florianópolis", "SC", "48"},  {"Curitiba", "PR", "41"},         {"Porto Alegre", "RS", "51"},
    {"Goiânia", "GO", "62"},        {"Brasília", "DF", "61"},         {"São Luís", "MA", "98"},
    {"Maceió", "AL", "82"},         {"João Pessoa", "PB", "83"},      {"Vitória", "ES", "27"},
    {"Ribeirão Preto", "SP", "16"}, {"São José dos Campos", "SP", "12"}, {"Niterói", "RJ", "21"},
    {"Uberlândia", "MG", "34"},     {"Belém", "PA", "91"},            {"Cuiabá", "MT", "65"},
    {"Jundiaí", "SP", "11"},        {"Petrópolis", "RJ", "24"},
};
const char* const kRuas[] = {"Rua São João", "Avenida Paulista", "Rua da Conceição", "Avenida Brasil",
                             "Rua Dom Pedro II", "Rua Marechal Deodoro", "Alameda Santos",
                             "Rua Sete de Setembro", "Avenida Getúlio Vargas", "Rua Barão de Itapetininga",
                             "Praça da Sé", "Rua Tiradentes", "Rua Padre Anchieta", "Avenida Juscelino Kubitschek",
                             "Travessa São Brás"};
const char* const kBairros[] = {"Centro", "Jardim América", "Vila Mariana", "Copacabana", "Savassi",
                                "Boa Viagem", "Moinhos de Vento", "Água Verde", "Pinheiros", "Tijuca",
                                "Lourdes", "Itaim Bibi", "São Cristóvão", "Higienópolis", "Aclimação"};
const char* const kDominios[] = {"uol.com.br", "bol.com.br", "terra.com.br", "ig.com.br", "gmail.com",
                                 "hotmail.com"};
const char* const kEmpregadores[] = {"Banco do Brasil S.A.", "Prefeitura Municipal", "Açougue Boi de Ouro",
                                     "Construtora Ação Ltda.", "Hospital São Lucas", "Escola Estadual Padre Anchieta",
                                     "Petrobras", "Magazine Luiza", "Cooperativa Agrícola São José"};
const char* const kDepartamentos[] = {"Contabilidade", "Recursos Humanos", "Diretoria", "Vendas",
                                      "Manutenção", "Tecnologia da Informação", "Atendimento"};

// What an entry says, with the account of the old chart it goes to.
struct Historico {
    const char* texto;
    const char* conta;
};
const Historico kDespesasCaixa[] = {
    {"Supermercado Pão de Açúcar", "2.1"}, {"Padaria São José", "2.1"}, {"Farmácia Drogasil", "2.4"},
    {"Almoço no restaurante", "2.1"}, {"Combustível — posto Ipiranga", "2.3.1"}, {"Estacionamento no centro", "2.3"},
    {"Conta de luz", "2.9"}, {"Conta d'água", "2.8"}, {"Feira livre", "2.1"}, {"Açougue do Zé", "2.1"},
    {"Presente de aniversário para a Conceição", "2.6"}, {"Cinema com as crianças", "2.6"},
    {"Mensalidade da academia", "2.4"}, {"Camisa social na C&A", "2.11"}, {"Táxi até o aeroporto", "2.3"},
    {"Revista e jornal", "2.6"}, {"Lanche na escola", "2.5"}, {"Doação à paróquia São Sebastião", "4.1"},
    {"Conserto do chuveiro elétrico", "2.2"}, {"Fichas de telefone público", "2.10"}, {"IPTU — cota única", "2.7"},
    {"Aplicação na poupança", "3.A"}, {"Transferência para a conta conjunta", "3.C"}, {"Despesas diversas", "2"}};
const Historico kReceitasCaixa[] = {
    {"Salário", "1.1"}, {"Adiantamento quinzenal", "1.1"}, {"Aluguel do apartamento", "1.2.1"},
    {"Aluguel da garagem", "1.2"}, {"Venda de móveis usados", "1.4"}, {"Reembolso de despesas médicas", "1.5"},
    {"Restituição do imposto de renda", "11.2"}, {"Rendimento da poupança", "1.3"},
    {"Prêmio da rifa \"Ação entre amigos\"", "1.10"}, {"Serviço de consultoria", "1.4"},
    {"Décimo terceiro salário", "1.1"}, {"Resgate da poupança", "3.b"}, {"Presente em dinheiro da vovó", "11"},
    {"Receitas diversas", "1"}};
const Historico kContasPagar[] = {
    {"Conta de luz — Eletropaulo", "2.9"}, {"Conta de telefone", "2.10"}, {"IPTU", "2.7"}, {"Condomínio", "2.2"},
    {"Mensalidade escolar do João", "2.5"}, {"Plano de saúde", "2.4"}, {"Seguro do carro", "2.3"},
    {"Financiamento da casa própria", "2.2"}, {"Fatura do cartão de crédito", "2"},
    {"Prestação da geladeira", "2.2"}, {"Assinatura de TV a cabo", "2.6"}, {"Internet banda larga", "2.10"},
    {"Aluguel da sala comercial", "2.2"}, {"Honorários do contador", "2.7"}, {"IPVA", "2.7"},
    {"Dentista — tratamento de canal", "2.4"}, {"Conta d'água", "2.8"}, {"Aplicação programada — CDB", "3.A"},
    {"Revisão do carro na concessionária", "2.3.2"}};
const Historico kContasReceber[] = {
    {"Aluguel do apartamento da Rua São João", "1.2.1"}, {"Serviço prestado a Conceição Araújo", "1.4"},
    {"Venda do carro antigo", "1.4"}, {"Empréstimo ao João (devolução)", "11"},
    {"Consultoria — Ação Imóveis", "1.4"}, {"Comissão de vendas", "1.1"}, {"Reembolso do condomínio", "1.5"},
    {"Aulas particulares de violão", "1.4"}, {"Conserto de computador", "1.4"}, {"Bônus anual da empresa", "1.10"},
    {"Restituição do IR — lote residual", "11.2"}};
const Historico kComprasCartao[] = {
    {"Lojas Americanas", "2.11"}, {"Posto Shell", "2.3.1"}, {"Restaurante Fogo de Chão", "2.1"},
    {"Livraria Saraiva", "2.5"}, {"C&A Modas", "2.11"}, {"Passagem aérea São Paulo–Recife", "2.6"},
    {"Hotel em Gramado", "2.6"}, {"Farmácia São Paulo", "2.4"}, {"Magazine Luiza", "2.2"},
    {"Assinatura do jornal", "2.6"}, {"Ótica Diniz", "2.4"}, {"Açaí na praia", "2.1"},
    {"Anuidade do cartão", "2.7"}};
// The bank histories of kHistoricos with their accounts, by direction.
const Historico kBancoSaidas[] = {{"Saque no caixa eletrônico", "3.C"}, {"Tarifa de manutenção da conta", "2.7"},
                                  {"Transferência entre contas", "3.C"}, {"Pagamento de título", "2.2"},
                                  {"Cheque compensado", "2"}};
const Historico kBancoEntradas[] = {{"Depósito em dinheiro", "3.C"}, {"Depósito em cheque", "1.4"},
                                    {"Transferência entre contas", "3.C"}, {"Crédito de salário", "1.1"}};
const Historico kAplicacoes[] = {{"Aplicação mensal", "3.A"}, {"Rendimento do mês", "1.3"},
                                 {"Aplicação do 13º salário", "3.A"}, {"Juros sobre capital próprio", "1.3"}};
const Historico kResgates[] = {{"Resgate parcial", "3.b"}, {"Resgate para a reforma da cozinha", "3.b"},
                               {"Imposto de renda retido na fonte", "2.7"}, {"Taxa de administração", "2.7"}};
const char* const kObservacoes[] = {
    "Pagamento em débito",
    "Pago com cheque pré-datado",
    "Parcela negociada com o gerente — juros de 2% ao mês",
    "Conferir o valor: veio mais alto que no mês passado",
    "Desconto de 5% para pagamento até o vencimento",
    "Boleto enviado por e-mail.\nGuardar o comprovante na pasta azul.",
    "Ação judicial: aguardar a decisão do juiz",
    "Combinado com o Sr. José: pagar em duas vezes",
    "Nota fiscal nº 4512 anexada",
    "Referente à manutenção do ar-condicionado",
    "Atenção: não pagar antes de confirmar com a Conceição.\nLigar depois das 14h.",
    "Valor em R$ {ajustado} conforme o contrato",
    "Recibo assinado por Inês Guimarães"};
const char* const kNotasContato[] = {
    "Prefere contato por e-mail", "Cliente desde 1998", "Não ligar depois das 22h",
    "Conheceu na Ação Social da paróquia São Sebastião", "Sócio do clube; aniversário em março",
    "Indicação do Sr. José Magalhães.\nPede sempre nota fiscal."};
const char* const kAnexos[] = {"C:\\Meus documentos\\Boletos\\boleto_março.pdf",
                               "C:\\Meus documentos\\Recibos\\recibo José.jpg",
                               "D:\\Digitalizações\\nota fiscal 4512.tif",
                               "C:\\Arquivos de programas\\Tarvo\\Anexos\\contrato de locação.doc"};
const char* const kMeses[] = {"janeiro", "fevereiro", "março", "abril", "maio", "junho",
                              "julho", "agosto", "setembro", "outubro", "novembro", "dezembro"};

struct Montadora {
    const char* descricao;
    const char* tipo;
};
const Montadora kMontadoras[] = {{"Volkswagen", "Automóvel"}, {"Fiat", "Automóvel"},
                                 {"Chevrolet", "Automóvel"},  {"Ford", "Automóvel"},
                                 {"Honda", "Automóvel e moto"}, {"Citroën", "Automóvel"}};
constexpr int kMontadorasPorEmpresa = 6;

struct Modelo {
    const char* descricao;
    const char* tipo;
    int cilindradas, cilindros;
    const char* potencia;
    int portas;
};
// Two per manufacturer, in the order of kMontadoras.
const Modelo kModelos[] = {
    {"Gol 1.0 Special", "Hatch", 999, 4, "65 cv", 2},        {"Fusca 1300", "Sedã", 1285, 4, "46 cv", 2},
    {"Uno Mille Fire", "Hatch", 999, 4, "65 cv", 4},         {"Palio Weekend Adventure", "Perua", 1796, 4, "112 cv", 4},
    {"Opala Comodoro 4.1", "Sedã", 4093, 6, "118 cv", 4},    {"Celta 1.0", "Hatch", 999, 4, "70 cv", 2},
    {"Escort XR3 Conversível", "Conversível", 1781, 4, "105 cv", 2}, {"Ka 1.0", "Hatch", 999, 4, "73 cv", 2},
    {"CG 150 Titan", "Motocicleta", 149, 1, "14 cv", 0},     {"Civic LXS", "Sedã", 1799, 4, "140 cv", 4},
    {"C3 Exclusive", "Hatch", 1587, 4, "113 cv", 4},         {"Xsara Picasso", "Minivan", 1997, 4, "138 cv", 4},
};
constexpr int kModelosPorEmpresa = 12;

struct Combustivel {
    const char* descricao;
    const char* distribuidora;
};
const Combustivel kCombustiveis[] = {{"Gasolina comum", "Petrobras"},
                                     {"Gasolina aditivada", "Shell"},
                                     {"Álcool hidratado", "Ipiranga"},
                                     {"Óleo diesel", "Texaco"}};
constexpr int kCombustiveisPorEmpresa = 4;

struct Manutencao {
    const char* descricao;
    int cadaKm, cadaMeses;
};
const Manutencao kManutencoes[] = {{"Troca de óleo e filtro", 5000, 6},
                                   {"Revisão dos 10.000 km", 10000, 12},
                                   {"Alinhamento e balanceamento", 10000, 12},
                                   {"Troca das pastilhas de freio", 20000, 24},
                                   {"Troca da correia dentada", 50000, 48},
                                   {"Troca dos pneus", 40000, 36},
                                   {"Limpeza dos bicos injetores", 20000, 24}};

// ------------------------------------------------------------ the old database

struct Contexto {
    Banco& banco;
    quint64 semente;
    int E;       // companies
    qint64 N;    // rows of each entry table
    qint64 contatos, veiculos;
    QList<ContagemTabela> contagens;

    // Rows of tables that others point at are dealt round-robin: code c
    // belongs to company 1 + (c - 1) % E, so a random row of a company is
    // found without keeping any list in memory.
    int empresaIntercalada(qint64 codigo) const { return static_cast<int>(1 + (codigo - 1) % E); }
    qint64 membro(Sorteio& s, int empresa, qint64 total) const {
        const qint64 quantos = (total - empresa) / E + 1;
        return empresa + E * s.entre(0, quantos - 1);
    }
    // Per-company registers are written company after company.
    static qint64 emBloco(int empresa, int porEmpresa, qint64 indice) {
        return static_cast<qint64>(empresa - 1) * porEmpresa + indice + 1;
    }
    // Entries: the first E rows give every company one; after that the
    // first companies are busier (the smaller of two draws).
    int empresaDoLancamento(Sorteio& s, qint64 i) const {
        if (i < E) return static_cast<int>(i + 1);
        return static_cast<int>(std::min(s.entre(1, E), s.entre(1, E)));
    }
    // Entries were typed in date order, more or less.
    qint64 diaDoLancamento(Sorteio& s, qint64 i) const {
        const qint64 base = kPrimeiroDia + (N > 1 ? i * (kUltimoDia - kPrimeiroDia) / (N - 1) : 0);
        return std::clamp(base + s.entre(-20, 20), kPrimeiroDia, kUltimoDia);
    }
    qint64 centroCusto(Sorteio& s, int empresa, int porMil = 700) const {
        return s.chance(porMil) ? emBloco(empresa, std::size(kCentros), s.entre(0, std::size(kCentros) - 1)) : 0;
    }
    std::optional<qint64> contato(Sorteio& s, int empresa, int porMil = 1000) const {
        if (!s.chance(porMil)) return std::nullopt;
        return membro(s, empresa, contatos);
    }
    void conta(const Insercao& ins) { contagens.append({ins.tabela(), ins.gravadas()}); }
};

std::optional<qint64> NuloSeZero(qint64 v) { return v ? std::optional<qint64>(v) : std::nullopt; }

// An entry's reference to the chart: mostly the code of its account, a code
// with letters often in the other case, and sometimes null, empty or a
// code the chart lacks.
Texto ReferenciaConta(Sorteio& s, const char* conta) {
    const qint64 r = s.entre(0, 999);
    if (r < 40) return std::nullopt;
    if (r < 80) return std::string();
    if (r < 110) return std::string(s.um(kCodigosAusentes));
    std::string codigo = conta;
    if (TemLetra(codigo) && s.chance(500)) codigo = TrocaCaixa(codigo);
    return codigo;
}

std::string Referencia(Sorteio& s, int ano) {
    return Formata(" ref. %s/%d", kMeses[s.entre(0, 11)], ano);
}

Texto Documento(Sorteio& s) {
    switch (s.entre(0, 4)) {
    case 0: return std::nullopt;
    case 1: return "NF " + Digitos(s, 6);
    case 2: return "Recibo " + std::to_string(s.entre(1, 999));
    case 3: return "Boleto " + Digitos(s, 5);
    default: return Digitos(s, 8);
    }
}

Texto Anexo(Sorteio& s, int porMil = 150) {
    if (!s.chance(porMil)) return std::nullopt;
    return Memo(s, s.um(kAnexos), 0);
}

// Two different entries of a list.
template <std::size_t N>
std::pair<const char*, const char*> DoisDiferentes(Sorteio& s, const char* const (&lista)[N]) {
    const qint64 a = s.entre(0, N - 1);
    const qint64 b = (a + s.entre(1, N - 1)) % static_cast<qint64>(N);
    return {lista[a], lista[b]};
}

std::string NomeCompleto(Sorteio& s, bool mulher) {
    const auto [nome, segundo] = mulher ? DoisDiferentes(s, kNomesFemininos) : DoisDiferentes(s, kNomesMasculinos);
    const auto [sobrenome, outro] = DoisDiferentes(s, kSobrenomes);
    std::string r = nome;
    if (s.chance(300)) r += std::string(" ") + segundo;
    if (s.chance(500)) r += std::string(" ") + outro;
    return r + " " + sobrenome;
}

std::string Cpf(Sorteio& s) {
    int d[11];
    for (int i = 0; i < 9; ++i) d[i] = static_cast<int>(s.entre(0, 9));
    for (int k = 9; k < 11; ++k) {
        int soma = 0;
        for (int i = 0; i < k; ++i) soma += d[i] * (k + 1 - i);
        const int resto = soma % 11;
        d[k] = resto < 2 ? 0 : 11 - resto;
    }
    return Formata("%d%d%d.%d%d%d.%d%d%d-%d%d", d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8], d[9], d[10]);
}

// Several draws in one expression would be made in an order the compiler
// chooses; each piece is drawn in a statement of its own instead, so that
// every compiler makes the same file.
std::string Cep(Sorteio& s) {
    std::string r = Digitos(s, 5) + "-";
    return r + Digitos(s, 3);
}

std::string Endereco(Sorteio& s) {
    const char* rua = s.um(kRuas);
    return Formata("%s, %d", rua, static_cast<int>(s.entre(1, 3999)));
}

std::string Telefone(Sorteio& s, bool celular) {
    std::string r = celular ? "9" : std::to_string(s.entre(2, 5));
    r += Digitos(s, celular ? 4 : 3) + "-";
    return r + Digitos(s, 4);
}

void GeraEmpresas(Contexto& c) {
    Insercao ins(c.banco, "empresa", {"codigo", "nome"});
    for (int k = 1; k <= c.E; ++k) {
        std::string nome = kEmpresas[(k - 1) % std::size(kEmpresas)];
        if (k > static_cast<int>(std::size(kEmpresas)))
            nome = Formata("%s (filial %d)", kEmpresas[(k - 1) % std::size(kEmpresas)],
                           (k - 1) / static_cast<int>(std::size(kEmpresas)) + 1);
        ins.inteiro(k).texto(nome).grava();
    }
    c.conta(ins);
}

void GeraCadastrosFinanceiros(Contexto& c) {
    {
        Insercao ins(c.banco, "caixa_contas",
                     {"codigo", "empresa", "descrição", "código_conta", "dedutivel_ir", "conta_imposto",
                      "conta_repete", "tipo_conta"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < kContasPorEmpresa; ++i) {
                const ContaModelo& m = kPlano[i];
                ins.inteiro(Contexto::emBloco(k, kContasPorEmpresa, i)).inteiro(k).texto(m.descricao).texto(m.codigo);
                ins.logico(m.dedutivel).logico(m.imposto).logico(m.repete).texto(m.tipo).grava();
            }
        c.conta(ins);
    }
    {
        Insercao ins(c.banco, "centros_custos", {"codigo", "empresa", "descrição"});
        for (int k = 1; k <= c.E; ++k)
            for (std::size_t i = 0; i < std::size(kCentros); ++i)
                ins.inteiro(Contexto::emBloco(k, std::size(kCentros), i)).inteiro(k).texto(kCentros[i]).grava();
        c.conta(ins);
    }
    {
        Insercao ins(c.banco, "contas_bancarias_historicos", {"codigo", "empresa", "descrição"});
        for (int k = 1; k <= c.E; ++k)
            for (std::size_t i = 0; i < std::size(kHistoricos); ++i)
                ins.inteiro(Contexto::emBloco(k, std::size(kHistoricos), i)).inteiro(k).texto(kHistoricos[i]).grava();
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "contas_bancarias");
        Insercao ins(c.banco, "contas_bancarias",
                     {"codigo", "empresa", "descrição", "data_abertura", "código_banco", "agência", "conta"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < 3; ++i) {
                const BancoModelo& b = kBancos[(k + i) % std::size(kBancos)];
                ins.inteiro(Contexto::emBloco(k, 3, i)).inteiro(k).texto(b.descricao);
                ins.data(s.entre(DiasDe(1985, 1, 1), DiasDe(2010, 12, 31))).inteiro(b.codigo);
                std::string agencia = Digitos(s, 4) + "-";
                agencia += Digitos(s, 1);
                std::string conta = Digitos(s, 5) + "-";
                conta += Digitos(s, 1);
                ins.texto(agencia).texto(conta).grava();
            }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "cartoes_credito");
        Insercao ins(c.banco, "cartoes_credito", {"codigo", "empresa", "nome_cartão", "dia_recebimento", "carência"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < 2; ++i)
                ins.inteiro(Contexto::emBloco(k, 2, i)).inteiro(k).texto(kCartoes[(2 * k + i) % std::size(kCartoes)])
                    .inteiro(s.entre(1, 28)).inteiro(s.chance(500) ? 7 : 10).grava();
        c.conta(ins);
    }
    {
        Insercao ins(c.banco, "investimentos", {"codigo", "empresa", "descricao"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < 2; ++i)
                ins.inteiro(Contexto::emBloco(k, 2, i)).inteiro(k)
                    .texto(kInvestimentos[(2 * k + i) % std::size(kInvestimentos)]).grava();
        c.conta(ins);
    }
}

void GeraContatos(Contexto& c) {
    {
        Sorteio s(c.semente, "contatos");
        Insercao ins(c.banco, "contatos",
                     {"codigo", "empresa", "nome", "data_nascimento", "sexo", "endereço", "complemento", "bairro",
                      "cidade", "estado", "cep", "pais", "caixa_postal", "obs", "e_mail", "home_page", "documento",
                      "confidencial", "anexos", "empresa_empr", "departamento_empr", "endereco_empr", "bairro_empr",
                      "cidade_empr", "estado_empr", "cep_empr", "pais_empr", "caixa_postal_empr", "e_mail_empr",
                      "home_page_empr", "complemento_empr", "conjuge", "nasc_conj", "cas_conj", "nome_pai",
                      "nome_mae", "obs_filhos"});
        for (qint64 codigo = 1; codigo <= c.contatos; ++codigo) {
            const bool mulher = s.chance(500);
            const std::string nome = NomeCompleto(s, mulher);
            const Cidade& cidade = s.um(kCidades);
            const qint64 nascimento = s.entre(DiasDe(1930, 1, 1), DiasDe(2005, 12, 31));
            const bool completo = s.chance(700);
            ins.inteiro(codigo).inteiro(c.empresaIntercalada(codigo)).texto(nome).data(nascimento);
            ins.texto(mulher ? "F" : "M");
            ins.texto(Endereco(s));
            Texto complemento;
            if (s.chance(400)) {
                const int apartamento = static_cast<int>(s.entre(11, 184));
                complemento = Formata("Apto %d, bloco %c", apartamento, static_cast<char>('A' + s.entre(0, 3)));
            }
            ins.texto(complemento);
            ins.texto(s.um(kBairros)).texto(cidade.nome).texto(cidade.uf).texto(Cep(s)).texto("Brasil");
            ins.texto(s.chance(100) ? Texto("Caixa Postal " + Digitos(s, 4)) : std::nullopt);
            ins.texto(Memo(s, s.um(kNotasContato), 500));
            const std::string usuario =
                SemAcentos(nome.substr(0, nome.find(' '))) + "." + SemAcentos(nome.substr(nome.rfind(' ') + 1));
            ins.texto(s.chance(800) ? Texto(usuario + "@" + s.um(kDominios)) : std::nullopt);
            ins.texto(s.chance(150) ? Texto("http://www.geocities.com/" + usuario) : std::nullopt);
            ins.texto(Cpf(s)).logico(s.chance(100)).texto(Anexo(s, 80));
            if (completo) {
                const Cidade& trabalho = s.um(kCidades);
                ins.texto(s.um(kEmpregadores)).texto(s.um(kDepartamentos));
                ins.texto(Endereco(s)).texto(s.um(kBairros));
                ins.texto(trabalho.nome).texto(trabalho.uf).texto(Cep(s)).texto("Brasil");
                ins.texto(s.chance(200) ? Texto("CP " + Digitos(s, 4)) : std::nullopt);
                ins.texto(usuario + "@empresa.com.br").texto("http://www.empresa.com.br");
                const int andar = static_cast<int>(s.entre(1, 20));
                ins.texto(Formata("%d.º andar, sala %d", andar, static_cast<int>(s.entre(1, 40))));
            } else {
                for (int i = 0; i < 12; ++i) ins.nulo();
            }
            if (completo && s.chance(600)) {
                ins.texto(NomeCompleto(s, !mulher)).data(nascimento + s.entre(-3000, 3000));
                ins.data(nascimento + s.entre(18 * 365, 40 * 365));
            } else {
                ins.nulo().nulo().nulo();
            }
            ins.texto(NomeCompleto(s, false)).texto(NomeCompleto(s, true));
            const char* filhos = s.chance(500) ? "Dois filhos: Pedro (1990) e Lúcia (1994)" : "Filha única, a Cecília";
            ins.texto(Memo(s, filhos, 600));
            ins.grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "telefones_contatos");
        const char* const tipos[] = {"Residencial", "Celular", "Comercial", "Fax", "Recado"};
        const char* const obs[] = {"Falar com a Dona Inês", "Só à tarde", "Ramal 214", "Depois das 18h",
                                   "Número antigo, confirmar"};
        Insercao ins(c.banco, "telefones_contatos", {"codigo", "empresa", "contato", "tipo", "ddd", "numero", "obs"});
        for (qint64 codigo = 1; codigo <= 2 * c.contatos; ++codigo) {
            // The first E phones belong to contacts of each company in turn.
            const qint64 contato = codigo <= c.E ? codigo : s.entre(1, c.contatos);
            const char* tipo = s.um(tipos);
            const bool celular = std::string_view(tipo) == "Celular";
            ins.inteiro(codigo).inteiro(c.empresaIntercalada(contato)).inteiro(contato).texto(tipo);
            ins.texto(s.um(kCidades).ddd).texto(Telefone(s, celular));
            ins.texto(s.chance(200) ? Texto(s.um(obs)) : std::nullopt).grava();
        }
        c.conta(ins);
    }
}

void GeraPessoais(Contexto& c) {
    const qint64 quantos = std::max<qint64>(c.E, c.N / 20);
    {
        Sorteio s(c.semente, "patrimonios");
        const char* const descricoes[] = {"Apartamento na Rua São João, 45", "Casa de praia em Ubatuba",
                                          "Geladeira Brastemp Frost Free", "Televisor de 42 polegadas",
                                          "Computador e impressora", "Terreno no loteamento Jardim das Acácias",
                                          "Piano de armário", "Coleção de selos", "Máquina de lavar",
                                          "Sofá de três lugares", "Ações da Petrobras", "Jogo de jantar de porcelana",
                                          "Ar-condicionado split", "Relógio de pêndulo do vovô"};
        const char* const estados[] = {"Novo", "Ótimo", "Bom", "Regular", "Ruim"};
        const char* const situacoes[] = {"Em uso", "Guardado", "Alugado", "Vendido", "Emprestado", "Doado"};
        Insercao ins(c.banco, "patrimonios",
                     {"codigo", "empresa", "descricao", "data", "nro_patrimonio", "estado", "valor", "situacao"});
        for (qint64 codigo = 1; codigo <= quantos; ++codigo) {
            ins.inteiro(codigo).inteiro(c.empresaIntercalada(codigo)).texto(s.um(descricoes));
            ins.data(s.entre(kPrimeiroDia, kUltimoDia)).texto(Formata("PAT-%05lld", static_cast<long long>(codigo)));
            ins.texto(s.um(estados)).moeda(s.entre(5000, 50000000)).texto(s.um(situacoes)).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "agenda");
        const char* const descricoes[] = {"Reunião com o contador", "Consulta no dentista", "Aniversário da Conceição",
                                          "Levar o carro à revisão", "Reunião de pais na escola", "Pagar o IPTU",
                                          "Almoço com o João", "Entrega da declaração do IR", "Vacina do cachorro",
                                          "Assembleia do condomínio", "Exame de sangue em jejum",
                                          "Buscar a Inês na rodoviária"};
        const char* const locais[] = {"Escritório", "Clínica São Lucas", "Av. Paulista, 1000 — 5º andar",
                                      "Casa da vovó", "Concessionária", "Escola Estadual Padre Anchieta",
                                      "Igreja Matriz", "Salão de festas"};
        const char* const tipos[] = {"Reunião", "Consulta", "Aniversário", "Compromisso", "Lembrete"};
        const char* const situacoes[] = {"Pendente", "Concluído", "Cancelado", "Adiado"};
        const char* const notas[] = {"Levar os documentos originais e duas cópias", "Confirmar o horário por telefone",
                                     "Não esquecer o presente!",
                                     "Estacionar na rua de trás.\nChegar 15 minutos antes."};
        Insercao ins(c.banco, "agenda",
                     {"codigo", "empresa", "descrição", "local", "cliente", "tipo", "anotação", "status", "anexos",
                      "avisar_compromisso", "avisar_usuario", "compromisso_data", "compromisso_hora", "avisar_data",
                      "avisar_hora"});
        for (qint64 codigo = 1; codigo <= quantos; ++codigo) {
            const int k = c.empresaIntercalada(codigo);
            const qint64 dia = s.entre(kPrimeiroDia, kUltimoDia);
            // A few appointments late in the evening, so that their 30
            // minutes reach into the next day.
            const int inicio = s.chance(30) ? 0 : static_cast<int>(s.entre(7, 21) * 3600);
            const int hora = inicio ? inicio + static_cast<int>(s.entre(0, 3)) * 15 * 60 : 23 * 3600 + 45 * 60;
            const bool avisa = s.chance(700);
            ins.inteiro(codigo).inteiro(k).texto(s.um(descricoes));
            ins.texto(s.chance(800) ? Texto(s.um(locais)) : std::nullopt);
            ins.inteiro(c.contato(s, k, 400)).texto(s.um(tipos)).texto(Memo(s, s.um(notas)));
            ins.texto(s.um(situacoes)).texto(Anexo(s, 100)).logico(avisa).logico(avisa && s.chance(500));
            ins.data(dia).data(kDiaZero, hora);
            if (avisa) {
                const int antes = static_cast<int>(s.entre(0, 3));
                const int horaAviso = antes ? static_cast<int>(s.entre(8, 20)) * 3600 : std::max(hora - 3600, 0);
                ins.data(dia - antes).data(kDiaZero, horaAviso);
            } else {
                ins.nulo().nulo();
            }
            ins.grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "tarefas");
        const char* const descricoes[] = {"Renovar a carteira de motorista", "Declarar o imposto de renda",
                                          "Trocar a lâmpada da cozinha", "Marcar revisão do carro",
                                          "Organizar os documentos da casa", "Comprar presente para a Inês",
                                          "Ligar para o seguro", "Limpar a caixa d'água",
                                          "Renovar o seguro residencial", "Levar a certidão ao cartório",
                                          "Pagar a anuidade do conselho", "Cancelar a assinatura da revista"};
        const char* const prioridades[] = {"Alta", "Média", "Baixa", ""};
        const char* const notas[] = {"Precisa de foto 3x4 e comprovante de endereço", "Ver com o João antes",
                                     "Orçamento: R$ 150,00", "Fazer até o fim do mês.\nUrgente!"};
        const int duracoes[] = {15, 30, 60, 90, 120, 240};
        Insercao ins(c.banco, "tarefas",
                     {"codigo", "empresa", "descricao", "completa", "obs", "duracao", "concluidaem", "prioridade"});
        for (qint64 codigo = 1; codigo <= quantos; ++codigo) {
            const bool completa = s.chance(600);
            ins.inteiro(codigo).inteiro(c.empresaIntercalada(codigo)).texto(s.um(descricoes)).logico(completa);
            ins.texto(Memo(s, s.um(notas)));
            ins.inteiro(s.chance(900) ? std::optional<qint64>(s.um(duracoes)) : std::nullopt);
            if (completa) {
                const qint64 dia = s.entre(kPrimeiroDia, kUltimoDia);
                ins.data(dia, static_cast<int>(s.entre(8, 20)) * 3600);
            }
            else ins.nulo();
            ins.texto(s.um(prioridades)).grava();
        }
        c.conta(ins);
    }
}

void GeraVeiculos(Contexto& c) {
    {
        Insercao ins(c.banco, "montadoras", {"codigo", "empresa", "descricao", "tipo"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < kMontadorasPorEmpresa; ++i)
                ins.inteiro(Contexto::emBloco(k, kMontadorasPorEmpresa, i)).inteiro(k)
                    .texto(kMontadoras[i].descricao).texto(kMontadoras[i].tipo).grava();
        c.conta(ins);
    }
    {
        Insercao ins(c.banco, "modelos",
                     {"codigo", "empresa", "descricao", "cod_montadora", "tipo", "cilindradas", "nro_cilindros",
                      "potencia"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < kModelosPorEmpresa; ++i) {
                const Modelo& m = kModelos[i];
                ins.inteiro(Contexto::emBloco(k, kModelosPorEmpresa, i)).inteiro(k).texto(m.descricao);
                ins.inteiro(Contexto::emBloco(k, kMontadorasPorEmpresa, i / 2)).texto(m.tipo);
                ins.inteiro(m.cilindradas).inteiro(m.cilindros).texto(m.potencia).grava();
            }
        c.conta(ins);
    }
    {
        Insercao ins(c.banco, "combustiveis", {"codigo", "empresa", "descricao", "distribuidora"});
        for (int k = 1; k <= c.E; ++k)
            for (int i = 0; i < kCombustiveisPorEmpresa; ++i)
                ins.inteiro(Contexto::emBloco(k, kCombustiveisPorEmpresa, i)).inteiro(k)
                    .texto(kCombustiveis[i].descricao).texto(kCombustiveis[i].distribuidora).grava();
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "veiculos");
        const char* const cores[] = {"Prata", "Preto", "Branco", "Vermelho", "Azul-marinho", "Cinza grafite",
                                     "Verde", "Bordô", "Amarelo", "Champanhe"};
        const char* const combustiveis[] = {"Gasolina", "Álcool", "Flex", "Diesel"};
        const char* const pagamentos[] = {"À vista", "Financiado em 36 vezes", "Consórcio", "Troca com volta",
                                          "Cheque pré-datado"};
        const char* const coberturas[] = {"Compreensiva", "Contra terceiros", "Roubo e incêndio"};
        const char* const cambios[] = {"Manual", "Automático", "CVT"};
        const char* const extras[] = {"Rodas de liga leve, som com CD player e alarme",
                                      "Vidros e travas elétricas.\nInsulfilm em todos os vidros.",
                                      "Engate para reboque e bagageiro de teto", "Kit gás (GNV) instalado em 2004"};
        const char* const obs[] = {"Único dono, todas as revisões na concessionária",
                                   "Pequeno amassado na porta do motorista", "Pneus trocados em março",
                                   "Documentação em dia — guardar o CRLV no porta-luvas"};
        Insercao ins(c.banco, "veiculos",
                     {"codigo", "empresa", "montadora", "modelo", "placa", "cor", "ano_fabricacao", "ano_modelo",
                      "odometro", "obs", "renavam", "chassis", "nro_motor", "potencia", "cilindradas",
                      "nro_cilindros", "combustivel", "nro_portas", "data_compra", "comprado_de", "valor_pago",
                      "tipo_pgto", "odometro_compra", "garantia_ate", "obs_compra", "seguradora",
                      "seguro_valido_ate", "seguro_cobertura", "seguro_valor", "ar_condicionado", "freios_abs",
                      "direcao_hidraulica", "cambio_automatico", "anexos", "data_venda", "vendido_para",
                      "valor_recebido", "tipo_recebimento", "odomentro_venda", "vendido_por", "obs_venda", "extras",
                      "blindado", "tipo_cambio", "seguro_avisar_dias", "obs_seguro", "descricao_modelo",
                      "seguro_avisar_vcto", "inativo", "ipva_vcto", "ipva_valor", "ipva_data_pgto",
                      "ipva_tipo_pgto", "ipva_avisar_vcto", "ipva_avisar_dias", "lice_vcto", "lice_valor",
                      "lice_data_pgto", "lice_tipo_pgto", "lice_avisar_vcto", "lice_avisar_dias", "zerokm"});
        for (qint64 codigo = 1; codigo <= c.veiculos; ++codigo) {
            const int k = c.empresaIntercalada(codigo);
            const int m = static_cast<int>(s.entre(0, kModelosPorEmpresa - 1));
            const Modelo& modelo = kModelos[m];
            // Most vehicles have every field filled; over thirty years most
            // were also sold, which fills the sale fields too.
            const bool completo = s.chance(800);
            const bool vendido = completo && s.chance(700);
            const qint64 compra = s.entre(kPrimeiroDia, DiasDe(2024, 6, 30));
            const int fabricacao = static_cast<int>(std::max<qint64>(1975, AnoDe(compra) - s.entre(0, 8)));
            const bool zero = fabricacao >= AnoDe(compra) && s.chance(600);
            const qint64 kmCompra = zero ? 0 : s.entre(5000, 150000);
            const qint64 odometro = kmCompra + s.entre(1000, 120000);
            ins.inteiro(codigo).inteiro(k).inteiro(Contexto::emBloco(k, kMontadorasPorEmpresa, m / 2));
            std::string placa = Letras(s, 3) + "-";
            placa += Digitos(s, 4);
            ins.inteiro(Contexto::emBloco(k, kModelosPorEmpresa, m)).texto(placa);
            ins.texto(s.um(cores)).inteiro(fabricacao).inteiro(fabricacao + (s.chance(400) ? 1 : 0)).inteiro(odometro);
            const char* combustivel = s.um(combustiveis);
            const std::string descricaoModelo = std::string(modelo.descricao) + (s.chance(300) ? " Série Ouro" : "");
            if (!completo) {
                ins.nulo().nulo().nulo().nulo().nulo().nulo().nulo().texto(combustivel).inteiro(modelo.portas);
                for (int i = 0; i < 11; ++i) ins.nulo();          // purchase and insurance
                for (int i = 0; i < 4; ++i) ins.logico(false);    // equipment
                for (int i = 0; i < 9; ++i) ins.nulo();           // attachments, sale, extras
                ins.logico(false).nulo().nulo().nulo().texto(descricaoModelo).logico(false).logico(false);
                for (int i = 0; i < 4; ++i) ins.nulo();
                ins.logico(false).nulo();
                for (int i = 0; i < 4; ++i) ins.nulo();
                ins.logico(false).nulo().logico(zero).grava();
                continue;
            }
            const qint64 venda = vendido ? std::min(kUltimoDia, compra + s.entre(200, 3000)) : 0;
            const qint64 pago = s.entre(800000, 12000000);
            ins.texto(Memo(s, s.um(obs), 0)).texto(Digitos(s, 11));
            std::string chassi = "9B" + Letras(s, 1) + "ZZZ";
            chassi += Digitos(s, 3);
            chassi += Letras(s, 2);
            chassi += Digitos(s, 6);
            std::string motor = Letras(s, 3);
            motor += Digitos(s, 6);
            ins.texto(chassi).texto(motor).texto(modelo.potencia).inteiro(modelo.cilindradas);
            ins.inteiro(modelo.cilindros).texto(combustivel).inteiro(modelo.portas);
            ins.data(compra).inteiro(c.membro(s, k, c.contatos)).moeda(pago).texto(s.um(pagamentos)).inteiro(kmCompra);
            ins.data(compra + s.entre(1, 3) * 365).texto(Memo(s, "Comprado na concessionária São Cristóvão", 0));
            ins.inteiro(c.membro(s, k, c.contatos)).data(compra + 365).texto(s.um(coberturas)).moeda(pago / 20);
            ins.logico(s.chance(700)).logico(s.chance(400)).logico(s.chance(600)).logico(s.chance(200));
            ins.texto(Memo(s, s.um(kAnexos), 0));
            if (vendido) {
                ins.data(venda).inteiro(c.membro(s, k, c.contatos)).moeda(pago * s.entre(40, 90) / 100);
                ins.texto(s.um(pagamentos)).inteiro(odometro).inteiro(c.membro(s, k, c.contatos));
                ins.texto(Memo(s, "Vendido com a documentação transferida e o IPVA pago", 0));
            } else {
                for (int i = 0; i < 7; ++i) ins.nulo();
            }
            ins.texto(Memo(s, s.um(extras), 0)).logico(s.chance(30)).texto(s.um(cambios));
            ins.inteiro(s.chance(500) ? 15 : 30).texto(Memo(s, "Franquia reduzida; carro reserva por 7 dias", 0));
            ins.texto(descricaoModelo).logico(s.chance(700)).logico(vendido);
            const int anoImposto = AnoDe(vendido ? venda : kUltimoDia);
            ins.data(DiasDe(anoImposto, 1, 20)).moeda(pago * 4 / 100).data(DiasDe(anoImposto, 1, 15));
            ins.texto(s.chance(500) ? "Cota única" : "Parcelado em 3 vezes").logico(s.chance(800)).inteiro(10);
            ins.data(DiasDe(anoImposto, 9, 30)).moeda(s.entre(8000, 25000)).data(DiasDe(anoImposto, 9, 10));
            ins.texto("À vista").logico(s.chance(800)).inteiro(15).logico(zero).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "manutencoes");
        Insercao ins(c.banco, "manutencoes",
                     {"codigo", "empresa", "descricao", "cada_km", "cada_meses", "ultima_manutencao_data",
                      "ultima_manutencao_km", "avisar_dias", "avisar_km", "centro_custo", "conta_caixa", "veiculo"});
        // Two plans per vehicle: plan codes 2v - 1 and 2v belong to vehicle v.
        for (qint64 codigo = 1; codigo <= 2 * c.veiculos; ++codigo) {
            const qint64 veiculo = (codigo + 1) / 2;
            const int k = c.empresaIntercalada(veiculo);
            const Manutencao& m = kManutencoes[(codigo - 1) % std::size(kManutencoes)];
            ins.inteiro(codigo).inteiro(k).texto(m.descricao).inteiro(m.cadaKm).inteiro(m.cadaMeses);
            ins.data(s.entre(kPrimeiroDia, kUltimoDia)).inteiro(s.entre(1000, 200000));
            ins.inteiro(s.chance(500) ? 7 : 15).inteiro(s.chance(500) ? 500 : 1000);
            ins.inteiro(Contexto::emBloco(k, std::size(kCentros), kCentroVeiculos - 1));
            ins.inteiro(Contexto::emBloco(k, kContasPorEmpresa, kContaManutencao)).inteiro(veiculo).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "lancamentos");
        const qint64 quantos = std::max<qint64>(c.E, c.N / 10);
        const char* const postos[] = {"Posto Ipiranga da Av. Brasil", "Auto Posto São Cristóvão",
                                      "Posto Shell — BR-116", "Posto Graal da Via Dutra"};
        const char* const oficinas[] = {"Oficina do Zé", "Concessionária Volkswagen", "Centro Automotivo Ação"};
        const char* const outros[] = {"Estacionamento", "Lavagem completa", "Pedágio na Via Dutra",
                                      "Multa por excesso de velocidade"};
        Insercao ins(c.banco, "lancamentos",
                     {"codigo", "empresa", "km", "tanque_cheio", "valor", "categoria", "local",
                      "codigo_combustivel", "conta_caixa", "centro_custo", "data", "veiculo", "qtde", "descricao",
                      "tipo_lcto"});
        for (qint64 codigo = 1; codigo <= quantos; ++codigo) {
            // The first E rows name a vehicle of each company in turn.
            const qint64 veiculo = codigo <= c.E ? codigo : s.entre(1, c.veiculos);
            const int k = c.empresaIntercalada(veiculo);
            const qint64 tipo = s.entre(0, 9);
            ins.inteiro(codigo).inteiro(k).inteiro(s.entre(1000, 250000));
            const qint64 centro = Contexto::emBloco(k, std::size(kCentros), kCentroVeiculos - 1);
            const qint64 dia = s.entre(kPrimeiroDia, kUltimoDia);
            if (tipo < 7) {  // fuel
                const double litros = static_cast<double>(s.entre(1500, 5500)) / 100.0;
                ins.logico(s.chance(600)).moeda(s.entre(3000, 35000)).nulo().texto(s.um(postos));
                ins.inteiro(Contexto::emBloco(k, kCombustiveisPorEmpresa, s.entre(0, kCombustiveisPorEmpresa - 1)));
                ins.inteiro(Contexto::emBloco(k, kContasPorEmpresa, kContaCombustivel)).inteiro(centro).data(dia);
                ins.inteiro(veiculo).real(litros).texto("Abastecimento").texto("C");
            } else if (tipo < 9) {  // service of one of the vehicle's plans
                const qint64 plano = 2 * veiculo - s.entre(0, 1);
                ins.logico(false).moeda(s.entre(5000, 250000)).inteiro(plano).texto(s.um(oficinas)).nulo();
                ins.inteiro(Contexto::emBloco(k, kContasPorEmpresa, kContaManutencao)).inteiro(centro).data(dia);
                ins.inteiro(veiculo).nulo().texto(kManutencoes[(plano - 1) % std::size(kManutencoes)].descricao);
                ins.texto("M");
            } else {
                ins.logico(false).moeda(s.entre(500, 30000)).nulo().nulo().nulo();
                ins.inteiro(Contexto::emBloco(k, kContasPorEmpresa, kContaTransporte)).inteiro(centro).data(dia);
                ins.inteiro(veiculo).nulo().texto(s.um(outros)).texto("O");
            }
            ins.grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "viagens");
        const qint64 quantos = std::max<qint64>(c.E, c.N / 20);
        const char* const categorias[] = {"Férias", "Trabalho", "Visita à família", "Feriado prolongado"};
        Insercao ins(c.banco, "viagens",
                     {"codigo", "empresa", "saida", "chegada", "km_saida", "km_chegada", "qtde_combustivel",
                      "destino", "obs", "origem", "descricao", "anexos", "veiculo", "categoria"});
        for (qint64 codigo = 1; codigo <= quantos; ++codigo) {
            const qint64 veiculo = codigo <= c.E ? codigo : s.entre(1, c.veiculos);
            const qint64 saida = s.entre(kPrimeiroDia, kUltimoDia - 30);
            int horaSaida = static_cast<int>(s.entre(5, 14)) * 3600;
            horaSaida += static_cast<int>(s.entre(0, 59)) * 60;
            const qint64 km = s.entre(1000, 200000);
            const qint64 distancia = s.entre(50, 2500);
            const Cidade& origem = s.um(kCidades);
            const Cidade& destino = s.um(kCidades);
            const char* categoria = s.um(categorias);
            ins.inteiro(codigo).inteiro(c.empresaIntercalada(veiculo)).data(saida, horaSaida);
            const qint64 chegada = saida + s.entre(1, 15);
            ins.data(chegada, static_cast<int>(s.entre(8, 22)) * 3600).inteiro(km).inteiro(km + distancia);
            ins.real(static_cast<double>(distancia * 100 / 11) / 100.0);
            ins.texto(std::string(destino.nome) + "/" + destino.uf);
            ins.texto(Memo(s, "Paradas em Resende e em São José dos Campos.\nPedágio: R$ 42,80"));
            ins.texto(std::string(origem.nome) + "/" + origem.uf);
            ins.texto(std::string(categoria) + " em " + destino.nome).texto(Anexo(s, 100)).inteiro(veiculo);
            ins.texto(categoria).grava();
        }
        c.conta(ins);
    }
}

void GeraLancamentos(Contexto& c) {
    {
        Sorteio s(c.semente, "caixa_lancamentos");
        Insercao ins(c.banco, "caixa_lancamentos",
                     {"codigo", "empresa", "data", "documento", "valor", "histórico", "centro_custo", "conta",
                      "cancelado"});
        for (qint64 i = 0; i < c.N; ++i) {
            const int k = c.empresaDoLancamento(s, i);
            const qint64 dia = c.diaDoLancamento(s, i);
            const bool receita = s.chance(300);
            const Historico& h = receita ? s.um(kReceitasCaixa) : s.um(kDespesasCaixa);
            std::string historico = h.texto;
            if (s.chance(300)) historico += Referencia(s, AnoDe(dia));
            ins.inteiro(i + 1).inteiro(k).data(dia).texto(Documento(s));
            ins.moeda(receita ? s.entre(10000, 1500000) : s.entre(150, 80000)).texto(historico);
            ins.inteiro(NuloSeZero(c.centroCusto(s, k)));
            ins.texto(ReferenciaConta(s, h.conta));
            ins.logico(s.chance(50)).grava();
        }
        c.conta(ins);
    }
    // Payables and receivables share their shape: open ones have a total of
    // 0 or null, settled ones a payment date and a total near the value.
    for (const bool pagar : {true, false}) {
        const char* tabela = pagar ? "contas_pagar" : "contas_receber";
        Sorteio s(c.semente, tabela);
        Insercao ins(c.banco, tabela,
                     {"codigo", "empresa", "documento", "descrição", "data_conta", "data_vencimento",
                      "data_pagamento", "valor", "total", "observações", "previsão", "centro_custo", "anexos",
                      pagar ? "código_fornecedor" : "código_cliente", "conta_caixa", "cancelado"});
        for (qint64 i = 0; i < c.N; ++i) {
            const int k = c.empresaDoLancamento(s, i);
            const qint64 dia = c.diaDoLancamento(s, i);
            const qint64 vencimento = std::min(kUltimoDia, dia + s.entre(0, 60));
            const qint64 valor = pagar ? s.entre(1500, 500000) : s.entre(5000, 800000);
            const Historico& h = pagar ? s.um(kContasPagar) : s.um(kContasReceber);
            std::string descricao = h.texto;
            if (s.chance(250)) {
                const int parcelas = static_cast<int>(s.entre(2, 12));
                descricao += Formata(" — parcela %d/%d", static_cast<int>(s.entre(1, parcelas)), parcelas);
            } else if (s.chance(300)) {
                descricao += Referencia(s, AnoDe(dia));
            }
            std::optional<qint64> pagamento, total;
            const qint64 situacao = s.entre(0, 999);
            if (situacao < 600) {
                pagamento = std::min(kUltimoDia, vencimento + s.entre(-5, 10));
                const qint64 acerto = s.entre(0, 99);
                total = acerto < 75 ? valor : acerto < 90 ? valor + valor * s.entre(2, 10) / 100 : valor - valor / 20;
            } else if (situacao < 800) {
                total = 0;
            }
            ins.inteiro(i + 1).inteiro(k).texto(Documento(s)).texto(descricao).data(dia).data(vencimento);
            ins.data(pagamento).moeda(valor).moeda(total).texto(Memo(s, s.um(kObservacoes))).logico(s.chance(100));
            ins.inteiro(NuloSeZero(c.centroCusto(s, k))).texto(Anexo(s)).inteiro(c.contato(s, k, 700));
            ins.texto(ReferenciaConta(s, h.conta));
            ins.logico(s.chance(50)).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "contas_bancarias_lancamentos");
        Insercao ins(c.banco, "contas_bancarias_lancamentos",
                     {"codigo", "empresa", "conta_bancaria", "data", "pré_datado", "bom_para", "histórico",
                      "número", "valor", "data_compensação", "observações", "centro_custo", "baixado", "tipo",
                      "conta_caixa", "cancelado"});
        for (qint64 i = 0; i < c.N; ++i) {
            const int k = c.empresaDoLancamento(s, i);
            const qint64 dia = c.diaDoLancamento(s, i);
            // 1 cheque and 3 debit take money out; 2 deposit, 4 credit and
            // 0 bring it in; old rows without a kind exist too.
            const qint64 r = s.entre(0, 999);
            const std::optional<qint64> tipo = r < 50    ? std::nullopt
                                               : r < 100 ? std::optional<qint64>(0)
                                               : r < 350 ? std::optional<qint64>(1)
                                               : r < 600 ? std::optional<qint64>(2)
                                               : r < 850 ? std::optional<qint64>(3)
                                                         : std::optional<qint64>(4);
            const bool saida = tipo == 1 || tipo == 3;
            const bool cheque = tipo == 1;
            const bool preDatado = cheque && s.chance(200);
            const bool baixado = s.chance(850);
            const Historico& h = saida ? s.um(kBancoSaidas) : s.um(kBancoEntradas);
            std::string historico = h.texto;
            if (cheque) {
                historico = "Cheque nº " + Digitos(s, 6) + " — ";
                historico += NomeCompleto(s, s.chance(500));
            }
            ins.inteiro(i + 1).inteiro(k).inteiro(Contexto::emBloco(k, 3, s.entre(0, 2))).data(dia).logico(preDatado);
            ins.data(preDatado ? std::optional<qint64>(dia + s.entre(10, 90)) : std::nullopt).texto(historico);
            ins.texto(cheque ? Texto(Digitos(s, 6)) : s.chance(500) ? Texto(Digitos(s, 8)) : std::nullopt);
            ins.moeda(s.entre(1000, 900000));
            ins.data(baixado ? std::optional<qint64>(std::min(kUltimoDia, dia + s.entre(0, 5))) : std::nullopt);
            ins.texto(Memo(s, s.um(kObservacoes), 500)).inteiro(NuloSeZero(c.centroCusto(s, k))).logico(baixado);
            ins.inteiro(tipo).texto(ReferenciaConta(s, cheque ? s.um(kContasPagar).conta : h.conta));
            ins.logico(s.chance(50)).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "cartoes_credito_lancamentos");
        Insercao ins(c.banco, "cartoes_credito_lancamentos",
                     {"codigo", "empresa", "código_cartão", "data", "valor", "histórico", "observações", "baixado",
                      "data_compensação", "vencimento", "centro_custo", "conta_caixa", "cancelado"});
        for (qint64 i = 0; i < c.N; ++i) {
            const int k = c.empresaDoLancamento(s, i);
            const qint64 dia = c.diaDoLancamento(s, i);
            const qint64 vencimento = std::min(kUltimoDia, dia + s.entre(10, 40));
            const bool baixado = s.chance(850);
            const Historico& h = s.um(kComprasCartao);
            std::string historico = h.texto;
            if (s.chance(250)) {
                const int parcelas = static_cast<int>(s.entre(2, 10));
                historico += Formata(" — parcela %d/%d", static_cast<int>(s.entre(1, parcelas)), parcelas);
            }
            ins.inteiro(i + 1).inteiro(k).inteiro(Contexto::emBloco(k, 2, s.entre(0, 1))).data(dia);
            ins.moeda(s.entre(500, 300000)).texto(historico).texto(Memo(s, s.um(kObservacoes), 600)).logico(baixado);
            ins.data(baixado ? std::optional<qint64>(vencimento) : std::nullopt).data(vencimento);
            ins.inteiro(NuloSeZero(c.centroCusto(s, k))).texto(ReferenciaConta(s, h.conta));
            ins.logico(s.chance(50)).grava();
        }
        c.conta(ins);
    }
    {
        Sorteio s(c.semente, "investimentos_lancamentos");
        Insercao ins(c.banco, "investimentos_lancamentos",
                     {"codigo", "empresa", "codigo_investimento", "data", "descricao", "valor", "tipo",
                      "conta_caixa", "cancelado"});
        for (qint64 i = 0; i < c.N; ++i) {
            const int k = c.empresaDoLancamento(s, i);
            const qint64 dia = c.diaDoLancamento(s, i);
            // "C" credits the investment, "D" debits it; some old rows were
            // typed in lower case.
            const qint64 r = s.entre(0, 999);
            const char* tipo = r < 550 ? "C" : r < 950 ? "D" : "c";
            ins.inteiro(i + 1).inteiro(k).inteiro(Contexto::emBloco(k, 2, s.entre(0, 1))).data(dia);
            const Historico& h = *tipo == 'D' ? s.um(kResgates) : s.um(kAplicacoes);
            ins.texto(h.texto).moeda(s.entre(1000, 2000000)).texto(tipo);
            ins.texto(ReferenciaConta(s, h.conta)).logico(s.chance(50)).grava();
        }
        c.conta(ins);
    }
}

// Records the database password of a file just written.
void GravaSenha(const QString& caminho, const char* senha) {
    db::Conexao conexao;
    conexao.setConnectionString(db::MontaConnectionString(caminho, QString()));
    conexao.open();
    db::GravaSenhaBanco(conexao, QString::fromLatin1(senha));
    conexao.close();
}

// Sets an environment variable for the life of the object.
class AmbienteTemporario {
public:
    AmbienteTemporario(const char* nome, const QString& valor)
        : nome_(nome), tinha_(qEnvironmentVariableIsSet(nome)), antigo_(qgetenv(nome)) {
        qputenv(nome_, QFile::encodeName(valor));
    }
    ~AmbienteTemporario() {
        if (tinha_) qputenv(nome_, antigo_);
        else qunsetenv(nome_);
    }
    AmbienteTemporario(const AmbienteTemporario&) = delete;
    AmbienteTemporario& operator=(const AmbienteTemporario&) = delete;

private:
    const char* nome_;
    bool tinha_;
    QByteArray antigo_;
};

}  // namespace

QList<ContagemTabela> GeraBaseAntiga(const QString& arquivo, const OpcoesAntiga& opcoes) {
    if (opcoes.empresas < 1 || opcoes.empresas > 1000)
        throw Erro(QString("O número de empresas deve estar entre 1 e 1000 (pedido: %1).").arg(opcoes.empresas));
    if (opcoes.linhas < 0)
        throw Erro(QString("O número de linhas não pode ser negativo (pedido: %1).").arg(opcoes.linhas));
    ArquivoParcial parcial(arquivo, opcoes.sobrescrever);
    QList<ContagemTabela> contagens;
    {
        Banco banco(parcial.caminho(), parcial.destino());
        // A file made from nothing needs no crash safety: a failure throws
        // it away whole.
        banco.executa("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", "configurar a gravação");
        banco.executa(QString::fromUtf8(esquemas::antiga()), "criar as tabelas");
        const int E = opcoes.empresas;
        const qint64 N = opcoes.linhas;
        Contexto c{banco, opcoes.semente, E, N, std::max<qint64>(E, N / 10), std::max<qint64>(2 * E, N / 100), {}};
        banco.inicia();
        GeraEmpresas(c);
        GeraCadastrosFinanceiros(c);
        GeraContatos(c);
        GeraPessoais(c);
        GeraVeiculos(c);
        GeraLancamentos(c);
        banco.confirma();
        contagens = c.contagens;
    }
    parcial.conclui();
    return contagens;
}

void GeraBaseNova(const QString& arquivo, const QString& senhaUsuario, bool sobrescrever) {
    QString senhaGravada;
    if (!senhaUsuario.isEmpty()) {
        senhaGravada = Criptografa(senhaUsuario, QString::fromLatin1(ChaveSenhaUsuario), true);
        if (senhaGravada.size() > 100)
            throw Erro(QString("A senha do usuário é longa demais: o campo 'senha' da tabela 'cfg_global' guarda "
                               "no máximo %1 caracteres.")
                           .arg((100 - 2) / 2));
    }
    ArquivoParcial parcial(arquivo, sobrescrever);
    {
        Banco banco(parcial.caminho(), parcial.destino());
        banco.executa(QString::fromUtf8(esquemas::nova()), "criar as tabelas");
        banco.inicia();
        {
            Insercao ins(banco, "cfg_global", {"id", "area", "senha"});
            ins.inteiro(1).inteiro(1);
            if (senhaGravada.isEmpty()) ins.nulo();
            else ins.texto(senhaGravada);
            ins.grava();
        }
        {
            // The fallback accounts of imported entries: 1 for money in, 2 for money out.
            Insercao ins(banco, "plano_contas",
                         {"id", "area", "descricao", "codigo_conta", "dedutivel_ir", "imposto", "repete_mes",
                          "tipo_conta"});
            ins.inteiro(1).inteiro(1).texto("Receitas diversas").texto("1").logico(false).logico(false).logico(false);
            ins.texto("R").grava();
            ins.inteiro(2).inteiro(1).texto("Despesas diversas").texto("2").logico(false).logico(false).logico(false);
            ins.texto("D").grava();
        }
        {
            Insercao ins(banco, "montadoras", {"id", "area", "descricao", "tipo"});
            ins.inteiro(1).inteiro(1).texto("Fiat").texto("Automóvel").grava();
        }
        {
            Insercao ins(banco, "modelos",
                         {"id", "area", "descricao", "id_montadora", "tipo", "cilindradas", "nro_cilindradas",
                          "potencia"});
            ins.inteiro(1).inteiro(1).texto("Uno Mille").inteiro(1).texto("Hatch").inteiro(999).inteiro(4);
            ins.texto("65 cv").grava();
        }
        {
            // The edition keeps a counter only for the tables it has
            // numbered; the others get theirs on first use.
            Insercao ins(banco, "sys_codigos", {"id", "tabela", "area"});
            ins.inteiro(2).texto("plano_contas").inteiro(1).grava();
            ins.inteiro(1).texto("montadoras").inteiro(1).grava();
            ins.inteiro(1).texto("modelos").inteiro(1).grava();
        }
        banco.confirma();
    }
    GravaSenha(parcial.caminho(), SenhaBancoUsuario);
    parcial.conclui();
}

QString GeraBaseUsuarios(const QString& pasta, const QStringList& bases, bool sobrescrever) {
    const QString arquivo = QDir::cleanPath(QDir(pasta).absoluteFilePath("Dados/Usuarios.zqd"));
    // Checked before anything is written, so that a bad list leaves nothing.
    QStringList caminhos;
    for (const QString& base : bases) {
        const QString caminho = QDir::cleanPath(QFileInfo(base).absoluteFilePath());
        if (caminho.size() > 255)
            throw Erro(QString("O caminho '%1' passa dos 255 caracteres do campo 'path' da tabela 'usuarios'.")
                           .arg(caminho));
        caminhos << caminho;
    }
    ArquivoParcial parcial(arquivo, sobrescrever);
    {
        Banco banco(parcial.caminho(), parcial.destino());
        banco.executa(QString::fromUtf8(esquemas::usuarios()), "criar as tabelas");
        banco.inicia();
        Insercao ins(banco, "usuarios", {"id", "nome", "path"});
        int id = 0;
        for (const QString& caminho : caminhos) {
            QString nome = QFileInfo(caminho).completeBaseName();
            if (!nome.isEmpty()) nome[0] = nome[0].toUpper();
            ins.inteiro(++id).texto(nome).texto(caminho).grava();
        }
        banco.confirma();
    }
    GravaSenha(parcial.caminho(), SenhaBancoUsuarios);
    parcial.conclui();
    return parcial.destino();
}

ResumoDemo GeraDemo(const QString& pasta, bool sobrescrever) {
    const QDir dir(QDir::cleanPath(QDir(pasta).absolutePath()));
    ResumoDemo r;
    r.baseAntiga = dir.filePath("TarvoPessoal.mdb");
    r.basesNovas = QStringList{dir.filePath("usuarios/ana.tpv"), dir.filePath("usuarios/bruno.tpv")};
    r.baseUsuarios = dir.filePath("Dados/Usuarios.zqd");
    r.registro = dir.filePath("registro-usuario.reg");
    if (!sobrescrever)
        for (const QString& a : QStringList{r.baseAntiga, r.basesNovas[0], r.basesNovas[1], r.baseUsuarios, r.registro})
            if (QFileInfo::exists(a)) throw ErroArquivoExiste(a);

    OpcoesAntiga opcoes;
    opcoes.empresas = 3;
    opcoes.linhas = 500;
    opcoes.semente = 1;
    opcoes.sobrescrever = sobrescrever;
    r.linhasAntiga = GeraBaseAntiga(r.baseAntiga, opcoes);
    GeraBaseNova(r.basesNovas[0], QString(), sobrescrever);
    GeraBaseNova(r.basesNovas[1], QString::fromLatin1(SenhaDemoBruno), sobrescrever);
    GeraBaseUsuarios(dir.path(), r.basesNovas, sobrescrever);

    // GravaRegistro adds to a store that exists; the demonstration's store
    // holds the one value and nothing left from before.
    if (QFileInfo::exists(r.registro) && !QFile::remove(r.registro))
        throw Erro(QString("Não foi possível substituir o arquivo '%1'.").arg(r.registro));
    AmbienteTemporario ambiente("TARVO_REGISTRO_USUARIO", r.registro);
    GravaRegistro(RaizRegistro::UsuarioAtual, QString::fromLatin1(ChaveBaseAntiga),
                  QString::fromLatin1(ValorBaseAntiga), r.baseAntiga);
    return r;
}

}  // namespace tarvo::amostra
