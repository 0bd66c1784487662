-- Velunas on SQL Server: the delivery table and example member registers with
-- the two views the search reads. Run with sqlcmd, naming the two databases:
--   sqlcmd -S host\instance -U sa -i sqlserver.sql -v HALDOR_DB=Velunas_HALDOR MIRVA_DB=Velunas_MIRVA
-- HALDOR's database also holds the delivery table (the "SqlServer" and "HALDOR"
-- connections name it); MIRVA's reaches that table through a synonym, so the
-- earlier-delivery check through the MIRVA connection sees every delivery.
-- Names are matched ignoring case and accents by the Latin1_General_CI_AI
-- collation of the text columns.

IF DB_ID(N'$(HALDOR_DB)') IS NULL
    EXEC (N'CREATE DATABASE [$(HALDOR_DB)] COLLATE Latin1_General_CI_AI');
GO
IF DB_ID(N'$(MIRVA_DB)') IS NULL
    EXEC (N'CREATE DATABASE [$(MIRVA_DB)] COLLATE Latin1_General_CI_AI');
GO

USE [$(HALDOR_DB)];
GO
-- One row per delivered invitation; one sequence of numbers for both registers.
IF OBJECT_ID(N'dbo.tbVelunas', N'U') IS NULL
CREATE TABLE dbo.tbVelunas (
    socio_id   int           NOT NULL,
    base_dados int           NOT NULL,
    data       datetime      NOT NULL,
    convite_no int           NOT NULL,
    no_tap     nvarchar(50)  COLLATE Latin1_General_CI_AI NULL,
    nome       nvarchar(200) COLLATE Latin1_General_CI_AI NULL,
    empresa    nvarchar(200) COLLATE Latin1_General_CI_AI NULL,
    email      nvarchar(200) COLLATE Latin1_General_CI_AI NULL,
    CONSTRAINT UQ_tbVelunas_convite_no UNIQUE (convite_no),
    CONSTRAINT UQ_tbVelunas_socio UNIQUE (socio_id, base_dados)
);
GO
-- Deliveries undone by velunas-report --undo: the original row, when, by which
-- account on which computer, and why. The undone row stays in tbVelunas with
-- its number (socio_id minus the number, base_dados 0), so the number is never
-- given again. Added to a database made by an earlier version of this script.
IF OBJECT_ID(N'dbo.tbAnulacoes', N'U') IS NULL
CREATE TABLE dbo.tbAnulacoes (
    convite_no int            NOT NULL,
    socio_id   int            NOT NULL,
    base_dados int            NOT NULL,
    data       datetime       NOT NULL,
    no_tap     nvarchar(50)   COLLATE Latin1_General_CI_AI NULL,
    nome       nvarchar(200)  COLLATE Latin1_General_CI_AI NULL,
    empresa    nvarchar(200)  COLLATE Latin1_General_CI_AI NULL,
    email      nvarchar(200)  COLLATE Latin1_General_CI_AI NULL,
    anulado_em datetime       NOT NULL,
    conta      nvarchar(256)  COLLATE Latin1_General_CI_AI NOT NULL,
    computador nvarchar(256)  COLLATE Latin1_General_CI_AI NOT NULL,
    motivo     nvarchar(1000) COLLATE Latin1_General_CI_AI NOT NULL,
    CONSTRAINT UQ_tbAnulacoes_convite_no UNIQUE (convite_no)
);
GO
-- Example register: a site maps the views onto its own member tables.
IF OBJECT_ID(N'dbo.tbEmpresas', N'U') IS NULL
CREATE TABLE dbo.tbEmpresas (
    no_empresa nvarchar(20)  COLLATE Latin1_General_CI_AI NOT NULL PRIMARY KEY,
    empresa    nvarchar(200) COLLATE Latin1_General_CI_AI NOT NULL
);
GO
IF OBJECT_ID(N'dbo.tbSocios', N'U') IS NULL
CREATE TABLE dbo.tbSocios (
    contacto_id int           NOT NULL PRIMARY KEY,
    no_empresa  nvarchar(20)  COLLATE Latin1_General_CI_AI NULL REFERENCES dbo.tbEmpresas (no_empresa),
    no_socio    nvarchar(20)  COLLATE Latin1_General_CI_AI NULL,
    nome        nvarchar(100) COLLATE Latin1_General_CI_AI NULL,
    apelidos    nvarchar(100) COLLATE Latin1_General_CI_AI NULL,
    email       nvarchar(200) COLLATE Latin1_General_CI_AI NULL,
    activo      int           NULL -- 0 inactive; NULL or other values active
);
GO
CREATE OR ALTER VIEW dbo.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio,
           LTRIM(RTRIM(ISNULL(s.nome, N'') + N' ' + ISNULL(s.apelidos, N''))) COLLATE Latin1_General_CI_AI AS nome_union,
           e.empresa, s.email, s.contacto_id, s.activo
    FROM dbo.tbSocios s LEFT JOIN dbo.tbEmpresas e ON e.no_empresa = s.no_empresa;
GO
CREATE OR ALTER VIEW dbo.vwAssociados_Completos_Activos AS
    SELECT * FROM dbo.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;
GO

USE [$(MIRVA_DB)];
GO
IF OBJECT_ID(N'dbo.tbEmpresas', N'U') IS NULL
CREATE TABLE dbo.tbEmpresas (
    no_empresa nvarchar(20)  COLLATE Latin1_General_CI_AI NOT NULL PRIMARY KEY,
    empresa    nvarchar(200) COLLATE Latin1_General_CI_AI NOT NULL
);
GO
IF OBJECT_ID(N'dbo.tbSocios', N'U') IS NULL
CREATE TABLE dbo.tbSocios (
    contacto_id int           NOT NULL PRIMARY KEY,
    no_empresa  nvarchar(20)  COLLATE Latin1_General_CI_AI NULL REFERENCES dbo.tbEmpresas (no_empresa),
    no_socio    nvarchar(20)  COLLATE Latin1_General_CI_AI NULL,
    nome        nvarchar(100) COLLATE Latin1_General_CI_AI NULL,
    apelidos    nvarchar(100) COLLATE Latin1_General_CI_AI NULL,
    email       nvarchar(200) COLLATE Latin1_General_CI_AI NULL,
    activo      int           NULL
);
GO
CREATE OR ALTER VIEW dbo.vwAssociados_Completos AS
    SELECT e.no_empresa, s.no_socio,
           LTRIM(RTRIM(ISNULL(s.nome, N'') + N' ' + ISNULL(s.apelidos, N''))) COLLATE Latin1_General_CI_AI AS nome_union,
           e.empresa, s.email, s.contacto_id, s.activo
    FROM dbo.tbSocios s LEFT JOIN dbo.tbEmpresas e ON e.no_empresa = s.no_empresa;
GO
CREATE OR ALTER VIEW dbo.vwAssociados_Completos_Activos AS
    SELECT * FROM dbo.vwAssociados_Completos WHERE activo IS NULL OR activo <> 0;
GO
-- The delivery table of HALDOR's database, under the name the desk's statements use.
IF OBJECT_ID(N'dbo.tbVelunas', N'SN') IS NULL
    CREATE SYNONYM dbo.tbVelunas FOR [$(HALDOR_DB)].dbo.tbVelunas;
GO
