-- A member register of the embedded demo (one file per association).
-- Plain SQLite: any SQLite program can read and write it. The desk compares
-- names and numbers case- and accent-blind on its own connections, through
-- the index it keeps beside tbAssociados (ixAssociados_*_v3, see
-- schema/README.md).
CREATE TABLE tbAssociados (
    contacto_id INTEGER PRIMARY KEY,
    no_empresa  TEXT,
    no_socio    TEXT,
    nome_union  TEXT NOT NULL,
    empresa     TEXT,
    email       TEXT,
    activo      INTEGER -- 0 inactive; NULL or any other value active
);

CREATE VIEW vwAssociados_Completos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados;

CREATE VIEW vwAssociados_Completos_Activos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados
    WHERE activo IS NULL OR activo <> 0;
