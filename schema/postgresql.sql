-- Velunas on PostgreSQL: the delivery table, the folding and the index the desk's
-- translated statements use, and example member registers with the two views
-- the search reads. Run it once in the site's database, as its owner:
--   psql -d velunas -f postgresql.sql
-- Each register lives in its own schema ("haldor", "mirva"); a connection picks
-- one with "Search Path=haldor,public" and finds the delivery table in public.

CREATE EXTENSION IF NOT EXISTS pg_trgm WITH SCHEMA public;

-- Name matching ignores case and accents by one folding, the same the embedded
-- engine applies (platform/db/sql/TextFolding.h): compatibility decomposition,
-- combining marks dropped, letters without a decomposition and typographic
-- punctuation written plain, case folded. The desk's translation sends
-- "a LIKE 'b'" as "velunas_fold(a) LIKE 'b, folded'" (SIMILAR TO when the
-- pattern holds a [set]). IMMUTABLE so that an index can hold it; the
-- database's encoding must be UTF8.
CREATE OR REPLACE FUNCTION public.velunas_fold(t text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN lower(replace(replace(replace(replace(replace(replace(replace(replace(translate(
        regexp_replace(normalize(t, NFKD), '[\u0300-\u036F\u1AB0-\u1AFF\u1DC0-\u1DFF\u20D0-\u20FF\uFE20-\uFE2F]+',
                       '', 'g'),
        'łŁøØđĐðÐħĦıŧŦŋŊ‘’‛ʼʻ′‐‑‒–—―−“”‟„ς',
        'llooddddhhittnn''''''''''''-------""""σ'),
        'ß', 'ss'), 'ẞ', 'ss'), 'æ', 'ae'), 'Æ', 'ae'), 'œ', 'oe'), 'Œ', 'oe'), 'þ', 'th'), 'Þ', 'th'));

-- A member's whole name as the views show it, concat_ws(' ', nome, apelidos),
-- written with immutable parts so that the name index can be built on it.
CREATE OR REPLACE FUNCTION public.velunas_nome_union(nome text, apelidos text) RETURNS text
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN CASE WHEN nome IS NULL THEN coalesce(apelidos, '') WHEN apelidos IS NULL THEN nome
                ELSE nome || ' ' || apelidos END;

CREATE TABLE IF NOT EXISTS public.tbVelunas (
    socio_id   integer      NOT NULL,
    base_dados integer      NOT NULL,
    data       timestamp(3) NOT NULL,
    convite_no integer      NOT NULL,
    no_tap     text,
    nome       text,
    empresa    text,
    email      text,
    CONSTRAINT uq_tbvelunas_convite_no UNIQUE (convite_no),
    CONSTRAINT uq_tbvelunas_socio UNIQUE (socio_id, base_dados)
);

-- Deliveries undone by velunas-report --undo: the original row, when, by which
-- account on which computer, and why. The undone row stays in tbVelunas with
-- its number (socio_id minus the number, base_dados 0), so the number is never
-- given again.
CREATE TABLE IF NOT EXISTS public.tbAnulacoes (
    convite_no integer      NOT NULL,
    socio_id   integer      NOT NULL,
    base_dados integer      NOT NULL,
    data       timestamp(3) NOT NULL,
    no_tap     text,
    nome       text,
    empresa    text,
    email      text,
    anulado_em timestamp(3) NOT NULL,
    conta      text         NOT NULL,
    computador text         NOT NULL,
    motivo     text         NOT NULL,
    CONSTRAINT uq_tbanulacoes_convite_no UNIQUE (convite_no)
);

-- Example registers: a site maps the views onto its own member tables.
CREATE SCHEMA IF NOT EXISTS haldor;
CREATE SCHEMA IF NOT EXISTS mirva;

CREATE TABLE IF NOT EXISTS haldor.tbEmpresas (
    no_empresa text PRIMARY KEY,
    empresa    text NOT NULL
);
CREATE TABLE IF NOT EXISTS haldor.tbSocios (
    contacto_id integer PRIMARY KEY,
    no_empresa  text REFERENCES haldor.tbEmpresas (no_empresa),
    no_socio    text,
    nome        text,
    apelidos    text,
    email       text,
    activo      integer      -- 0 inactive; NULL or other values active
);
CREATE TABLE IF NOT EXISTS mirva.tbEmpresas (LIKE haldor.tbEmpresas INCLUDING ALL);
CREATE TABLE IF NOT EXISTS mirva.tbSocios (LIKE haldor.tbSocios INCLUDING ALL);
-- The number searches, A2 and B2 on the member number and A1 through the join
-- on the company number, each find their rows through an index.
CREATE INDEX IF NOT EXISTS ix_tbsocios_no_socio ON haldor.tbSocios (no_socio);
CREATE INDEX IF NOT EXISTS ix_tbsocios_no_empresa ON haldor.tbSocios (no_empresa);
CREATE INDEX IF NOT EXISTS ix_tbsocios_no_socio ON mirva.tbSocios (no_socio);
CREATE INDEX IF NOT EXISTS ix_tbsocios_no_empresa ON mirva.tbSocios (no_empresa);
-- The name search reaches these trigram indexes on the folded name through the views below.
CREATE INDEX IF NOT EXISTS ix_tbsocios_nome_trgm ON haldor.tbSocios
    USING gin (public.velunas_fold(public.velunas_nome_union(nome, apelidos)) public.gin_trgm_ops);
CREATE INDEX IF NOT EXISTS ix_tbsocios_nome_trgm ON mirva.tbSocios
    USING gin (public.velunas_fold(public.velunas_nome_union(nome, apelidos)) public.gin_trgm_ops);

CREATE OR REPLACE VIEW haldor.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio, public.velunas_nome_union(s.nome, s.apelidos) AS nome_union, e.empresa, s.email,
           s.contacto_id, s.activo
    FROM haldor.tbSocios s LEFT JOIN haldor.tbEmpresas e ON e.no_empresa = s.no_empresa;
CREATE OR REPLACE VIEW haldor.vwAssociados_Completos_Activos AS
    SELECT * FROM haldor.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;

CREATE OR REPLACE VIEW mirva.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio, public.velunas_nome_union(s.nome, s.apelidos) AS nome_union, e.empresa, s.email,
           s.contacto_id, s.activo
    FROM mirva.tbSocios s LEFT JOIN mirva.tbEmpresas e ON e.no_empresa = s.no_empresa;
CREATE OR REPLACE VIEW mirva.vwAssociados_Completos_Activos AS
    SELECT * FROM mirva.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;
