#include "db/arquivo_jet.h"

#include "erros.h"

// glib first: mdbtools.h wraps its own includes in extern "C", which GCC
// refuses for glib's C++ templates.
#include <glib.h>
#include <mdbtools.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace tarvo::db {

namespace {

// The first 19 bytes of every Jet and ACE file; the engine name follows the
// four magic bytes.
constexpr char kAssinaturaJet[] = "\x00\x01\x00\x00Standard Jet DB";
constexpr char kAssinaturaAce[] = "\x00\x01\x00\x00Standard ACE DB";
constexpr int kTamanhoAssinatura = 19;
constexpr int kPosVersao = 0x14;

// Header page layout (file offsets). Bytes 0x18 onwards are RC4-encoded with
// a fixed key: 126 of them in Jet 3, 128 in Jet 4.
constexpr int kPosCifrado = 0x18;
constexpr int kPosCodigoPagina = 0x3c;
constexpr int kPosChaveCriptografia = 0x3e;
constexpr int kPosSenha = 0x42;
constexpr int kTamanhoSenhaJet4 = 40;  // 20 UCS-2 characters
constexpr int kPosDataCriacaoJet4 = 0x72;

// Page 0 is the header, page 1 the global usage map and page 2 the
// definition of the catalogue table: no Jet file has fewer pages.
constexpr qint64 kPaginasMinimas = 3;

// Row offsets on a data page carry two flags above the offset itself.
constexpr int kMascaraDeslocamento = 0x1fff;
constexpr int kLinhaApagada = 0x4000;

// Long values (memo, OLE) begin with a 12-byte header in the row: length and
// storage flags, then the page/row of the first LVAL record.
constexpr int kCabecalhoLongo = 12;
constexpr quint32 kLongoEmbutido = 0x80000000u;
constexpr quint32 kLongoUmaPagina = 0x40000000u;

// Day numbers of 0001-01-01 and 9999-12-31 counted from 1899-12-30.
constexpr double kPrimeiroDia = -693593;
constexpr double kUltimoDia = 2958465;

// Numbers go into messages through multi-argument arg(), so that a "%2" in a
// file or table name is never taken for a placeholder.
template <typename T>
QString N(T numero) {
    return QString::number(numero);
}

[[noreturn]] void Falha(const QString& mensagem) { throw ErroBanco(mensagem); }

[[noreturn]] void Corrompido(const QString& caminho, const QString& causa) {
    Falha(QString("O arquivo '%1' está corrompido (%2).").arg(caminho, causa));
}

QString MensagemTabelaAusente(const QString& tabela) {
    return QString(
               "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta '%1'. "
               "Certifique-se de que ela existe e que seu nome está escrito corretamente.")
        .arg(tabela);
}

quint16 Le16(const unsigned char* p) { return quint16(p[0] | (p[1] << 8)); }
quint32 Le32(const unsigned char* p) {
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
qint64 Le64(const unsigned char* p) {
    quint64 v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return qint64(v);
}
double LeDouble(const unsigned char* p) {
    const qint64 bits = Le64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
float LeSingle(const unsigned char* p) {
    const quint32 bits = Le32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// RC4 in place; used only to unmask the header.
void Rc4(const unsigned char* chave, int tamanhoChave, unsigned char* dados, int tamanho) {
    std::array<unsigned char, 256> s;
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + chave[i % tamanhoChave]) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < tamanho; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        dados[n] ^= s[(s[i] + s[j]) & 0xff];
    }
}

// The Windows code pages a Jet header may record, with the name Qt's codecs
// know them by. 0 means "not recorded" and reads as 1252.
const char* NomeCodigoPagina(quint16 codigo) {
    switch (codigo) {
    case 0: return "windows-1252";
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1252: return "windows-1252";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    default: return nullptr;
    }
}

struct Cabecalho {
    int versao = MDB_VER_JET4;
    int tamanhoPagina = 4096;
    qint64 paginas = 0;
    quint16 codigoPagina = 0;
    QString senha;
};

// Everything libmdb would trust blindly about the file is checked here first,
// so that a file it cannot read fails with a message instead of a crash.
Cabecalho LeCabecalho(const QString& caminho) {
    const QFileInfo info(caminho);
    if (!info.exists()) Falha(QString("Não foi possível encontrar o arquivo '%1'.").arg(caminho));
    if (info.isDir()) Falha(QString("'%1' é uma pasta, não um arquivo de banco de dados.").arg(caminho));
    if (!info.isReadable())
        Falha(QString("Não foi possível ler o arquivo '%1' (sem permissão de leitura).").arg(caminho));
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        Falha(QString("Não foi possível ler o arquivo '%1' (%2).").arg(caminho, arquivo.errorString()));
    const qint64 tamanho = arquivo.size();
    if (tamanho == 0) Falha(QString("O arquivo '%1' está vazio.").arg(caminho));
    const QByteArray inicio = arquivo.read(4096);
    if (inicio.size() < 0x20 || !EhArquivoJet(inicio))
        Falha(QString("O arquivo '%1' não é um banco de dados do Access (Jet).").arg(caminho));
    if (inicio.startsWith(QByteArray(kAssinaturaAce, kTamanhoAssinatura)))
        Falha(QString("O arquivo '%1' está no formato do Access 2007 ou posterior (.accdb), que não é "
                      "suportado; salve-o no formato do Access 2002-2003 (.mdb) e tente de novo.")
                  .arg(caminho));

    Cabecalho c;
    c.versao = static_cast<unsigned char>(inicio[kPosVersao]);
    if (c.versao != MDB_VER_JET3 && c.versao != MDB_VER_JET4)
        Falha(QString("O arquivo '%1' é de uma versão do Jet desconhecida (código %2).").arg(caminho, N(c.versao)));
    c.tamanhoPagina = c.versao == MDB_VER_JET3 ? 2048 : 4096;
    if (tamanho % c.tamanhoPagina != 0)
        Falha(QString("O arquivo '%1' está truncado (tamanho %2 não é múltiplo da página de %3 bytes).")
                  .arg(caminho, N(tamanho), N(c.tamanhoPagina)));
    c.paginas = tamanho / c.tamanhoPagina;
    if (c.paginas < kPaginasMinimas)
        Falha(QString("O arquivo '%1' está truncado (tamanho %2 é menor que %3 páginas de %4 bytes).")
                  .arg(caminho, N(tamanho), N(kPaginasMinimas), N(c.tamanhoPagina)));

    // The file is at least three pages long, so the header fields are here
    // unless the read itself failed.
    std::array<unsigned char, 0x100> cab{};
    if (inicio.size() < qsizetype(cab.size()))
        Falha(QString("Não foi possível ler o arquivo '%1' (%2).").arg(caminho, arquivo.errorString()));
    std::memcpy(cab.data(), inicio.constData(), cab.size());
    static const unsigned char chave[] = {0xc7, 0xda, 0x39, 0x6b};
    Rc4(chave, 4, cab.data() + kPosCifrado, c.versao == MDB_VER_JET3 ? 126 : 128);

    c.codigoPagina = Le16(cab.data() + kPosCodigoPagina);
    if (!NomeCodigoPagina(c.codigoPagina))
        Corrompido(caminho, QString("cabeçalho com a página de código %1, que não existe").arg(c.codigoPagina));
    // A non-zero key means that every page is RC4-encoded with it (the
    // "encrypt database" command of Access 97 to 2003).
    if (Le32(cab.data() + kPosChaveCriptografia) != 0)
        Falha(QString("O arquivo '%1' está criptografado pelo Access e não pode ser lido; "
                      "descriptografe-o no Access antes de importar.")
                  .arg(caminho));

    if (c.versao == MDB_VER_JET4) {
        const double criacao = LeDouble(cab.data() + kPosDataCriacaoJet4);
        if (!std::isfinite(criacao) || criacao < 0 || criacao > kUltimoDia)
            Corrompido(caminho, "cabeçalho com data de criação inválida");
        // The password is masked a second time with the integer part of the
        // creation date, repeated as 4 little-endian bytes.
        const quint32 dias = static_cast<quint32>(static_cast<qint32>(criacao));
        const unsigned char mascara[4] = {static_cast<unsigned char>(dias), static_cast<unsigned char>(dias >> 8),
                                          static_cast<unsigned char>(dias >> 16),
                                          static_cast<unsigned char>(dias >> 24)};
        for (int i = 0; i < kTamanhoSenhaJet4; i += 2) {
            const unsigned char* p = cab.data() + kPosSenha + i;
            const char16_t unidade = char16_t((p[0] ^ mascara[i % 4]) | ((p[1] ^ mascara[(i + 1) % 4]) << 8));
            if (unidade == 0) break;
            c.senha.append(QChar(unidade));
        }
    }
    return c;
}

// ---- RAII over libmdb and SQLite ------------------------------------------

struct FechaMdb {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
using MdbPtr = std::unique_ptr<MdbHandle, FechaMdb>;

struct LiberaTabela {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TabelaPtr = std::unique_ptr<MdbTableDef, LiberaTabela>;

class Comando {
public:
    Comando(sqlite3* db, const QString& sql) {
        const QByteArray utf8 = sql.toUtf8();
        rc_ = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st_, nullptr);
    }
    ~Comando() { sqlite3_finalize(st_); }
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;
    int rc() const { return rc_; }
    sqlite3_stmt* get() const { return st_; }

private:
    sqlite3_stmt* st_ = nullptr;
    int rc_ = SQLITE_OK;
};

// Everything the copy writes happens inside one savepoint: it acts as a
// transaction of its own, and also nests inside one the caller has open.
// Leaving without confirm() takes the created table and its rows back.
class PontoDeSalvamento {
public:
    explicit PontoDeSalvamento(sqlite3* db) : db_(db) {
        rc_ = sqlite3_exec(db_, "SAVEPOINT tarvo_carga_jet", nullptr, nullptr, nullptr);
    }
    ~PontoDeSalvamento() {
        if (rc_ != SQLITE_OK || confirmado_) return;
        sqlite3_exec(db_, "ROLLBACK TO tarvo_carga_jet", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "RELEASE tarvo_carga_jet", nullptr, nullptr, nullptr);
    }
    int rc() const { return rc_; }
    int confirma() {
        const int rc = sqlite3_exec(db_, "RELEASE tarvo_carga_jet", nullptr, nullptr, nullptr);
        confirmado_ = rc == SQLITE_OK;
        return rc;
    }

private:
    sqlite3* db_;
    int rc_;
    bool confirmado_ = false;
};

// Points a column's bind buffer at our own buffer for the duration of one
// long-value read, and clears it afterwards so no later libmdb call writes
// into freed memory.
class BindTemporario {
public:
    BindTemporario(MdbColumn* col, void* buffer) : col_(col) { col_->bind_ptr = buffer; }
    ~BindTemporario() { col_->bind_ptr = nullptr; }
    BindTemporario(const BindTemporario&) = delete;
    BindTemporario& operator=(const BindTemporario&) = delete;

private:
    MdbColumn* col_;
};

QString Aspas(const QString& nome) {
    QString r = nome;
    r.replace('"', "\"\"");
    return '"' + r + '"';
}

QString NomeC(const char* texto, size_t maximo) { return QString::fromUtf8(texto, qsizetype(strnlen(texto, maximo))); }

TipoCampo TipoDe(int tipoMdb) {
    switch (tipoMdb) {
    case MDB_BOOL: return TipoCampo::Booleano;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return TipoCampo::Inteiro;
    case MDB_MONEY: return TipoCampo::Moeda;
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return TipoCampo::Flutuante;
    case MDB_DATETIME: return TipoCampo::DataHora;
    case MDB_TEXT:
    case MDB_REPID: return TipoCampo::Texto;
    case MDB_MEMO: return TipoCampo::Memo;
    default: return TipoCampo::Binario;  // OLE, binary and anything unknown: the raw bytes
    }
}

// A field of one row as located on the current page: is_null is the value
// itself for booleans.
struct Campo {
    bool nulo = true;
    int inicio = 0;
    int tamanho = 0;
};

}  // namespace

bool EhArquivoJet(const QByteArray& inicio) {
    if (inicio.size() < 0x20) return false;
    // ACE files (.accdb) answer yes too: they are Access databases, and the
    // reader refuses them with a message that says so, which is clearer than
    // "unknown format".
    return inicio.startsWith(QByteArray(kAssinaturaJet, kTamanhoAssinatura)) ||
           inicio.startsWith(QByteArray(kAssinaturaAce, kTamanhoAssinatura));
}

struct ArquivoJet::Impl {
    // One user table of the catalogue. libmdb keeps a pointer to the entry
    // in every table definition read through it, so the entry lives as long
    // as the file is open.
    struct Tabela {
        std::unique_ptr<MdbCatalogEntry> entrada;
        QString nome;
        QSet<QString> obrigatorias;  // columns with the Required property set
    };

    QString caminho;
    Cabecalho cabecalho;
    MdbPtr mdb;
    std::vector<Tabela> tabelas;
    mutable QStringDecoder decodificador;  // Jet 3 text, in the file's code page

    // Position of the table in the catalogue: the exact name first, then
    // ignoring case as Jet does.
    int indice(const QString& tabela) const {
        for (size_t i = 0; i < tabelas.size(); ++i)
            if (tabelas[i].nome == tabela) return int(i);
        for (size_t i = 0; i < tabelas.size(); ++i)
            if (tabelas[i].nome.compare(tabela, Qt::CaseInsensitive) == 0) return int(i);
        throw ErroBanco(MensagemTabelaAusente(tabela));
    }

    static MdbColumn* coluna(MdbTableDef* t, unsigned i) {
        return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
    }

    // Reads a table definition and its columns. `descricao` names the table
    // in messages ("da tabela 'X'"). The counts libmdb would use to walk the
    // definition pages are checked before it walks them.
    TabelaPtr abreDefinicao(MdbCatalogEntry* e, const QString& descricao) const {
        TabelaPtr t(mdb_read_table(e));
        if (!t) Corrompido(caminho, QString("não foi possível ler a definição %1").arg(descricao));
        if (t->num_cols == 0 || t->num_cols > MDB_MAX_COLS || t->num_var_cols > t->num_cols)
            Corrompido(caminho, QString("definição %1 com %2 colunas").arg(descricao, N(t->num_cols)));
        // Jet allows 32 indexes; the count decides where the column list starts.
        if (t->num_real_idxs > 1000)
            Corrompido(caminho, QString("definição %1 com %2 índices").arg(descricao, N(t->num_real_idxs)));
        if (!t->usage_map || t->map_sz == 0)
            Corrompido(caminho, QString("definição %1 sem mapa de páginas").arg(descricao));
        if (!mdb_read_columns(t.get()) || !t->columns || t->columns->len != t->num_cols)
            Corrompido(caminho, QString("não foi possível ler as colunas %1").arg(descricao));
        return t;
    }

    InfoColuna info(MdbColumn* col, const QSet<QString>& obrigatorias) const {
        InfoColuna c;
        c.nome = NomeC(col->name, sizeof col->name);
        c.tipo = TipoDe(col->col_type);
        if (col->col_type == MDB_TEXT) {
            // Jet 4 records the size of a text column in bytes of UCS-2.
            const int n = cabecalho.versao == MDB_VER_JET3 ? col->col_size : col->col_size / 2;
            c.tamanho = n > 0 ? n : 255;
        } else if (col->col_type == MDB_REPID) {
            c.tamanho = 38;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
        }
        // Access keeps booleans not null; other columns say so in a property.
        c.obrigatorio = col->col_type == MDB_BOOL || obrigatorias.contains(c.nome);
        return c;
    }

    QString decodificaTexto(const unsigned char* p, qsizetype n) const {
        if (cabecalho.versao == MDB_VER_JET3) {
            decodificador.resetState();
            return decodificador.decode(QByteArrayView(p, n));
        }
        QString r;
        r.reserve(n / 2);
        if (n >= 2 && p[0] == 0xff && p[1] == 0xfe) {
            // Compressed Unicode: runs of one byte per character (the high
            // byte is zero), switched on and off by a zero byte.
            bool comprimido = true;
            qsizetype i = 2;
            while (i < n) {
                if (p[i] == 0) {
                    comprimido = !comprimido;
                    ++i;
                } else if (comprimido) {
                    r.append(QChar(char16_t(p[i])));
                    ++i;
                } else if (i + 1 < n) {
                    r.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
                    i += 2;
                } else {
                    break;
                }
            }
            return r;
        }
        for (qsizetype i = 0; i + 1 < n; i += 2) r.append(QChar(char16_t(p[i] | (p[i + 1] << 8))));
        return r;
    }

    // Cracks the row at [inicio, inicio + tamanho) of the current page the way
    // libmdb does, but checks every offset against the row before using it.
    // False when the bytes are not a valid row.
    bool quebraLinha(MdbTableDef* t, int inicio, int tamanho, std::vector<Campo>& campos) const {
        const unsigned char* pg = mdb->pg_buf;
        const bool jet3 = cabecalho.versao == MDB_VER_JET3;
        const int tamContagem = jet3 ? 1 : 2;
        const int fim = inicio + tamanho - 1;  // last byte of the row
        if (tamanho < tamContagem + 1) return false;
        const int colunasLinha = jet3 ? pg[inicio] : Le16(pg + inicio);
        const int tamMascara = (colunasLinha + 7) / 8;
        if (tamContagem + tamMascara > tamanho) return false;
        const unsigned char* mascaraNulos = pg + fim - tamMascara + 1;

        std::vector<int> deslocVar;
        int colunasVarLinha = 0;
        if (t->num_var_cols > 0) {
            // Every byte read below must lie inside the row, after the
            // column count.
            if (jet3) {
                if (fim - tamMascara < inicio + tamContagem) return false;
                colunasVarLinha = pg[fim - tamMascara];
                // Offsets are single bytes; a jump table after them says
                // where each next multiple of 256 begins.
                const int saltos0 = (tamanho - 1) / 256;
                const int ptrCol = fim - tamMascara - saltos0 - 1;
                int saltos = saltos0;
                if (ptrCol - colunasVarLinha < inicio + tamContagem) return false;
                if ((ptrCol - inicio - colunasVarLinha) / 256 < saltos) --saltos;
                if (fim - tamMascara - saltos < inicio + tamContagem) return false;
                deslocVar.resize(size_t(colunasVarLinha) + 1);
                int usados = 0;
                for (int i = 0; i <= colunasVarLinha; ++i) {
                    while (usados < saltos && i == pg[fim - tamMascara - usados - 1]) ++usados;
                    deslocVar[size_t(i)] = pg[ptrCol - i] + usados * 256;
                }
            } else {
                if (fim - tamMascara - 1 < inicio + tamContagem) return false;
                colunasVarLinha = Le16(pg + fim - tamMascara - 1);
                if (fim - tamMascara - 3 - 2 * colunasVarLinha < inicio + tamContagem) return false;
                deslocVar.resize(size_t(colunasVarLinha) + 1);
                for (int i = 0; i <= colunasVarLinha; ++i)
                    deslocVar[size_t(i)] = Le16(pg + fim - tamMascara - 3 - 2 * i);
            }
        }

        const int fixasLinha = colunasLinha - colunasVarLinha;
        int fixasAchadas = 0;
        campos.assign(t->num_cols, Campo{});
        for (unsigned i = 0; i < t->num_cols; ++i) {
            MdbColumn* col = coluna(t, i);
            Campo& c = campos[i];
            // Null mask: 1 is "not null"; a column added after the row was
            // written is null.
            c.nulo = col->col_num >= colunasLinha || !(mascaraNulos[col->col_num / 8] & (1 << (col->col_num % 8)));
            if (col->is_fixed && fixasAchadas < fixasLinha) {
                c.inicio = inicio + col->fixed_offset + tamContagem;
                c.tamanho = col->col_size;
                ++fixasAchadas;
            } else if (!col->is_fixed && int(col->var_col_num) < colunasVarLinha) {
                c.inicio = inicio + deslocVar[col->var_col_num];
                c.tamanho = deslocVar[col->var_col_num + 1] - deslocVar[col->var_col_num];
            } else {
                if (col->col_type != MDB_BOOL) c.nulo = true;
                c.inicio = 0;
                c.tamanho = 0;
                continue;
            }
            if (col->col_type == MDB_BOOL) continue;  // the value is the null bit
            if (c.tamanho < 0 || c.inicio < inicio || qint64(c.inicio) + c.tamanho > qint64(inicio) + tamanho)
                return false;
        }
        return true;
    }

    // Calls `porLinha` for every live row of the table, with its fields
    // located on the current page (mdb->pg_buf). Deleted rows are skipped.
    void percorreLinhas(MdbTableDef* t, const QString& descricao,
                        const std::function<void(int pagina, const std::vector<Campo>&)>& porLinha) const {
        MdbHandle* h = mdb.get();
        const int rco = h->fmt->row_count_offset;
        const int maxLinhasPagina = (cabecalho.tamanhoPagina - rco - 2) / 2;
        std::vector<Campo> campos;
        mdb_rewind_table(t);
        // libmdb relies on the row count of the definition; a table that
        // records none has none (its pages may hold only deleted rows).
        if (t->num_rows == 0) return;
        qint64 paginasLidas = 0;
        for (;;) {
            const int pagina = mdb_read_next_dpg(t);
            if (pagina <= 0) break;
            // Each data page is visited once, so more visits than the file
            // has pages means the page map goes round in circles.
            if (++paginasLidas > cabecalho.paginas)
                Corrompido(caminho, QString("o mapa de páginas %1 percorre mais páginas do que o arquivo tem")
                                        .arg(descricao));
            const int linhas = Le16(h->pg_buf + rco);
            if (linhas > maxLinhasPagina)
                Corrompido(caminho,
                           QString("a página %1 %2 diz ter %3 linhas").arg(N(pagina), descricao, N(linhas)));
            for (int linha = 0; linha < linhas; ++linha) {
                // Deleted rows, and the stubs left where a row was moved to
                // another page, carry this flag in the row offset (their
                // bytes may be empty); a moved row is read where it now is.
                if (Le16(h->pg_buf + rco + 2 + 2 * linha) & kLinhaApagada) continue;
                int inicio = 0;
                size_t tamanho = 0;
                if (mdb_find_row(h, linha, &inicio, &tamanho) != 0 || tamanho == 0)
                    Corrompido(caminho, QString("linha %1 da página %2 %3 fora da página")
                                            .arg(N(linha), N(pagina), descricao));
                inicio &= kMascaraDeslocamento;
                if (!quebraLinha(t, inicio, int(tamanho), campos))
                    Corrompido(caminho,
                               QString("linha %1 da página %2 %3 ilegível").arg(N(linha), N(pagina), descricao));
                porLinha(pagina, campos);
            }
        }
    }

    [[noreturn]] void campoInvalido(MdbColumn* col, const QString& descricao, int pagina, const QString& causa) const {
        Corrompido(caminho, QString("campo '%1' %2, página %3: %4")
                                .arg(NomeC(col->name, sizeof col->name), descricao, N(pagina), causa));
    }

    void exigeTamanho(MdbColumn* col, const Campo& c, int minimo, const QString& descricao, int pagina) const {
        if (c.tamanho < minimo)
            campoInvalido(col, descricao, pagina,
                          QString("%1 bytes para um valor de %2").arg(N(c.tamanho), N(minimo)));
    }

    // Byte, Integer and Long Integer values.
    qint64 inteiro(MdbColumn* col, const Campo& c, const QString& descricao, int pagina) const {
        const unsigned char* p = mdb->pg_buf + c.inicio;
        switch (col->col_type) {
        case MDB_BYTE: exigeTamanho(col, c, 1, descricao, pagina); return p[0];
        case MDB_INT: exigeTamanho(col, c, 2, descricao, pagina); return qint16(Le16(p));
        default: exigeTamanho(col, c, 4, descricao, pagina); return qint32(Le32(p));
        }
    }

    // Reads a memo or OLE value whose 12-byte header is at `campo` of the
    // current page. libmdb follows the LVAL records; each page/row it is
    // about to follow is checked first, and the chain may neither leave the
    // file nor come back to a record already read.
    QByteArray leLongo(MdbColumn* col, const Campo& campo, const QString& descricao, int pagina) const {
        auto falha = [&](const QString& causa) -> QByteArray { campoInvalido(col, descricao, pagina, causa); };
        if (campo.tamanho < kCabecalhoLongo) return falha("cabeçalho de campo longo incompleto");
        unsigned char cab[kCabecalhoLongo];
        std::memcpy(cab, mdb->pg_buf + campo.inicio, kCabecalhoLongo);
        const quint32 meta = Le32(cab);
        const qint64 total = meta & 0x3fffffff;
        const qint64 tamanhoPagina = cabecalho.tamanhoPagina;
        if (total > cabecalho.paginas * tamanhoPagina) return falha("campo longo maior que o arquivo");
        auto registroValido = [&](quint32 pgLinha) {
            return (pgLinha >> 8) > 0 && qint64(pgLinha >> 8) < cabecalho.paginas;
        };

        // mdb_ole_read copies each record (at most a page) into bind_ptr.
        std::vector<char> buffer(static_cast<size_t>(tamanhoPagina));
        BindTemporario bind(col, buffer.data());
        col->cur_value_start = campo.inicio;
        col->cur_value_len = campo.tamanho;
        QByteArray valor;
        if (meta & kLongoEmbutido) {
            const size_t n = mdb_ole_read(mdb.get(), col, cab, size_t(tamanhoPagina));
            if (qint64(n) != campo.tamanho - kCabecalhoLongo) return falha("campo longo embutido ilegível");
            valor.append(buffer.data(), qsizetype(n));
        } else if (meta & kLongoUmaPagina) {
            if (!registroValido(Le32(cab + 4))) return falha("campo longo aponta para fora do arquivo");
            const size_t n = mdb_ole_read(mdb.get(), col, cab, size_t(tamanhoPagina));
            if (n > size_t(tamanhoPagina)) return falha("registro de campo longo ilegível");
            valor.append(buffer.data(), qsizetype(n));
        } else if ((meta & 0xff000000u) == 0) {
            // A chain of records, each beginning with the page/row of the next.
            if (!registroValido(Le32(cab + 4))) return falha("campo longo aponta para fora do arquivo");
            QSet<quint32> lidos{Le32(cab + 4)};
            size_t n = mdb_ole_read(mdb.get(), col, cab, size_t(tamanhoPagina));
            while (n > 0 && n <= size_t(tamanhoPagina)) {
                valor.append(buffer.data(), qsizetype(n));
                if (valor.size() >= total) break;
                const quint32 proximo = col->cur_blob_pg_row;
                if (proximo == 0) break;
                if (!registroValido(proximo)) return falha("campo longo aponta para fora do arquivo");
                if (lidos.contains(proximo)) return falha("cadeia de campo longo em laço");
                lidos.insert(proximo);
                n = mdb_ole_read_next(mdb.get(), col, cab);
            }
            if (n > size_t(tamanhoPagina)) return falha("registro de campo longo ilegível");
        } else {
            return falha(QString("tipo de campo longo desconhecido (0x%1)").arg(meta >> 24, 2, 16, QChar('0')));
        }
        if (valor.size() < total) return falha("campo longo incompleto");
        valor.truncate(qsizetype(total));
        return valor;
    }

    // Names of the columns whose Required property is set, from a property
    // blob (LvProp of the catalogue: "KKD" in Jet 3, "MR2" in Jet 4). These
    // are metadata only: a malformed blob ends the reading, keeping what was
    // read.
    QSet<QString> colunasObrigatorias(const QByteArray& blob) const {
        QSet<QString> r;
        const auto* b = reinterpret_cast<const unsigned char*>(blob.constData());
        const qint64 n = blob.size();
        if (n < 4 || (std::memcmp(b, "KKD", 4) != 0 && std::memcmp(b, "MR2", 4) != 0)) return r;
        QStringList nomes;  // property names, referred to by index
        for (qint64 pos = 4; pos + 6 <= n;) {
            const qint64 tam = Le32(b + pos);
            const int tipo = Le16(b + pos + 4);
            if (tam < 6 || pos + tam > n) break;
            const unsigned char* bloco = b + pos + 6;
            const qint64 tamBloco = tam - 6;
            if (tipo == 0x80) {
                nomes.clear();
                for (qint64 q = 0; q + 2 <= tamBloco;) {
                    const int k = Le16(bloco + q);
                    q += 2;
                    if (q + k > tamBloco) break;
                    nomes.append(decodificaTexto(bloco + q, k));
                    q += k;
                }
            } else if (tipo <= 2 && tamBloco >= 6) {
                // A block of values: of the table (no name) or of one column.
                const int tamDono = Le16(bloco + 4);
                qint64 q = 6 + tamDono;
                const QString dono = q <= tamBloco ? decodificaTexto(bloco + 6, tamDono) : QString();
                while (!dono.isEmpty() && q + 8 <= tamBloco) {
                    const int tamRegistro = Le16(bloco + q);
                    const int tipoDado = bloco[q + 3];
                    const int elemento = Le16(bloco + q + 4);
                    const int tamDado = Le16(bloco + q + 6);
                    if (tamRegistro < 8 || q + tamRegistro > tamBloco || q + 8 + tamDado > tamBloco) break;
                    if (tipoDado == MDB_BOOL && tamDado >= 1 && elemento < nomes.size() &&
                        nomes[elemento] == QLatin1String("Required") && bloco[q + 8] != 0)
                        r.insert(dono);
                    q += tamRegistro;
                }
            }
            pos += tam;
        }
        return r;
    }

    // Reads MSysObjects (its definition is always on page 2) the way libmdb's
    // catalogue reader does, with our checked row reader, and keeps the user
    // tables: local tables without the system or hidden flags.
    void leCatalogo() {
        const QString descricao("do catálogo de tabelas");
        MdbCatalogEntry msys{};
        msys.mdb = mdb.get();
        msys.object_type = MDB_TABLE;
        msys.table_pg = 2;
        std::strcpy(msys.object_name, "MSysObjects");
        TabelaPtr t = abreDefinicao(&msys, descricao);

        auto procura = [&](const char* nome, std::initializer_list<int> tipos, bool exigida) -> MdbColumn* {
            for (unsigned i = 0; i < t->num_cols; ++i) {
                MdbColumn* col = coluna(t.get(), i);
                if (g_ascii_strcasecmp(col->name, nome) != 0) continue;
                if (std::find(tipos.begin(), tipos.end(), col->col_type) == tipos.end()) break;
                return col;
            }
            if (exigida)
                Corrompido(caminho, QString("o catálogo de tabelas não tem a coluna '%1' esperada").arg(nome));
            return nullptr;
        };
        const auto posicao = [&](MdbColumn* col) {
            for (unsigned i = 0; i < t->num_cols; ++i)
                if (coluna(t.get(), i) == col) return i;
            return 0u;
        };
        MdbColumn* id = procura("Id", {MDB_LONGINT}, true);
        MdbColumn* nome = procura("Name", {MDB_TEXT}, true);
        MdbColumn* tipo = procura("Type", {MDB_INT, MDB_LONGINT}, true);
        MdbColumn* flags = procura("Flags", {MDB_LONGINT}, true);
        MdbColumn* props = procura("LvProp", {MDB_OLE}, false);

        percorreLinhas(t.get(), descricao, [&](int pagina, const std::vector<Campo>& campos) {
            const Campo& cTipo = campos[posicao(tipo)];
            const Campo& cId = campos[posicao(id)];
            const Campo& cNome = campos[posicao(nome)];
            const Campo& cFlags = campos[posicao(flags)];
            if (cTipo.nulo || cId.nulo || cNome.nulo) return;
            // Exactly 1: linked tables, queries and the Access objects have
            // other types (some with the high bit set).
            if (inteiro(tipo, cTipo, descricao, pagina) != MDB_TABLE) return;
            const qint32 bandeiras = cFlags.nulo ? 0 : qint32(inteiro(flags, cFlags, descricao, pagina));
            if (bandeiras & qint32(0x80000002u)) return;  // system or hidden table

            Tabela tab;
            tab.nome = decodificaTexto(mdb->pg_buf + cNome.inicio, cNome.tamanho);
            tab.entrada = std::make_unique<MdbCatalogEntry>();
            MdbCatalogEntry& e = *tab.entrada;
            e.mdb = mdb.get();
            e.object_type = MDB_TABLE;
            e.table_pg = quint32(inteiro(id, cId, descricao, pagina)) & 0x00ffffff;
            e.flags = bandeiras;
            qstrncpy(e.object_name, tab.nome.toUtf8().constData(), sizeof e.object_name);
            if (props && !campos[posicao(props)].nulo)
                tab.obrigatorias = colunasObrigatorias(leLongo(props, campos[posicao(props)], descricao, pagina));
            tabelas.push_back(std::move(tab));
        });
    }
};

ArquivoJet::ArquivoJet(const QString& caminho) : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.caminho = caminho;
    d.cabecalho = LeCabecalho(caminho);
    if (d.cabecalho.versao == MDB_VER_JET3) {
        d.decodificador = QStringDecoder(NomeCodigoPagina(d.cabecalho.codigoPagina));
        if (!d.decodificador.isValid())
            Falha(QString("O arquivo '%1' usa a página de código %2, que este sistema não sabe converter.")
                      .arg(caminho, N(d.cabecalho.codigoPagina)));
    }
    d.mdb.reset(mdb_open(QFile::encodeName(caminho).constData(), MDB_NOFLAGS));
    if (!d.mdb) Corrompido(caminho, "o leitor de bancos Jet não conseguiu abri-lo");
    if (d.mdb->fmt->pg_size != d.cabecalho.tamanhoPagina)
        Corrompido(caminho, "o leitor de bancos Jet leu outra versão no cabeçalho");
    d.leCatalogo();
}

ArquivoJet::~ArquivoJet() = default;

QString ArquivoJet::caminho() const { return impl_->caminho; }

QString ArquivoJet::versao() const { return impl_->cabecalho.versao == MDB_VER_JET3 ? "JET3" : "JET4"; }

QString ArquivoJet::senha() const { return impl_->cabecalho.senha; }

QStringList ArquivoJet::tabelas() const {
    QStringList r;
    for (const auto& t : impl_->tabelas) r.append(t.nome);
    return r;
}

QList<InfoColuna> ArquivoJet::colunas(const QString& tabela) const {
    const Impl::Tabela& tab = impl_->tabelas[size_t(impl_->indice(tabela))];
    TabelaPtr t = impl_->abreDefinicao(tab.entrada.get(), QString("da tabela '%1'").arg(tab.nome));
    QList<InfoColuna> r;
    for (unsigned i = 0; i < t->num_cols; ++i) r.append(impl_->info(Impl::coluna(t.get(), i), tab.obrigatorias));
    return r;
}

void ArquivoJet::carregaTabela(const QString& tabela, sqlite3* destino) const {
    const Impl& d = *impl_;
    const Impl::Tabela& tab = d.tabelas[size_t(d.indice(tabela))];
    const QString descricao = QString("da tabela '%1'").arg(tab.nome);
    TabelaPtr t = d.abreDefinicao(tab.entrada.get(), descricao);
    auto erroSqlite = [&](const char* acao) {
        Falha(QString("Não foi possível copiar a tabela '%1' do arquivo '%2' para o banco em memória (%3): %4.")
                  .arg(tab.nome, d.caminho, QString::fromUtf8(acao), QString::fromUtf8(sqlite3_errmsg(destino))));
    };

    QStringList declaracoes, nomesCol, marcadores;
    for (unsigned i = 0; i < t->num_cols; ++i) {
        const InfoColuna c = d.info(Impl::coluna(t.get(), i), tab.obrigatorias);
        declaracoes.append(Aspas(c.nome) + ' ' + NomeTipo(c.tipo, c.tamanho));
        nomesCol.append(Aspas(c.nome));
        marcadores.append("?");
    }

    PontoDeSalvamento ponto(destino);
    if (ponto.rc() != SQLITE_OK) erroSqlite("abrir a transação");
    {
        Comando cria(destino, QString("CREATE TABLE %1 (%2)").arg(Aspas(tab.nome), declaracoes.join(", ")));
        if (cria.rc() != SQLITE_OK || sqlite3_step(cria.get()) != SQLITE_DONE) erroSqlite("criar a tabela");
    }
    Comando insere(destino, QString("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(Aspas(tab.nome), nomesCol.join(", "), marcadores.join(", ")));
    if (insere.rc() != SQLITE_OK) erroSqlite("preparar a inclusão");
    sqlite3_stmt* st = insere.get();
    MdbHandle* mdb = d.mdb.get();

    auto bindTexto = [&](int idx, const QString& texto) {
        const QByteArray utf8 = texto.toUtf8();
        return sqlite3_bind_text(st, idx, utf8.isNull() ? "" : utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    auto bindBytes = [&](int idx, const char* p, qsizetype n) {
        return n == 0 ? sqlite3_bind_zeroblob(st, idx, 0) : sqlite3_bind_blob(st, idx, p, int(n), SQLITE_TRANSIENT);
    };

    d.percorreLinhas(t.get(), descricao, [&](int pagina, const std::vector<Campo>& campos) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        for (unsigned i = 0; i < t->num_cols; ++i) {
            MdbColumn* col = Impl::coluna(t.get(), i);
            const Campo& c = campos[i];
            const int idx = int(i) + 1;
            int rc = SQLITE_OK;
            if (col->col_type == MDB_BOOL) {
                // The value is the null-mask bit; the column's offset is not
                // checked for Boolean columns and may point anywhere.
                rc = sqlite3_bind_int(st, idx, c.nulo ? 0 : 1);
            } else if (c.nulo) {
                rc = sqlite3_bind_null(st, idx);
            } else {
                const unsigned char* p = mdb->pg_buf + c.inicio;
                switch (col->col_type) {
                case MDB_BYTE:
                case MDB_INT:
                case MDB_LONGINT: rc = sqlite3_bind_int64(st, idx, d.inteiro(col, c, descricao, pagina)); break;
                case MDB_MONEY:
                    // Currency is an integer count of ten-thousandths.
                    d.exigeTamanho(col, c, 8, descricao, pagina);
                    rc = sqlite3_bind_double(st, idx, double(Le64(p)) / 10000.0);
                    break;
                case MDB_FLOAT:
                    d.exigeTamanho(col, c, 4, descricao, pagina);
                    rc = sqlite3_bind_double(st, idx, double(LeSingle(p)));
                    break;
                case MDB_DOUBLE:
                    d.exigeTamanho(col, c, 8, descricao, pagina);
                    rc = sqlite3_bind_double(st, idx, LeDouble(p));
                    break;
                case MDB_NUMERIC: {
                    // Sign byte, then a 128-bit magnitude as four 32-bit
                    // little-endian words, the most significant first.
                    d.exigeTamanho(col, c, 17, descricao, pagina);
                    long double v = 0;
                    for (int w = 0; w < 4; ++w) v = v * 4294967296.0L + Le32(p + 1 + 4 * w);
                    v /= std::pow(10.0L, std::clamp(col->col_scale, 0, 28));
                    rc = sqlite3_bind_double(st, idx, double(p[0] & 0x80 ? -v : v));
                    break;
                }
                case MDB_DATETIME: {
                    // The stored double itself (days since 1899-12-30),
                    // not libmdb's text, which is wrong before 1900.
                    d.exigeTamanho(col, c, 8, descricao, pagina);
                    const double dias = LeDouble(p);
                    const bool noIntervalo =
                        std::isfinite(dias) && std::trunc(dias) >= kPrimeiroDia && std::trunc(dias) <= kUltimoDia;
                    const QDateTime dh = noIntervalo ? DiasParaDataHora(dias) : QDateTime();
                    if (!dh.isValid() || dh.date().year() < 1 || dh.date().year() > 9999)
                        d.campoInvalido(col, descricao, pagina,
                                        QString("data fora dos anos 1 a 9999 (%1)").arg(dias, 0, 'g', 17));
                    rc = bindTexto(idx, DataHoraParaIso(dh));
                    break;
                }
                case MDB_TEXT: rc = bindTexto(idx, d.decodificaTexto(p, c.tamanho)); break;
                case MDB_REPID:
                    // A GUID as Access shows it: the first three groups are
                    // little-endian.
                    d.exigeTamanho(col, c, 16, descricao, pagina);
                    rc = bindTexto(idx, QString::asprintf("{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-"
                                                          "%02X%02X%02X%02X%02X%02X}",
                                                          p[3], p[2], p[1], p[0], p[5], p[4], p[7], p[6], p[8], p[9],
                                                          p[10], p[11], p[12], p[13], p[14], p[15]));
                    break;
                case MDB_MEMO: {
                    const QByteArray bruto = d.leLongo(col, c, descricao, pagina);
                    rc = bindTexto(idx, d.decodificaTexto(reinterpret_cast<const unsigned char*>(bruto.constData()),
                                                          bruto.size()));
                    break;
                }
                case MDB_OLE: {
                    const QByteArray bytes = d.leLongo(col, c, descricao, pagina);
                    rc = bindBytes(idx, bytes.constData(), bytes.size());
                    break;
                }
                default:  // binary and unknown kinds: the bytes as stored
                    rc = bindBytes(idx, reinterpret_cast<const char*>(p), c.tamanho);
                    break;
                }
            }
            if (rc != SQLITE_OK) erroSqlite("associar um valor");
        }
        if (sqlite3_step(st) != SQLITE_DONE) erroSqlite("incluir uma linha");
    });
    sqlite3_reset(st);
    if (ponto.confirma() != SQLITE_OK) erroSqlite("confirmar a transação");
}

}  // namespace tarvo::db
