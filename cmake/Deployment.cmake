# Deployment content fixed when the program is built.
set(VELUNAS_EVENT_TITLE "Gala Anual das Associações 2027" CACHE STRING "Title of the event shown in the banner")
set(VELUNAS_HALDOR_NAME "Associação Humanitária de Lojistas do Douro e Região" CACHE STRING "Full name of association HALDOR")
set(VELUNAS_MIRVA_NAME "Mútua Industrial da Região do Vale do Ave" CACHE STRING "Full name of association MIRVA")

set(VELUNAS_DEMO_DIR "${PROJECT_BINARY_DIR}/demo" CACHE PATH "Folder of the embedded demo databases")
set(VELUNAS_CONNECTION_SQLSERVER "Provider=SQLite;Data Source=${VELUNAS_DEMO_DIR}/haldor.db" CACHE STRING
    "Connection string of the delivery database (empty: assemble from the settings store)")
set(VELUNAS_CONNECTION_HALDOR "Provider=SQLite;Data Source=${VELUNAS_DEMO_DIR}/haldor.db" CACHE STRING
    "Connection string of the HALDOR member database (empty: assemble from the settings store)")
set(VELUNAS_CONNECTION_MIRVA "Provider=SQLite;Data Source=${VELUNAS_DEMO_DIR}/mirva.db;Attach=${VELUNAS_DEMO_DIR}/haldor.db" CACHE STRING
    "Connection string of the MIRVA member database (empty: assemble from the settings store)")

configure_file(${PROJECT_SOURCE_DIR}/cmake/Deployment.h.in ${PROJECT_BINARY_DIR}/generated/Deployment.h @ONLY)
