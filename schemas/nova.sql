-- A user's database of the new edition ("Tarvo Pessoal + Veículos").
-- Rows carry area 1; ids are the keys, so a duplicate id is refused on save.
-- sys_codigos keeps, per table, the last id handed out.
CREATE TABLE cfg_global (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  senha VARCHAR(100)
);
CREATE TABLE sys_codigos (
  id INTEGER,
  tabela VARCHAR(50),
  area INTEGER
);
CREATE TABLE plano_contas (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50),
  codigo_conta VARCHAR(20),
  dedutivel_ir BOOLEAN,
  imposto BOOLEAN,
  repete_mes BOOLEAN,
  tipo_conta VARCHAR(1)
);
CREATE TABLE centros_custos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50)
);
CREATE TABLE historicos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50)
);
CREATE TABLE fontes (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50),
  tipo VARCHAR(2),
  tipo_saldo INTEGER,
  saldo CURRENCY,
  visualizar BOOLEAN,
  data DATETIME,
  id_banco INTEGER,
  agencia VARCHAR(10),
  conta VARCHAR(20),
  dia_vcto INTEGER,
  dias_carencia INTEGER
);
CREATE TABLE lctos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  id_fonte INTEGER,
  tipo VARCHAR(1),
  data DATETIME,
  data_vencimento DATETIME,
  data_quitado DATETIME,
  data_baixa DATETIME,
  descricao VARCHAR(100),
  documento VARCHAR(20),
  valor CURRENCY,
  total CURRENCY,
  quitado BOOLEAN,
  obs LONGTEXT,
  id_centrocusto INTEGER,
  id_contacaixa INTEGER,
  id_contato INTEGER,
  banco_pre_datado BOOLEAN,
  crediario_previsao BOOLEAN,
  anexos LONGTEXT
);
CREATE INDEX lctos_fonte ON lctos (id_fonte);
CREATE TABLE agenda (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(100),
  localizacao VARCHAR(50),
  id_contato INTEGER,
  tipo VARCHAR(30),
  obs LONGTEXT,
  situacao VARCHAR(30),
  anexos LONGTEXT,
  avisar BOOLEAN,
  avisar_usuario BOOLEAN,
  mostrar_como INTEGER,
  data_inicial DATETIME,
  data_final DATETIME,
  opcoes INTEGER,
  avisar_em DATETIME
);
CREATE TABLE tarefas (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(100),
  concluida BOOLEAN,
  obs LONGTEXT,
  duracao INTEGER,
  concluida_em DATETIME,
  prioridade VARCHAR(1)
);
CREATE TABLE contatos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  nome VARCHAR(80),
  data_nascimento DATETIME,
  sexo VARCHAR(1),
  endereco VARCHAR(80),
  complemento VARCHAR(40),
  bairro VARCHAR(40),
  cidade VARCHAR(40),
  uf VARCHAR(2),
  cep VARCHAR(9),
  pais VARCHAR(30),
  caixa_postal VARCHAR(20),
  obs LONGTEXT,
  email VARCHAR(80),
  home_page VARCHAR(80),
  documento VARCHAR(20),
  confidencial BOOLEAN,
  anexos LONGTEXT,
  e_empresa VARCHAR(80),
  e_departamento VARCHAR(40),
  e_endereco VARCHAR(80),
  e_bairro VARCHAR(40),
  e_cidade VARCHAR(40),
  e_uf VARCHAR(2),
  e_cep VARCHAR(9),
  e_pais VARCHAR(30),
  e_caixa_postal VARCHAR(20),
  e_email VARCHAR(80),
  e_home_page VARCHAR(80),
  e_complemento VARCHAR(40),
  c_conjuge VARCHAR(80),
  c_data_nascimento DATETIME,
  c_data_casamento DATETIME,
  c_pai VARCHAR(80),
  c_mae VARCHAR(80),
  c_obs LONGTEXT
);
CREATE TABLE contatos_fones (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  area INTEGER,
  id_contato INTEGER,
  tipo VARCHAR(20),
  ddd VARCHAR(4),
  fone VARCHAR(20),
  obs VARCHAR(100)
);
CREATE TABLE patrimonios (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(100),
  data DATETIME,
  nro_patrimonio VARCHAR(20),
  estado VARCHAR(30),
  valor CURRENCY,
  situacao VARCHAR(30)
);
CREATE TABLE montadoras (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50),
  tipo VARCHAR(20)
);
CREATE TABLE modelos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50),
  id_montadora INTEGER,
  tipo VARCHAR(20),
  cilindradas INTEGER,
  nro_cilindradas INTEGER,
  potencia VARCHAR(20)
);
CREATE TABLE combustiveis (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(50),
  distribuidora VARCHAR(50)
);
CREATE TABLE veiculos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  id_montadora INTEGER,
  id_modelo INTEGER,
  placa VARCHAR(8),
  cor VARCHAR(20),
  ano_fabricacao INTEGER,
  ano_modelo INTEGER,
  odometro INTEGER,
  obs LONGTEXT,
  renavam VARCHAR(20),
  chassis VARCHAR(30),
  nro_motor VARCHAR(30),
  potencia VARCHAR(20),
  cilindradas INTEGER,
  nro_cilindros INTEGER,
  combustivel VARCHAR(30),
  nro_portas INTEGER,
  data_compra DATETIME,
  id_vendedor INTEGER,
  valor_pago CURRENCY,
  tipo_pgto VARCHAR(30),
  odometro_compra INTEGER,
  garantia_ate DATETIME,
  obs_compra LONGTEXT,
  id_seguradora INTEGER,
  seguro_valido_ate DATETIME,
  seguro_cobertura VARCHAR(50),
  seguro_valor CURRENCY,
  ar_condicionado BOOLEAN,
  freios_abs BOOLEAN,
  direcao_hidraulica BOOLEAN,
  cambio_automatico BOOLEAN,
  anexos LONGTEXT,
  data_venda DATETIME,
  id_comprador INTEGER,
  valor_recebido CURRENCY,
  tipo_recebimento VARCHAR(30),
  odometro_venda INTEGER,
  id_vendido_por INTEGER,
  obs_venda LONGTEXT,
  extras LONGTEXT,
  blindado BOOLEAN,
  tipo_cambio VARCHAR(20),
  seguro_avisar_dias INTEGER,
  obs_seguro LONGTEXT,
  descricao_modelo VARCHAR(50),
  seguro_avisar_vcto BOOLEAN,
  inativo BOOLEAN,
  ipva_vcto DATETIME,
  ipva_valor CURRENCY,
  ipva_data_pgto DATETIME,
  ipva_tipo_pgto VARCHAR(30),
  ipva_avisar_vcto BOOLEAN,
  ipva_avisar_dias INTEGER,
  lice_vcto DATETIME,
  lice_valor CURRENCY,
  lice_data_pgto DATETIME,
  lice_tipo_pgto VARCHAR(30),
  lice_avisar_vcto BOOLEAN,
  lice_avisar_dias INTEGER,
  zero_km BOOLEAN
);
CREATE TABLE manutencoes (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  descricao VARCHAR(100),
  cada_km INTEGER,
  cada_meses INTEGER,
  ultima_manutencao_data DATETIME,
  ultima_manutencao_km INTEGER,
  avisar_dias INTEGER,
  avisar_km INTEGER,
  id_centrocusto INTEGER,
  id_contacaixa INTEGER,
  id_veiculo INTEGER
);
CREATE TABLE veiculos_lctos (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  km INTEGER,
  tanque_cheio BOOLEAN,
  valor CURRENCY,
  id_manutencao INTEGER,
  local VARCHAR(50),
  id_combustivel INTEGER,
  id_contacaixa INTEGER,
  id_centrocusto INTEGER,
  data DATETIME,
  id_veiculo INTEGER,
  qtde_combustivel DOUBLE,
  descricao VARCHAR(100),
  tipo_lcto VARCHAR(1)
);
CREATE TABLE viagens (
  id INTEGER PRIMARY KEY,
  area INTEGER,
  saida DATETIME,
  chegada DATETIME,
  km_saida INTEGER,
  km_chegada INTEGER,
  qtde_combustivel DOUBLE,
  destino VARCHAR(50),
  obs LONGTEXT,
  origem VARCHAR(50),
  descricao VARCHAR(100),
  anexos LONGTEXT,
  id_veiculo INTEGER,
  categoria VARCHAR(30)
);
