#!/usr/bin/env python3
"""Import benchmark: importador-cli against SQLite copying the same rows.

For each size (rows in each entry table of the old database) it makes the
old-edition database with importador-amostra (kept as a cache), imports every
area of the company into a fresh destination with importador-cli, and then
measures the baseline on another fresh destination: SQLite itself copying the
same mapped columns of the same rows (ATTACH the old database, one
INSERT ... SELECT per table, all areas in one transaction). It prints, per
area and in total, rows, seconds, rows per second and the ratio of the
import's speed to the baseline's, the import's peak resident memory, and how
the import's time grows from one size to the next. The results also go to
resultados.json in the working folder.

Python 3 standard library only. Exit status: 0 when every size ran and the
row counts agree, 1 when a size ran with warnings (row counts differ, or the
import reported exceptions), 2 when a program failed or is missing.
"""
import argparse
import datetime
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import time
from pathlib import Path

RAIZ = Path(__file__).resolve().parent.parent

# The run order of the areas (as importador-cli runs them with --tudo).
ORDEM_AREAS = [
    "Contas de Receitas e Despesas",
    "Agenda de Compromissos",
    "Centros de Custos",
    "Históricos (Bancos)",
    "Patrimônio",
    "Tarefas",
    "Contatos e Telefones",
    "Caixa Pessoal",
    "Cartões de Crédito",
    "Contas a Pagar",
    "Contas a Receber",
    "Controle Bancário",
    "Modelos (Veículos)",
    "Montadoras (Veículos)",
    "Tipos de Combustíveis (Veículos)",
    "Manutenções (Veículos)",
    "Lançamentos (Veículos)",
    "Cadastro de Veículos",
    "Viagens (Veículos)",
    "Investimentos",
]

# The groups the speed targets are set for.
GRUPOS = [
    ("plain tables", ["Contatos e Telefones", "Cadastro de Veículos", "Patrimônio"]),
    ("financial entries", ["Caixa Pessoal", "Contas a Pagar", "Contas a Receber", "Controle Bancário",
                           "Cartões de Crédito", "Investimentos"]),
]

# ------------------------------------------------------------------ baseline
#
# The baseline copies, per area, the columns the importer maps (same source
# columns into the same destination columns), with the same row filters: the
# company, "not cancelado" where the importer filters it, and for the entries
# of bank accounts, cards and investments every entry of the company's
# accounts of that kind. Ids: tables whose ids come from the old codes get
# id = codigo; fontes, lctos and contatos_fones rows get fresh ids from their
# INTEGER PRIMARY KEY. Besides the mapped columns it writes only what the
# rows need to exist: area = 1, the fixed values (id_fonte, the account's
# tipo, tipo_saldo, visualizar), the single account of the one-account areas,
# and the emptying of the replaced tables (chart, models, makers). The value
# rules (rich text to plain text, chart account lookup, dates joined from two
# columns, balances, counters) are not part of it: the ratio shows what the
# importer spends on them and on its row-by-row path.


def _q(nome):
    return '"' + nome.replace('"', '""') + '"'


def _insere_selecao(origem, destino, campos_origem, campos_destino, empresa, id_do_codigo=True,
                    fixos=None, filtro="", juncao="", ordem="o.codigo"):
    """INSERT INTO main.destino ... SELECT ... FROM antiga.origem AS o; returns the SQL."""
    colunas, valores = [], []
    if id_do_codigo:
        colunas.append("id")
        valores.append("o.codigo")
    colunas.append("area")
    valores.append("1")
    for campo, valor in (fixos or {}).items():
        colunas.append(campo)
        valores.append(valor)
    colunas += campos_destino
    valores += ["o." + _q(c) for c in campos_origem]
    sql = (f"INSERT INTO main.{_q(destino)} ({', '.join(_q(c) for c in colunas)}) "
           f"SELECT {', '.join(valores)} FROM antiga.{_q(origem)} AS o {juncao} "
           f"WHERE o.empresa = {int(empresa)} {filtro}")
    if ordem:
        sql += f" ORDER BY {ordem}"
    return sql


def _copia(con, *args, **kwargs):
    cur = con.execute(_insere_selecao(*args, **kwargs))
    return cur.rowcount


def _substitui(con, tabela, *args, **kwargs):
    con.execute(f"DELETE FROM main.{_q(tabela)}")
    return _copia(con, *args, **kwargs)


def _conta_unica(con, empresa, descricao, tipo, tipo_saldo, origem, campos_origem, campos_destino, filtro):
    """The one-account areas: their account, then its entries (only the entries are counted)."""
    cur = con.execute("INSERT INTO main.fontes (area, descricao, tipo, tipo_saldo) VALUES (1, ?, ?, ?)",
                      (descricao, tipo, tipo_saldo))
    id_fonte = cur.lastrowid
    return _copia(con, origem, "lctos", campos_origem, campos_destino, empresa, id_do_codigo=False,
                  fixos={"id_fonte": str(int(id_fonte))}, filtro=filtro)


def _contas_com_lancamentos(con, empresa, tabela_contas, tabela_lancamentos, tipo, tipo_saldo, carregador,
                            vazio, coluna_conta, filtro, origem_contas, destino_contas, origem_lctos,
                            destino_lctos):
    """Accounts of one kind (fresh ids, the old code kept in the carrier column), then every entry
    of those accounts joined to its new account through that column, which is emptied afterwards.
    Counts accounts and entries, as the importer's summary does."""
    antes = con.execute("SELECT coalesce(max(id), 0) FROM main.fontes").fetchone()[0]
    contas = _copia(con, tabela_contas, "fontes", origem_contas, destino_contas, empresa, id_do_codigo=False,
                    fixos={"tipo": f"'{tipo}'", "tipo_saldo": str(tipo_saldo), "visualizar": "1"})
    # One pass over the entries (CROSS JOIN keeps them as the outer loop): the
    # importer's per-account queries are its own choice, not the floor.
    juncao = (f"CROSS JOIN main.fontes AS f ON f.id > {int(antes)} AND f.tipo = '{tipo}' "
              f"AND CAST(f.{_q(carregador)} AS INTEGER) = o.{_q(coluna_conta)}")
    lctos = _copia(con, tabela_lancamentos, "lctos", origem_lctos, destino_lctos, empresa, id_do_codigo=False,
                   fixos={"id_fonte": "f.id"}, filtro=filtro, juncao=juncao)
    con.execute(f"UPDATE main.fontes SET {_q(carregador)} = {vazio} WHERE id > {int(antes)} AND tipo = '{tipo}'")
    return contas + lctos


CAMPOS_CONTATOS_ORIGEM = [
    "nome", "data_nascimento", "sexo", "endereço", "complemento", "bairro", "cidade", "estado", "cep", "pais",
    "caixa_postal", "obs", "e_mail", "home_page", "documento", "confidencial", "anexos", "empresa_empr",
    "departamento_empr", "endereco_empr", "bairro_empr", "cidade_empr", "estado_empr", "cep_empr", "pais_empr",
    "caixa_postal_empr", "e_mail_empr", "home_page_empr", "complemento_empr", "conjuge", "nasc_conj", "cas_conj",
    "nome_pai", "nome_mae", "obs_filhos"]
CAMPOS_CONTATOS_DESTINO = [
    "nome", "data_nascimento", "sexo", "endereco", "complemento", "bairro", "cidade", "uf", "cep", "pais",
    "caixa_postal", "obs", "email", "home_page", "documento", "confidencial", "anexos", "e_empresa",
    "e_departamento", "e_endereco", "e_bairro", "e_cidade", "e_uf", "e_cep", "e_pais", "e_caixa_postal",
    "e_email", "e_home_page", "e_complemento", "c_conjuge", "c_data_nascimento", "c_data_casamento", "c_pai",
    "c_mae", "c_obs"]

CAMPOS_VEICULOS_ORIGEM = [
    "montadora", "modelo", "placa", "cor", "ano_fabricacao", "ano_modelo", "odometro", "obs", "renavam", "chassis",
    "nro_motor", "potencia", "cilindradas", "nro_cilindros", "combustivel", "nro_portas", "data_compra",
    "comprado_de", "valor_pago", "tipo_pgto", "odometro_compra", "garantia_ate", "obs_compra", "seguradora",
    "seguro_valido_ate", "seguro_cobertura", "seguro_valor", "ar_condicionado", "freios_abs",
    "direcao_hidraulica", "cambio_automatico", "anexos", "data_venda", "vendido_para", "valor_recebido",
    "tipo_recebimento", "odomentro_venda", "vendido_por", "obs_venda", "extras", "blindado", "tipo_cambio",
    "seguro_avisar_dias", "obs_seguro", "descricao_modelo", "seguro_avisar_vcto", "inativo", "ipva_vcto",
    "ipva_valor", "ipva_data_pgto", "ipva_tipo_pgto", "ipva_avisar_vcto", "ipva_avisar_dias", "lice_vcto",
    "lice_valor", "lice_data_pgto", "lice_tipo_pgto", "lice_avisar_vcto", "lice_avisar_dias", "zerokm"]
CAMPOS_VEICULOS_DESTINO = list(CAMPOS_VEICULOS_ORIGEM)
for _i, _nome in {0: "id_montadora", 1: "id_modelo", 17: "id_vendedor", 23: "id_seguradora", 33: "id_comprador",
                  36: "odometro_venda", 37: "id_vendido_por", 59: "zero_km"}.items():
    CAMPOS_VEICULOS_DESTINO[_i] = _nome

NAO_CANCELADO = "AND NOT o.cancelado"


def _baseline_areas(e):
    """Per area in run order: a function of the connection that copies the area and returns its rows."""
    return {
        "Contas de Receitas e Despesas": lambda c: _substitui(
            c, "plano_contas", "caixa_contas", "plano_contas",
            ["descrição", "código_conta", "dedutivel_ir", "conta_imposto", "conta_repete", "tipo_conta"],
            ["descricao", "codigo_conta", "dedutivel_ir", "imposto", "repete_mes", "tipo_conta"], e),
        "Agenda de Compromissos": lambda c: _copia(
            c, "agenda", "agenda",
            ["descrição", "local", "cliente", "tipo", "anotação", "status", "anexos", "avisar_compromisso",
             "avisar_usuario"],
            ["descricao", "localizacao", "id_contato", "tipo", "obs", "situacao", "anexos", "avisar",
             "avisar_usuario"], e),
        "Centros de Custos": lambda c: _copia(c, "centros_custos", "centros_custos", ["descrição"], ["descricao"], e),
        "Históricos (Bancos)": lambda c: _copia(
            c, "contas_bancarias_historicos", "historicos", ["descrição"], ["descricao"], e),
        "Patrimônio": lambda c: _copia(
            c, "patrimonios", "patrimonios", *([["descricao", "data", "nro_patrimonio", "estado", "valor",
                                                 "situacao"]] * 2), e),
        "Tarefas": lambda c: _copia(
            c, "tarefas", "tarefas", ["descricao", "completa", "obs", "duracao", "concluidaem"],
            ["descricao", "concluida", "obs", "duracao", "concluida_em"], e),
        "Contatos e Telefones": lambda c: (
            _copia(c, "contatos", "contatos", CAMPOS_CONTATOS_ORIGEM, CAMPOS_CONTATOS_DESTINO, e)
            + _copia(c, "telefones_contatos", "contatos_fones", ["contato", "tipo", "ddd", "numero", "obs"],
                     ["id_contato", "tipo", "ddd", "fone", "obs"], e, id_do_codigo=False)),
        "Caixa Pessoal": lambda c: _conta_unica(
            c, e, "Dinheiro", "DI", 1, "caixa_lancamentos",
            ["data", "documento", "valor", "histórico", "centro_custo"],
            ["data", "documento", "valor", "descricao", "id_centrocusto"], NAO_CANCELADO),
        "Cartões de Crédito": lambda c: _contas_com_lancamentos(
            c, e, "cartoes_credito", "cartoes_credito_lancamentos", "CA", 2, "conta", "''", "código_cartão",
            NAO_CANCELADO,
            ["nome_cartão", "dia_recebimento", "carência", "codigo"],
            ["descricao", "dia_vcto", "dias_carencia", "conta"],
            ["data", "valor", "histórico", "observações", "baixado", "data_compensação", "vencimento",
             "centro_custo"],
            ["data", "valor", "descricao", "obs", "quitado", "data_quitado", "data_vencimento", "id_centrocusto"]),
        "Contas a Pagar": lambda c: _conta_unica(
            c, e, "Contas a Pagar", "CP", 2, "contas_pagar",
            ["documento", "descrição", "data_conta", "data_vencimento", "data_pagamento", "valor", "total",
             "observações", "previsão", "centro_custo", "anexos", "código_fornecedor"],
            ["documento", "descricao", "data", "data_vencimento", "data_quitado", "valor", "total", "obs",
             "crediario_previsao", "id_centrocusto", "anexos", "id_contato"], NAO_CANCELADO),
        "Contas a Receber": lambda c: _conta_unica(
            c, e, "Contas a Receber", "CR", 2, "contas_receber",
            ["documento", "descrição", "código_cliente", "data_conta", "data_vencimento", "data_pagamento",
             "valor", "total", "observações", "previsão", "anexos", "centro_custo"],
            ["documento", "descricao", "id_contato", "data", "data_vencimento", "data_quitado", "valor", "total",
             "obs", "crediario_previsao", "anexos", "id_centrocusto"], NAO_CANCELADO),
        "Controle Bancário": lambda c: _contas_com_lancamentos(
            c, e, "contas_bancarias", "contas_bancarias_lancamentos", "BA", 1, "dias_carencia", "NULL",
            "conta_bancaria", NAO_CANCELADO,
            ["descrição", "data_abertura", "código_banco", "agência", "conta", "codigo"],
            ["descricao", "data", "id_banco", "agencia", "conta", "dias_carencia"],
            ["data", "pré_datado", "bom_para", "histórico", "número", "valor", "data_compensação", "observações",
             "centro_custo", "baixado"],
            ["data", "banco_pre_datado", "data_vencimento", "descricao", "documento", "valor", "data_quitado",
             "obs", "id_centrocusto", "quitado"]),
        "Modelos (Veículos)": lambda c: _substitui(
            c, "modelos", "modelos", "modelos",
            ["descricao", "cod_montadora", "tipo", "cilindradas", "nro_cilindros", "potencia"],
            ["descricao", "id_montadora", "tipo", "cilindradas", "nro_cilindradas", "potencia"], e),
        "Montadoras (Veículos)": lambda c: _substitui(
            c, "montadoras", "montadoras", "montadoras", ["descricao", "tipo"], ["descricao", "tipo"], e),
        "Tipos de Combustíveis (Veículos)": lambda c: _copia(
            c, "combustiveis", "combustiveis", ["descricao", "distribuidora"], ["descricao", "distribuidora"], e),
        "Manutenções (Veículos)": lambda c: _copia(
            c, "manutencoes", "manutencoes",
            ["descricao", "cada_km", "cada_meses", "ultima_manutencao_data", "ultima_manutencao_km", "avisar_dias",
             "avisar_km", "centro_custo", "conta_caixa", "veiculo"],
            ["descricao", "cada_km", "cada_meses", "ultima_manutencao_data", "ultima_manutencao_km", "avisar_dias",
             "avisar_km", "id_centrocusto", "id_contacaixa", "id_veiculo"], e),
        "Lançamentos (Veículos)": lambda c: _copia(
            c, "lancamentos", "veiculos_lctos",
            ["km", "tanque_cheio", "valor", "categoria", "local", "codigo_combustivel", "conta_caixa",
             "centro_custo", "data", "veiculo", "qtde", "descricao", "tipo_lcto"],
            ["km", "tanque_cheio", "valor", "id_manutencao", "local", "id_combustivel", "id_contacaixa",
             "id_centrocusto", "data", "id_veiculo", "qtde_combustivel", "descricao", "tipo_lcto"], e),
        "Cadastro de Veículos": lambda c: _copia(
            c, "veiculos", "veiculos", CAMPOS_VEICULOS_ORIGEM, CAMPOS_VEICULOS_DESTINO, e),
        "Viagens (Veículos)": lambda c: _copia(
            c, "viagens", "viagens",
            ["saida", "chegada", "km_saida", "km_chegada", "qtde_combustivel", "destino", "obs", "origem",
             "descricao", "anexos", "veiculo", "categoria"],
            ["saida", "chegada", "km_saida", "km_chegada", "qtde_combustivel", "destino", "obs", "origem",
             "descricao", "anexos", "id_veiculo", "categoria"], e),
        "Investimentos": lambda c: _contas_com_lancamentos(
            c, e, "investimentos", "investimentos_lancamentos", "IN", 1, "dias_carencia", "NULL",
            "codigo_investimento", "", ["descricao", "codigo"], ["descricao", "dias_carencia"],
            ["data", "descricao", "valor"], ["data", "descricao", "valor"]),
    }


def mede_baseline(antiga, destino, empresa):
    """Copies every area into `destino` in one transaction; returns ({area: (rows, s)}, commit s)."""
    areas = _baseline_areas(empresa)
    assert list(areas) == ORDEM_AREAS
    con = sqlite3.connect(str(destino), isolation_level=None)
    try:
        con.execute("ATTACH DATABASE ? AS antiga", (str(antiga),))
        medidas = {}
        con.execute("BEGIN")
        for area in ORDEM_AREAS:
            inicio = time.perf_counter()
            linhas = areas[area](con)
            medidas[area] = (linhas, time.perf_counter() - inicio)
        inicio = time.perf_counter()
        con.execute("COMMIT")
        commit = time.perf_counter() - inicio
        con.execute("DETACH DATABASE antiga")
    finally:
        con.close()
    return medidas, commit


# -------------------------------------------------------------------- import

class ErroBench(Exception):
    pass


def executa(comando, saida=subprocess.DEVNULL, erros=subprocess.PIPE):
    """Runs a program to the end; returns (exit status, seconds, peak RSS in KiB, stderr text)."""
    inicio = time.perf_counter()
    with subprocess.Popen(comando, stdout=saida, stderr=erros) as p:
        texto_erros = b""
        if erros == subprocess.PIPE:
            texto_erros = p.stderr.read()
        # wait4 gives this child's own resource use (getrusage(RUSAGE_CHILDREN)
        # would mix in the sample maker's).
        _, estado, uso = os.wait4(p.pid, 0)
        segundos = time.perf_counter() - inicio
        p.returncode = os.waitstatus_to_exitcode(estado)
    return p.returncode, segundos, uso.ru_maxrss, texto_erros.decode("utf-8", "replace")


def gera_antiga(amostra, pasta, linhas, empresas):
    arquivo = pasta / f"antiga-{linhas}-linhas-{empresas}-empresas.mdb"
    if arquivo.exists():
        print(f"  old database: {arquivo} (cached)", flush=True)
        return arquivo
    print(f"  old database: generating {arquivo} ...", end="", flush=True)
    rc, segundos, _, erros = executa([str(amostra), "antiga", str(arquivo), "--empresas", str(empresas),
                                      "--linhas", str(linhas)])
    if rc != 0:
        raise ErroBench(f"importador-amostra antiga failed (status {rc}):\n{erros}")
    print(f" {segundos:.1f} s", flush=True)
    return arquivo


def le_medidas(arquivo):
    medidas = {}
    with open(arquivo, encoding="utf-8") as f:
        cabecalho = f.readline().rstrip("\n").split("\t")
        if cabecalho != ["area", "linhas", "segundos"]:
            raise ErroBench(f"unexpected header in {arquivo}: {cabecalho}")
        for linha in f:
            area, linhas, segundos = linha.rstrip("\n").split("\t")
            medidas[area] = (int(linhas), float(segundos))
    return medidas


def mede_importacao(cli, antiga, destino, empresa, pasta, linhas):
    arquivo_medidas = pasta / f"medidas-{linhas}.tsv"
    arquivo_saida = pasta / f"importacao-{linhas}.txt"
    with open(arquivo_saida, "wb") as saida:
        rc, segundos, pico_kib, erros = executa(
            [str(cli), "--origem", str(antiga), "--empresa", str(empresa), "--destino", str(destino), "--tudo",
             "--medidas", str(arquivo_medidas)], saida=saida)
    if rc not in (0, 1) or not arquivo_medidas.exists():
        raise ErroBench(f"importador-cli failed (status {rc}); its summary is in {arquivo_saida}:\n"
                        + "\n".join(erros.splitlines()[-10:]))
    medidas = le_medidas(arquivo_medidas)
    return medidas, rc, segundos, pico_kib, [arquivo_medidas, arquivo_saida]


def mede_janela(medidor, amostra, antiga, modelo, pasta, linhas):
    """Runs the whole import through the wizard on the offscreen platform.

    The folder is laid out as `importador-amostra demo` makes it, with the
    benchmark's old database in place of the demo's and a fresh destination
    as the user ana. Returns the measurer's JSON and the files to remove."""
    demo = pasta / f"janela-{linhas}"
    shutil.rmtree(demo, ignore_errors=True)
    rc, _, _, erros = executa([str(amostra), "demo", str(demo)])
    if rc != 0:
        raise ErroBench(f"importador-amostra demo failed (status {rc}):\n{erros}")
    (demo / "TarvoPessoal.mdb").unlink()
    (demo / "TarvoPessoal.mdb").symlink_to(antiga)
    shutil.copyfile(modelo, demo / "usuarios" / "ana.tpv")
    saida = pasta / f"janela-{linhas}.json"
    ambiente = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    inicio = time.perf_counter()
    with subprocess.Popen([str(medidor), str(demo), str(saida)], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, env=ambiente) as p:
        texto_erros = p.stderr.read().decode("utf-8", "replace")
        _, estado, _ = os.wait4(p.pid, 0)
        p.returncode = os.waitstatus_to_exitcode(estado)
    wall = time.perf_counter() - inicio
    if not saida.exists():
        raise ErroBench(f"medidor-janela failed (status {p.returncode}):\n{texto_erros}")
    with open(saida, encoding="utf-8") as f:
        medidas = json.load(f)
    medidas["exit"] = p.returncode
    medidas["wall_s"] = wall
    return medidas, [saida, demo]


def imprime_janela(janela, medidas_base, commit):
    medidas = {a["area"]: (int(a["linhas"]), float(a["segundos"])) for a in janela["areas"]}
    r = resume(janela["rows"], 1, medidas, medidas_base, commit, janela["exit"], janela["wall_s"],
               janela["pico_rss_kib"])
    print("Wizard (offscreen platform), the same import from the window:")
    imprime_tabela(r)
    print(f"  wizard: the click took {janela['segundos']:.2f} s (checksum, backup copy, run, verification); "
          f"final page {janela['pagina_final']}; {int(janela['voltas_do_laco']):,} turns of the event loop")
    print(f"  worst freeze (longest time between two turns of the event loop): "
          f"{janela['maior_congelamento_ms']:.1f} ms; the five longest:")
    for c in janela["maiores_congelamentos"]:
        print(f"    {c['ms']:8.1f} ms  {c['onde']}")
    for erro in janela["erros"]:
        print(f"  WARNING: the wizard reported an error: {erro}")
    return r


# ------------------------------------------------------------------- output

def n(valor):
    return f"{valor:,}"


def por_segundo(linhas, segundos):
    return linhas / segundos if segundos > 0 else float("inf")


def razao(linhas_imp, s_imp, linhas_base, s_base):
    """Import rows/s over baseline rows/s, in %."""
    base = por_segundo(linhas_base, s_base)
    if base in (0, float("inf")):
        return None
    return 100.0 * por_segundo(linhas_imp, s_imp) / base


def texto_razao(r):
    return "-" if r is None else f"{r:.2f}"


def imprime_tabela(resultado):
    cab = (f"{'area':<34}{'rows':>11}{'import s':>11}{'import rows/s':>15}{'baseline s':>12}"
           f"{'baseline rows/s':>17}{'ratio %':>9}")
    print(cab)
    print("-" * len(cab))
    for a in resultado["areas"]:
        print(f"{a['area']:<34}{n(a['rows']):>11}{a['import_s']:>11.4f}"
              f"{por_segundo(a['rows'], a['import_s']):>15,.0f}{a['baseline_s']:>12.4f}"
              f"{por_segundo(a['baseline_rows'], a['baseline_s']):>17,.0f}{texto_razao(a['ratio_pct']):>9}")
    print("-" * len(cab))
    t = resultado["total"]
    print(f"{'total':<34}{n(t['rows']):>11}{t['import_s']:>11.4f}"
          f"{por_segundo(t['rows'], t['import_s']):>15,.0f}{t['baseline_s']:>12.4f}"
          f"{por_segundo(t['baseline_rows'], t['baseline_s']):>17,.0f}{texto_razao(t['ratio_pct']):>9}")
    print(f"  baseline total includes its one commit: {resultado['baseline_commit_s']:.4f} s")
    print(f"  import process: {resultado['import_wall_s']:.2f} s wall (start-up and connection included), "
          f"exit status {resultado['import_exit']}, peak RSS {resultado['import_peak_rss_mb']:.1f} MB")
    for g in resultado["groups"]:
        print(f"  group {g['group']} ({', '.join(g['areas'])}): {n(g['rows'])} rows, import "
              f"{g['import_s']:.4f} s, baseline {g['baseline_s']:.4f} s, ratio {texto_razao(g['ratio_pct'])} %")


def resume(linhas, empresas, medidas_imp, medidas_base, commit, rc, wall, pico_kib):
    areas, avisos = [], []
    for area in ORDEM_AREAS:
        linhas_imp, s_imp = medidas_imp.get(area, (0, 0.0))
        linhas_base, s_base = medidas_base[area]
        if area not in medidas_imp:
            avisos.append(f"WARNING: {area}: the import wrote no measurement for this area")
        elif linhas_imp != linhas_base:
            avisos.append(f"WARNING: {area}: import read {n(linhas_imp)} rows, baseline copied {n(linhas_base)}")
        areas.append({"area": area, "rows": linhas_imp, "baseline_rows": linhas_base, "import_s": s_imp,
                      "baseline_s": s_base, "ratio_pct": razao(linhas_imp, s_imp, linhas_base, s_base)})

    def soma(lista):
        r = sum(a["rows"] for a in lista)
        rb = sum(a["baseline_rows"] for a in lista)
        si = sum(a["import_s"] for a in lista)
        sb = sum(a["baseline_s"] for a in lista)
        return r, rb, si, sb

    r, rb, si, sb = soma(areas)
    sb += commit
    total = {"rows": r, "baseline_rows": rb, "import_s": si, "baseline_s": sb, "ratio_pct": razao(r, si, rb, sb)}
    grupos = []
    for nome, membros in GRUPOS:
        gr, grb, gsi, gsb = soma([a for a in areas if a["area"] in membros])
        grupos.append({"group": nome, "areas": membros, "rows": gr, "baseline_rows": grb, "import_s": gsi,
                       "baseline_s": gsb, "ratio_pct": razao(gr, gsi, grb, gsb)})
    if rc != 0:
        avisos.append(f"WARNING: importador-cli ended with status {rc} (exceptions during the import)")
    return {"rows_per_entry_table": linhas, "companies": empresas, "company_imported": 1, "areas": areas,
            "total": total, "groups": grupos, "baseline_commit_s": commit, "import_wall_s": wall,
            "import_exit": rc, "import_peak_rss_mb": pico_kib / 1024.0, "warnings": avisos}


def _divide(a, b):
    return a / b if b else None


def crescimento(resultados):
    """time(size)/time(previous size) for consecutive sizes, import and baseline totals."""
    linhas = []
    ordenados = sorted(resultados, key=lambda r: r["rows_per_entry_table"])
    for anterior, atual in zip(ordenados, ordenados[1:]):
        linhas.append({
            "label": f"time({n(atual['rows_per_entry_table'])})/time({n(anterior['rows_per_entry_table'])})",
            "rows_factor": _divide(atual["total"]["rows"], anterior["total"]["rows"]),
            "import": _divide(atual["total"]["import_s"], anterior["total"]["import_s"]),
            "baseline": _divide(atual["total"]["baseline_s"], anterior["total"]["baseline_s"]),
        })
    return linhas


# --------------------------------------------------------------------- main

def analisa_argumentos():
    p = argparse.ArgumentParser(description="Import benchmark: importador-cli against SQLite copying the same "
                                            "rows (INSERT ... SELECT), at several sizes.")
    p.add_argument("--tamanhos", default="10000,100000,1000000",
                   help="rows in each entry table of the old database, comma-separated "
                        "(default: 10000,100000,1000000)")
    p.add_argument("--empresas", type=int, default=1,
                   help="companies in the old database; company 1 is imported (default: 1, every row)")
    p.add_argument("--pasta", type=Path, default=None,
                   help="working folder for the databases and results (default: build/bench)")
    p.add_argument("--build", type=Path, default=None,
                   help="build folder holding src/cli/importador-cli and src/amostra/importador-amostra "
                        "(default: build)")
    p.add_argument("--janela", type=int, default=100000,
                   help="size at which the import is also run through the wizard, offscreen (default: 100000; "
                        "only when it is one of --tamanhos; 0: never)")
    p.add_argument("--manter", action="store_true",
                   help="keep the destination databases and the import's output files")
    a = p.parse_args()
    try:
        a.tamanhos = [int(t.replace("_", "")) for t in a.tamanhos.split(",") if t.strip()]
    except ValueError:
        p.error(f"--tamanhos: expected whole numbers separated by commas, got {a.tamanhos!r}")
    if not a.tamanhos or any(t < 1 for t in a.tamanhos):
        p.error("--tamanhos: every size must be at least 1")
    if not 1 <= a.empresas <= 1000:
        p.error("--empresas: from 1 to 1000")
    a.pasta = (a.pasta if a.pasta else RAIZ / "build" / "bench").resolve()
    a.build = (a.build if a.build else RAIZ / "build").resolve()
    return a


def main():
    a = analisa_argumentos()
    cli = a.build / "src" / "cli" / "importador-cli"
    amostra = a.build / "src" / "amostra" / "importador-amostra"
    for programa in (cli, amostra):
        if not os.access(programa, os.X_OK):
            print(f"bench: {programa} not found; build first (bash scripts/prepara.sh, or --build FOLDER)",
                  file=sys.stderr)
            return 2
    medidor = a.build / "bench" / "janela" / "medidor-janela"
    a.pasta.mkdir(parents=True, exist_ok=True)

    print(f"Import benchmark: {cli}")
    print(f"  sizes {', '.join(n(t) for t in a.tamanhos)} rows per entry table; {a.empresas} "
          f"compan{'y' if a.empresas == 1 else 'ies'}, company 1 imported; SQLite {sqlite3.sqlite_version}; "
          f"folder {a.pasta}")
    resultados, status, janela = [], 0, None
    try:
        modelo = a.pasta / "nova-modelo.tpv"
        rc, _, _, erros = executa([str(amostra), "nova", str(modelo), "--sobrescrever"])
        if rc != 0:
            raise ErroBench(f"importador-amostra nova failed (status {rc}):\n{erros}")
        for linhas in a.tamanhos:
            print(f"\n== {n(linhas)} rows per entry table ==", flush=True)
            antiga = gera_antiga(amostra, a.pasta, linhas, a.empresas)
            destino_imp = a.pasta / f"destino-importacao-{linhas}.tpv"
            destino_base = a.pasta / f"destino-baseline-{linhas}.tpv"
            shutil.copyfile(modelo, destino_imp)
            shutil.copyfile(modelo, destino_base)
            print("  import ...", end="", flush=True)
            medidas_imp, rc, wall, pico, extras = mede_importacao(cli, antiga, destino_imp, 1, a.pasta, linhas)
            print(f" {wall:.1f} s; baseline ...", end="", flush=True)
            medidas_base, commit = mede_baseline(antiga, destino_base, 1)
            print(f" {sum(s for _, s in medidas_base.values()) + commit:.1f} s\n", flush=True)
            r = resume(linhas, a.empresas, medidas_imp, medidas_base, commit, rc, wall, pico)
            r["old_database"] = str(antiga)
            imprime_tabela(r)
            for aviso in r["warnings"]:
                print(aviso)
                status = max(status, 1)
            resultados.append(r)
            if linhas == a.janela:
                print()
                if not os.access(medidor, os.X_OK):
                    print(f"Wizard not measured: {medidor} not found (built only with the wizard).")
                else:
                    print("  wizard ...", end="", flush=True)
                    medidas_janela, extras_janela = mede_janela(medidor, amostra, antiga, modelo, a.pasta, linhas)
                    print(f" {medidas_janela['wall_s']:.1f} s\n", flush=True)
                    medidas_janela["rows"] = linhas
                    rj = imprime_janela(medidas_janela, medidas_base, commit)
                    janela = {"rows_per_entry_table": linhas, "summary": rj,
                              "click_s": medidas_janela["segundos"],
                              "worst_freeze_ms": medidas_janela["maior_congelamento_ms"],
                              "longest_freezes": medidas_janela["maiores_congelamentos"],
                              "event_loop_turns": medidas_janela["voltas_do_laco"],
                              "peak_rss_mb": medidas_janela["pico_rss_kib"] / 1024.0,
                              "errors": medidas_janela["erros"]}
                    if medidas_janela["exit"] != 0:
                        status = max(status, 1)
                    extras += extras_janela
            if not a.manter:
                # The command-line runner leaves its backup copy beside the destination.
                copias = list(a.pasta.glob(f"destino-importacao-{linhas}.antes-da-importacao-*"))
                for arquivo in [destino_imp, destino_base] + extras + copias:
                    if arquivo.is_dir() and not arquivo.is_symlink():
                        shutil.rmtree(arquivo, ignore_errors=True)
                    else:
                        arquivo.unlink(missing_ok=True)
    except (ErroBench, OSError, sqlite3.Error) as e:
        print(f"\nbench: {e}", file=sys.stderr)
        status = 2

    escala = crescimento(resultados)
    if escala:
        print("\nGrowth of the total time with size (import; baseline; rows factor):")
        for c in escala:
            f = {k: "-" if c[k] is None else f"{c[k]:.2f}" for k in ("import", "baseline", "rows_factor")}
            print(f"  {c['label']} = {f['import']}   (baseline {f['baseline']}; rows x{f['rows_factor']})")
    if janela is None:
        print(f"\nWizard figures: not measured (the wizard runs at --janela {a.janela}, which is not one of "
              f"the sizes)." if a.janela else "\nWizard figures: not measured (--janela 0).")

    if resultados:
        arquivo_json = a.pasta / "resultados.json"
        with open(arquivo_json, "w", encoding="utf-8") as f:
            json.dump({"date": datetime.datetime.now().replace(microsecond=0).isoformat(),
                       "importador_cli": str(cli), "sqlite_version": sqlite3.sqlite_version,
                       "sizes": resultados, "growth": escala, "wizard": janela},
                      f, ensure_ascii=False, indent=2)
        print(f"Results written to {arquivo_json}")
    return status


if __name__ == "__main__":
    sys.exit(main())
