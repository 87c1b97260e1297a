// Reader of rich text (RTF) of our own: the memos of the old editions were
// written by a Windows rich-edit control, and the new edition stores plain
// text, so the copy needs the text that control would have shown.
#include "rtf.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "erros.h"

namespace tarvo {
namespace {

constexpr int kCodigoPaginaPadrao = 1252;

// Windows-1252 from 0x80 to 0x9F; the rest of the code page is Latin-1. The
// five codes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the C1 control of the same value, as Windows' own conversion does.
constexpr char16_t kWindows1252De80a9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t DecodificaWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252De80a9F[byte - 0x80] : char16_t(byte);
}

// The code page of a font's \fcharset; 0 means "the document's code page"
// (ANSI, default and symbol fonts, and charsets we do not know).
int CodigoPaginaDoCharset(int charset) {
    switch (charset) {
        case 77: return 10000;  // Mac Roman
        case 128: return 932;   // Shift-JIS
        case 129: return 949;   // Hangul
        case 134: return 936;   // GB2312
        case 136: return 950;   // Big5
        case 161: return 1253;  // Greek
        case 162: return 1254;  // Turkish
        case 163: return 1258;  // Vietnamese
        case 177: return 1255;  // Hebrew
        case 178: return 1256;  // Arabic
        case 186: return 1257;  // Baltic
        case 204: return 1251;  // Cyrillic
        case 222: return 874;   // Thai
        case 238: return 1250;  // Central European
        case 255: return 437;   // OEM
        default: return 0;
    }
}

bool EhLetraAscii(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool EhDigitoAscii(char16_t c) { return c >= u'0' && c <= u'9'; }

int ValorHexadecimal(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

enum class Palavra {
    Desconhecida,
    Quebra,             // \par \line \sect \page \row
    Tabulacao,          // \tab \cell
    Caractere,          // \emdash and the other words that stand for one character
    DestinoIgnorado,    // tables, metadata, pictures, headers: nothing of it is text
    TabelaFontes,       // \fonttbl: read only for the code page of each font
    Fonte,              // \fN
    CharsetFonte,       // \fcharsetN
    CodigoPaginaFonte,  // \cpgN
    FontePadrao,        // \deffN
    CodigoPaginaAnsi,   // \ansicpgN
    ConjuntoDocumento,  // \ansi \mac \pc \pca
    Unicode,            // \uN
    SaltoUnicode,       // \ucN
    Binario,            // \binN
    Simples,            // \plain
};

struct DefinicaoPalavra {
    Palavra tipo = Palavra::Desconhecida;
    int valor = 0;  // the character of Caractere, the code page of ConjuntoDocumento
};

// Destinations whose content a rich-edit control does not show as text.
// Most writers mark the newer ones with \*, which is skipped anyway; these
// are the ones that also appear without it. The list texts (\pntext,
// \listtext) are bullets the control draws by itself.
// clang-format off
constexpr std::string_view kDestinosIgnorados[] = {
    "colortbl", "stylesheet", "info", "pict", "object", "themedata", "colorschememapping",
    "latentstyles", "datastore", "listtable", "listoverridetable", "rsidtbl", "generator",
    "xmlnsttbl", "mmathPr", "header", "headerl", "headerr", "headerf", "footer", "footerl",
    "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor", "ftnsep", "ftnsepc",
    "ftncn", "aftnsep", "aftnsepc", "aftncn", "fldinst", "pn", "pntext", "pntxta", "pntxtb",
    "listtext", "xe", "tc", "tcn", "txe", "revtbl", "filetbl", "template", "userprops",
    "docvar", "nonesttables", "objdata", "shpinst", "nonshppict", "do", "pgdsctbl",
    "protusertbl", "bkmkstart", "bkmkend"};
// clang-format on

const std::unordered_map<std::string_view, DefinicaoPalavra>& Vocabulario() {
    static const std::unordered_map<std::string_view, DefinicaoPalavra> vocabulario = [] {
        std::unordered_map<std::string_view, DefinicaoPalavra> v;
        for (auto nome : {"par", "line", "sect", "page", "row"}) v[nome] = {Palavra::Quebra};
        v["tab"] = {Palavra::Tabulacao};
        v["cell"] = {Palavra::Tabulacao};
        v["emdash"] = {Palavra::Caractere, 0x2014};
        v["endash"] = {Palavra::Caractere, 0x2013};
        v["bullet"] = {Palavra::Caractere, 0x2022};
        v["lquote"] = {Palavra::Caractere, 0x2018};
        v["rquote"] = {Palavra::Caractere, 0x2019};
        v["ldblquote"] = {Palavra::Caractere, 0x201C};
        v["rdblquote"] = {Palavra::Caractere, 0x201D};
        v["emspace"] = {Palavra::Caractere, 0x2003};
        v["enspace"] = {Palavra::Caractere, 0x2002};
        v["qmspace"] = {Palavra::Caractere, 0x2005};
        for (std::string_view nome : kDestinosIgnorados) v[nome] = {Palavra::DestinoIgnorado};
        v["fonttbl"] = {Palavra::TabelaFontes};
        v["f"] = {Palavra::Fonte};
        v["fcharset"] = {Palavra::CharsetFonte};
        v["cpg"] = {Palavra::CodigoPaginaFonte};
        v["deff"] = {Palavra::FontePadrao};
        v["ansicpg"] = {Palavra::CodigoPaginaAnsi};
        v["ansi"] = {Palavra::ConjuntoDocumento, 1252};
        v["mac"] = {Palavra::ConjuntoDocumento, 10000};
        v["pc"] = {Palavra::ConjuntoDocumento, 437};
        v["pca"] = {Palavra::ConjuntoDocumento, 850};
        v["u"] = {Palavra::Unicode};
        v["uc"] = {Palavra::SaltoUnicode};
        v["bin"] = {Palavra::Binario};
        v["plain"] = {Palavra::Simples};
        return v;
    }();
    return vocabulario;
}

enum class Destino : unsigned char { Texto, TabelaFontes, Ignorado };

// What a group inherits from the group around it and forgets when it closes.
struct Estado {
    Destino destino = Destino::Texto;
    int saltoUnicode = 1;  // \ucN: fallback characters after each \uN
    int fonte = -1;        // \fN; -1 is the document's default font
};

struct FonteDaTabela {
    int charset = -1;
    int codigoPagina = 0;  // \cpgN, which wins over the charset
};

// One pass over the document, with the groups on an explicit stack so that
// any depth of nesting costs memory, never the call stack. Text bytes (raw
// characters up to U+00FF and \'hh) are gathered and decoded together when
// anything else comes, so that a double-byte code page sees whole characters.
class LeitorRtf {
public:
    LeitorRtf(const char16_t* inicio, const char16_t* fim) : p_(inicio), fim_(fim) {}

    // p_ is on the "{" that opens the document.
    QString Le() {
        saida_.reserve(std::min<qsizetype>(fim_ - p_, qsizetype(1) << 20));
        while (p_ < fim_) {
            const char16_t c = *p_++;
            switch (c) {
                case u'{':
                    TerminaTexto();
                    pilha_.push_back(pilha_.empty() ? Estado{} : pilha_.back());
                    break;
                case u'}':
                    TerminaTexto();
                    pilha_.pop_back();
                    // The document's group closed: anything after it, a stray
                    // "}" included, is not part of the document.
                    if (pilha_.empty()) return saida_;
                    break;
                case u'\\': LeControle(); break;
                case u'\r':
                case u'\n':
                case 0:
                    // Line breaks of the source only wrap it; the text's own
                    // breaks are \par and \line.
                    break;
                default: RecebeCaractereDeTexto(c); break;
            }
        }
        // A document cut before its last "}" gives the text read so far.
        TerminaTexto();
        return saida_;
    }

private:
    // After a backslash: a control word, a control symbol or \'hh.
    void LeControle() {
        if (p_ == fim_) return;
        const char16_t c = *p_;
        if (EhLetraAscii(c)) {
            LePalavra();
            return;
        }
        ++p_;
        switch (c) {
            case u'\'': {
                const int alto = p_ < fim_ ? ValorHexadecimal(p_[0]) : -1;
                const int baixo = fim_ - p_ >= 2 ? ValorHexadecimal(p_[1]) : -1;
                // An escape without two hex digits is dropped and what follows
                // it is read as ordinary text.
                if (alto >= 0 && baixo >= 0) {
                    p_ += 2;
                    RecebeByte(static_cast<unsigned char>(alto * 16 + baixo));
                }
                break;
            }
            case u'\\':
            case u'{':
            case u'}': RecebeCaractereDeTexto(c); break;
            case u'~': RecebeCaractereNomeado(0x00A0); break;
            case u'_': RecebeCaractereNomeado(u'-'); break;
            case u'-':
                // An optional hyphen is shown only where a line wraps.
                RecebeCaractereNomeado(0);
                break;
            case u'\r':
            case u'\n':
                // A backslash before a source line break is a \par.
                TerminaTexto();
                if (pilha_.back().destino == Destino::Texto) Emite(u'\n');
                break;
            case u'*':
                TerminaTexto();
                pilha_.back().destino = Destino::Ignorado;
                break;
            default: TerminaTexto(); break;
        }
    }

    void LePalavra() {
        // Control words have at most 32 letters; a longer run is read whole
        // and taken as a word nobody knows.
        char nome[33];
        std::size_t tamanho = 0;
        bool longaDemais = false;
        while (p_ < fim_ && EhLetraAscii(*p_)) {
            if (tamanho < sizeof nome - 1)
                nome[tamanho++] = static_cast<char>(*p_);
            else
                longaDemais = true;
            ++p_;
        }
        bool negativo = false;
        if (p_ < fim_ && *p_ == u'-' && fim_ - p_ >= 2 && EhDigitoAscii(p_[1])) {
            negativo = true;
            ++p_;
        }
        bool temParametro = false;
        long long parametro = 0;
        while (p_ < fim_ && EhDigitoAscii(*p_)) {
            temParametro = true;
            if (parametro < (1LL << 40)) parametro = parametro * 10 + (*p_ - u'0');
            ++p_;
        }
        if (negativo) parametro = -parametro;
        if (p_ < fim_ && *p_ == u' ') ++p_;  // the space that ends the word is not text
        if (longaDemais) {
            TerminaTexto();
            return;
        }
        const auto& vocabulario = Vocabulario();
        const auto achada = vocabulario.find(std::string_view(nome, tamanho));
        TrataPalavra(achada == vocabulario.end() ? DefinicaoPalavra{} : achada->second,
                     temParametro, parametro);
    }

    static int Limita(long long valor) {
        return static_cast<int>(std::clamp<long long>(valor, INT_MIN, INT_MAX));
    }

    void TrataPalavra(const DefinicaoPalavra& palavra, bool temParametro, long long parametro) {
        if (palavra.tipo == Palavra::Caractere) {
            RecebeCaractereNomeado(static_cast<char16_t>(palavra.valor));
            return;
        }
        TerminaTexto();
        Estado& estado = pilha_.back();
        if (palavra.tipo == Palavra::Binario) {
            // Binary data (of a picture or an object) may hold any character,
            // braces included: it is jumped over whole, wherever it is.
            const long long tamanho = temParametro ? std::max(0LL, parametro) : 0;
            p_ += std::min<long long>(tamanho, fim_ - p_);
            return;
        }
        if (estado.destino == Destino::Ignorado) return;
        if (estado.destino == Destino::TabelaFontes) {
            // A charset before any \fN belongs to no font.
            if (fonteDaTabela_ < 0 && (palavra.tipo == Palavra::CharsetFonte ||
                                       palavra.tipo == Palavra::CodigoPaginaFonte))
                return;
            switch (palavra.tipo) {
                case Palavra::Fonte: fonteDaTabela_ = temParametro ? Limita(parametro) : -1; break;
                case Palavra::CharsetFonte:
                    fontes_[fonteDaTabela_].charset = Limita(parametro);
                    break;
                case Palavra::CodigoPaginaFonte:
                    fontes_[fonteDaTabela_].codigoPagina = Limita(parametro);
                    break;
                case Palavra::DestinoIgnorado: estado.destino = Destino::Ignorado; break;
                default: break;
            }
            return;
        }
        switch (palavra.tipo) {
            case Palavra::Quebra: Emite(u'\n'); break;
            case Palavra::Tabulacao: Emite(u'\t'); break;
            case Palavra::DestinoIgnorado: estado.destino = Destino::Ignorado; break;
            case Palavra::TabelaFontes:
                estado.destino = Destino::TabelaFontes;
                fonteDaTabela_ = -1;
                break;
            case Palavra::Fonte:
                if (temParametro) estado.fonte = Limita(parametro);
                break;
            case Palavra::FontePadrao:
                if (temParametro) fontePadrao_ = Limita(parametro);
                break;
            case Palavra::CodigoPaginaAnsi:
                if (temParametro) codigoPaginaDocumento_ = Limita(parametro);
                break;
            case Palavra::ConjuntoDocumento: codigoPaginaDocumento_ = palavra.valor; break;
            case Palavra::Simples: estado.fonte = -1; break;
            case Palavra::SaltoUnicode:
                estado.saltoUnicode = temParametro ? Limita(std::max(0LL, parametro)) : 1;
                break;
            case Palavra::Unicode:
                if (!temParametro) break;
                // Values above 32767 are written as negative 16-bit numbers.
                EmiteCodigo(parametro < 0 ? parametro + 65536 : parametro);
                fallbackPendente_ = estado.saltoUnicode;
                break;
            default: break;
        }
    }

    // Raw characters and \\ \{ \}. Up to U+00FF a raw character is a byte of
    // the code page (that is how the memo reaches us); above, it is already
    // the character.
    void RecebeCaractereDeTexto(char16_t c) {
        if (pilha_.back().destino != Destino::Texto) return;
        if (fallbackPendente_ > 0) {
            --fallbackPendente_;
            return;
        }
        if (c <= 0xFF) {
            bytes_.push_back(static_cast<char>(c));
        } else {
            TerminaTexto();
            Emite(c);
        }
    }

    void RecebeByte(unsigned char byte) {
        if (pilha_.back().destino != Destino::Texto) return;
        if (fallbackPendente_ > 0) {
            --fallbackPendente_;
            return;
        }
        bytes_.push_back(static_cast<char>(byte));
    }

    // \~ \_ \- and \emdash and its kin: one character of text, so one of the
    // fallback characters after \uN; 0 stands for one that shows nothing.
    void RecebeCaractereNomeado(char16_t c) {
        if (pilha_.back().destino != Destino::Texto) return;
        if (fallbackPendente_ > 0) {
            --fallbackPendente_;
            return;
        }
        DecodificaBytes();
        if (c != 0) Emite(c);
    }

    // Before anything that is not a text byte: the gathered bytes are decoded
    // in the code page they were written in, and the fallback of a \uN ends
    // (a group boundary or another control word is never part of it).
    void TerminaTexto() {
        DecodificaBytes();
        fallbackPendente_ = 0;
    }

    void DecodificaBytes() {
        if (bytes_.empty()) return;
        QStringDecoder* decodificador = Decodificador(CodigoPaginaAtual());
        if (decodificador == nullptr) {
            for (char byte : bytes_) Emite(DecodificaWindows1252(static_cast<unsigned char>(byte)));
        } else {
            const QString texto =
                decodificador->decode(QByteArrayView(bytes_.data(), qsizetype(bytes_.size())));
            for (QChar c : texto) Emite(c.unicode());
        }
        bytes_.clear();
    }

    int CodigoPaginaAtual() const {
        const int fonte = pilha_.back().fonte >= 0 ? pilha_.back().fonte : fontePadrao_;
        const auto achada = fontes_.find(fonte);
        if (achada != fontes_.end()) {
            if (achada->second.codigoPagina > 0) return achada->second.codigoPagina;
            if (const int daFonte = CodigoPaginaDoCharset(achada->second.charset); daFonte != 0)
                return daFonte;
        }
        return codigoPaginaDocumento_;
    }

    // nullptr means Windows-1252 through our own table: the document's code
    // page when it is 1252, and any code page Qt cannot decode.
    QStringDecoder* Decodificador(int codigoPagina) {
        if (codigoPagina == kCodigoPaginaPadrao) return nullptr;
        auto achado = decodificadores_.find(codigoPagina);
        if (achado != decodificadores_.end()) return achado->second.get();
        const auto sem = QStringConverter::Flag::Stateless;
        std::unique_ptr<QStringDecoder> decodificador;
        if (codigoPagina == 65001) {
            decodificador = std::make_unique<QStringDecoder>(QStringConverter::Utf8, sem);
        } else if (codigoPagina > 0) {
            const std::string numero = std::to_string(codigoPagina);
            for (const std::string& nome : {"windows-" + numero, "cp" + numero}) {
                decodificador = std::make_unique<QStringDecoder>(nome.c_str(), sem);
                if (decodificador->isValid()) break;
                decodificador.reset();
            }
        }
        return decodificadores_.emplace(codigoPagina, std::move(decodificador)).first->second.get();
    }

    void EmiteCodigo(long long codigo) {
        if (codigo <= 0 || codigo > 0x10FFFF) return;
        if (codigo > 0xFFFF) {
            const char32_t ucs4 = static_cast<char32_t>(codigo);
            for (QChar c : QString::fromUcs4(&ucs4, 1)) Emite(c.unicode());
            return;
        }
        Emite(static_cast<char16_t>(codigo));
    }

    // A CR or LF that comes out of the text (\'0d, \u10) breaks the line as
    // it would in the control; CR LF is one break.
    void Emite(char16_t c) {
        if (c == 0) return;
        if (c == u'\n' && anteriorFoiCr_) {
            anteriorFoiCr_ = false;
            return;
        }
        anteriorFoiCr_ = c == u'\r';
        saida_.append(QChar(c == u'\r' ? u'\n' : c));
    }

    const char16_t* p_;
    const char16_t* const fim_;
    std::vector<Estado> pilha_;
    QString saida_;
    std::string bytes_;
    int fallbackPendente_ = 0;
    bool anteriorFoiCr_ = false;
    int codigoPaginaDocumento_ = kCodigoPaginaPadrao;
    int fontePadrao_ = -1;
    int fonteDaTabela_ = -1;
    std::unordered_map<int, FonteDaTabela> fontes_;
    std::unordered_map<int, std::unique_ptr<QStringDecoder>> decodificadores_;
};

}  // namespace

namespace {

// Whether the text begins (after blanks) with the control word \rtf.
bool PareceRtf(const QString& documento) {
    const char16_t* p = reinterpret_cast<const char16_t*>(documento.constData());
    const char16_t* const fim = p + documento.size();
    while (p < fim && QChar(*p).isSpace()) ++p;
    static constexpr std::u16string_view kInicio = u"{\\rtf";
    return std::u16string_view(p, fim - p).starts_with(kInicio) &&
           (fim - p == qsizetype(kInicio.size()) || !EhLetraAscii(p[kInicio.size()]));
}

}  // namespace

QString LeRtf(const QString& documento) {
    const char16_t* p = reinterpret_cast<const char16_t*>(documento.constData());
    const char16_t* const fim = p + documento.size();
    while (p < fim && QChar(*p).isSpace()) ++p;
    if (!PareceRtf(documento))
        throw Erro(
            QStringLiteral("O texto não é um documento RTF: ele não começa com \"{\\rtf\"."));
    return LeitorRtf(p, fim).Le();
}

QString RtfParaTexto(const QString& texto) {
    QString linhas;
    // Plain memos are the common case: they are told apart before reading,
    // not by an exception per row.
    bool ehRtf = PareceRtf(texto);
    if (ehRtf) {
        try {
            linhas = LeRtf(texto);
        } catch (const Erro&) {
            ehRtf = false;
        }
    }
    QString saida;
    if (ehRtf) {
        saida.reserve(linhas.size() + linhas.size() / 16 + 2);
        for (QChar c : linhas) {
            if (c == u'\n')
                saida += u"\r\n";
            else
                saida += c;
        }
    } else {
        saida.reserve(texto.size() + texto.size() / 16 + 2);
        for (qsizetype i = 0; i < texto.size(); ++i) {
            const QChar c = texto[i];
            if (c == u'\r') {
                if (i + 1 < texto.size() && texto[i + 1] == u'\n') ++i;
                saida += u"\r\n";
            } else if (c == u'\n') {
                saida += u"\r\n";
            } else {
                saida += c;
            }
        }
    }
    // Every line ends with CR LF; a text that already ends with a break has
    // an empty last line, which is not a line.
    if (!saida.isEmpty() && !saida.endsWith(u"\r\n")) saida += u"\r\n";
    return saida;
}

}  // namespace tarvo
