#include "principal.h"

#include "aplicacao.h"
#include "db/consulta.h"
#include "erros.h"
#include "registro.h"
#include "relatorio_importacao.h"
#include "rotina.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <limits>

namespace tarvo::gui {

namespace {

constexpr int kLargura = 622;
constexpr int kAltura = 401;
constexpr int kAlturaCabecalho = 42;
constexpr int kAlturaRodape = 38;

// How often, at most, the run lets pending events through: under a frame,
// so that a turn of the loop plus a repaint stays well under 50 ms.
// Qt 6 has no cheap "are events pending?" question, and asking the event
// loop after every source row would cost more than the copy of the row.
constexpr qint64 kIntervaloEventosMs = 10;

const char kNaoEncontrado[] = "(não encontrado)";
const char kFiltroOrigem[] = "Arquivos Access (*.mdb)|*.mdb|Todos os arquivos (*)|*";
const char kAviso[] =
    "Antes de importar seus dados, recomendamos que você abra o Tarvo Pessoal + Veículos e crie o usuário "
    "(por exemplo, com seu nome) que irá receber os dados do Tarvo Pessoal e/ou Tarvo Veículos. Na tela do "
    "Importador, na opção \"Banco de Dados Destino\" você poderá escolher para onde quer importar os dados antigos.";

const char kTituloSalvarRelatorio[] = "Salvar relatório da importação";
const char kFiltroRelatorio[] = "Página HTML (*.html)";
const char kPrefixoCopia[] = "Cópia de segurança do destino: ";
const char kPrefixoVerificacao[] = "Verificação: ";
const char kSemVerificacao[] = "Verificação: não foi possível conferir a importação: ";
const char kSemCopia[] = "Cópia de segurança do destino: não foi feita, nenhuma área foi marcada.";

const QColor kCinzaLinhaPar(234, 234, 234);
const QColor kVermelho(255, 0, 0);

// The memo controls take line feeds; the core writes CR LF.
QString QuebrasDoMemo(QString texto) { return texto.replace("\r\n", "\n"); }

int LimitaInt(qint64 valor) {
    return static_cast<int>(std::clamp<qint64>(valor, 0, std::numeric_limits<int>::max()));
}

QLabel* CriaRotulo(QWidget* pai, const char* nome, const QString& texto, int x, int y) {
    auto* l = new QLabel(texto, pai);
    l->setObjectName(nome);
    l->setGeometry(x, y, l->sizeHint().width(), l->sizeHint().height());
    return l;
}

// A band of the window: white, with a grey gradient line on the edge that
// faces the pages.
QWidget* CriaFaixa(QWidget* pai, const char* nome, const char* nomeLinha, QRect area, int yLinha) {
    auto* faixa = new QWidget(pai);
    faixa->setObjectName(nome);
    faixa->setGeometry(area);
    faixa->setAutoFillBackground(true);
    QPalette p = faixa->palette();
    p.setColor(QPalette::Window, Qt::white);
    faixa->setPalette(p);
    auto* linha = new QWidget(faixa);
    linha->setObjectName(nomeLinha);
    linha->setGeometry(0, yLinha, area.width(), 2);
    linha->setStyleSheet("background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #7f7f7f, stop:1 #ffffff);");
    return faixa;
}

// Narrows the font of a caption that does not fit into `largura` pixels:
// the positions are Tahoma's, and the machine's substitute for Tahoma may be
// wider. The stretch asked for is relative to a normal face, so a condensed
// substitute at 100 would come out wider than it is: the width is measured
// at each step. Returns the width the caption then takes.
int CabeNaLargura(QWidget* w, int largura) {
    if (w->sizeHint().width() > largura) {
        QFont f = w->font();
        for (int estreitamento = 100; estreitamento >= 60; estreitamento -= 2) {
            f.setStretch(estreitamento);
            w->setFont(f);
            if (w->sizeHint().width() <= largura) break;
        }
    }
    return std::min(w->sizeHint().width(), largura);
}

// A one-line label that shows its text as TextoAbreviado does; text()
// keeps all of it.
class RotuloAbreviado : public QLabel {
public:
    RotuloAbreviado(const char* prefixoFixo, bool caminho, QWidget* pai)
        : QLabel(pai), prefixo_(QString::fromUtf8(prefixoFixo)), caminho_(caminho) {}

protected:
    void paintEvent(QPaintEvent* evento) override {
        const QRect area = contentsRect();
        const QString visto = TextoAbreviado(text(), prefixo_, caminho_, fontMetrics(), area.width());
        if (visto == text()) {
            QLabel::paintEvent(evento);
            return;
        }
        QPainter pintor(this);
        style()->drawItemText(&pintor, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), visto, foregroundRole());
    }

private:
    QString prefixo_;
    bool caminho_;
};

// A message of the core on one line, for a label.
QString UmaLinha(QString texto) { return texto.replace("\r\n", " ").replace('\n', ' ').simplified(); }

QWidget* CriaPagina(QStackedWidget* pai, const char* nome) {
    auto* pagina = new QWidget(pai);
    pagina->setObjectName(nome);
    pai->addWidget(pagina);
    return pagina;
}

}  // namespace

// ------------------------------------------------------------ free helpers

QString TextoVersao(const QString& versao) {
    return "v. " + (versao.isEmpty() ? QString("Value Not Available") : versao);
}

QString NomeArquivo(const QString& caminho) {
    const qsizetype ultimo =
        std::max({caminho.lastIndexOf('/'), caminho.lastIndexOf('\\'), caminho.lastIndexOf(':')});
    return caminho.mid(ultimo + 1);
}

QStringList TextosDosDestinos(const QStringList& caminhos) {
    QStringList textos;
    for (const QString& caminho : caminhos) {
        const QString nome = NomeArquivo(caminho);
        int iguais = 0;
        for (const QString& outro : caminhos)
            if (NomeArquivo(outro).compare(nome, Qt::CaseInsensitive) == 0) ++iguais;
        textos << (iguais > 1 ? nome + " (" + caminho.left(caminho.size() - nome.size()) + ")" : nome);
    }
    return textos;
}

QString TextoAbreviado(const QString& texto, const QString& prefixoFixo, bool caminho, const QFontMetrics& medidas,
                       int largura) {
    if (medidas.horizontalAdvance(texto) <= largura) return texto;
    const QString fixo = texto.startsWith(prefixoFixo) ? prefixoFixo : QString();
    const QString resto = texto.mid(fixo.size());
    const int larguraResto = largura - medidas.horizontalAdvance(fixo);
    if (caminho) {
        const qsizetype barra = std::max(resto.lastIndexOf('/'), resto.lastIndexOf('\\'));
        const QString nome = resto.mid(barra);
        const int larguraPasta = larguraResto - medidas.horizontalAdvance(nome);
        // Some letters of the folder must still show around the ellipsis.
        if (barra > 0 && larguraPasta >= 4 * medidas.horizontalAdvance(QChar(0x2026)))
            return fixo + medidas.elidedText(resto.left(barra), Qt::ElideMiddle, larguraPasta) + nome;
    }
    return fixo + medidas.elidedText(resto, caminho ? Qt::ElideMiddle : Qt::ElideRight, larguraResto);
}

QString CaminhoDaEntrada(const QString& entrada) {
    for (qsizetype i = entrada.indexOf('='); i >= 0; i = entrada.indexOf('=', i + 1)) {
        const QString caminho = entrada.mid(i + 1);
        if (NomeArquivo(caminho) == entrada.left(i)) return caminho;
    }
    return entrada.mid(entrada.indexOf('=') + 1);
}

// ------------------------------------------------------------- the window

TfrmPrincipal::TfrmPrincipal(Tdm& dm, Dialogos& dialogos, const QString& versao, QWidget* pai)
    : QWidget(pai, Qt::Window), dm_(dm), dialogos_(dialogos), versao_(versao) {
    setObjectName("frmPrincipal");
    setWindowTitle(QString::fromUtf8(TituloAplicacao));
    QFont fonte("Tahoma");
    fonte.setPixelSize(11);
    setFont(fonte);
    setFixedSize(kLargura, kAltura);
    criaControles();
    conecta();
    if (const QScreen* tela = screen())
        move(tela->availableGeometry().center() - QPoint(kLargura / 2, kAltura / 2));
    dm_.setJanela(this);
}

TfrmPrincipal::~TfrmPrincipal() {
    if (dm_.janela() == this) dm_.setJanela(nullptr);
}

void TfrmPrincipal::criaControles() {
    const QIcon icone = style()->standardIcon(QStyle::SP_DriveHDIcon);
    setWindowIcon(icone);

    AdvancedPanel1 = CriaFaixa(this, "AdvancedPanel1", "RzSeparator1", QRect(0, 0, kLargura, kAlturaCabecalho),
                               kAlturaCabecalho - 2);
    Image2 = new QLabel(AdvancedPanel1);
    Image2->setObjectName("Image2");
    Image2->setGeometry(5, 5, 32, 32);
    Image2->setPixmap(icone.pixmap(32, 32));
    lbTitulo = new QLabel(AdvancedPanel1);
    lbTitulo->setObjectName("lbTitulo");
    lbTitulo->setGeometry(42, 5, 575, 32);
    lbTitulo->setWordWrap(true);
    lbTitulo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont negrito = font();
    negrito.setBold(true);
    lbTitulo->setFont(negrito);

    pcPrincipal = new QStackedWidget(this);
    pcPrincipal->setObjectName("pcPrincipal");
    pcPrincipal->setGeometry(0, kAlturaCabecalho, kLargura, kAltura - kAlturaCabecalho - kAlturaRodape);
    tabConfig = CriaPagina(pcPrincipal, "tabConfig");
    tabErro = CriaPagina(pcPrincipal, "tabErro");
    tabImporta = CriaPagina(pcPrincipal, "tabImporta");
    tabFinalizada = CriaPagina(pcPrincipal, "tabFinalizada");
    pcPrincipal->setCurrentWidget(tabConfig);
    criaPaginaConfig();
    criaPaginaErro();
    criaPaginaImporta();
    criaPaginaFinalizada();

    AdvancedPanel2 = CriaFaixa(this, "AdvancedPanel2", "RzSeparator2",
                               QRect(0, kAltura - kAlturaRodape, kLargura, kAlturaRodape), 0);
    lbVersao = CriaRotulo(AdvancedPanel2, "lbVersao", TextoVersao(versao_), 5, 12);
    QPalette cinza = lbVersao->palette();
    cinza.setColor(QPalette::WindowText, Qt::gray);
    lbVersao->setPalette(cinza);
    btnAvancar = new QPushButton(QString::fromUtf8("Iniciar Importação"), AdvancedPanel2);
    btnAvancar->setObjectName("btnAvancar");
    btnAvancar->setGeometry(352, 6, 124, 28);
    btnFechar = new QPushButton("&Fechar", AdvancedPanel2);
    btnFechar->setObjectName("btnFechar");
    btnFechar->setGeometry(530, 6, 87, 28);

    // The close button comes first; then the configuration page, top to
    // bottom, and the start button.
    const QList<QWidget*> ordem{btnFechar, cboxTudo, lboxImportacao, btnAbreMDBOrigem, cbbArea, cbbDestino,
                                btnAvancar};
    for (qsizetype i = 0; i + 1 < ordem.size(); ++i) setTabOrder(ordem[i], ordem[i + 1]);
    btnFechar->setFocus();
}

void TfrmPrincipal::criaPaginaConfig() {
    Label1 = CriaRotulo(tabConfig, "Label1", QString::fromUtf8("Selecione o que você deseja importar"), 5, 5);

    cboxTudo = new QCheckBox("Importar tudo", tabConfig);
    cboxTudo->setObjectName("cboxTudo");
    cboxTudo->setGeometry(533, 2, 84, 17);
    // The caption stands left of the box.
    cboxTudo->setLayoutDirection(Qt::RightToLeft);
    CabeNaLargura(cboxTudo, cboxTudo->width());

    // Two columns filled top to bottom, as a check list with two columns is.
    lboxImportacao = new QListWidget(tabConfig);
    lboxImportacao->setObjectName("lboxImportacao");
    lboxImportacao->setGeometry(5, 20, 612, 210);
    lboxImportacao->setViewMode(QListView::ListMode);
    lboxImportacao->setFlow(QListView::TopToBottom);
    lboxImportacao->setWrapping(true);
    lboxImportacao->setMovement(QListView::Static);
    lboxImportacao->setResizeMode(QListView::Adjust);
    lboxImportacao->setUniformItemSizes(true);
    lboxImportacao->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int larguraColuna = (lboxImportacao->width() - 2 * lboxImportacao->frameWidth()) / 2;
    lboxImportacao->setGridSize(QSize(larguraColuna, lboxImportacao->fontMetrics().height() + 6));
    for (const QString& area : AreasDaLista()) {
        auto* item = new QListWidgetItem(area, lboxImportacao);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    lboxImportacao->setSortingEnabled(true);
    lboxImportacao->sortItems(Qt::AscendingOrder);

    Label2 = CriaRotulo(tabConfig, "Label2", "Banco de Dados de Origem:", 5, 235);
    Label2->resize(CabeNaLargura(Label2, 145 - 5 - 4), Label2->height());
    lbOrigem = new QLabel(QString::fromUtf8(kNaoEncontrado), tabConfig);
    lbOrigem->setObjectName("lbOrigem");
    QFont negrito = font();
    negrito.setBold(true);
    lbOrigem->setFont(negrito);
    lbOrigem->setGeometry(145, 235, 447, lbOrigem->sizeHint().height());

    btnAbreMDBOrigem = new QToolButton(tabConfig);
    btnAbreMDBOrigem->setObjectName("btnAbreMDBOrigem");
    btnAbreMDBOrigem->setGeometry(594, 231, 23, 22);
    btnAbreMDBOrigem->setAutoRaise(true);
    btnAbreMDBOrigem->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnAbreMDBOrigem->setIconSize(QSize(16, 16));
    btnAbreMDBOrigem->setToolTip("Escolher o banco de dados de origem");

    Label4 = CriaRotulo(tabConfig, "Label4", QString::fromUtf8("Área para ser importada:"), 17, 267);
    Label4->resize(CabeNaLargura(Label4, 145 - 17 - 4), Label4->height());
    cbbArea = new QComboBox(tabConfig);
    cbbArea->setObjectName("cbbArea");
    cbbArea->setEditable(false);
    cbbArea->setGeometry(145, 264, 472, 21);

    Label3 = CriaRotulo(tabConfig, "Label3", "Banco de Dados de Destino:", 3, 299);
    Label3->resize(CabeNaLargura(Label3, 145 - 3 - 4), Label3->height());
    cbbDestino = new QComboBox(tabConfig);
    cbbDestino->setObjectName("cbbDestino");
    cbbDestino->setEditable(false);
    cbbDestino->setGeometry(145, 296, 472, 21);
}

void TfrmPrincipal::criaPaginaErro() {
    Image1 = new QLabel(tabErro);
    Image1->setObjectName("Image1");
    Image1->setGeometry(5, 5, 96, 96);
    // The style's icon may come smaller than the picture's place.
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical)
                          .pixmap(96, 96)
                          .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    mmoErro = new QPlainTextEdit(tabErro);
    mmoErro->setObjectName("mmoErro");
    mmoErro->setGeometry(109, 5, 494, 196);
    mmoErro->setReadOnly(true);
    mmoErro->setFrameShape(QFrame::NoFrame);
    mmoErro->setFocusPolicy(Qt::NoFocus);
    mmoErro->viewport()->setCursor(Qt::ArrowCursor);
    QPalette p = mmoErro->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    mmoErro->setPalette(p);
}

void TfrmPrincipal::criaPaginaImporta() {
    lbOnde = new QLabel(tabImporta);
    lbOnde->setObjectName("lbOnde");
    lbOnde->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbOnde->setGeometry(5, 136, 612, lbOnde->fontMetrics().height() + 2);

    pb = new QProgressBar(tabImporta);
    pb->setObjectName("pb");
    pb->setGeometry(5, 153, 612, 17);
    pb->setTextVisible(false);
    pb->setValue(0);
    pbTotal = new QProgressBar(tabImporta);
    pbTotal->setObjectName("pbTotal");
    pbTotal->setGeometry(5, 177, 612, 17);
    pbTotal->setTextVisible(false);
    pbTotal->setValue(0);
}

void TfrmPrincipal::criaPaginaFinalizada() {
    Label5 = CriaRotulo(tabFinalizada, "Label5",
                        QString::fromUtf8("A importação dos dados foi finalizada com sucesso! "), 5, 5);

    GridResumo = new QTreeWidget(tabFinalizada);
    GridResumo->setObjectName("GridResumo");
    GridResumo->setGeometry(5, 20, 612, 150);
    GridResumo->setColumnCount(4);
    GridResumo->setHeaderLabels({"Cadastro", "Total", "Importados", QString::fromUtf8("Não Importados")});
    GridResumo->setRootIsDecorated(false);
    GridResumo->setItemsExpandable(false);
    GridResumo->setUniformRowHeights(true);
    GridResumo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridResumo->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridResumo->setSelectionMode(QAbstractItemView::SingleSelection);
    GridResumo->setTextElideMode(Qt::ElideRight);
    GridResumo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The window keeps the rows in order itself (adicionaResumo), so the
    // header only shows the order and does not let the user change it.
    QHeaderView* cabecalho = GridResumo->header();
    cabecalho->setSectionsMovable(false);
    cabecalho->setSectionsClickable(false);
    cabecalho->setSortIndicatorShown(true);
    cabecalho->setSortIndicator(0, Qt::AscendingOrder);
    cabecalho->setStretchLastSection(false);
    cabecalho->setSectionResizeMode(0, QHeaderView::Stretch);
    const int larguras[] = {0, 80, 90, 110};
    for (int coluna = 1; coluna < 4; ++coluna) {
        cabecalho->setSectionResizeMode(coluna, QHeaderView::Fixed);
        cabecalho->resizeSection(coluna, larguras[coluna]);
        GridResumo->headerItem()->setTextAlignment(coluna, Qt::AlignCenter);
    }
    GridResumo->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);

    // The band between the grid and the log's caption: two lines on the
    // left, the report button on the right, the grid's right edge.
    const int alturaLinha = fontMetrics().height() + 1;
    lbVerificacao = new RotuloAbreviado(kPrefixoVerificacao, false, tabFinalizada);
    lbVerificacao->setObjectName("lbVerificacao");
    lbVerificacao->setGeometry(5, 173, 480, alturaLinha);
    lbCopiaSeguranca = new RotuloAbreviado(kPrefixoCopia, true, tabFinalizada);
    lbCopiaSeguranca->setObjectName("lbCopiaSeguranca");
    lbCopiaSeguranca->setGeometry(5, 173 + alturaLinha + 2, 480, alturaLinha);
    btnSalvarRelatorio = new QPushButton(QString::fromUtf8("Salvar relatório..."), tabFinalizada);
    btnSalvarRelatorio->setObjectName("btnSalvarRelatorio");
    btnSalvarRelatorio->setGeometry(493, 175, 124, 26);
    btnSalvarRelatorio->setToolTip(
        QString::fromUtf8("Grava o relatório desta importação (resumo, verificação e exceções) numa página HTML"));
    btnSalvarRelatorio->setEnabled(false);

    Label6 = CriaRotulo(tabFinalizada, "Label6", QString::fromUtf8("Exceções ocorridas durante a importação:"), 5,
                        205);

    mmoExcecoes = new QPlainTextEdit("mmoErros", tabFinalizada);
    mmoExcecoes->setObjectName("mmoExcecoes");
    const int alturaPagina = pcPrincipal->height();
    mmoExcecoes->setGeometry(0, alturaPagina - 100, kLargura, 100);
    mmoExcecoes->setReadOnly(true);
    mmoExcecoes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A fixed-width font keeps the dotted labels of the exception blocks
    // aligned.
    QFont fixa("Consolas");
    fixa.setStyleHint(QFont::Monospace);
    fixa.setPixelSize(13);
    if (!QFontInfo(fixa).fixedPitch()) {
        fixa = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixa.setPixelSize(13);
    }
    mmoExcecoes->setFont(fixa);
    QPalette p = mmoExcecoes->palette();
    p.setColor(QPalette::Text, Qt::black);
    mmoExcecoes->setPalette(p);
}

void TfrmPrincipal::conecta() {
    connect(pcPrincipal, &QStackedWidget::currentChanged, this, [this] { protege([this] { pcPrincipalPageChange(); }); });
    connect(btnFechar, &QPushButton::clicked, this, [this] { protege([this] { btnFecharClick(); }); });
    connect(btnAvancar, &QPushButton::clicked, this, [this] { protege([this] { btnAvancarClick(); }); });
    connect(cboxTudo, &QCheckBox::clicked, this, [this] { protege([this] { cboxTudoClick(); }); });
    connect(btnAbreMDBOrigem, &QToolButton::clicked, this, [this] { protege([this] { btnAbreMDBOrigemClick(); }); });
    // Only a choice of the user, as the list's change event was: filling
    // the list is followed by the data module's own call.
    connect(cbbArea, &QComboBox::activated, this, [this] { protege([this] { cbbAreaChange(); }); });
    connect(btnSalvarRelatorio, &QPushButton::clicked, this,
            [this] { protege([this] { btnSalvarRelatorioClick(); }); });
}

void TfrmPrincipal::protege(const std::function<void()>& manipulador) {
    QString texto;
    try {
        manipulador();
        return;
    } catch (const std::exception& e) {
        texto = MensagemDoErro(e);
    } catch (...) {
        texto = QString::fromUtf8("Erro desconhecido.");
    }
    RelataErroGeral(dialogos_, this, texto);
}

// ------------------------------------------------------------- handlers

void TfrmPrincipal::FormCreate() {
    ListaDestinos.clear();
    lbVersao->setText(TextoVersao(versao_));
    lbVersao->adjustSize();
    pcPrincipalPageChange();

    // Source discovery: a recorded path is opened without testing it first,
    // so a missing file ends on the error page.
    lbOrigem->setText(PegaCaminhoBase());
    if (!lbOrigem->text().isEmpty())
        dm_.ConectaOrigem(lbOrigem->text());
    else
        lbOrigem->setText(QString::fromUtf8(kNaoEncontrado));
    lbOrigem->setToolTip(lbOrigem->text());

    // Without the users database there is nobody to import into: the
    // window opens on the error page with the reason.
    if (!dm_.erroUsuarios().isEmpty())
        MostraErro(dm_.erroUsuarios());
    else
        listaDestinos();

    dialogos_.mensagem(this, QString::fromUtf8("Atenção"), QString::fromUtf8(kAviso), mb::IconeAtencao | mb::Ok);
}

void TfrmPrincipal::listaDestinos() {
    auto q = db::CriaQuery("select * from usuarios", dm_.dbUsuarios);
    q->open();
    QStringList caminhos;
    while (!q->eof()) {
        caminhos << q->fieldByName("path").asString();
        q->next();
    }
    cbbDestino->clear();
    ListaDestinos.clear();
    const QStringList textos = TextosDosDestinos(caminhos);
    for (qsizetype i = 0; i < caminhos.size(); ++i) {
        cbbDestino->addItem(textos[i], QVariant::fromValue(static_cast<int>(i)));
        cbbDestino->setItemData(static_cast<int>(i), caminhos[i], Qt::ToolTipRole);
        ListaDestinos << NomeArquivo(caminhos[i]) + "=" + caminhos[i];
    }
    cbbDestino->setCurrentIndex(cbbDestino->count() > 0 ? 0 : -1);
}

void TfrmPrincipal::pcPrincipalPageChange() {
    QWidget* pagina = pcPrincipal->currentWidget();
    btnAvancar->setEnabled(pagina == tabConfig);
    if (pagina == tabConfig)
        lbTitulo->setText(QString::fromUtf8("Escolha as informações que você deseja importar do Tarvo Pessoal ou "
                                            "Tarvo Veículos para o novo Tarvo Pessoal + Veículos."));
    else if (pagina == tabErro)
        lbTitulo->setText(QString::fromUtf8("Erro! Não foi possível continuar com a importação! Verifique!"));
    else if (pagina == tabFinalizada)
        lbTitulo->setText(QString::fromUtf8("Importação realizada com sucesso!"));
    else if (pagina == tabImporta)
        lbTitulo->setText(QString::fromUtf8("Aguarde... a importação está sendo realizada..."));
    if (pagina == tabImporta) executaImportacao();
}

void TfrmPrincipal::executaImportacao() {
    pbTotal->setValue(0);
    pbTotal->setMaximum(lboxImportacao->count());
    mmoExcecoes->clear();
    excecoes_.clear();
    {
        // Long statements (a count, a sort, the verification's sums) let the
        // window's events through too, not only the rows.
        EventosDuranteSql eventos(dm_);
        ExecutaImportacao(dm_, [this](const QString& area) { return AtualizaProgresso(area); });
        concluiImportacao();
    }
    mostraPagina(tabFinalizada);
}

bool TfrmPrincipal::preparaImportacao(const QString& origem) {
    preparacao_ = {};
    preparada_ = false;
    erroPreparacao_.clear();
    verificacao_.clear();

    QStringList areas;
    for (const AreaImportacao& a : OrdemDasAreas()) {
        const QString area = QString::fromUtf8(a.nome);
        const QList<QListWidgetItem*> itens = lboxImportacao->findItems(area, Qt::MatchFixedString);
        if (!itens.isEmpty() && itens.first()->checkState() == Qt::Checked) areas << area;
    }
    QDateTime instante = Agora ? Agora() : QDateTime::currentDateTime();
    instante = instante.addMSecs(-instante.time().msec());
    const std::optional<qint64> empresa = empresaSelecionada();

    // The checksum of a large source, the counts and the copy take a while:
    // the window keeps handling its events meanwhile, with the
    // configuration page and the start button out of reach, so that nothing
    // can reconnect or start again under the preparation.
    struct Bloqueio {
        TfrmPrincipal& j;
        const bool avancar = j.btnAvancar->isEnabled();
        Bloqueio(TfrmPrincipal& janela) : j(janela) {
            j.tabConfig->setEnabled(false);
            j.btnAvancar->setEnabled(false);
        }
        ~Bloqueio() {
            j.tabConfig->setEnabled(true);
            j.btnAvancar->setEnabled(avancar);
        }
    } bloqueio(*this);
    EventosDuranteSql eventos(dm_);
    try {
        if (!empresa) throw Erro(QString::fromUtf8("nenhuma empresa da origem foi escolhida."));
        preparacao_ = PreparaImportacao(dm_, origem, *empresa, areas, instante);
        preparada_ = true;
    } catch (const std::exception& e) {
        // Counting reads the tables the run reads, so a source or a
        // destination that refuses it mostly stops the run on the same
        // fault, which the run reports in its own way, as it always did. The
        // run therefore goes on, without the check for a repeated import and
        // without the verification, as the summary page then says; the copy
        // needs no counts.
        erroPreparacao_ = MensagemDoErro(e);
        preparacao_ = {};
        const QFileInfo arquivo(origem);
        preparacao_.origem = arquivo.canonicalFilePath().isEmpty() ? arquivo.absoluteFilePath()
                                                                   : arquivo.canonicalFilePath();
        preparacao_.empresa = empresa.value_or(0);
        preparacao_.destino = QFileInfo(dm_.dbDestino.arquivo()).absoluteFilePath();
        preparacao_.areas = areas;
        preparacao_.instante = instante;
    }

    if (preparada_ && !preparacao_.repetidas.isEmpty()) {
        const QString pergunta = TextoPerguntaReimportacao(preparacao_.repetidas, preparacao_.areas,
                                                           preparacao_.empresa, preparacao_.nomeEmpresa);
        if (Mensagem(pergunta, mb::IconeAtencao | mb::SimNao | mb::SegundoBotaoPadrao) != mb::RespostaSim) {
            preparacao_ = {};
            preparada_ = false;
            return false;
        }
    }
    // A run with nothing ticked writes nothing: there is nothing to undo.
    if (!preparacao_.areas.isEmpty())
        preparacao_.copiaSeguranca = FazCopiaSeguranca(dm_.dbDestino, instante, [this] { processaEventos(); });
    return true;
}

void TfrmPrincipal::concluiImportacao() {
    lbVerificacao->clear();
    lbVerificacao->setToolTip({});
    lbCopiaSeguranca->clear();
    lbCopiaSeguranca->setToolTip({});
    // A run that the start button did not begin has no safety net.
    btnSalvarRelatorio->setEnabled(preparacao_.instante.isValid());
    if (!preparacao_.instante.isValid()) return;

    QString erro = erroPreparacao_;
    if (preparada_) {
        try {
            // An empty run is not recorded: it cannot be repeated.
            verificacao_ = ConcluiImportacao(dm_, preparacao_, linhasResumo_, !preparacao_.areas.isEmpty());
        } catch (const std::exception& e) {
            verificacao_.clear();
            erro = MensagemDoErro(e);
        }
    }
    bool confere = erro.isEmpty();
    for (const VerificacaoArea& v : verificacao_) confere = confere && v.confere();
    if (erro.isEmpty()) {
        lbVerificacao->setText(ResumoVerificacao(verificacao_));
        lbVerificacao->setToolTip(TextosVerificacao(verificacao_).join('\n'));
    } else {
        lbVerificacao->setText(QString::fromUtf8(kSemVerificacao) + UmaLinha(erro));
        lbVerificacao->setToolTip(QuebrasDoMemo(erro));
    }
    QPalette cores = lbVerificacao->palette();
    cores.setColor(QPalette::WindowText, confere ? palette().color(QPalette::WindowText) : kVermelho);
    lbVerificacao->setPalette(cores);

    if (!preparacao_.copiaSeguranca.isEmpty())
        lbCopiaSeguranca->setText(QString::fromUtf8(kPrefixoCopia) +
                                  QDir::toNativeSeparators(preparacao_.copiaSeguranca));
    else if (preparacao_.areas.isEmpty())
        lbCopiaSeguranca->setText(QString::fromUtf8(kSemCopia));
    lbCopiaSeguranca->setToolTip(lbCopiaSeguranca->text());
}

RelatorioImportacao TfrmPrincipal::relatorio() const {
    return MontaRelatorio(preparacao_, linhasResumo_, excecoes_, verificacao_);
}

void TfrmPrincipal::btnSalvarRelatorioClick() {
    if (!preparacao_.instante.isValid()) return;
    const QString sugestao = "relatorio-importacao-" + preparacao_.instante.toString("yyyyMMdd-HHmmss") + ".html";
    const QString arquivo = dialogos_.salvaArquivo(this, QString::fromUtf8(kTituloSalvarRelatorio),
                                                   QString::fromUtf8(kFiltroRelatorio), sugestao);
    if (arquivo.isEmpty()) return;
    try {
        GravaArquivo(arquivo, RelatorioEmHtml(relatorio()).toUtf8());
    } catch (const Erro& e) {
        Mensagem(e.mensagem(), mb::IconeErro | mb::Ok);
    }
}

bool TfrmPrincipal::AtualizaProgresso(const QString& area) {
    const QList<QListWidgetItem*> itens = lboxImportacao->findItems(area, Qt::MatchFixedString);
    if (itens.isEmpty()) throw Erro(QString::fromUtf8("A área \"%1\" não está na lista de importação.").arg(area));
    const bool marcada = itens.first()->checkState() == Qt::Checked;
    lbOnde->setText(TextoImportando(area));
    pbTotal->setValue(pbTotal->value() + 1);
    return marcada;
}

void TfrmPrincipal::btnFecharClick() { close(); }

void TfrmPrincipal::cboxTudoClick() {
    const Qt::CheckState estado = cboxTudo->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < lboxImportacao->count(); ++i) lboxImportacao->item(i)->setCheckState(estado);
}

void TfrmPrincipal::btnAbreMDBOrigemClick() {
    const QString caminho = AbreArquivo(QString::fromUtf8(kFiltroOrigem));
    if (caminho.isEmpty() || !QFileInfo(caminho).isFile()) return;
    lbOrigem->setText(caminho);
    lbOrigem->setToolTip(caminho);
    dm_.ConectaOrigem(caminho);
}

void TfrmPrincipal::cbbAreaChange() { dm_.cbbAreaChange(); }

void TfrmPrincipal::btnAvancarClick() {
    if (pcPrincipal->currentWidget() != tabConfig) return;

    if (!QFileInfo(lbOrigem->text()).isFile()) {
        Mensagem(QString::fromUtf8("O arquivo de origem não foi encontrado! Por favor, verifique!"),
                 mb::IconeErro | mb::Ok);
        return;
    }
    // Each entry of the list leads to its own path, by position: two users
    // whose files have the same name are still two destinations.
    const int indice = cbbDestino->currentIndex() >= 0 ? cbbDestino->currentData().toInt() : -1;
    const QString destino = indice >= 0 && indice < ListaDestinos.size() ? CaminhoDaEntrada(ListaDestinos[indice])
                                                                           : QString();
    if (destino.isEmpty() || !QFileInfo(destino).isFile()) {
        Mensagem(QString::fromUtf8("O arquivo de destino não foi encontrado! Por favor, verifique!"),
                 mb::IconeErro | mb::Ok);
        return;
    }
    if (!dm_.ConectaDestino(destino)) return;  // the error page shows why

    const QString senha = SenhaDoUsuario(dm_);
    while (!senha.isEmpty()) {
        const QString resposta = dialogos_.pedeTexto(this, "Protegido por Senha", "Informe a senha deste usuario:", {});
        if (resposta == senha) break;
        if (dialogos_.mensagem(this, "Erro", "A senha informada esta incorreta !! Deseja tentar novamente ?",
                               mb::IconeErro | mb::SimNao) != mb::RespostaSim)
            return;
    }
    // The safety net: the question about a repeated import, then the copy
    // of the destination, both before the run's first write.
    if (!preparaImportacao(lbOrigem->text())) return;
    mostraPagina(tabImporta);
}

void TfrmPrincipal::mostraPagina(QWidget* pagina) { pcPrincipal->setCurrentWidget(pagina); }

int TfrmPrincipal::Mensagem(const QString& texto, int flags) {
    return dialogos_.mensagem(this, QString::fromUtf8(TituloAplicacao), texto, flags);
}

QString TfrmPrincipal::AbreArquivo(const QString& filtro) { return dialogos_.abreArquivo(this, FiltroParaQt(filtro)); }

void TfrmPrincipal::MostraErro(const QString& texto) {
    mostraPagina(tabErro);
    mmoErro->setPlainText(QuebrasDoMemo(texto));
}

// ------------------------------------------------------- what dm sees

QString TfrmPrincipal::textoOnde() const { return lbOnde->text(); }
void TfrmPrincipal::defineOnde(const QString& texto) { lbOnde->setText(texto); }
void TfrmPrincipal::definePosicaoTabela(qint64 posicao) { pb->setValue(LimitaInt(posicao)); }

void TfrmPrincipal::defineMaximoTabela(qint64 maximo) {
    // A maximum of 0 would turn the bar into a "busy" animation; an empty
    // table shows an empty bar instead.
    pb->setMaximum(std::max(1, LimitaInt(maximo)));
}

void TfrmPrincipal::avancaTabela() { pb->setValue(std::min(pb->maximum(), pb->value() + 1)); }

void TfrmPrincipal::adicionaResumo(const QString& cadastro, const QString& total, const QString& importados,
                                   const QString& naoImportados) {
    // The rows stay in the order of the core's summary rule; the new row
    // goes where that order puts it.
    QList<LinhaResumo> ordenadas = linhasResumo_;
    ordenadas.append({cadastro, total, importados, naoImportados});
    OrdenaResumo(ordenadas);
    int posicao = 0;
    while (posicao < linhasResumo_.size() && ordenadas[posicao] == linhasResumo_[posicao]) ++posicao;
    linhasResumo_ = ordenadas;

    auto* item = new QTreeWidgetItem(QStringList{cadastro, total, importados, naoImportados});
    item->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    for (int coluna = 1; coluna < 4; ++coluna) item->setTextAlignment(coluna, Qt::AlignCenter);
    QFont negrito = GridResumo->font();
    negrito.setBold(true);
    item->setFont(2, negrito);
    item->setForeground(3, kVermelho);
    GridResumo->insertTopLevelItem(posicao, item);
    pintaLinhas(posicao);
}

void TfrmPrincipal::pintaLinhas(int aPartirDe) {
    // Rows 0, 2, 4... (the first row counts as even) are light grey.
    for (int linha = aPartirDe; linha < GridResumo->topLevelItemCount(); ++linha) {
        QTreeWidgetItem* item = GridResumo->topLevelItem(linha);
        const QBrush fundo = linha % 2 == 0 ? QBrush(kCinzaLinhaPar) : QBrush();
        for (int coluna = 0; coluna < 4; ++coluna) item->setBackground(coluna, fundo);
    }
}

void TfrmPrincipal::adicionaExcecao(const QString& entrada) {
    mmoExcecoes->appendPlainText(QuebrasDoMemo(entrada));
    excecoes_ += entrada + "\r\n";
}

void TfrmPrincipal::limpaEmpresas() { cbbArea->clear(); }

void TfrmPrincipal::adicionaEmpresa(const QString& nome, qint64 codigo) {
    cbbArea->addItem(nome, QVariant::fromValue(codigo));
}

int TfrmPrincipal::quantidadeEmpresas() const { return cbbArea->count(); }

void TfrmPrincipal::selecionaEmpresa(int indice) {
    if (indice < 0 || indice >= cbbArea->count())
        throw Erro(QString::fromUtf8("Índice da lista de empresas fora dos limites (%1).").arg(indice));
    cbbArea->setCurrentIndex(indice);
}

std::optional<qint64> TfrmPrincipal::empresaSelecionada() const {
    if (cbbArea->currentIndex() < 0) return std::nullopt;
    return cbbArea->currentData().toLongLong();
}

void TfrmPrincipal::mostraErro(const QString& texto) { MostraErro(texto); }

int TfrmPrincipal::mensagem(const QString& texto, int flags) { return Mensagem(texto, flags); }

void TfrmPrincipal::processaEventos() {
    if (ultimosEventos_.isValid() && ultimosEventos_.elapsed() < kIntervaloEventosMs) return;
    QCoreApplication::processEvents();
    ultimosEventos_.start();
}

}  // namespace tarvo::gui
