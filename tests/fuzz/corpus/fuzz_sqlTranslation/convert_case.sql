SELECT CONVERT(DATETIME,'2014-05-31 14:05:09',102), CASE WHEN a > 1 THEN 'x' ELSE N'y' END /* nota */ -- fim
 FROM t WHERE [col]]x] = "q" * 2.5e-3