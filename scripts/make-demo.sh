#!/usr/bin/env bash
# Fills a new demo archive: a few Arabic classifications, the user MASTER (password 1) and a
# clerk (password 2) who may see some of them.
#   make-demo.sh BIN_DIR HOME
set -euo pipefail
bin=${1:?bin folder}
home=${2:?demo folder}
admin() { "$bin/dovrelle-admin" "$@" --home "$home" >/dev/null; }

"$bin/dovrelle-admin" init --home "$home"
admin class add 1 "المراسلات الواردة"
admin class add 11 "كتب رسمية" --parent 1
admin class add 12 "فواتير" --parent 1
admin class add 2 "المراسلات الصادرة"
admin class add 21 "تعاميم" --parent 2
admin class add 3 "شؤون الموظفين"
admin class add 31 "عقود العمل" --parent 3
admin class add 32 "الاجازات" --parent 3
admin user add CLERK --password 2 --classes 1,11,12,2,21
admin user add ARCHIVIST --password 3 --all-rights --classes 1,11,12,2,21,3,31,32
echo "demo archive ready in $home (users MASTER / 1, CLERK / 2, ARCHIVIST / 3)"
