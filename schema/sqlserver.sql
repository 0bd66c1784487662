-- What a SQL Server deployment provides. The member views are usually
-- defined over the association's own member tables; the columns below are
-- what the desk reads. Use a case- and accent-insensitive collation.

-- In each member database (HALDOR's and MIRVA's):
--   CREATE VIEW vwAssociados_Completos AS
--       SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id, activo FROM ...;
--   CREATE VIEW vwAssociados_Completos_Activos AS
--       SELECT no_empresa, no_socio, nome_union, empresa, email, contacto_id FROM ...
--       WHERE activo IS NULL OR activo <> 0;

-- In the delivery database, reachable unqualified from all three connections:
CREATE TABLE tbVelunas (
    socio_id   INT NOT NULL,
    base_dados INT NOT NULL,
    data       DATETIME NOT NULL,
    convite_no INT NOT NULL,
    no_tap     VARCHAR(50) NULL,
    nome       VARCHAR(200) NULL,
    empresa    VARCHAR(200) NULL,
    email      VARCHAR(200) NULL,
    CONSTRAINT uqVelunas_convite_no UNIQUE (convite_no),
    CONSTRAINT uqVelunas_socio UNIQUE (socio_id, base_dados)
);
