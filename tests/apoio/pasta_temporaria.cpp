#include "pasta_temporaria.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace tarvo::testes {

PastaTemporaria::PastaTemporaria() : dir_(QDir::tempPath() + "/tarvo-teste-XXXXXX") {
    if (!dir_.isValid()) ADD_FAILURE() << "could not create a temporary folder";
}

QString PastaTemporaria::arquivo(const QString& nome) const { return dir_.filePath(nome); }

void EscreveArquivo(const QString& caminho, const QByteArray& conteudo) {
    QDir().mkpath(QFileInfo(caminho).absolutePath());
    QFile f(caminho);
    if (!f.open(QIODevice::WriteOnly) || f.write(conteudo) != conteudo.size())
        ADD_FAILURE() << "could not write " << caminho.toStdString();
}

QByteArray LeArquivo(const QString& caminho) {
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "could not read " << caminho.toStdString();
        return {};
    }
    return f.readAll();
}

}  // namespace tarvo::testes
