# Writes a C++ file holding the schema SQL files as string constants.
set(conteudo "// Generated from schemas/*.sql; do not edit.\n#include <QString>\nnamespace tarvo::esquemas {\n")
foreach(nome antiga nova usuarios)
  file(READ ${PASTA}/${nome}.sql sql)
  string(APPEND conteudo "const char* ${nome}() { return R\"tarvosql(${sql})tarvosql\"; }\n")
endforeach()
string(APPEND conteudo "}\n")
file(WRITE ${SAIDA}.tmp "${conteudo}")
configure_file(${SAIDA}.tmp ${SAIDA} COPYONLY)
