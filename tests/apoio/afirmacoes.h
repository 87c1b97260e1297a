#pragma once
// Assertions on the project's exceptions: the type and the exact message.
#include <QString>
#include <gtest/gtest.h>

#include "erros.h"
#include "impressao.h"

#define TARVO_EXPECT_ERRO(Tipo, bloco, textoEsperado)                                         \
    do {                                                                                      \
        try {                                                                                 \
            bloco;                                                                            \
            ADD_FAILURE() << "no error; expected: " << QString(textoEsperado).toStdString();  \
        } catch (const Tipo& erroObtido_) {                                                   \
            EXPECT_EQ(erroObtido_.mensagem(), QString(textoEsperado));                        \
        }                                                                                     \
    } while (0)

#define EXPECT_ERRO_BANCO(bloco, textoEsperado) TARVO_EXPECT_ERRO(::tarvo::ErroBanco, bloco, textoEsperado)
#define EXPECT_ERRO(bloco, textoEsperado) TARVO_EXPECT_ERRO(::tarvo::Erro, bloco, textoEsperado)
