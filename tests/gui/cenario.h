#pragma once
// The stage of the window's tests: a temporary folder with an old database,
// the users ana (no password) and bruno (password "tarvo123"), the users
// database and the settings stores, a data module and the window, whose
// dialogs the test answers through DialogosRoteiro.
#include "apoio/pasta_temporaria.h"
#include "dados.h"
#include "dialogos.h"
#include "principal.h"

#include <QList>
#include <QStringList>
#include <memory>

namespace tarvo::testes {

// Dialogs answered from a script. Every dialog shown is written to
// `registro` as one line: "mensagem|title|text|flags",
// "texto|title|prompt|initial", "arquivo|filter",
// "salvar|title|filter|suggested name" or "erro|text".
class DialogosRoteiro : public gui::Dialogos {
public:
    int mensagem(QWidget* pai, const QString& titulo, const QString& texto, int flags) override;
    QString pedeTexto(QWidget* pai, const QString& titulo, const QString& rotulo, const QString& inicial) override;
    QString abreArquivo(QWidget* pai, const QString& filtro) override;
    QString salvaArquivo(QWidget* pai, const QString& titulo, const QString& filtro,
                         const QString& nomeSugerido) override;
    void relataErro(QWidget* pai, const QString& texto) override;

    QStringList registro;
    // Whether the dialog's window was on screen, one per entry of registro.
    QList<bool> janelaVisivel;
    // Answers of boxes with Yes/No, in order (boxes with OK only are
    // answered OK without a script).
    QList<int> respostas;
    // Answers of input boxes, in order; Cancelar stands for Cancel.
    QStringList textos;
    // Paths the file dialog returns, in order.
    QStringList arquivos;
    // Paths the save dialog returns, in order; the empty text stands for
    // Cancel.
    QStringList arquivosSalvar;
    // Set when a dialog found no scripted answer (it then got No, Cancel
    // or the empty path).
    bool faltouResposta = false;

    static inline const QString Cancelar = "<cancelar>";

private:
    void anota(QWidget* pai, const QString& linha);
};

class Cenario {
public:
    // Writes the old database (2 companies, a few rows per table), ana.tpv,
    // bruno.tpv and the users database listing both; records the old
    // database in the user's settings store when `comOrigem`.
    explicit Cenario(bool comOrigem = true);

    // Writes an empty user database without a password at `caminho`.
    void novaBase(const QString& caminho);
    // Replaces the users database with one listing `caminhos`.
    void usuarios(const QStringList& caminhos);
    // Records `caminho` as the old database's path.
    void registraOrigem(const QString& caminho);

    // Program start: the data module, the window, FormCreate, show.
    gui::TfrmPrincipal& abre(const QString& versao = gui::VersaoDoPrograma());
    // Program restart: closes the window and opens a new one over the same
    // data module, folder and settings.
    gui::TfrmPrincipal& reabre();

    // Ticks the area with this exact text.
    void marca(const QString& area);
    // Clicks the start button.
    void inicia();

    // Rows of `tabela` in the database `arquivo` (new edition).
    qint64 linhas(const QString& arquivo, const QString& tabela, const QString& filtro = {});
    // Codes and names of the companies of the old database, in code order.
    QList<QPair<qint64, QString>> empresas();

    PastaTemporaria pasta;
    QString antiga, ana, bruno;
    Tdm dm;
    DialogosRoteiro dialogos;
    std::unique_ptr<gui::TfrmPrincipal> janela;
};

}  // namespace tarvo::testes
