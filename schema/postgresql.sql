-- Velunas on PostgreSQL: the delivery table, the functions the desk's
-- translated statements call, and example member registers with the two views
-- the search reads. Run it once in the site's database, as its owner:
--   psql -d velunas -f postgresql.sql
-- Each register lives in its own schema ("haldor", "mirva"); a connection picks
-- one with "Search Path=haldor,public" and finds the delivery table in public.

CREATE EXTENSION IF NOT EXISTS unaccent WITH SCHEMA public;

-- Name matching ignores case and accents, as a _CI_AI collation does on SQL
-- Server: both sides are folded before they are compared.
CREATE OR REPLACE FUNCTION public.velunas_fold(value text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT lower(public.unaccent('public.unaccent'::regdictionary, value)) $$;

-- SQL Server's LIKE pattern ("%", "_", "[abc]", "[a-f]", "[^x]") as an anchored
-- regular expression; every other character stands for itself.
CREATE OR REPLACE FUNCTION public.velunas_like_regex(pattern text) RETURNS text
    LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE
AS $$
DECLARE
    result text := '^';
    position integer := 1;
    total integer := length(pattern);
    c text;
    closing integer;
    body text;
BEGIN
    WHILE position <= total LOOP
        c := substr(pattern, position, 1);
        IF c = '%' THEN
            result := result || '.*';
        ELSIF c = '_' THEN
            result := result || '.';
        ELSIF c = '[' THEN
            closing := strpos(substr(pattern, position + 1), ']');
            IF closing <= 1 THEN
                result := result || '\[';     -- no class follows: a plain bracket
            ELSE
                body := substr(pattern, position + 1, closing - 1);
                result := result || '[' || replace(body, '\', '\\') || ']';
                position := position + closing;
            END IF;
        ELSIF c ~ '[.^$*+?(){}|\\\]]' THEN
            result := result || '\' || c;
        ELSE
            result := result || c;
        END IF;
        position := position + 1;
    END LOOP;
    RETURN result || '$';
END
$$;

-- The desk's "a LIKE b", as the translation writes it.
CREATE OR REPLACE FUNCTION public.velunas_like(value text, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT public.velunas_fold(value) ~ public.velunas_like_regex(public.velunas_fold(pattern)) $$;

-- One row per delivered invitation; one sequence of numbers for both registers.
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
