-- The old edition's database ("Tarvo Pessoal" / "Tarvo Veículos"): one file,
-- a company column in every data table. Column types are those an Access
-- user had (text with a length, memo, date-time, yes/no, currency, long).
CREATE TABLE empresa (
  codigo INTEGER PRIMARY KEY,
  nome TEXT(50)
);
CREATE TABLE caixa_contas (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "descrição" TEXT(50),
  "código_conta" TEXT(20),
  dedutivel_ir BOOLEAN NOT NULL DEFAULT 0,
  conta_imposto BOOLEAN NOT NULL DEFAULT 0,
  conta_repete BOOLEAN NOT NULL DEFAULT 0,
  tipo_conta TEXT(1)
);
CREATE TABLE centros_custos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "descrição" TEXT(50)
);
CREATE TABLE contas_bancarias_historicos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "descrição" TEXT(50)
);
CREATE TABLE caixa_lancamentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  data DATETIME,
  documento TEXT(20),
  valor CURRENCY,
  "histórico" TEXT(100),
  centro_custo LONG,
  conta TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE contas_pagar (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  documento TEXT(20),
  "descrição" TEXT(100),
  data_conta DATETIME,
  data_vencimento DATETIME,
  data_pagamento DATETIME,
  valor CURRENCY,
  total CURRENCY,
  "observações" LONGTEXT,
  "previsão" BOOLEAN NOT NULL DEFAULT 0,
  centro_custo LONG,
  anexos LONGTEXT,
  "código_fornecedor" LONG,
  conta_caixa TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE contas_receber (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  documento TEXT(20),
  "descrição" TEXT(100),
  "código_cliente" LONG,
  data_conta DATETIME,
  data_vencimento DATETIME,
  data_pagamento DATETIME,
  valor CURRENCY,
  total CURRENCY,
  "observações" LONGTEXT,
  "previsão" BOOLEAN NOT NULL DEFAULT 0,
  anexos LONGTEXT,
  centro_custo LONG,
  conta_caixa TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE contas_bancarias (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "descrição" TEXT(50),
  data_abertura DATETIME,
  "código_banco" LONG,
  "agência" TEXT(10),
  conta TEXT(20)
);
CREATE TABLE contas_bancarias_lancamentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  conta_bancaria LONG,
  data DATETIME,
  "pré_datado" BOOLEAN NOT NULL DEFAULT 0,
  bom_para DATETIME,
  "histórico" TEXT(100),
  "número" TEXT(20),
  valor CURRENCY,
  "data_compensação" DATETIME,
  "observações" LONGTEXT,
  centro_custo LONG,
  baixado BOOLEAN NOT NULL DEFAULT 0,
  tipo LONG,
  conta_caixa TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE cartoes_credito (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "nome_cartão" TEXT(50),
  dia_recebimento LONG,
  "carência" LONG
);
CREATE TABLE cartoes_credito_lancamentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "código_cartão" LONG,
  data DATETIME,
  valor CURRENCY,
  "histórico" TEXT(100),
  "observações" LONGTEXT,
  baixado BOOLEAN NOT NULL DEFAULT 0,
  "data_compensação" DATETIME,
  vencimento DATETIME,
  centro_custo LONG,
  conta_caixa TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE investimentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(50)
);
CREATE TABLE investimentos_lancamentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  codigo_investimento LONG,
  data DATETIME,
  descricao TEXT(100),
  valor CURRENCY,
  tipo TEXT(1),
  conta_caixa TEXT(20),
  cancelado BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE agenda (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  "descrição" TEXT(100),
  local TEXT(50),
  cliente LONG,
  tipo TEXT(30),
  "anotação" LONGTEXT,
  status TEXT(30),
  anexos LONGTEXT,
  avisar_compromisso BOOLEAN NOT NULL DEFAULT 0,
  avisar_usuario BOOLEAN NOT NULL DEFAULT 0,
  compromisso_data DATETIME,
  compromisso_hora DATETIME,
  avisar_data DATETIME,
  avisar_hora DATETIME
);
CREATE TABLE tarefas (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(100),
  completa BOOLEAN NOT NULL DEFAULT 0,
  obs LONGTEXT,
  duracao LONG,
  concluidaem DATETIME,
  prioridade TEXT(10)
);
CREATE TABLE contatos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  nome TEXT(80),
  data_nascimento DATETIME,
  sexo TEXT(1),
  "endereço" TEXT(80),
  complemento TEXT(40),
  bairro TEXT(40),
  cidade TEXT(40),
  estado TEXT(2),
  cep TEXT(9),
  pais TEXT(30),
  caixa_postal TEXT(20),
  obs LONGTEXT,
  e_mail TEXT(80),
  home_page TEXT(80),
  documento TEXT(20),
  confidencial BOOLEAN NOT NULL DEFAULT 0,
  anexos LONGTEXT,
  empresa_empr TEXT(80),
  departamento_empr TEXT(40),
  endereco_empr TEXT(80),
  bairro_empr TEXT(40),
  cidade_empr TEXT(40),
  estado_empr TEXT(2),
  cep_empr TEXT(9),
  pais_empr TEXT(30),
  caixa_postal_empr TEXT(20),
  e_mail_empr TEXT(80),
  home_page_empr TEXT(80),
  complemento_empr TEXT(40),
  conjuge TEXT(80),
  nasc_conj DATETIME,
  cas_conj DATETIME,
  nome_pai TEXT(80),
  nome_mae TEXT(80),
  obs_filhos LONGTEXT
);
CREATE TABLE telefones_contatos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  contato LONG,
  tipo TEXT(20),
  ddd TEXT(4),
  numero TEXT(20),
  obs TEXT(100)
);
CREATE TABLE patrimonios (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(100),
  data DATETIME,
  nro_patrimonio TEXT(20),
  estado TEXT(30),
  valor CURRENCY,
  situacao TEXT(30)
);
CREATE TABLE montadoras (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(50),
  tipo TEXT(20)
);
CREATE TABLE modelos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(50),
  cod_montadora LONG,
  tipo TEXT(20),
  cilindradas LONG,
  nro_cilindros LONG,
  potencia TEXT(20)
);
CREATE TABLE combustiveis (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(50),
  distribuidora TEXT(50)
);
CREATE TABLE veiculos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  montadora LONG,
  modelo LONG,
  placa TEXT(8),
  cor TEXT(20),
  ano_fabricacao LONG,
  ano_modelo LONG,
  odometro LONG,
  obs LONGTEXT,
  renavam TEXT(20),
  chassis TEXT(30),
  nro_motor TEXT(30),
  potencia TEXT(20),
  cilindradas LONG,
  nro_cilindros LONG,
  combustivel TEXT(30),
  nro_portas LONG,
  data_compra DATETIME,
  comprado_de LONG,
  valor_pago CURRENCY,
  tipo_pgto TEXT(30),
  odometro_compra LONG,
  garantia_ate DATETIME,
  obs_compra LONGTEXT,
  seguradora LONG,
  seguro_valido_ate DATETIME,
  seguro_cobertura TEXT(50),
  seguro_valor CURRENCY,
  ar_condicionado BOOLEAN NOT NULL DEFAULT 0,
  freios_abs BOOLEAN NOT NULL DEFAULT 0,
  direcao_hidraulica BOOLEAN NOT NULL DEFAULT 0,
  cambio_automatico BOOLEAN NOT NULL DEFAULT 0,
  anexos LONGTEXT,
  data_venda DATETIME,
  vendido_para LONG,
  valor_recebido CURRENCY,
  tipo_recebimento TEXT(30),
  odomentro_venda LONG,
  vendido_por LONG,
  obs_venda LONGTEXT,
  extras LONGTEXT,
  blindado BOOLEAN NOT NULL DEFAULT 0,
  tipo_cambio TEXT(20),
  seguro_avisar_dias LONG,
  obs_seguro LONGTEXT,
  descricao_modelo TEXT(50),
  seguro_avisar_vcto BOOLEAN NOT NULL DEFAULT 0,
  inativo BOOLEAN NOT NULL DEFAULT 0,
  ipva_vcto DATETIME,
  ipva_valor CURRENCY,
  ipva_data_pgto DATETIME,
  ipva_tipo_pgto TEXT(30),
  ipva_avisar_vcto BOOLEAN NOT NULL DEFAULT 0,
  ipva_avisar_dias LONG,
  lice_vcto DATETIME,
  lice_valor CURRENCY,
  lice_data_pgto DATETIME,
  lice_tipo_pgto TEXT(30),
  lice_avisar_vcto BOOLEAN NOT NULL DEFAULT 0,
  lice_avisar_dias LONG,
  zerokm BOOLEAN NOT NULL DEFAULT 0
);
CREATE TABLE manutencoes (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  descricao TEXT(100),
  cada_km LONG,
  cada_meses LONG,
  ultima_manutencao_data DATETIME,
  ultima_manutencao_km LONG,
  avisar_dias LONG,
  avisar_km LONG,
  centro_custo LONG,
  conta_caixa LONG,
  veiculo LONG
);
CREATE TABLE lancamentos (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  km LONG,
  tanque_cheio BOOLEAN NOT NULL DEFAULT 0,
  valor CURRENCY,
  categoria LONG,
  local TEXT(50),
  codigo_combustivel LONG,
  conta_caixa LONG,
  centro_custo LONG,
  data DATETIME,
  veiculo LONG,
  qtde DOUBLE,
  descricao TEXT(100),
  tipo_lcto TEXT(1)
);
CREATE TABLE viagens (
  codigo INTEGER PRIMARY KEY,
  empresa LONG NOT NULL,
  saida DATETIME,
  chegada DATETIME,
  km_saida LONG,
  km_chegada LONG,
  qtde_combustivel DOUBLE,
  destino TEXT(50),
  obs LONGTEXT,
  origem TEXT(50),
  descricao TEXT(100),
  anexos LONGTEXT,
  veiculo LONG,
  categoria TEXT(30)
);
