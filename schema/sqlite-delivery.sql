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

-- Deliveries undone by velunas-report --undo: the original row, when it was
-- undone, by which account on which computer, and why. The undone row stays
-- in tbVelunas with its number (socio_id minus the number, base_dados 0), so
-- the number is never given again. The tool makes this table in a file made
-- before it existed.
CREATE TABLE IF NOT EXISTS tbAnulacoes (
    convite_no INTEGER NOT NULL,
    socio_id   INTEGER NOT NULL,
    base_dados INTEGER NOT NULL,
    data       DATETIME NOT NULL,
    no_tap     TEXT,
    nome       TEXT,
    empresa    TEXT,
    email      TEXT,
    anulado_em DATETIME NOT NULL, -- the database host's clock
    conta      TEXT NOT NULL,
    computador TEXT NOT NULL,
    motivo     TEXT NOT NULL,
    CONSTRAINT uqAnulacoes_convite_no UNIQUE (convite_no)
);
