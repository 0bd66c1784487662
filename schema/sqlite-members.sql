-- A member register of the embedded demo (one file per association).
-- Text columns compare with CI_AI, the collation the desk's SQLite provider
-- installs: "=" and ORDER BY ignore case, accents and trailing blanks.
CREATE TABLE tbAssociados (
    contacto_id INTEGER PRIMARY KEY,
    no_empresa  TEXT COLLATE CI_AI,
    no_socio    TEXT COLLATE CI_AI,
    nome_union  TEXT COLLATE CI_AI NOT NULL,
    empresa     TEXT COLLATE CI_AI,
    email       TEXT COLLATE CI_AI,
    activo      INTEGER -- 0 inactive; NULL or any other value active
);
CREATE INDEX ixAssociados_no_empresa ON tbAssociados (no_empresa);
CREATE INDEX ixAssociados_no_socio ON tbAssociados (no_socio);

CREATE VIEW vwAssociados_Completos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados;

CREATE VIEW vwAssociados_Completos_Activos AS
    SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo
    FROM tbAssociados
    WHERE activo IS NULL OR activo <> 0;
