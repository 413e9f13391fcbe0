#!/usr/bin/env bash
# Fills a new demo archive: a few Arabic classifications, the user MASTER (password 1) and a
# clerk (password 2) who may see some of them.
#   make-demo.sh BIN_DIR HOME
set -euo pipefail
bin=${1:?bin folder}
home=${2:?demo folder}
admin() { "$bin/dovrelle-admin" "$@" --home "$home" >/dev/null; }

# The archive starts before its first card, so that a search from the start date finds them all.
"$bin/dovrelle-admin" init --home "$home" --start-date 2026-01-01 --master-password "demo-$$-$RANDOM" >/dev/null
# A new archive never gives MASTER the digit the login form offers; the demo does so on purpose,
# so that its documented passwords open it.
admin user set MASTER --password 1
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

# A few cards, with generated scanned pages, a PDF, a folder and typed texts.
src=$(mktemp -d)
trap 'rm -rf "$src"' EXIT
page() { # name colour label
  convert -size 1240x1754 "gradient:white-$2" -fill '#203040' -draw 'rectangle 120,160 1120,230' \
    -draw 'rectangle 120,320 980,350' -draw 'rectangle 120,400 1040,430' -draw 'rectangle 120,480 900,510' \
    -pointsize 72 -annotate +140+1500 "$3" -quality 80 "$src/$1"
}
page letter-1.jpg lightblue "No. 1/2026"
page letter-2.jpg lightyellow "No. 2/2026"
page invoice.png honeydew "INV-2031"
page contract.tif mistyrose "Contract 7"
printf '%%PDF-1.4\n%% Dovrelle demo\n1 0 obj << /Type /Catalog >> endobj\ntrailer << /Root 1 0 R >>\n%%%%EOF\n' > "$src/report.pdf"
mkdir -p "$src/meeting-2026"
printf 'محضر اجتماع مجلس الادارة\n' > "$src/meeting-2026/minutes.txt"
printf 'قائمة الحضور\n' > "$src/meeting-2026/attendance.txt"

card() { "$bin/dovrelle-admin" archive --home "$home" --user ARCHIVIST --wait "$@" >/dev/null; }
card --class 1,11 --name "كتاب وارد من وزارة المالية" --editor "مدير المكتب" --date 2026-01-12 \
  --notes "يرد عليه خلال اسبوع" \
  --file "$src/letter-1.jpg" --keywords "مالية+ميزانية" --description "الصفحة الاولى" \
  --file "$src/letter-2.jpg" --keywords "مالية" --description "الصفحة الثانية" \
  --text "يطلب الكتاب تزويد الوزارة بتقديرات الميزانية للعام القادم" --keywords "ميزانية"
card --class 1,12 --name "فاتورة توريد قرطاسية" --editor "قسم المشتريات" --date 2026-02-03 \
  --file "$src/invoice.png" --keywords "فاتورة+قرطاسية" --file "$src/report.pdf" --keywords "تقرير"
card --class 3,31 --name "عقد عمل موظف جديد" --editor "شؤون الموظفين" --date 2026-03-15 \
  --file "$src/contract.tif" --keywords "عقد+تعيين" \
  --text "مدة العقد سنتان قابلة للتجديد" --keywords "عقد"
card --class 2,21 --name "محضر اجتماع مجلس الادارة" --editor "أمين السر" --date 2026-04-20 \
  --file "$src/meeting-2026" --keywords "اجتماع+محضر" \
  --text "تقرر اعتماد الخطة السنوية" --keywords "قرار"
echo "demo cards archived"

# Three information feeds: scanned pages with an index, typed messages, and a fax folder that the
# thumbnail browser shows as it is.
feeds="$home/feeds"
mkdir -p "$feeds/fax"
feed() { "$bin/dovrelle-feed" add "$@" >/dev/null; }
for n in 1 2 3 4 5 6 7; do page "scan-$n.jpg" "#$(printf '%02x%02xff' $((200 - n * 12)) $((220 - n * 6)))" "Scan $n"; done
feed --folder "$feeds/scan" --index today.idx --describe "Incoming mail, page {n}" "$src"/scan-*.jpg
feed --folder "$feeds/messages" --index messages.idx --text "اجتماع لجنة المشتريات يوم الاحد الساعة العاشرة" \
  --text "يرجى تزويد قسم المحاسبة بنسخة من الفاتورة رقم 2031" --text "وصل كتاب وزارة المالية ويحتاج الى رد"
cp "$src/letter-1.jpg" "$feeds/fax/fax-0312.jpg"; cp "$src/invoice.png" "$feeds/fax/fax-0313.png"
cp "$src/report.pdf" "$feeds/fax/summary.pdf"
admin feed set 1 --name "الماسح الضوئي" --folder "$feeds/scan" --type images
admin feed set 2 --name "الرسائل" --folder "$feeds/messages" --type text
admin feed set 3 --name "الفاكس" --folder "$feeds/fax" --type files

# Files sent to the archivist, and a reminder for today.
received="$home/DataBase/USERS/ARCHIVIST"
mkdir -p "$received"
cp "$src/letter-2.jpg" "$received/letter-2.jpg"; cp "$src/contract.tif" "$received/contract.tif"
cp "$src/report.pdf" "$received/report.pdf"
admin memo --card 1 --item 1 --to ARCHIVIST --text "الرد على كتاب وزارة المالية"
admin memo --card 2 --item 1 --to ARCHIVIST --text "مراجعة الفاتورة مع المحاسبة"
echo "demo feeds, received files and reminders ready"

# A few print-shop jobs: one finished, one overdue, the others on their way.
day() { date -d "$1" +%-d/%-m/%Y; }
admin jobs units "نسخة,دفتر,رزمة,كراس"
job() { "$bin/dovrelle-admin" jobs add --home "$home" "$@" >/dev/null; }
job --name "دليل الطالب الجامعي" --owner "عمادة شؤون الطلاب" --quantity 1500 --unit "نسخة" \
  --delivery "$(day '-20 days')" --party "حاسب" --printed "$(day '-15 days')" --bound "$(day '-10 days')" \
  --stored "$(day '-8 days')"
job --name "التقويم السنوي" --owner "مديرية الاعلام" --quantity 3000 --unit "نسخة" \
  --delivery "$(day '-3 months')" --party "مونتاج" --printed "$(day '-80 days')"
job --name "استمارة طلب اجازة" --owner "شؤون الموظفين" --quantity 40 --unit "رزمة" \
  --delivery "$(day '+10 days')" --party "ريزو"
job --name "مجلة الكلية الفصلية" --owner "كلية الآداب" --quantity 800 --unit "نسخة" \
  --delivery "$(day '+1 month')" --party "رصاصي"
echo "demo print-shop jobs ready"
