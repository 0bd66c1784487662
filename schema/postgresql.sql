-- Velunas on PostgreSQL: the delivery table, the extension the desk's
-- translated statements call, and example member registers with the two views
-- the search reads. Run it once in the site's database, as its owner:
--   psql -d velunas -f postgresql.sql
-- Each register lives in its own schema ("haldor", "mirva"); a connection picks
-- one with "Search Path=haldor,public" and finds the delivery table in public.

CREATE EXTENSION IF NOT EXISTS unaccent WITH SCHEMA public;

-- Name matching ignores case and accents, as a _CI_AI collation does on SQL
-- Server: the desk's translation sends "a LIKE b" as
-- "lower(unaccent(a)) LIKE (SELECT like_escape(lower(unaccent(b)), ''))".

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

CREATE OR REPLACE VIEW haldor.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio, concat_ws(' ', s.nome, s.apelidos) AS nome_union, e.empresa, s.email,
           s.contacto_id, s.activo
    FROM haldor.tbSocios s LEFT JOIN haldor.tbEmpresas e ON e.no_empresa = s.no_empresa;
CREATE OR REPLACE VIEW haldor.vwAssociados_Completos_Activos AS
    SELECT * FROM haldor.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;

CREATE OR REPLACE VIEW mirva.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio, concat_ws(' ', s.nome, s.apelidos) AS nome_union, e.empresa, s.email,
           s.contacto_id, s.activo
    FROM mirva.tbSocios s LEFT JOIN mirva.tbEmpresas e ON e.no_empresa = s.no_empresa;
CREATE OR REPLACE VIEW mirva.vwAssociados_Completos_Activos AS
    SELECT * FROM mirva.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;
