-- The users database of the new edition (Dados/Usuarios.zqd beside the
-- program): one row per user, `path` the full path of the user's database.
CREATE TABLE usuarios (
  id INTEGER PRIMARY KEY,
  nome VARCHAR(50),
  path VARCHAR(255)
);
