#pragma once
// A driver that walks the real program through one import and saves a
// picture of every dialog and page it passes, for the screenshots script
// (scripts/capturas.sh). The program starts it only when
// $TARVO_CAPTURAS names a folder.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QWidget;

namespace tarvo::gui {

class TfrmPrincipal;

class RoteiroCapturas : public QObject {
public:
    // Starts watching at once (before FormCreate, so that it answers the
    // advice message). On the configuration page it ticks every area,
    // chooses the destination whose text is `destino` (the first when
    // empty), starts the import and answers the password box with `senha`.
    // Saves aviso, configuracao, senha, importacao, resumo or erro .png into
    // `pasta`, then closes the window. `janela` must outlive the driver.
    RoteiroCapturas(TfrmPrincipal& janela, const QString& pasta, const QString& destino, const QString& senha);

private:
    void passo();
    void trataDialogo(QWidget* dialogo);
    void tabelaAvancou(int valor);
    void captura(QWidget* alvo, const QString& nome);

    TfrmPrincipal& janela_;
    QString pasta_, destino_, senha_;
    QTimer relogio_;
    QPointer<QWidget> dialogo_;
    int esperaDialogo_ = 0;
    QWidget* ultimaPagina_ = nullptr;
    int esperaPagina_ = 0;
    int dialogos_ = 0;
    bool configurou_ = false;
    bool iniciou_ = false;
    bool capturouImportacao_ = false;
};

}  // namespace tarvo::gui
