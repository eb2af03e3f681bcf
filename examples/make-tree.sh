#!/usr/bin/env bash
# Creates the small tree the example configuration works on, under $1.
set -euo pipefail
cd "$1"
mkdir -p datos/informes datos/fotos copia
put() { printf '%s\n' "$1" > "$2"; touch -d "$3" "$2"; }
put "Lista de tareas" datos/tareas.txt "2024-03-01 09:00:00"
put "Notas de la reunión" datos/notas.doc "2024-03-02 10:30:00"
put "No se copia: no es txt ni doc" datos/programa.exe "2024-03-02 10:30:00"
put "Informe anual" datos/informes/anual.doc "2024-02-10 12:00:00"
put "Informe mensual" datos/informes/marzo.txt "2024-03-05 18:45:00"
put "(una foto)" datos/fotos/playa.jpg "2023-08-15 17:20:00"
put "Ya estaba, más nuevo" copia/tareas.txt "2024-04-01 08:00:00"
put "Notas de la reunión" copia/notas.doc "2024-03-02 10:30:00"  # the same file
