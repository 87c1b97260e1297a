#include "capturas.h"

#include "principal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <cstdio>
#include <cstdlib>

namespace tarvo::gui {

namespace {

constexpr int kIntervaloMs = 50;
// Ticks a dialog or page stays on screen before its picture is taken, so
// that it has been painted.
constexpr int kTicksPintura = 6;
// The whole walk must end well within this.
constexpr int kLimiteMs = 180000;

}  // namespace

RoteiroCapturas::RoteiroCapturas(TfrmPrincipal& janela, const QString& pasta, const QString& destino,
                                 const QString& senha)
    : janela_(janela), pasta_(pasta), destino_(destino), senha_(senha) {
    QDir().mkpath(pasta_);
    connect(&relogio_, &QTimer::timeout, this, [this] { passo(); });
    relogio_.start(kIntervaloMs);
    connect(janela_.pb, &QProgressBar::valueChanged, this, [this](int v) { tabelaAvancou(v); });
    QTimer::singleShot(kLimiteMs, this, [] {
        std::fprintf(stderr, "capturas: o roteiro não terminou a tempo.\n");
        std::_Exit(3);
    });
}

void RoteiroCapturas::captura(QWidget* alvo, const QString& nome) {
    // What the display shows, frame included; the widget's own rendering
    // when the display cannot be read.
    QPixmap imagem;
    if (QScreen* tela = alvo->screen()) {
        const QRect r = alvo->frameGeometry();
        imagem = tela->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    }
    if (imagem.isNull()) imagem = alvo->grab();
    const QString arquivo = QDir(pasta_).filePath(nome + ".png");
    if (!imagem.save(arquivo)) {
        std::fprintf(stderr, "capturas: não foi possível gravar %s\n", qUtf8Printable(arquivo));
        std::_Exit(3);
    }
    std::printf("capturas: %s\n", qUtf8Printable(arquivo));
    std::fflush(stdout);
}

void RoteiroCapturas::passo() {
    if (QWidget* dialogo = QApplication::activeModalWidget()) {
        trataDialogo(dialogo);
        return;
    }
    if (!janela_.isVisible()) return;
    QWidget* pagina = janela_.pcPrincipal->currentWidget();
    if (pagina != ultimaPagina_) {
        ultimaPagina_ = pagina;
        esperaPagina_ = 0;
    }
    if (++esperaPagina_ < kTicksPintura) return;
    if (pagina == janela_.tabConfig && !configurou_) {
        configurou_ = true;
        janela_.cboxTudo->click();
        if (!destino_.isEmpty()) {
            const int i = janela_.cbbDestino->findText(destino_);
            if (i < 0) {
                std::fprintf(stderr, "capturas: destino '%s' não está na lista.\n", qUtf8Printable(destino_));
                std::_Exit(3);
            }
            janela_.cbbDestino->setCurrentIndex(i);
        }
        esperaPagina_ = 0;
    } else if (pagina == janela_.tabConfig && !iniciou_) {
        iniciou_ = true;
        captura(&janela_, "configuracao");
        // The click runs the whole import; it must not run inside this
        // timer's slot, which has to go on answering the dialogs.
        QTimer::singleShot(0, janela_.btnAvancar, &QPushButton::click);
        esperaPagina_ = 0;
    } else if (pagina == janela_.tabFinalizada || pagina == janela_.tabErro) {
        captura(&janela_, pagina == janela_.tabFinalizada ? "resumo" : "erro");
        relogio_.stop();
        janela_.close();
    }
}

void RoteiroCapturas::trataDialogo(QWidget* dialogo) {
    if (dialogo != dialogo_) {
        dialogo_ = dialogo;
        esperaDialogo_ = 0;
        if (auto* entrada = qobject_cast<QInputDialog*>(dialogo)) entrada->setTextValue(senha_);
        return;
    }
    if (++esperaDialogo_ < kTicksPintura) return;
    if (auto* entrada = qobject_cast<QInputDialog*>(dialogo)) {
        captura(entrada, "senha");
        dialogo_ = nullptr;
        entrada->accept();
    } else if (auto* caixa = qobject_cast<QMessageBox*>(dialogo)) {
        const bool aviso = caixa->windowTitle().startsWith(QString::fromUtf8("Atenção"));
        captura(caixa, aviso ? QString("aviso") : QString("dialogo-%1").arg(++dialogos_));
        if (!aviso) std::fprintf(stderr, "capturas: mensagem inesperada: %s\n", qUtf8Printable(caixa->text()));
        dialogo_ = nullptr;
        QAbstractButton* botao = caixa->escapeButton();
        if (!botao && !caixa->buttons().isEmpty()) botao = caixa->buttons().first();
        if (botao) botao->click();
    }
}

void RoteiroCapturas::tabelaAvancou(int valor) {
    // Halfway through the first long table of the run.
    if (capturouImportacao_ || janela_.pcPrincipal->currentWidget() != janela_.tabImporta) return;
    if (janela_.pb->maximum() < 100 || valor != janela_.pb->maximum() / 2) return;
    capturouImportacao_ = true;
    janela_.repaint();
    captura(&janela_, "importacao");
}

}  // namespace tarvo::gui
