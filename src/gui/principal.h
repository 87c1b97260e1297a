#pragma once
// The wizard window: four pages (configuration, error, progress, summary)
// over the data module. It is also the window the data module reports to
// (progress, summary rows, exception log, company list, error page).
#include "dados.h"
#include "dialogos.h"
#include "funcoes.h"
#include "janela.h"
#include "janela_memoria.h"
#include "relatorio_importacao.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QList>
#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QTreeWidget;

namespace tarvo::gui {

using tarvo::VersaoDoPrograma;
// The version label: "v. " and the version, or "v. Value Not Available".
QString TextoVersao(const QString& versao);

// The file name of a database path: what follows the last "/", "\" or ":".
QString NomeArquivo(const QString& caminho);
// The texts of the destination list, one per path in the same order: the
// file name, or, when another path has the same file name (letter case
// ignored), the file name followed by its folder in parentheses, so that
// every entry can be told apart.
QStringList TextosDosDestinos(const QStringList& caminhos);
// What a one-line label `largura` pixels wide shows of `texto` in the font
// of `medidas`: all of it when it fits; otherwise `prefixoFixo` whole (when
// the text begins with it) and the rest shortened with an ellipsis, at its
// end, or, when `caminho`, in the middle of the folder, so that the file
// name stays whole (in the middle of the whole rest when even the file name
// does not fit).
QString TextoAbreviado(const QString& texto, const QString& prefixoFixo, bool caminho, const QFontMetrics& medidas,
                       int largura);
// The path of a ListaDestinos entry "name=path" (the name may itself hold
// "="; it is the file name of the path).
QString CaminhoDaEntrada(const QString& entrada);

class TfrmPrincipal : public QWidget, public Janela {
    Q_OBJECT
public:
    // The window reports to `dm`, and `dm` to it, until it is destroyed;
    // both `dm` and `dialogos` must outlive it. `versao` is the build's
    // version (empty: none). Builds the controls only: FormCreate does the
    // rest.
    TfrmPrincipal(Tdm& dm, Dialogos& dialogos, const QString& versao = VersaoDoPrograma(),
                  QWidget* pai = nullptr);
    ~TfrmPrincipal() override;

    // Window creation: version label, page title, source discovery,
    // destination list, then the advice message (before the window is
    // shown). Database errors of the destination list reach the caller.
    void FormCreate();

    // Handlers. The controls' signals call them through protege().
    void pcPrincipalPageChange();
    void btnFecharClick();
    void cboxTudoClick();
    void btnAbreMDBOrigemClick();
    void btnAvancarClick();
    void cbbAreaChange();
    // Asks where to save the report of the run that ended on the summary
    // page and writes it there as an HTML page; a failure to write is told
    // in a message box. Does nothing without a run begun by the start button.
    void btnSalvarRelatorioClick();
    // The run's callback: announces `area`, advances the total progress and
    // returns whether the area is ticked. Throws Erro when the list has no
    // such area.
    bool AtualizaProgresso(const QString& area);

    // Mensagem: a message box titled with the application title.
    int Mensagem(const QString& texto, int flags);
    // AbreArquivo: the file dialog with a "description|pattern" filter;
    // the chosen path or the empty text.
    QString AbreArquivo(const QString& filtro);
    // MostraErro: the error page, then its text.
    void MostraErro(const QString& texto);

    // Runs a handler; an error it lets out goes to the general error report
    // (standard error and the report dialog) and the wizard stays where the
    // handler left it.
    void protege(const std::function<void()>& manipulador);

    // The summary rows in the order the grid shows them.
    const QList<LinhaResumo>& linhasResumo() const { return linhasResumo_; }

    // The safety net of the run the start button began. Its instante is
    // invalid before such a run. When the source and the destination could
    // not be counted beforehand (the run then goes on, without the check
    // for a repeated import and without the verification), only the source,
    // the company, the destination, the areas, the instant and the copy are
    // filled in, and preparacaoCompleta() is false.
    const PreparacaoImportacao& preparacao() const { return preparacao_; }
    bool preparacaoCompleta() const { return preparada_; }
    // The verification after the run, one entry per ticked area; empty when
    // there was none.
    const QList<VerificacaoArea>& verificacao() const { return verificacao_; }
    // The exception log of the run as the report keeps it: every entry
    // followed by CR LF.
    const QString& textoExcecoes() const { return excecoes_; }
    // The report that "Salvar relatório..." writes.
    RelatorioImportacao relatorio() const;

    // When a run starts (the copy's name, the record, the report), to the
    // second; the current time when empty. The tests fix it.
    std::function<QDateTime()> Agora;

    // --- Janela ---
    QString textoOnde() const override;
    void defineOnde(const QString& texto) override;
    void definePosicaoTabela(qint64 posicao) override;
    void defineMaximoTabela(qint64 maximo) override;
    void avancaTabela() override;
    void adicionaResumo(const QString& cadastro, const QString& total, const QString& importados,
                        const QString& naoImportados) override;
    void adicionaExcecao(const QString& entrada) override;
    void limpaEmpresas() override;
    void adicionaEmpresa(const QString& nome, qint64 codigo) override;
    int quantidadeEmpresas() const override;
    void selecionaEmpresa(int indice) override;
    std::optional<qint64> empresaSelecionada() const override;
    void mostraErro(const QString& texto) override;
    int mensagem(const QString& texto, int flags) override;
    void processaEventos() override;

    // "name=path" per destination user, in the order of cbbDestino.
    QStringList ListaDestinos;

    // Header and footer.
    QWidget* AdvancedPanel1;
    QLabel* Image2;
    QLabel* lbTitulo;
    QWidget* AdvancedPanel2;
    QLabel* lbVersao;
    QPushButton* btnAvancar;
    QPushButton* btnFechar;
    // Pages.
    QStackedWidget* pcPrincipal;
    QWidget* tabConfig;
    QWidget* tabErro;
    QWidget* tabImporta;
    QWidget* tabFinalizada;
    // tabConfig
    QLabel* Label1;
    QCheckBox* cboxTudo;
    QListWidget* lboxImportacao;
    QLabel* Label2;
    QLabel* lbOrigem;
    QToolButton* btnAbreMDBOrigem;
    QLabel* Label4;
    QComboBox* cbbArea;
    QLabel* Label3;
    QComboBox* cbbDestino;
    // tabErro
    QLabel* Image1;
    QPlainTextEdit* mmoErro;
    // tabImporta
    QLabel* lbOnde;
    QProgressBar* pb;
    QProgressBar* pbTotal;
    // tabFinalizada
    QLabel* Label5;
    QTreeWidget* GridResumo;
    QLabel* Label6;
    QPlainTextEdit* mmoExcecoes;
    // Under the grid: the verification's sentence and where the copy of
    // the destination is; beside them, the report button.
    QLabel* lbVerificacao;
    QLabel* lbCopiaSeguranca;
    QPushButton* btnSalvarRelatorio;

private:
    void criaControles();
    void criaPaginaConfig();
    void criaPaginaErro();
    void criaPaginaImporta();
    void criaPaginaFinalizada();
    void conecta();
    void mostraPagina(QWidget* pagina);
    void executaImportacao();
    bool preparaImportacao(const QString& origem);
    void concluiImportacao();
    void listaDestinos();
    void pintaLinhas(int aPartirDe);

    Tdm& dm_;
    Dialogos& dialogos_;
    QString versao_;
    QList<LinhaResumo> linhasResumo_;
    PreparacaoImportacao preparacao_;
    bool preparada_ = false;
    QString erroPreparacao_;
    QList<VerificacaoArea> verificacao_;
    QString excecoes_;
    QElapsedTimer ultimosEventos_;
};

}  // namespace tarvo::gui
