#include "rtf.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <vector>

#include "erros.h"

namespace {

using tarvo::LeRtf;
using tarvo::RtfParaTexto;

struct Caso {
    const char* nome;
    QString entrada;
    QString esperado;
};

// The header a rich-edit control (WordPad, a TRichEdit) writes.
const QString kCabecalhoRichEdit = QStringLiteral(
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1046{\\fonttbl{\\f0\\fnil\\fcharset0 "
    "Tahoma;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
    "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\f0\\fs16 ");

// A memo as the control saves it: source lines wrapped with CR LF, the last
// paragraph mark followed by nothing, a line break and a NUL after the end.
const QString kMemoRichEdit =
    kCabecalhoRichEdit +
    QStringLiteral(
        "Manuten\\'e7\\'e3o do carro\\par\r\nTroca de \\cf1\\b \\'f3leo\\cf0\\b0\\par\r\n}\r\n") +
    QChar(0);

void ConfereTabela(const std::vector<Caso>& casos, QString (*funcao)(const QString&)) {
    for (const Caso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        EXPECT_EQ(funcao(caso.entrada), caso.esperado);
    }
}

TEST(LeRtf, DocumentosEscritosPorEditoresETrechosDeRtf) {
    ConfereTabela(
        {
            {"memo do controle rich-edit", kMemoRichEdit,
             QStringLiteral("Manutenção do carro\nTroca de óleo\n")},
            {"unicode com um caractere de reserva",
             QStringLiteral("{\\rtf1\\ansi\\uc1 Pre\\u231?o}"), QStringLiteral("Preço")},
            {"uc0 sem reserva e o espaco que termina a palavra",
             QStringLiteral("{\\rtf1\\uc0\\u8364 5 reais}"), QStringLiteral("€5 reais")},
            {"uc2 com dois \\'hh de reserva",
             QStringLiteral("{\\rtf1\\uc2\\u12354\\'82\\'a0!\\u8364??x}"), QStringLiteral("あ!€x")},
            {"uc herdado por grupo e reserva encerrada pela chave",
             QStringLiteral("{\\rtf1\\uc2{\\uc0\\u65 B}\\u67??{\\uc3\\u68?}E}"),
             QStringLiteral("ABCDE")},
            {"unicode negativo, par de substitutos e valor acima de 0xFFFF",
             QStringLiteral("{\\rtf1\\ansi\\u-3913?\\u-10179?\\u-8704?\\u128512?}"),
             QString(QChar(0xF0B7)) + QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80")},
            {"tabelas de fontes, cores, estilos e info",
             QStringLiteral(
                 "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier;}}{\\colortbl;\\red0\\green0\\blue0;}"
                 "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T\\'edtulo}{\\author Ana}}Corpo}"),
             QStringLiteral("Corpo")},
            {"par, line e tab", QStringLiteral("{\\rtf1 a\\tab b\\line c\\par d}"),
             QStringLiteral("a\tb\nc\nd")},
            {"grupos aninhados com formatacao",
             QStringLiteral("{\\rtf1 Um {\\b dois {\\i\\ul tr\\'eas}} quatro}"),
             QStringLiteral("Um dois três quatro")},
            {"imagem em hexadecimal e em binario com chaves",
             QStringLiteral(
                 "{\\rtf1 antes{\\pict\\wmetafile8\\picw100\\pich100 0100090000037800000000\r\n"
                 "ffff0000}meio{\\pict\\bin3 }{x}depois}"),
             QStringLiteral("antesmeiodepois")},
            {"grupo \\* desconhecido", QStringLiteral("{\\rtf1 a{\\*\\desconhecido b{c}\\par}d}"),
             QStringLiteral("ad")},
            {"campo mostra so o resultado",
             QStringLiteral(
                 "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt site}}}"),
             QStringLiteral("site")},
            {"cabecalho, rodape, nota e marcador de lista",
             QStringLiteral("{\\rtf1{\\header cab}{\\pntext\\f1\\'b7\\tab}a{\\footnote nota}b}"),
             QStringLiteral("ab")},
            {"simbolos de controle", QStringLiteral("{\\rtf1 \\\\\\{\\}a\\~b\\-c\\_d}"),
             QStringLiteral("\\{}a\u00A0bc-d")},
            {"palavras que sao caracteres",
             QStringLiteral(
                 "{\\rtf1\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"),
             QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201C\u201D")},
            {"quebras cruas ignoradas e barra antes da quebra",
             QStringLiteral("{\\rtf1 li\r\nnha\rum\npar\\\r\nfim}"),
             QStringLiteral("linhaumpar\nfim")},
            {"CR e LF vindos de \\'hh", QStringLiteral("{\\rtf1 a\\'0d\\'0ab\\'0dc\\'0ad}"),
             QStringLiteral("a\nb\nc\nd")},
            {"tabela", QStringLiteral("{\\rtf1\\trowd a\\cell b\\cell\\row c}"),
             QStringLiteral("a\tb\t\nc")},
            {"chave final ausente", QStringLiteral("{\\rtf1 a\\par {\\b b"),
             QStringLiteral("a\nb")},
            {"texto e chaves depois do fim", QStringLiteral("{\\rtf1 a{b}}}c{d}"),
             QStringLiteral("ab")},
            {"espacos antes do documento", QStringLiteral(" \r\n\t{\\rtf1 x}"),
             QStringLiteral("x")},
            {"documento vazio", QStringLiteral("{\\rtf1}"), QString()},
            {"caracteres crus: ate U+00FF no code page, acima como estao",
             QStringLiteral("{\\rtf1 \u00e7\u0080\u03a9\u20ac}"), QStringLiteral("ç€Ω€")},
            {"substituto solitario cru passa como esta",
             QStringLiteral("{\\rtf1 a") + QChar(0xD800) + QStringLiteral("b}"),
             QStringLiteral("a") + QChar(0xD800) + u'b'},
            {"windows-1252 de 0x80 a 0x9F com os codigos indefinidos",
             QStringLiteral("{\\rtf1 \\'80\\'85\\'99\\'81\\'8d\\'8f\\'90\\'9d\\'9f}"),
             QStringLiteral("€…™\u0081\u008D\u008F\u0090\u009D\u0178")},
            {"\\'hh invalido e palavra longa demais",
             QStringLiteral("{\\rtf1 a\\'zzb\\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa c\\'4}"),
             QStringLiteral("azzbc4")},
        },
        &LeRtf);
}

// Code pages other than 1252 come from Qt, which decodes them only when it
// was built with ICU.
TEST(LeRtf, CodePageDoDocumentoEDaFonte) {
    for (const char* nome : {"windows-1251", "windows-1250", "windows-932"}) {
        if (!QStringDecoder(nome).isValid()) GTEST_SKIP() << "este Qt não decodifica " << nome;
    }
    ConfereTabela(
        {
            {"ansicpg do documento", QStringLiteral("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"),
             QStringLiteral("При")},
            {"fcharset da fonte, desfeito ao fechar o grupo",
             QStringLiteral(
                 "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
                 "{\\f1\\fswiss\\fcharset238 Arial CE;}}\\f0 \\'e7 {\\f1\\'b9}\\'b9}"),
             QStringLiteral("ç ą¹")},
            {"dois bytes, o segundo escrito como \\\\",
             QStringLiteral("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'83\\\\}"),
             QStringLiteral("あソ")},
            {"code page que o Qt nao conhece vira 1252",
             QStringLiteral("{\\rtf1\\ansi\\ansicpg99999 \\'e7}"), QStringLiteral("ç")},
        },
        &LeRtf);
}

TEST(LeRtf, RecusaTextoQueNaoEhRtf) {
    for (const char* entrada : {"", "texto simples", "{rtf1 a}", "{\\rtfx a}", "a{\\rtf1 b}"}) {
        SCOPED_TRACE(entrada);
        try {
            LeRtf(QString::fromUtf8(entrada));
            ADD_FAILURE() << "aceitou o texto";
        } catch (const tarvo::Erro& erro) {
            EXPECT_EQ(
                erro.mensagem(),
                QStringLiteral("O texto não é um documento RTF: ele não começa com \"{\\rtf\"."));
        }
    }
}

TEST(LeRtf, CemMilGruposAninhados) {
    const int profundidade = 100000;
    const QString abertos = QStringLiteral("{\\rtf1 a") + QString(profundidade, u'{') + u'b';
    EXPECT_EQ(LeRtf(abertos + QString(profundidade, u'}') + QStringLiteral("c}")),
              QStringLiteral("abc"));
    EXPECT_EQ(LeRtf(abertos), QStringLiteral("ab"));
    // Depth inside a skipped destination costs the same and shows nothing.
    EXPECT_EQ(LeRtf(QStringLiteral("{\\rtf1 a{\\*\\x") + QString(profundidade, u'{')),
              QStringLiteral("a"));
}

TEST(LeRtf, DocumentoDeDezMegabytes) {
    const QString paragrafo =
        QStringLiteral("Linha \\'e7 {\\b negrito} \\u231?{\\pict 0a0b0c0d}\\par\r\n");
    const QString textoDoParagrafo = QStringLiteral("Linha ç negrito ç\n");
    const int repeticoes = 10 * 1024 * 1024 / int(paragrafo.size()) + 1;
    const QString documento = kCabecalhoRichEdit + paragrafo.repeated(repeticoes) + u'}';
    ASSERT_GE(documento.size(), 10 * 1024 * 1024);
    const QString texto = LeRtf(documento);
    ASSERT_EQ(texto.size(), textoDoParagrafo.size() * repeticoes);
    // Compared without EXPECT_EQ so that a failure does not print megabytes.
    EXPECT_TRUE(texto == textoDoParagrafo.repeated(repeticoes));
}

TEST(RtfParaTexto, LinhasTerminadasPorCrLf) {
    ConfereTabela(
        {
            {"rtf com \\par final", QStringLiteral("{\\rtf1 a\\par b\\par }"),
             QStringLiteral("a\r\nb\r\n")},
            {"rtf sem \\par final", QStringLiteral("{\\rtf1 a\\par b}"),
             QStringLiteral("a\r\nb\r\n")},
            {"rtf com \\line", QStringLiteral("{\\rtf1 a\\line b}"), QStringLiteral("a\r\nb\r\n")},
            {"rtf com paragrafo vazio", QStringLiteral("{\\rtf1 a\\par\\par }"),
             QStringLiteral("a\r\n\r\n")},
            {"memo do controle rich-edit", kMemoRichEdit,
             QStringLiteral("Manutenção do carro\r\nTroca de óleo\r\n")},
            {"rtf sem texto", QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}}"), QString()},
            {"rtf so com \\par", QStringLiteral("{\\rtf1 \\par }"), QStringLiteral("\r\n")},
            {"texto simples", QStringLiteral("abc"), QStringLiteral("abc\r\n")},
            {"texto vazio", QString(), QString()},
            {"texto com CR LF", QStringLiteral("a\r\nb"), QStringLiteral("a\r\nb\r\n")},
            {"texto com CR", QStringLiteral("a\rb\r"), QStringLiteral("a\r\nb\r\n")},
            {"texto com LF e linha vazia", QStringLiteral("a\nb\n\n"),
             QStringLiteral("a\r\nb\r\n\r\n")},
            {"texto com quebras misturadas", QStringLiteral("a\r\n\rb\n\r\n"),
             QStringLiteral("a\r\n\r\nb\r\n\r\n")},
            {"texto com chaves que nao e rtf", QStringLiteral("{rtf} \\par x"),
             QStringLiteral("{rtf} \\par x\r\n")},
        },
        &RtfParaTexto);
}

}  // namespace
