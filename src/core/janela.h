#pragma once
// What the data module sees of the window: the progress label, the table
// progress bar, the summary grid, the exception log, the company list, the
// error page, the message box and "let pending events through". The wizard
// implements it over its controls; the command-line runner on the console;
// the tests in memory (JanelaMemoria).
#include <QString>
#include <optional>

namespace tarvo {

// Message-box flags and answers, with the values of the platform the
// program was designed on (the program passes 16 and 20).
namespace mb {
inline constexpr int Ok = 0x0;
inline constexpr int SimNao = 0x4;
inline constexpr int IconeErro = 0x10;
inline constexpr int IconeAtencao = 0x30;
inline constexpr int RespostaOk = 1;
inline constexpr int RespostaSim = 6;
inline constexpr int RespostaNao = 7;
}  // namespace mb

class Janela {
public:
    virtual ~Janela() = default;

    // lbOnde: "Importando " + area + "..." while an area runs.
    virtual QString textoOnde() const = 0;
    virtual void defineOnde(const QString& texto) = 0;

    // pb: the progress of the table being copied.
    virtual void definePosicaoTabela(qint64 posicao) = 0;
    virtual void defineMaximoTabela(qint64 maximo) = 0;
    virtual void avancaTabela() = 0;

    // GridResumo: one row per copied table, the four texts in column order.
    virtual void adicionaResumo(const QString& cadastro, const QString& total, const QString& importados,
                                const QString& naoImportados) = 0;

    // mmoExcecoes: appends one entry as a line; line breaks inside the
    // entry make further lines.
    virtual void adicionaExcecao(const QString& entrada) = 0;

    // cbbArea: the companies of the source.
    virtual void limpaEmpresas() = 0;
    virtual void adicionaEmpresa(const QString& nome, qint64 codigo) = 0;
    virtual int quantidadeEmpresas() const = 0;
    virtual void selecionaEmpresa(int indice) = 0;
    // The code of the selected company; nothing when none is selected.
    virtual std::optional<qint64> empresaSelecionada() const = 0;

    // MostraErro: the error page with the text.
    virtual void mostraErro(const QString& texto) = 0;
    // Mensagem: a modal message box titled with the application title;
    // returns the answer (mb::RespostaOk, mb::RespostaSim, mb::RespostaNao).
    virtual int mensagem(const QString& texto, int flags) = 0;

    // Lets pending window events through (painting, the close button).
    virtual void processaEventos() = 0;
};

}  // namespace tarvo
