#include "funcoes.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace tarvo;

TEST(IndiceNoArray, ComparaAposAparaEMaiusculasAscii) {
    const QStringList tabelas{"contatos_fones", "fontes", "lctos"};
    struct Caso {
        const char* nome;
        QStringList lista;
        QString texto;
        int esperado;
    } casos[] = {
        {"maiusculas com brancos", tabelas, " FONTES ", 1},
        {"caixa mista", tabelas, "Fontes", 1},
        {"prefixo nao basta", tabelas, "fonte", -1},
        {"lista vazia", {}, "fontes", -1},
        {"controles nas pontas", tabelas, "\t\nlctos\r", 2},
        {"acentos nao se dobram", {"ação"}, "AÇÃO", -1},
        {"primeira igual vence", {"a", "A"}, "a", 0},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(IndiceNoArray(c.lista, c.texto), c.esperado);
    }
}

TEST(Maiusculas, AcentosDoPortuguesEmQualquerLocale) {
    EXPECT_EQ(Maiusculas("ação"), "AÇÃO");
    EXPECT_EQ(Maiusculas("caixa_lancamentos"), "CAIXA_LANCAMENTOS");
    EXPECT_EQ(Maiusculas("órgão público ü"), "ÓRGÃO PÚBLICO Ü");
}

TEST(QuebraLinhas, ContaPares) {
    EXPECT_EQ(QuebraLinhas(2), "\r\n\r\n");
    EXPECT_EQ(QuebraLinhas(1), "\r\n");
    EXPECT_EQ(QuebraLinhas(0), "");
    EXPECT_EQ(QuebraLinhas(-3), "");
}

TEST(Nvl, SoNuloOuTextoVazioTrocam) {
    const QVariant zero("0");
    struct Caso {
        const char* nome;
        QVariant valor;
        QVariant esperado;
    } casos[] = {
        {"nulo", Nulo(), zero},
        {"nao atribuido", QVariant(), zero},
        {"texto vazio", QVariant(QString()), zero},
        {"texto 12", QVariant("12"), QVariant("12")},
        {"numero zero", QVariant(0), QVariant(0)},
        {"um branco", QVariant(" "), QVariant(" ")},
        {"falso", QVariant(false), QVariant(false)},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const QVariant r = Nvl(c.valor, zero);
        EXPECT_EQ(r, c.esperado);
        EXPECT_EQ(r.typeId(), c.esperado.typeId());
    }
}

TEST(IIf, EscolheCopia) {
    EXPECT_EQ(IIf(true, "true", "false").toString(), "true");
    EXPECT_EQ(IIf(false, 1, 2).toInt(), 2);
    EXPECT_TRUE(EhNulo(IIf(true, Nulo(), 1)));
}

TEST(VarianteParaTexto, FormasDoSistemaAntigo) {
    EXPECT_EQ(VarianteParaTexto(Nulo()), "");
    EXPECT_EQ(VarianteParaTexto(QVariant()), "");
    EXPECT_EQ(VarianteParaTexto(12.5), "12.5");
    EXPECT_EQ(VarianteParaTexto(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(VarianteParaTexto(QVariant::fromValue<qint64>(-7)), "-7");
    EXPECT_EQ(VarianteParaTexto(true), "True");
    EXPECT_EQ(VarianteParaTexto(QDateTime(QDate(2020, 5, 1), QTime(14, 0), Qt::UTC)), "01/05/2020 14:00:00");
}
