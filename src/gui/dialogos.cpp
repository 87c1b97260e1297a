#include "dialogos.h"

#include "janela.h"
#include "seguranca.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>
#include <QStandardPaths>

namespace tarvo::gui {

namespace {

constexpr int kBotoes = 0x0F;
constexpr int kIcone = 0x70;
constexpr int kOkCancelar = 0x1;
constexpr int kSimNaoCancelar = 0x3;
constexpr int kRespostaCancelar = 2;

// Button texts as a Brazilian system shows them, whatever translations the
// machine has installed.
void TraduzBotoes(QMessageBox& caixa) {
    const std::pair<QMessageBox::StandardButton, const char*> textos[] = {
        {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Cancelar"}, {QMessageBox::Yes, "&Sim"},
        {QMessageBox::No, "&Não"}};
    for (const auto& [botao, texto] : textos)
        if (QAbstractButton* b = caixa.button(botao)) b->setText(QString::fromUtf8(texto));
}

}  // namespace

QMessageBox::Icon IconeDaCaixa(int flags) {
    switch (flags & kIcone) {
    case mb::IconeErro: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case mb::IconeAtencao: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons BotoesDaCaixa(int flags) {
    switch (flags & kBotoes) {
    case kOkCancelar: return QMessageBox::Ok | QMessageBox::Cancel;
    case kSimNaoCancelar: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case mb::SimNao: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::StandardButton BotaoPadraoDaCaixa(int flags) {
    if (!(flags & mb::SegundoBotaoPadrao)) return QMessageBox::NoButton;
    switch (flags & kBotoes) {
    case kOkCancelar: return QMessageBox::Cancel;
    case kSimNaoCancelar:
    case mb::SimNao: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int RespostaDaCaixa(QMessageBox::StandardButton botao, int flags) {
    switch (botao) {
    case QMessageBox::Ok: return mb::RespostaOk;
    case QMessageBox::Cancel: return kRespostaCancelar;
    case QMessageBox::Yes: return mb::RespostaSim;
    case QMessageBox::No: return mb::RespostaNao;
    default: break;
    }
    const QMessageBox::StandardButtons botoes = BotoesDaCaixa(flags);
    if (botoes & QMessageBox::Cancel) return kRespostaCancelar;
    if (botoes & QMessageBox::No) return mb::RespostaNao;
    return mb::RespostaOk;
}

QString FiltroParaQt(const QString& filtro) {
    const QStringList partes = filtro.split('|');
    QStringList filtros;
    for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
        const QString descricao = partes[i].trimmed();
        const QString padroes = partes[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        // Qt reads the patterns from the last parentheses of the description.
        if (descricao.endsWith('(' + padroes + ')'))
            filtros << descricao;
        else
            filtros << descricao + " (" + padroes + ")";
    }
    return filtros.join(";;");
}

int DialogosQt::mensagem(QWidget* pai, const QString& titulo, const QString& texto, int flags) {
    QMessageBox caixa(IconeDaCaixa(flags), titulo, texto, BotoesDaCaixa(flags), pai);
    TraduzBotoes(caixa);
    if (const QMessageBox::StandardButton padrao = BotaoPadraoDaCaixa(flags); padrao != QMessageBox::NoButton)
        caixa.setDefaultButton(padrao);
    caixa.exec();
    return RespostaDaCaixa(caixa.standardButton(caixa.clickedButton()), flags);
}

QString DialogosQt::pedeTexto(QWidget* pai, const QString& titulo, const QString& rotulo, const QString& inicial) {
    QInputDialog caixa(pai);
    caixa.setWindowTitle(titulo);
    caixa.setLabelText(rotulo);
    caixa.setTextEchoMode(QLineEdit::Normal);
    caixa.setTextValue(inicial);
    caixa.setOkButtonText("OK");
    caixa.setCancelButtonText("Cancelar");
    if (caixa.exec() != QDialog::Accepted) return {};
    return caixa.textValue();
}

QString DialogosQt::abreArquivo(QWidget* pai, const QString& filtro) {
    return QFileDialog::getOpenFileName(pai, QString(), QString(), filtro);
}

QString DialogosQt::salvaArquivo(QWidget* pai, const QString& titulo, const QString& filtro,
                                 const QString& nomeSugerido) {
    const QString pasta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString inicial = pasta.isEmpty() ? nomeSugerido : QDir(pasta).filePath(nomeSugerido);
    return QFileDialog::getSaveFileName(pai, titulo, inicial, filtro);
}

void DialogosQt::relataErro(QWidget* pai, const QString& texto) {
    QMessageBox caixa(QMessageBox::Critical, QString::fromUtf8(TituloAplicacao),
                      QString::fromUtf8("Ocorreu um erro e a operação foi interrompida."), QMessageBox::Ok, pai);
    caixa.setInformativeText(texto);
    TraduzBotoes(caixa);
    caixa.exec();
}

}  // namespace tarvo::gui
