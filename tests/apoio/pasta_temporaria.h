#pragma once
// A temporary folder for one test, removed with everything in it at the end.
#include <QString>
#include <QTemporaryDir>

namespace tarvo::testes {

class PastaTemporaria {
public:
    PastaTemporaria();
    // Full path of `nome` inside the folder.
    QString arquivo(const QString& nome) const;
    QString caminho() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// Writes `conteudo` to `caminho`, creating folders; fails the test on error.
void EscreveArquivo(const QString& caminho, const QByteArray& conteudo);
QByteArray LeArquivo(const QString& caminho);

}  // namespace tarvo::testes
