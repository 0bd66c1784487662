-- The delivery table of the embedded demo, kept in HALDOR's file; MIRVA's
-- connection attaches that file, so all three connections read one table.
CREATE TABLE tbVelunas (
    socio_id   INTEGER NOT NULL,
    base_dados INTEGER NOT NULL,
    data       DATETIME NOT NULL, -- text 'yyyy-mm-dd hh:mm:ss', the database host's clock
    convite_no INTEGER NOT NULL,
    no_tap     TEXT,
    nome       TEXT,
    empresa    TEXT,
    email      TEXT,
    CONSTRAINT uqVelunas_convite_no UNIQUE (convite_no),
    CONSTRAINT uqVelunas_socio UNIQUE (socio_id, base_dados)
);
