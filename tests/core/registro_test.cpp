#include "apoio/pasta_temporaria.h"
#include "erros.h"
#include "registro.h"

#include <gtest/gtest.h>

using namespace tarvo;
using tarvo::testes::EscreveArquivo;
using tarvo::testes::LeArquivo;
using tarvo::testes::PastaTemporaria;

namespace {

// Points both stores at files of a temporary folder for one test.
class Registros : public ::testing::Test {
protected:
    void SetUp() override {
        usuario = pasta.arquivo("usuario/registro.reg");
        maquina = pasta.arquivo("maquina/registro.reg");
        qputenv("TARVO_REGISTRO_USUARIO", usuario.toUtf8());
        qputenv("TARVO_REGISTRO_MAQUINA", maquina.toUtf8());
    }
    void TearDown() override {
        qunsetenv("TARVO_REGISTRO_USUARIO");
        qunsetenv("TARVO_REGISTRO_MAQUINA");
    }
    static QByteArray comCaminho(const char* valor) {
        return QByteArray("[Software\\Opus\\DirectAccess\\Configuration\\Aliases\\TarvoPessoal]\n\"Path\"=\"") +
               valor + "\"\n";
    }
    PastaTemporaria pasta;
    QString usuario, maquina;
};

}  // namespace

TEST_F(Registros, UsuarioAntesDaMaquina) {
    EscreveArquivo(usuario, comCaminho("/home/ana/dados.mdb"));
    EscreveArquivo(maquina, comCaminho("/srv/geral.mdb"));
    EXPECT_EQ(PegaCaminhoBase(), "/home/ana/dados.mdb");
}

TEST_F(Registros, UsuarioVazioOuAusenteCaiNaMaquina) {
    EscreveArquivo(maquina, comCaminho("C:\\\\Dados\\\\tarvo.mdb"));
    EXPECT_EQ(PegaCaminhoBase(), "C:\\Dados\\tarvo.mdb");
    EscreveArquivo(usuario, comCaminho(""));
    EXPECT_EQ(PegaCaminhoBase(), "C:\\Dados\\tarvo.mdb");
}

TEST_F(Registros, NenhumDaVazioECriaChaveVaziaSoNoUsuario) {
    EXPECT_EQ(PegaCaminhoBase(), "");
    EXPECT_EQ(LeArquivo(usuario), "[Software\\Opus\\DirectAccess\\Configuration\\Aliases\\TarvoPessoal]\n\n");
    EXPECT_FALSE(QFile::exists(maquina));
    // Reading again finds the empty key and changes nothing.
    EXPECT_EQ(PegaCaminhoBase(), "");
    EXPECT_EQ(LeArquivo(usuario), "[Software\\Opus\\DirectAccess\\Configuration\\Aliases\\TarvoPessoal]\n\n");
}

TEST_F(Registros, ChaveENomeSemDistinguirCaixaEEscapes) {
    EscreveArquivo(usuario, "; comentário\n[software\\opus\\directaccess\\configuration\\aliases\\tarvopessoal]\n"
                            "\"path\"=\"/tmp/com \\\"aspas\\\" e \\\\barra.mdb\"\n");
    EXPECT_EQ(PegaCaminhoBase(), "/tmp/com \"aspas\" e \\barra.mdb");
}

TEST_F(Registros, ValorQueNaoETextoEErro) {
    EscreveArquivo(usuario, "[Software\\Opus\\DirectAccess\\Configuration\\Aliases\\TarvoPessoal]\n"
                            "\"Path\"=dword:00000001\n");
    try {
        PegaCaminhoBase();
        FAIL() << "expected an error";
    } catch (const Erro& e) {
        EXPECT_EQ(e.mensagem(), QString("O valor 'Path' da chave '%1' em '%2' não é um texto.")
                                    .arg(ChaveBaseAntiga, usuario));
    }
}

TEST_F(Registros, GravaELeDeVolta) {
    GravaRegistro(RaizRegistro::UsuarioAtual, ChaveBaseAntiga, ValorBaseAntiga, "/dados/ação \"1\".mdb");
    EXPECT_EQ(PegaCaminhoBase(), "/dados/ação \"1\".mdb");
    GravaRegistro(RaizRegistro::UsuarioAtual, ChaveBaseAntiga, ValorBaseAntiga, "/outro.mdb");
    EXPECT_EQ(PegaCaminhoBase(), "/outro.mdb");
}
